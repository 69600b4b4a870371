// The contract tests' machine for the MinGW build: the Win32 backend on the machine it runs
// on (Wine), with a scratch directory of its own at the root of C:.
#include "platform/win32/WindowsHeaders.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/contract/Backend.h"
#include "platform/win32/Process.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Installer.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32SystemInfo.h"

namespace korvex::contract {

namespace {

// Deletes a directory tree whatever the attributes of its entries, with the plain Win32 API so
// that cleaning up does not lean on the code under test.
void RemoveTree(const std::wstring& directory) {
    WIN32_FIND_DATAW data{};
    const HANDLE search = ::FindFirstFileW((directory + L"\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring path = directory + L"\\" + name;
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(search, &data));
        ::FindClose(search);
    }
    ::SetFileAttributesW(directory.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(directory.c_str());
}

bool WriteBytes(const std::wstring& path, std::string_view bytes) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadBytes(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string bytes(4096, '\0');
    DWORD read = 0;
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    ::CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

// Tries each piece of Windows behaviour that Wine is known to miss, in a directory of its own
// that it removes afterwards.
std::set<Shortfall> FindShortfalls(const std::wstring& directory) {
    std::set<Shortfall> lacking;
    ::CreateDirectoryW(directory.c_str(), nullptr);
    const std::wstring readOnly = directory + L"\\readonly";
    WriteBytes(readOnly, "a");
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    if (WriteBytes(readOnly, "b")) {
        lacking.insert(Shortfall::WritesReadOnlyFiles);
    }
    const std::wstring hidden = directory + L"\\hidden";
    WriteBytes(hidden, "a");
    ::SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    if (WriteBytes(hidden, "b")) {
        lacking.insert(Shortfall::ReplacesHiddenFiles);
    }
    const std::wstring target = directory + L"\\target";
    WriteBytes(target, "a");
    ::CopyFileW(hidden.c_str(), target.c_str(), FALSE);
    if ((::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN) == 0) {
        lacking.insert(Shortfall::CopyKeepsTargetAttributes);
    }
    const std::wstring subdirectory = directory + L"\\sub";
    ::CreateDirectoryW(subdirectory.c_str(), nullptr);
    ::SetFileAttributesW(subdirectory.c_str(), FILE_ATTRIBUTE_READONLY);
    if ((::GetFileAttributesW(subdirectory.c_str()) & FILE_ATTRIBUTE_READONLY) == 0) {
        lacking.insert(Shortfall::NoReadOnlyDirectories);
    }
    const std::wstring lower = directory + L"\\case";
    WriteBytes(lower, "a");
    ::MoveFileW(lower.c_str(), (directory + L"\\CASE").c_str());
    WIN32_FIND_DATAW data{};
    const HANDLE search = ::FindFirstFileW(lower.c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        if (std::wstring(data.cFileName) != L"CASE") {
            lacking.insert(Shortfall::KeepsCaseOnRename);
        }
        ::FindClose(search);
    }
    const std::wstring ini = directory + L"\\probe.ini";
    WriteBytes(ini, "[S]\r\nA = 1\r\n\r\n[T]\r\n");
    ::WritePrivateProfileStringW(L"T", L"B", L"2", ini.c_str());
    if (ReadBytes(ini) != "[S]\r\nA = 1\r\n\r\n[T]\r\nB=2\r\n") {
        lacking.insert(Shortfall::RewritesIniFiles);
    }
    RemoveTree(directory);
    return lacking;
}

class Win32Backend final : public Backend {
public:
    // C:\korvex-contract-<process id>-<n>, with the first n whose directory is not taken.
    Win32Backend() {
        const std::string process = std::to_string(::GetCurrentProcessId());
        for (int n = 1;; ++n) {
            prefix_ = "korvex-contract-" + process + "-" + std::to_string(n);
            scratch_ = "C:\\" + prefix_;
            if (::CreateDirectoryW(win32::Widen(scratch_).c_str(), nullptr)) {
                break;
            }
            const DWORD error = ::GetLastError();
            if (error != ERROR_ALREADY_EXISTS) {
                ADD_FAILURE() << "Cannot create the scratch directory " << scratch_ << ": error "
                              << error;
                break;
            }
        }
        lacking_ = FindShortfalls(win32::Widen(scratch_ + "\\shortfalls"));
    }
    ~Win32Backend() override { RemoveTree(win32::Widen(scratch_)); }

    platform::FileSystem& files() override { return files_; }
    platform::Profile& profile() override { return profile_; }
    platform::Installer& installer() override { return installer_; }
    platform::SystemInfo& system() override { return system_; }
    const std::string& scratch() const override { return scratch_; }
    std::string UniqueName(std::string_view extension) override {
        return prefix_ + "-" + std::to_string(++names_) + "." + std::string(extension);
    }
    bool Lacks(Shortfall shortfall) const override { return lacking_.count(shortfall) != 0; }
    std::optional<std::string> ProbeMissing() override {
        if (win32::EnvironmentVariable(probe::kInstalledVariable)) {
            return std::nullopt;
        }
        return std::string(probe::kInstalledVariable) +
               " is not set: the probe package is not installed on this machine (run "
               "scripts/contract-wine to install it and run these tests)";
    }

private:
    win32::Win32FileSystem files_;
    win32::Win32Profile profile_;
    win32::Win32Installer installer_;
    win32::Win32SystemInfo system_;
    std::string prefix_;
    std::string scratch_;
    int names_ = 0;
    std::set<Shortfall> lacking_;
};

} // namespace

std::unique_ptr<Backend> MakeBackend() {
    return std::make_unique<Win32Backend>();
}

} // namespace korvex::contract
