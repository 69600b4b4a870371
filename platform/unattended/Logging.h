// Decorators that write a log line for every change a run makes: file operations, INI keys,
// message boxes with their answers, dialogs with their results and control states. Reads and
// searches are logged only when they fail with anything but "not found", so that a failure the
// run treats as an answer (a directory test, a file test) still leaves its line.
#pragma once

#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "platform/Profile.h"
#include "platform/UserInterface.h"

namespace korvex::unattended {

class LoggingFileSystem final : public platform::FileSystem {
public:
    LoggingFileSystem(platform::FileSystem& inner, platform::Log& log) : inner_(inner), log_(log) {}

    Result<std::unique_ptr<platform::DirectorySearch>> Search(std::string_view pattern) override;
    Result<std::uint32_t> GetAttributes(std::string_view path) override;
    Result<platform::FileInformation> GetFileInformation(std::string_view path) override;
    Status SetAttributes(std::string_view path, std::uint32_t attributes) override;
    Status CopyFile(std::string_view from, std::string_view to) override;
    Status MoveFile(std::string_view from, std::string_view to) override;
    Status DeleteFile(std::string_view path) override;
    Status CreateDirectory(std::string_view path) override;
    Status CreateProtectedDirectory(std::string_view path) override;
    Result<platform::Protection> GetProtection(std::string_view path) override;
    Status RemoveDirectory(std::string_view path) override;
    Result<std::string> GetShortPathName(std::string_view path) override;
    Result<std::string> ReadFile(std::string_view path) override;
    Status WriteFile(std::string_view path, std::string_view bytes) override;
    Status AppendFile(std::string_view path, std::string_view bytes) override;
    std::uint32_t LogicalDrives() override { return inner_.LogicalDrives(); }
    platform::DriveType GetDriveType(std::string_view root) override {
        return inner_.GetDriveType(root);
    }
    Result<std::string> CurrentDirectory() override;
    Result<std::string> WindowsDirectory() override;

private:
    platform::FileSystem& inner_;
    platform::Log& log_;
};

class LoggingProfile final : public platform::Profile {
public:
    LoggingProfile(platform::Profile& inner, platform::Log& log) : inner_(inner), log_(log) {}
    Status WriteString(std::string_view section, std::string_view key, std::string_view value,
                       std::string_view file) override;

private:
    platform::Profile& inner_;
    platform::Log& log_;
};

class LoggingUserInterface final : public platform::UserInterface {
public:
    LoggingUserInterface(platform::UserInterface& inner, platform::Log& log)
        : inner_(inner), log_(log) {}
    platform::Answer ShowMessage(const platform::MessageBoxRequest& request) override;
    platform::DialogClose ShowDialog(platform::DialogModel& dialog) override;
    void SetWaitCursor(bool on) override { inner_.SetWaitCursor(on); }
    void ShowProgress(const platform::ProgressState& state) override { inner_.ShowProgress(state); }
    void HideProgress() override { inner_.HideProgress(); }

private:
    platform::UserInterface& inner_;
    platform::Log& log_;
};

// Line breaks and other control characters written as \r, \n, \t or \xNN, so that a message
// stays on its log line.
std::string EscapeForLog(std::string_view text);

} // namespace korvex::unattended
