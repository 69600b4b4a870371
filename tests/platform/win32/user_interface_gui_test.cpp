// The Win32 user interface on a real desktop (Wine on a virtual X display): the generic dialog
// view and the message boxes are shown on the main thread and inspected and worked from a
// second thread through the Win32 API, as another program would see them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/WindowProbe.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32UserInterface.h"

namespace korvex::win32 {
namespace {

using platform::Answer;
using platform::Control;
using platform::ControlKind;
using platform::DialogClose;
using platform::Twips;

constexpr int kFirstId = Win32UserInterface::kFirstControlId;
constexpr const char* kCaption = "KORVEx Test Setup";

// A dialog shaped like the installer's configuration dialogs: group boxes holding option
// buttons, a check box, caption-less row group boxes with a label, options and a check box,
// a large and a bold label, and OK, Cancel and a button that keeps the dialog open. The model
// order differs from the tab order on purpose; labels and frames carry tab indexes (as they
// may in a form) but never take focus.
class TestDialog final : public platform::DialogModel {
public:
    TestDialog() {
        auto add = [this](std::string name, ControlKind kind, std::string caption, Twips rect,
                          int container, int tabIndex, platform::Font font = {}) {
            controls_.push_back({std::move(name), kind, std::move(caption), rect, container,
                                 tabIndex, font, false});
            return static_cast<int>(controls_.size()) - 1;
        };
        add("Label1", ControlKind::Label, "Select System Type For Each System",
            {165, 180, 4725, 375}, -1, 21, {13.5, false});
        add("Label3", ControlKind::Label,
            "Check for multiple frames stacked with first frame from top", {7170, 120, 2235, 615},
            -1, -1, {8.25, true});
        const int frame1 = add("Frame1", ControlKind::GroupBox, "Connection Configuration",
                               {135, 840, 4200, 1335}, -1, 20);
        add("EthernetOption", ControlKind::OptionButton, "Ethernet Connection",
            {360, 360, 3000, 255}, frame1, 3);
        add("SerialOption", ControlKind::OptionButton, "Serial Connection", {360, 840, 3000, 255},
            frame1, 4);
        const int frame2 =
            add("Frame2", ControlKind::GroupBox, "Map Processing", {4500, 840, 4815, 2295}, -1, -1);
        add("DoNothingOption", ControlKind::OptionButton, "No Conversion required",
            {360, 600, 4200, 255}, frame2, 6);
        add("ConvertOption", ControlKind::OptionButton, "I want to convert my old CCF (TELM) maps",
            {360, 1080, 4200, 255}, frame2, 5);
        add("CopyMira", ControlKind::CheckBox, "Copy Mira Maps", {360, 1680, 3000, 255}, frame2, 7);
        for (int row = 0; row < 2; ++row) {
            const std::string index = "(" + std::to_string(row) + ")";
            const int frame = add("Frame3" + index, ControlKind::GroupBox, "",
                                  {135, 3360 + 480 * row, 9135, 495}, -1, -1);
            const int tab = 8 + 4 * row;
            add("Label2" + index, ControlKind::Label, "System" + std::to_string(row + 1) + " :",
                {105, 180, 855, 255}, frame, -1);
            add("Option1" + index, ControlKind::OptionButton, "Ostrel[9U]", {1080, 150, 1215, 255},
                frame, tab);
            add("Option3" + index, ControlKind::OptionButton, "Pennet[4U]", {2370, 150, 1215, 255},
                frame, tab + 1);
            add("Option5" + index, ControlKind::OptionButton, "Mira", {5040, 150, 1000, 255}, frame,
                tab + 2);
            add("Check1" + index, ControlKind::CheckBox, "Stack From Top", {7305, 150, 1575, 255},
                frame, tab + 3);
        }
        add("OKButton", ControlKind::CommandButton, "OK", {3000, 4560, 1215, 375}, -1, 0);
        add("CancelButton", ControlKind::CommandButton, "Cancel", {5520, 4560, 1215, 375}, -1, 1);
        add("HelpButton", ControlKind::CommandButton, "Help", {480, 4560, 1215, 375}, -1, 2);
    }

    std::string_view Name() const override { return "TestSetup"; }
    std::string_view Caption() const override { return kCaption; }
    Twips ClientArea() const override { return {0, 0, 9450, 5220}; }

    void Load() override {
        ++loads;
        for (Control& control : controls_) {
            control.checked = control.name == "SerialOption" || control.name == "DoNothingOption" ||
                              control.name.starts_with("Option1(") || control.name == "Check1(1)";
        }
    }
    bool Command(std::string_view button, DialogClose& closedAs) override {
        commands.push_back(std::string(button) + ": " + DescribeStates());
        if (button == "OKButton") {
            closedAs = DialogClose::Ok;
            return true;
        }
        if (button == "CancelButton") {
            closedAs = DialogClose::Cancel;
            return true;
        }
        return false;
    }
    void CloseBox() override { closeBoxes.push_back(DescribeStates()); }

    int loads = 0;
    std::vector<std::string> commands;   // "button: states when pressed"
    std::vector<std::string> closeBoxes; // states when the close box was used
};

// One line of machine state for failure messages.
std::string Describe(HWND window) {
    const RECT place = PlaceOf(window);
    std::ostringstream out;
    out << ClassOf(window) << " id=" << GetDlgCtrlID(window) << " style=0x" << std::hex
        << StyleOf(window) << std::dec << " text=\"" << TextOf(window) << "\" at (" << place.left
        << "," << place.top << ") " << place.right - place.left << "x" << place.bottom - place.top
        << " check=" << SendMessageW(window, BM_GETCHECK, 0, 0);
    return out.str();
}

std::string DescribeChildren(HWND parent) {
    std::string out;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        out += "\n  " + Describe(child);
    }
    return out;
}

// Runs `show` (the modal UI) on this thread while `drive` inspects and works the window
// captioned `caption` from a second thread. A window the driver leaves open (a failed check)
// is closed, so that `show` returns.
template <class Show>
auto WithDriver(const std::string& caption, const std::function<void(HWND)>& drive, Show show) {
    std::thread driver([&] {
        HWND window = WaitForWindow(caption);
        if (window == nullptr) {
            ADD_FAILURE() << "no visible window of class #32770 captioned \"" << caption << "\"";
            return;
        }
        drive(window);
        if (!WaitUntilGone(window)) {
            ADD_FAILURE() << "\"" << caption << "\" still open:" << DescribeChildren(window);
            for (int id : {IDCANCEL, IDNO, IDOK}) {
                PostMessageW(window, WM_COMMAND, id, 0);
            }
        }
    });
    auto result = show();
    driver.join();
    return result;
}

// The model's name of a control of the dialog, by its ID.
std::string NameOf(HWND item, const TestDialog& model) {
    const int index = GetDlgCtrlID(item) - kFirstId;
    if (index < 0 || static_cast<std::size_t>(index) >= model.Controls().size()) {
        ADD_FAILURE() << "a control the model does not have: " << Describe(item);
        return "id " + std::to_string(GetDlgCtrlID(item));
    }
    return model.Controls()[static_cast<std::size_t>(index)].name;
}

HWND Item(HWND dialog, const TestDialog& model, std::string_view name) {
    const int index = model.Find(name);
    EXPECT_GE(index, 0) << name;
    return GetDlgItem(dialog, kFirstId + index);
}

bool Checked(HWND dialog, const TestDialog& model, std::string_view name) {
    return SendMessageW(Item(dialog, model, name), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(HWND dialog, const TestDialog& model, std::string_view name) {
    SendMessageW(Item(dialog, model, name), BM_CLICK, 0, 0);
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// Presses a key on the focused control, through the dialog's own message loop.
void PressKey(HWND dialog, WPARAM key) {
    HWND target = FocusOf(dialog);
    PostMessageW(target != nullptr ? target : dialog, WM_KEYDOWN, key, 1);
    PostMessageW(target != nullptr ? target : dialog, WM_KEYUP, key, 0xC0000001);
    Sleep(200);
}

struct Expected {
    const char* className;
    LONG type; // BS_* for buttons, SS_LEFT for labels
};

Expected ExpectedFor(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label:
        return {"Static", SS_LEFT};
    case ControlKind::GroupBox:
        return {"Button", BS_GROUPBOX};
    case ControlKind::OptionButton:
        return {"Button", BS_AUTORADIOBUTTON};
    case ControlKind::CheckBox:
        return {"Button", BS_AUTOCHECKBOX};
    case ControlKind::CommandButton:
        return {"Button", BS_PUSHBUTTON};
    }
    return {"?", -1};
}

// The control's rectangle in twips from the dialog's client origin.
Twips AbsoluteTwips(const TestDialog& model, const Control& control) {
    Twips rect = control.rect;
    if (control.container >= 0) {
        const Twips& frame = model.Controls()[static_cast<std::size_t>(control.container)].rect;
        rect.left += frame.left;
        rect.top += frame.top;
    }
    return rect;
}

TEST(Win32DialogView, ShowsEveryControlOfTheModel) {
    TestDialog model;
    Win32UserInterface ui;
    const int dpi = ScreenDpi();
    const DialogClose closed = WithDriver(
        kCaption,
        [&](HWND dialog) {
            SCOPED_TRACE("dialog controls:" + DescribeChildren(dialog));
            EXPECT_EQ(ClassOf(dialog), "#32770");
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
            EXPECT_TRUE(StyleOf(dialog) & WS_SYSMENU) << "no close box";
            RECT client{};
            GetClientRect(dialog, &client);
            EXPECT_NEAR(client.right, Pixels(9450), 1);
            EXPECT_NEAR(client.bottom, Pixels(5220), 1);
            RECT frame{};
            GetWindowRect(dialog, &frame);
            EXPECT_NEAR(frame.left + frame.right, GetSystemMetrics(SM_CXSCREEN), 2) << "centred";
            EXPECT_NEAR(frame.top + frame.bottom, GetSystemMetrics(SM_CYSCREEN), 2) << "centred";

            for (std::size_t i = 0; i < model.Controls().size(); ++i) {
                const Control& control = model.Controls()[i];
                HWND item = GetDlgItem(dialog, kFirstId + static_cast<int>(i));
                ASSERT_NE(item, nullptr) << control.name;
                SCOPED_TRACE(control.name + ": " + Describe(item));
                const Expected expected = ExpectedFor(control.kind);
                EXPECT_EQ(ClassOf(item), expected.className);
                if (control.kind == ControlKind::Label) {
                    EXPECT_EQ(StyleOf(item) & SS_TYPEMASK, expected.type);
                } else if (item == FocusOf(dialog) && control.kind == ControlKind::CommandButton) {
                    // The dialog manager makes the focused push button the default one.
                    EXPECT_EQ(StyleOf(item) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
                } else {
                    EXPECT_EQ(StyleOf(item) & BS_TYPEMASK, expected.type);
                }
                EXPECT_EQ(TextOf(item), control.caption);

                const Twips twips = AbsoluteTwips(model, control);
                const RECT place = PlaceOf(item);
                EXPECT_NEAR(place.left, Pixels(twips.left), 1);
                EXPECT_NEAR(place.top, Pixels(twips.top), 1);
                EXPECT_NEAR(place.right - place.left, Pixels(twips.width), 1);
                EXPECT_NEAR(place.bottom - place.top, Pixels(twips.height), 1);

                // The button class moves WS_TABSTOP with the selection among option buttons,
                // so that Tab enters each group at its selected option.
                const bool tabStop = control.kind == ControlKind::OptionButton
                                         ? control.checked
                                         : control.kind == ControlKind::CheckBox ||
                                               control.kind == ControlKind::CommandButton;
                EXPECT_EQ((StyleOf(item) & WS_TABSTOP) != 0, tabStop);
                if (control.kind == ControlKind::OptionButton ||
                    control.kind == ControlKind::CheckBox) {
                    EXPECT_EQ(SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED,
                              control.checked);
                }

                LOGFONTW font{};
                auto handle = reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0));
                ASSERT_EQ(GetObjectW(handle, sizeof font, &font), int{sizeof font});
                EXPECT_EQ(Narrow(font.lfFaceName), "MS Sans Serif");
                EXPECT_EQ(font.lfHeight, -std::lround(control.font.points * dpi / 72.0));
                EXPECT_EQ(font.lfWeight, control.font.bold ? FW_BOLD : FW_NORMAL);
            }

            // The opening states the model's Load set.
            for (const char* name :
                 {"SerialOption", "DoNothingOption", "Option1(0)", "Option1(1)", "Check1(1)"}) {
                EXPECT_TRUE(Checked(dialog, model, name)) << name;
            }
            for (const char* name : {"EthernetOption", "ConvertOption", "CopyMira", "Option3(0)",
                                     "Option5(1)", "Check1(0)"}) {
                EXPECT_FALSE(Checked(dialog, model, name)) << name;
            }

            // The focusable controls lie in tab index order, whatever the model's order...
            std::vector<std::string> zOrder;
            for (HWND item = GetWindow(dialog, GW_CHILD); item != nullptr;
                 item = GetWindow(item, GW_HWNDNEXT)) {
                if (ClassOf(item) == "Button" && (StyleOf(item) & BS_TYPEMASK) != BS_GROUPBOX) {
                    zOrder.push_back(NameOf(item, model));
                }
            }
            EXPECT_EQ(zOrder, (std::vector<std::string>{
                                  "OKButton", "CancelButton", "HelpButton", "EthernetOption",
                                  "SerialOption", "ConvertOption", "DoNothingOption", "CopyMira",
                                  "Option1(0)", "Option3(0)", "Option5(0)", "Check1(0)",
                                  "Option1(1)", "Option3(1)", "Option5(1)", "Check1(1)"}));
            // ...and the dialog manager's Tab walk takes them in that order, entering each
            // option group at its selected option.
            const std::vector<std::string> tabWalk = {
                "OKButton", "CancelButton", "HelpButton", "SerialOption", "DoNothingOption",
                "CopyMira", "Option1(0)",   "Check1(0)",  "Option1(1)",   "Check1(1)"};
            std::vector<std::string> walked;
            HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
            for (HWND item = first; item != nullptr && walked.size() <= tabWalk.size();) {
                walked.push_back(NameOf(item, model));
                item = GetNextDlgTabItem(dialog, item, FALSE);
                if (item == first) {
                    break;
                }
            }
            EXPECT_EQ(walked, tabWalk);

            // Focus opens on the first control of the tab order, and Tab moves along it.
            EXPECT_EQ(FocusOf(dialog), Item(dialog, model, "OKButton"));
            PressKey(dialog, VK_TAB);
            EXPECT_EQ(FocusOf(dialog), Item(dialog, model, "CancelButton"));

            SaveScreenshot(dialog, "dialog-opening");
            Click(dialog, model, "CancelButton");
        },
        [&] { return ui.ShowDialog(model); });

    EXPECT_EQ(closed, DialogClose::Cancel);
    EXPECT_EQ(model.loads, 1);
}

TEST(Win32DialogView, ClicksReachTheModelAndCommandDecidesTheClose) {
    TestDialog model;
    Win32UserInterface ui;
    bool stayedOpen = false;
    const DialogClose closed = WithDriver(
        kCaption,
        [&](HWND dialog) {
            Click(dialog, model, "EthernetOption");
            Click(dialog, model, "Option3(1)");
            Click(dialog, model, "CopyMira");
            Click(dialog, model, "Check1(1)");
            SCOPED_TRACE("after the clicks:" + DescribeChildren(dialog));
            // Each group box is its own exclusive group: a click clears its group only.
            EXPECT_TRUE(Checked(dialog, model, "EthernetOption"));
            EXPECT_FALSE(Checked(dialog, model, "SerialOption"));
            EXPECT_TRUE(Checked(dialog, model, "DoNothingOption"));
            EXPECT_TRUE(Checked(dialog, model, "Option3(1)"));
            EXPECT_FALSE(Checked(dialog, model, "Option1(1)"));
            EXPECT_TRUE(Checked(dialog, model, "Option1(0)"));
            EXPECT_TRUE(Checked(dialog, model, "CopyMira"));
            EXPECT_FALSE(Checked(dialog, model, "Check1(1)"));

            Click(dialog, model, "HelpButton"); // Command answers false: the dialog stays
            Sleep(200);
            stayedOpen = IsWindow(dialog) && IsWindowVisible(dialog);
            SaveScreenshot(dialog, "dialog-clicked");
            Click(dialog, model, "OKButton");
        },
        [&] { return ui.ShowDialog(model); });

    EXPECT_TRUE(stayedOpen) << "a command that answers false closed the dialog";
    EXPECT_EQ(closed, DialogClose::Ok);
    const std::string states = "EthernetOption=1 SerialOption=0 DoNothingOption=1 ConvertOption=0 "
                               "CopyMira=1 Option1(0)=1 Option3(0)=0 Option5(0)=0 Check1(0)=0 "
                               "Option1(1)=0 Option3(1)=1 Option5(1)=0 Check1(1)=0";
    EXPECT_EQ(model.commands,
              (std::vector<std::string>{"HelpButton: " + states, "OKButton: " + states}));
    EXPECT_TRUE(model.closeBoxes.empty());
}

struct CloseWay {
    const char* name;
    std::function<void(HWND)> close;
};

TEST(Win32DialogView, CloseBoxReportsTheStatesAndEveryShowingStartsFromLoad) {
    const std::vector<CloseWay> ways = {
        {"WM_CLOSE", [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }},
        {"SC_CLOSE", [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Esc", [](HWND dialog) { PressKey(dialog, VK_ESCAPE); }},
    };
    TestDialog model; // one model, shown once per row
    Win32UserInterface ui;
    for (const CloseWay& way : ways) {
        SCOPED_TRACE(way.name);
        model.closeBoxes.clear();
        bool openedFresh = false;
        const DialogClose closed = WithDriver(
            kCaption,
            [&](HWND dialog) {
                openedFresh =
                    !Checked(dialog, model, "Check1(0)") && Checked(dialog, model, "SerialOption");
                Click(dialog, model, "Check1(0)");
                Click(dialog, model, "EthernetOption");
                way.close(dialog);
            },
            [&] { return ui.ShowDialog(model); });
        EXPECT_TRUE(openedFresh) << "the last showing's states were shown again";
        EXPECT_EQ(closed, DialogClose::CloseBox);
        ASSERT_EQ(model.closeBoxes.size(), 1u);
        EXPECT_NE(model.closeBoxes[0].find("EthernetOption=1 SerialOption=0"), std::string::npos)
            << model.closeBoxes[0];
        EXPECT_NE(model.closeBoxes[0].find("Check1(0)=1"), std::string::npos)
            << model.closeBoxes[0];
    }
    EXPECT_TRUE(model.commands.empty());
    EXPECT_EQ(model.loads, 3);
}

TEST(Win32DialogView, ModelExceptionsCloseTheDialogAndReachTheCaller) {
    class ThrowingDialog final : public platform::DialogModel {
    public:
        ThrowingDialog() {
            controls_.push_back({"OKButton",
                                 ControlKind::CommandButton,
                                 "OK",
                                 {600, 300, 1215, 375},
                                 -1,
                                 0,
                                 {},
                                 false});
        }
        std::string_view Name() const override { return "Throwing"; }
        std::string_view Caption() const override { return "Throwing Dialog"; }
        Twips ClientArea() const override { return {0, 0, 2400, 1200}; }
        void Load() override {}
        bool Command(std::string_view, DialogClose&) override {
            throw platform::RunStopped("no answer for Throwing");
        }
        void CloseBox() override {}
    } model;
    Win32UserInterface ui;
    std::string caught;
    WithDriver(
        "Throwing Dialog",
        [](HWND dialog) { SendMessageW(GetDlgItem(dialog, kFirstId), BM_CLICK, 0, 0); },
        [&] {
            try {
                ui.ShowDialog(model);
            } catch (const platform::RunStopped& stopped) {
                caught = stopped.what();
            }
            return 0;
        });
    EXPECT_EQ(caught, "no answer for Throwing");
}

TEST(Win32DialogView, WaitCursorHoldsOverTheDialog) {
    for (const bool wait : {true, false}) {
        SCOPED_TRACE(wait ? "wait cursor on" : "wait cursor off");
        TestDialog model;
        Win32UserInterface ui;
        ui.SetWaitCursor(wait);
        EXPECT_EQ(ui.waitCursorOn(), wait);
        HCURSOR shown = nullptr;
        WithDriver(
            kCaption,
            [&](HWND dialog) {
                HWND label = Item(dialog, model, "Label1");
                SendMessageW(label, WM_SETCURSOR, reinterpret_cast<WPARAM>(label),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
                CURSORINFO info{};
                info.cbSize = sizeof info;
                GetCursorInfo(&info);
                shown = info.hCursor;
                Click(dialog, model, "OKButton");
            },
            [&] { return ui.ShowDialog(model); });
        EXPECT_EQ(shown, LoadCursorW(nullptr, wait ? IDC_WAIT : IDC_ARROW));
    }
}

struct MessageCase {
    platform::MessageBoxRequest request;
    std::vector<int> buttons; // the buttons the box must have
    int defaultButton;
    const wchar_t* icon; // IDI_* or nullptr
    int press;
    Answer expected;
};

void PrintTo(const MessageCase& row, std::ostream* out) {
    *out << "[" << row.request.title << "] " << row.request.text;
}

class Win32MessageBox : public testing::TestWithParam<MessageCase> {};

TEST_P(Win32MessageBox, ShowsTheRequestAndReturnsThePressedButton) {
    const MessageCase& row = GetParam();
    Win32UserInterface ui;
    const Answer answer = WithDriver(
        row.request.title,
        [&](HWND box) {
            SCOPED_TRACE("message box:" + DescribeChildren(box));
            EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
            for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
                const bool wanted =
                    std::find(row.buttons.begin(), row.buttons.end(), id) != row.buttons.end();
                EXPECT_EQ(GetDlgItem(box, id) != nullptr && IsWindowVisible(GetDlgItem(box, id)),
                          wanted)
                    << "button " << id;
            }
            EXPECT_EQ(StyleOf(GetDlgItem(box, row.defaultButton)) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
            EXPECT_EQ(FocusOf(box), GetDlgItem(box, row.defaultButton));

            bool textShown = false;
            HICON icon = nullptr;
            for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                if (ClassOf(child) != "Static" || !IsWindowVisible(child)) {
                    continue;
                }
                if ((StyleOf(child) & SS_TYPEMASK) == SS_ICON) {
                    icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
                } else if (TextOf(child) == row.request.text) {
                    textShown = true;
                }
            }
            EXPECT_TRUE(textShown) << "no static shows \"" << row.request.text << "\"";
            EXPECT_EQ(icon, row.icon != nullptr ? LoadIconW(nullptr, row.icon) : nullptr);

            std::string shot = "message-" + row.request.title;
            std::replace(shot.begin(), shot.end(), ' ', '-');
            SaveScreenshot(box, shot);
            SendMessageW(GetDlgItem(box, row.press), BM_CLICK, 0, 0);
        },
        [&] { return ui.ShowMessage(row.request); });
    EXPECT_EQ(answer, row.expected);
}

using platform::Buttons;
using platform::DefaultButton;
using platform::Icon;

INSTANTIATE_TEST_SUITE_P(
    Requests, Win32MessageBox,
    testing::Values(
        MessageCase{{"Overwrite Current CSUINFO file ?", "KROVEx Install", Buttons::YesNo,
                     Icon::Question, DefaultButton::Second, "OverwriteCsuinfo"},
                    {IDYES, IDNO},
                    IDNO,
                    IDI_QUESTION,
                    IDNO,
                    Answer::No},
        MessageCase{{"Mira MAP files exists in D:\\Mira Maps Copy To C:\\TELMIMAP?", "Query",
                     Buttons::YesNo, Icon::Warning, DefaultButton::First, "CopyMiraMaps"},
                    {IDYES, IDNO},
                    IDYES,
                    IDI_WARNING,
                    IDYES,
                    Answer::Yes},
        MessageCase{{"Mira Maps Will Not Be Loaded", "VarenInstall", Buttons::Ok, Icon::Information,
                     DefaultButton::First, ""},
                    {IDOK},
                    IDOK,
                    IDI_INFORMATION,
                    IDOK,
                    Answer::Ok},
        MessageCase{
            {"No Mira Maps To Copy", "Warning", Buttons::Ok, Icon::None, DefaultButton::First, ""},
            {IDOK},
            IDOK,
            nullptr,
            IDOK,
            Answer::Ok},
        MessageCase{{"Access is denied. (error 5)", "KORVEX", Buttons::Ok, Icon::Error,
                     DefaultButton::First, ""},
                    {IDOK},
                    IDOK,
                    IDI_ERROR,
                    IDOK,
                    Answer::Ok}));

} // namespace
} // namespace korvex::win32
