// The file system through the Win32 kernel API (wide-character functions, UTF-8 at the
// interface). Each method is the one Win32 call its interface comment names; the error it
// fails with is the one Windows reports, so this class adds no rules of its own.
#pragma once

#include "platform/FileSystem.h"

namespace korvex::win32 {

class Win32FileSystem final : public platform::FileSystem {
public:
    // Quiets critical errors for the process (QuietCriticalErrors): a drive without a medium
    // then fails with ERROR_NOT_READY instead of showing the system's dialog.
    Win32FileSystem();

    // FindFirstFileW / FindNextFileW / FindClose.
    Result<std::unique_ptr<platform::DirectorySearch>> Search(std::string_view pattern) override;
    Result<std::uint32_t> GetAttributes(std::string_view path) override;
    Result<platform::FileInformation> GetFileInformation(std::string_view path) override;
    Status SetAttributes(std::string_view path, std::uint32_t attributes) override;
    Status CopyFile(std::string_view from, std::string_view to) override;
    Status MoveFile(std::string_view from, std::string_view to) override;
    Status DeleteFile(std::string_view path) override;
    Status CreateDirectory(std::string_view path) override;
    // CreateDirectoryW with a security descriptor made from SDDL.
    Status CreateProtectedDirectory(std::string_view path) override;
    // GetFileAttributesW, then GetSecurityInfo on the directory opened without following a
    // link; only allowing access rules that are not inherit-only count.
    Result<platform::Protection> GetProtection(std::string_view path) override;
    Status RemoveDirectory(std::string_view path) override;
    // GetShortPathNameW asked for the size it needs first: never truncated.
    Result<std::string> GetShortPathName(std::string_view path) override;
    Result<std::string> ReadFile(std::string_view path) override;
    Status WriteFile(std::string_view path, std::string_view bytes) override;
    // CreateFileW with FILE_APPEND_DATA and OPEN_ALWAYS: every write lands at the end.
    Status AppendFile(std::string_view path, std::string_view bytes) override;
    Result<std::unique_ptr<platform::AppendedFile>> OpenForAppend(std::string_view path) override;
    std::uint32_t LogicalDrives() override;
    platform::DriveType GetDriveType(std::string_view root) override;
    Result<std::string> CurrentDirectory() override;
    // GetWindowsDirectoryW without its trailing backslash. Windows gives one only when the
    // Windows directory is a drive root ("C:\"); that answer is kept as it is, because "C:"
    // alone would name the current directory of drive C.
    Result<std::string> WindowsDirectory() override;
};

} // namespace korvex::win32
