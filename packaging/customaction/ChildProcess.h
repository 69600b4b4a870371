// The custom actions' program runs and the files the programs write, on Windows: start a
// program (through the elevation prompt when it must), wait for it while something is done
// every tenth of a second, and read what it appended to a file.
#pragma once

#include "platform/win32/WindowsHeaders.h"

#include <functional>
#include <string>

namespace korvex::customaction {

struct Finished {
    DWORD error = ERROR_SUCCESS; // the program could not be started
    DWORD exitCode = 0;
    bool elevatedByPrompt = false;
};

// Runs `program` with `arguments` in `directory` and waits for it, calling `whileRunning`
// every 100 ms until it has ended; the wait ends as soon as the program does.
Finished RunAndWait(const std::wstring& program, const std::wstring& arguments,
                    const std::wstring& directory, const std::function<void()>& whileRunning);

// The size of a file, 0 when it cannot be read (not there yet).
LONGLONG FileSize(const std::wstring& path);

// The file's bytes from `offset` on; empty when it cannot be read. It is opened sharing
// reading, writing and deletion, so that the program writing it is never kept from it.
std::string ReadFrom(const std::wstring& path, LONGLONG offset);

} // namespace korvex::customaction
