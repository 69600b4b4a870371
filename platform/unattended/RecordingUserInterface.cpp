// Records answers in the answer-file format.
#include "platform/unattended/RecordingUserInterface.h"

#include "platform/unattended/DialogAnswers.h"

namespace korvex::unattended {

RecordingUserInterface::RecordingUserInterface(platform::UserInterface& inner,
                                               platform::FileSystem& files, platform::Log& log,
                                               std::string path, std::string questions,
                                               const AnswerSchema& schema)
    : inner_(inner), files_(files), log_(log), path_(std::move(path)),
      questions_(std::move(questions)), schema_(schema), answers_(schema) {
    // A file recorded by the other program of the same installation keeps its sections.
    auto existing = files_.ReadFile(path_);
    if (existing.ok()) {
        std::string error;
        if (auto parsed = AnswerFile::Parse(existing.value(), schema_, error)) {
            answers_ = std::move(*parsed);
        } else {
            log_.Write("record", path_, "existing file not kept: " + error);
        }
    }
}

platform::Answer RecordingUserInterface::ShowMessage(const platform::MessageBoxRequest& request) {
    const platform::Answer answer = inner_.ShowMessage(request);
    if (request.buttons == platform::Buttons::YesNo && !request.prompt.empty()) {
        answers_.Set(questions_, request.prompt, answer == platform::Answer::Yes ? "Yes" : "No");
        Save();
    }
    return answer;
}

platform::DialogClose RecordingUserInterface::ShowDialog(platform::DialogModel& dialog) {
    const platform::DialogClose closedAs = inner_.ShowDialog(dialog);
    RecordDialogAnswers(dialog, closedAs, answers_);
    Save();
    return closedAs;
}

void RecordingUserInterface::Save() {
    const Status written = files_.WriteFile(path_, answers_.Serialize());
    if (!written.ok()) {
        log_.Write("record", path_, written);
    }
}

} // namespace korvex::unattended
