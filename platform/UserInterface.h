// The Windows user interface as the programs use it: modal message boxes, modal dialogs and
// the application-wide wait cursor.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/Dialog.h"
#include "platform/Progress.h"

namespace korvex::platform {

enum class Buttons { Ok, YesNo };
enum class Icon { None, Question, Information, Warning, Error };
enum class DefaultButton { First, Second };
enum class Answer { Ok, Yes, No, Cancel };

struct MessageBoxRequest {
    std::string text;
    std::string title;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    DefaultButton defaultButton = DefaultButton::First;
    // Stable name of the question for answer files and the log ("OverwriteCsuinfo");
    // empty for OK-only messages, which need no answer.
    std::string prompt;
};

// Thrown by a user interface that cannot answer a question or show a dialog: an unattended
// run whose answer file does not answer it. The run stops at that point.
class RunStopped : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // MessageBox with no owner window; returns the button pressed.
    virtual Answer ShowMessage(const MessageBoxRequest& request) = 0;
    // Shows the dialog modally: calls Load, lets the user work the controls, and returns
    // once a command button or the close box has closed it.
    virtual DialogClose ShowDialog(DialogModel& dialog) = 0;
    // The application-wide hourglass (true) or normal pointer (false).
    virtual void SetWaitCursor(bool on) = 0;
    // The progress window of a long step: shown with `state`, or brought up to date when it is
    // up already; it is not modal, and the run goes on while it is up. No Cancel: a step
    // cannot be stopped half-way. HideProgress takes it away; nothing when it is not up.
    virtual void ShowProgress(const ProgressState& state) = 0;
    virtual void HideProgress() = 0;
};

} // namespace korvex::platform
