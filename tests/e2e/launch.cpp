// Runs a Windows program with the rest of its own command line and prints the program's
// full exit code ("exit code 1602"), which a Unix shell under Wine would cut to 8 bits.
// Exits 0 when the program could be run, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain() {
    // The child's command line is ours after our own program name.
    const wchar_t* line = GetCommandLineW();
    if (*line == L'"') {
        ++line;
        while (*line != L'\0' && *line != L'"') {
            ++line;
        }
        if (*line == L'"') {
            ++line;
        }
    } else {
        while (*line > L' ') {
            ++line;
        }
    }
    while (*line == L' ' || *line == L'\t') {
        ++line;
    }
    if (*line == L'\0') {
        std::fprintf(stderr, "usage: korvex-launch program [arguments]\n");
        return 1;
    }
    const std::size_t length = std::wcslen(line);
    wchar_t* commandLine = new wchar_t[length + 1];
    std::wmemcpy(commandLine, line, length + 1);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "korvex-launch: cannot start the program: error %lu\n",
                     GetLastError());
        delete[] commandLine;
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    delete[] commandLine;
    std::printf("exit code %lu\n", code);
    std::fflush(stdout);
    return 0;
}
