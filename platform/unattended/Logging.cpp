// Log lines for changes, messages and dialogs.
#include "platform/unattended/Logging.h"

#include <cstdio>

#include "platform/unattended/DialogAnswers.h"

namespace korvex::unattended {

namespace {

std::string Pair(std::string_view from, std::string_view to) {
    return std::string(from) + " -> " + std::string(to);
}

std::string AnswerWord(platform::Answer answer) {
    switch (answer) {
    case platform::Answer::Ok:
        return "OK";
    case platform::Answer::Yes:
        return "Yes";
    case platform::Answer::No:
        return "No";
    case platform::Answer::Cancel:
        return "Cancel";
    }
    return "?";
}

// "Not there" answers of a query are what the run asks about; other failures are logged.
bool IsNotThere(std::uint32_t code) {
    return code == win::kFileNotFound || code == win::kPathNotFound || code == win::kNoMoreFiles;
}

template <class T>
const Result<T>& LogFailedQuery(platform::Log& log, std::string_view action,
                                std::string_view argument, const Result<T>& result,
                                bool notThereIsAnAnswer = true) {
    if (!result.ok() && !(notThereIsAnAnswer && IsNotThere(result.code()))) {
        log.Write(action, argument, result.error().Describe());
    }
    return result;
}

// A search whose end by an error (rather than by running out of entries) is logged.
class LoggingDirectorySearch final : public platform::DirectorySearch {
public:
    LoggingDirectorySearch(std::unique_ptr<platform::DirectorySearch> inner, platform::Log& log,
                           std::string pattern)
        : inner_(std::move(inner)), log_(log), pattern_(std::move(pattern)) {}

    std::optional<platform::DirectoryEntry> Next() override {
        auto entry = inner_->Next();
        if (!entry && !logged_) {
            logged_ = true;
            if (Status ended = inner_->Ended(); !ended.ok()) {
                log_.Write("search", pattern_, "ended early: " + ended.error().Describe());
            }
        }
        return entry;
    }
    Status Ended() const override { return inner_->Ended(); }

private:
    std::unique_ptr<platform::DirectorySearch> inner_;
    platform::Log& log_;
    std::string pattern_;
    bool logged_ = false;
};

} // namespace

Result<std::unique_ptr<platform::DirectorySearch>>
LoggingFileSystem::Search(std::string_view pattern) {
    auto search = inner_.Search(pattern);
    if (!search.ok()) {
        LogFailedQuery(log_, "search", pattern, search);
        return search;
    }
    return std::unique_ptr<platform::DirectorySearch>(std::make_unique<LoggingDirectorySearch>(
        std::move(search).value(), log_, std::string(pattern)));
}

Result<std::uint32_t> LoggingFileSystem::GetAttributes(std::string_view path) {
    return LogFailedQuery(log_, "attributes", path, inner_.GetAttributes(path));
}

Result<platform::FileInformation> LoggingFileSystem::GetFileInformation(std::string_view path) {
    return LogFailedQuery(log_, "file-information", path, inner_.GetFileInformation(path));
}

Result<platform::Protection> LoggingFileSystem::GetProtection(std::string_view path) {
    return LogFailedQuery(log_, "protection", path, inner_.GetProtection(path));
}

Result<std::string> LoggingFileSystem::GetShortPathName(std::string_view path) {
    return LogFailedQuery(log_, "short-path", path, inner_.GetShortPathName(path));
}

Result<std::string> LoggingFileSystem::ReadFile(std::string_view path) {
    return LogFailedQuery(log_, "read-file", path, inner_.ReadFile(path));
}

Result<std::string> LoggingFileSystem::CurrentDirectory() {
    return LogFailedQuery(log_, "current-directory", "", inner_.CurrentDirectory(), false);
}

Result<std::string> LoggingFileSystem::WindowsDirectory() {
    return LogFailedQuery(log_, "windows-directory", "", inner_.WindowsDirectory(), false);
}

std::string EscapeForLog(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

Status LoggingFileSystem::SetAttributes(std::string_view path, std::uint32_t attributes) {
    Status done = inner_.SetAttributes(path, attributes);
    log_.Write("set-attributes", std::string(path) + " " + std::to_string(attributes), done);
    return done;
}

Status LoggingFileSystem::CopyFile(std::string_view from, std::string_view to) {
    Status done = inner_.CopyFile(from, to);
    log_.Write("copy", Pair(from, to), done);
    return done;
}

Status LoggingFileSystem::MoveFile(std::string_view from, std::string_view to) {
    Status done = inner_.MoveFile(from, to);
    log_.Write("move", Pair(from, to), done);
    return done;
}

Status LoggingFileSystem::DeleteFile(std::string_view path) {
    Status done = inner_.DeleteFile(path);
    log_.Write("delete", path, done);
    return done;
}

Status LoggingFileSystem::CreateDirectory(std::string_view path) {
    Status done = inner_.CreateDirectory(path);
    log_.Write("create-directory", path, done);
    return done;
}

Status LoggingFileSystem::CreateProtectedDirectory(std::string_view path) {
    Status done = inner_.CreateProtectedDirectory(path);
    log_.Write("create-protected-directory", path, done);
    return done;
}

Status LoggingFileSystem::RemoveDirectory(std::string_view path) {
    Status done = inner_.RemoveDirectory(path);
    log_.Write("remove-directory", path, done);
    return done;
}

Status LoggingFileSystem::WriteFile(std::string_view path, std::string_view bytes) {
    Status done = inner_.WriteFile(path, bytes);
    log_.Write("write-file", std::string(path) + " (" + std::to_string(bytes.size()) + " bytes)",
               done);
    return done;
}

Status LoggingFileSystem::AppendFile(std::string_view path, std::string_view bytes) {
    Status done = inner_.AppendFile(path, bytes);
    log_.Write("append-file", std::string(path) + " (" + std::to_string(bytes.size()) + " bytes)",
               done);
    return done;
}

Status LoggingProfile::WriteString(std::string_view section, std::string_view key,
                                   std::string_view value, std::string_view file) {
    Status done = inner_.WriteString(section, key, value, file);
    log_.Write("ini",
               std::string(file) + " [" + std::string(section) + "] " + std::string(key) + "=" +
                   std::string(value),
               done);
    return done;
}

platform::Answer LoggingUserInterface::ShowMessage(const platform::MessageBoxRequest& request) {
    const std::string shown = "[" + request.title + "] \"" + EscapeForLog(request.text) + "\"" +
                              (request.prompt.empty() ? "" : " (" + request.prompt + ")");
    try {
        const platform::Answer answer = inner_.ShowMessage(request);
        log_.Write("message", shown, AnswerWord(answer));
        return answer;
    } catch (const platform::RunStopped& stopped) {
        log_.Write("message", shown, std::string("unanswered: ") + stopped.what());
        throw;
    }
}

platform::DialogClose LoggingUserInterface::ShowDialog(platform::DialogModel& dialog) {
    const std::string name(dialog.Name());
    try {
        const platform::DialogClose closedAs = inner_.ShowDialog(dialog);
        log_.Write("dialog", name + " " + dialog.DescribeStates(), ButtonWord(closedAs));
        return closedAs;
    } catch (const platform::RunStopped& stopped) {
        log_.Write("dialog", name, std::string("unanswered: ") + stopped.what());
        throw;
    }
}

} // namespace korvex::unattended
