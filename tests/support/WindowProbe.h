// Looking at real windows through the Win32 API, for the GUI tests: sizes at the machine's dpi,
// a control's class, text, style and place, waiting for a window, and screenshots.
#pragma once

#include "platform/win32/WindowsHeaders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "platform/win32/Utf.h"

namespace korvex::win32 {

// The screen's dpi as this program sees it.
inline int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The dpi the Wine machine's screen is set to (LogPixels), as CTest says: $KORVEX_GUI_DPI, 96
// when unset. Not what the test program sees: a program that is not dpi-aware is told 96.
inline int MachineDpi() {
    const char* dpi = std::getenv("KORVEX_GUI_DPI");
    return dpi != nullptr && std::atoi(dpi) > 0 ? std::atoi(dpi) : 96;
}

inline int Pixels(int twips, int dpi = MachineDpi()) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

// A setting of this program's manifest (its <windowsSettings>) as Windows reads it: `space` is
// the element's XML namespace; "" when Windows finds none.
inline std::string ManifestSetting(const wchar_t* space, const wchar_t* name) {
    wchar_t value[128] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, nullptr, space, name, value, 128, &written)) {
        return "";
    }
    return Narrow(value);
}

// Wine 8 draws the windows of a program without dpi awareness at the screen's dpi all the same,
// so the screen tests cannot tell a manifest that lost it: this asks Windows what it read from
// this program's manifest. Windows 10 1607 and later read the first, older ones the second.
inline void ExpectPerMonitorDpiAwareManifest() {
    EXPECT_EQ(
        ManifestSetting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
        "PerMonitorV2, PerMonitor");
    EXPECT_EQ(
        ManifestSetting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"),
        "true/pm");
}

inline std::string ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return Narrow(name);
}

inline std::string TextOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return Narrow(text);
}

inline LONG StyleOf(HWND window) {
    return static_cast<LONG>(GetWindowLongPtrW(window, GWL_STYLE));
}

// The window's rectangle in its parent's client coordinates.
inline RECT PlaceOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The face the font a control draws with really is: GDI names the face it picked, which is the
// face asked for only when the machine has it.
inline std::string FaceOf(HWND window) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return Narrow(face);
}

inline HWND WaitForWindow(const std::string& caption) {
    const std::wstring wide = Widen(caption);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        HWND window = FindWindowW(L"#32770", wide.c_str());
        if (window != nullptr && IsWindowVisible(window)) {
            Sleep(300); // let the modal loop paint it
            return window;
        }
        Sleep(50);
    }
    return nullptr;
}

inline bool WaitUntilGone(HWND window) {
    for (int i = 0; i < 100 && IsWindow(window); ++i) {
        Sleep(50);
    }
    return !IsWindow(window);
}

// Saves what the screen shows of the window as <name>.bmp in $KORVEX_GUI_SCREENSHOTS (a Windows
// path), when that is set, and names the file in the test's output.
inline void SaveScreenshot(HWND window, const std::string& name) {
    const char* directory = std::getenv("KORVEX_GUI_SCREENSHOTS");
    if (directory == nullptr || *directory == '\0') {
        return;
    }
    const std::wstring folder = Widen(directory);
    for (std::size_t end = folder.find_first_of(L"\\/", 3); end != std::wstring::npos;
         end = folder.find_first_of(L"\\/", end + 1)) {
        CreateDirectoryW(folder.substr(0, end).c_str(), nullptr); // may exist already
    }
    CreateDirectoryW(folder.c_str(), nullptr);
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, as BMP files store rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    // From the screen: Wine's PrintWindow leaves the child controls out.
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const auto imageSize = static_cast<DWORD>((width * 3 + 3) / 4 * 4 * height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageSize;
    const std::string path = std::string(directory) + "\\" + name + ".bmp";
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), imageSize);
    EXPECT_TRUE(copied && out.good()) << "screenshot " << path << " not saved";
    std::cout << "screenshot of \"" << TextOf(window) << "\": " << path << std::endl;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

} // namespace korvex::win32
