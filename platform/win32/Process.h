// The process as Windows hands it over: its whole command line, its environment, its
// critical-error mode and where it loads libraries from.
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

// Loads libraries, from now on, from the system folder alone: neither the program's own folder
// nor the current directory is searched (SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32),
// SetDllDirectory("")). An installer is often started, elevated, from a Downloads folder or a
// share, where anybody may have left a DLL named like a system one. The programs import only
// Windows' known DLLs, which always come from the system folder; every other library is loaded
// by name from the system folder (see SystemLibrary). False when Windows cannot restrict the
// search (before Windows 7 with KB2533623).
bool LoadLibrariesFromSystemFolderOnly();

} // namespace korvex::win32
