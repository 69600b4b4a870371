// An interactive user interface that writes every answer given into an answer file, so that
// replaying the file reproduces the run. The file is rewritten after each answer; sections
// of the other program already in it are kept.
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "platform/UserInterface.h"
#include "platform/unattended/AnswerFile.h"

namespace korvex::unattended {

class RecordingUserInterface final : public platform::UserInterface {
public:
    RecordingUserInterface(platform::UserInterface& inner, platform::FileSystem& files,
                           platform::Log& log, std::string path, std::string questions,
                           const AnswerSchema& schema);

    platform::Answer ShowMessage(const platform::MessageBoxRequest& request) override;
    platform::DialogClose ShowDialog(platform::DialogModel& dialog) override;
    void SetWaitCursor(bool on) override { inner_.SetWaitCursor(on); }
    void ShowProgress(const platform::ProgressState& state) override { inner_.ShowProgress(state); }
    void HideProgress() override { inner_.HideProgress(); }

private:
    void Save();

    platform::UserInterface& inner_;
    platform::FileSystem& files_;
    platform::Log& log_;
    std::string path_;
    std::string questions_;
    const AnswerSchema& schema_;
    AnswerFile answers_;
};

} // namespace korvex::unattended
