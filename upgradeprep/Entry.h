// upgradeprep as the installation starts it: the switches, then the run.
#pragma once

#include <string_view>

#include "platform/unattended/Session.h"

namespace korvex::upgradeprep {

// Returns the exit code: 0, 259 or 1602 as the run decides, 1603 for an answer file that
// cannot be read, is not valid, or does not answer a question the run reaches.
int RunUpgradePrepProgram(const unattended::Switches& switches,
                          const unattended::Services& services, std::string_view commandLine);

// The same with the switches read at the start; 1603, before anything is read or changed,
// when the command line's switches cannot be read.
int RunUpgradePrepProgram(const unattended::ProgramStart& start,
                          const unattended::Services& services);

// What upgradeprep checks its answer file against: every section, the front end's too, as
// product/AnswerFile.h describes them, so that a file bad anywhere stops it before it changes
// anything.
const unattended::AnswerSchema& UpgradePrepAnswerSchema();

} // namespace korvex::upgradeprep
