// Answers from the answer file.
#include "platform/unattended/AnswerFileUserInterface.h"

#include "platform/unattended/DialogAnswers.h"

namespace korvex::unattended {

using platform::Answer;

platform::Answer AnswerFileUserInterface::ShowMessage(const platform::MessageBoxRequest& request) {
    if (request.buttons == platform::Buttons::Ok) {
        return Answer::Ok;
    }
    std::optional<std::string> answer;
    if (!request.prompt.empty()) {
        answer = answers_.Get(questions_, request.prompt);
        // A question of a family ("OverwriteMap.S02.ob_map") has an answer of its own, which
        // wins, or takes the family's answer ("OverwriteMap").
        const auto dot = request.prompt.find('.');
        if (!answer && dot != std::string::npos) {
            answer = answers_.Get(questions_, request.prompt.substr(0, dot));
        }
    }
    if (!answer) {
        throw platform::RunStopped(
            "the answer file does not answer " +
            (request.prompt.empty() ? std::string("the question") : request.prompt) + " in [" +
            questions_ + "] (\"" + request.text + "\")");
    }
    return *answer == "Yes" ? Answer::Yes : Answer::No;
}

platform::DialogClose AnswerFileUserInterface::ShowDialog(platform::DialogModel& dialog) {
    const std::string section(dialog.Name());
    const auto button = answers_.Get(section, "Button");
    if (!button) {
        throw platform::RunStopped("the answer file does not answer the dialog " + section +
                                   " (no Button in [" + section + "])");
    }
    dialog.Load();
    ApplyDialogAnswers(answers_, dialog);
    return PressButton(dialog, *button);
}

} // namespace korvex::unattended
