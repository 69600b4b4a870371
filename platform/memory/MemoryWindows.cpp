// The in-memory Windows as tests build and inspect it, and the services it owns.
#include "platform/memory/MemoryWindows.h"

#include <cstdio>
#include <stdexcept>
#include <utility>

#include "platform/memory/Machine.h"
#include "platform/memory/Paths.h"

namespace korvex::memory {

using platform::DriveType;
using platform::LocalTime;
using platform::OsVersion;
namespace attr = platform::attr;

namespace {

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

void MemoryWindows::SetCopyTime(std::uint32_t milliseconds) {
    machine_->copyMilliseconds = milliseconds;
}

MemoryWindows::MemoryWindows()
    : machine_(std::make_shared<Machine>()), files_(machine_), profile_(*machine_),
      installer_(*machine_), system_(*machine_),
      progress_(ui_, system_), platform_{files_, profile_, installer_, system_,
                                         ui_,    log_,     progress_} {
    AddDrive('C', DriveType::Fixed);
    SetShortNameGeneration('C', true);
    SetWindowsDirectory("C:\\WINDOWS");
}

// --- Building the machine ---

void MemoryWindows::AddDrive(char letter, DriveType type, bool mediaPresent) {
    Drive& drive = machine_->AddDrive(DriveLetter(letter));
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
    ExistingDrive(*machine_, letter).mediaPresent = present;
}

void MemoryWindows::SetShortNameGeneration(char letter, bool on) {
    ExistingDrive(*machine_, letter).shortNames = on;
}

void MemoryWindows::SetCapacity(char letter, std::uint64_t bytes) {
    ExistingDrive(*machine_, letter).capacity = bytes;
}

void MemoryWindows::SetWindowsDirectory(std::string path) {
    Machine& m = *machine_;
    const ParsedPath parsed = ParseForBuilding(m, path);
    CreateMissingDirectories(m, parsed, parsed.components.size());
    m.windowsDirectory = parsed.ToString();
}

void MemoryWindows::SetCurrentDirectory(std::string path) {
    Machine& m = *machine_;
    m.currentDirectory = ParseForBuilding(m, path).ToString();
}

void MemoryWindows::SetVersion(std::optional<OsVersion> version) {
    machine_->version = version;
}

void MemoryWindows::SetTime(LocalTime time) {
    machine_->time = time;
}

void MemoryWindows::AddProduct(InstalledProduct product) {
    machine_->products.push_back(std::move(product));
}

void MemoryWindows::SetInstallerAvailable(bool available) {
    machine_->installerAvailable = available;
}

void MemoryWindows::MakeDirectories(std::string_view path) {
    Machine& m = *machine_;
    const ParsedPath parsed = ParseForBuilding(m, path);
    CreateMissingDirectories(m, parsed, parsed.components.size());
}

void MemoryWindows::PutFile(std::string_view path, std::string_view bytes,
                            std::uint32_t attributes) {
    Machine& m = *machine_;
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
    Machine& m = *machine_;
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

void MemoryWindows::LetUsersChange(std::string_view path) {
    Machine& m = *machine_;
    auto place = m.Locate(ParseForBuilding(m, path), Media::Ignore);
    if (!place.ok() || !place.value().node || !place.value().node->directory) {
        throw std::invalid_argument("no directory at " + std::string(path));
    }
    place.value().node->othersMayChange = true;
}

void MemoryWindows::PutAttributes(std::string_view path, std::uint32_t attributes) {
    Machine& m = *machine_;
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

std::uint64_t MemoryWindows::BytesRead(char letter) const {
    return ExistingDrive(*machine_, letter).bytesRead;
}

bool MemoryWindows::Exists(std::string_view path) const {
    return Inspect(*machine_, path) != nullptr;
}

bool MemoryWindows::IsDirectoryAt(std::string_view path) const {
    const auto node = Inspect(*machine_, path);
    return node && node->directory;
}

std::optional<std::string> MemoryWindows::Contents(std::string_view path) const {
    const auto node = Inspect(*machine_, path);
    if (!node || node->directory) {
        return std::nullopt;
    }
    return node->contents;
}

std::optional<std::uint32_t> MemoryWindows::AttributesOf(std::string_view path) const {
    const auto node = Inspect(*machine_, path);
    if (!node) {
        return std::nullopt;
    }
    return Reported(*node);
}

std::optional<std::string> MemoryWindows::ShortNameOf(std::string_view path) const {
    const auto node = Inspect(*machine_, path);
    if (!node) {
        return std::nullopt;
    }
    if (node->root) {
        return machine_->Parse(path).value().ToString();
    }
    return node->shortName.empty() ? node->name : node->shortName;
}

std::vector<std::string> MemoryWindows::Tree(std::string_view directory) const {
    Machine& m = *machine_;
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
    const Machine& m = *machine_;
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
    return machine_->failures.Count(operation);
}

std::uint64_t MemoryWindows::TotalCount() const {
    return machine_->failures.TotalCount();
}

void MemoryWindows::ResetCounts() {
    machine_->failures.ResetCounts();
}

void MemoryWindows::FailNth(Operation operation, std::uint64_t n, std::uint32_t code) {
    machine_->failures.FailNth(operation, n, code);
}

void MemoryWindows::FailNthOverall(std::uint64_t n, std::uint32_t code) {
    machine_->failures.FailNthOverall(n, code);
}

void MemoryWindows::FailPath(Operation operation, std::string_view path, std::uint32_t code) {
    Machine& m = *machine_;
    m.failures.FailPath(operation, ParseForBuilding(m, path), code);
}

void MemoryWindows::KillAt(Operation operation, std::uint64_t n) {
    machine_->failures.KillAt(operation, n);
}

void MemoryWindows::KillInCopy(std::uint64_t n) {
    machine_->failures.KillInCopy(n);
}

void MemoryWindows::ClearFailures() {
    machine_->failures.ClearFailures();
}

int MemoryWindows::OpenSearches() const {
    return machine_->failures.OpenSearches();
}

int MemoryWindows::MostOpenSearches() const {
    return machine_->failures.MostOpenSearches();
}

} // namespace korvex::memory
