// Answering and recording a dialog through its section of the answer file.
#include "platform/unattended/DialogAnswers.h"

#include "platform/UserInterface.h"

namespace korvex::unattended {

using platform::ControlKind;
using platform::DialogClose;
using platform::DialogModel;

void ApplyDialogAnswers(const AnswerFile& answers, DialogModel& dialog) {
    for (const auto& [key, value] : answers.Entries(dialog.Name())) {
        if (key != "Button") {
            dialog.ApplyAnswer(key, value);
        }
    }
}

std::string ButtonWord(DialogClose closedAs) {
    switch (closedAs) {
    case DialogClose::Ok:
        return "OK";
    case DialogClose::Cancel:
        return "Cancel";
    case DialogClose::CloseBox:
        return "Close";
    }
    return "Close";
}

void RecordDialogAnswers(const DialogModel& dialog, DialogClose closedAs, AnswerFile& answers) {
    const std::string section(dialog.Name());
    answers.Set(section, "Button", ButtonWord(closedAs));
    for (const auto& [key, value] : dialog.RecordAnswers()) {
        answers.Set(section, key, value);
    }
}

DialogClose PressButton(DialogModel& dialog, const std::string& word) {
    if (word == "Close") {
        dialog.CloseBox();
        return DialogClose::CloseBox;
    }
    for (const platform::Control& control : dialog.Controls()) {
        if (control.kind != ControlKind::CommandButton || control.caption != word) {
            continue;
        }
        DialogClose closedAs = DialogClose::CloseBox;
        if (!dialog.Command(control.name, closedAs)) {
            throw platform::RunStopped("the dialog " + std::string(dialog.Name()) +
                                       " stayed open after " + word);
        }
        return closedAs;
    }
    throw platform::RunStopped("the dialog " + std::string(dialog.Name()) + " has no " + word +
                               " button");
}

} // namespace korvex::unattended
