// The contract tests' machine for the MinGW build: the Win32 backend on the machine it runs on
// (Wine), with a scratch directory of its own at the root of C:.
#include "platform/win32/WindowsHeaders.h"
#include <aclapi.h>
#include <sddl.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/contract/Contract.h"
#include "platform/win32/Process.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Installer.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32SystemInfo.h"

namespace korvex::contract {

namespace {

// Cleaning up and probing never use the code under test.
void RemoveTree(const std::filesystem::path& directory) {
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(directory, error)) {
        ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    ::SetFileAttributesW(directory.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(directory, error);
}

// Tries each piece of Windows behaviour Wine is known to miss, in a directory of its own.
std::set<Shortfall> FindShortfalls(const std::wstring& at) {
    const auto path = [&](const wchar_t* name) { return at + L"\\" + name; };
    const auto write = [&](const wchar_t* name, const char* bytes) {
        std::ofstream file(std::filesystem::path(path(name)), std::ios::binary); // CREATE_ALWAYS
        return static_cast<bool>(file << bytes);
    };
    const auto has = [&](const wchar_t* name, DWORD attribute) {
        return (::GetFileAttributesW(path(name).c_str()) & attribute) != 0;
    };
    ::CreateDirectoryW(at.c_str(), nullptr);
    ::CreateDirectoryW(path(L"sub").c_str(), nullptr);
    for (const wchar_t* name : {L"readonly", L"hidden", L"target", L"case"}) {
        write(name, "a");
    }
    ::SetFileAttributesW(path(L"sub").c_str(), FILE_ATTRIBUTE_READONLY);
    ::SetFileAttributesW(path(L"readonly").c_str(), FILE_ATTRIBUTE_READONLY);
    ::SetFileAttributesW(path(L"hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::CopyFileW(path(L"hidden").c_str(), path(L"target").c_str(), FALSE);
    ::MoveFileW(path(L"case").c_str(), path(L"CASE").c_str());
    bool renamed = false;
    for (const auto& entry : std::filesystem::directory_iterator(at)) {
        renamed = renamed || entry.path().filename() == L"CASE";
    }
    write(L"probe.ini", "[S]\r\nA = 1\r\n\r\n[T]\r\n");
    ::WritePrivateProfileStringW(L"T", L"B", L"2", path(L"probe.ini").c_str());
    std::ifstream ini(std::filesystem::path(path(L"probe.ini")), std::ios::binary);
    const std::string iniBytes{std::istreambuf_iterator<char>(ini), {}};
    ini.close();
    std::set<Shortfall> lacking;
    for (const auto& [missing, shortfall] :
         {std::pair{write(L"readonly", "b"), Shortfall::WritesReadOnlyFiles},
          {write(L"hidden", "b"), Shortfall::ReplacesHiddenFiles},
          {!has(L"target", FILE_ATTRIBUTE_HIDDEN), Shortfall::CopyKeepsTargetAttributes},
          {!has(L"sub", FILE_ATTRIBUTE_READONLY), Shortfall::NoReadOnlyDirectories},
          {!renamed, Shortfall::KeepsCaseOnRename},
          {iniBytes != "[S]\r\nA = 1\r\n\r\n[T]\r\nB=2\r\n", Shortfall::RewritesIniFiles}}) {
        if (missing) {
            lacking.insert(shortfall);
        }
    }
    RemoveTree(at);
    return lacking;
}

struct Services {
    win32::Win32FileSystem win32Files;
    win32::Win32Profile win32Profile;
    win32::Win32Installer win32Installer;
    win32::Win32SystemInfo win32System;
};

// The services are a base, so that they are made before Backend takes them.
struct Win32Backend final : Services, Backend {
    Win32Backend() : Backend(win32Files, win32Profile, win32Installer, win32System) {
        scratch = "C:\\korvex-contract-" + std::to_string(::GetCurrentProcessId());
        RemoveTree(win32::Widen(scratch)); // left by a run that crashed, if any
        ::CreateDirectoryW(win32::Widen(scratch).c_str(), nullptr);
        lacking = FindShortfalls(win32::Widen(scratch + "\\shortfalls"));
        // Set by scripts/contract-wine once the probe package is installed.
        if (!win32::EnvironmentVariable("KORVEX_CONTRACT_PRODUCT")) {
            probeMissing = "KORVEX_CONTRACT_PRODUCT is not set: the probe package is not "
                           "installed here (scripts/contract-wine installs it)";
        }
    }
    ~Win32Backend() override { RemoveTree(win32::Widen(scratch)); }
    std::optional<std::pair<std::string, std::string>> PlantedLink() override {
        const std::string target = scratch + "\\target";
        const std::string link = scratch + "\\link";
        ::CreateDirectoryW(win32::Widen(target).c_str(), nullptr);
        std::ofstream(std::filesystem::path(win32::Widen(target + "\\own.txt")), std::ios::binary)
            << "own";
        const auto isLink = [](const std::string& path) {
            const DWORD attributes = ::GetFileAttributesW(win32::Widen(path).c_str());
            return attributes != INVALID_FILE_ATTRIBUTES &&
                   (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        };
        // Windows makes one for an administrator; Wine 8 answers success and makes nothing, so
        // scripts/contract-wine leaves one of its own at the root.
        if (::CreateSymbolicLinkW(win32::Widen(link).c_str(), win32::Widen(target).c_str(),
                                  SYMBOLIC_LINK_FLAG_DIRECTORY) &&
            isLink(link)) {
            return std::pair{link, target};
        }
        if (isLink("C:\\korvex-contract-link")) {
            return std::pair{std::string("C:\\korvex-contract-link"),
                             std::string("C:\\korvex-contract-link-target")};
        }
        return std::nullopt;
    }
    bool LetEveryoneChange(const std::string& path) override {
        // An access list of one rule: full control for Everyone (WD), on what is made inside too.
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                L"D:(A;OICI;FA;;;WD)", SDDL_REVISION_1, &descriptor, nullptr)) {
            return false;
        }
        BOOL present = FALSE;
        BOOL defaulted = FALSE;
        PACL access = nullptr;
        ::GetSecurityDescriptorDacl(descriptor, &present, &access, &defaulted);
        std::wstring wide = win32::Widen(path);
        const DWORD error =
            ::SetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                    nullptr, access, nullptr);
        ::LocalFree(descriptor);
        return error == ERROR_SUCCESS;
    }
};

} // namespace

std::unique_ptr<Backend> MakeBackend() {
    return std::make_unique<Win32Backend>();
}

} // namespace korvex::contract
