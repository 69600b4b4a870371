// Command line, environment and error mode through the Win32 API.
#include "platform/win32/Process.h"

#include "platform/win32/WindowsHeaders.h"

#include "platform/win32/Utf.h"

namespace korvex::win32 {

std::string CommandLine() {
    const wchar_t* line = ::GetCommandLineW();
    return line == nullptr ? std::string() : Narrow(line);
}

std::optional<std::string> EnvironmentVariable(std::string_view name) {
    const std::wstring wideName = Widen(name);
    std::wstring value(64, L'\0');
    for (;;) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(),
                                                       static_cast<DWORD>(value.size()));
        if (length == 0) {
            // 0 is both "not set" and "set to the empty text"; only the error tells them apart.
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
                return std::nullopt;
            }
            return std::string();
        }
        if (length < value.size()) {
            value.resize(length);
            return Narrow(value);
        }
        // Too small: length is the size needed, terminator included. The variable may grow
        // between the two calls, hence the loop.
        value.assign(length, L'\0');
    }
}

void QuietCriticalErrors() {
    // SetErrorMode answers the previous mode only by replacing it; the second call puts the
    // other flags back.
    const UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    ::SetErrorMode(previous | SEM_FAILCRITICALERRORS);
}

bool LoadLibrariesFromSystemFolderOnly() {
    ::SetDllDirectoryW(L"");
    // Looked up, not imported: the function is missing from Windows 7 without KB2533623.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefault =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    return setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

} // namespace korvex::win32
