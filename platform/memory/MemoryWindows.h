// An in-memory Windows machine: drives with types and media, a case-insensitive file system
// that keeps the case of names, DOS attributes, 8.3 short names, INI files as bytes, Windows
// Installer records, a settable version and clock, operation counting and failure injection.
//
// Production code sees only the platform interfaces; tests build a machine and hand it in:
//     memory::MemoryWindows windows;                       // C: fixed, C:\WINDOWS
//     windows.PutFile("C:\\WINDOWS\\NELK.INI", "[Comms]\r\n");
//     RunVarenInstall(windows.platform());
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Installer.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/Profile.h"
#include "platform/SystemInfo.h"
#include "platform/memory/ScriptedUserInterface.h"

namespace korvex::memory {

// The kinds of platform operation, counted and open to failure injection. Every call of a
// platform interface method counts as one operation of its kind; DirectorySearch::Next counts
// as SearchNext.
enum class Operation {
    Search,
    SearchNext,
    GetAttributes,
    SetAttributes,
    CopyFile,
    MoveFile,
    DeleteFile,
    CreateDirectory,
    RemoveDirectory,
    GetShortPathName,
    ReadFile,
    WriteFile,
    AppendFile,
    LogicalDrives,
    GetDriveType,
    CurrentDirectory,
    WindowsDirectory,
    WriteProfileString,
    RelatedProducts,
    EnumProducts,
    ProductInfo,
    ComponentPath,
    Version,
    Now,
};
constexpr int kOperationKinds = static_cast<int>(Operation::Now) + 1;
std::string_view OperationName(Operation operation);

// A product registered with the Windows Installer.
struct InstalledProduct {
    std::string productCode;                           // "{...}"
    std::string upgradeCode;                           // may be empty
    std::map<std::string, std::string> properties;     // "InstalledProductName", "VersionString"
    std::map<std::string, std::string> componentPaths; // component code -> key file path
};

class MemoryWindows final : public platform::FileSystem,
                            public platform::Profile,
                            public platform::Installer,
                            public platform::SystemInfo {
public:
    // A machine with the fixed drive C: (short names generated), the Windows directory
    // C:\WINDOWS, the current directory C:\, Windows NT 5.1, local time 2026-01-02 14:05:33,
    // a Windows Installer with no products, and nothing else.
    MemoryWindows();
    ~MemoryWindows() override;
    MemoryWindows(const MemoryWindows&) = delete;
    MemoryWindows& operator=(const MemoryWindows&) = delete;

    // The machine's services, its scripted user interface and a log that writes nothing.
    platform::Platform& platform();
    ScriptedUserInterface& ui() { return ui_; }

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
    // Creates or replaces a file with the bytes and attributes, creating missing parents.
    void PutFile(std::string_view path, std::string_view bytes,
                 std::uint32_t attributes = platform::attr::kArchive);
    // A directory entry carrying the reparse-point bit that leads to `target` (a junction):
    // paths through it resolve inside the target.
    void MakeJunction(std::string_view path, std::string_view target);
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
    // it, directories ending in "\", attributes other than archive shown: "MAP\a.map [R]".
    std::vector<std::string> Tree(std::string_view directory) const;
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
    void ClearFailures();
    // Directory searches open now, and the most open at once since construction.
    int OpenSearches() const;
    int MostOpenSearches() const;

    // --- platform::FileSystem ---
    Result<std::unique_ptr<platform::DirectorySearch>> Search(std::string_view pattern) override;
    Result<std::uint32_t> GetAttributes(std::string_view path) override;
    Status SetAttributes(std::string_view path, std::uint32_t attributes) override;
    Status CopyFile(std::string_view from, std::string_view to) override;
    Status MoveFile(std::string_view from, std::string_view to) override;
    Status DeleteFile(std::string_view path) override;
    Status CreateDirectory(std::string_view path) override;
    Status RemoveDirectory(std::string_view path) override;
    Result<std::string> GetShortPathName(std::string_view path) override;
    Result<std::string> ReadFile(std::string_view path) override;
    Status WriteFile(std::string_view path, std::string_view bytes) override;
    Status AppendFile(std::string_view path, std::string_view bytes) override;
    std::uint32_t LogicalDrives() override;
    platform::DriveType GetDriveType(std::string_view root) override;
    Result<std::string> CurrentDirectory() override;
    Result<std::string> WindowsDirectory() override;

    // --- platform::Profile ---
    Status WriteString(std::string_view section, std::string_view key, std::string_view value,
                       std::string_view file) override;

    // --- platform::Installer ---
    Result<std::vector<std::string>> RelatedProducts(std::string_view upgradeCode) override;
    Result<std::optional<std::string>> EnumProducts(std::uint32_t index) override;
    Result<std::string> ProductInfo(std::string_view productCode,
                                    std::string_view property) override;
    Result<std::string> ComponentPath(std::string_view productCode,
                                      std::string_view componentCode) override;

    // --- platform::SystemInfo ---
    Result<platform::OsVersion> Version() override;
    platform::LocalTime Now() override;

private:
    struct State;
    std::unique_ptr<State> state_;
    ScriptedUserInterface ui_;
    platform::Log log_;
    std::unique_ptr<platform::Platform> platform_;
};

} // namespace korvex::memory
