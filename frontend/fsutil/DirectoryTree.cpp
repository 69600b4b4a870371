// Directory test and tree copy over the platform's wildcard search.
#include "frontend/fsutil/DirectoryTree.h"

#include <algorithm>
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

Status CreateDirectoryIfMissing(FileSystem& files, std::string_view path) {
    if (!DirectoryExists(files, path)) {
        if (Status created = files.CreateDirectory(path); !created.ok()) {
            return FailedAt(created.error(), "create directory", std::string(path));
        }
    }
    return Status();
}

Status CopyDirectoryFiles(FileSystem& files, std::string_view source,
                          std::string_view destination) {
    if (Status created = CreateDirectoryIfMissing(files, destination); !created.ok()) {
        return created;
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

namespace {

// A directory on the way from the top of the copy to the one being copied.
struct Ancestor {
    platform::FileInformation information;
    std::string path;
};

Status CopyLevel(platform::Platform& machine, std::string_view source, std::string_view destination,
                 std::vector<Ancestor>& ancestors) {
    FileSystem& files = machine.files;
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
            // The listing already tells files from directories: files were copied above.
            if (!IsDotEntry(entry->name) && IsListed(entry->attributes) &&
                platform::IsDirectory(entry->attributes)) {
                subdirectories.push_back(std::move(entry->name));
            }
        }
        if (Status ended = search.value()->Ended(); !ended.ok()) {
            return FailedAt(ended.error(), "list", std::string(source));
        }
    }
    for (const std::string& name : subdirectories) {
        std::string path = Join(source, name);
        // Each directory is asked what it is once: a directory (a link leads on to one), and
        // which one on the machine, so that a link back to a directory the copy is already in
        // is not entered again.
        auto information = files.GetFileInformation(path);
        if (!information.ok()) {
            return FailedAt(information.error(), "read attributes", std::move(path));
        }
        if (!platform::IsDirectory(information.value().attributes)) {
            continue;
        }
        const auto loop =
            std::find_if(ancestors.begin(), ancestors.end(), [&](const Ancestor& ancestor) {
                return ancestor.information.SameFileAs(information.value());
            });
        if (loop != ancestors.end()) {
            machine.log.Write("copy-tree skip", path,
                              "a link back to " + loop->path + ", which is being copied");
            continue;
        }
        ancestors.push_back({information.value(), path});
        Status copied = CopyLevel(machine, path, Join(destination, name), ancestors);
        ancestors.pop_back();
        if (!copied.ok()) {
            return copied;
        }
    }
    return Status();
}

} // namespace

Status CopyDirectoryTree(platform::Platform& machine, std::string_view source,
                         std::string_view destination) {
    // The top's own identity, so that a link back to it is seen.
    auto top = machine.files.GetFileInformation(source);
    if (!top.ok()) {
        return FailedAt(top.error(), "read attributes", std::string(source));
    }
    std::vector<Ancestor> ancestors{{top.value(), std::string(source)}};
    return CopyLevel(machine, source, destination, ancestors);
}

} // namespace korvex::frontend
