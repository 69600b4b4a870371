// The changes of a front-end run that failed. The steps go on after a failed copy, move,
// delete or INI write, as they always have; the run remembers each one, so that it can end by
// listing them and with exit code 1603 instead of looking like a success.
#pragma once

#include <string>
#include <vector>

#include "platform/ForwardingFileSystem.h"
#include "platform/Profile.h"

namespace korvex::frontend {

struct FailedChange {
    std::string what; // "copy C:\WINDOWS\hosts.ymv to C:\WINDOWS\system32\drivers\etc\hosts.ymv"
    WinError error;
    // "<what>: Access is denied. (error 5)"
    std::string Describe() const { return what + ": " + error.Describe(); }
};

using FailedChanges = std::vector<FailedChange>;

// The run's file system: every change that fails is added to the list. A delete of something
// that is not there is no failure (what the delete is for holds already): the restore deletes
// the installed file before it moves the held one in, whether or not there is one.
class WatchedFileSystem final : public platform::ForwardingFileSystem {
public:
    WatchedFileSystem(platform::FileSystem& inner, FailedChanges& failed)
        : ForwardingFileSystem(inner), failed_(failed) {}

    Status SetAttributes(std::string_view path, std::uint32_t attributes) override;
    Status CopyFile(std::string_view from, std::string_view to) override;
    Status MoveFile(std::string_view from, std::string_view to) override;
    Status DeleteFile(std::string_view path) override;
    Status CreateDirectory(std::string_view path) override;
    Status CreateProtectedDirectory(std::string_view path) override;
    Status RemoveDirectory(std::string_view path) override;
    Status WriteFile(std::string_view path, std::string_view bytes) override;
    Status AppendFile(std::string_view path, std::string_view bytes) override;

    // The file system it watches, for a step that tries a change more than once and adds only
    // its last failure to the list itself.
    platform::FileSystem& unwatched() { return inner_; }

private:
    Status Watch(std::string what, Status done);
    FailedChanges& failed_;
};

// The run's INI writes: every write that fails is added to the list.
class WatchedProfile final : public platform::Profile {
public:
    WatchedProfile(platform::Profile& inner, FailedChanges& failed)
        : inner_(inner), failed_(failed) {}
    Status WriteString(std::string_view section, std::string_view key, std::string_view value,
                       std::string_view file) override;

private:
    platform::Profile& inner_;
    FailedChanges& failed_;
};

} // namespace korvex::frontend
