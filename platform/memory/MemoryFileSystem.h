// The file system of the in-memory Windows, over the machine's drives (Machine.h); searches
// in MemorySearch.h.
//
// What it models, beyond the interface comments:
// - Files made by WriteFile, AppendFile and CopyFile carry the archive bit.
// - Documented Windows refusals (Wine allows some of them): CREATE_ALWAYS writes (WriteFile,
//   CopyFile) refuse an existing read-only file, and a hidden or system one unless the new
//   file carries that bit too; AppendFile refuses a read-only file; removing a read-only
//   directory or the current directory fails (ACCESS_DENIED, SHARING_VIOLATION). Copying a
//   file onto itself and moving a directory into its own subtree fail with
//   ERROR_SHARING_VIOLATION; moving a directory to another drive with ERROR_NOT_SAME_DEVICE.
#pragma once

#include <memory>

#include "platform/FileSystem.h"

namespace korvex::memory {

struct Machine;

class MemoryFileSystem final : public platform::FileSystem {
public:
    // Its searches keep a weak reference to the machine.
    explicit MemoryFileSystem(std::shared_ptr<Machine> machine) : machine_(std::move(machine)) {}

    // Searching through a file ("C:\a.txt\*") fails with ERROR_INVALID_NAME.
    Result<std::unique_ptr<platform::DirectorySearch>> Search(std::string_view pattern) override;
    Result<std::uint32_t> GetAttributes(std::string_view path) override;
    // Follows a junction to its target; the volume and index name the node on this machine.
    Result<platform::FileInformation> GetFileInformation(std::string_view path) override;
    Status SetAttributes(std::string_view path, std::uint32_t attributes) override;
    Status CopyFile(std::string_view from, std::string_view to) override;
    Status MoveFile(std::string_view from, std::string_view to) override;
    Status DeleteFile(std::string_view path) override;
    Status CreateDirectory(std::string_view path) override;
    // Counted and failed as CreateDirectory.
    Status CreateProtectedDirectory(std::string_view path) override;
    // Counted and failed as GetAttributes. Standard users are "Authenticated Users".
    Result<platform::Protection> GetProtection(std::string_view path) override;
    Status RemoveDirectory(std::string_view path) override;
    // Keeps the drive as written, gives a component with no 8.3 name as stored and fails with
    // ERROR_FILE_NOT_FOUND for any component that is missing.
    Result<std::string> GetShortPathName(std::string_view path) override;
    Result<std::string> ReadFile(std::string_view path) override;
    Status WriteFile(std::string_view path, std::string_view bytes) override;
    Status AppendFile(std::string_view path, std::string_view bytes) override;
    // An injected failure answers 0, as GetLogicalDrives fails.
    std::uint32_t LogicalDrives() override;
    // An injected failure answers Unknown: GetDriveType has no error channel.
    platform::DriveType GetDriveType(std::string_view root) override;
    Result<std::string> CurrentDirectory() override;
    Result<std::string> WindowsDirectory() override;

private:
    std::shared_ptr<Machine> machine_;
};

} // namespace korvex::memory
