// The in-memory Windows: drives of directory trees held in memory, and every platform call
// worked over them with the outcome, and the Windows error, that Win32 gives.
#include "platform/memory/MemoryWindows.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <utility>

#include "platform/memory/IniFile.h"
#include "platform/memory/Paths.h"

namespace korvex::memory {

using platform::DirectoryEntry;
using platform::DirectorySearch;
using platform::DriveType;
using platform::LocalTime;
using platform::OsVersion;
namespace attr = platform::attr;

namespace {

// Windows codes of this file that the rest of the system does not meet.
constexpr std::uint32_t kNotSameDevice = 17; // ERROR_NOT_SAME_DEVICE

// The most junctions one path may pass through, as the Windows I/O manager allows; past it the
// path fails with ERROR_CANT_RESOLVE_FILENAME. This is what ends a walk around a junction loop.
constexpr int kMostReparses = 63;

// The attribute bits a file or directory stores; directory and reparse-point bits come from
// what the entry is, and FILE_ATTRIBUTE_NORMAL is what an entry with no bit reports.
constexpr std::uint32_t kStoredAttributes = attr::kReadOnly | attr::kHidden | attr::kSystem |
                                            attr::kArchive | 0x100 /* temporary */ |
                                            0x1000 /* offline */ | 0x2000 /* not content indexed */;

// Attribute bits that make CREATE_ALWAYS refuse an existing file.
constexpr std::uint32_t kNotReplaceable = attr::kReadOnly | attr::kHidden | attr::kSystem;

struct Node : std::enable_shared_from_this<Node> {
    std::string name;      // the long name, as created
    std::string shortName; // the generated 8.3 name; empty when the long name serves
    bool directory = false;
    bool root = false;
    std::uint32_t attributes = 0; // kStoredAttributes bits only
    std::string contents;         // files
    std::string junctionTarget;   // absolute path; set for a junction only
    // Entries by folded long name, so a std::map gives NTFS's listing order.
    std::map<std::string, std::shared_ptr<Node>> children;
    // Folded short name to folded long name of the entries that have one.
    std::map<std::string, std::string> shortNames;
    // For each class of generated names (see CandidateClassOf), a number below which every
    // name of the class is taken: where the search for the lowest free one starts.
    std::map<std::string, int> shortNameHints;
    Node* parent = nullptr; // null for a root and for an entry no longer in a tree

    bool IsJunction() const { return !junctionTarget.empty(); }
};

struct Drive {
    DriveType type = DriveType::Fixed;
    bool mediaPresent = true;
    bool shortNames = false;
    std::optional<std::uint64_t> capacity;
    std::uint64_t used = 0; // bytes in the contents of files
    std::shared_ptr<Node> root;
};

std::uint32_t Reported(const Node& node) {
    std::uint32_t bits = node.attributes;
    if (node.directory) {
        bits |= attr::kDirectory;
    }
    if (node.IsJunction()) {
        bits |= attr::kReparsePoint;
    }
    return bits == 0 ? attr::kNormal : bits;
}

bool Fits(const Drive& drive, std::uint64_t removed, std::uint64_t added) {
    return !drive.capacity || drive.used - removed + added <= *drive.capacity;
}

void SetContents(Drive& drive, Node& file, std::string bytes) {
    drive.used = drive.used - file.contents.size() + bytes.size();
    file.contents = std::move(bytes);
}

std::shared_ptr<Node> Find(const Node& directory, std::string_view name) {
    const std::string key = FoldCase(name);
    if (auto it = directory.children.find(key); it != directory.children.end()) {
        return it->second;
    }
    if (auto it = directory.shortNames.find(key); it != directory.shortNames.end()) {
        return directory.children.at(it->second);
    }
    return nullptr;
}

// Generated names fall into classes that share every character but the number, whose digits
// have a fixed count: "KORVEX~1.CFG" is of class "KORVEX~1.CFG" with number 1, "KORVE~12.CFG"
// of class "KORVE~2.CFG" with number 12. A folded name of that shape gives its class and
// number.
struct CandidateClass {
    std::string key;
    int number = 0;
};

std::optional<CandidateClass> CandidateClassOf(std::string_view folded) {
    const std::size_t tilde = folded.substr(0, folded.find('.')).rfind('~');
    if (tilde == std::string_view::npos) {
        return std::nullopt;
    }
    std::size_t end = tilde + 1;
    int number = 0;
    while (end < folded.size() && folded[end] >= '0' && folded[end] <= '9' && end - tilde <= 6) {
        number = number * 10 + (folded[end] - '0');
        ++end;
    }
    const std::size_t digits = end - tilde - 1;
    if (digits == 0 || folded[tilde + 1] == '0' || (end < folded.size() && folded[end] != '.')) {
        return std::nullopt;
    }
    CandidateClass out;
    out.key.append(folded.substr(0, tilde)).append("~").append(std::to_string(digits));
    out.key.append(folded.substr(end));
    out.number = number;
    return out;
}

bool IsTaken(const Node& directory, const std::string& folded) {
    return directory.children.count(folded) != 0 || directory.shortNames.count(folded) != 0;
}

// The lowest free "~n" name for a long name in a directory. The hints make this O(log n) for
// directories with thousands of names that share their first characters.
std::string GenerateShortName(Node& directory, std::string_view longName) {
    const ShortNameStem stem = MakeShortNameStem(longName);
    int lowest = 1;
    for (int digits = 1; digits <= 6; ++digits) {
        const int highest = lowest * 10 - 1;
        const auto candidates = CandidateClassOf(ShortNameCandidate(stem, lowest));
        int unhinted = lowest;
        int& hint = candidates ? directory.shortNameHints[candidates->key] : unhinted;
        for (int number = std::max(hint, lowest); number <= highest; ++number) {
            std::string candidate = ShortNameCandidate(stem, number);
            if (!IsTaken(directory, candidate)) {
                hint = number + 1;
                return candidate;
            }
        }
        hint = highest + 1;
        lowest *= 10;
    }
    throw std::length_error("no free 8.3 name for " + std::string(longName));
}

// A name of a generated name's shape is free again: the lowest free number of its class may
// be this one.
void Freed(Node& directory, const std::string& folded) {
    if (const auto freed = CandidateClassOf(folded)) {
        const auto it = directory.shortNameHints.find(freed->key);
        if (it != directory.shortNameHints.end()) {
            it->second = std::min(it->second, freed->number);
        }
    }
}

// Puts an entry into a directory under its current name, generating its short name there.
void Attach(const Drive& drive, Node& directory, const std::shared_ptr<Node>& node) {
    const std::string key = FoldCase(node->name);
    node->shortName.clear();
    if (drive.shortNames && !IsValidShortName(node->name)) {
        node->shortName = GenerateShortName(directory, node->name);
        directory.shortNames[node->shortName] = key;
    }
    node->parent = &directory;
    directory.children[key] = node;
}

void Detach(Node& directory, Node& node) {
    const std::string key = FoldCase(node.name);
    if (!node.shortName.empty()) {
        directory.shortNames.erase(node.shortName);
        Freed(directory, node.shortName);
    }
    directory.children.erase(key);
    Freed(directory, key);
    node.parent = nullptr;
}

std::shared_ptr<Node> NewNode(std::string name, bool directory) {
    auto node = std::make_shared<Node>();
    node->name = std::move(name);
    node->directory = directory;
    return node;
}

// " [RH]" for the reported bits a listing line shows: R, H, S, N for a file with no bit at
// all (FILE_ATTRIBUTE_NORMAL: not even the archive bit), and any other bit in hex. Archive,
// directory and reparse point show as nothing, as "\" and as " -> target".
std::string AttributeFlags(std::uint32_t bits) {
    std::string letters;
    if (bits & attr::kReadOnly) {
        letters += 'R';
    }
    if (bits & attr::kHidden) {
        letters += 'H';
    }
    if (bits & attr::kSystem) {
        letters += 'S';
    }
    if (bits & attr::kNormal) {
        letters += 'N';
    }
    const std::uint32_t others =
        bits & ~(attr::kReadOnly | attr::kHidden | attr::kSystem | attr::kArchive |
                 attr::kDirectory | attr::kNormal | attr::kReparsePoint);
    if (others != 0) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%X", others);
        letters += letters.empty() ? "" : " ";
        letters += hex;
    }
    return letters.empty() ? std::string() : " [" + letters + "]";
}

// Lines of Tree(): depth first in listing order; a junction shows its target and is not entered.
void TreeLines(const Node& directory, const std::string& prefix, bool sizes,
               std::vector<std::string>& out) {
    for (const auto& [key, child] : directory.children) {
        std::string line = prefix + child->name;
        if (child->directory) {
            line += '\\';
        }
        line += AttributeFlags(Reported(*child));
        if (child->IsJunction()) {
            line += " -> " + child->junctionTarget;
        }
        if (sizes && !child->directory) {
            line += " (" + std::to_string(child->contents.size()) + " bytes)";
        }
        out.push_back(std::move(line));
        if (child->directory && !child->IsJunction()) {
            TreeLines(*child, prefix + child->name + "\\", sizes, out);
        }
    }
}

const char* DriveTypeName(DriveType type) {
    switch (type) {
    case DriveType::Unknown:
        return "Unknown";
    case DriveType::NoRootDirectory:
        return "NoRootDirectory";
    case DriveType::Removable:
        return "Removable";
    case DriveType::Fixed:
        return "Fixed";
    case DriveType::Remote:
        return "Remote";
    case DriveType::CdRom:
        return "CdRom";
    case DriveType::RamDisk:
        return "RamDisk";
    }
    return "?";
}

char DriveLetter(char letter) {
    if (letter >= 'a' && letter <= 'z') {
        letter = static_cast<char>(letter - 'a' + 'A');
    }
    if (letter < 'A' || letter > 'Z') {
        throw std::invalid_argument(std::string("not a drive letter: ") + letter);
    }
    return letter;
}

// Whether a call honours a drive's missing medium (platform calls) or sees the data of the
// medium regardless (building and inspecting helpers).
enum class Media { Honour, Ignore };

// A directory reached by a path: the drive that holds it and the directory itself.
struct Where {
    Drive* drive = nullptr;
    Node* directory = nullptr;
};

// An entry named by a path: where its name lives and the entry, if there is one.
struct Place {
    Drive* drive = nullptr;
    Node* directory = nullptr;  // holds the entry; null when the path is a drive root
    std::shared_ptr<Node> node; // null when nothing has that name
    std::string name;           // the last component as written
};

// Everything the machine holds. Searches keep a weak reference to it, so a search that
// outlives its machine ends instead of reading freed memory.
struct Machine {
    std::array<std::unique_ptr<Drive>, 26> drives;
    std::string currentDirectory = "C:\\";
    std::string windowsDirectory = "C:\\WINDOWS";
    std::optional<OsVersion> version = OsVersion{2, 5, 1};
    LocalTime time{2026, 1, 2, 14, 5, 33, 0};
    std::vector<InstalledProduct> products;
    bool installerAvailable = true;

    FailureInjection failures;

    Drive* DriveAt(char letter) {
        if (letter < 'A' || letter > 'Z') {
            return nullptr;
        }
        return drives[static_cast<std::size_t>(letter - 'A')].get();
    }

    // Counts one call and says whether an injected failure hits it.
    std::optional<std::uint32_t> Begin(Operation operation,
                                       std::initializer_list<std::string_view> paths) {
        return failures.CountCall(operation, paths, currentDirectory);
    }

    Result<ParsedPath> Parse(std::string_view path) const {
        return ParsePath(path, currentDirectory);
    }

    // The directory named by the first `count` components, junctions followed. A component
    // that is missing or a file fails with ERROR_PATH_NOT_FOUND, except that the last one
    // being a file fails with `fileCode`.
    Result<Where> Walk(char letter, const std::vector<std::string>& components, std::size_t count,
                       Media media, int& reparses, std::uint32_t fileCode = win::kPathNotFound) {
        Drive* drive = DriveAt(letter);
        if (drive == nullptr) {
            return Result<Where>::Failure(win::kPathNotFound);
        }
        if (media == Media::Honour && !drive->mediaPresent) {
            return Result<Where>::Failure(win::kNotReady);
        }
        Where where{drive, drive->root.get()};
        for (std::size_t i = 0; i < count; ++i) {
            const std::shared_ptr<Node> child = Find(*where.directory, components[i]);
            if (!child) {
                return Result<Where>::Failure(win::kPathNotFound);
            }
            if (!child->directory) {
                return Result<Where>::Failure(i + 1 == count ? fileCode : win::kPathNotFound);
            }
            if (child->IsJunction()) {
                auto target = Follow(*child, media, reparses);
                if (!target.ok()) {
                    return target;
                }
                where = target.value();
            } else {
                where.directory = child.get();
            }
        }
        return where;
    }

    // The directory a junction leads to.
    Result<Where> Follow(const Node& junction, Media media, int& reparses) {
        if (++reparses > kMostReparses) {
            return Result<Where>::Failure(win::kCantResolveFilename);
        }
        const auto target = ParsePath(junction.junctionTarget, "C:\\");
        if (!target.ok()) {
            return Result<Where>::Failure(win::kPathNotFound);
        }
        const ParsedPath& path = target.value();
        return Walk(path.drive, path.components, path.components.size(), media, reparses);
    }

    Result<Where> WalkAll(const ParsedPath& path, Media media) {
        int reparses = 0;
        return Walk(path.drive, path.components, path.components.size(), media, reparses);
    }

    // The entry a parsed path names; its last component is not followed when it is a
    // junction.
    Result<Place> Locate(const ParsedPath& path, Media media) {
        int reparses = 0;
        if (path.IsRoot()) {
            auto where = Walk(path.drive, path.components, 0, media, reparses);
            if (!where.ok()) {
                return where.error();
            }
            return Place{where.value().drive, nullptr, where.value().drive->root, {}};
        }
        const std::size_t last = path.components.size() - 1;
        auto where = Walk(path.drive, path.components, last, media, reparses);
        if (!where.ok()) {
            return where.error();
        }
        return Place{where.value().drive, where.value().directory,
                     Find(*where.value().directory, path.components[last]), path.components[last]};
    }

    // Locate for a platform call: the path parsed against the current directory, every
    // component a valid name (ERROR_INVALID_NAME otherwise), the medium honoured.
    Result<Place> LocateForCall(std::string_view text) {
        auto parsed = Parse(text);
        if (!parsed.ok()) {
            return parsed.error();
        }
        for (const std::string& component : parsed.value().components) {
            if (!IsValidName(component)) {
                return Result<Place>::Failure(win::kInvalidName);
            }
        }
        auto place = Locate(parsed.value(), Media::Honour);
        // "file\" names a directory that a file cannot be.
        if (place.ok() && place.value().node && !place.value().node->directory &&
            parsed.value().trailingSeparator) {
            return Result<Place>::Failure(win::kInvalidName);
        }
        return place;
    }

    // A fixed drive with its medium in, as building a file on a drive not yet added makes it.
    Drive& AddDrive(char letter) {
        auto& slot = drives[static_cast<std::size_t>(letter - 'A')];
        if (!slot) {
            slot = std::make_unique<Drive>();
            slot->root = NewNode("", true);
            slot->root->root = true;
        }
        return *slot;
    }

    // For the building helpers: the directory of a path, created where missing, on a drive
    // added when missing.
    Where MakeDirectories(const ParsedPath& path, std::size_t count) {
        Drive* drive = &AddDrive(path.drive);
        Where where{drive, drive->root.get()};
        int reparses = 0;
        for (std::size_t i = 0; i < count; ++i) {
            std::shared_ptr<Node> child = Find(*where.directory, path.components[i]);
            if (!child) {
                if (!IsValidName(path.components[i])) {
                    throw std::invalid_argument("not a valid name in " + path.ToString());
                }
                child = NewNode(path.components[i], true);
                Attach(*where.drive, *where.directory, child);
            } else if (!child->directory) {
                throw std::invalid_argument("a file is in the way of " + path.ToString());
            }
            if (child->IsJunction()) {
                auto target = Follow(*child, Media::Ignore, reparses);
                if (!target.ok()) {
                    throw std::invalid_argument("the junction on the way to " + path.ToString() +
                                                " leads nowhere");
                }
                where = target.value();
            } else {
                where.directory = child.get();
            }
        }
        return where;
    }

    ParsedPath ParseForBuilding(std::string_view path) const {
        auto parsed = Parse(path);
        if (!parsed.ok()) {
            throw std::invalid_argument("not a path: \"" + std::string(path) + "\"");
        }
        return std::move(parsed).value();
    }

    // The node of the current directory, if it exists.
    Node* CurrentDirectoryNode() {
        const auto parsed = Parse(currentDirectory);
        if (!parsed.ok()) {
            return nullptr;
        }
        const auto where = WalkAll(parsed.value(), Media::Ignore);
        return where.ok() ? where.value().directory : nullptr;
    }
};

// An open FindFirstFile search. It remembers the last name it returned and looks up the next
// one each time, so entries created, moved or deleted between calls never invalidate it: it
// goes on with the next name after the last one returned.
class MemorySearch final : public DirectorySearch {
public:
    MemorySearch(std::weak_ptr<Machine> machine, std::string path, std::shared_ptr<Node> directory,
                 std::string pattern)
        : machine_(std::move(machine)), path_(std::move(path)), directory_(std::move(directory)),
          pattern_(std::move(pattern)) {}

    // A search of one entry (a pattern without wildcards).
    MemorySearch(std::weak_ptr<Machine> machine, std::string path, DirectoryEntry entry)
        : machine_(std::move(machine)), path_(std::move(path)), pending_(std::move(entry)),
          single_(true) {}

    ~MemorySearch() override {
        if (open_) {
            if (auto machine = machine_.lock()) {
                machine->failures.SearchClosed();
            }
        }
    }

    // Takes the first entry, as FindFirstFile returns it; false when nothing matches.
    bool Start() {
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

    std::optional<DirectoryEntry> Next() override {
        const auto machine = machine_.lock();
        if (!machine) {
            if (!ended_) {
                ended_ = true;
                failure_ = WinError::FromCode(win::kInvalidHandle);
            }
            return std::nullopt;
        }
        if (auto code = machine->Begin(Operation::SearchNext, {path_})) {
            if (!ended_) {
                failure_ = WinError::FromCode(*code);
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

    // A search ends with ERROR_NO_MORE_FILES (success here), with the failure injected into
    // SearchNext, or with ERROR_INVALID_HANDLE once its machine is gone.
    Status Ended() const override { return failure_ ? Status(*failure_) : Status(); }

private:
    std::optional<DirectoryEntry> Advance() {
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

    std::weak_ptr<Machine> machine_;
    std::string path_; // the pattern as an absolute path, for failure injection
    std::shared_ptr<Node> directory_;
    std::string pattern_;
    std::optional<DirectoryEntry> pending_; // the first entry, until Next returns it
    std::optional<WinError> failure_;       // why the search ended, when not for lack of entries
    bool single_ = false;
    bool open_ = false;
    bool ended_ = false;
    int phase_ = 0; // 0: "." next, 1: ".." next, 2: the entries
    bool started_ = false;
    std::string lastKey_;
};

} // namespace

struct MemoryWindows::State {
    std::shared_ptr<Machine> machine = std::make_shared<Machine>();
};

MemoryWindows::MemoryWindows()
    : state_(std::make_unique<State>()),
      platform_(new platform::Platform{*this, *this, *this, *this, ui_, log_}) {
    AddDrive('C', DriveType::Fixed);
    SetShortNameGeneration('C', true);
    SetWindowsDirectory("C:\\WINDOWS");
}

MemoryWindows::~MemoryWindows() = default;

platform::Platform& MemoryWindows::platform() {
    return *platform_;
}

// --- Building the machine ---

void MemoryWindows::AddDrive(char letter, DriveType type, bool mediaPresent) {
    Drive& drive = state_->machine->AddDrive(DriveLetter(letter));
    drive.type = type;
    drive.mediaPresent = mediaPresent;
}

namespace {
Drive& ExistingDrive(Machine& m, char letter) {
    Drive* drive = m.DriveAt(DriveLetter(letter));
    if (drive == nullptr) {
        throw std::invalid_argument(std::string("no drive ") + letter + ":");
    }
    return *drive;
}
} // namespace

void MemoryWindows::SetMediaPresent(char letter, bool present) {
    ExistingDrive(*state_->machine, letter).mediaPresent = present;
}

void MemoryWindows::SetShortNameGeneration(char letter, bool on) {
    ExistingDrive(*state_->machine, letter).shortNames = on;
}

void MemoryWindows::SetCapacity(char letter, std::uint64_t bytes) {
    ExistingDrive(*state_->machine, letter).capacity = bytes;
}

void MemoryWindows::SetWindowsDirectory(std::string path) {
    Machine& m = *state_->machine;
    const ParsedPath parsed = m.ParseForBuilding(path);
    m.MakeDirectories(parsed, parsed.components.size());
    m.windowsDirectory = parsed.ToString();
}

void MemoryWindows::SetCurrentDirectory(std::string path) {
    Machine& m = *state_->machine;
    m.currentDirectory = m.ParseForBuilding(path).ToString();
}

void MemoryWindows::SetVersion(std::optional<OsVersion> version) {
    state_->machine->version = version;
}

void MemoryWindows::SetTime(LocalTime time) {
    state_->machine->time = time;
}

void MemoryWindows::AddProduct(InstalledProduct product) {
    state_->machine->products.push_back(std::move(product));
}

void MemoryWindows::SetInstallerAvailable(bool available) {
    state_->machine->installerAvailable = available;
}

void MemoryWindows::MakeDirectories(std::string_view path) {
    Machine& m = *state_->machine;
    const ParsedPath parsed = m.ParseForBuilding(path);
    m.MakeDirectories(parsed, parsed.components.size());
}

void MemoryWindows::PutFile(std::string_view path, std::string_view bytes,
                            std::uint32_t attributes) {
    Machine& m = *state_->machine;
    const ParsedPath parsed = m.ParseForBuilding(path);
    if (parsed.IsRoot() || !IsValidName(parsed.components.back())) {
        throw std::invalid_argument("not a file name: \"" + std::string(path) + "\"");
    }
    const Where where = m.MakeDirectories(parsed, parsed.components.size() - 1);
    std::shared_ptr<Node> node = Find(*where.directory, parsed.components.back());
    if (node && node->directory) {
        throw std::invalid_argument("a directory is in the way of " + parsed.ToString());
    }
    if (!node) {
        node = NewNode(parsed.components.back(), false);
        Attach(*where.drive, *where.directory, node);
    }
    SetContents(*where.drive, *node, std::string(bytes));
    node->attributes = attributes & kStoredAttributes;
}

void MemoryWindows::MakeJunction(std::string_view path, std::string_view target) {
    Machine& m = *state_->machine;
    const ParsedPath parsed = m.ParseForBuilding(path);
    const ParsedPath targetPath = m.ParseForBuilding(target);
    if (parsed.IsRoot() || !IsValidName(parsed.components.back())) {
        throw std::invalid_argument("not a junction name: \"" + std::string(path) + "\"");
    }
    const Where where = m.MakeDirectories(parsed, parsed.components.size() - 1);
    if (Find(*where.directory, parsed.components.back())) {
        throw std::invalid_argument("the name of the junction is taken: " + parsed.ToString());
    }
    auto node = NewNode(parsed.components.back(), true);
    node->junctionTarget = targetPath.ToString();
    Attach(*where.drive, *where.directory, node);
}

void MemoryWindows::PutAttributes(std::string_view path, std::uint32_t attributes) {
    Machine& m = *state_->machine;
    auto place = m.Locate(m.ParseForBuilding(path), Media::Ignore);
    if (!place.ok() || !place.value().node) {
        throw std::invalid_argument("nothing at " + std::string(path));
    }
    place.value().node->attributes = attributes & kStoredAttributes;
}

// --- Inspecting the machine ---

namespace {
std::shared_ptr<Node> Inspect(Machine& m, std::string_view path) {
    const auto parsed = m.Parse(path);
    if (!parsed.ok()) {
        return nullptr;
    }
    auto place = m.Locate(parsed.value(), Media::Ignore);
    return place.ok() ? place.value().node : nullptr;
}
} // namespace

bool MemoryWindows::Exists(std::string_view path) const {
    return Inspect(*state_->machine, path) != nullptr;
}

bool MemoryWindows::IsDirectoryAt(std::string_view path) const {
    const auto node = Inspect(*state_->machine, path);
    return node && node->directory;
}

std::optional<std::string> MemoryWindows::Contents(std::string_view path) const {
    const auto node = Inspect(*state_->machine, path);
    if (!node || node->directory) {
        return std::nullopt;
    }
    return node->contents;
}

std::optional<std::uint32_t> MemoryWindows::AttributesOf(std::string_view path) const {
    const auto node = Inspect(*state_->machine, path);
    if (!node) {
        return std::nullopt;
    }
    return Reported(*node);
}

std::optional<std::string> MemoryWindows::ShortNameOf(std::string_view path) const {
    const auto node = Inspect(*state_->machine, path);
    if (!node) {
        return std::nullopt;
    }
    if (node->root) {
        return state_->machine->Parse(path).value().ToString();
    }
    return node->shortName.empty() ? node->name : node->shortName;
}

std::vector<std::string> MemoryWindows::Tree(std::string_view directory) const {
    Machine& m = *state_->machine;
    std::vector<std::string> lines;
    const auto parsed = m.Parse(directory);
    if (!parsed.ok()) {
        return lines;
    }
    const auto where = m.WalkAll(parsed.value(), Media::Ignore);
    if (where.ok()) {
        TreeLines(*where.value().directory, "", false, lines);
    }
    return lines;
}

std::string MemoryWindows::Describe() const {
    const Machine& m = *state_->machine;
    std::string out;
    for (std::size_t i = 0; i < m.drives.size(); ++i) {
        const Drive* drive = m.drives[i].get();
        if (drive == nullptr) {
            continue;
        }
        out += static_cast<char>('A' + i);
        out += ": ";
        out += DriveTypeName(drive->type);
        out += drive->mediaPresent ? "" : ", no medium";
        out += drive->shortNames ? ", short names" : "";
        out += ", " + std::to_string(drive->used) + " bytes in files";
        if (drive->capacity) {
            out += " of " + std::to_string(*drive->capacity);
        }
        out += '\n';
        std::vector<std::string> lines;
        TreeLines(*drive->root, "", true, lines);
        for (const std::string& line : lines) {
            out += "  " + line + '\n';
        }
    }
    out += "current directory " + m.currentDirectory + ", Windows directory " + m.windowsDirectory +
           '\n';
    if (m.version) {
        out += "version: platform " + std::to_string(m.version->platformId) + ", " +
               std::to_string(m.version->major) + "." + std::to_string(m.version->minor) + '\n';
    } else {
        out += "version: the query fails\n";
    }
    char time[64];
    std::snprintf(time, sizeof time, "time: %04d-%02d-%02d %02d:%02d:%02d.%03d\n", m.time.year,
                  m.time.month, m.time.day, m.time.hour, m.time.minute, m.time.second,
                  m.time.millisecond);
    out += time;
    out += m.installerAvailable ? "installer: " + std::to_string(m.products.size()) + " products\n"
                                : "installer: not available\n";
    for (const InstalledProduct& product : m.products) {
        out += "  " + product.productCode + " upgrade code " +
               (product.upgradeCode.empty() ? "(none)" : product.upgradeCode) + '\n';
        for (const auto& [name, value] : product.properties) {
            out += "    " + name + "=" + value + '\n';
        }
        for (const auto& [component, path] : product.componentPaths) {
            out += "    component " + component + " -> " + path + '\n';
        }
    }
    const FailureInjection& failures = m.failures;
    out += "open searches " + std::to_string(failures.OpenSearches()) + " (most " +
           std::to_string(failures.MostOpenSearches()) + "), operations " +
           std::to_string(failures.TotalCount());
    for (int kind = 0; kind < kOperationKinds; ++kind) {
        const auto operation = static_cast<Operation>(kind);
        if (failures.Count(operation) != 0) {
            out += ' ';
            out += OperationName(operation);
            out += '=' + std::to_string(failures.Count(operation));
        }
    }
    out += '\n';
    return out;
}

// --- Counting and failure injection ---

std::uint64_t MemoryWindows::Count(Operation operation) const {
    return state_->machine->failures.Count(operation);
}

std::uint64_t MemoryWindows::TotalCount() const {
    return state_->machine->failures.TotalCount();
}

void MemoryWindows::ResetCounts() {
    state_->machine->failures.ResetCounts();
}

void MemoryWindows::FailNth(Operation operation, std::uint64_t n, std::uint32_t code) {
    state_->machine->failures.FailNth(operation, n, code);
}

void MemoryWindows::FailNthOverall(std::uint64_t n, std::uint32_t code) {
    state_->machine->failures.FailNthOverall(n, code);
}

void MemoryWindows::FailPath(Operation operation, std::string_view path, std::uint32_t code) {
    Machine& m = *state_->machine;
    m.failures.FailPath(operation, m.ParseForBuilding(path), code);
}

void MemoryWindows::ClearFailures() {
    state_->machine->failures.ClearFailures();
}

int MemoryWindows::OpenSearches() const {
    return state_->machine->failures.OpenSearches();
}

int MemoryWindows::MostOpenSearches() const {
    return state_->machine->failures.MostOpenSearches();
}

// --- platform::FileSystem ---

Result<std::unique_ptr<DirectorySearch>> MemoryWindows::Search(std::string_view pattern) {
    using Found = Result<std::unique_ptr<DirectorySearch>>;
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::Search, {pattern})) {
        return Found::Failure(*code);
    }
    const auto parsed = m.Parse(pattern);
    if (!parsed.ok()) {
        return parsed.error();
    }
    const ParsedPath& path = parsed.value();
    if (path.IsRoot() || path.trailingSeparator) {
        return Found::Failure(win::kFileNotFound);
    }
    const std::size_t last = path.components.size() - 1;
    for (std::size_t i = 0; i < last; ++i) {
        if (!IsValidName(path.components[i])) {
            return Found::Failure(win::kInvalidName);
        }
    }
    const std::string& name = path.components[last];
    if (!IsValidPattern(name)) {
        return Found::Failure(win::kInvalidName);
    }
    int reparses = 0;
    // A file where the directory should be makes the pattern an invalid name.
    const auto where =
        m.Walk(path.drive, path.components, last, Media::Honour, reparses, win::kInvalidName);
    if (!where.ok()) {
        return where.error();
    }
    std::unique_ptr<MemorySearch> search;
    if (HasWildcards(name)) {
        search = std::make_unique<MemorySearch>(state_->machine, path.ToString(),
                                                where.value().directory->shared_from_this(), name);
    } else {
        const auto node = Find(*where.value().directory, name);
        if (!node) {
            return Found::Failure(win::kFileNotFound);
        }
        search = std::make_unique<MemorySearch>(state_->machine, path.ToString(),
                                                DirectoryEntry{node->name, Reported(*node)});
    }
    if (!search->Start()) {
        return Found::Failure(win::kFileNotFound);
    }
    return std::unique_ptr<DirectorySearch>(std::move(search));
}

Result<std::uint32_t> MemoryWindows::GetAttributes(std::string_view path) {
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::GetAttributes, {path})) {
        return Result<std::uint32_t>::Failure(*code);
    }
    const auto place = m.LocateForCall(path);
    if (!place.ok()) {
        return place.error();
    }
    if (!place.value().node) {
        return Result<std::uint32_t>::Failure(win::kFileNotFound);
    }
    return Reported(*place.value().node);
}

Status MemoryWindows::SetAttributes(std::string_view path, std::uint32_t attributes) {
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::SetAttributes, {path})) {
        return Status::Failure(*code);
    }
    const auto place = m.LocateForCall(path);
    if (!place.ok()) {
        return place.status();
    }
    if (!place.value().node) {
        return Status::Failure(win::kFileNotFound);
    }
    place.value().node->attributes = attributes & kStoredAttributes;
    return {};
}

Status MemoryWindows::CopyFile(std::string_view from, std::string_view to) {
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::CopyFile, {from, to})) {
        return Status::Failure(*code);
    }
    const auto source = m.LocateForCall(from);
    if (!source.ok()) {
        return source.status();
    }
    const std::shared_ptr<Node> file = source.value().node;
    if (!file) {
        return Status::Failure(win::kFileNotFound);
    }
    if (file->directory) {
        return Status::Failure(win::kAccessDenied);
    }
    const auto target = m.LocateForCall(to);
    if (!target.ok()) {
        return target.status();
    }
    const Place& place = target.value();
    const std::shared_ptr<Node> existing = place.node;
    if (existing == file) {
        return Status::Failure(win::kSharingViolation);
    }
    // The copy is created with the source's attributes: an existing read-only file, or a
    // hidden or system one whose bit the source lacks, refuses CREATE_ALWAYS.
    if (!place.directory || (existing && existing->directory) ||
        (existing && ((existing->attributes & attr::kReadOnly) ||
                      (existing->attributes & kNotReplaceable & ~file->attributes)))) {
        return Status::Failure(win::kAccessDenied);
    }
    // A copy that does not fit fails before anything is written: no partial file is left and
    // an existing destination keeps its bytes.
    if (!Fits(*place.drive, existing ? existing->contents.size() : 0, file->contents.size())) {
        return Status::Failure(win::kDiskFull);
    }
    std::shared_ptr<Node> copy = existing;
    if (!copy) {
        copy = NewNode(place.name, false);
        Attach(*place.drive, *place.directory, copy);
    }
    SetContents(*place.drive, *copy, file->contents);
    copy->attributes = file->attributes | attr::kArchive;
    return {};
}

Status MemoryWindows::MoveFile(std::string_view from, std::string_view to) {
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::MoveFile, {from, to})) {
        return Status::Failure(*code);
    }
    const auto source = m.LocateForCall(from);
    if (!source.ok()) {
        return source.status();
    }
    const std::shared_ptr<Node> node = source.value().node;
    if (!node) {
        return Status::Failure(win::kFileNotFound);
    }
    if (!source.value().directory) {
        return Status::Failure(win::kAccessDenied); // a drive root
    }
    const auto target = m.LocateForCall(to);
    if (!target.ok()) {
        return target.status();
    }
    const Place& place = target.value();
    if (!place.directory) {
        return Status::Failure(win::kAccessDenied);
    }
    if (place.node) {
        if (place.node != node) {
            return Status::Failure(win::kAlreadyExists);
        }
        // The entry itself: only its letter case changes (a name reached through the short
        // name leaves it as it is).
        if (FoldCase(place.name) == FoldCase(node->name)) {
            node->name = place.name;
        }
        return {};
    }
    Drive& fromDrive = *source.value().drive;
    Drive& toDrive = *place.drive;
    if (node->directory) {
        if (&fromDrive != &toDrive) {
            return Status::Failure(kNotSameDevice);
        }
        for (const Node* up = place.directory; up != nullptr; up = up->parent) {
            if (up == node.get()) {
                return Status::Failure(win::kSharingViolation); // into its own subtree
            }
        }
    } else if (&fromDrive != &toDrive && !Fits(toDrive, 0, node->contents.size())) {
        return Status::Failure(win::kDiskFull);
    }
    Detach(*source.value().directory, *node);
    if (!node->directory && &fromDrive != &toDrive) {
        fromDrive.used -= node->contents.size();
        toDrive.used += node->contents.size();
    }
    node->name = place.name;
    Attach(toDrive, *place.directory, node);
    return {};
}

Status MemoryWindows::DeleteFile(std::string_view path) {
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::DeleteFile, {path})) {
        return Status::Failure(*code);
    }
    const auto place = m.LocateForCall(path);
    if (!place.ok()) {
        return place.status();
    }
    const std::shared_ptr<Node> node = place.value().node;
    if (!node) {
        return Status::Failure(win::kFileNotFound);
    }
    if (node->directory || (node->attributes & attr::kReadOnly)) {
        return Status::Failure(win::kAccessDenied);
    }
    place.value().drive->used -= node->contents.size();
    Detach(*place.value().directory, *node);
    return {};
}

Status MemoryWindows::CreateDirectory(std::string_view path) {
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::CreateDirectory, {path})) {
        return Status::Failure(*code);
    }
    const auto place = m.LocateForCall(path);
    if (!place.ok()) {
        return place.status();
    }
    if (place.value().node) {
        return Status::Failure(win::kAlreadyExists);
    }
    Attach(*place.value().drive, *place.value().directory, NewNode(place.value().name, true));
    return {};
}

Status MemoryWindows::RemoveDirectory(std::string_view path) {
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::RemoveDirectory, {path})) {
        return Status::Failure(*code);
    }
    const auto place = m.LocateForCall(path);
    if (!place.ok()) {
        return place.status();
    }
    const std::shared_ptr<Node> node = place.value().node;
    if (!node) {
        return Status::Failure(win::kFileNotFound);
    }
    if (!node->directory) {
        return Status::Failure(win::kDirectory);
    }
    if (!place.value().directory || (node->attributes & attr::kReadOnly)) {
        return Status::Failure(win::kAccessDenied);
    }
    // A junction goes by itself, whatever its target holds.
    if (!node->IsJunction()) {
        if (!node->children.empty()) {
            return Status::Failure(win::kDirNotEmpty);
        }
        // The process holds its current directory open.
        if (m.CurrentDirectoryNode() == node.get()) {
            return Status::Failure(win::kSharingViolation);
        }
    }
    Detach(*place.value().directory, *node);
    return {};
}

Result<std::string> MemoryWindows::GetShortPathName(std::string_view path) {
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::GetShortPathName, {path})) {
        return Result<std::string>::Failure(*code);
    }
    const auto parsed = m.Parse(path);
    if (!parsed.ok()) {
        return parsed.error();
    }
    const ParsedPath& full = parsed.value();
    for (const std::string& component : full.components) {
        if (!IsValidName(component)) {
            return Result<std::string>::Failure(win::kInvalidName);
        }
    }
    int reparses = 0;
    auto where = m.Walk(full.drive, full.components, 0, Media::Honour, reparses);
    if (!where.ok()) {
        return where.error();
    }
    std::string out =
        full.driveAsGiven.empty() ? std::string(1, full.drive) + ":" : full.driveAsGiven;
    out += '\\';
    for (std::size_t i = 0; i < full.components.size(); ++i) {
        const bool last = i + 1 == full.components.size();
        const std::shared_ptr<Node> node = Find(*where.value().directory, full.components[i]);
        // Each component is looked up by itself, as FindFirstFile would: whatever is missing
        // is a file not found.
        if (!node) {
            return Result<std::string>::Failure(win::kFileNotFound);
        }
        // A name that needs no short name is given back as the directory stores it.
        out += node->shortName.empty() ? node->name : node->shortName;
        if (last) {
            break;
        }
        out += '\\';
        if (!node->directory) {
            return Result<std::string>::Failure(win::kFileNotFound);
        }
        if (node->IsJunction()) {
            where = m.Follow(*node, Media::Honour, reparses);
            if (!where.ok()) {
                return where.error();
            }
        } else {
            where.value().directory = node.get();
        }
    }
    if (full.trailingSeparator) {
        out += '\\';
    }
    return out;
}

Result<std::string> MemoryWindows::ReadFile(std::string_view path) {
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::ReadFile, {path})) {
        return Result<std::string>::Failure(*code);
    }
    const auto place = m.LocateForCall(path);
    if (!place.ok()) {
        return place.error();
    }
    if (!place.value().node) {
        return Result<std::string>::Failure(win::kFileNotFound);
    }
    if (place.value().node->directory) {
        return Result<std::string>::Failure(win::kAccessDenied);
    }
    return place.value().node->contents;
}

namespace {
// Writes a file's new bytes as CREATE_ALWAYS (replace) or OPEN_ALWAYS (append) does, after the
// checks both share: a directory or a read-only file cannot be opened for writing, and bytes
// that do not fit change nothing.
Status WriteBytes(const Place& place, std::string_view bytes, bool append) {
    const std::shared_ptr<Node> existing = place.node;
    if (!place.directory || (existing && existing->directory)) {
        return Status::Failure(win::kAccessDenied);
    }
    if (existing) {
        const std::uint32_t refused = append ? attr::kReadOnly : kNotReplaceable;
        if (existing->attributes & refused) {
            return Status::Failure(win::kAccessDenied);
        }
    }
    const std::uint64_t removed = existing && !append ? existing->contents.size() : 0;
    if (!Fits(*place.drive, removed, bytes.size())) {
        return Status::Failure(win::kDiskFull);
    }
    if (!existing) {
        auto file = NewNode(place.name, false);
        Attach(*place.drive, *place.directory, file);
        SetContents(*place.drive, *file, std::string(bytes));
        file->attributes = attr::kArchive;
    } else if (append) {
        SetContents(*place.drive, *existing, existing->contents + std::string(bytes));
        existing->attributes |= attr::kArchive;
    } else {
        SetContents(*place.drive, *existing, std::string(bytes));
        existing->attributes = attr::kArchive;
    }
    return {};
}
} // namespace

Status MemoryWindows::WriteFile(std::string_view path, std::string_view bytes) {
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::WriteFile, {path})) {
        return Status::Failure(*code);
    }
    const auto place = m.LocateForCall(path);
    if (!place.ok()) {
        return place.status();
    }
    return WriteBytes(place.value(), bytes, false);
}

Status MemoryWindows::AppendFile(std::string_view path, std::string_view bytes) {
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::AppendFile, {path})) {
        return Status::Failure(*code);
    }
    const auto place = m.LocateForCall(path);
    if (!place.ok()) {
        return place.status();
    }
    return WriteBytes(place.value(), bytes, true);
}

std::uint32_t MemoryWindows::LogicalDrives() {
    Machine& m = *state_->machine;
    // GetLogicalDrives fails by answering 0.
    if (m.Begin(Operation::LogicalDrives, {})) {
        return 0;
    }
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < m.drives.size(); ++i) {
        if (m.drives[i]) {
            mask |= 1u << i;
        }
    }
    return mask;
}

DriveType MemoryWindows::GetDriveType(std::string_view root) {
    Machine& m = *state_->machine;
    // GetDriveType has no error channel: an injected failure answers DRIVE_UNKNOWN.
    if (m.Begin(Operation::GetDriveType, {root})) {
        return DriveType::Unknown;
    }
    std::string text(root);
    if (text.empty()) {
        text = m.currentDirectory.substr(0, 3);
    }
    const bool isRoot =
        (text.size() == 2 || (text.size() == 3 && (text[2] == '\\' || text[2] == '/'))) &&
        text[1] == ':';
    if (!isRoot) {
        return DriveType::NoRootDirectory;
    }
    char letter = text[0];
    if (letter >= 'a' && letter <= 'z') {
        letter = static_cast<char>(letter - 'a' + 'A');
    }
    const Drive* drive = m.DriveAt(letter);
    return drive == nullptr ? DriveType::NoRootDirectory : drive->type;
}

Result<std::string> MemoryWindows::CurrentDirectory() {
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::CurrentDirectory, {})) {
        return Result<std::string>::Failure(*code);
    }
    return m.currentDirectory;
}

Result<std::string> MemoryWindows::WindowsDirectory() {
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::WindowsDirectory, {})) {
        return Result<std::string>::Failure(*code);
    }
    return m.windowsDirectory;
}

// --- platform::Profile ---

Status MemoryWindows::WriteString(std::string_view section, std::string_view key,
                                  std::string_view value, std::string_view file) {
    Machine& m = *state_->machine;
    // A name without a directory is a file of the Windows directory.
    std::string path(file);
    if (path.find_first_of("\\/:") == std::string::npos) {
        path = m.windowsDirectory + (m.windowsDirectory.back() == '\\' ? "" : "\\") + path;
    }
    if (auto code = m.Begin(Operation::WriteProfileString, {path})) {
        return Status::Failure(*code);
    }
    const auto located = m.LocateForCall(path);
    if (!located.ok()) {
        return located.status();
    }
    const Place& place = located.value();
    const std::shared_ptr<Node> existing = place.node;
    if (!place.directory || (existing && existing->directory) ||
        (existing && (existing->attributes & attr::kReadOnly))) {
        return Status::Failure(win::kAccessDenied);
    }
    std::string bytes =
        WriteIniKey(existing ? existing->contents : std::string(), section, key, value);
    if (!Fits(*place.drive, existing ? existing->contents.size() : 0, bytes.size())) {
        return Status::Failure(win::kDiskFull);
    }
    std::shared_ptr<Node> ini = existing;
    if (!ini) {
        ini = NewNode(place.name, false);
        Attach(*place.drive, *place.directory, ini);
    }
    SetContents(*place.drive, *ini, std::move(bytes));
    ini->attributes |= attr::kArchive;
    return {};
}

// --- platform::Installer ---

namespace {
const InstalledProduct* FindProduct(const Machine& m, std::string_view productCode) {
    const std::string wanted = FoldCase(productCode);
    for (const InstalledProduct& product : m.products) {
        if (FoldCase(product.productCode) == wanted) {
            return &product;
        }
    }
    return nullptr;
}
} // namespace

Result<std::vector<std::string>> MemoryWindows::RelatedProducts(std::string_view upgradeCode) {
    using Products = Result<std::vector<std::string>>;
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::RelatedProducts, {})) {
        return Products::Failure(*code);
    }
    if (!m.installerAvailable) {
        return Products::Failure(win::kInstallServiceFailure);
    }
    std::vector<std::string> codes;
    const std::string wanted = FoldCase(upgradeCode);
    for (const InstalledProduct& product : m.products) {
        if (!product.upgradeCode.empty() && FoldCase(product.upgradeCode) == wanted) {
            codes.push_back(product.productCode);
        }
    }
    return codes;
}

Result<std::optional<std::string>> MemoryWindows::EnumProducts(std::uint32_t index) {
    using Product = Result<std::optional<std::string>>;
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::EnumProducts, {})) {
        return Product::Failure(*code);
    }
    if (!m.installerAvailable) {
        return Product::Failure(win::kInstallServiceFailure);
    }
    if (index >= m.products.size()) {
        return std::optional<std::string>();
    }
    return std::optional<std::string>(m.products[index].productCode);
}

Result<std::string> MemoryWindows::ProductInfo(std::string_view productCode,
                                               std::string_view property) {
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::ProductInfo, {})) {
        return Result<std::string>::Failure(*code);
    }
    if (!m.installerAvailable) {
        return Result<std::string>::Failure(win::kInstallServiceFailure);
    }
    const InstalledProduct* product = FindProduct(m, productCode);
    if (product == nullptr) {
        return Result<std::string>::Failure(win::kUnknownProduct);
    }
    const auto it = product->properties.find(std::string(property));
    if (it == product->properties.end()) {
        return Result<std::string>::Failure(win::kUnknownProperty);
    }
    return it->second;
}

Result<std::string> MemoryWindows::ComponentPath(std::string_view productCode,
                                                 std::string_view componentCode) {
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::ComponentPath, {})) {
        return Result<std::string>::Failure(*code);
    }
    if (!m.installerAvailable) {
        return Result<std::string>::Failure(win::kInstallServiceFailure);
    }
    // An unknown product and an unknown component both read as a component not installed
    // for that product.
    const InstalledProduct* product = FindProduct(m, productCode);
    if (product == nullptr) {
        return Result<std::string>::Failure(win::kUnknownComponent);
    }
    const std::string wanted = FoldCase(componentCode);
    for (const auto& [component, path] : product->componentPaths) {
        if (FoldCase(component) == wanted) {
            return path;
        }
    }
    return Result<std::string>::Failure(win::kUnknownComponent);
}

// --- platform::SystemInfo ---

Result<OsVersion> MemoryWindows::Version() {
    Machine& m = *state_->machine;
    if (auto code = m.Begin(Operation::Version, {})) {
        return Result<OsVersion>::Failure(*code);
    }
    if (!m.version) {
        return Result<OsVersion>::Failure(win::kInvalidParameter);
    }
    return *m.version;
}

LocalTime MemoryWindows::Now() {
    Machine& m = *state_->machine;
    // GetLocalTime cannot fail: an injected failure is counted and changes nothing.
    (void)m.Begin(Operation::Now, {});
    return m.time;
}

} // namespace korvex::memory
