// Win32 code only: the progress window of a long step. It runs on a thread of its own with its
// own message loop, so that it paints, moves and answers while the run's thread is inside a
// CopyFile; the run's thread only hands it the newest state and asks it to show it.
#include "platform/win32/Win32UserInterface.h"

#include "platform/win32/WindowsHeaders.h"

#include <commctrl.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "platform/win32/Utf.h"

namespace korvex::win32 {

namespace {

constexpr UINT kUpdate = WM_APP + 1; // the state changed
constexpr UINT kClose = WM_APP + 2;  // the step ended
constexpr int kBarRange = 10000;

// WM_DPICHANGED, which older headers lack.
constexpr UINT kDpiChanged = 0x02E0;

// The DPI of the monitor a window is on, from GetDpiForWindow where Windows has it (Windows 10
// 1607 on), otherwise the screen's.
int WindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr && window != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi > 0) {
            return static_cast<int>(dpi);
        }
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : 96;
}

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

} // namespace

class Win32UserInterface::ProgressWindow {
public:
    ProgressWindow() {
        std::unique_lock lock(mutex_);
        thread_ = std::thread([this] { Loop(); });
        started_.wait(lock, [this] { return ready_; });
    }
    ~ProgressWindow() {
        if (window_ != nullptr) {
            PostMessageW(window_, kClose, 0, 0);
        }
        thread_.join();
    }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    bool ok() const { return window_ != nullptr; }

    // The newest state, shown when the window's thread gets to it; updates in between are
    // dropped, as only the newest matters.
    void Show(const platform::ProgressState& state) {
        {
            std::lock_guard lock(mutex_);
            state_ = state;
            if (pending_) {
                return;
            }
            pending_ = true;
        }
        PostMessageW(window_, kUpdate, 0, 0);
    }

private:
    void Loop() {
        HWND window = Create();
        {
            std::lock_guard lock(mutex_);
            window_ = window;
            ready_ = true;
        }
        started_.notify_one();
        if (window == nullptr) {
            return;
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
        windowClass.lpfnWndProc = &ProgressWindow::Procedure;
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
        Update();
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
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
        const int fontHeight = -MulDiv(825, dpi, 7200); // 8.25 points
        const auto makeFont = [fontHeight](int weight) {
            return CreateFontW(fontHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
        };
        font_ = makeFont(FW_NORMAL);
        boldFont_ = makeFont(FW_BOLD);
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
        {
            std::lock_guard lock(mutex_);
            state = state_;
            pending_ = false;
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
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(
                                  reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        }
        auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        switch (message) {
        case kUpdate:
            self->Update();
            return 0;
        case kClose:
            DestroyWindow(window);
            return 0;
        case kDpiChanged:
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

    std::mutex mutex_;
    std::condition_variable started_;
    bool ready_ = false;
    bool pending_ = false;
    platform::ProgressState state_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
    std::wstring shownCaption_;
    std::thread thread_;
};

Win32UserInterface::Win32UserInterface() = default;

Win32UserInterface::~Win32UserInterface() = default;

void Win32UserInterface::ShowProgress(const platform::ProgressState& state) {
    if (!progress_) {
        progress_ = std::make_unique<ProgressWindow>();
    }
    // A window Windows would not create leaves the run with its wait cursor alone.
    if (progress_->ok()) {
        progress_->Show(state);
    }
}

void Win32UserInterface::HideProgress() {
    progress_.reset();
}

} // namespace korvex::win32
