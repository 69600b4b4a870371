// The action log: one line per action when the run was asked to keep one, nothing otherwise.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/Error.h"

namespace korvex::platform {

class AppendedFile;
class FileSystem;
class SystemInfo;

class Log {
public:
    // A log that writes nothing.
    Log() = default;
    // A log appended to `path` through the file system, each line stamped with the local
    // time and the program's name. The file is opened at the first line and kept open; while
    // it cannot be opened, each line tries again and is lost when that fails.
    Log(FileSystem& files, SystemInfo& system, std::string program, std::string path);
    Log(Log&&) noexcept;
    Log& operator=(Log&&) noexcept;
    ~Log();

    bool enabled() const { return files_ != nullptr; }
    // "<time> <program> <action> <arguments> -> <outcome>"
    void Write(std::string_view action, std::string_view arguments, std::string_view outcome);
    void Write(std::string_view action, std::string_view arguments, const Status& outcome);

private:
    FileSystem* files_ = nullptr;
    SystemInfo* system_ = nullptr;
    std::string program_;
    std::string path_;
    std::unique_ptr<AppendedFile> file_;
};

} // namespace korvex::platform
