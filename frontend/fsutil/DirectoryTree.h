// Directory operations of the front end: the directory test and the recursive copy of a
// directory tree's visible files and directories.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// What a tree copy listed before it copied: its directories, relative to the top ("" for the
// top itself, "a\\b" below), each before the directories it holds and the plain files of each
// (links left out as the copy's SourceLinks say), in the order they are copied.
struct TreeListing {
    struct Directory {
        std::string relative;
        std::vector<std::string> files;
    };
    std::vector<Directory> directories;
    std::uint64_t files = 0; // in all directories

    // The path of `relative` (a directory's, or one with a file name joined) below `top`, where
    // either may be empty: "" is the top itself.
    static std::string PathOf(std::string_view top, std::string_view relative);
};

struct TreeCopyOptions {
    SourceLinks links = SourceLinks::Follow;
    ExistingFiles existing = ExistingFiles::Replace;
    // With a caption, the copy is one progress step (platform/Progress.h) over the files listed.
    std::string caption;
    // Receives the listing the copy worked from, when set.
    TreeListing* listing = nullptr;
};

// Copies a whole tree in two passes. First it lists the source tree, each directory once:
// hidden and system files and directories are left out; links are followed or left out as
// `options.links` says; a followed link that leads to a directory already listed (a loop, or a
// second way to the same directory) is not entered again, and the log says so, so that links
// cannot multiply a copy; a destination deeper than a Windows path reaches (32,767 characters)
// is a failure. Nothing is changed before the listing is whole. Then, from that listing, depth
// first, it makes each destination directory ready by CreateDirectoryIfMissing (never written
// through a link) and copies its files, before the directories below it. Files at the
// destination without a counterpart stay. At most one directory listing is open at a time. The
// first failure ends the copy and is returned.
[[nodiscard]] Status CopyDirectoryTree(platform::Platform& machine, std::string_view source,
                                       std::string_view destination,
                                       const TreeCopyOptions& options = {});

// Deletes a tree left over by an earlier run, without following any link in it: a linked
// directory is neither entered nor removed. What cannot be deleted stays, and the log names it;
// success only when nothing is left.
[[nodiscard]] Status DeleteTree(platform::Platform& machine, std::string_view path);

} // namespace korvex::frontend
