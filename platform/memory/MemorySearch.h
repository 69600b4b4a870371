// A directory search of the in-memory Windows: an open FindFirstFile handle.
//
// Listing order: "." and ".." first for every directory but a drive root (with the directory's
// own attributes), then the entries by their upper-case names, ordinal, as NTFS returns them. A
// pattern matches an entry by its long name or its 8.3 name, as on Windows ("*.cfg" finds
// "x.cfgold", whose 8.3 name is "X~1.CFG"). A search goes on from the last name it returned, so
// entries added, moved or deleted meanwhile never break it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/FileSystem.h"

namespace korvex::memory {

struct Machine;
struct Node;

class MemorySearch final : public platform::DirectorySearch {
public:
    // The entries of `directory` that match `pattern`. `path` is the pattern as an absolute
    // path, for FailPath.
    MemorySearch(std::weak_ptr<Machine> machine, std::string path, std::shared_ptr<Node> directory,
                 std::string pattern);
    // A search of one entry (a pattern without wildcards).
    MemorySearch(std::weak_ptr<Machine> machine, std::string path, platform::DirectoryEntry entry);
    ~MemorySearch() override;

    // Takes the first entry, as FindFirstFile returns it; false when nothing matches. From then
    // on the search counts as open until it is destroyed.
    bool Start();

    // Counts as one SearchNext. A failed SearchNext ends the search.
    std::optional<platform::DirectoryEntry> Next() override;
    // A search ends with ERROR_NO_MORE_FILES (success here), with the failure injected into
    // SearchNext, or with ERROR_INVALID_HANDLE once its machine is gone.
    Status Ended() const override { return failure_ ? Status(*failure_) : Status(); }

private:
    std::optional<platform::DirectoryEntry> Advance();

    std::weak_ptr<Machine> machine_;
    std::string path_;
    std::shared_ptr<Node> directory_;
    std::string pattern_;
    std::optional<platform::DirectoryEntry> pending_; // the first entry, until Next returns it
    std::optional<WinError> failure_; // why the search ended, when not for lack of entries
    bool single_ = false;
    bool open_ = false;
    bool ended_ = false;
    int phase_ = 0; // 0: "." next, 1: ".." next, 2: the entries
    bool started_ = false;
    std::string lastKey_;
};

} // namespace korvex::memory
