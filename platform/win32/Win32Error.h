// The one place where Win32 error codes become korvex::WinError: callers of the Win32 backend
// never see GetLastError.
#pragma once

#include <cstdint>

#include "platform/Error.h"

namespace korvex::win32 {

// The error of a code, with the system's own text for it (FormatMessage, trailing line end
// removed, UTF-8). Codes the system has no text for read as WindowsErrorText gives them.
WinError ErrorFromCode(std::uint32_t code);
// The calling thread's last error (GetLastError). A failed call that left no code (0) reads
// as ERROR_INVALID_PARAMETER, so that a failure never reads "The operation completed
// successfully".
WinError LastError();
// A failed Status carrying LastError().
inline Status LastErrorStatus() {
    return Status(LastError());
}

} // namespace korvex::win32
