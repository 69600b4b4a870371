// Progress passed on to the window and to the progress file, throttled.
#include "platform/ProgressReport.h"

#include <algorithm>
#include <utility>

namespace korvex::platform {

ProgressReport::ProgressReport(UserInterface& ui, SystemInfo& system, FileSystem* files,
                               std::string path)
    : ui_(ui), system_(system), files_(path.empty() ? nullptr : files), path_(std::move(path)) {}

ProgressReport::~ProgressReport() {
    End();
}

void ProgressReport::WriteLine(const std::string& line) {
    if (files_ == nullptr || fileFailed_) {
        return;
    }
    if (!file_) {
        auto opened = files_->OpenForAppend(path_);
        if (!opened.ok()) {
            fileFailed_ = true;
            return;
        }
        file_ = std::move(opened.value());
    }
    if (!file_->Append(line + "\r\n").ok()) {
        fileFailed_ = true;
        file_.reset();
    }
}

void ProgressReport::Begin(std::string_view caption, std::uint64_t total) {
    End();
    open_ = true;
    state_ = ProgressState{std::string(caption), 0, total, {}};
    started_ = 0;
    begunAt_ = system_.Ticks();
    shown_ = false;
    written_ = 0;
    writtenAt_ = begunAt_;
    // A caption is one line: a name with a line break in it would start a line of its own.
    std::string line = std::string(kProgressStep) + ' ' + std::to_string(total) + ' ';
    for (char c : caption) {
        line += c == '\r' || c == '\n' ? ' ' : c;
    }
    WriteLine(line);
}

void ProgressReport::Next(std::string_view current) {
    if (!open_) {
        return;
    }
    // A file handled twice (a second try) does not take the bar past its end.
    state_.done = std::min(started_, state_.total);
    ++started_;
    const std::uint64_t now = system_.Ticks();
    if (now - begunAt_ >= kShowAfterMs && (!shown_ || now - shownAt_ >= kEveryMs)) {
        state_.current = current;
        ui_.ShowProgress(state_);
        shown_ = true;
        shownAt_ = now;
    }
    if (files_ != nullptr && state_.done != written_ && now - writtenAt_ >= kEveryMs) {
        written_ = state_.done;
        writtenAt_ = now;
        WriteLine(std::string(kProgressFiles) + ' ' + std::to_string(written_));
    }
}

void ProgressReport::End() {
    if (!open_) {
        return;
    }
    open_ = false;
    if (shown_) {
        ui_.HideProgress();
    }
    if (const std::uint64_t done = std::min(started_, state_.total); done != written_) {
        WriteLine(std::string(kProgressFiles) + ' ' + std::to_string(done));
    }
    WriteLine(std::string(kProgressEnd));
}

} // namespace korvex::platform
