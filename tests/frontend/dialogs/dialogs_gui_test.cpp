// The three dialogs as a person sees them: the Win32 view of each real model, under Wine.
#include "platform/win32/WindowsHeaders.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "frontend/driver/KorvexConfig.h"
#include "platform/Log.h"
#include "platform/ProgressReport.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Installer.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32SystemInfo.h"
#include "platform/win32/Win32UserInterface.h"
#include "support/WindowProbe.h"

namespace korvex::win32 {
namespace {

using platform::Control;
using platform::ControlKind;
using platform::DialogClose;
using platform::DialogModel;

HWND Child(HWND dialog, std::size_t index) {
    return GetDlgItem(dialog, Win32UserInterface::kFirstControlId + static_cast<int>(index));
}

std::string NameOf(HWND item, const DialogModel& model) {
    const auto index =
        static_cast<std::size_t>(GetDlgCtrlID(item) - Win32UserInterface::kFirstControlId);
    return index < model.Controls().size() ? model.Controls()[index].name : "<not the model's>";
}

// The dialog's children in Z order, a line each: for failure messages.
std::string Children(HWND dialog, const DialogModel& model) {
    std::string out;
    for (HWND item = GetWindow(dialog, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT)) {
        out += "\n  " + NameOf(item, model) + ": " + ClassOf(item) + " \"" + TextOf(item) + "\"";
    }
    return out;
}

// Whether the caption can be read whole as drawn: a label wraps its words within its width and
// must not need more than its height; a button shows one line beside its mark, or centred.
void ExpectCaptionFits(HWND item, const Control& control) {
    const std::wstring text = Widen(control.caption);
    RECT place{};
    GetClientRect(item, &place);
    HDC dc = GetDC(item);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0)));
    SIZE need{}, room{place.right, place.bottom};
    if (control.kind == ControlKind::Label) {
        RECT needed{0, 0, place.right, 0};
        DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK);
        need = {needed.right, needed.bottom};
    } else if (control.kind != ControlKind::GroupBox) {
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &need);
        const bool pushButton = control.kind == ControlKind::CommandButton;
        room.cx -= 4 + (pushButton ? 0 : GetSystemMetrics(SM_CXMENUCHECK)); // mark and gap
    }
    EXPECT_TRUE(need.cx <= room.cx && need.cy <= room.cy)
        << "the caption needs " << need.cx << "x" << need.cy << " px of " << room.cx << "x"
        << room.cy;
    SelectObject(dc, old);
    ReleaseDC(item, dc);
}

// The pixels of the control the screen shows otherwise than it draws them itself: a sibling
// painting over it. Looks again for a while, as painting may come late.
int PixelsPaintedOver(HWND item) {
    RECT client{};
    GetClientRect(item, &client);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    std::uint32_t* bits[2] = {}; // as drawn, as shown
    HBITMAP bitmaps[2] = {};
    for (int k = 0; k < 2; ++k) {
        bitmaps[k] = CreateDIBSection(screen, &info, DIB_RGB_COLORS,
                                      reinterpret_cast<void**>(&bits[k]), nullptr, 0);
    }
    POINT origin{0, 0};
    ClientToScreen(item, &origin);
    int differing = 0;
    for (int look = 0; look == 0 || (differing > 0 && look < 10); ++look) {
        Sleep(look == 0 ? 0 : 100);
        HGDIOBJ old = SelectObject(memory, bitmaps[0]);
        SendMessageW(item, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
                     PRF_CLIENT | PRF_ERASEBKGND);
        SelectObject(memory, bitmaps[1]);
        BitBlt(memory, 0, 0, client.right, client.bottom, screen, origin.x, origin.y, SRCCOPY);
        SelectObject(memory, old);
        GdiFlush();
        differing = 0;
        for (long i = 0; i < client.right * client.bottom; ++i) { // the screen's 4th byte differs
            differing += ((bits[0][i] ^ bits[1][i]) & 0xFFFFFF) != 0;
        }
    }
    DeleteObject(bitmaps[0]);
    DeleteObject(bitmaps[1]);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return differing;
}

// The open dialog against its model at `dpi`: class, caption, client area; each control's class,
// style, text, place in its group box, caption fitting, no sibling over it, state, font; focus
// order.
void ExpectDrawnAsModelled(HWND dialog, const DialogModel& model, int dpi) {
    const std::string children = Children(dialog, model);
    SCOPED_TRACE(std::to_string(dpi) + " dpi (the test program sees " +
                 std::to_string(ScreenDpi()) + ")");
    EXPECT_EQ(ClassOf(dialog), "#32770");
    EXPECT_EQ(TextOf(dialog), model.Caption());
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_NEAR(client.right, Pixels(model.ClientArea().width, dpi), 1) << "width";
    EXPECT_NEAR(client.bottom, Pixels(model.ClientArea().height, dpi), 1) << "height";
    // The layout holds for the face Windows draws these dialogs with, not for a stand-in.
    if (const std::string face = FaceOf(GetWindow(dialog, GW_CHILD)); face != "MS Sans Serif") {
        FAIL() << "font: the dialog asks for \"MS Sans Serif\" and Wine drew it with \"" << face
               << "\" (the prefix needs Wine's own fonts: scripts/wine-lib.sh, fonts-wine)";
    }
    const std::vector<Control>& controls = model.Controls();
    std::map<int, std::string> tabOrder;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Control& control = controls[i];
        HWND item = Child(dialog, i);
        ASSERT_NE(item, nullptr) << control.name << " is not on the dialog:" << children;
        SCOPED_TRACE(control.name + " \"" + TextOf(item) + "\"");
        EXPECT_TRUE(IsWindowVisible(item));
        const bool label = control.kind == ControlKind::Label;
        EXPECT_EQ(ClassOf(item), label ? "Static" : "Button");
        // The dialog manager makes the push button that has the focus the default one.
        const LONG type = StyleOf(item) & (label ? SS_TYPEMASK : BS_TYPEMASK);
        const LONG styles[] = {SS_LEFT, BS_GROUPBOX, BS_AUTORADIOBUTTON, BS_AUTOCHECKBOX,
                               BS_PUSHBUTTON};
        EXPECT_EQ(type == BS_DEFPUSHBUTTON && !label ? BS_PUSHBUTTON : type,
                  styles[static_cast<int>(control.kind)]);
        EXPECT_EQ(TextOf(item), control.caption);
        RECT place = PlaceOf(item), box = client;
        if (control.container >= 0) {
            box = PlaceOf(Child(dialog, static_cast<std::size_t>(control.container)));
            OffsetRect(&place, -box.left, -box.top);
            OffsetRect(&box, -box.left, -box.top);
        }
        EXPECT_NEAR(place.left, Pixels(control.rect.left, dpi), 1) << "left";
        EXPECT_NEAR(place.top, Pixels(control.rect.top, dpi), 1) << "top";
        EXPECT_NEAR(place.right - place.left, Pixels(control.rect.width, dpi), 1) << "width";
        EXPECT_NEAR(place.bottom - place.top, Pixels(control.rect.height, dpi), 1) << "height";
        EXPECT_TRUE(place.left >= box.left && place.top >= box.top && place.right <= box.right &&
                    place.bottom <= box.bottom)
            << "sticks out of its group box or the dialog";
        ExpectCaptionFits(item, control);
        if (!label && control.kind != ControlKind::GroupBox) {
            EXPECT_EQ(PixelsPaintedOver(item), 0) << "pixels a sibling paints over:" << children;
        }
        // Labels, group boxes and push buttons answer "not checked", as their models hold.
        EXPECT_EQ(SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED, control.checked)
            << "opening state";
        LOGFONTW font{};
        ASSERT_EQ(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0)),
                             sizeof font, &font),
                  int{sizeof font});
        EXPECT_EQ(Narrow(font.lfFaceName), "MS Sans Serif");
        EXPECT_EQ(font.lfHeight, -std::lround(control.font.points * dpi / 72.0))
            << control.font.points << " points";
        EXPECT_EQ(font.lfWeight, control.font.bold ? FW_BOLD : FW_NORMAL);
        if (control.tabIndex >= 0) {
            tabOrder[control.tabIndex] = control.name;
        }
    }
    // The dialog manager moves the focus along the Z order of the children.
    std::map<int, std::string> focusOrder;
    std::size_t count = 0;
    for (HWND item = GetWindow(dialog, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT)) {
        ++count;
        if (ClassOf(item) == "Button" && (StyleOf(item) & BS_TYPEMASK) != BS_GROUPBOX) {
            focusOrder[static_cast<int>(focusOrder.size())] = NameOf(item, model);
        }
    }
    EXPECT_EQ(count, controls.size()) << "children:" << children;
    EXPECT_EQ(focusOrder, tabOrder) << "Z order of the children:" << children;
}

// The message box a button shows: the front end's title, the text, the information icon; OK.
void AnswerInformation(const std::string& text, const std::string& screenshot) {
    HWND box = WaitForWindow("VarenInstall");
    ASSERT_NE(box, nullptr) << "no message box titled \"VarenInstall\"";
    bool shown = false;
    HICON icon = nullptr;
    for (HWND item = GetWindow(box, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT)) {
        if (ClassOf(item) == "Static" && (StyleOf(item) & SS_TYPEMASK) == SS_ICON) {
            icon = reinterpret_cast<HICON>(SendMessageW(item, STM_GETICON, 0, 0));
        }
        shown = shown || (ClassOf(item) == "Static" && TextOf(item) == text);
    }
    EXPECT_TRUE(shown) << "no text \"" << text << "\" in the message box";
    EXPECT_EQ(icon, LoadIconW(nullptr, IDI_INFORMATION)) << "not the information icon";
    SaveScreenshot(box, screenshot);
    SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntilGone(box)) << "OK did not close the message box";
}

// What Windows sends when the dialog moves to a monitor of `dpi`: the dialog lays itself out
// again, at the rectangle suggested (here at the screen's top-left, so that it stays on the
// screen, the frame around the client area at the new dpi).
void ExpectMovedToMonitorOf(HWND dialog, const DialogModel& model, int dpi) {
    RECT suggested{0, 0, Pixels(model.ClientArea().width, dpi),
                   Pixels(model.ClientArea().height, dpi)};
    AdjustWindowRectEx(&suggested, static_cast<DWORD>(StyleOf(dialog)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    OffsetRect(&suggested, -suggested.left, -suggested.top);
    SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    GetWindowRect(dialog, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested)) << "not at the suggested rectangle";
    ExpectDrawnAsModelled(dialog, model, dpi);
}

// An INI file of the Windows directory, and its bytes (none when it is missing).
std::string IniPath(const char* file) {
    wchar_t directory[MAX_PATH] = {};
    GetWindowsDirectoryW(directory, MAX_PATH);
    return Narrow(directory) + "\\" + file;
}
std::string Ini(const char* file) {
    std::ifstream in(IniPath(file), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class RealDialogs : public ::testing::Test {
protected:
    // The INI files start absent, so that what a dialog writes is all they hold.
    void SetUp() override {
        DeleteFileW(Widen(IniPath("NELK.INI")).c_str());
        DeleteFileW(Widen(IniPath("ZELMAIN.INI")).c_str());
    }

    // Shows the dialog while a second thread, as a person would, checks it against the model
    // (the first showing at 96 dpi also on a monitor of 144 dpi and back), clicks, presses
    // `button`, answers the information box saying `message` if set (screenshots
    // "<dialog>-opening", "-clicked", "-cancel-message"); the model then holds the clicked states.
    DialogClose Show(DialogModel& model, std::vector<std::string> clicks, std::string button,
                     std::string message = "") {
        std::vector<bool> states; // as the clicks leave them
        std::thread person([&] {
            HWND window = WaitForWindow(std::string(model.Caption()));
            ASSERT_NE(window, nullptr) << "no window \"" << model.Caption() << "\"";
            ExpectDrawnAsModelled(window, model, MachineDpi());
            // Only from 96 dpi: Wine offers the bitmap face only in the sizes of its screen's dpi,
            // so a dialog of a 144-dpi machine cannot be drawn as at 96.
            if (MachineDpi() == 96 && std::exchange(moveMonitorsOnce, false)) {
                ExpectMovedToMonitorOf(window, model, 144);
                ExpectMovedToMonitorOf(window, model, 96);
            }
            const std::vector<Control>& controls = model.Controls();
            for (const Control& control : controls) {
                states.push_back(control.checked);
            }
            const std::string shot(model.Name());
            SaveScreenshot(window, shot + "-opening");
            for (const std::string& name : clicks) {
                const auto clicked = static_cast<std::size_t>(model.Find(name));
                SendMessageW(Child(window, clicked), BM_CLICK, 0, 0);
                const bool option = controls[clicked].kind == ControlKind::OptionButton;
                for (std::size_t i = 0; i < controls.size(); ++i) {
                    if (i == clicked || (option && controls[i].kind == ControlKind::OptionButton &&
                                         controls[i].container == controls[clicked].container)) {
                        states[i] = option ? i == clicked : !states[i];
                    }
                }
            }
            SaveScreenshot(window, shot + "-clicked");
            // Posted: the button's handler may show a message box and wait for its OK.
            HWND pressed = Child(window, static_cast<std::size_t>(model.Find(button)));
            PostMessageW(pressed, BM_CLICK, 0, 0);
            if (!message.empty()) {
                AnswerInformation(message, shot + "-cancel-message");
            }
            if (!WaitUntilGone(window)) {
                ADD_FAILURE() << "still open:" << Children(window, model);
                PostMessageW(window, WM_CLOSE, 0, 0);
            }
        });
        const DialogClose closed = ui.ShowDialog(model);
        person.join();
        for (std::size_t i = 0; i < states.size(); ++i) {
            EXPECT_EQ(model.Controls()[i].checked, states[i]) << model.Controls()[i].name;
        }
        return closed;
    }

    Win32FileSystem files;
    Win32Profile profile;
    Win32Installer installer;
    Win32SystemInfo system;
    Win32UserInterface ui;
    bool moveMonitorsOnce = true;
    platform::Log log;
    platform::ProgressReport progress{ui, system};
    platform::Platform machine{files, profile, installer, system, ui, log, progress};
    frontend::KorvexConfig run{machine};
};

// VarenInstall's manifest, which this program carries.
TEST(VarenInstallManifest, AsksForPerMonitorDpiAwareness) {
    ExpectPerMonitorDpiAwareManifest();
}

// Each test shows its dialog twice, Cancel first: the screenshots are those of the OK showing.
TEST_F(RealDialogs, KorvexConfCancelsThenWritesTheEthernetLink) {
    frontend::KORVExConf& dialog = run.korvexConf.emplace(machine, run.record.SetupCancelled);
    EXPECT_EQ(Show(dialog, {"EthernetOption", "CopyMira"}, "CancelButton"), DialogClose::Cancel);
    EXPECT_TRUE(run.record.SetupCancelled);
    EXPECT_EQ(Ini("NELK.INI"), "");
    EXPECT_EQ(Show(dialog, {"EthernetOption", "ConvertOption", "CopyMira"}, "OKButton"),
              DialogClose::Ok);
    EXPECT_FALSE(run.record.SetupCancelled);
    EXPECT_TRUE(dialog.mapsfromccf && dialog.CopyMiraMaps);
    EXPECT_EQ(Ini("NELK.INI") + Ini("ZELMAIN.INI"),
              "[Comms]\r\nLink Type=Ethernet-System\r\nEthernet Type=Winsock\r\n");
}

TEST_F(RealDialogs, SystemTypeCancelsThenWritesEveryRow) {
    frontend::SystemType& dialog = run.systemType.emplace(machine, run.record.SetupCancelled);
    EXPECT_EQ(Show(dialog, {"Option5(2)"}, "CancelButton"), DialogClose::Cancel);
    EXPECT_TRUE(run.record.SetupCancelled);
    EXPECT_EQ(Ini("ZELMAIN.INI") + Ini("NELK.INI"), "");
    // System 1 Mira stacked from the top, 5 Pennet, 10 stacked, 15 Quarne.
    EXPECT_EQ(Show(dialog, {"Option5(0)", "Check1(0)", "Option3(4)", "Check1(9)", "Option4(14)"},
                   "OKButton"),
              DialogClose::Ok);
    EXPECT_FALSE(run.record.SetupCancelled);
    std::string types = "[FrameType]\r\n", directions = "[FrameDirection]\r\n";
    for (int n = 1; n <= 15; ++n) {
        const std::string key = "System" + std::to_string(n) + "=";
        types += key + (n == 1 ? "4" : n == 5 ? "2" : n == 15 ? "3" : "0") + "\r\n";
        directions += key + (n == 1 || n == 10 ? "1" : "0") + "\r\n";
    }
    EXPECT_EQ(Ini("ZELMAIN.INI"), types + directions);
    EXPECT_EQ(Ini("NELK.INI"), "[Multiple Maps]\r\nMax Map Number=6\r\n");
}

TEST_F(RealDialogs, MiraCopyCancelSaysSoThenOkPicksTheTickedSystems) {
    frontend::MiraCopy& dialog = run.miraCopy.emplace(machine);
    EXPECT_EQ(Show(dialog, {"Check1(3)"}, "CancelButton", "Mira Maps Will Not Be Loaded"),
              DialogClose::Cancel);
    EXPECT_FALSE(dialog.CopyMapToSystem(3));
    EXPECT_EQ(Show(dialog, {"Check1(0)", "Check1(9)", "Check1(14)"}, "OkButton"), DialogClose::Ok);
    for (std::int16_t sys = 0; sys < 16; ++sys) {
        EXPECT_EQ(dialog.CopyMapToSystem(sys), sys == 0 || sys == 9 || sys == 14) << sys;
    }
}

// A label's text drawn in its font within its width needs no more than its height and width.
void ExpectTextFits(HWND label) {
    const std::wstring text = Widen(TextOf(label));
    RECT place{};
    GetClientRect(label, &place);
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    SIZE need{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &need);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    EXPECT_TRUE(need.cx <= place.right && need.cy <= place.bottom)
        << TextOf(label) << " needs " << need.cx << "x" << need.cy << " px of " << place.right
        << "x" << place.bottom;
}

// The progress window of a step: up while the run's thread does not pump messages, laid out
// for the monitor's dpi (440 x 108 px at 96), its caption and count whole, the bar where the
// files are, no system menu; hidden when the step ends.
TEST(ProgressWindow, ShowsTheStepAtTheMonitorsDpiAndAnswersWhileTheRunWorks) {
    const int dpi = MachineDpi();
    Win32UserInterface ui;
    const std::string caption = "Copying the Mira maps for system 10: studio";
    ui.ShowProgress(
        {caption, 4321, 20000, "E:\\Mira Maps\\map_disk_1\\studio\\layers\\d043\\f021.map"});
    HWND window = nullptr;
    for (int tries = 0; tries < 100 && window == nullptr; ++tries) {
        window = FindWindowW(Win32UserInterface::kProgressWindowClass, Widen(caption).c_str());
        Sleep(50);
    }
    ASSERT_NE(window, nullptr);
    HWND count = GetDlgItem(window, Win32UserInterface::kProgressCountId);
    for (int tries = 0; tries < 100 && TextOf(count) != "4,321 of 20,000 files"; ++tries) {
        Sleep(50);
    }
    EXPECT_EQ(TextOf(count), "4,321 of 20,000 files");
    // The test's thread is the run's: it pumps nothing, and the window answers all the same.
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer), 0);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & WS_SYSMENU, 0) << "a close box";
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_NEAR(client.right, MulDiv(440, dpi, 96), 1);
    EXPECT_NEAR(client.bottom, MulDiv(108, dpi, 96), 1);
    HWND bar = GetDlgItem(window, Win32UserInterface::kProgressBarId);
    EXPECT_EQ(ClassOf(bar), "msctls_progress32");
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 2160); // 4,321 of 20,000 in 10,000ths
    RECT place{};
    GetClientRect(bar, &place);
    EXPECT_NEAR(place.right, MulDiv(416, dpi, 96), 1);
    HWND label = GetDlgItem(window, Win32UserInterface::kProgressCaptionId);
    EXPECT_EQ(TextOf(label), caption);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -MulDiv(825, dpi, 7200));
    ExpectTextFits(label);
    ExpectTextFits(count);
    Sleep(200);
    SaveScreenshot(window, "progress-window");
    ui.HideProgress();
    for (int tries = 0; tries < 100 && IsWindowVisible(window); ++tries) {
        Sleep(50);
    }
    EXPECT_FALSE(IsWindowVisible(window));
}

} // namespace
} // namespace korvex::win32
