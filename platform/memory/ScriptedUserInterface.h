// A user interface for tests: answers questions and works dialogs from a queue of scripted
// steps, and records everything shown, in order.
//
//     windows.ui().Answer(Answer::No);                                  // next Yes/No question
//     windows.ui().Dialog(ScriptedUserInterface::Press("OKButton", {{"EthernetOption", true}}));
//     ... run ...
//     EXPECT_EQ(windows.ui().messages()[0].request.title, "KROVEx Install");
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/UserInterface.h"

namespace korvex::memory {

class ScriptedUserInterface final : public platform::UserInterface {
public:
    // Works an open dialog (sets controls, presses a button through DialogModel::Command or
    // uses CloseBox) and says how it closed.
    using DialogScript = std::function<platform::DialogClose(platform::DialogModel&)>;

    struct ShownMessage {
        platform::MessageBoxRequest request;
        platform::Answer answer;
    };
    struct ShownDialog {
        std::string name;
        std::string caption;
        std::string states; // DialogModel::DescribeStates when it closed
        platform::DialogClose closedAs;
    };

    // Queue the answer to the next question (a message box with Yes and No).
    void Answer(platform::Answer answer);
    // Queue the script for the next dialog.
    void Dialog(DialogScript script);
    // Scripts: tick or select controls, then press a command button; or use the close box.
    static DialogScript Press(std::string button,
                              std::vector<std::pair<std::string, bool>> states = {});
    static DialogScript CloseBox(std::vector<std::pair<std::string, bool>> states = {});

    // What was shown, in order. OK-only messages are acknowledged without a queued step.
    const std::vector<ShownMessage>& messages() const { return messages_; }
    const std::vector<ShownDialog>& dialogs() const { return dialogs_; }
    // One line per message, dialog and cursor change, in order:
    //   "message [KROVEx Install] Overwrite Current CSUINFO file ?\rPrevious... -> No"
    //   "dialog KORVExConf -> Ok"   "cursor wait"   "cursor normal"
    //   "progress Copying the map tree to C:\TELMIMAP"   (the window came up)   "progress hidden"
    const std::vector<std::string>& transcript() const { return transcript_; }
    bool waitCursorOn() const { return waitCursor_; }
    // Every state the progress window showed, in order, each update included; whether it is up.
    const std::vector<platform::ProgressState>& progressShown() const { return progress_; }
    bool progressUp() const { return progressUp_; }
    // Steps queued and not used.
    std::size_t pending() const { return queue_.size(); }

    // A question or dialog with no queued step of its kind throws platform::RunStopped.
    platform::Answer ShowMessage(const platform::MessageBoxRequest& request) override;
    platform::DialogClose ShowDialog(platform::DialogModel& dialog) override;
    void SetWaitCursor(bool on) override;
    void ShowProgress(const platform::ProgressState& state) override;
    void HideProgress() override;

private:
    struct Step {
        bool isDialog = false;
        platform::Answer answer = platform::Answer::No;
        DialogScript script;
    };
    std::deque<Step> queue_;
    std::vector<ShownMessage> messages_;
    std::vector<ShownDialog> dialogs_;
    std::vector<std::string> transcript_;
    bool waitCursor_ = false;
    std::vector<platform::ProgressState> progress_;
    bool progressUp_ = false;
};

} // namespace korvex::memory
