// Directory test and tree copy over the platform's wildcard search.
#include "frontend/fsutil/DirectoryTree.h"

#include <vector>

namespace korvex::frontend {

using platform::DirectoryEntry;
using platform::FileSystem;
namespace attr = platform::attr;

namespace {

bool IsDotEntry(const std::string& name) {
    return name == "." || name == "..";
}

// Plain files: neither hidden, system, directory nor volume label. Read-only and archive
// files are included.
bool IsPlainFile(std::uint32_t attributes) {
    return (attributes & (attr::kHidden | attr::kSystem | attr::kDirectory | attr::kVolumeLabel)) ==
           0;
}

// What a directory listing shows: plain files, and directories that are neither hidden nor
// system ("." and ".." included).
bool IsListed(std::uint32_t attributes) {
    if (platform::IsDirectory(attributes)) {
        return (attributes & (attr::kHidden | attr::kSystem)) == 0;
    }
    return IsPlainFile(attributes);
}

// A search that finds nothing is an empty listing; any other failure is one to report.
bool IsEmptyListing(const WinError& error) {
    return error.code == win::kFileNotFound || error.code == win::kNoMoreFiles;
}

std::string Join(std::string_view directory, std::string_view name) {
    std::string path;
    path.reserve(directory.size() + 1 + name.size());
    path += directory;
    path += '\\';
    path += name;
    return path;
}

} // namespace

bool DirectoryExists(FileSystem& files, std::string_view path) {
    // A bare path lists the one entry it names; FindFirstFile refuses a trailing separator,
    // so a path ending in "\" lists that directory's contents instead.
    std::string pattern(path);
    if (!pattern.empty() && pattern.back() == '\\') {
        pattern += "*.*";
    }
    auto search = files.Search(pattern);
    if (!search.ok()) {
        return false;
    }
    while (auto entry = search.value()->Next()) {
        if (!IsListed(entry->attributes) || IsDotEntry(entry->name)) {
            continue;
        }
        auto attributes = files.GetAttributes(path);
        return attributes.ok() && platform::IsDirectory(attributes.value());
    }
    return false;
}

Status CopyDirectoryFiles(FileSystem& files, std::string_view source,
                          std::string_view destination) {
    if (!DirectoryExists(files, destination)) {
        if (Status created = files.CreateDirectory(destination); !created.ok()) {
            return FailedAt(created.error(), "create directory", std::string(destination));
        }
    }
    auto search = files.Search(Join(source, "*.*"));
    if (!search.ok()) {
        if (IsEmptyListing(search.error())) {
            return Status();
        }
        return FailedAt(search.error(), "list", std::string(source));
    }
    while (auto entry = search.value()->Next()) {
        if (!IsPlainFile(entry->attributes)) {
            continue;
        }
        const std::string from = Join(source, entry->name);
        if (Status copied = files.CopyFile(from, Join(destination, entry->name)); !copied.ok()) {
            return FailedAt(copied.error(), "copy file", from);
        }
    }
    // A listing cut short by an error would otherwise look like a finished copy.
    if (Status ended = search.value()->Ended(); !ended.ok()) {
        return FailedAt(ended.error(), "list", std::string(source));
    }
    return Status();
}

Status CopyDirectoryTree(FileSystem& files, std::string_view source, std::string_view destination) {
    if (Status copied = CopyDirectoryFiles(files, source, destination); !copied.ok()) {
        return copied;
    }
    // This level's subdirectories, collected from one complete listing that is closed before
    // any of them is entered.
    std::vector<std::string> subdirectories;
    {
        auto search = files.Search(Join(source, "*.*"));
        if (!search.ok()) {
            if (IsEmptyListing(search.error())) {
                return Status();
            }
            return FailedAt(search.error(), "list", std::string(source));
        }
        while (auto entry = search.value()->Next()) {
            // The listing's attributes already tell files from directories: only a directory
            // is asked for its own attributes, to confirm it and to see a reparse point. Files
            // were copied by the file listing before; a query each would only cost time.
            if (IsDotEntry(entry->name) || !IsListed(entry->attributes) ||
                !platform::IsDirectory(entry->attributes)) {
                continue;
            }
            std::string path = Join(source, entry->name);
            auto attributes = files.GetAttributes(path);
            if (!attributes.ok()) {
                return FailedAt(attributes.error(), "read attributes", std::move(path));
            }
            // A junction or symbolic link may lead back up the tree: never descend into one.
            if (platform::IsDirectory(attributes.value()) &&
                (attributes.value() & attr::kReparsePoint) == 0) {
                subdirectories.push_back(std::move(entry->name));
            }
        }
        if (Status ended = search.value()->Ended(); !ended.ok()) {
            return FailedAt(ended.error(), "list", std::string(source));
        }
    }
    for (const std::string& name : subdirectories) {
        if (Status copied = CopyDirectoryTree(files, Join(source, name), Join(destination, name));
            !copied.ok()) {
            return copied;
        }
    }
    return Status();
}

} // namespace korvex::frontend
