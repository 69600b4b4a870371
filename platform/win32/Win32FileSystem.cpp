// The file system through the Win32 kernel API.
#include "platform/win32/Win32FileSystem.h"

#include "platform/win32/WindowsHeaders.h"
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/Process.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32Error.h"

namespace korvex::win32 {

namespace {

// A file handle closed on destruction.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (valid()) {
            ::CloseHandle(handle_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

class Win32DirectorySearch final : public platform::DirectorySearch {
public:
    // Takes a handle from a successful FindFirstFileW and the entry it found.
    Win32DirectorySearch(HANDLE handle, const WIN32_FIND_DATAW& first)
        : handle_(handle), data_(first) {}
    ~Win32DirectorySearch() override { ::FindClose(handle_); }
    Win32DirectorySearch(const Win32DirectorySearch&) = delete;
    Win32DirectorySearch& operator=(const Win32DirectorySearch&) = delete;

    std::optional<platform::DirectoryEntry> Next() override {
        if (ended_) {
            return std::nullopt;
        }
        if (firstPending_) {
            firstPending_ = false;
        } else if (!::FindNextFileW(handle_, &data_)) {
            // ERROR_NO_MORE_FILES or a failure: the search is over either way; Ended tells
            // which.
            const DWORD code = ::GetLastError();
            if (code != ERROR_NO_MORE_FILES) {
                ended_with_ = Status(ErrorFromCode(code));
            }
            ended_ = true;
            return std::nullopt;
        }
        return platform::DirectoryEntry{Narrow(data_.cFileName), data_.dwFileAttributes};
    }

    Status Ended() const override { return ended_with_; }

private:
    HANDLE handle_;
    WIN32_FIND_DATAW data_;
    bool firstPending_ = true;
    bool ended_ = false;
    Status ended_with_;
};

// Writes all the bytes to an open handle, in pieces a DWORD can count.
Status WriteAll(HANDLE handle, std::string_view bytes) {
    constexpr std::size_t kPiece = 1u << 30;
    while (!bytes.empty()) {
        const DWORD piece = static_cast<DWORD>(std::min(bytes.size(), kPiece));
        DWORD written = 0;
        if (!::WriteFile(handle, bytes.data(), piece, &written, nullptr)) {
            return LastErrorStatus();
        }
        if (written == 0) {
            return Status::Failure(ERROR_HANDLE_DISK_FULL);
        }
        bytes.remove_prefix(written);
    }
    return {};
}

// Calls a Win32 function of the GetWindowsDirectoryW kind, which fills a buffer and returns
// the length written, or the size it needs (terminator included) when the buffer is too
// small, or 0 on failure. Grows the buffer until the answer fits.
template <class Fill> Result<std::string> WholeString(Fill fill) {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    for (;;) {
        const DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return LastError();
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return Narrow(buffer);
        }
        buffer.assign(length, L'\0');
    }
}

constexpr std::wstring_view kLongPrefix = L"\\\\?\\";

// The wide form of a path for the file functions. A path too long for the classic limit
// (CreateDirectoryW's, MAX_PATH - 12) takes the "\\?\" form of its full path, so that a
// Windows without long-path support still reaches it: GetFullPathNameW first resolves "/", "."
// and ".." and drops trailing dots and blanks, as the classic form would. Shorter paths are
// handed over as they are.
std::wstring FilePath(std::string_view path) {
    std::wstring wide = Widen(path);
    if (wide.size() < MAX_PATH - 12 || wide.starts_with(kLongPrefix)) {
        return wide;
    }
    const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return wide;
    }
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return wide;
    }
    full.resize(length);
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') {
        return std::wstring(kLongPrefix) + full;
    }
    if (full.starts_with(L"\\\\")) {
        return std::wstring(kLongPrefix) + L"UNC" + full.substr(1);
    }
    return wide;
}

} // namespace

Win32FileSystem::Win32FileSystem() {
    QuietCriticalErrors();
}

Result<std::unique_ptr<platform::DirectorySearch>>
Win32FileSystem::Search(std::string_view pattern) {
    WIN32_FIND_DATAW data{};
    const HANDLE handle = ::FindFirstFileW(FilePath(pattern).c_str(), &data);
    if (handle == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    return std::unique_ptr<platform::DirectorySearch>(
        std::make_unique<Win32DirectorySearch>(handle, data));
}

Result<std::uint32_t> Win32FileSystem::GetAttributes(std::string_view path) {
    const DWORD attributes = ::GetFileAttributesW(FilePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return LastError();
    }
    return static_cast<std::uint32_t>(attributes);
}

Result<platform::FileInformation> Win32FileSystem::GetFileInformation(std::string_view path) {
    // No access asked for: enough to read the information, allowed on any file or directory.
    FileHandle file(::CreateFileW(FilePath(path).c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid()) {
        return LastError();
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(file.get(), &information)) {
        return LastError();
    }
    return platform::FileInformation{
        information.dwFileAttributes, information.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

Status Win32FileSystem::SetAttributes(std::string_view path, std::uint32_t attributes) {
    if (!::SetFileAttributesW(FilePath(path).c_str(), attributes)) {
        return LastErrorStatus();
    }
    return {};
}

Status Win32FileSystem::CopyFile(std::string_view from, std::string_view to) {
    if (!::CopyFileW(FilePath(from).c_str(), FilePath(to).c_str(), FALSE)) {
        return LastErrorStatus();
    }
    return {};
}

Status Win32FileSystem::MoveFile(std::string_view from, std::string_view to) {
    if (!::MoveFileW(FilePath(from).c_str(), FilePath(to).c_str())) {
        return LastErrorStatus();
    }
    return {};
}

Status Win32FileSystem::DeleteFile(std::string_view path) {
    if (!::DeleteFileW(FilePath(path).c_str())) {
        return LastErrorStatus();
    }
    return {};
}

Status Win32FileSystem::CreateDirectory(std::string_view path) {
    if (!::CreateDirectoryW(FilePath(path).c_str(), nullptr)) {
        return LastErrorStatus();
    }
    return {};
}

namespace {

// Full control for the system (SY) and the administrators (BA), inherited by the files (OI) and
// folders (CI) made inside; P: nothing inherited from the parent.
constexpr wchar_t kProtectedAccess[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// The rights that change a directory or what it holds: add, delete or write entries, change its
// attributes, rename or delete it, change its access list or owner.
constexpr ACCESS_MASK kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                      FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES | DELETE |
                                      WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// Memory that a security function allocated with LocalAlloc, freed on destruction.
class LocalMemory {
public:
    explicit LocalMemory(void* memory) : memory_(memory) {}
    ~LocalMemory() { ::LocalFree(memory_); }
    LocalMemory(const LocalMemory&) = delete;
    LocalMemory& operator=(const LocalMemory&) = delete;

private:
    void* memory_;
};

// The accounts a protected folder may let change it: the system, the administrators, the
// installer service and the account this process runs as (already holding the rights the
// programs use).
class TrustedAccounts {
public:
    TrustedAccounts() {
        AddWellKnown(WinLocalSystemSid);
        AddWellKnown(WinBuiltinAdministratorsSid);
        PSID installer = nullptr;
        if (::ConvertStringSidToSidW(
                L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", &installer)) {
            Add(installer);
            ::LocalFree(installer);
        }
        HANDLE token = nullptr;
        if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
            DWORD size = 0;
            ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
            std::vector<BYTE> user(size);
            if (size > 0 && ::GetTokenInformation(token, TokenUser, user.data(), size, &size)) {
                Add(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
            }
            ::CloseHandle(token);
        }
    }
    bool Contains(PSID sid) const {
        return std::any_of(sids_.begin(), sids_.end(), [sid](const std::vector<BYTE>& trusted) {
            return ::EqualSid(const_cast<BYTE*>(trusted.data()), sid);
        });
    }

private:
    void Add(PSID sid) {
        const BYTE* bytes = static_cast<const BYTE*>(sid);
        sids_.emplace_back(bytes, bytes + ::GetLengthSid(sid));
    }
    void AddWellKnown(WELL_KNOWN_SID_TYPE type) {
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof sid;
        if (::CreateWellKnownSid(type, nullptr, sid, &size)) {
            Add(sid);
        }
    }
    std::vector<std::vector<BYTE>> sids_;
};

// An account for messages: the names of the groups every user belongs to, else the SID.
std::string AccountName(PSID sid) {
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text)) {
        return "an account";
    }
    LocalMemory held(text);
    const std::string id = Narrow(text);
    if (id == "S-1-1-0") {
        return "Everyone";
    }
    if (id == "S-1-5-11") {
        return "Authenticated Users";
    }
    if (id == "S-1-5-32-545") {
        return "Users";
    }
    return id;
}

} // namespace

Status Win32FileSystem::CreateProtectedDirectory(std::string_view path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kProtectedAccess, SDDL_REVISION_1,
                                                                &descriptor, nullptr)) {
        return LastErrorStatus();
    }
    LocalMemory held(descriptor);
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    if (!::CreateDirectoryW(FilePath(path).c_str(), &security)) {
        return LastErrorStatus();
    }
    return {};
}

Result<platform::Protection> Win32FileSystem::GetProtection(std::string_view path) {
    const std::wstring wide = FilePath(path);
    platform::Protection protection;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return LastError();
    }
    protection.link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (protection.link) {
        return protection;
    }
    // The owner and access list of what was just found to be no link, read through one handle
    // that does not follow a link, so that a link put in its place meanwhile is seen as one.
    FileHandle file(::CreateFileW(
        wide.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) {
        return LastError();
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(file.get(), &information)) {
        return LastError();
    }
    protection.link = (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (protection.link) {
        return protection;
    }
    PSID owner = nullptr;
    PACL access = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (const DWORD error = ::GetSecurityInfo(
            file.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
            &owner, nullptr, &access, nullptr, &descriptor)) {
        return ErrorFromCode(error);
    }
    LocalMemory held(descriptor);
    const TrustedAccounts trusted;
    const auto other = [&protection](std::string who) {
        protection.othersMayChange = true;
        protection.who = std::move(who);
        return protection;
    };
    // The owner may always change the access list.
    if (owner != nullptr && !trusted.Contains(owner)) {
        return other(AccountName(owner) + " (the owner)");
    }
    if (access == nullptr) {
        return other("Everyone (the folder has no access list)");
    }
    for (DWORD i = 0; i < access->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(access, i, &entry)) {
            return LastError();
        }
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if ((header->AceFlags & INHERIT_ONLY_ACE) != 0) {
            continue; // applies only to what is made inside
        }
        if (header->AceType == ACCESS_DENIED_ACE_TYPE || header->AceType == SYSTEM_AUDIT_ACE_TYPE ||
            header->AceType == SYSTEM_MANDATORY_LABEL_ACE_TYPE) {
            continue;
        }
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
            // An allowing rule of a kind read no further (object or conditional): taken as
            // letting others in, so that nothing unread is trusted.
            return other("an access rule of type " + std::to_string(header->AceType));
        }
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        PSID sid = &allowed->SidStart;
        if ((allowed->Mask & kChangeRights) != 0 && !trusted.Contains(sid)) {
            return other(AccountName(sid));
        }
    }
    return protection;
}

Status Win32FileSystem::RemoveDirectory(std::string_view path) {
    if (!::RemoveDirectoryW(FilePath(path).c_str())) {
        return LastErrorStatus();
    }
    return {};
}

Result<std::string> Win32FileSystem::GetShortPathName(std::string_view path) {
    const std::wstring longPath = FilePath(path);
    Result<std::string> shortPath = WholeString([&](wchar_t* buffer, DWORD size) {
        return ::GetShortPathNameW(longPath.c_str(), buffer, size);
    });
    // The caller gets back the form it gave.
    if (shortPath.ok() && longPath.starts_with(kLongPrefix) && !path.starts_with("\\\\?\\")) {
        std::string& value = shortPath.value();
        value.erase(0, 4);
        if (value.starts_with("UNC\\")) {
            value.replace(0, 4, "\\\\");
        }
    }
    return shortPath;
}

Result<std::string> Win32FileSystem::ReadFile(std::string_view path) {
    FileHandle file(::CreateFileW(FilePath(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return LastError();
    }
    std::string bytes;
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
        bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    }
    // Read to the end rather than to the size asked before: the file may change meanwhile.
    char piece[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), piece, sizeof piece, &read, nullptr)) {
            return LastError();
        }
        if (read == 0) {
            return bytes;
        }
        bytes.append(piece, read);
    }
}

Status Win32FileSystem::WriteFile(std::string_view path, std::string_view bytes) {
    FileHandle file(::CreateFileW(FilePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return LastErrorStatus();
    }
    return WriteAll(file.get(), bytes);
}

Status Win32FileSystem::AppendFile(std::string_view path, std::string_view bytes) {
    FileHandle file(::CreateFileW(FilePath(path).c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                                  FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file.valid()) {
        return LastErrorStatus();
    }
    return WriteAll(file.get(), bytes);
}

namespace {

// One handle for the whole run: a line costs one WriteFile instead of an open, a write and a
// close. WriteFile hands the bytes to the kernel's cache before it returns, so a line written
// is in the file even if the process dies the next instant; only a power loss could lose it,
// and guarding against that (FlushFileBuffers after each line) would cost a disc write per
// line. Others may read, append to, rename or delete the file while it is open, as they could
// between the appends of AppendFile.
class Win32AppendedFile final : public platform::AppendedFile {
public:
    explicit Win32AppendedFile(HANDLE handle) : file_(handle) {}
    Status Append(std::string_view bytes) override { return WriteAll(file_.get(), bytes); }

private:
    FileHandle file_;
};

} // namespace

Result<std::unique_ptr<platform::AppendedFile>>
Win32FileSystem::OpenForAppend(std::string_view path) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the end of the file.
    const HANDLE handle = ::CreateFileW(FilePath(path).c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    return std::unique_ptr<platform::AppendedFile>(std::make_unique<Win32AppendedFile>(handle));
}

std::uint32_t Win32FileSystem::LogicalDrives() {
    return static_cast<std::uint32_t>(::GetLogicalDrives());
}

platform::DriveType Win32FileSystem::GetDriveType(std::string_view root) {
    return static_cast<platform::DriveType>(::GetDriveTypeW(Widen(root).c_str()));
}

Result<std::string> Win32FileSystem::CurrentDirectory() {
    return WholeString(
        [](wchar_t* buffer, DWORD size) { return ::GetCurrentDirectoryW(size, buffer); });
}

Result<std::string> Win32FileSystem::WindowsDirectory() {
    Result<std::string> directory = WholeString(
        [](wchar_t* buffer, DWORD size) { return ::GetWindowsDirectoryW(buffer, size); });
    if (!directory.ok()) {
        return directory;
    }
    std::string& path = directory.value();
    const bool bareRoot = path.size() == 3 && path[1] == ':';
    if (!bareRoot && path.size() > 1 && path.back() == '\\') {
        path.pop_back();
    }
    return directory;
}

} // namespace korvex::win32
