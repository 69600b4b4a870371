// A tree copy made once from a slow source (the distribution disc) and repeated into further
// destinations from that first copy on the hard disk, so that each source file is read once.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "frontend/fsutil/DirectoryTree.h"
#include "platform/Error.h"
#include "platform/Platform.h"

namespace korvex::frontend {

class RepeatedTreeCopy {
public:
    RepeatedTreeCopy(std::string source, std::string destination)
        : source_(std::move(source)), destination_(std::move(destination)) {}

    // Where the first copy went: the folder later copies read their files from.
    const std::string& firstDestination() const { return destination_; }

    // CopyDirectoryTree(source, destination) as the progress step `caption`, keeping the
    // listing it copied from. Repeat may be used only after this has succeeded.
    [[nodiscard]] Status CopyFirst(platform::Platform& machine, std::string_view caption);

    // Leaves `destination` as CopyDirectoryTree(source, destination) would, call for call on
    // the destination side (a directory created where DirectoryExists says it is missing, each
    // file copied, replacing one of that name, in the same order), with the files read from the
    // first copy's destination, as the progress step `caption`. A failure stops at the same call
    // and names the path the direct copy would name: the directory to create, or the source file
    // on the disc. The first copy's destination must be left alone in between; files of its own
    // that were there before are not carried over, as only what the first copy copied is
    // repeated. A file or directory of the first copy that has become a link is left out, with a
    // log line, and so is everything below such a directory.
    [[nodiscard]] Status Repeat(platform::Platform& machine, std::string_view destination,
                                std::string_view caption) const;

private:
    std::string source_;
    std::string destination_;
    TreeListing listing_;
};

} // namespace korvex::frontend
