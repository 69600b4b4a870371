// The reference of the answer file, docs/answer-file.md, written from the description both
// programs check answer files against (AnswerFile.h): for each section and key, the question
// or dialog control it answers, its values and what they do, and what its absence does.
//
//     answer-file-reference > docs/answer-file.md     (scripts/answer-file-reference)
#pragma once

#include <string>

namespace korvex::product {

// The whole page, Markdown with LF line ends.
std::string AnswerFileReference();

} // namespace korvex::product
