// Win32 code only: message boxes, the generic modal dialog view of a DialogModel and the
// application-wide wait cursor.
#include "platform/win32/Win32UserInterface.h"

#include "platform/win32/WindowsHeaders.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/Error.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32Error.h"

namespace korvex::win32 {
namespace {

using platform::Control;
using platform::ControlKind;
using platform::DialogClose;
using platform::DialogModel;

std::string LastErrorText() {
    return LastError().Describe();
}

// Looked up, not imported: the per-monitor functions are missing from Windows before 10.
template <class Function> Function User32Function(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

// Per-monitor-v2 Windows moves a dialog's children and gives them its template's font again when
// the dpi changes; this view lays itself out instead (Windows 10 1703 and later).
void LayOutDialogOurselves(HWND dialog) {
    using SetDialogDpiChangeBehaviorFunction = BOOL(WINAPI*)(HWND, int, int);
    constexpr int kDisableAll = 1; // DDC_DISABLE_ALL
    static const auto setBehavior =
        User32Function<SetDialogDpiChangeBehaviorFunction>("SetDialogDpiChangeBehavior");
    if (setBehavior != nullptr) {
        setBehavior(dialog, kDisableAll, kDisableAll);
    }
}

bool HoldsState(ControlKind kind) {
    return kind == ControlKind::OptionButton || kind == ControlKind::CheckBox;
}

bool TakesFocus(const Control& control) {
    return control.tabIndex >= 0 &&
           (HoldsState(control.kind) || control.kind == ControlKind::CommandButton);
}

// An empty dialog: caption and frame only. The controls are created in WM_INITDIALOG, in
// pixels, because a template would place them in dialog units of its own font.
std::vector<WORD> EmptyDialogTemplate(const std::wstring& caption) {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
    header->style =
        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_SETFOREGROUND;
    words.push_back(0); // no menu
    words.push_back(0); // the dialog class "#32770"
    words.insert(words.end(), caption.begin(), caption.end());
    words.push_back(0);
    return words;
}

// One showing of a model: builds the window from it, keeps the window's option and check
// states and the model's in step, and reports the clicks.
class DialogView {
public:
    DialogView(DialogModel& model, const bool& waitCursor)
        : model_(model), waitCursor_(waitCursor) {}
    ~DialogView() {
        for (const auto& [font, handle] : fonts_) {
            DeleteObject(handle);
        }
    }
    DialogView(const DialogView&) = delete;
    DialogView& operator=(const DialogView&) = delete;

    DialogClose Run() {
        const std::vector<WORD> dialogTemplate = EmptyDialogTemplate(Widen(model_.Caption()));
        const INT_PTR result = DialogBoxIndirectParamW(
            GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
            nullptr, &DialogView::Procedure, reinterpret_cast<LPARAM>(this));
        if (failure_) {
            std::rethrow_exception(failure_);
        }
        if (result == -1) {
            throw platform::RunStopped(
                Failure("the window could not be created: " + LastErrorText()));
        }
        return closedAs_;
    }

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            reinterpret_cast<DialogView*>(lParam)->window_ = window;
        }
        auto* view = reinterpret_cast<DialogView*>(GetWindowLongPtrW(window, DWLP_USER));
        if (view == nullptr || view->failure_) {
            return FALSE;
        }
        // An exception must not unwind through the dialog manager's frames: keep it, end the
        // dialog, and rethrow it from Run.
        try {
            return view->Handle(message, wParam, lParam);
        } catch (...) {
            view->failure_ = std::current_exception();
            EndDialog(window, 0);
            return TRUE;
        }
    }

    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_INITDIALOG:
            Build();
            return FALSE; // Build has set the focus
        case WM_DPICHANGED: {
            // Moved to a monitor of another dpi (or its dpi changed): lay out again at the new
            // dpi and take the rectangle Windows suggests, which keeps the window in place.
            dpi_ = HIWORD(wParam);
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, suggested.left, suggested.top,
                         suggested.right - suggested.left, suggested.bottom - suggested.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            PlaceControls();
            return TRUE;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == IDCANCEL) { // Esc
                CloseBox();
                return TRUE;
            }
            const int index = id - Win32UserInterface::kFirstControlId;
            if (HIWORD(wParam) == BN_CLICKED && index >= 0 &&
                static_cast<std::size_t>(index) < controls_.size() &&
                reinterpret_cast<HWND>(lParam) == controls_[static_cast<std::size_t>(index)]) {
                Clicked(static_cast<std::size_t>(index));
            }
            return TRUE;
        }
        case WM_CLOSE:
            CloseBox();
            return TRUE;
        case WM_SETCURSOR:
            if (waitCursor_) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
        }
    }

    std::string Failure(const std::string& why) const {
        return "The dialog \"" + std::string(model_.Caption()) + "\" could not be shown: " + why;
    }

    int Pixels(int twips) const { return MulDiv(twips, dpi_, 1440); }

    // Top-left of a control in twips from the dialog's client origin, through its chain of
    // group boxes. A chain that does not end (a model error) stops after one pass.
    POINT TwipsOrigin(std::size_t index) const {
        const std::vector<Control>& controls = model_.Controls();
        POINT origin{controls[index].rect.left, controls[index].rect.top};
        int container = controls[index].container;
        for (std::size_t steps = 0;
             container >= 0 && static_cast<std::size_t>(container) < controls.size() &&
             steps < controls.size();
             ++steps) {
            const Control& holder = controls[static_cast<std::size_t>(container)];
            origin.x += holder.rect.left;
            origin.y += holder.rect.top;
            container = holder.container;
        }
        return origin;
    }

    HFONT FontFor(const platform::Font& font) {
        for (const auto& [known, handle] : fonts_) {
            if (known == font) {
                return handle;
            }
        }
        HFONT handle = CreateWindowFont(font.points, font.bold, dpi_);
        if (handle == nullptr) {
            throw platform::RunStopped(Failure("no font: " + LastErrorText()));
        }
        fonts_.emplace_back(font, handle);
        return handle;
    }

    void Build() {
        LayOutDialogOurselves(window_);
        dpi_ = WindowDpi(window_);
        const platform::Twips area = model_.ClientArea();
        RECT frame{0, 0, Pixels(area.width), Pixels(area.height)};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);

        // Creation order is the tab order: the focusable controls by tab index, then the
        // rest, group boxes last so that they lie beneath what they hold.
        const std::vector<Control>& controls = model_.Controls();
        std::vector<std::size_t> order(controls.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            order[i] = i;
        }
        auto rank = [&controls](std::size_t i) {
            const Control& control = controls[i];
            const int layer = TakesFocus(control)                     ? 0
                              : control.kind != ControlKind::GroupBox ? 1
                                                                      : 2;
            return std::tuple(layer, layer == 0 ? control.tabIndex : 0, i);
        };
        std::sort(order.begin(), order.end(),
                  [&rank](std::size_t a, std::size_t b) { return rank(a) < rank(b); });

        controls_.assign(controls.size(), nullptr);
        const Control* previous = nullptr;
        HWND firstFocus = nullptr;
        for (std::size_t index : order) {
            const Control& control = controls[index];
            // WS_GROUP starts a group: each run of option buttons of one container is one
            // exclusive group, closed by the next control of any other kind or container.
            const bool continuesOptions = control.kind == ControlKind::OptionButton &&
                                          previous != nullptr &&
                                          previous->kind == ControlKind::OptionButton &&
                                          previous->container == control.container;
            controls_[index] = CreateControl(index, !continuesOptions);
            if (firstFocus == nullptr && TakesFocus(control)) {
                firstFocus = controls_[index];
            }
            previous = &control;
        }
        PlaceControls();
        ShowModelStates();
        if (firstFocus != nullptr) {
            SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(firstFocus), TRUE);
        }
    }

    HWND CreateControl(std::size_t index, bool startsGroup) {
        const Control& control = model_.Controls()[index];
        const wchar_t* className = L"Button";
        DWORD style = WS_CHILD | WS_VISIBLE;
        switch (control.kind) {
        case ControlKind::Label:
            className = L"Static";
            // Labels and group boxes lie beneath the controls that overlap them (a row label
            // runs under its first option button): they must not paint over those siblings.
            style |= SS_LEFT | WS_CLIPSIBLINGS;
            break;
        case ControlKind::GroupBox:
            style |= BS_GROUPBOX | WS_CLIPSIBLINGS;
            break;
        case ControlKind::OptionButton:
            style |= BS_AUTORADIOBUTTON | BS_MULTILINE;
            break;
        case ControlKind::CheckBox:
            style |= BS_AUTOCHECKBOX | BS_MULTILINE;
            break;
        case ControlKind::CommandButton:
            style |= BS_PUSHBUTTON;
            break;
        }
        if (TakesFocus(control)) {
            style |= WS_TABSTOP;
        }
        if (startsGroup) {
            style |= WS_GROUP;
        }
        const int id = Win32UserInterface::kFirstControlId + static_cast<int>(index);
        HWND handle = CreateWindowExW(0, className, Widen(control.caption).c_str(), style, 0, 0, 0,
                                      0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                      GetModuleHandleW(nullptr), nullptr);
        if (handle == nullptr) {
            throw platform::RunStopped(Failure("control " + control.name + ": " + LastErrorText()));
        }
        // A new child goes to the top of the Z order; the dialog manager walks the Z order
        // for Tab and for option groups, so keep it in creation order.
        SetWindowPos(handle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return handle;
    }

    // Places every control and gives it its font, at dpi_. The fonts of another dpi go once no
    // control uses them.
    void PlaceControls() {
        std::vector<std::pair<platform::Font, HFONT>> previous;
        previous.swap(fonts_);
        const std::vector<Control>& controls = model_.Controls();
        for (std::size_t index = 0; index < controls.size() && index < controls_.size(); ++index) {
            const Control& control = controls[index];
            const POINT origin = TwipsOrigin(index);
            SetWindowPos(controls_[index], nullptr, Pixels(origin.x), Pixels(origin.y),
                         Pixels(control.rect.width), Pixels(control.rect.height),
                         SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageW(controls_[index], WM_SETFONT,
                         reinterpret_cast<WPARAM>(FontFor(control.font)), TRUE);
        }
        for (const auto& [font, handle] : previous) {
            DeleteObject(handle);
        }
    }

    void ShowModelStates() {
        const std::vector<Control>& controls = model_.Controls();
        for (std::size_t i = 0; i < controls.size() && i < controls_.size(); ++i) {
            if (HoldsState(controls[i].kind)) {
                SendMessageW(controls_[i], BM_SETCHECK,
                             controls[i].checked ? BST_CHECKED : BST_UNCHECKED, 0);
            }
        }
    }

    void CopyStatesToModel() {
        struct State {
            std::string name;
            bool isOption;
            bool checked;
        };
        // Read them all first: SetChecked changes the model's controls.
        std::vector<State> states;
        const std::vector<Control>& controls = model_.Controls();
        for (std::size_t i = 0; i < controls.size() && i < controls_.size(); ++i) {
            if (HoldsState(controls[i].kind)) {
                states.push_back({controls[i].name, controls[i].kind == ControlKind::OptionButton,
                                  SendMessageW(controls_[i], BM_GETCHECK, 0, 0) == BST_CHECKED});
            }
        }
        for (const State& state : states) {
            // An option button only ever becomes selected; the rest of its group clears.
            if (state.checked || !state.isOption) {
                model_.SetChecked(state.name, state.checked);
            }
        }
    }

    void Clicked(std::size_t index) {
        const Control& control = model_.Controls()[index];
        if (control.kind == ControlKind::OptionButton) {
            // The container's options are one group even when the tab order splits them.
            const std::vector<Control>& controls = model_.Controls();
            for (std::size_t i = 0; i < controls.size(); ++i) {
                if (i != index && controls[i].kind == ControlKind::OptionButton &&
                    controls[i].container == control.container) {
                    SendMessageW(controls_[i], BM_SETCHECK, BST_UNCHECKED, 0);
                }
            }
            return;
        }
        if (control.kind != ControlKind::CommandButton) {
            return;
        }
        const std::string name = control.name;
        CopyStatesToModel();
        DialogClose closedAs = DialogClose::CloseBox;
        if (model_.Command(name, closedAs)) {
            closedAs_ = closedAs;
            EndDialog(window_, 1);
        } else {
            ShowModelStates(); // the button's work may have changed them
        }
    }

    void CloseBox() {
        CopyStatesToModel();
        model_.CloseBox();
        closedAs_ = DialogClose::CloseBox;
        EndDialog(window_, 1);
    }

    DialogModel& model_;
    const bool& waitCursor_;
    int dpi_ = 96;
    HWND window_ = nullptr;
    std::vector<HWND> controls_; // by index in the model's Controls()
    std::vector<std::pair<platform::Font, HFONT>> fonts_;
    DialogClose closedAs_ = DialogClose::CloseBox;
    std::exception_ptr failure_;
};

} // namespace

platform::Answer Win32UserInterface::ShowMessage(const platform::MessageBoxRequest& request) {
    UINT style = MB_TASKMODAL | MB_SETFOREGROUND;
    style |= request.buttons == platform::Buttons::YesNo ? MB_YESNO : MB_OK;
    switch (request.icon) {
    case platform::Icon::None:
        break;
    case platform::Icon::Question:
        style |= MB_ICONQUESTION;
        break;
    case platform::Icon::Information:
        style |= MB_ICONINFORMATION;
        break;
    case platform::Icon::Warning:
        style |= MB_ICONWARNING;
        break;
    case platform::Icon::Error:
        style |= MB_ICONERROR;
        break;
    }
    if (request.defaultButton == platform::DefaultButton::Second) {
        style |= MB_DEFBUTTON2;
    }
    const int pressed =
        MessageBoxW(nullptr, Widen(request.text).c_str(), Widen(request.title).c_str(), style);
    switch (pressed) {
    case IDYES:
        return platform::Answer::Yes;
    case IDNO:
        return platform::Answer::No;
    case IDOK:
        return platform::Answer::Ok;
    case 0:
        throw platform::RunStopped("The message \"" + request.text +
                                   "\" could not be shown: " + LastErrorText());
    default:
        return platform::Answer::Cancel;
    }
}

DialogClose Win32UserInterface::ShowDialog(DialogModel& dialog) {
    dialog.Load();
    DialogView view(dialog, waitCursor_);
    return view.Run();
}

void Win32UserInterface::SetWaitCursor(bool on) {
    waitCursor_ = on;
    SetCursor(LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

} // namespace korvex::win32
