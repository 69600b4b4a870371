// A tree copy made once from a slow source (the distribution disc) and repeated into further
// destinations from that first copy on the hard disk, so that each source file is read once.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Error.h"
#include "platform/Platform.h"

namespace korvex::frontend {

class RepeatedTreeCopy {
public:
    RepeatedTreeCopy(std::string source, std::string destination)
        : source_(std::move(source)), destination_(std::move(destination)) {}

    // Where the first copy went: the folder later copies read their files from.
    const std::string& firstDestination() const { return destination_; }

    // CopyDirectoryTree(source, destination), remembering each directory it went through and
    // each file it copied, in order. Repeat may be used only after this has succeeded.
    [[nodiscard]] Status CopyFirst(platform::Platform& machine);

    // Leaves `destination` as CopyDirectoryTree(source, destination) would, call for call on
    // the destination side (a directory created where DirectoryExists says it is missing, each
    // file copied, replacing one of that name, in the same order), with the files read from the
    // first copy's destination. A failure stops at the same call and names the path the direct
    // copy would name: the directory to create, or the source file on the disc. The first
    // copy's destination must be left alone in between; files of its own that were there
    // before are not carried over, as only what the first copy copied is repeated. A file or
    // directory of the first copy that has become a link is left out, with a log line.
    [[nodiscard]] Status Repeat(platform::Platform& machine, std::string_view destination) const;

private:
    struct Step {
        bool directory;       // a directory entered; otherwise a file copied
        std::string relative; // below the top, "" for the top itself
    };
    class Recorder;

    std::string source_;
    std::string destination_;
    std::vector<Step> steps_;
};

} // namespace korvex::frontend
