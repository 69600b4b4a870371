// Directory searches of the in-memory Windows.
#include "platform/memory/MemorySearch.h"

#include <utility>

#include "platform/memory/Machine.h"

namespace korvex::memory {

using platform::DirectoryEntry;

MemorySearch::MemorySearch(std::weak_ptr<Machine> machine, std::string path,
                           std::shared_ptr<Node> directory, std::string pattern)
    : machine_(std::move(machine)), path_(std::move(path)), directory_(std::move(directory)),
      pattern_(std::move(pattern)) {}

MemorySearch::MemorySearch(std::weak_ptr<Machine> machine, std::string path, DirectoryEntry entry)
    : machine_(std::move(machine)), path_(std::move(path)), pending_(std::move(entry)),
      single_(true) {}

MemorySearch::~MemorySearch() {
    if (open_) {
        if (auto machine = machine_.lock()) {
            machine->failures.SearchClosed();
        }
    }
}

bool MemorySearch::Start() {
    if (!single_) {
        pending_ = Advance();
    }
    if (!pending_) {
        return false;
    }
    if (auto machine = machine_.lock()) {
        open_ = true;
        machine->failures.SearchOpened();
    }
    return true;
}

std::optional<DirectoryEntry> MemorySearch::Next() {
    const auto machine = machine_.lock();
    if (!machine) {
        if (!ended_) {
            ended_ = true;
            failure_ = WinError::FromCode(win::kInvalidHandle);
        }
        return std::nullopt;
    }
    if (const auto begun = machine->Begin(Operation::SearchNext, {path_}, Reach::Nothing);
        !begun.ok()) {
        if (!ended_) {
            failure_ = begun.error();
        }
        ended_ = true;
    }
    if (ended_) {
        pending_.reset();
        return std::nullopt;
    }
    if (pending_) {
        std::optional<DirectoryEntry> entry = std::move(pending_);
        pending_.reset();
        return entry;
    }
    std::optional<DirectoryEntry> entry = single_ ? std::nullopt : Advance();
    ended_ = !entry;
    return entry;
}

// The next entry is looked up after the last key returned, not kept as an iterator: entries
// may come and go between calls.
std::optional<DirectoryEntry> MemorySearch::Advance() {
    // "." and ".." come first, for every directory but a drive root; they carry the
    // directory's own attributes.
    while (phase_ < 2) {
        const char* name = phase_ == 0 ? "." : "..";
        ++phase_;
        if (!directory_->root && MatchesPattern(name, pattern_)) {
            return DirectoryEntry{name, Reported(*directory_)};
        }
    }
    auto& children = directory_->children;
    auto it = started_ ? children.upper_bound(lastKey_) : children.begin();
    started_ = true;
    for (; it != children.end(); ++it) {
        lastKey_ = it->first;
        const Node& entry = *it->second;
        // Windows matches the 8.3 name too: "*.cfg" finds "x.cfgold" by "X~1.CFG".
        if (MatchesPattern(entry.name, pattern_) ||
            (!entry.shortName.empty() && MatchesPattern(entry.shortName, pattern_))) {
            return DirectoryEntry{entry.name, Reported(entry)};
        }
    }
    return std::nullopt;
}

} // namespace korvex::memory
