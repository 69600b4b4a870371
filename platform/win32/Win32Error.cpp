// Win32 error codes to WinError through FormatMessageW.
#include "platform/win32/Win32Error.h"

#include "platform/win32/WindowsHeaders.h"
#include <string>

#include "platform/win32/Utf.h"

namespace korvex::win32 {

namespace {

// FormatMessageW's text for a code from the system message table, or nothing. Inserts are
// ignored: a few messages hold "%1" placeholders the caller has nothing to fill in with.
std::wstring SystemText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) {
        return {};
    }
    std::wstring text(buffer, length);
    ::LocalFree(buffer);
    // The system texts end in "\r\n"; some in ".\r\n " or with trailing blanks.
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

} // namespace

WinError ErrorFromCode(std::uint32_t code) {
    std::string text = Narrow(SystemText(code));
    if (text.empty()) {
        text = WindowsErrorText(code);
    }
    return WinError{code, std::move(text)};
}

WinError LastError() {
    const DWORD code = ::GetLastError();
    return ErrorFromCode(code == ERROR_SUCCESS ? ERROR_INVALID_PARAMETER : code);
}

} // namespace korvex::win32
