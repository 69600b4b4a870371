// The file system calls of the in-memory Windows, worked over the machine's drives with the
// outcome, and the Windows error, that Win32 gives.
#include "platform/memory/MemoryFileSystem.h"

#include <utility>

#include "platform/memory/Machine.h"
#include "platform/memory/MemorySearch.h"

namespace korvex::memory {

using platform::DirectoryEntry;
using platform::DirectorySearch;
using platform::DriveType;
namespace attr = platform::attr;

namespace {

// Windows codes of this file that the rest of the system does not meet.
constexpr std::uint32_t kNotSameDevice = 17; // ERROR_NOT_SAME_DEVICE

// Attribute bits that make CREATE_ALWAYS refuse an existing file.
constexpr std::uint32_t kNotReplaceable = attr::kReadOnly | attr::kHidden | attr::kSystem;

} // namespace

Result<std::unique_ptr<DirectorySearch>> MemoryFileSystem::Search(std::string_view pattern) {
    using Found = Result<std::unique_ptr<DirectorySearch>>;
    const auto begun = machine_->Begin(Operation::Search, {pattern}, Reach::Pattern);
    if (!begun.ok()) {
        return begun.error();
    }
    const Place& place = begun.value();
    std::unique_ptr<MemorySearch> search;
    if (HasWildcards(place.name)) {
        search = std::make_unique<MemorySearch>(machine_, place.path.ToString(),
                                                place.directory->shared_from_this(), place.name);
    } else {
        if (!place.node) {
            return Found::Failure(win::kFileNotFound);
        }
        search =
            std::make_unique<MemorySearch>(machine_, place.path.ToString(),
                                           DirectoryEntry{place.node->name, Reported(*place.node)});
    }
    if (!search->Start()) {
        return Found::Failure(win::kFileNotFound);
    }
    return std::unique_ptr<DirectorySearch>(std::move(search));
}

Result<std::uint32_t> MemoryFileSystem::GetAttributes(std::string_view path) {
    const auto place = machine_->Begin(Operation::GetAttributes, {path}, Reach::Existing);
    if (!place.ok()) {
        return place.error();
    }
    return Reported(*place.value().node);
}

Result<platform::FileInformation> MemoryFileSystem::GetFileInformation(std::string_view path) {
    const auto place = machine_->Begin(Operation::GetFileInformation, {path}, Reach::Existing);
    if (!place.ok()) {
        return place.error();
    }
    // A node is one file on the machine: its address is its index, its drive's its volume.
    Where where{place.value().drive, place.value().node.get()};
    if (where.directory->IsJunction()) {
        int reparses = 0;
        auto target = machine_->Follow(*where.directory, Media::Honour, reparses);
        if (!target.ok()) {
            return target.error();
        }
        where = target.value();
    }
    return platform::FileInformation{
        Reported(*where.directory),
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(where.drive) >> 4),
        reinterpret_cast<std::uintptr_t>(where.directory)};
}

Status MemoryFileSystem::SetAttributes(std::string_view path, std::uint32_t attributes) {
    const auto place = machine_->Begin(Operation::SetAttributes, {path}, Reach::Existing);
    if (!place.ok()) {
        return place.status();
    }
    Node& node = *place.value().node;
    node.attributes = (node.attributes & ~kSettableAttributes) | (attributes & kSettableAttributes);
    return {};
}

Status MemoryFileSystem::CopyFile(std::string_view from, std::string_view to) {
    const auto source = machine_->Begin(Operation::CopyFile, {from, to}, Reach::Existing);
    if (!source.ok()) {
        return source.status();
    }
    const std::shared_ptr<Node> file = source.value().node;
    if (file->directory) {
        return Status::Failure(win::kAccessDenied);
    }
    machine_->ticks += machine_->copyMilliseconds;
    const auto target = machine_->Resolve(to, Reach::Entry);
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
    if (machine_->failures.KillsThisCopy()) {
        (void)StoreFile(place, file->contents.substr(0, file->contents.size() / 2)); // then gone
        throw Killed{};
    }
    const auto copy = StoreFile(place, file->contents);
    if (!copy.ok()) {
        return copy.status();
    }
    source.value().drive->bytesRead += file->contents.size();
    copy.value()->attributes = file->attributes | attr::kArchive;
    return {};
}

Status MemoryFileSystem::MoveFile(std::string_view from, std::string_view to) {
    const auto source = machine_->Begin(Operation::MoveFile, {from, to}, Reach::Existing);
    if (!source.ok()) {
        return source.status();
    }
    const std::shared_ptr<Node> node = source.value().node;
    if (!source.value().directory) {
        return Status::Failure(win::kAccessDenied); // a drive root
    }
    const auto target = machine_->Resolve(to, Reach::Entry);
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

Status MemoryFileSystem::DeleteFile(std::string_view path) {
    const auto place = machine_->Begin(Operation::DeleteFile, {path}, Reach::Existing);
    if (!place.ok()) {
        return place.status();
    }
    const std::shared_ptr<Node> node = place.value().node;
    if (node->directory || (node->attributes & attr::kReadOnly)) {
        return Status::Failure(win::kAccessDenied);
    }
    place.value().drive->used -= node->contents.size();
    Detach(*place.value().directory, *node);
    return {};
}

namespace {

Status MakeDirectory(Machine& machine, std::string_view path, bool protectedAccess) {
    const auto place = machine.Begin(Operation::CreateDirectory, {path}, Reach::Entry);
    if (!place.ok()) {
        return place.status();
    }
    if (place.value().node) {
        return Status::Failure(win::kAlreadyExists);
    }
    const Node& parent = *place.value().directory;
    auto made = NewNode(place.value().name, true);
    // Inherited: the root's rule for the folders made in it, any other directory's own.
    made->othersMayChange =
        !protectedAccess &&
        (parent.root ? place.value().drive->type == DriveType::Fixed : parent.othersMayChange);
    Attach(*place.value().drive, *place.value().directory, made);
    return {};
}

} // namespace

Status MemoryFileSystem::CreateDirectory(std::string_view path) {
    return MakeDirectory(*machine_, path, false);
}

Status MemoryFileSystem::CreateProtectedDirectory(std::string_view path) {
    return MakeDirectory(*machine_, path, true);
}

Result<platform::Protection> MemoryFileSystem::GetProtection(std::string_view path) {
    const auto place = machine_->Begin(Operation::GetAttributes, {path}, Reach::Existing);
    if (!place.ok()) {
        return place.error();
    }
    const Node& node = *place.value().node;
    platform::Protection protection;
    protection.link = node.IsJunction();
    protection.othersMayChange = node.othersMayChange;
    if (node.othersMayChange) {
        protection.who = "Authenticated Users";
    }
    return protection;
}

Status MemoryFileSystem::RemoveDirectory(std::string_view path) {
    const auto place = machine_->Begin(Operation::RemoveDirectory, {path}, Reach::Existing);
    if (!place.ok()) {
        return place.status();
    }
    const std::shared_ptr<Node> node = place.value().node;
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
        if (machine_->CurrentDirectoryNode() == node.get()) {
            return Status::Failure(win::kSharingViolation);
        }
    }
    Detach(*place.value().directory, *node);
    return {};
}

Result<std::string> MemoryFileSystem::GetShortPathName(std::string_view path) {
    const auto begun = machine_->Begin(Operation::GetShortPathName, {path}, Reach::Drive);
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
            const auto where = machine_->Follow(*node, Media::Honour, reparses);
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

Result<std::string> MemoryFileSystem::ReadFile(std::string_view path) {
    const auto place = machine_->Begin(Operation::ReadFile, {path}, Reach::Existing);
    if (!place.ok()) {
        return place.error();
    }
    if (place.value().node->directory) {
        return Result<std::string>::Failure(win::kAccessDenied);
    }
    place.value().drive->bytesRead += place.value().node->contents.size();
    return place.value().node->contents;
}

namespace {
// Writes a file's new bytes as CREATE_ALWAYS (replace) or OPEN_ALWAYS (append) does, after the
// checks both share: a directory or a read-only file cannot be opened for writing.
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
    const auto file = StoreFile(place, existing && append ? existing->contents + std::string(bytes)
                                                          : std::string(bytes));
    if (!file.ok()) {
        return file.status();
    }
    // A replaced file keeps none of its bits; an appended one keeps them all.
    file.value()->attributes = append ? file.value()->attributes | attr::kArchive : attr::kArchive;
    return {};
}
} // namespace

Status MemoryFileSystem::WriteFile(std::string_view path, std::string_view bytes) {
    const auto place = machine_->Begin(Operation::WriteFile, {path}, Reach::Entry);
    if (!place.ok()) {
        return place.status();
    }
    return WriteBytes(place.value(), bytes, false);
}

Status MemoryFileSystem::AppendFile(std::string_view path, std::string_view bytes) {
    const auto place = machine_->Begin(Operation::AppendFile, {path}, Reach::Entry);
    if (!place.ok()) {
        return place.status();
    }
    return WriteBytes(place.value(), bytes, true);
}

std::uint32_t MemoryFileSystem::LogicalDrives() {
    if (!machine_->Begin(Operation::LogicalDrives).ok()) {
        return 0;
    }
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < machine_->drives.size(); ++i) {
        if (machine_->drives[i]) {
            mask |= 1u << i;
        }
    }
    return mask;
}

DriveType MemoryFileSystem::GetDriveType(std::string_view root) {
    if (!machine_->Begin(Operation::GetDriveType, {root}, Reach::Nothing).ok()) {
        return DriveType::Unknown;
    }
    std::string text(root);
    if (text.empty()) {
        text = machine_->currentDirectory.substr(0, 3);
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
    const Drive* drive = machine_->DriveAt(letter);
    return drive == nullptr ? DriveType::NoRootDirectory : drive->type;
}

Result<std::string> MemoryFileSystem::CurrentDirectory() {
    if (const auto begun = machine_->Begin(Operation::CurrentDirectory); !begun.ok()) {
        return begun.error();
    }
    return machine_->currentDirectory;
}

Result<std::string> MemoryFileSystem::WindowsDirectory() {
    if (const auto begun = machine_->Begin(Operation::WindowsDirectory); !begun.ok()) {
        return begun.error();
    }
    return machine_->windowsDirectory;
}

} // namespace korvex::memory
