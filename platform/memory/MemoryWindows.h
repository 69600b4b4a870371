// An in-memory Windows machine: drives with types and media, a case-insensitive file system
// that keeps the case of names, DOS attributes, 8.3 short names, INI files as bytes, Windows
// Installer records, a settable version and clock, operation counting and failure injection.
//
// Production code sees only the platform interfaces; tests build a machine and hand it in:
//     memory::MemoryWindows windows;                       // C: fixed, C:\WINDOWS
//     windows.PutFile("C:\\WINDOWS\\NELK.INI", "[Comms]\r\n");
//     RunVarenInstall(windows.platform());
//
// What the machine models, beyond the interface comments:
// - Paths as GetFullPathName reads them ("/" for "\", "." and "..", trailing dots and blanks
//   dropped, relative to the current directory); no network paths, no MAX_PATH limit. Names
//   compare with ASCII, Latin-1, Greek and Cyrillic letters folded and keep their bytes.
// - Listing order: "." and ".." first for every directory but a drive root (with the
//   directory's own attributes), then the entries by their upper-case names, ordinal, as NTFS
//   returns them. A pattern matches an entry by its long name or its 8.3 name, as on Windows
//   ("*.cfg" finds "x.cfgold", whose 8.3 name is "X~1.CFG"). A search goes on from the last
//   name it returned, so entries added, moved or deleted meanwhile never break it. Searching
//   through a file ("C:\a.txt\*") fails with ERROR_INVALID_NAME.
// - Attributes: files made by WriteFile, AppendFile and CopyFile carry the archive bit; a
//   directory reports FILE_ATTRIBUTE_DIRECTORY, a junction also FILE_ATTRIBUTE_REPARSE_POINT;
//   an entry without bits reports FILE_ATTRIBUTE_NORMAL.
// - Documented Windows refusals (Wine allows some of them): CREATE_ALWAYS writes (WriteFile,
//   CopyFile) refuse an existing read-only file, and a hidden or system one unless the new
//   file carries that bit too; AppendFile and WriteString refuse a read-only file; removing a
//   read-only directory or the current directory fails (ACCESS_DENIED, SHARING_VIOLATION).
//   Copying a file onto itself and moving a directory into its own subtree fail with
//   ERROR_SHARING_VIOLATION; moving a directory to another drive with ERROR_NOT_SAME_DEVICE.
//   A path naming a file with a trailing "\" fails with ERROR_INVALID_NAME.
// - Capacity: a write, append, copy, INI write or move to another drive that would take a
//   drive past its capacity fails with ERROR_DISK_FULL before changing anything: no partial
//   copy, an existing destination keeps its bytes. PutFile ignores the capacity.
// - 8.3 names are generated on drives that generate them, when an entry is created, copied or
//   moved in: base cut to 6 characters + "~n" (fewer characters from ~10 on) + up to 3
//   characters of the last extension, upper case, blanks, dots and "+,;=[]" dropped, other
//   non-ASCII characters as "_". Paths may use them. GetShortPathName keeps the drive as
//   written, gives a component with no 8.3 name as stored and fails with
//   ERROR_FILE_NOT_FOUND for any component that is missing.
// - Junctions lead paths into their target; a path through more than 63 junctions fails with
//   ERROR_CANT_RESOLVE_FILENAME, so a junction loop ends any walk. Tree and Describe show a
//   junction with its target and do not enter it.
// - Installer: ComponentPath fails with 1607 for an unknown product or component; codes
//   compare without regard to case. Version with no version set fails with
//   ERROR_INVALID_PARAMETER.
// - Failure injection: a failed call still counts. Calls without an error channel fail their
//   own way: LogicalDrives answers 0, GetDriveType answers Unknown, Now cannot fail (the
//   injected failure is used up and the time answered). A failed SearchNext ends its search,
//   and the search's Ended() gives that error.
//   FailPath compares the path as written (made absolute), not through junctions; for
//   WriteString the path is the INI file's full path.
// - The building and inspecting helpers see a drive's data whether its medium is in or not.
//   Building on a drive not yet added adds it, fixed, with its medium in, without short
//   names. Requests that cannot be met (a file in the way, attributes of nothing) throw
//   std::invalid_argument.
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
#include "platform/memory/FailureInjection.h"
#include "platform/memory/Machine.h"
#include "platform/memory/ScriptedUserInterface.h"

namespace korvex::memory {

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
    // it, directories ending in "\", attributes other than archive shown: "MAP\a.map [R]"
    // (letters R H S, N for a file with no bit at all, other bits in hex: "b.map [RH 0x100]";
    // a junction shows its target: "loop\ -> C:\MAP").
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
