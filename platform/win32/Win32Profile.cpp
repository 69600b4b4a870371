// The profile-string service through WritePrivateProfileStringW.
#include "platform/win32/Win32Profile.h"

#include "platform/win32/WindowsHeaders.h"

#include "platform/win32/Utf.h"
#include "platform/win32/Win32Error.h"

namespace korvex::win32 {

Status Win32Profile::WriteString(std::string_view section, std::string_view key,
                                 std::string_view value, std::string_view file) {
    const std::wstring wideSection = Widen(section);
    const std::wstring wideKey = Widen(key);
    const std::wstring wideValue = Widen(value);
    const std::wstring wideFile = Widen(file);
    ::SetLastError(ERROR_SUCCESS);
    if (!::WritePrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideValue.c_str(),
                                      wideFile.c_str())) {
        return LastErrorStatus();
    }
    return {};
}

} // namespace korvex::win32
