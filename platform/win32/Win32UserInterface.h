// The Windows user interface through the Win32 API: owner-less message boxes, the one generic
// view that shows any platform::DialogModel as a modal dialog, and the application-wide
// wait cursor.
#pragma once

#include <memory>

#include "platform/UserInterface.h"

namespace korvex::win32 {

// The view built by ShowDialog, as other programs (and the GUI tests) see it:
//   - a top-level dialog of class "#32770" with no owner, captioned DialogModel::Caption(),
//     its client area ClientArea() converted at the screen's dpi (pixels = twips * dpi / 1440),
//     centred on the screen;
//   - control i of DialogModel::Controls() is a child with the ID kFirstControlId + i and its
//     caption as window text: Label "Static"; GroupBox, OptionButton, CheckBox and
//     CommandButton "Button" with BS_GROUPBOX, BS_AUTORADIOBUTTON, BS_AUTOCHECKBOX and
//     BS_PUSHBUTTON; placed from its twips, inside its group box when it has one;
//   - font "MS Sans Serif" at the control's points for the dpi, bold when asked;
//   - option buttons, check boxes and command buttons with a tab index take focus, in
//     ascending tab index order (the button class keeps WS_TABSTOP only on the selected
//     option of a group, so Tab enters a group there); labels and group boxes never do;
//   - the option buttons of one container form one exclusive group.
// A command button click copies the option and check states into the model and calls
// DialogModel::Command; the close box (and Esc) copies them and calls DialogModel::CloseBox.
class Win32UserInterface final : public platform::UserInterface {
public:
    static constexpr int kFirstControlId = 1000;

    // The progress window as other programs (and the tests) find it: a top-level window of this
    // class captioned with the step, holding the step's caption, a progress bar
    // (msctls_progress32) with the range 0 to 10000 in proportion to the files done, the file
    // being handled and "<done> of <total> files", by these IDs; no system menu, no Cancel.
    static constexpr const wchar_t* kProgressWindowClass = L"KorvexProgress";
    static constexpr int kProgressCaptionId = 100;
    static constexpr int kProgressBarId = 101;
    static constexpr int kProgressFileId = 102;
    static constexpr int kProgressCountId = 103;

    Win32UserInterface();
    ~Win32UserInterface() override;
    Win32UserInterface(const Win32UserInterface&) = delete;
    Win32UserInterface& operator=(const Win32UserInterface&) = delete;

    // MessageBoxW, task-modal, no owner. Throws platform::RunStopped when Windows cannot
    // show the box.
    platform::Answer ShowMessage(const platform::MessageBoxRequest& request) override;
    // Throws platform::RunStopped when Windows cannot create the dialog; an exception thrown
    // by the model's handlers closes the dialog and passes to the caller.
    platform::DialogClose ShowDialog(platform::DialogModel& dialog) override;
    // The hourglass stays on over the dialogs shown while it is on.
    void SetWaitCursor(bool on) override;

    // The progress window (Win32ProgressWindow.cpp) lives on a thread of its own, so that it
    // keeps painting and answering while a file copy holds the run's thread.
    void ShowProgress(const platform::ProgressState& state) override;
    void HideProgress() override;

    bool waitCursorOn() const { return waitCursor_; }

private:
    class ProgressWindow;
    bool waitCursor_ = false;
    std::unique_ptr<ProgressWindow> progress_;
};

} // namespace korvex::win32
