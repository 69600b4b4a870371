// Scripted answers and dialog scripts for tests, and the record of what the program showed.
#include "platform/memory/ScriptedUserInterface.h"

#include <cstdio>

namespace korvex::memory {

using platform::Answer;
using platform::DialogClose;
using platform::DialogModel;
using platform::RunStopped;

namespace {

const char* AnswerName(Answer answer) {
    switch (answer) {
    case Answer::Ok:
        return "Ok";
    case Answer::Yes:
        return "Yes";
    case Answer::No:
        return "No";
    case Answer::Cancel:
        return "Cancel";
    }
    return "?";
}

const char* CloseName(DialogClose close) {
    switch (close) {
    case DialogClose::Ok:
        return "Ok";
    case DialogClose::Cancel:
        return "Cancel";
    case DialogClose::CloseBox:
        return "CloseBox";
    }
    return "?";
}

// The text with its control characters written out ("\r", "\n", "\t", "\x01"), so that one
// message stays one transcript line.
std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string MessageLine(const platform::MessageBoxRequest& request) {
    return "message [" + OneLine(request.title) + "] " + OneLine(request.text) + " -> ";
}

// Sets the controls a script names; a name the dialog lacks, or an option button asked to
// clear (only selecting another clears it), is a mistake in the script.
void SetStates(DialogModel& dialog, const std::vector<std::pair<std::string, bool>>& states) {
    for (const auto& [name, checked] : states) {
        if (dialog.Find(name) < 0) {
            throw RunStopped("dialog " + std::string(dialog.Name()) + " has no control " + name);
        }
        dialog.SetChecked(name, checked);
        if (dialog.IsChecked(name) != checked) {
            throw RunStopped("dialog " + std::string(dialog.Name()) + ": control " + name +
                             " cannot be set to " + (checked ? "1" : "0"));
        }
    }
}

} // namespace

void ScriptedUserInterface::Answer(platform::Answer answer) {
    Step step;
    step.answer = answer;
    queue_.push_back(std::move(step));
}

void ScriptedUserInterface::Dialog(DialogScript script) {
    Step step;
    step.isDialog = true;
    step.script = std::move(script);
    queue_.push_back(std::move(step));
}

ScriptedUserInterface::DialogScript
ScriptedUserInterface::Press(std::string button, std::vector<std::pair<std::string, bool>> states) {
    return [button = std::move(button), states = std::move(states)](DialogModel& dialog) {
        SetStates(dialog, states);
        DialogClose closedAs = DialogClose::Ok;
        if (!dialog.Command(button, closedAs)) {
            throw RunStopped("dialog " + std::string(dialog.Name()) + " stayed open after " +
                             button + " (" + dialog.DescribeStates() + ")");
        }
        return closedAs;
    };
}

ScriptedUserInterface::DialogScript
ScriptedUserInterface::CloseBox(std::vector<std::pair<std::string, bool>> states) {
    return [states = std::move(states)](DialogModel& dialog) {
        SetStates(dialog, states);
        dialog.CloseBox();
        return DialogClose::CloseBox;
    };
}

Answer ScriptedUserInterface::ShowMessage(const platform::MessageBoxRequest& request) {
    if (request.buttons == platform::Buttons::Ok) {
        messages_.push_back({request, Answer::Ok});
        transcript_.push_back(MessageLine(request) + AnswerName(Answer::Ok));
        return Answer::Ok;
    }
    if (queue_.empty() || queue_.front().isDialog) {
        transcript_.push_back(MessageLine(request) + "stopped");
        throw RunStopped("no scripted answer for the question " +
                         (request.prompt.empty() ? std::string("(no prompt)") : request.prompt) +
                         ": \"" + OneLine(request.text) + "\"" +
                         (queue_.empty() ? "" : "; the next step is a dialog"));
    }
    const platform::Answer answer = queue_.front().answer;
    queue_.pop_front();
    messages_.push_back({request, answer});
    transcript_.push_back(MessageLine(request) + AnswerName(answer));
    return answer;
}

DialogClose ScriptedUserInterface::ShowDialog(DialogModel& dialog) {
    dialog.Load();
    const std::string name(dialog.Name());
    if (queue_.empty() || !queue_.front().isDialog) {
        transcript_.push_back("dialog " + name + " -> stopped");
        throw RunStopped("no scripted dialog for " + name +
                         (queue_.empty() ? std::string() : "; the next step is an answer"));
    }
    const DialogScript script = std::move(queue_.front().script);
    queue_.pop_front();
    DialogClose closedAs = DialogClose::Ok;
    try {
        closedAs = script(dialog);
    } catch (const RunStopped&) {
        transcript_.push_back("dialog " + name + " -> stopped");
        throw;
    }
    dialogs_.push_back({name, std::string(dialog.Caption()), dialog.DescribeStates(), closedAs});
    transcript_.push_back("dialog " + name + " -> " + CloseName(closedAs));
    return closedAs;
}

void ScriptedUserInterface::SetWaitCursor(bool on) {
    // Only changes are recorded: setting the cursor it already shows changes nothing on screen.
    if (on == waitCursor_) {
        return;
    }
    waitCursor_ = on;
    transcript_.push_back(on ? "cursor wait" : "cursor normal");
}

void ScriptedUserInterface::ShowProgress(const platform::ProgressState& state) {
    if (!progressUp_ || progress_.empty() || progress_.back().caption != state.caption) {
        transcript_.push_back("progress " + state.caption);
    }
    progressUp_ = true;
    progress_.push_back(state);
}

void ScriptedUserInterface::HideProgress() {
    if (progressUp_) {
        transcript_.push_back("progress hidden");
    }
    progressUp_ = false;
}

} // namespace korvex::memory
