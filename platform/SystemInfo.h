// OS version, local time and waiting.
#pragma once

#include <cstdint>

#include "platform/Error.h"

namespace korvex::platform {

// GetVersionEx's answer: dwPlatformId (0 Win32s, 1 Windows 95 family, 2 NT family), major and
// minor version.
struct OsVersion {
    std::uint32_t platformId = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

// GetLocalTime's answer.
struct LocalTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    virtual Result<OsVersion> Version() = 0;
    virtual LocalTime Now() = 0;
    // Milliseconds since some fixed moment, rising, whatever the clock is set to: for timing
    // what the user sees (GetTickCount64).
    virtual std::uint64_t Ticks() = 0;
    // Sleep: the thread waits, so that what holds a file for a moment (a virus scanner) can let
    // it go.
    virtual void Wait(std::uint32_t milliseconds) = 0;
};

} // namespace korvex::platform
