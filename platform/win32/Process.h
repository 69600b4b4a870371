// The process as Windows hands it over: its whole command line, its environment and its
// critical-error mode.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvex::win32 {

// GetCommandLineW, whole (program name included), as UTF-8.
std::string CommandLine();

// GetEnvironmentVariableW, whole whatever its length; nothing when the variable is not set.
// A variable set to the empty text gives the empty text.
std::optional<std::string> EnvironmentVariable(std::string_view name);

// Adds SEM_FAILCRITICALERRORS to the process's error mode, keeping the other flags: a call on
// a drive without a medium then fails with ERROR_NOT_READY instead of stopping the program
// for the system's "There is no disk in the drive" dialog.
void QuietCriticalErrors();

} // namespace korvex::win32
