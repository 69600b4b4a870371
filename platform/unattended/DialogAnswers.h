// Answering and recording a dialog through the answer file: the key "Button" says how the
// dialog closes, the dialog's own keys set its controls.
#pragma once

#include <string>

#include "platform/Dialog.h"
#include "platform/unattended/AnswerFile.h"

namespace korvex::unattended {

// Hands every key of the dialog's section but "Button" to the dialog; keys that are absent
// leave the opening state. The dialog must already be loaded.
void ApplyDialogAnswers(const AnswerFile& answers, platform::DialogModel& dialog);

// Writes how the dialog closed and its control states into its section.
void RecordDialogAnswers(const platform::DialogModel& dialog, platform::DialogClose closedAs,
                         AnswerFile& answers);

// The value of the key "Button" of a dialog's section for how it closed: "OK", "Cancel" or
// "Close" (the close box).
std::string ButtonWord(platform::DialogClose closedAs);

// Presses the command button captioned "OK" or "Cancel", or uses the close box, for the
// answer-file word. Returns how the dialog closed; throws platform::RunStopped when the
// dialog has no such button or stays open.
platform::DialogClose PressButton(platform::DialogModel& dialog, const std::string& word);

} // namespace korvex::unattended
