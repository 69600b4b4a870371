// An external user interface for the Windows Installer: installs a package with no window and
// writes every message the installer hands it, the custom actions' included, one a line.
//   korvex-msi-ui.exe MESSAGES PACKAGE [PROPERTY=VALUE...]
// Lines of MESSAGES (UTF-8, LF), a tab between fields:
//   actionstart <text>     also actiondata, info, error, warning, user, fatalexit, other
//   progress <f1> <f2> <f3> <f4>   the progress record's fields, empty when absent
// Prints "exit code N" with MsiInstallProduct's result and exits with it.
#include <windows.h>

#include <msi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

CRITICAL_SECTION writing;
std::FILE* messages = nullptr;

std::string Narrow(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size,
                        nullptr, nullptr);
    return narrow;
}

const char* TypeName(UINT type) {
    switch (type & 0xff000000) {
    case INSTALLMESSAGE_ACTIONSTART:
        return "actionstart";
    case INSTALLMESSAGE_ACTIONDATA:
        return "actiondata";
    case INSTALLMESSAGE_PROGRESS:
        return "progress";
    case INSTALLMESSAGE_INFO:
        return "info";
    case INSTALLMESSAGE_ERROR:
        return "error";
    case INSTALLMESSAGE_WARNING:
        return "warning";
    case INSTALLMESSAGE_USER:
        return "user";
    case INSTALLMESSAGE_FATALEXIT:
        return "fatalexit";
    default:
        return "other";
    }
}

// A progress message's text, "1: 2 2: 1024 3: 0 ", as four tab-separated fields.
std::string ProgressFields(const std::wstring& text) {
    std::wstring fields[4];
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t colon = text.find(L": ", at);
        if (colon == std::wstring::npos) {
            break;
        }
        const int index = std::wcstol(text.c_str() + at, nullptr, 10);
        const std::size_t end = text.find(L' ', colon + 2);
        const std::wstring value = text.substr(
            colon + 2, end == std::wstring::npos ? std::wstring::npos : end - colon - 2);
        if (index >= 1 && index <= 4) {
            fields[index - 1] = value;
        }
        at = end == std::wstring::npos ? text.size() : end + 1;
    }
    std::string line;
    for (const std::wstring& field : fields) {
        line += '\t';
        line += Narrow(field);
    }
    return line;
}

INT CALLBACK Handler(LPVOID, UINT type, LPCWSTR message) {
    std::wstring text = message != nullptr ? message : L"";
    std::string line = TypeName(type);
    if ((type & 0xff000000) == INSTALLMESSAGE_PROGRESS) {
        line += ProgressFields(text);
    } else {
        for (wchar_t& c : text) {
            if (c == L'\r' || c == L'\n' || c == L'\t') {
                c = L' ';
            }
        }
        line += '\t';
        line += Narrow(text);
    }
    line += "\n";
    EnterCriticalSection(&writing);
    std::fputs(line.c_str(), messages);
    std::fflush(messages);
    LeaveCriticalSection(&writing);
    // Not handled: the installer goes on as it would without a user interface.
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: korvex-msi-ui MESSAGES PACKAGE [PROPERTY=VALUE...]\n");
        return 1;
    }
    messages = _wfopen(argv[1], L"wb");
    if (messages == nullptr) {
        std::fprintf(stderr, "korvex-msi-ui: cannot write %ls\n", argv[1]);
        return 1;
    }
    InitializeCriticalSection(&writing);
    std::wstring properties;
    for (int i = 3; i < argc; ++i) {
        properties += (i > 3 ? L" " : L"") + std::wstring(argv[i]);
    }
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    MsiSetExternalUIW(Handler,
                      INSTALLLOGMODE_ACTIONSTART | INSTALLLOGMODE_ACTIONDATA |
                          INSTALLLOGMODE_PROGRESS | INSTALLLOGMODE_INFO | INSTALLLOGMODE_ERROR |
                          INSTALLLOGMODE_WARNING | INSTALLLOGMODE_USER | INSTALLLOGMODE_FATALEXIT,
                      nullptr);
    const UINT result = MsiInstallProductW(argv[2], properties.c_str());
    EnterCriticalSection(&writing);
    std::fclose(messages);
    messages = nullptr;
    LeaveCriticalSection(&writing);
    std::printf("exit code %u\n", result);
    std::fflush(stdout);
    return static_cast<int>(result);
}
