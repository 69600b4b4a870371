// The Win32 user interface on a real desktop (Wine on a virtual X display), worked from a second
// thread as another program sees it: message boxes, the wait cursor and a model's exception over
// a dialog. The real dialogs' GUI test (tests/frontend/dialogs) checks the dialogs' layouts. This
// program carries upgradeprep's manifest, so it is as dpi-aware as upgradeprep.
#include "support/WindowProbe.h"

#include <algorithm>
#include <functional>
#include <set>
#include <thread>

#include "platform/win32/Win32UserInterface.h"

namespace korvex::win32 {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

// Runs `show` (the modal user interface) on this thread while `drive` works the window captioned
// `caption` from a second one. A window the driver leaves open is closed, so that `show` returns.
template <class Show>
auto WithDriver(const std::string& caption, const std::function<void(HWND)>& drive, Show show) {
    std::thread driver([&] {
        HWND window = WaitForWindow(caption);
        ASSERT_NE(window, nullptr) << "no window \"" << caption << "\"";
        drive(window);
        if (!WaitUntilGone(window)) {
            ADD_FAILURE() << "\"" << caption << "\" is still open";
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    });
    auto result = show();
    driver.join();
    return result;
}

// A dialog of a label and an OK button whose handler throws.
class ProbeDialog final : public platform::DialogModel {
public:
    ProbeDialog() {
        using Kind = platform::ControlKind;
        controls_.push_back({"Label1", Kind::Label, "Wait", {120, 120, 2000, 255}, -1, -1, {}, 0});
        controls_.push_back({"OK", Kind::CommandButton, "OK", {600, 600, 1215, 375}, -1, 0, {}, 0});
    }
    std::string_view Name() const override { return "Probe"; }
    std::string_view Caption() const override { return "KORVEx Probe"; }
    platform::Twips ClientArea() const override { return {0, 0, 2400, 1200}; }
    void Load() override {}
    bool Command(std::string_view, platform::DialogClose&) override {
        throw platform::RunStopped("no answer for Probe");
    }
    void CloseBox() override {}
};

constexpr int kLabel = Win32UserInterface::kFirstControlId, kOk = kLabel + 1;

// upgradeprep's manifest, which this program carries.
TEST(UpgradeprepManifest, AsksForPerMonitorDpiAwareness) {
    ExpectPerMonitorDpiAwareManifest();
}

TEST(Win32UserInterface, TheWaitCursorHoldsOverADialogAndAModelsExceptionClosesItForTheCaller) {
    for (const bool wait : {true, false}) {
        ProbeDialog model;
        Win32UserInterface ui;
        ui.SetWaitCursor(wait);
        HCURSOR shown = nullptr;
        const auto drive = [&](HWND dialog) {
            HWND label = GetDlgItem(dialog, kLabel);
            SendMessageW(label, WM_SETCURSOR, reinterpret_cast<WPARAM>(label),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            CURSORINFO info{sizeof info, 0, nullptr, {}};
            GetCursorInfo(&info);
            shown = info.hCursor;
            SendMessageW(GetDlgItem(dialog, kOk), BM_CLICK, 0, 0);
        };
        const auto show = [&]() -> std::string {
            try {
                ui.ShowDialog(model);
            } catch (const platform::RunStopped& stopped) {
                return stopped.what();
            }
            return "closed without it";
        };
        EXPECT_EQ(WithDriver("KORVEx Probe", drive, show), "no answer for Probe");
        EXPECT_EQ(shown, LoadCursorW(nullptr, wait ? IDC_WAIT : IDC_ARROW)) << "wait " << wait;
    }
}

TEST(Win32UserInterface, MessageBoxesShowTheRequestAndAnswerThePressedButton) {
    using enum platform::DefaultButton;
    const struct {
        const char *text, *title;
        Buttons buttons;
        Icon icon;
        platform::DefaultButton defaultButton;
        int defaultId;
        const wchar_t* iconId; // IDI_*, or none
        int press;
        Answer answer;
    } rows[] = {
        {"Overwrite Current CSUINFO file ?\rPrevious setting will be lost", "KROVEx Install",
         Buttons::YesNo, Icon::Question, Second, IDNO, IDI_QUESTION, IDYES, Answer::Yes},
        {"Mira MAP files exists in D:\\Mira Maps Copy To C:\\TELMIMAP?", "Query", Buttons::YesNo,
         Icon::Warning, First, IDYES, IDI_WARNING, IDNO, Answer::No},
        {"Mira Maps Will Not Be Loaded", "VarenInstall", Buttons::Ok, Icon::Information, First,
         IDOK, IDI_INFORMATION, IDOK, Answer::Ok},
        {"No Mira Maps To Copy", "Warning", Buttons::Ok, Icon::None, First, IDOK, nullptr, IDOK,
         Answer::Ok},
        {"Access is denied. (error 5)", "KORVEX", Buttons::Ok, Icon::Error, First, IDOK, IDI_ERROR,
         IDOK, Answer::Ok},
    };
    Win32UserInterface ui;
    for (const auto& row : rows) {
        const auto drive = [&](HWND box) {
            EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
            EXPECT_EQ(StyleOf(GetDlgItem(box, row.defaultId)) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
            std::set<int> buttons;
            HICON icon = nullptr;
            std::string texts;
            for (HWND child = GetWindow(box, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                if (ClassOf(child) == "Button" && IsWindowVisible(child)) {
                    buttons.insert(GetDlgCtrlID(child));
                } else if ((StyleOf(child) & SS_TYPEMASK) == SS_ICON) {
                    icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
                }
                texts.append("[").append(TextOf(child)).append("]");
            }
            EXPECT_EQ(buttons, (row.buttons == Buttons::Ok ? std::set<int>{IDOK}
                                                           : std::set<int>{IDYES, IDNO}));
            EXPECT_NE(texts.find(std::string("[").append(row.text).append("]")), texts.npos)
                << texts;
            EXPECT_EQ(icon, row.iconId != nullptr ? LoadIconW(nullptr, row.iconId) : nullptr);
            std::string shot = std::string("message-").append(row.title);
            std::replace(shot.begin(), shot.end(), ' ', '-');
            SaveScreenshot(box, shot);
            SendMessageW(GetDlgItem(box, row.press), BM_CLICK, 0, 0);
        };
        const platform::MessageBoxRequest request{row.text, row.title,         row.buttons,
                                                  row.icon, row.defaultButton, ""};
        EXPECT_EQ(WithDriver(row.title, drive, [&] { return ui.ShowMessage(request); }), row.answer)
            << row.title;
    }
}

} // namespace
} // namespace korvex::win32
