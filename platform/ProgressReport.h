// The run's Progress: passes each step on to the progress window of the user interface, once
// the step has lasted half a second and then at most ten times a second, and to the progress
// file (KORVEX_PROGRESS, format in Progress.h) at most ten times a second, so that a copy of
// many small files pays for neither.
#pragma once

#include <memory>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Progress.h"
#include "platform/SystemInfo.h"
#include "platform/UserInterface.h"

namespace korvex::platform {

class ProgressReport final : public Progress {
public:
    static constexpr std::uint64_t kShowAfterMs = 500;
    static constexpr std::uint64_t kEveryMs = 100;

    // With a `path`, the steps are also appended to that file, opened at the first step. A
    // file that cannot be opened or written is given up without a word: it only feeds a
    // progress bar, and the run's own work must not fail for it.
    ProgressReport(UserInterface& ui, SystemInfo& system, FileSystem* files = nullptr,
                   std::string path = {});
    ~ProgressReport() override;
    ProgressReport(const ProgressReport&) = delete;
    ProgressReport& operator=(const ProgressReport&) = delete;

    void Begin(std::string_view caption, std::uint64_t total) override;
    void Next(std::string_view current) override;
    void End() override;

private:
    void WriteLine(const std::string& line);

    UserInterface& ui_;
    SystemInfo& system_;
    FileSystem* files_;
    std::string path_;
    std::unique_ptr<AppendedFile> file_;
    bool fileFailed_ = false;

    bool open_ = false;
    ProgressState state_;
    std::uint64_t started_ = 0; // files begun in the step
    std::uint64_t begunAt_ = 0;
    bool shown_ = false;
    std::uint64_t shownAt_ = 0;
    std::uint64_t written_ = 0; // the last "files" count written
    std::uint64_t writtenAt_ = 0;
};

} // namespace korvex::platform
