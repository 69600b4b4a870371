// The in-memory Windows' tree of drives, files and directories: finding, adding and removing
// entries with their 8.3 names, and the walk and the start every operation makes.
#include "platform/memory/Machine.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace korvex::memory {

namespace attr = platform::attr;

namespace {

// The most junctions one path may pass through, as the Windows I/O manager allows; past it the
// path fails with ERROR_CANT_RESOLVE_FILENAME. This is what ends a walk around a junction loop.
constexpr int kMostReparses = 63;

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

} // namespace

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

Result<Node*> StoreFile(const Place& place, std::string bytes) {
    const std::shared_ptr<Node>& existing = place.node;
    if (!Fits(*place.drive, existing ? existing->contents.size() : 0, bytes.size())) {
        return Result<Node*>::Failure(win::kDiskFull);
    }
    std::shared_ptr<Node> file = existing;
    if (!file) {
        file = NewNode(place.name, false);
        Attach(*place.drive, *place.directory, file);
    }
    SetContents(*place.drive, *file, std::move(bytes));
    return file.get();
}

// --- Machine ---

Result<Place> Machine::Begin(Operation operation, std::initializer_list<std::string_view> paths,
                             Reach reach) {
    if (auto code = failures.CountCall(operation, paths, currentDirectory)) {
        return Result<Place>::Failure(*code);
    }
    if (paths.size() == 0 || reach == Reach::Nothing) {
        return Place{};
    }
    return Resolve(*paths.begin(), reach);
}

Result<Place> Machine::Resolve(std::string_view text, Reach reach) {
    auto parsed = Parse(text);
    if (!parsed.ok()) {
        return parsed.error();
    }
    ParsedPath& path = parsed.value();
    if (reach == Reach::Pattern && (path.IsRoot() || path.trailingSeparator)) {
        return Result<Place>::Failure(win::kFileNotFound);
    }
    for (std::size_t i = 0; i < path.components.size(); ++i) {
        const bool pattern = reach == Reach::Pattern && i + 1 == path.components.size();
        if (!(pattern ? IsValidPattern(path.components[i]) : IsValidName(path.components[i]))) {
            return Result<Place>::Failure(win::kInvalidName);
        }
    }
    if (reach == Reach::Drive) {
        int reparses = 0;
        const auto where = Walk(path.drive, path.components, 0, Media::Honour, reparses);
        if (!where.ok()) {
            return where.error();
        }
        Drive* drive = where.value().drive;
        return Place{drive, nullptr, drive->root, {}, std::move(path)};
    }
    auto place = Locate(path, Media::Honour,
                        reach == Reach::Pattern ? win::kInvalidName : win::kPathNotFound);
    if (!place.ok()) {
        return place;
    }
    const Node* node = place.value().node.get();
    // "file\" names a directory that a file cannot be.
    if (node && !node->directory && path.trailingSeparator) {
        return Result<Place>::Failure(win::kInvalidName);
    }
    if (!node && reach == Reach::Existing) {
        return Result<Place>::Failure(win::kFileNotFound);
    }
    place.value().path = std::move(path);
    return place;
}

Drive* Machine::DriveAt(char letter) {
    if (letter < 'A' || letter > 'Z') {
        return nullptr;
    }
    return drives[static_cast<std::size_t>(letter - 'A')].get();
}

Drive& Machine::AddDrive(char letter) {
    auto& slot = drives[static_cast<std::size_t>(letter - 'A')];
    if (!slot) {
        slot = std::make_unique<Drive>();
        slot->root = NewNode("", true);
        slot->root->root = true;
    }
    return *slot;
}

Result<ParsedPath> Machine::Parse(std::string_view path) const {
    return ParsePath(path, currentDirectory);
}

Result<Where> Machine::Walk(char letter, const std::vector<std::string>& components,
                            std::size_t count, Media media, int& reparses, std::uint32_t fileCode) {
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

Result<Where> Machine::Follow(const Node& junction, Media media, int& reparses) {
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

Result<Where> Machine::WalkAll(const ParsedPath& path, Media media) {
    int reparses = 0;
    return Walk(path.drive, path.components, path.components.size(), media, reparses);
}

Result<Place> Machine::Locate(const ParsedPath& path, Media media, std::uint32_t fileCode) {
    int reparses = 0;
    if (path.IsRoot()) {
        auto where = Walk(path.drive, path.components, 0, media, reparses);
        if (!where.ok()) {
            return where.error();
        }
        return Place{where.value().drive, nullptr, where.value().drive->root, {}, {}};
    }
    const std::size_t last = path.components.size() - 1;
    auto where = Walk(path.drive, path.components, last, media, reparses, fileCode);
    if (!where.ok()) {
        return where.error();
    }
    return Place{where.value().drive,
                 where.value().directory,
                 Find(*where.value().directory, path.components[last]),
                 path.components[last],
                 {}};
}

Node* Machine::CurrentDirectoryNode() {
    const auto parsed = Parse(currentDirectory);
    if (!parsed.ok()) {
        return nullptr;
    }
    const auto where = WalkAll(parsed.value(), Media::Ignore);
    return where.ok() ? where.value().directory : nullptr;
}

} // namespace korvex::memory
