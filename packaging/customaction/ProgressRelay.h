// Passes a running program's progress on to the Windows Installer, Windows only: the lines the
// program appended to its progress file since the last poll, as action-data and progress
// messages (ProgressMessages.h).
//
//     ProgressRelay relay(install, work.File(L"progress"));
//     RunAndWait(program, arguments, directory, [&] { relay.Poll(); });
//     relay.Finish();
#pragma once

#include "platform/win32/WindowsHeaders.h"

#include <msi.h>

#include <string>

#include "packaging/customaction/ProgressMessages.h"

namespace korvex::customaction {

class ProgressRelay {
public:
    ProgressRelay(MSIHANDLE install, std::wstring path)
        : install_(install), path_(std::move(path)) {}
    // Sends the messages of the lines appended since the last poll.
    void Poll();
    // The program has ended: its last lines, then the end of a step it left open.
    void Finish();

private:
    void Send(const std::vector<InstallerMessage>& messages) const;

    MSIHANDLE install_;
    std::wstring path_;
    LONGLONG offset_ = 0;
    ProgressMessages messages_;
};

} // namespace korvex::customaction
