// A tree copy made once and repeated from its listing.
#include "frontend/maps/RepeatedTreeCopy.h"

#include <optional>

#include "platform/FileSystem.h"

namespace korvex::frontend {

namespace {

// Whether `path` is `top` or lies below it ("" holds everything).
bool Within(std::string_view path, std::string_view top) {
    return top.empty() ||
           (path.starts_with(top) && (path.size() == top.size() || path[top.size()] == '\\'));
}

} // namespace

Status RepeatedTreeCopy::CopyFirst(platform::Platform& machine, std::string_view caption) {
    listing_ = {};
    TreeCopyOptions options;
    options.caption = caption;
    options.listing = &listing_;
    return CopyDirectoryTree(machine, source_, destination_, options);
}

Status RepeatedTreeCopy::Repeat(platform::Platform& machine, std::string_view destination,
                                std::string_view caption) const {
    platform::FileSystem& files = machine.files;
    const platform::ProgressStep step(machine.progress, caption, listing_.files);
    const auto becameLink = [&](const std::string& path) {
        auto attributes = files.GetAttributes(path);
        if (attributes.ok() && platform::IsLink(attributes.value())) {
            machine.log.Write("copy-tree skip", path,
                              "a link in a folder users can change: not followed");
            return true;
        }
        return false;
    };
    // The first copy lies below the drive root's map directory, which users can change: a file
    // or directory of it that has become a link since is not followed, and nothing below a
    // directory left out is copied. The listing holds each directory before those below it.
    std::optional<std::string> leftOut;
    for (const TreeListing::Directory& directory : listing_.directories) {
        if (leftOut && Within(directory.relative, *leftOut)) {
            continue;
        }
        const std::string from = TreeListing::PathOf(destination_, directory.relative);
        if (becameLink(from)) {
            leftOut = directory.relative;
            continue;
        }
        const std::string to = TreeListing::PathOf(destination, directory.relative);
        if (Status created = CreateDirectoryIfMissing(files, to); !created.ok()) {
            return created;
        }
        for (const std::string& name : directory.files) {
            const std::string file = TreeListing::PathOf(from, name);
            machine.progress.Next(file);
            if (becameLink(file)) {
                continue;
            }
            if (Status copied = files.CopyFile(file, TreeListing::PathOf(to, name)); !copied.ok()) {
                return FailedAt(
                    copied.error(), "copy file",
                    TreeListing::PathOf(TreeListing::PathOf(source_, directory.relative), name));
            }
        }
    }
    return Status();
}

} // namespace korvex::frontend
