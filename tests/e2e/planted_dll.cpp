// A DLL named like a system one (msi.dll), planted beside a program to see whether the program
// loads it: when loaded, it leaves C:\planted.txt naming the process that loaded it.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t program[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
        HANDLE marker = CreateFileW(L"C:\\planted.txt", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (marker != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(marker, program, length * sizeof(wchar_t), &written, nullptr);
            CloseHandle(marker);
        }
    }
    return TRUE;
}

// rundll32's entry, so that a test can load the DLL on purpose.
extern "C" __declspec(dllexport) void CALLBACK Load(HWND, HINSTANCE, LPSTR, int) {}
