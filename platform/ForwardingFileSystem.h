// A file system that hands every call to another one: the base of the decorators that watch a
// run's calls (its log, the changes that failed), each overriding only what it watches.
#pragma once

#include "platform/FileSystem.h"

namespace korvex::platform {

class ForwardingFileSystem : public FileSystem {
public:
    explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}

    Result<std::unique_ptr<DirectorySearch>> Search(std::string_view pattern) override {
        return inner_.Search(pattern);
    }
    Result<std::uint32_t> GetAttributes(std::string_view path) override {
        return inner_.GetAttributes(path);
    }
    Result<FileInformation> GetFileInformation(std::string_view path) override {
        return inner_.GetFileInformation(path);
    }
    Status SetAttributes(std::string_view path, std::uint32_t attributes) override {
        return inner_.SetAttributes(path, attributes);
    }
    Status CopyFile(std::string_view from, std::string_view to) override {
        return inner_.CopyFile(from, to);
    }
    Status MoveFile(std::string_view from, std::string_view to) override {
        return inner_.MoveFile(from, to);
    }
    Status DeleteFile(std::string_view path) override { return inner_.DeleteFile(path); }
    Status CreateDirectory(std::string_view path) override { return inner_.CreateDirectory(path); }
    Status CreateProtectedDirectory(std::string_view path) override {
        return inner_.CreateProtectedDirectory(path);
    }
    Result<Protection> GetProtection(std::string_view path) override {
        return inner_.GetProtection(path);
    }
    Status RemoveDirectory(std::string_view path) override { return inner_.RemoveDirectory(path); }
    Result<std::string> GetShortPathName(std::string_view path) override {
        return inner_.GetShortPathName(path);
    }
    Result<std::string> ReadFile(std::string_view path) override { return inner_.ReadFile(path); }
    Status WriteFile(std::string_view path, std::string_view bytes) override {
        return inner_.WriteFile(path, bytes);
    }
    Status AppendFile(std::string_view path, std::string_view bytes) override {
        return inner_.AppendFile(path, bytes);
    }
    Result<std::unique_ptr<AppendedFile>> OpenForAppend(std::string_view path) override {
        return inner_.OpenForAppend(path);
    }
    std::uint32_t LogicalDrives() override { return inner_.LogicalDrives(); }
    DriveType GetDriveType(std::string_view root) override { return inner_.GetDriveType(root); }
    Result<std::string> CurrentDirectory() override { return inner_.CurrentDirectory(); }
    Result<std::string> WindowsDirectory() override { return inner_.WindowsDirectory(); }

protected:
    FileSystem& inner_;
};

} // namespace korvex::platform
