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
    // Written under a name of its own and renamed into place, so that a run stopped dead leaves
    // the last whole record; a name that is there already (a user may have made it a link to
    // another file) is never written into.
    std::string temporary;
    for (int n = 1; n <= 20 && temporary.empty(); ++n) {
        std::string name = path_ + ".tmp" + (n == 1 ? std::string() : std::to_string(n));
        if (files_.GetAttributes(name).code() == win::kFileNotFound) {
            temporary = std::move(name);
        }
    }
    if (temporary.empty()) {
        log_.Write("record", path_, "not written: no free temporary name beside it");
        return;
    }
    if (Status written = files_.WriteFile(temporary, answers_.Serialize()); !written.ok()) {
        log_.Write("record", temporary, written);
        (void)files_.DeleteFile(temporary); // nothing worth keeping was written
        return;
    }
    // MoveFile does not replace: the earlier record goes first (it is in the new one).
    if (Status removed = files_.DeleteFile(path_);
        !removed.ok() && removed.code() != win::kFileNotFound) {
        log_.Write("record", path_, removed);
    }
    if (Status moved = files_.MoveFile(temporary, path_); !moved.ok()) {
        log_.Write("record", path_, "kept in " + temporary + ": " + moved.Describe());
    }
}

} // namespace korvex::unattended
