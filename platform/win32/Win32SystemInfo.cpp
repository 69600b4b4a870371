// OS version and local time through the Win32 API.
#include "platform/win32/Win32SystemInfo.h"

#include "platform/win32/WindowsHeaders.h"

#include "platform/win32/Win32Error.h"

namespace korvex::win32 {

Result<platform::OsVersion> Win32SystemInfo::Version() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    // Some SDKs mark GetVersionExW deprecated in favour of the version helpers, which cannot
    // tell the Windows 95 family from NT. The programs need the platform identifier itself.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL answered = ::GetVersionExW(&info);
#pragma GCC diagnostic pop
    if (!answered) {
        return LastError();
    }
    return platform::OsVersion{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

platform::LocalTime Win32SystemInfo::Now() {
    SYSTEMTIME time{};
    ::GetLocalTime(&time);
    return platform::LocalTime{time.wYear,   time.wMonth,  time.wDay,         time.wHour,
                               time.wMinute, time.wSecond, time.wMilliseconds};
}

std::uint64_t Win32SystemInfo::Ticks() {
    return ::GetTickCount64();
}

void Win32SystemInfo::Wait(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

} // namespace korvex::win32
