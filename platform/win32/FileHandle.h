// What the file system's Win32 files share: a handle closed on destruction, and the wide form
// of a path for the file functions.
#pragma once

#include "platform/win32/WindowsHeaders.h"

#include <string>
#include <string_view>

namespace korvex::win32 {

// A file handle closed on destruction.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (valid()) {
            ::CloseHandle(handle_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// The wide form of a UTF-8 path; one too long for the classic limit takes the "\\?\" form of
// its full path (Win32FileSystem.cpp says why).
std::wstring FilePath(std::string_view path);

} // namespace korvex::win32
