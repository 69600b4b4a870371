// How the answer-file sections of the three dialogs map onto their controls, both ways:
// filling a shown dialog from its section, and recording a closed dialog into one.
#pragma once

#include <string>

#include "platform/Dialog.h"
#include "platform/unattended/AnswerFile.h"

namespace korvex::unattended {

// Sets the dialog's controls from the keys of its section; keys that are absent leave the
// opening state. The dialog must already be loaded.
void ApplyDialogAnswers(const AnswerFile& answers, platform::DialogModel& dialog);

// Writes the dialog's control states and how it closed into its section.
void RecordDialogAnswers(const platform::DialogModel& dialog, platform::DialogClose closedAs,
                         AnswerFile& answers);

// "OK", "Cancel" or "Close".
std::string ButtonWord(platform::DialogClose closedAs);

// Presses the command button captioned "OK" or "Cancel", or uses the close box, for the
// answer-file word. Returns how the dialog closed; throws platform::RunStopped when the
// dialog has no such button or stays open.
platform::DialogClose PressButton(platform::DialogModel& dialog, const std::string& word);

} // namespace korvex::unattended
