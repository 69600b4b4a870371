// What the package's custom actions decide around a run of upgradeprep or VarenInstall:
// whether the program may start, the switches and command line it gets from the package's
// public properties, and what its exit code means for the installation.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/unattended/Switches.h"

namespace korvex::customaction {

// What a custom action answers the Windows Installer (winerror.h codes).
constexpr std::uint32_t kGoOn = 0;        // ERROR_SUCCESS: the installation goes on
constexpr std::uint32_t kUserExit = 1602; // ERROR_INSTALL_USEREXIT: it ends as cancelled
constexpr std::uint32_t kFailure = 1603;  // ERROR_INSTALL_FAILURE: it fails

enum class Program { UpgradePrep, VarenInstall };

// "upgradeprep", "VarenInstall".
std::string_view ProgramName(Program program);

// The package's properties a run depends on, as the custom action read them (empty when
// not set).
struct RunProperties {
    std::string uiLevel; // UILevel: "2" for msiexec /qn, "5" for the full user interface
    std::string answers; // KORVEX_ANSWERS
    std::string log;     // KORVEX_LOG
    std::string record;  // KORVEX_RECORD
};

// What the deferred RunVarenInstall reads from its CustomActionData, which the package's
// SetRunVarenInstall fills as "UILevel|KORVEX_ANSWERS|KORVEX_LOG|KORVEX_RECORD|program|package":
// the properties, the installed program's path and the package's path. No field is a path that
// could hold "|", which Windows does not allow in names.
struct ActionData {
    RunProperties properties;
    std::string program;
    std::string package;
};
// Nothing when the text has not exactly six fields.
std::optional<ActionData> ParseActionData(std::string_view data);

// The program's switches: the public properties KORVEX_ANSWERS, KORVEX_LOG and KORVEX_RECORD,
// except that the log is `ownLog` when KORVEX_LOG is not set, so that the program's lines can
// always be copied into the Windows Installer log; the progress file is `progress`, which the
// custom action reads while the program runs.
unattended::Switches ProgramSwitches(const RunProperties& properties, std::string_view ownLog,
                                     std::string_view progress);

// The program's command line after its name: the switches' arguments, then `text` (upgradeprep's
// new version) when there is one. On the command line the switches reach the program however
// Windows starts it, through the elevation prompt too, and the program reads nothing of its
// environment, so that no variable of the installer's own environment reaches it.
std::string ProgramArguments(const unattended::Switches& switches, std::string_view text);

// Why the program must not start, or nothing. A silent installation (UILevel 2) has nobody to
// answer a window, and a deployment tool runs it as LocalSystem, whose windows nobody sees:
// it needs an answer file.
std::optional<std::string> RefusalToStart(const RunProperties& properties);

// A program's exit code judged for the installation.
struct Verdict {
    std::uint32_t result; // kGoOn, kUserExit or kFailure
    std::string meaning;  // "No to the upgrade question; the installation ends as cancelled"
};
Verdict JudgeExit(Program program, std::uint32_t exitCode);

// A program that could not be started (the Windows error of CreateProcess or of the elevation
// prompt) judged for the installation: the user's refusal of the prompt cancels it.
Verdict JudgeStartFailure(std::uint32_t windowsError);

} // namespace korvex::customaction
