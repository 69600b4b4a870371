// UTF-8 <-> UTF-16 conversion at the Win32 boundary: the core speaks UTF-8, the W functions
// UTF-16. Only code under platform/win32 uses these.
#pragma once

#include <string>
#include <string_view>

namespace korvex::win32 {

// UTF-8 to UTF-16. Invalid sequences become U+FFFD, as MultiByteToWideChar does without
// MB_ERR_INVALID_CHARS.
std::wstring Widen(std::string_view utf8);
// UTF-16 to UTF-8. Unpaired surrogates become U+FFFD.
std::string Narrow(std::wstring_view utf16);

} // namespace korvex::win32
