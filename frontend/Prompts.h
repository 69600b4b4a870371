// The names of the front end's Yes/No questions in answer files and the log; each step tags
// its question with one, and the answer file of a run may answer each. They are keys of the
// answer file, named in product/AnswerFile.h with its description.
#pragma once

#include "product/AnswerFile.h"

namespace korvex::frontend::prompt {

using product::question::kContinueIntoExistingMaps;
using product::question::kCopyMiraMaps;
using product::question::kOverwriteCnetio;
using product::question::kOverwriteCsuinfo;
using product::question::kOverwriteMap;
using product::question::kOverwriteZelmain;
using product::question::kUpdateKorvexSettings;
using product::question::kUpdateYmvSettings;
using product::question::kUseCcfMaps;
using product::question::OverwriteMap;

} // namespace korvex::frontend::prompt
