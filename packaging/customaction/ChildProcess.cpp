// Program runs and file reads of the custom actions, Windows only.
#include "packaging/customaction/ChildProcess.h"

#include <shellapi.h>

namespace korvex::customaction {

namespace {

// ERROR_ELEVATION_REQUIRED, which MinGW-w64's winerror.h lacks.
constexpr DWORD kElevationRequired = 740;

} // namespace

// Runs the program in `directory` and waits for it. A program whose manifest asks for
// administrator rights cannot be created by a process without them (ERROR_ELEVATION_REQUIRED:
// an interactive installation started by a user with User Account Control, where actions
// outside the script run with the user's own rights); it is then started through the
// elevation prompt, which the user answers.
Finished RunAndWait(const std::wstring& program, const std::wstring& arguments,
                    const std::wstring& directory, const std::function<void()>& whileRunning) {
    Finished finished;
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    const wchar_t* startIn = directory.empty() ? nullptr : directory.c_str();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    HANDLE process = nullptr;
    if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         startIn, &startup, &created)) {
        ::CloseHandle(created.hThread);
        process = created.hProcess;
    } else if (::GetLastError() == kElevationRequired) {
        SHELLEXECUTEINFOW execute{};
        execute.cbSize = sizeof execute;
        execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
        execute.lpVerb = L"runas";
        execute.lpFile = program.c_str();
        execute.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
        execute.lpDirectory = startIn;
        execute.nShow = SW_SHOWNORMAL;
        finished.elevatedByPrompt = true;
        if (!::ShellExecuteExW(&execute) || execute.hProcess == nullptr) {
            finished.error =
                ::GetLastError() == ERROR_SUCCESS ? ERROR_INVALID_HANDLE : ::GetLastError();
            return finished;
        }
        process = execute.hProcess;
    } else {
        finished.error = ::GetLastError();
        return finished;
    }
    // A poll, not a spin: the wait returns as soon as the program ends.
    while (::WaitForSingleObject(process, 100) == WAIT_TIMEOUT) {
        whileRunning();
    }
    if (!::GetExitCodeProcess(process, &finished.exitCode)) {
        finished.error = ::GetLastError();
    }
    ::CloseHandle(process);
    return finished;
}

LONGLONG FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string ReadFrom(const std::wstring& path, LONGLONG offset) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string text;
    LARGE_INTEGER start;
    start.QuadPart = offset;
    if (::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
        char buffer[4096];
        DWORD read = 0;
        while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
            text.append(buffer, read);
        }
    }
    ::CloseHandle(file);
    return text;
}

} // namespace korvex::customaction
