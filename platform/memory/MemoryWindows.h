// An in-memory Windows machine for tests: drives with types and media, a case-insensitive file
// system that keeps the case of names, DOS attributes, 8.3 short names, INI files as bytes,
// Windows Installer records, a settable version and clock, operation counting and failure
// injection.
//
// Production code sees only the platform interfaces; tests build a machine and hand it in:
//     memory::MemoryWindows windows;                       // C: fixed, C:\WINDOWS
//     windows.PutFile("C:\\WINDOWS\\NELK.INI", "[Comms]\r\n");
//     RunVarenInstall(windows.platform());
//
// The machine (Machine.h) is one state that four services share, one per platform interface,
// each header saying what Windows behaviour it models: files() (MemoryFileSystem.h, searches in
// MemorySearch.h), profile() (MemoryProfile.h), installer() (MemoryInstaller.h) and system()
// (MemorySystemInfo.h). Counting and failure injection: FailureInjection.h.
//
// The building and inspecting helpers see a drive's data whether its medium is in or not.
// Building on a drive not yet added adds it, fixed, with its medium in, without short names.
// Requests that cannot be met (a file in the way, attributes of nothing) throw
// std::invalid_argument.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/ProgressReport.h"
#include "platform/SystemInfo.h"
#include "platform/memory/FailureInjection.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryInstaller.h"
#include "platform/memory/MemoryProfile.h"
#include "platform/memory/MemorySystemInfo.h"
#include "platform/memory/ScriptedUserInterface.h"

namespace korvex::memory {

struct Machine;

class MemoryWindows final {
public:
    // A machine with the fixed drive C: (short names generated), the Windows directory
    // C:\WINDOWS, the current directory C:\, Windows NT 5.1, local time 2026-01-02 14:05:33,
    // a Windows Installer with no products, and nothing else.
    MemoryWindows();
    MemoryWindows(const MemoryWindows&) = delete;
    MemoryWindows& operator=(const MemoryWindows&) = delete;

    // The machine's services, its scripted user interface and a log that writes nothing, as the
    // programs take them; and each service by itself.
    platform::Platform& platform() { return platform_; }
    MemoryFileSystem& files() { return files_; }
    MemoryProfile& profile() { return profile_; }
    MemoryInstaller& installer() { return installer_; }
    MemorySystemInfo& system() { return system_; }
    ScriptedUserInterface& ui() { return ui_; }
    // Each file copied from now on moves SystemInfo::Ticks on by `milliseconds`: a slow copy.
    void SetCopyTime(std::uint32_t milliseconds);
    const ScriptedUserInterface& ui() const { return ui_; }

    // --- Building the machine (not counted, never failed) ---
    void AddDrive(char letter, platform::DriveType type, bool mediaPresent = true);
    void SetMediaPresent(char letter, bool present);
    // Whether names created from now on get a generated 8.3 name where they need one.
    void SetShortNameGeneration(char letter, bool on);
    void SetWindowsDirectory(std::string path); // created when missing
    void SetCurrentDirectory(std::string path);
    void SetVersion(std::optional<platform::OsVersion> version); // nothing: the query fails
    void SetTime(platform::LocalTime time);
    void AddProduct(InstalledProduct product);  // in enumeration order
    void SetInstallerAvailable(bool available); // false: every query fails (1601)
    // Bytes a drive can hold in file contents; writes past it fail with ERROR_DISK_FULL.
    void SetCapacity(char letter, std::uint64_t bytes);

    // Creates every missing directory of the path.
    void MakeDirectories(std::string_view path);
    // Creates or replaces a file with the bytes and attributes, creating missing parents. The
    // drive's capacity does not apply.
    void PutFile(std::string_view path, std::string_view bytes,
                 std::uint32_t attributes = platform::attr::kArchive);
    // A directory entry carrying the reparse-point bit that leads to `target` (a junction):
    // paths through it resolve inside the target.
    void MakeJunction(std::string_view path, std::string_view target);
    // Lets every signed-in user change an existing directory, as a folder a user made at a
    // drive's root lets them; directories made in it later take the same rule.
    void LetUsersChange(std::string_view path);
    // Changes attributes, keeping the directory bit.
    void PutAttributes(std::string_view path, std::uint32_t attributes);

    // --- Inspecting the machine (not counted, never failed) ---
    bool Exists(std::string_view path) const;
    bool IsDirectoryAt(std::string_view path) const;
    std::optional<std::string> Contents(std::string_view path) const;
    std::optional<std::uint32_t> AttributesOf(std::string_view path) const;
    // The 8.3 name of the last component (its long name when it needs none).
    std::optional<std::string> ShortNameOf(std::string_view path) const;
    // Every entry below a directory, depth first in listing order, one per line, relative to
    // it, directories ending in "\", attributes other than archive shown: "MAP\a.map [R]"
    // (letters R H S, N for a file with no bit at all, other bits in hex: "b.map [RH 0x100]";
    // a junction shows its target and is not entered: "loop\ -> C:\MAP").
    std::vector<std::string> Tree(std::string_view directory) const;
    // Bytes of file contents read from a drive so far (ReadFile, and CopyFile from it).
    std::uint64_t BytesRead(char letter) const;
    // The whole machine (drives and every tree) for failure messages.
    std::string Describe() const;

    // --- Counting and failure injection ---
    std::uint64_t Count(Operation operation) const;
    std::uint64_t TotalCount() const;
    void ResetCounts();
    // The n-th operation of that kind from now on (1 = the next one) fails with the code,
    // without effect.
    void FailNth(Operation operation, std::uint64_t n, std::uint32_t code);
    // The n-th operation of any kind from now on fails with the code, without effect.
    void FailNthOverall(std::uint64_t n, std::uint32_t code);
    // Every operation of that kind on a path at or below `path` fails with the code.
    void FailPath(Operation operation, std::string_view path, std::uint32_t code);
    // The run is killed at the n-th operation of that kind from now on (it throws
    // memory::Killed before the operation does anything), or half-way through the n-th file
    // copy (the target holds the first half of the bytes). ClearFailures disarms both.
    void KillAt(Operation operation, std::uint64_t n);
    void KillInCopy(std::uint64_t n);
    void ClearFailures();
    // Directory searches open now, and the most open at once since construction.
    int OpenSearches() const;
    int MostOpenSearches() const;

private:
    std::shared_ptr<Machine> machine_;
    MemoryFileSystem files_;
    MemoryProfile profile_;
    MemoryInstaller installer_;
    MemorySystemInfo system_;
    ScriptedUserInterface ui_;
    platform::Log log_;
    platform::ProgressReport progress_;
    platform::Platform platform_;
};

} // namespace korvex::memory
