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
// the operation ("create directory", "copy file", "list", "read attributes", "refuse") and the
// path it stopped at (WinError::operation and path). What was created and copied before the
// failure stays in place.

// Whether the path names an existing directory that is neither hidden nor system. Never fails:
// a path that cannot be listed (missing, malformed, a drive without a medium) gives false.
// A path ending in "\" (a drive root included) gives true only when the directory holds at
// least one visible entry besides "." and "..".
bool DirectoryExists(platform::FileSystem& files, std::string_view path);

// Makes a directory ready to be written into: creates it (one level) when DirectoryExists says
// it is missing, a failure named "create directory" with the path; refuses one that is a link
// (platform::LinkRefused), so that nothing is written through a link a user made.
[[nodiscard]] Status CreateDirectoryIfMissing(platform::FileSystem& files, std::string_view path);

// Copies the plain files of `source` (no hidden, system or directory entries) into
// `destination`, replacing files of the same names, after making `destination` ready
// (CreateDirectoryIfMissing). Paths have no trailing separator.
[[nodiscard]] Status CopyDirectoryFiles(platform::FileSystem& files, std::string_view source,
                                        std::string_view destination);

// What a tree copy does with a link (junction, symbolic link, mounted folder) in its source.
enum class SourceLinks {
    // Copied as what it leads to, as Windows' own copy tools do: for sources only the
    // administrators can change (the installation directory, the disc).
    Follow,
    // Not followed: a linked file or directory is left out with a log line, and a source that
    // is itself a link is refused. For sources standard users can change (C:\MAP, a tree at the
    // drive root), where a link could lead to another user's files.
    Skip,
};

// What a tree copy does with a file the destination has already.
enum class ExistingFiles {
    Replace, // as the platform's file copy does
    Keep,    // left as it is: for completing a tree that later copies have merged into
};

// Copies a whole tree: the files of each directory before its subdirectories, depth first,
// subdirectories in listing order; hidden and system files and directories are left out. Links
// in the source are followed or left out as `links` says; a followed link that leads to a
// directory the copy has already entered (a loop, or a second way to the same directory) is not
// entered again, and the log says so, so that links cannot multiply a copy. Every destination
// directory is made ready by CreateDirectoryIfMissing (never written through a link). A copy
// goes no deeper than a Windows path reaches (32,767 characters): further is a failure. Files at
// the destination without a counterpart stay. At most one directory listing is open at a time,
// and memory holds only one level's subdirectory names per depth. The first failure ends the
// copy and is returned.
[[nodiscard]] Status CopyDirectoryTree(platform::Platform& machine, std::string_view source,
                                       std::string_view destination,
                                       SourceLinks links = SourceLinks::Follow,
                                       ExistingFiles existing = ExistingFiles::Replace);

// Deletes a tree left over by an earlier run, without following any link in it: a linked
// directory is neither entered nor removed. What cannot be deleted stays, and the log names it;
// success only when nothing is left.
[[nodiscard]] Status DeleteTree(platform::Platform& machine, std::string_view path);

} // namespace korvex::frontend
