// Directory test and tree copy over the platform's wildcard search.
#include "frontend/fsutil/DirectoryTree.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "platform/Trust.h"

namespace korvex::frontend {

using platform::DirectoryEntry;
using platform::FileSystem;
namespace attr = platform::attr;

namespace {

// The longest path Windows takes, in characters (of the "\\?\" form).
constexpr std::size_t kLongestPath = 32767;

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

// The attributes of the directory the path names when DirectoryExists would say it exists.
std::optional<std::uint32_t> ListedDirectory(FileSystem& files, std::string_view path) {
    // A bare path lists the one entry it names; FindFirstFile refuses a trailing separator,
    // so a path ending in "\" lists that directory's contents instead.
    std::string pattern(path);
    if (!pattern.empty() && pattern.back() == '\\') {
        pattern += "*.*";
    }
    auto search = files.Search(pattern);
    if (!search.ok()) {
        return std::nullopt;
    }
    while (auto entry = search.value()->Next()) {
        if (!IsListed(entry->attributes) || IsDotEntry(entry->name)) {
            continue;
        }
        auto attributes = files.GetAttributes(path);
        if (attributes.ok() && platform::IsDirectory(attributes.value())) {
            return attributes.value();
        }
        return std::nullopt;
    }
    return std::nullopt;
}

// Copies the plain files of one level.
Status CopyFilesOfLevel(FileSystem& files, std::string_view source, std::string_view destination) {
    if (Status ready = CreateDirectoryIfMissing(files, destination); !ready.ok()) {
        return ready;
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

} // namespace

bool DirectoryExists(FileSystem& files, std::string_view path) {
    return ListedDirectory(files, path).has_value();
}

Status CreateDirectoryIfMissing(FileSystem& files, std::string_view path) {
    const std::optional<std::uint32_t> existing = ListedDirectory(files, path);
    if (!existing) {
        if (Status created = files.CreateDirectory(path); !created.ok()) {
            return FailedAt(created.error(), "create directory", std::string(path));
        }
    } else if (platform::IsLink(*existing)) {
        return Status(platform::LinkRefused(std::string(path)));
    }
    return Status();
}

Status CopyDirectoryFiles(FileSystem& files, std::string_view source,
                          std::string_view destination) {
    return CopyFilesOfLevel(files, source, destination);
}

std::string TreeListing::PathOf(std::string_view top, std::string_view relative) {
    if (top.empty() || relative.empty()) {
        return std::string(top.empty() ? relative : top);
    }
    return Join(top, relative);
}

namespace {

using Identity = std::pair<std::uint32_t, std::uint64_t>;

Identity IdentityOf(const platform::FileInformation& information) {
    return {information.volumeSerial, information.fileIndex};
}

// One directory of the listing on the way down: its subdirectories, from its one complete
// listing, and the next one to enter.
struct Level {
    std::string source;
    std::string relative;
    Identity identity;
    std::vector<DirectoryEntry> subdirectories;
    std::size_t next = 0;
};

// The copy in two passes: one listing of the whole source tree, each directory listed once,
// which gives the step its number of files; then the directories made and the files copied
// from that listing.
class TreeCopy {
public:
    TreeCopy(platform::Platform& machine, const TreeCopyOptions& options)
        : machine_(machine), options_(options) {}

    Status Run(std::string_view source, std::string_view destination) {
        Status listed = List(source, destination);
        if (!listed.ok()) {
            return listed;
        }
        std::optional<platform::ProgressStep> step;
        if (!options_.caption.empty()) {
            step.emplace(machine_.progress, options_.caption, listing_.files);
        }
        Status copied = Copy(source, destination);
        if (options_.listing != nullptr) {
            *options_.listing = std::move(listing_);
        }
        return copied;
    }

private:
    Status List(std::string_view source, std::string_view destination) {
        FileSystem& files = machine_.files;
        if (options_.links == SourceLinks::Skip) {
            auto attributes = files.GetAttributes(source);
            if (!attributes.ok()) {
                return FailedAt(attributes.error(), "read attributes", std::string(source));
            }
            if (platform::IsLink(attributes.value())) {
                machine_.log.Write("copy-tree skip", source,
                                   "a link in place of a folder users can change: not followed");
                return Status(platform::LinkRefused(std::string(source)));
            }
        }
        // The top's own identity, so that a link back to it is seen.
        auto top = files.GetFileInformation(source);
        if (!top.ok()) {
            return FailedAt(top.error(), "read attributes", std::string(source));
        }
        destination_ = destination;
        if (Status entered = Enter(std::string(source), {}, IdentityOf(top.value()));
            !entered.ok()) {
            return entered;
        }
        while (!levels_.empty()) {
            Level& level = levels_.back();
            if (level.next == level.subdirectories.size()) {
                levels_.pop_back();
                continue;
            }
            const DirectoryEntry& entry = level.subdirectories[level.next++];
            std::string path = Join(level.source, entry.name);
            std::string relative = TreeListing::PathOf(level.relative, entry.name);
            if (Status stepped = Step(std::move(path), std::move(relative), entry); !stepped.ok()) {
                return stepped;
            }
        }
        return Status();
    }

    // One subdirectory: asked what it is once (a directory, a link leads on to one, and which
    // one on the machine), then entered unless it is a link not to follow or one the copy
    // already went into.
    Status Step(std::string path, std::string relative, const DirectoryEntry& entry) {
        if (options_.links == SourceLinks::Skip && platform::IsLink(entry.attributes)) {
            machine_.log.Write("copy-tree skip", path,
                               "a link in a folder users can change: not followed");
            return Status();
        }
        auto information = machine_.files.GetFileInformation(path);
        if (!information.ok()) {
            return FailedAt(information.error(), "read attributes", std::move(path));
        }
        if (!platform::IsDirectory(information.value().attributes)) {
            return Status();
        }
        const Identity identity = IdentityOf(information.value());
        const auto ancestor = std::find_if(levels_.begin(), levels_.end(), [&](const Level& level) {
            return level.identity == identity;
        });
        if (ancestor != levels_.end()) {
            machine_.log.Write("copy-tree skip", path,
                               "a link back to " + ancestor->source + ", which is being copied");
            return Status();
        }
        if (const auto copied = entered_.find(identity); copied != entered_.end()) {
            machine_.log.Write("copy-tree skip", path,
                               "a link to " + copied->second + ", which is copied already");
            return Status();
        }
        return Enter(std::move(path), std::move(relative), identity);
    }

    // Lists a directory once: its plain files for the copy, its subdirectories for the way
    // down.
    Status Enter(std::string source, std::string relative, Identity identity) {
        // The destination's length, "\\" and all, as the copy will make it.
        if (std::string destination = TreeListing::PathOf(destination_, relative);
            destination.size() > kLongestPath) {
            return FailedAt(WinError::FromCode(win::kFilenameExcedRange), "create directory",
                            std::move(destination));
        }
        entered_.emplace(identity, source);
        TreeListing::Directory listed{relative, {}};
        Level level{std::move(source), std::move(relative), identity, {}, 0};
        auto search = machine_.files.Search(Join(level.source, "*.*"));
        if (!search.ok()) {
            if (!IsEmptyListing(search.error())) {
                return FailedAt(search.error(), "list", level.source);
            }
        } else {
            while (auto entry = search.value()->Next()) {
                if (IsDotEntry(entry->name) || !IsListed(entry->attributes)) {
                    continue;
                }
                if (platform::IsDirectory(entry->attributes)) {
                    level.subdirectories.push_back(std::move(*entry));
                } else if (options_.links == SourceLinks::Skip &&
                           platform::IsLink(entry->attributes)) {
                    machine_.log.Write("copy-tree skip", Join(level.source, entry->name),
                                       "a link in a folder users can change: not followed");
                } else {
                    listed.files.push_back(std::move(entry->name));
                }
            }
            // A listing cut short by an error would otherwise look like a finished copy.
            if (Status ended = search.value()->Ended(); !ended.ok()) {
                return FailedAt(ended.error(), "list", level.source);
            }
        }
        listing_.files += listed.files.size();
        listing_.directories.push_back(std::move(listed));
        levels_.push_back(std::move(level));
        return Status();
    }

    Status Copy(std::string_view source, std::string_view destination) {
        FileSystem& files = machine_.files;
        const bool keep = options_.existing == ExistingFiles::Keep;
        for (const TreeListing::Directory& directory : listing_.directories) {
            const std::string from = TreeListing::PathOf(source, directory.relative);
            const std::string to = TreeListing::PathOf(destination, directory.relative);
            if (Status ready = CreateDirectoryIfMissing(files, to); !ready.ok()) {
                return ready;
            }
            for (const std::string& name : directory.files) {
                const std::string file = Join(from, name);
                machine_.progress.Next(file);
                const std::string target = Join(to, name);
                if (keep && files.GetAttributes(target).ok()) {
                    continue;
                }
                if (Status copied = files.CopyFile(file, target); !copied.ok()) {
                    return FailedAt(copied.error(), "copy file", file);
                }
            }
        }
        return Status();
    }

    platform::Platform& machine_;
    const TreeCopyOptions& options_;
    std::string destination_;
    std::vector<Level> levels_;
    std::map<Identity, std::string> entered_;
    TreeListing listing_;
};

} // namespace

Status CopyDirectoryTree(platform::Platform& machine, std::string_view source,
                         std::string_view destination, const TreeCopyOptions& options) {
    return TreeCopy(machine, options).Run(source, destination);
}

namespace {

// Deeper trees than the programs make are not entered: a user may have nested folders without
// end to exhaust the stack.
constexpr int kDeepestDeletion = 256;

Status DeleteLevel(platform::Platform& machine, std::string_view path, int depth) {
    FileSystem& files = machine.files;
    std::vector<DirectoryEntry> entries;
    if (auto search = files.Search(Join(path, "*")); search.ok() && depth < kDeepestDeletion) {
        while (auto entry = search.value()->Next()) {
            if (!IsDotEntry(entry->name)) {
                entries.push_back(std::move(*entry));
            }
        }
    }
    for (const DirectoryEntry& entry : entries) {
        const std::string inner = Join(path, entry.name);
        if (platform::IsDirectory(entry.attributes) && !platform::IsLink(entry.attributes)) {
            (void)DeleteLevel(machine, inner, depth + 1); // what stays is logged there
        } else if (platform::IsDirectory(entry.attributes)) {
            // A link stays: Windows would remove the link alone, but other file systems (Wine's)
            // remove the empty directory it leads to.
            machine.log.Write("delete-tree", inner, "left: a link, which is not followed");
        } else {
            if ((entry.attributes & attr::kReadOnly) != 0) {
                (void)files.SetAttributes(inner, entry.attributes & ~attr::kReadOnly);
            }
            (void)files.DeleteFile(inner);
        }
    }
    Status removed = files.RemoveDirectory(path);
    if (!removed.ok()) {
        machine.log.Write("delete-tree", path, "left: " + removed.Describe());
    }
    return removed;
}

} // namespace

Status DeleteTree(platform::Platform& machine, std::string_view path) {
    return DeleteLevel(machine, path, 0);
}

} // namespace korvex::frontend
