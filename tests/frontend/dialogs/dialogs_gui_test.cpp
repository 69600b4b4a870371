// The three dialogs as a person sees them: each real model shown by the Win32 view under Wine on
// an X display, checked against its model and worked from a second thread through the Win32 API.
#include "platform/win32/WindowsHeaders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "frontend/driver/KorvexConfig.h"
#include "platform/Log.h"
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

bool HoldsState(ControlKind kind) {
    return kind == ControlKind::OptionButton || kind == ControlKind::CheckBox;
}

// A child of the dialog as the window shows it, for failure messages.
std::string Describe(HWND item, const DialogModel& model) {
    const RECT place = PlaceOf(item);
    std::ostringstream out;
    out << NameOf(item, model) << ": " << ClassOf(item) << " style=0x" << std::hex << StyleOf(item)
        << std::dec << " \"" << TextOf(item) << "\" at (" << place.left << "," << place.top << ") "
        << place.right - place.left << "x" << place.bottom - place.top
        << " check=" << SendMessageW(item, BM_GETCHECK, 0, 0);
    return out.str();
}

// The dialog's children in Z order, a line each.
std::string Children(HWND dialog, const DialogModel& model) {
    std::string out;
    for (HWND item = GetWindow(dialog, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT)) {
        out += "\n  " + Describe(item, model);
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
    if (control.kind == ControlKind::Label) {
        RECT needed{0, 0, place.right, 0};
        DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK);
        EXPECT_LE(needed.bottom, place.bottom) << "\"" << control.caption << "\" needs "
                                               << needed.bottom << " px of height at its width";
        EXPECT_LE(needed.right, place.right) << "a word is wider than the label";
    } else if (control.kind != ControlKind::GroupBox) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        const int mark = control.kind == ControlKind::CommandButton
                             ? 4
                             : GetSystemMetrics(SM_CXMENUCHECK) + 4; // check mark and gap
        EXPECT_LE(size.cx + mark, place.right)
            << "\"" << control.caption << "\" is " << size.cx << " px wide, with "
            << place.right - mark << " px for it";
        EXPECT_LE(size.cy, place.bottom) << "the text is taller than the control";
    }
    SelectObject(dc, old);
    ReleaseDC(item, dc);
}

// The control's client area as pixels: from the screen, or as it draws itself into a bitmap.
std::vector<std::uint32_t> Picture(HWND item, bool fromScreen) {
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
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    POINT origin{0, 0};
    ClientToScreen(item, &origin);
    if (fromScreen) {
        BitBlt(memory, 0, 0, client.right, client.bottom, screen, origin.x, origin.y, SRCCOPY);
    } else {
        SendMessageW(item, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
                     PRF_CLIENT | PRF_ERASEBKGND);
    }
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> pixels(first, first + client.right * client.bottom);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (std::uint32_t& pixel : pixels) {
        pixel &= 0xFFFFFF; // the screen's unused byte is not the bitmap's
    }
    return pixels;
}

// How many pixels of the control the screen shows otherwise than it draws them: a sibling that
// paints over it hides its mark or text. Looks again for a while: a busy machine paints late.
int PixelsPaintedOver(HWND item) {
    int differing = 0;
    for (int look = 0; look < 10; ++look, Sleep(100)) {
        const std::vector<std::uint32_t> drawn = Picture(item, false), shown = Picture(item, true);
        differing = 0;
        for (std::size_t i = 0; i < drawn.size() && i < shown.size(); ++i) {
            differing += drawn[i] != shown[i] ? 1 : 0;
        }
        if (differing == 0) {
            break;
        }
    }
    return differing;
}

// The open dialog against its model: class, caption and client area; per control its class and
// style kind, text, place and size (in its group box, and inside it), that its caption fits and
// nothing paints over it, its opening state and font; then the order focus moves in.
void ExpectDrawnAsModelled(HWND dialog, const DialogModel& model) {
    const std::string children = Children(dialog, model);
    const int dpi = ScreenDpi();
    EXPECT_EQ(ClassOf(dialog), "#32770");
    EXPECT_EQ(TextOf(dialog), model.Caption());
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_NEAR(client.right, Pixels(model.ClientArea().width), 1) << "width at " << dpi << " dpi";
    EXPECT_NEAR(client.bottom, Pixels(model.ClientArea().height), 1) << "height at " << dpi;
    // The layout holds for the face Windows draws these dialogs with, not for a stand-in.
    if (const std::string face = FaceOf(GetWindow(dialog, GW_CHILD)); face != "MS Sans Serif") {
        FAIL() << "font: the dialog asks for \"MS Sans Serif\" and Wine drew it with \"" << face
               << "\" (the prefix needs Wine's own fonts: scripts/wine-lib.sh, fonts-wine)";
    }
    const std::vector<Control>& controls = model.Controls();
    std::vector<std::pair<int, std::string>> tabOrder;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Control& control = controls[i];
        HWND item = Child(dialog, i);
        ASSERT_NE(item, nullptr) << control.name << " is not on the dialog:" << children;
        SCOPED_TRACE(Describe(item, model));
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
        EXPECT_NEAR(place.left, Pixels(control.rect.left), 1) << "left";
        EXPECT_NEAR(place.top, Pixels(control.rect.top), 1) << "top";
        EXPECT_NEAR(place.right - place.left, Pixels(control.rect.width), 1) << "width";
        EXPECT_NEAR(place.bottom - place.top, Pixels(control.rect.height), 1) << "height";
        EXPECT_TRUE(place.left >= box.left && place.top >= box.top && place.right <= box.right &&
                    place.bottom <= box.bottom)
            << "sticks out of its group box or the dialog";
        ExpectCaptionFits(item, control);
        if (!label && control.kind != ControlKind::GroupBox) {
            EXPECT_EQ(PixelsPaintedOver(item), 0) << "pixels a sibling paints over:" << children;
        }
        if (HoldsState(control.kind)) {
            EXPECT_EQ(SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED, control.checked)
                << "opening state";
        }
        LOGFONTW font{};
        auto handle = reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0));
        ASSERT_EQ(GetObjectW(handle, sizeof font, &font), int{sizeof font}) << "no font set";
        EXPECT_EQ(Narrow(font.lfFaceName), "MS Sans Serif");
        EXPECT_EQ(font.lfHeight, -std::lround(control.font.points * dpi / 72.0))
            << control.font.points << " points";
        EXPECT_EQ(font.lfWeight, control.font.bold ? FW_BOLD : FW_NORMAL);
        if (control.tabIndex >= 0) {
            tabOrder.emplace_back(control.tabIndex, control.name);
        }
    }
    // The dialog manager moves the focus along the Z order of the children.
    std::sort(tabOrder.begin(), tabOrder.end());
    std::vector<std::string> expected, focusOrder;
    for (const auto& [index, name] : tabOrder) {
        expected.push_back(name);
    }
    std::size_t count = 0;
    for (HWND item = GetWindow(dialog, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT)) {
        ++count;
        if (ClassOf(item) == "Button" && (StyleOf(item) & BS_TYPEMASK) != BS_GROUPBOX) {
            focusOrder.push_back(NameOf(item, model));
        }
    }
    EXPECT_EQ(count, controls.size()) << "children:" << children;
    EXPECT_EQ(focusOrder, expected) << "Z order of the children:" << children;
}

// The message box a button shows: its title and text, the information icon and OK alone;
// saves its screenshot and presses OK.
void AnswerInformation(const std::string& title, const std::string& text,
                       const std::string& screenshot) {
    HWND box = WaitForWindow(title);
    ASSERT_NE(box, nullptr) << "no message box titled \"" << title << "\"";
    bool shown = false;
    HICON icon = nullptr;
    for (HWND item = GetWindow(box, GW_CHILD); item != nullptr;
         item = GetWindow(item, GW_HWNDNEXT)) {
        if (ClassOf(item) == "Static" && (StyleOf(item) & SS_TYPEMASK) == SS_ICON) {
            icon = reinterpret_cast<HICON>(SendMessageW(item, STM_GETICON, 0, 0));
        }
        shown = shown || (ClassOf(item) == "Static" && TextOf(item) == text);
        EXPECT_FALSE(ClassOf(item) == "Button" && IsWindowVisible(item) &&
                     GetDlgCtrlID(item) != IDOK)
            << "a button \"" << TextOf(item) << "\"";
    }
    EXPECT_TRUE(shown) << "no text \"" << text << "\" in the message box";
    EXPECT_EQ(icon, LoadIconW(nullptr, IDI_INFORMATION)) << "not the information icon";
    SaveScreenshot(box, screenshot);
    SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntilGone(box)) << "OK did not close the message box";
}

std::wstring WindowsDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetWindowsDirectoryW(path, MAX_PATH);
    return path;
}

// The bytes of an INI file in the Windows directory; empty when there is none.
std::string Ini(const char* file) {
    std::ifstream in(Narrow(WindowsDirectory()) + "\\" + file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One showing of a dialog: controls clicked one after the other, then a command button, and the
// information box it shows answered (when `message` is set, screenshot "<dialog>-cancel-message");
// with `shots`, screenshots "<dialog>-opening" and "<dialog>-clicked".
struct Showing {
    std::vector<std::string> clicks;
    std::string button;
    bool shots = false;
    std::string message = "";
};

class RealDialogs : public ::testing::Test {
protected:
    // The INI files start absent, so that what a dialog writes is all they hold.
    void SetUp() override {
        for (const char* file : {"\\NELK.INI", "\\ZELMAIN.INI"}) {
            const std::wstring path = WindowsDirectory() + Widen(file);
            if (!DeleteFileW(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
                FAIL() << "cannot delete " << Narrow(path) << ": error " << GetLastError();
            }
        }
    }

    // Shows the dialog while a second thread checks the window against the model as it opens,
    // works it as a person would and checks what the window shows after each click; the model
    // then holds what the window showed when the button was pressed.
    DialogClose Show(DialogModel& model, const Showing& showing) {
        std::vector<bool> states; // as the window shows them after the clicks
        std::thread person([&] {
            HWND window = WaitForWindow(std::string(model.Caption()));
            ASSERT_NE(window, nullptr) << "no window \"" << model.Caption() << "\"";
            ExpectDrawnAsModelled(window, model);
            const std::vector<Control>& controls = model.Controls();
            for (const Control& control : controls) {
                states.push_back(control.checked);
            }
            const std::string name(model.Name());
            if (showing.shots) {
                SaveScreenshot(window, name + "-opening");
            }
            for (const std::string& name : showing.clicks) {
                const auto clicked = static_cast<std::size_t>(model.Find(name));
                SendMessageW(Child(window, clicked), BM_CLICK, 0, 0);
                for (std::size_t i = 0; i < controls.size(); ++i) {
                    const bool option = controls[clicked].kind == ControlKind::OptionButton;
                    if (i == clicked || (option && controls[i].kind == ControlKind::OptionButton &&
                                         controls[i].container == controls[clicked].container)) {
                        states[i] = option ? i == clicked : !states[i];
                    }
                }
            }
            for (std::size_t i = 0; i < controls.size(); ++i) {
                EXPECT_EQ(SendMessageW(Child(window, i), BM_GETCHECK, 0, 0) == BST_CHECKED,
                          HoldsState(controls[i].kind) && states[i])
                    << controls[i].name << " after the clicks";
            }
            if (showing.shots) {
                SaveScreenshot(window, name + "-clicked");
            }
            // Posted: the button's handler may show a message box and wait for its OK.
            const auto button = static_cast<std::size_t>(model.Find(showing.button));
            PostMessageW(Child(window, button), BM_CLICK, 0, 0);
            if (!showing.message.empty()) {
                AnswerInformation("VarenInstall", showing.message, name + "-cancel-message");
            }
            if (!WaitUntilGone(window)) {
                ADD_FAILURE() << "\"" << model.Caption()
                              << "\" still open:" << Children(window, model);
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
    platform::Log log;
    platform::Platform machine{files, profile, installer, system, ui, log};
    frontend::KorvexConfig run{machine};
};

TEST_F(RealDialogs, KorvexConfCancelsThenWritesTheEthernetLink) {
    frontend::KORVExConf& dialog = run.korvexConf.emplace(machine, run.record.SetupCancelled);
    EXPECT_EQ(Show(dialog, {{"EthernetOption", "CopyMira"}, "CancelButton"}), DialogClose::Cancel);
    EXPECT_TRUE(run.record.SetupCancelled);
    EXPECT_EQ(Ini("NELK.INI"), "");
    EXPECT_EQ(Show(dialog, {{"EthernetOption", "ConvertOption", "CopyMira"}, "OKButton", true}),
              DialogClose::Ok);
    EXPECT_FALSE(run.record.SetupCancelled);
    EXPECT_TRUE(dialog.mapsfromccf && dialog.CopyMiraMaps);
    EXPECT_EQ(Ini("NELK.INI"), "[Comms]\r\nLink Type=Ethernet-System\r\nEthernet Type=Winsock\r\n");
    EXPECT_EQ(Ini("ZELMAIN.INI"), "");
}

TEST_F(RealDialogs, SystemTypeCancelsThenWritesEveryRow) {
    frontend::SystemType& dialog = run.systemType.emplace(machine, run.record.SetupCancelled);
    EXPECT_EQ(Show(dialog, {{"Option5(2)"}, "CancelButton"}), DialogClose::Cancel);
    EXPECT_TRUE(run.record.SetupCancelled);
    EXPECT_EQ(Ini("ZELMAIN.INI") + Ini("NELK.INI"), "");
    // System 1 Mira stacked from the top, 5 Pennet, 10 stacked, 15 Quarne.
    EXPECT_EQ(Show(dialog, {{"Option5(0)", "Check1(0)", "Option3(4)", "Check1(9)", "Option4(14)"},
                            "OKButton",
                            true}),
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
    EXPECT_EQ(Show(dialog, {{"Check1(3)"}, "CancelButton", false, "Mira Maps Will Not Be Loaded"}),
              DialogClose::Cancel);
    EXPECT_FALSE(dialog.CopyMapToSystem(3));
    EXPECT_EQ(Show(dialog, {{"Check1(0)", "Check1(9)", "Check1(14)"}, "OkButton", true}),
              DialogClose::Ok);
    for (std::int16_t sys = 0; sys < 16; ++sys) {
        EXPECT_EQ(dialog.CopyMapToSystem(sys), sys == 0 || sys == 9 || sys == 14) << sys;
    }
    EXPECT_EQ(Ini("NELK.INI") + Ini("ZELMAIN.INI"), "");
}

} // namespace
} // namespace korvex::win32
