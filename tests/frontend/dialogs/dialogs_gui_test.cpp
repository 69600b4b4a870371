// The installer's three dialogs as a person sees them: each real model shown by the Win32 view
// under Wine on an X display, checked and worked from a second thread through the Win32 API as
// another program would see it, and its results read from the model and the INI files in the
// Windows directory afterwards.
#include "platform/win32/WindowsHeaders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "frontend/driver/KorvexConfig.h"
#include "support/WindowProbe.h"
#include "platform/Log.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Installer.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32SystemInfo.h"
#include "platform/win32/Win32UserInterface.h"

namespace korvex::win32 {
namespace {

using platform::ControlKind;
using platform::DialogClose;
using platform::DialogModel;
using platform::Font;

constexpr int kFirstId = Win32UserInterface::kFirstControlId;

// ---------------------------------------------------------------------------------------------
// The dialogs as they must look: captions, kinds, texts, places in twips and opening states.

// A length the layout leaves to the dialog: the window is checked against the model's value.
constexpr int kModel = -1;

struct ExpectedControl {
    std::string name;
    ControlKind kind;
    std::string text;
    std::string groupBox; // the group box whose client area the place is relative to; "" none
    int left, top, width, height;
    bool checked = false; // option selected or box ticked when the dialog opens
    Font font = {};
};

struct ExpectedDialog {
    std::string caption;
    int width, height; // client area
    std::vector<ExpectedControl> controls;
    std::vector<std::string> tabOrder; // the focusable controls
};

ExpectedDialog KorvexConfScreen() {
    using K = ControlKind;
    const std::string frame1 = "Frame1";
    const std::string frame2 = "Frame2";
    return {"KORVEx Configuration",
            6030,
            5025,
            {
                {"Frame1", K::GroupBox, "Connection Configuration", "", 600, 360, 4935, 1335},
                {"EthernetOption", K::OptionButton, "Ethernet Connection", frame1, 360, 360, kModel,
                 kModel},
                {"SerialOption", K::OptionButton, "Serial Connection", frame1, 360, 840, kModel,
                 kModel, true},
                {"Frame2", K::GroupBox, "Map Processing", "", 600, 1920, 4935, 2295},
                {"DoNothingOption", K::OptionButton, "No Conversion required", frame2, 360, 600,
                 kModel, kModel, true},
                {"ConvertOption", K::OptionButton, "I want to convert my old CCF (TELM) maps",
                 frame2, 360, 1080, kModel, kModel},
                {"CopyMira", K::CheckBox, "Copy Mira Maps", frame2, 360, 1680, kModel, kModel},
                {"OKButton", K::CommandButton, "OK", "", 1560, 4440, 1215, 375},
                {"CancelButton", K::CommandButton, "Cancel", "", 3240, 4440, 1215, 375},
            },
            {"OKButton", "CancelButton", "EthernetOption", "SerialOption", "ConvertOption",
             "DoNothingOption", "CopyMira"}};
}

std::string Indexed(const std::string& array, int index) {
    return array + "(" + std::to_string(index) + ")";
}

ExpectedDialog SystemTypeScreen() {
    using K = ControlKind;
    ExpectedDialog screen{"System Type Setup", 9450, 8535, {}, {}};
    screen.controls.push_back({"Label1",
                               K::Label,
                               "Select System Type For Each System",
                               "",
                               165,
                               180,
                               4725,
                               kModel,
                               false,
                               {13.5, false}});
    screen.controls.push_back({"Label3",
                               K::Label,
                               "Check for multiple frames stacked with first frame from top",
                               "",
                               7170,
                               120,
                               2235,
                               615,
                               false,
                               {8.25, true}});
    for (int i = 0; i < 15; ++i) {
        const std::string frame = Indexed("Frame1", i);
        const std::string system = "System" + std::to_string(i + 1);
        screen.controls.push_back({frame, K::GroupBox, "", "", 135, 720 + 480 * i, 9135, 495});
        screen.controls.push_back(
            {Indexed("Label2", i), K::Label, system + " :", frame, 105, kModel, 1095, kModel});
        screen.controls.push_back({Indexed("Option1", i), K::OptionButton, "Ostrel[9U]", frame,
                                   1080, kModel, kModel, kModel, true});
        screen.controls.push_back({Indexed("Option3", i), K::OptionButton, "Pennet[4U]", frame,
                                   2370, kModel, kModel, kModel});
        screen.controls.push_back({Indexed("Option4", i), K::OptionButton, "Quarne [4U]", frame,
                                   3675, kModel, kModel, kModel});
        screen.controls.push_back(
            {Indexed("Option5", i), K::OptionButton, "Mira", frame, 5040, kModel, kModel, kModel});
        screen.controls.push_back({Indexed("Check1", i), K::CheckBox, "Stack From Top", frame, 7305,
                                   kModel, 1575, kModel});
        for (const char* array : {"Option1", "Option3", "Option4", "Option5", "Check1"}) {
            screen.tabOrder.push_back(Indexed(array, i));
        }
    }
    screen.controls.push_back({"OKButton", K::CommandButton, "OK", "", 3000, 8100, 1215, 375});
    screen.controls.push_back(
        {"CancelButton", K::CommandButton, "Cancel", "", 5520, 8100, 1215, 375});
    screen.tabOrder.push_back("OKButton");
    screen.tabOrder.push_back("CancelButton");
    return screen;
}

ExpectedDialog MiraCopyScreen() {
    using K = ControlKind;
    ExpectedDialog screen{"Select Systems", 6855, 3930, {}, {"OkButton", "CancelButton"}};
    screen.controls.push_back({"Label1", K::Label, "Select the systems requiring the Mira Maps", "",
                               1170, 300, 4560, 255});
    // Three columns filled row by row.
    constexpr int kLeft[] = {720, 3000, 5040};
    constexpr int kTop[] = {720, 1200, 1680, 2160, 2640};
    for (int i = 0; i < 15; ++i) {
        screen.controls.push_back({Indexed("Check1", i), K::CheckBox,
                                   "System" + std::to_string(i + 1), "", kLeft[i % 3], kTop[i / 3],
                                   1275, 285});
        screen.tabOrder.push_back(Indexed("Check1", i));
    }
    screen.controls.push_back({"OkButton", K::CommandButton, "OK", "", 1590, 3360, 1320, 390});
    screen.controls.push_back(
        {"CancelButton", K::CommandButton, "Cancel", "", 3960, 3360, 1320, 390});
    return screen;
}

// ---------------------------------------------------------------------------------------------
// Looking at windows through the Win32 API.

// The model's name of a child of the dialog, from its control ID.
std::string NameOf(HWND item, const DialogModel& model) {
    const int index = GetDlgCtrlID(item) - kFirstId;
    if (index < 0 || static_cast<std::size_t>(index) >= model.Controls().size()) {
        return "<id " + std::to_string(GetDlgCtrlID(item)) + ">";
    }
    return model.Controls()[static_cast<std::size_t>(index)].name;
}

// One line of machine state for failure messages.
std::string Describe(HWND window, const DialogModel* model = nullptr) {
    const RECT place = PlaceOf(window);
    std::ostringstream out;
    if (model != nullptr) {
        out << NameOf(window, *model) << ": ";
    }
    out << ClassOf(window) << " id=" << GetDlgCtrlID(window) << " style=0x" << std::hex
        << StyleOf(window) << std::dec << " text=\"" << TextOf(window) << "\" at (" << place.left
        << "," << place.top << ") " << place.right - place.left << "x" << place.bottom - place.top
        << " check=" << SendMessageW(window, BM_GETCHECK, 0, 0);
    return out.str();
}

std::string DescribeChildren(HWND parent, const DialogModel* model = nullptr) {
    std::string out;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        out += "\n  " + Describe(child, model);
    }
    return out;
}

// Shows the dialog on this thread while `drive` checks and works the window captioned
// `caption` from a second thread. A window the driver leaves open (a failed check) is closed,
// so that ShowDialog returns.
DialogClose ShowAndDrive(platform::UserInterface& ui, DialogModel& model,
                         const std::function<void(HWND)>& drive) {
    const std::string caption(model.Caption());
    std::thread driver([&] {
        HWND window = WaitForWindow(caption);
        if (window == nullptr) {
            ADD_FAILURE() << "no visible window of class #32770 captioned \"" << caption << "\"";
            return;
        }
        drive(window);
        if (!WaitUntilGone(window)) {
            ADD_FAILURE() << "\"" << caption
                          << "\" still open:" << DescribeChildren(window, &model);
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    });
    const DialogClose closed = ui.ShowDialog(model);
    driver.join();
    return closed;
}

HWND Item(HWND dialog, const DialogModel& model, const std::string& name) {
    const int index = model.Find(name);
    EXPECT_GE(index, 0) << "the model has no control " << name;
    return index < 0 ? nullptr : GetDlgItem(dialog, kFirstId + index);
}

void ExpectChecked(HWND dialog, const DialogModel& model, const std::string& name, bool checked) {
    HWND item = Item(dialog, model, name);
    EXPECT_EQ(SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED, checked)
        << (item != nullptr ? Describe(item, &model) : name);
}

// A click as the dialog's own thread sees one; returns when its handlers have run.
void Click(HWND dialog, const DialogModel& model, const std::string& name) {
    SendMessageW(Item(dialog, model, name), BM_CLICK, 0, 0);
}

LONG ExpectedStyle(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label:
        return SS_LEFT;
    case ControlKind::GroupBox:
        return BS_GROUPBOX;
    case ControlKind::OptionButton:
        return BS_AUTORADIOBUTTON;
    case ControlKind::CheckBox:
        return BS_AUTOCHECKBOX;
    case ControlKind::CommandButton:
        return BS_PUSHBUTTON;
    }
    return -1;
}

// Whether the caption can be read whole in the control as drawn: a label wraps its words
// within its width and must not need more than its height; a button-class control shows one
// line beside its check mark (or centred on the button).
void ExpectCaptionFits(HWND item, const ExpectedControl& control) {
    if (control.text.empty()) {
        return;
    }
    const std::wstring text = Widen(control.text);
    RECT place{};
    GetClientRect(item, &place);
    HDC dc = GetDC(item);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0)));
    if (control.kind == ControlKind::Label) {
        RECT needed{0, 0, place.right, 0};
        DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK);
        EXPECT_LE(needed.bottom, place.bottom)
            << control.name << ": \"" << control.text << "\" needs " << needed.bottom
            << " px of height at its width of " << place.right << " px";
        EXPECT_LE(needed.right, place.right) << control.name << ": a word is wider than the label";
    } else if (control.kind != ControlKind::GroupBox) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        const int mark = control.kind == ControlKind::CommandButton
                             ? 4
                             : GetSystemMetrics(SM_CXMENUCHECK) + 4; // check mark and gap
        EXPECT_LE(size.cx + mark, place.right)
            << control.name << ": \"" << control.text << "\" is " << size.cx << " px wide, with "
            << place.right - mark << " px for it";
        EXPECT_LE(size.cy, place.bottom) << control.name << ": the text is taller than the control";
    }
    SelectObject(dc, old);
    ReleaseDC(item, dc);
}

// The control's client area as 32-bit pixels: from the screen, or as the control draws itself
// into a bitmap of its own.
std::vector<std::uint32_t> Picture(HWND item, bool fromScreen) {
    RECT client{};
    GetClientRect(item, &client);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (fromScreen) {
        POINT origin{0, 0};
        ClientToScreen(item, &origin);
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

// The other children of the dialog that overlap the control, but for the group box that holds
// it: the siblings that could paint over it.
std::string Overlapping(HWND item, const DialogModel& model) {
    RECT place{};
    GetWindowRect(item, &place);
    std::string out;
    for (HWND other = GetWindow(GetParent(item), GW_CHILD); other != nullptr;
         other = GetWindow(other, GW_HWNDNEXT)) {
        RECT otherPlace{};
        RECT common{};
        GetWindowRect(other, &otherPlace);
        const bool holds = (StyleOf(other) & BS_TYPEMASK) == BS_GROUPBOX &&
                           ClassOf(other) == "Button" && otherPlace.left <= place.left &&
                           otherPlace.top <= place.top && otherPlace.right >= place.right &&
                           otherPlace.bottom >= place.bottom;
        if (other != item && !holds && IntersectRect(&common, &place, &otherPlace)) {
            out += "\n  " + Describe(other, &model);
        }
    }
    return out.empty() ? " nothing" : out;
}

// How many pixels of the control the screen shows otherwise than the control draws them: a
// sibling that paints over it (an overlapping label, say) hides its mark or its text. Looks
// again for a while, as a busy machine may not have painted the dialog yet.
int PixelsPaintedOver(HWND item) {
    int differing = 0;
    for (int look = 0; look < 10; ++look) {
        const std::vector<std::uint32_t> drawn = Picture(item, false);
        const std::vector<std::uint32_t> shown = Picture(item, true);
        differing = 0;
        for (std::size_t i = 0; i < drawn.size() && i < shown.size(); ++i) {
            differing += drawn[i] != shown[i] ? 1 : 0;
        }
        if (differing == 0) {
            break;
        }
        Sleep(100);
    }
    return differing;
}

// Checks the open dialog against the expected screen: caption, client area, and for each
// control its class and kind, text, place and size (relative to its group box, and inside it),
// opening state and font; then the order in which the focusable controls take focus.
void ExpectScreen(HWND dialog, const DialogModel& model, const ExpectedDialog& screen) {
    const std::string children = DescribeChildren(dialog, &model);
    const int dpi = ScreenDpi();
    EXPECT_EQ(ClassOf(dialog), "#32770");
    EXPECT_EQ(TextOf(dialog), screen.caption);
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_NEAR(client.right, Pixels(screen.width), 1) << "client width at " << dpi << " dpi";
    EXPECT_NEAR(client.bottom, Pixels(screen.height), 1) << "client height at " << dpi << " dpi";

    // The layout checks hold for the face Windows draws these dialogs with. On a machine that
    // lacks it, they would fail on a pixel of a stand-in face: say which face it was instead.
    if (HWND first = GetWindow(dialog, GW_CHILD); first != nullptr) {
        const std::string face = FaceOf(first);
        if (face != "MS Sans Serif") {
            FAIL() << "font: the dialog asks for \"MS Sans Serif\" and Wine drew it with \"" << face
                   << "\"; the layout is not checked against a stand-in face (the "
                   << "prefix needs Wine's own fonts: scripts/wine-lib.sh, package fonts-wine)";
        }
    }

    int childCount = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        ++childCount;
    }
    EXPECT_EQ(childCount, static_cast<int>(screen.controls.size()))
        << "controls on the dialog:" << children;

    for (const ExpectedControl& expected : screen.controls) {
        const int index = model.Find(expected.name);
        ASSERT_GE(index, 0) << "the model has no control " << expected.name;
        const platform::Control& modelled = model.Controls()[static_cast<std::size_t>(index)];
        HWND item = GetDlgItem(dialog, kFirstId + index);
        ASSERT_NE(item, nullptr) << expected.name << ": no child with the ID " << kFirstId + index
                                 << children;
        SCOPED_TRACE(Describe(item, &model));
        EXPECT_TRUE(IsWindowVisible(item));

        EXPECT_EQ(ClassOf(item), expected.kind == ControlKind::Label ? "Static" : "Button");
        const LONG type =
            StyleOf(item) & (expected.kind == ControlKind::Label ? SS_TYPEMASK : BS_TYPEMASK);
        // The dialog manager makes the push button that has the focus the default one.
        const LONG kind = expected.kind == ControlKind::CommandButton && type == BS_DEFPUSHBUTTON
                              ? BS_PUSHBUTTON
                              : type;
        EXPECT_EQ(kind, ExpectedStyle(expected.kind)) << "style 0x" << std::hex << StyleOf(item);
        EXPECT_EQ(TextOf(item), expected.text);

        // Place and size in pixels, from the group box's corner when the control is in one.
        RECT place = PlaceOf(item);
        RECT box{0, 0, client.right, client.bottom};
        if (!expected.groupBox.empty()) {
            box = PlaceOf(Item(dialog, model, expected.groupBox));
            OffsetRect(&place, -box.left, -box.top);
            OffsetRect(&box, -box.left, -box.top);
        }
        auto twips = [](int specified, int modelled) {
            return specified == kModel ? modelled : specified;
        };
        EXPECT_NEAR(place.left, Pixels(twips(expected.left, modelled.rect.left)), 1) << "left";
        EXPECT_NEAR(place.top, Pixels(twips(expected.top, modelled.rect.top)), 1) << "top";
        EXPECT_NEAR(place.right - place.left, Pixels(twips(expected.width, modelled.rect.width)), 1)
            << "width";
        EXPECT_NEAR(place.bottom - place.top, Pixels(twips(expected.height, modelled.rect.height)),
                    1)
            << "height";
        EXPECT_TRUE(place.left >= box.left && place.top >= box.top && place.right <= box.right &&
                    place.bottom <= box.bottom)
            << "sticks out of " << (expected.groupBox.empty() ? "the dialog" : expected.groupBox);
        ExpectCaptionFits(item, expected);
        if (expected.kind != ControlKind::Label && expected.kind != ControlKind::GroupBox) {
            EXPECT_EQ(PixelsPaintedOver(item), 0)
                << "pixels of the control that the screen shows otherwise than it draws them; "
                   "overlapping it:"
                << Overlapping(item, model);
        }

        if (expected.kind == ControlKind::OptionButton || expected.kind == ControlKind::CheckBox) {
            EXPECT_EQ(SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED, expected.checked)
                << "opening state";
        }

        LOGFONTW font{};
        auto handle = reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0));
        ASSERT_EQ(GetObjectW(handle, sizeof font, &font), int{sizeof font}) << "no font set";
        EXPECT_EQ(Narrow(font.lfFaceName), "MS Sans Serif");
        EXPECT_EQ(font.lfHeight, -std::lround(expected.font.points * dpi / 72.0))
            << expected.font.points << " points";
        EXPECT_EQ(font.lfWeight, expected.font.bold ? FW_BOLD : FW_NORMAL);
    }

    // The dialog manager moves focus along the Z order of the children.
    std::vector<std::string> focusOrder;
    for (HWND item = GetWindow(dialog, GW_CHILD); item != nullptr;
         item = GetWindow(item, GW_HWNDNEXT)) {
        if (ClassOf(item) == "Button" && (StyleOf(item) & BS_TYPEMASK) != BS_GROUPBOX) {
            focusOrder.push_back(NameOf(item, model));
        }
    }
    EXPECT_EQ(focusOrder, screen.tabOrder) << "Z order of the children:" << children;
}

// The message box a button of a dialog shows: checks its title, text, icon and single OK
// button, saves a screenshot and presses OK.
void AnswerInformation(const std::string& title, const std::string& text,
                       const std::string& screenshot) {
    HWND box = WaitForWindow(title);
    ASSERT_NE(box, nullptr) << "no message box titled \"" << title << "\"";
    SCOPED_TRACE("message box:" + DescribeChildren(box));
    bool textShown = false;
    HICON icon = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) != "Static" || !IsWindowVisible(child)) {
            continue;
        }
        if ((StyleOf(child) & SS_TYPEMASK) == SS_ICON) {
            icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        } else if (TextOf(child) == text) {
            textShown = true;
        }
    }
    EXPECT_TRUE(textShown) << "no static shows \"" << text << "\"";
    EXPECT_EQ(icon, LoadIconW(nullptr, IDI_INFORMATION)) << "not the information icon";
    for (int id : {IDCANCEL, IDYES, IDNO}) {
        HWND button = GetDlgItem(box, id);
        EXPECT_FALSE(button != nullptr && IsWindowVisible(button)) << "a button " << id;
    }
    SaveScreenshot(box, screenshot);
    SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntilGone(box)) << "OK did not close the message box";
}

// ---------------------------------------------------------------------------------------------
// The machine: VarenInstall's Win32 services and the run's state, and the INI files.

std::wstring WindowsDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetWindowsDirectoryW(path, MAX_PATH);
    return path;
}

// The key's value in the INI file of the Windows directory, or nullopt when it is absent.
std::optional<std::string> IniValue(const char* file, const char* section, const char* key) {
    const wchar_t* absent = L"<absent>";
    wchar_t value[256] = {};
    GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), absent, value, 256,
                             Widen(file).c_str());
    if (std::wstring(value) == absent) {
        return std::nullopt;
    }
    return Narrow(value);
}

// The number of keys in one section of the INI file of the Windows directory.
int IniKeyCount(const char* file, const char* section) {
    wchar_t keys[8192] = {};
    GetPrivateProfileSectionW(Widen(section).c_str(), keys, 8192, Widen(file).c_str());
    int count = 0;
    for (const wchar_t* line = keys; *line != L'\0'; line += wcslen(line) + 1) {
        ++count;
    }
    return count;
}

bool IniExists(const char* file) {
    const std::wstring path = WindowsDirectory() + L"\\" + Widen(file);
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The INI file's text, for failure messages.
std::string IniText(const char* file) {
    std::ifstream in(Narrow(WindowsDirectory()) + "\\" + file, std::ios::binary);
    if (!in) {
        return std::string(file) + ": no such file";
    }
    return std::string(file) + ":\n" +
           std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string IniFiles() {
    return IniText("NELK.INI") + "\n" + IniText("ZELMAIN.INI");
}

class RealDialogs : public ::testing::Test {
protected:
    // The two INI files in the Windows directory start absent, so that what a dialog writes is
    // all they hold.
    void SetUp() override {
        for (const char* file : {"NELK.INI", "ZELMAIN.INI"}) {
            const std::wstring path = WindowsDirectory() + L"\\" + Widen(file);
            if (!DeleteFileW(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
                FAIL() << "cannot delete " << Narrow(path) << ": error " << GetLastError();
            }
        }
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

// ---------------------------------------------------------------------------------------------

TEST_F(RealDialogs, KorvexConfShowsItsLayoutAndOkWritesTheEthernetLink) {
    frontend::KORVExConf& dialog = run.korvexConf.emplace(run.machine, run.record.SetupCancelled);
    run.record.SetupCancelled = true; // as a cancelled earlier step would leave it
    const DialogClose closed = ShowAndDrive(ui, dialog, [&](HWND window) {
        ExpectScreen(window, dialog, KorvexConfScreen());
        SaveScreenshot(window, "KORVExConf-opening");
        for (const char* name : {"EthernetOption", "ConvertOption", "CopyMira"}) {
            Click(window, dialog, name);
        }
        for (const char* name : {"SerialOption", "DoNothingOption"}) {
            ExpectChecked(window, dialog, name, false);
        }
        for (const char* name : {"EthernetOption", "ConvertOption", "CopyMira"}) {
            ExpectChecked(window, dialog, name, true);
        }
        SaveScreenshot(window, "KORVExConf-clicked");
        Click(window, dialog, "OKButton");
    });

    SCOPED_TRACE(IniFiles());
    EXPECT_EQ(closed, DialogClose::Ok);
    EXPECT_TRUE(dialog.mapsfromccf);
    EXPECT_TRUE(dialog.CopyMiraMaps);
    EXPECT_FALSE(run.record.SetupCancelled);
    EXPECT_EQ(IniValue("NELK.INI", "Comms", "Link Type"), "Ethernet-System");
    EXPECT_EQ(IniValue("NELK.INI", "Comms", "Ethernet Type"), "Winsock");
    EXPECT_FALSE(IniExists("ZELMAIN.INI"));
}

TEST_F(RealDialogs, KorvexConfCancelWritesNothingAndTheNextShowingOpensFresh) {
    frontend::KORVExConf& dialog = run.korvexConf.emplace(run.machine, run.record.SetupCancelled);
    const DialogClose cancelled = ShowAndDrive(ui, dialog, [&](HWND window) {
        Click(window, dialog, "EthernetOption");
        Click(window, dialog, "CopyMira");
        Click(window, dialog, "CancelButton");
    });
    EXPECT_EQ(cancelled, DialogClose::Cancel);
    EXPECT_TRUE(run.record.SetupCancelled);
    EXPECT_FALSE(dialog.mapsfromccf);
    EXPECT_FALSE(dialog.CopyMiraMaps);
    EXPECT_FALSE(IniExists("NELK.INI")) << IniFiles();

    // Shown again, it opens as at first, and OK with the opening state writes the serial link.
    const DialogClose accepted = ShowAndDrive(ui, dialog, [&](HWND window) {
        ExpectScreen(window, dialog, KorvexConfScreen());
        Click(window, dialog, "OKButton");
    });
    SCOPED_TRACE(IniFiles());
    EXPECT_EQ(accepted, DialogClose::Ok);
    EXPECT_FALSE(run.record.SetupCancelled);
    EXPECT_FALSE(dialog.mapsfromccf);
    EXPECT_FALSE(dialog.CopyMiraMaps);
    EXPECT_EQ(IniValue("NELK.INI", "Comms", "Link Type"), "Serial-System");
    EXPECT_EQ(IniValue("NELK.INI", "Comms", "Ethernet Type"), std::nullopt);
}

TEST_F(RealDialogs, SystemTypeShowsItsLayoutAndOkWritesEveryRow) {
    frontend::SystemType& dialog = run.systemType.emplace(run.machine, run.record.SetupCancelled);
    run.record.SetupCancelled = true;
    const DialogClose closed = ShowAndDrive(ui, dialog, [&](HWND window) {
        ExpectScreen(window, dialog, SystemTypeScreen());
        SaveScreenshot(window, "SystemType-opening");
        // System 1 Mira stacked from the top, 5 Pennet, 10 stacked, 15 Quarne.
        for (const char* name :
             {"Option5(0)", "Check1(0)", "Option3(4)", "Check1(9)", "Option4(14)"}) {
            Click(window, dialog, name);
        }
        for (const char* name : {"Option1(0)", "Option1(4)", "Option1(14)"}) {
            ExpectChecked(window, dialog, name, false);
        }
        for (const char* name : {"Option1(1)", "Option1(9)", "Option5(0)", "Option3(4)",
                                 "Option4(14)", "Check1(0)", "Check1(9)"}) {
            ExpectChecked(window, dialog, name, true);
        }
        SaveScreenshot(window, "SystemType-clicked");
        Click(window, dialog, "OKButton");
    });

    SCOPED_TRACE(IniFiles());
    EXPECT_EQ(closed, DialogClose::Ok);
    EXPECT_FALSE(run.record.SetupCancelled);
    EXPECT_EQ(IniKeyCount("ZELMAIN.INI", "FrameType"), 15);
    EXPECT_EQ(IniKeyCount("ZELMAIN.INI", "FrameDirection"), 15);
    for (int n = 1; n <= 15; ++n) {
        const std::string key = "System" + std::to_string(n);
        SCOPED_TRACE(key);
        const char* type = n == 1 ? "4" : n == 5 ? "2" : n == 15 ? "3" : "0";
        EXPECT_EQ(IniValue("ZELMAIN.INI", "FrameType", key.c_str()), type);
        EXPECT_EQ(IniValue("ZELMAIN.INI", "FrameDirection", key.c_str()),
                  n == 1 || n == 10 ? "1" : "0");
    }
    EXPECT_EQ(IniValue("NELK.INI", "Multiple Maps", "Max Map Number"), "6");
}

TEST_F(RealDialogs, SystemTypeCancelWritesNothing) {
    frontend::SystemType& dialog = run.systemType.emplace(run.machine, run.record.SetupCancelled);
    const DialogClose closed = ShowAndDrive(ui, dialog, [&](HWND window) {
        Click(window, dialog, "Option5(2)");
        Click(window, dialog, "CancelButton");
    });
    EXPECT_EQ(closed, DialogClose::Cancel);
    EXPECT_TRUE(run.record.SetupCancelled);
    EXPECT_FALSE(IniExists("ZELMAIN.INI") || IniExists("NELK.INI")) << IniFiles();
}

TEST_F(RealDialogs, MiraCopyShowsItsLayoutAndOkPicksTheTickedSystems) {
    frontend::MiraCopy& dialog = run.miraCopy.emplace(run.machine);
    const DialogClose closed = ShowAndDrive(ui, dialog, [&](HWND window) {
        ExpectScreen(window, dialog, MiraCopyScreen());
        SaveScreenshot(window, "MiraCopy-opening");
        for (const char* name : {"Check1(0)", "Check1(9)", "Check1(14)"}) {
            Click(window, dialog, name);
        }
        SaveScreenshot(window, "MiraCopy-clicked");
        Click(window, dialog, "OkButton");
    });

    EXPECT_EQ(closed, DialogClose::Ok);
    for (std::int16_t sys = 0; sys < 16; ++sys) {
        EXPECT_EQ(dialog.CopyMapToSystem(sys), sys == 0 || sys == 9 || sys == 14)
            << "system index " << sys;
    }
    EXPECT_FALSE(IniExists("NELK.INI") || IniExists("ZELMAIN.INI")) << IniFiles();
}

TEST_F(RealDialogs, MiraCopyCancelSaysTheMapsWillNotBeLoaded) {
    frontend::MiraCopy& dialog = run.miraCopy.emplace(run.machine);
    const DialogClose closed = ShowAndDrive(ui, dialog, [&](HWND window) {
        Click(window, dialog, "Check1(3)");
        // Posted: the click's handler shows the message box and waits for its OK.
        PostMessageW(Item(window, dialog, "CancelButton"), BM_CLICK, 0, 0);
        AnswerInformation("VarenInstall", "Mira Maps Will Not Be Loaded",
                          "MiraCopy-cancel-message");
    });

    EXPECT_EQ(closed, DialogClose::Cancel);
    for (std::int16_t sys = 0; sys < 16; ++sys) {
        EXPECT_FALSE(dialog.CopyMapToSystem(sys)) << "system index " << sys;
    }
}

} // namespace
} // namespace korvex::win32
