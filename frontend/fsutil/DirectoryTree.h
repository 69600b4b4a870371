// Directory operations of the front end: the directory test and the recursive copy of a
// directory tree's visible files and directories.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"

namespace korvex::frontend {

// A copy gives success when it finished; otherwise the first failure, which ended it, with
// the operation ("create directory", "copy file", "list", "read attributes") and the path it
// stopped at (WinError::operation and path). What was created and copied before the failure
// stays in place.

// Whether the path names an existing directory that is neither hidden nor system. Never fails:
// a path that cannot be listed (missing, malformed, a drive without a medium) gives false.
// A path ending in "\" (a drive root included) gives true only when the directory holds at
// least one visible entry besides "." and "..".
bool DirectoryExists(platform::FileSystem& files, std::string_view path);

// Creates the directory (one level) when DirectoryExists says it is missing; a failure is
// named "create directory" with the path.
[[nodiscard]] Status CreateDirectoryIfMissing(platform::FileSystem& files, std::string_view path);

// Copies the plain files of `source` (no hidden, system or directory entries) into
// `destination`, replacing files of the same names, after creating `destination` (one level)
// when it is missing. Paths have no trailing separator.
[[nodiscard]] Status CopyDirectoryFiles(platform::FileSystem& files, std::string_view source,
                                        std::string_view destination);

// Copies a whole tree: the files of each directory before its subdirectories, depth first,
// subdirectories in listing order; hidden and system files and directories are left out. A
// linked directory (junction, symbolic link, mounted folder) is copied as the directory it
// leads to, as Windows' own copy tools do, except a link back to a directory the copy is
// already in: that one is not entered again, and the log says so. Files at the destination
// without a counterpart stay. At most one directory listing is open at a time, and memory holds
// only one level's subdirectory names per depth. The first failure ends the copy and is
// returned.
[[nodiscard]] Status CopyDirectoryTree(platform::Platform& machine, std::string_view source,
                                       std::string_view destination);

} // namespace korvex::frontend
