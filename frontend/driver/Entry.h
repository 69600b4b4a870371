// The front end's run as the program starts it: the switches, the answer file's region code,
// then the installation steps.
#pragma once

#include "platform/unattended/Session.h"

namespace korvex::frontend {

// Returns the process exit code: 0 completed, 1602 cancelled in a settings dialog, 1603
// stopped by a failure, a bad answer file or an unanswered question, 1605 not installed.
int RunVarenInstall(const unattended::Switches& switches, const unattended::Services& services);

// The same with the switches read at the start (the rest of the command line is not read);
// 1603, before anything is read or changed, when the command line's switches cannot be read.
int RunVarenInstall(const unattended::ProgramStart& start, const unattended::Services& services);

// What the front end checks its answer file against: its questions in [VarenInstall] (and the
// Airtalker region code) and each dialog's section, as product/AnswerFile.h describes them;
// [upgradeprep] is upgradeprep's.
const unattended::AnswerSchema& VarenInstallAnswerSchema();

} // namespace korvex::frontend
