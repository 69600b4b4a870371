// The file system through the Win32 kernel API.
#include "platform/win32/Win32FileSystem.h"

#include "platform/win32/WindowsHeaders.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/FileHandle.h"
#include "platform/win32/Process.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32Error.h"

namespace korvex::win32 {

namespace {

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

} // namespace

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
