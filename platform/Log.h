// The action log: one line per action when the run was asked to keep one, nothing otherwise.
#pragma once

#include <string>
#include <string_view>

#include "platform/Error.h"

namespace korvex::platform {

class FileSystem;
class SystemInfo;

class Log {
public:
    // A log that writes nothing.
    Log() = default;
    // A log appended to `path` through the file system, each line stamped with the local
    // time and the program's name.
    Log(FileSystem& files, SystemInfo& system, std::string program, std::string path);

    bool enabled() const { return files_ != nullptr; }
    // "<time> <program> <action> <arguments> -> <outcome>"
    void Write(std::string_view action, std::string_view arguments, std::string_view outcome);
    void Write(std::string_view action, std::string_view arguments, const Status& outcome);

private:
    FileSystem* files_ = nullptr;
    SystemInfo* system_ = nullptr;
    std::string program_;
    std::string path_;
};

} // namespace korvex::platform
