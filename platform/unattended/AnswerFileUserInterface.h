// The user interface of an unattended run: no window is shown; questions and dialogs are
// answered from the answer file. OK-only messages need no answer. A question or dialog the
// file does not answer stops the run (platform::RunStopped): nothing is ever guessed.
#pragma once

#include <string>

#include "platform/UserInterface.h"
#include "platform/unattended/AnswerFile.h"

namespace korvex::unattended {

class AnswerFileUserInterface final : public platform::UserInterface {
public:
    // `questions` is the section that answers this program's questions ("VarenInstall" or
    // "upgradeprep").
    AnswerFileUserInterface(const AnswerFile& answers, std::string questions)
        : answers_(answers), questions_(std::move(questions)) {}

    platform::Answer ShowMessage(const platform::MessageBoxRequest& request) override;
    platform::DialogClose ShowDialog(platform::DialogModel& dialog) override;
    void SetWaitCursor(bool) override {}
    // Nobody watches an unattended run: no window.
    void ShowProgress(const platform::ProgressState&) override {}
    void HideProgress() override {}

private:
    const AnswerFile& answers_;
    std::string questions_;
};

} // namespace korvex::unattended
