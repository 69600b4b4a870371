// A Windows Installer handle (a record, a view, a database), closed when it goes out of scope.
// Windows only.
#pragma once

#include "platform/win32/WindowsHeaders.h"

#include <msiquery.h>

namespace korvex::customaction {

class Handle {
public:
    explicit Handle(MSIHANDLE handle = 0) : handle_(handle) {}
    ~Handle() {
        if (handle_ != 0) {
            ::MsiCloseHandle(handle_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    MSIHANDLE get() const { return handle_; }
    MSIHANDLE* out() { return &handle_; }

private:
    MSIHANDLE handle_;
};

} // namespace korvex::customaction
