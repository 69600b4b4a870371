// Win32 code only: the progress window of a long step. It runs on a thread of its own with its
// own message loop, so that it paints, moves and answers while the run's thread is inside a
// CopyFile; the run's thread only hands it the newest state and asks it to show it.
#include "platform/win32/Win32UserInterface.h"

#include "platform/win32/WindowsHeaders.h"

#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "platform/win32/Dpi.h"
#include "platform/win32/Utf.h"

namespace korvex::win32 {

namespace {

constexpr UINT kUpdate = WM_APP + 1; // the state changed
constexpr UINT kClose = WM_APP + 2;  // the step ended
constexpr int kBarRange = 10000;

// "12,345": numbers of files are easier to read grouped.
std::wstring Grouped(std::uint64_t number) {
    const std::wstring digits = std::to_wstring(number);
    std::wstring grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped += L',';
        }
        grouped += digits[i];
    }
    return grouped;
}

// The layout at 96 dpi, in pixels: scaled by the window's DPI.
struct Box {
    int left, top, width, height;
};
constexpr int kClientWidth = 440;
constexpr int kClientHeight = 108;
constexpr Box kCaptionBox{12, 10, 416, 16};
constexpr Box kBarBox{12, 32, 416, 18};
constexpr Box kFileBox{12, 58, 416, 16};
constexpr Box kCountBox{12, 80, 416, 16};

// What the run's thread and the window's thread share, under the mutex.
struct Shared {
    std::mutex mutex;
    HWND window = nullptr; // once made
    bool quit = false;
    bool visible = false;
    bool pending = false; // an update posted and not yet taken up
    platform::ProgressState state;
};

// The window's thread: makes the window, then shows what the run's thread wants until told to
// quit.
class Worker {
    static constexpr const wchar_t* kProgressWindowClass = Win32UserInterface::kProgressWindowClass;
    static constexpr int kProgressCaptionId = Win32UserInterface::kProgressCaptionId;
    static constexpr int kProgressBarId = Win32UserInterface::kProgressBarId;
    static constexpr int kProgressFileId = Win32UserInterface::kProgressFileId;
    static constexpr int kProgressCountId = Win32UserInterface::kProgressCountId;

public:
    explicit Worker(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void Loop() {
        HWND window = Create();
        if (window == nullptr) {
            return; // the run goes on with its wait cursor alone
        }
        bool quit = false;
        {
            std::lock_guard lock(shared_->mutex);
            shared_->window = window;
            quit = shared_->quit;
        }
        if (quit) {
            DestroyWindow(window);
        } else {
            Update();
        }
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    HWND Create() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &Worker::Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_WAIT);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kProgressWindowClass;
        RegisterClassExW(&windowClass); // fails harmlessly when already registered
        // A caption and a frame, and no system menu: there is no way to stop a step half-way.
        HWND window =
            CreateWindowExW(WS_EX_DLGMODALFRAME, kProgressWindowClass, L"", WS_POPUP | WS_CAPTION,
                            0, 0, 100, 100, nullptr, nullptr, GetModuleHandleW(nullptr), this);
        if (window == nullptr) {
            return nullptr;
        }
        window_ = window;
        const auto child = [&](const wchar_t* className, DWORD style, int id) {
            return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                   window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
        };
        child(L"Static", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, kProgressCaptionId);
        HWND bar = child(PROGRESS_CLASSW, PBS_SMOOTH, kProgressBarId);
        SendMessageW(bar, PBM_SETRANGE32, 0, kBarRange);
        child(L"Static", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, kProgressFileId);
        child(L"Static", SS_LEFT | SS_NOPREFIX, kProgressCountId);
        Layout(WindowDpi(window), nullptr);
        return window;
    }

    // Places the window and its controls for `dpi`: centred on the screen, or in `suggested`
    // (WM_DPICHANGED's rectangle on the new monitor).
    void Layout(int dpi, const RECT* suggested) {
        const auto scale = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
        RECT frame{0, 0, scale(kClientWidth), scale(kClientHeight)};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        const int left =
            suggested != nullptr ? suggested->left : (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        const int top =
            suggested != nullptr ? suggested->top : (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

        if (font_ != nullptr) {
            DeleteObject(font_);
        }
        if (boldFont_ != nullptr) {
            DeleteObject(boldFont_);
        }
        // The dialogs' font, 8.25 points.
        font_ = CreateWindowFont(8.25, false, dpi);
        boldFont_ = CreateWindowFont(8.25, true, dpi);
        const struct {
            int id;
            Box box;
            HFONT font;
        } places[] = {{kProgressCaptionId, kCaptionBox, boldFont_},
                      {kProgressBarId, kBarBox, nullptr},
                      {kProgressFileId, kFileBox, font_},
                      {kProgressCountId, kCountBox, font_}};
        for (const auto& place : places) {
            HWND item = GetDlgItem(window_, place.id);
            SetWindowPos(item, nullptr, scale(place.box.left), scale(place.box.top),
                         scale(place.box.width), scale(place.box.height),
                         SWP_NOZORDER | SWP_NOACTIVATE);
            if (place.font != nullptr) {
                SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(place.font), TRUE);
            }
        }
    }

    void Update() {
        platform::ProgressState state;
        bool visible = false;
        {
            std::lock_guard lock(shared_->mutex);
            state = shared_->state;
            visible = shared_->visible;
            shared_->pending = false;
        }
        if (!visible) {
            ShowWindow(window_, SW_HIDE);
            return;
        }
        const std::wstring caption = Widen(state.caption);
        if (caption != shownCaption_) {
            SetWindowTextW(window_, caption.c_str());
            SetDlgItemTextW(window_, kProgressCaptionId, caption.c_str());
            shownCaption_ = caption;
        }
        const int position =
            state.total == 0 ? 0
                             : static_cast<int>(std::min<std::uint64_t>(state.done, state.total) *
                                                kBarRange / state.total);
        SendDlgItemMessageW(window_, kProgressBarId, PBM_SETPOS, static_cast<WPARAM>(position), 0);
        SetDlgItemTextW(window_, kProgressFileId, Widen(state.current).c_str());
        std::wstring count = Grouped(state.done);
        count += L" of ";
        count += Grouped(state.total);
        count += L" files";
        SetDlgItemTextW(window_, kProgressCountId, count.c_str());
        if (!IsWindowVisible(window_)) {
            ShowWindow(window_, SW_SHOWNORMAL);
            UpdateWindow(window_);
        }
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(
                                  reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        }
        auto* self = reinterpret_cast<Worker*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        switch (message) {
        case kUpdate:
            self->Update();
            return 0;
        case kClose:
            DestroyWindow(window);
            return 0;
        case WM_DPICHANGED:
            self->Layout(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_CLOSE: // Alt+F4: the step goes on, and so does its window
            return 0;
        case WM_CTLCOLORSTATIC:
            // The labels take the window's face colour.
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        case WM_DESTROY:
            if (self != nullptr) {
                DeleteObject(self->font_);
                DeleteObject(self->boldFont_);
                self->font_ = self->boldFont_ = nullptr;
            }
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
        }
    }

    std::shared_ptr<Shared> shared_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
    std::wstring shownCaption_;
};

} // namespace

// One window for the run's steps, made on a thread of its own when the first step needs it and
// hidden between steps. The run's thread never waits for it: making the first window of a
// process (Windows loads its display driver and fonts then) takes seconds under Wine, which a
// copy must not spend, nor the end of the run: the thread is let go, and ends with the process.
class Win32UserInterface::ProgressWindow {
public:
    ProgressWindow()
        : shared_(std::make_shared<Shared>()),
          thread_([shared = shared_] { Worker(shared).Loop(); }) {}
    ~ProgressWindow() {
        HWND window = nullptr;
        {
            std::lock_guard lock(shared_->mutex);
            shared_->quit = true;
            window = shared_->window;
        }
        if (window != nullptr) {
            PostMessageW(window, kClose, 0, 0);
        }
        thread_.detach();
    }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // Shows the newest state, or hides the window, when the window's thread gets to it;
    // updates in between are dropped, as only the newest matters.
    void Show(const platform::ProgressState& state) { Want(&state); }
    void Hide() { Want(nullptr); }

private:
    void Want(const platform::ProgressState* state) {
        HWND window = nullptr;
        {
            std::lock_guard lock(shared_->mutex);
            shared_->visible = state != nullptr;
            if (state != nullptr) {
                shared_->state = *state;
            }
            if (shared_->pending || shared_->window == nullptr) {
                return; // the window's thread takes it up when the window is made
            }
            shared_->pending = true;
            window = shared_->window;
        }
        PostMessageW(window, kUpdate, 0, 0);
    }

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

Win32UserInterface::Win32UserInterface() = default;

Win32UserInterface::~Win32UserInterface() = default;

void Win32UserInterface::ShowProgress(const platform::ProgressState& state) {
    if (!progress_) {
        progress_ = std::make_unique<ProgressWindow>();
    }
    progress_->Show(state);
}

void Win32UserInterface::HideProgress() {
    if (progress_) {
        progress_->Hide();
    }
}

} // namespace korvex::win32
