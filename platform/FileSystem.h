// The file system as the Windows kernel offers it: wildcard searches with DOS attribute bits,
// copy, move, delete, directories, short names, drives and whole-file reads and writes.
//
// Paths are UTF-8 Windows paths ("C:\Apps\Control\korvex.exe"); names compare without regard
// to case and keep the case they were created with. Every call models the Win32 call named in
// its comment, including which Windows error it fails with.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Error.h"

namespace korvex::platform {

// DOS attribute bits, the values of FILE_ATTRIBUTE_*.
namespace attr {
constexpr std::uint32_t kReadOnly = 0x01;
constexpr std::uint32_t kHidden = 0x02;
constexpr std::uint32_t kSystem = 0x04;
constexpr std::uint32_t kVolumeLabel = 0x08;
constexpr std::uint32_t kDirectory = 0x10;
constexpr std::uint32_t kArchive = 0x20;
constexpr std::uint32_t kNormal = 0x80;
constexpr std::uint32_t kTemporary = 0x100;
constexpr std::uint32_t kSparse = 0x200;
constexpr std::uint32_t kReparsePoint = 0x400;
constexpr std::uint32_t kCompressed = 0x800;
constexpr std::uint32_t kOffline = 0x1000;
constexpr std::uint32_t kNotContentIndexed = 0x2000;
constexpr std::uint32_t kEncrypted = 0x4000;
} // namespace attr

// GetDriveType's answers.
enum class DriveType : std::uint32_t {
    Unknown = 0,
    NoRootDirectory = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

// What GetFileInformationByHandle tells of an open file or directory: its attributes, and the
// volume serial number and file index that together name it on the machine, whatever path led
// to it (a junction, a symbolic link, an 8.3 name, another case).
struct FileInformation {
    std::uint32_t attributes = 0;
    std::uint32_t volumeSerial = 0;
    std::uint64_t fileIndex = 0;
    bool SameFileAs(const FileInformation& other) const {
        return volumeSerial == other.volumeSerial && fileIndex == other.fileIndex;
    }
};

// Who may change a directory, as its reparse-point bit, owner and access list tell.
struct Protection {
    bool link = false; // a reparse point: a junction, symbolic link or mounted folder
    // Whether anyone but the system, the administrators, the installer service
    // (TrustedInstaller) or this process's own account owns it or is allowed to write into it,
    // delete or rename it, or change its access list (a missing access list allows everyone).
    bool othersMayChange = false;
    std::string who; // one such account, for messages: "Everyone", "S-1-5-11"
};

struct DirectoryEntry {
    std::string name; // the entry's long name, as stored
    std::uint32_t attributes = 0;
};

// An open directory search (a FindFirstFile handle). Entries come in the order the file
// system returns them; "." and ".." are returned for every directory but a drive root.
// Closing happens on destruction (FindClose).
class DirectorySearch {
public:
    virtual ~DirectorySearch() = default;
    // The next entry, or nothing when the search has ended (FindNextFile failing with
    // ERROR_NO_MORE_FILES or any other error).
    virtual std::optional<DirectoryEntry> Next() = 0;
    // Why the search ended, once Next has returned nothing: success when the entries ran out
    // (ERROR_NO_MORE_FILES), otherwise the error FindNextFile failed with.
    virtual Status Ended() const { return Status(); }
};

// A file held open for appending (CreateFile with FILE_APPEND_DATA, OPEN_ALWAYS), closed on
// destruction. Each Append is one WriteFile at the file's end as it is at that moment.
class AppendedFile {
public:
    virtual ~AppendedFile() = default;
    virtual Status Append(std::string_view bytes) = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // FindFirstFile: the pattern is a path whose last component may hold the wildcards * and ?
    // ("C:\MAP\*.*", "C:\korvex\*.cfg") or names one entry ("C:\MAP"). A pattern ending in "\"
    // fails with ERROR_FILE_NOT_FOUND, as FindFirstFile does. Fails with ERROR_FILE_NOT_FOUND
    // when nothing matches,
    // ERROR_PATH_NOT_FOUND when a directory on the way is missing, ERROR_NOT_READY for a drive
    // without a medium. The first entry is the one the search returns first.
    virtual Result<std::unique_ptr<DirectorySearch>> Search(std::string_view pattern) = 0;

    // GetFileAttributes.
    virtual Result<std::uint32_t> GetAttributes(std::string_view path) = 0;
    // CreateFile(path, 0, share all, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS) and
    // GetFileInformationByHandle: links are followed to what they lead to. Fails as
    // GetFileAttributes does for a missing path.
    virtual Result<FileInformation> GetFileInformation(std::string_view path) = 0;
    // SetFileAttributes (a directory keeps its directory bit).
    virtual Status SetAttributes(std::string_view path, std::uint32_t attributes) = 0;

    // CopyFile(from, to, FALSE): replaces an existing destination file; the copy keeps the
    // source's attributes. Fails with ERROR_ACCESS_DENIED when the destination is a directory
    // or a read-only or hidden file.
    virtual Status CopyFile(std::string_view from, std::string_view to) = 0;
    // MoveFile: never replaces; ERROR_ALREADY_EXISTS when the target exists.
    virtual Status MoveFile(std::string_view from, std::string_view to) = 0;
    // DeleteFile: ERROR_ACCESS_DENIED for a read-only file or a directory.
    virtual Status DeleteFile(std::string_view path) = 0;
    // CreateDirectory, one level: ERROR_ALREADY_EXISTS when the name is taken,
    // ERROR_PATH_NOT_FOUND when the parent is missing. The new directory inherits its parent's
    // access list: one made at a fixed drive's root lets every signed-in user change it.
    virtual Status CreateDirectory(std::string_view path) = 0;
    // CreateDirectory with an explicit protected access list: full control for the system and
    // the administrators, inherited by everything made in it, nothing inherited from the parent.
    // Fails as CreateDirectory does, so an existing directory is never taken over.
    virtual Status CreateProtectedDirectory(std::string_view path) = 0;
    // What the path names, without following a link in its last component (GetFileAttributes,
    // then the owner and access list of the directory opened with FILE_FLAG_OPEN_REPARSE_POINT).
    // Fails as GetAttributes does.
    virtual Result<Protection> GetProtection(std::string_view path) = 0;
    // RemoveDirectory: ERROR_DIR_NOT_EMPTY when it holds anything.
    virtual Status RemoveDirectory(std::string_view path) = 0;

    // GetShortPathName of an existing path, whole (no buffer limit); a trailing backslash
    // is kept.
    virtual Result<std::string> GetShortPathName(std::string_view path) = 0;

    // Reads a whole file's bytes.
    virtual Result<std::string> ReadFile(std::string_view path) = 0;
    // Creates or truncates a file and writes the bytes (CreateFile CREATE_ALWAYS + WriteFile).
    virtual Status WriteFile(std::string_view path, std::string_view bytes) = 0;
    // Appends the bytes to a file, creating it when missing (OPEN_ALWAYS, write at the end).
    virtual Status AppendFile(std::string_view path, std::string_view bytes) = 0;
    // Opens a file for appending, creating it when missing (OPEN_ALWAYS), and keeps it open for
    // later appends. Fails as AppendFile does. By default every Append is an AppendFile of its
    // own (open, write, close); a backend whose opening is costly keeps one handle instead.
    virtual Result<std::unique_ptr<AppendedFile>> OpenForAppend(std::string_view path);

    // GetLogicalDrives: bit 0 for A: ... bit 25 for Z:.
    virtual std::uint32_t LogicalDrives() = 0;
    // GetDriveType of a root such as "D:\".
    virtual DriveType GetDriveType(std::string_view root) = 0;
    // GetCurrentDirectory.
    virtual Result<std::string> CurrentDirectory() = 0;
    // GetWindowsDirectory, without a trailing backslash.
    virtual Result<std::string> WindowsDirectory() = 0;
};

namespace detail {
// Appends through AppendFile, opening and closing the file each time.
class AppendEachTime final : public AppendedFile {
public:
    AppendEachTime(FileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}
    Status Append(std::string_view bytes) override { return files_.AppendFile(path_, bytes); }

private:
    FileSystem& files_;
    std::string path_;
};
} // namespace detail

inline Result<std::unique_ptr<AppendedFile>> FileSystem::OpenForAppend(std::string_view path) {
    // Opening creates the file and fails where appending would, as CreateFile does.
    if (Status opened = AppendFile(path, ""); !opened.ok()) {
        return opened.error();
    }
    return std::unique_ptr<AppendedFile>(
        std::make_unique<detail::AppendEachTime>(*this, std::string(path)));
}

// Whether an entry is an ordinary file: not a directory, hidden, system, read-only or a
// reparse point, nor temporary, offline or encrypted (these stay where they are). The archive bit
// (backup programs clear it), FILE_ATTRIBUTE_NORMAL, and the bits of how NTFS stores a file (not
// content indexed, compressed, sparse) do not change what the entry is.
inline bool IsOrdinaryFile(std::uint32_t attributes) {
    constexpr std::uint32_t kStorage = attr::kArchive | attr::kNormal | attr::kNotContentIndexed |
                                       attr::kCompressed | attr::kSparse;
    return (attributes & ~kStorage) == 0;
}

// A name as the file system compares it, for the ASCII names the programs compare themselves
// (Windows names compare without regard to case): its letters in lower case.
inline std::string FoldName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

// Whether an attribute value is a link's: a junction, symbolic link or mounted folder.
inline bool IsLink(std::uint32_t attributes) {
    return (attributes & attr::kReparsePoint) != 0;
}

// Whether an attribute value carries the directory bit.
inline bool IsDirectory(std::uint32_t attributes) {
    return (attributes & attr::kDirectory) != 0;
}

} // namespace korvex::platform
