// Formats and appends log lines; a log that cannot be written never stops the run.
#include "platform/Log.h"

#include <cstdio>

#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"

namespace korvex::platform {

Log::Log(FileSystem& files, SystemInfo& system, std::string program, std::string path)
    : files_(&files), system_(&system), program_(std::move(program)), path_(std::move(path)) {}

Log::Log(Log&&) noexcept = default;
Log& Log::operator=(Log&&) noexcept = default;
Log::~Log() = default;

void Log::Write(std::string_view action, std::string_view arguments, std::string_view outcome) {
    if (files_ == nullptr) {
        return;
    }
    const LocalTime now = system_->Now();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d", now.year, now.month,
                  now.day, now.hour, now.minute, now.second, now.millisecond);
    std::string line;
    line.reserve(64 + arguments.size() + outcome.size());
    line += stamp;
    line += ' ';
    line += program_;
    line += ' ';
    line += action;
    if (!arguments.empty()) {
        line += ' ';
        line += arguments;
    }
    line += " -> ";
    line += outcome;
    line += "\r\n";
    // Each line is one write, whole, so a line is either in the file or not at all. A log that
    // cannot be opened or written has nowhere to be reported; the run goes on.
    if (!file_) {
        auto opened = files_->OpenForAppend(path_);
        if (!opened.ok()) {
            return;
        }
        file_ = std::move(opened.value());
    }
    (void)file_->Append(line);
}

void Log::Write(std::string_view action, std::string_view arguments, const Status& outcome) {
    Write(action, arguments, outcome.Describe());
}

} // namespace korvex::platform
