// OS version and local time through GetVersionExW and GetLocalTime.
#pragma once

#include "platform/SystemInfo.h"

namespace korvex::win32 {

class Win32SystemInfo final : public platform::SystemInfo {
public:
    // GetVersionExW with an OSVERSIONINFOW. Windows 8.1 and later answer the version the
    // program's manifest declares support for (6.2 without one), as they do for every caller.
    Result<platform::OsVersion> Version() override;
    // GetLocalTime.
    platform::LocalTime Now() override;
    std::uint64_t Ticks() override;
    void Wait(std::uint32_t milliseconds) override;
};

} // namespace korvex::win32
