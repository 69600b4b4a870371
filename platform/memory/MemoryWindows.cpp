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
#include "platform/memory/Machine.h"
#include "platform/memory/MemorySearch.h"
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

// Attribute bits that make CREATE_ALWAYS refuse an existing file.
constexpr std::uint32_t kNotReplaceable = attr::kReadOnly | attr::kHidden | attr::kSystem;

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

// For the building helpers: the directory of a path, created where missing, on a drive
// added when missing.
Where CreateMissingDirectories(Machine& m, const ParsedPath& path, std::size_t count) {
    Drive* drive = &m.AddDrive(path.drive);
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
            auto target = m.Follow(*child, Media::Ignore, reparses);
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

ParsedPath ParseForBuilding(const Machine& m, std::string_view path) {
    auto parsed = m.Parse(path);
    if (!parsed.ok()) {
        throw std::invalid_argument("not a path: \"" + std::string(path) + "\"");
    }
    return std::move(parsed).value();
}

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
    const ParsedPath parsed = ParseForBuilding(m, path);
    CreateMissingDirectories(m, parsed, parsed.components.size());
    m.windowsDirectory = parsed.ToString();
}

void MemoryWindows::SetCurrentDirectory(std::string path) {
    Machine& m = *state_->machine;
    m.currentDirectory = ParseForBuilding(m, path).ToString();
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
    const ParsedPath parsed = ParseForBuilding(m, path);
    CreateMissingDirectories(m, parsed, parsed.components.size());
}

void MemoryWindows::PutFile(std::string_view path, std::string_view bytes,
                            std::uint32_t attributes) {
    Machine& m = *state_->machine;
    const ParsedPath parsed = ParseForBuilding(m, path);
    if (parsed.IsRoot() || !IsValidName(parsed.components.back())) {
        throw std::invalid_argument("not a file name: \"" + std::string(path) + "\"");
    }
    const Where where = CreateMissingDirectories(m, parsed, parsed.components.size() - 1);
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
    const ParsedPath parsed = ParseForBuilding(m, path);
    const ParsedPath targetPath = ParseForBuilding(m, target);
    if (parsed.IsRoot() || !IsValidName(parsed.components.back())) {
        throw std::invalid_argument("not a junction name: \"" + std::string(path) + "\"");
    }
    const Where where = CreateMissingDirectories(m, parsed, parsed.components.size() - 1);
    if (Find(*where.directory, parsed.components.back())) {
        throw std::invalid_argument("the name of the junction is taken: " + parsed.ToString());
    }
    auto node = NewNode(parsed.components.back(), true);
    node->junctionTarget = targetPath.ToString();
    Attach(*where.drive, *where.directory, node);
}

void MemoryWindows::PutAttributes(std::string_view path, std::uint32_t attributes) {
    Machine& m = *state_->machine;
    auto place = m.Locate(ParseForBuilding(m, path), Media::Ignore);
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
    m.failures.FailPath(operation, ParseForBuilding(m, path), code);
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
    const auto begun = m.Begin(Operation::Search, {pattern}, Reach::Pattern);
    if (!begun.ok()) {
        return begun.error();
    }
    const Place& place = begun.value();
    std::unique_ptr<MemorySearch> search;
    if (HasWildcards(place.name)) {
        search = std::make_unique<MemorySearch>(state_->machine, place.path.ToString(),
                                                place.directory->shared_from_this(), place.name);
    } else {
        if (!place.node) {
            return Found::Failure(win::kFileNotFound);
        }
        search =
            std::make_unique<MemorySearch>(state_->machine, place.path.ToString(),
                                           DirectoryEntry{place.node->name, Reported(*place.node)});
    }
    if (!search->Start()) {
        return Found::Failure(win::kFileNotFound);
    }
    return std::unique_ptr<DirectorySearch>(std::move(search));
}

Result<std::uint32_t> MemoryWindows::GetAttributes(std::string_view path) {
    const auto place = state_->machine->Begin(Operation::GetAttributes, {path});
    if (!place.ok()) {
        return place.error();
    }
    if (!place.value().node) {
        return Result<std::uint32_t>::Failure(win::kFileNotFound);
    }
    return Reported(*place.value().node);
}

Status MemoryWindows::SetAttributes(std::string_view path, std::uint32_t attributes) {
    const auto place = state_->machine->Begin(Operation::SetAttributes, {path});
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
    const auto source = m.Begin(Operation::CopyFile, {from, to});
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
    const auto target = m.Resolve(to, Reach::Entry);
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
    const auto source = m.Begin(Operation::MoveFile, {from, to});
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
    const auto target = m.Resolve(to, Reach::Entry);
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
    const auto place = m.Begin(Operation::DeleteFile, {path});
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
    const auto place = m.Begin(Operation::CreateDirectory, {path});
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
    const auto place = m.Begin(Operation::RemoveDirectory, {path});
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
    const auto begun = m.Begin(Operation::GetShortPathName, {path}, Reach::Drive);
    if (!begun.ok()) {
        return begun.error();
    }
    const ParsedPath& full = begun.value().path;
    const Node* directory = begun.value().node.get();
    int reparses = 0;
    std::string out =
        full.driveAsGiven.empty() ? std::string(1, full.drive) + ":" : full.driveAsGiven;
    out += '\\';
    for (std::size_t i = 0; i < full.components.size(); ++i) {
        const bool last = i + 1 == full.components.size();
        const std::shared_ptr<Node> node = Find(*directory, full.components[i]);
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
            const auto where = m.Follow(*node, Media::Honour, reparses);
            if (!where.ok()) {
                return where.error();
            }
            directory = where.value().directory;
        } else {
            directory = node.get();
        }
    }
    if (full.trailingSeparator) {
        out += '\\';
    }
    return out;
}

Result<std::string> MemoryWindows::ReadFile(std::string_view path) {
    Machine& m = *state_->machine;
    const auto place = m.Begin(Operation::ReadFile, {path});
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
    const auto place = m.Begin(Operation::WriteFile, {path});
    if (!place.ok()) {
        return place.status();
    }
    return WriteBytes(place.value(), bytes, false);
}

Status MemoryWindows::AppendFile(std::string_view path, std::string_view bytes) {
    Machine& m = *state_->machine;
    const auto place = m.Begin(Operation::AppendFile, {path});
    if (!place.ok()) {
        return place.status();
    }
    return WriteBytes(place.value(), bytes, true);
}

std::uint32_t MemoryWindows::LogicalDrives() {
    Machine& m = *state_->machine;
    // GetLogicalDrives fails by answering 0.
    if (!m.Begin(Operation::LogicalDrives).ok()) {
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
    if (!m.Begin(Operation::GetDriveType, {root}, Reach::Nothing).ok()) {
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
    if (const auto begun = m.Begin(Operation::CurrentDirectory); !begun.ok()) {
        return begun.error();
    }
    return m.currentDirectory;
}

Result<std::string> MemoryWindows::WindowsDirectory() {
    Machine& m = *state_->machine;
    if (const auto begun = m.Begin(Operation::WindowsDirectory); !begun.ok()) {
        return begun.error();
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
    const auto located = m.Begin(Operation::WriteProfileString, {path});
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
    if (const auto begun = m.Begin(Operation::RelatedProducts); !begun.ok()) {
        return begun.error();
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
    if (const auto begun = m.Begin(Operation::EnumProducts); !begun.ok()) {
        return begun.error();
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
    if (const auto begun = m.Begin(Operation::ProductInfo); !begun.ok()) {
        return begun.error();
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
    if (const auto begun = m.Begin(Operation::ComponentPath); !begun.ok()) {
        return begun.error();
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
    if (const auto begun = m.Begin(Operation::Version); !begun.ok()) {
        return begun.error();
    }
    if (!m.version) {
        return Result<OsVersion>::Failure(win::kInvalidParameter);
    }
    return *m.version;
}

LocalTime MemoryWindows::Now() {
    Machine& m = *state_->machine;
    // GetLocalTime cannot fail: an injected failure is counted and changes nothing.
    (void)m.Begin(Operation::Now);
    return m.time;
}

} // namespace korvex::memory
