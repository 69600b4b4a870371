// The custom actions of the KORVEx package (korvex-customaction.dll), Windows only.
// RunUpgradePrep runs upgradeprep, taken from the package's Binary table, before the new
// version is installed; RunVarenInstall runs the VarenInstall the package has just installed.
// The programs get their switches on their command lines. Both write the program's start, its
// own log lines, its exit code and what that means into the Windows Installer log (msiexec
// /l*v).
#include "platform/win32/WindowsHeaders.h"

#include <msiquery.h>
#include <sddl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "packaging/customaction/ProgramRun.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32Error.h"

namespace korvex::customaction {

namespace {

using win32::Narrow;
using win32::Widen;

// ERROR_ELEVATION_REQUIRED, which MinGW-w64's winerror.h lacks.
constexpr DWORD kElevationRequired = 740;

// A Windows Installer handle, closed when it goes out of scope.
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

std::string Describe(DWORD code) {
    return win32::ErrorFromCode(code).Describe();
}

// Lines of one custom action in the Windows Installer log, each starting with its name.
class InstallerLog {
public:
    InstallerLog(MSIHANDLE install, std::string action)
        : install_(install), action_(std::move(action)) {}

    void Say(std::string_view text) const {
        // The record's template is formatted: brackets and braces, such as the program log's
        // "[KORVEx Insatll]", would be read as properties or conditions unless escaped ("[\[]"
        // stands for "[").
        std::string line = action_ + ": ";
        for (char c : text) {
            if (c == '[' || c == ']' || c == '{' || c == '}') {
                line += "[\\";
                line += c;
                line += ']';
            } else {
                line += c;
            }
        }
        Handle record(::MsiCreateRecord(0));
        ::MsiRecordSetStringW(record.get(), 0, Widen(line).c_str());
        // An informational message is logged and never shown; a log that cannot be written
        // must not change the installation's outcome.
        (void)::MsiProcessMessage(install_, INSTALLMESSAGE_INFO, record.get());
    }

private:
    MSIHANDLE install_;
    std::string action_;
};

std::wstring Property(MSIHANDLE install, const wchar_t* name) {
    std::wstring value(64, L'\0');
    for (;;) {
        DWORD length = static_cast<DWORD>(value.size());
        const UINT answer = ::MsiGetPropertyW(install, name, value.data(), &length);
        if (answer == ERROR_MORE_DATA) {
            value.assign(static_cast<std::size_t>(length) + 1, L'\0');
            continue;
        }
        if (answer != ERROR_SUCCESS) {
            return {};
        }
        value.resize(length);
        return value;
    }
}

// The folder part of a path, with its backslash: "C:\" for "C:\korvex.msi".
std::wstring DirectoryOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// A fresh directory below the temporary directory, removed with what it holds. upgradeprep
// runs from it with administrator rights and loads msi.dll, which is not a known DLL, from its
// own folder first: the directory admits nobody but the system, the administrators and its
// owner, so that no other user can put a DLL beside the program (under LocalSystem the
// temporary directory is C:\Windows\Temp, where every user may create files).
class WorkDirectory {
public:
    WorkDirectory() {
        wchar_t temp[MAX_PATH + 1];
        wchar_t name[MAX_PATH + 1];
        const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
        SECURITY_ATTRIBUTES security{};
        security.nLength = sizeof security;
        // GetTempFileNameW makes a unique empty file; the directory takes its name.
        if (length == 0 || length > MAX_PATH || ::GetTempFileNameW(temp, L"kvx", 0, name) == 0 ||
            !::DeleteFileW(name) ||
            !::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;OW)", SDDL_REVISION_1,
                &security.lpSecurityDescriptor, nullptr)) {
            error_ = ::GetLastError();
            return;
        }
        const BOOL made = ::CreateDirectoryW(name, &security);
        error_ = made ? ERROR_SUCCESS : ::GetLastError();
        ::LocalFree(security.lpSecurityDescriptor);
        if (made) {
            path_ = name;
        }
    }
    ~WorkDirectory() {
        if (path_.empty()) {
            return;
        }
        WIN32_FIND_DATAW entry;
        HANDLE search = ::FindFirstFileW((path_ + L"\\*").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                // Flat: only files are put here.
                (void)::DeleteFileW((path_ + L"\\" + entry.cFileName).c_str());
            } while (::FindNextFileW(search, &entry));
            ::FindClose(search);
        }
        (void)::RemoveDirectoryW(path_.c_str());
    }
    WorkDirectory(const WorkDirectory&) = delete;
    WorkDirectory& operator=(const WorkDirectory&) = delete;

    bool ok() const { return !path_.empty(); }
    DWORD error() const { return error_; }
    std::wstring File(const wchar_t* name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
    DWORD error_ = ERROR_SUCCESS;
};

// Writes the Binary table's stream `name` into the file `path`; the error code or 0.
DWORD ExtractBinary(MSIHANDLE install, const wchar_t* name, const std::wstring& path) {
    Handle database(::MsiGetActiveDatabase(install));
    Handle view;
    UINT answer = ::MsiDatabaseOpenViewW(
        database.get(), L"SELECT `Data` FROM `Binary` WHERE `Name` = ?", view.out());
    if (answer != ERROR_SUCCESS) {
        return answer;
    }
    Handle parameters(::MsiCreateRecord(1));
    ::MsiRecordSetStringW(parameters.get(), 1, name);
    answer = ::MsiViewExecute(view.get(), parameters.get());
    if (answer != ERROR_SUCCESS) {
        return answer;
    }
    Handle row;
    answer = ::MsiViewFetch(view.get(), row.out());
    if (answer != ERROR_SUCCESS) {
        // ERROR_NO_MORE_ITEMS: the package does not carry it.
        return answer == ERROR_NO_MORE_ITEMS ? ERROR_FILE_NOT_FOUND : answer;
    }
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return ::GetLastError();
    }
    std::vector<char> buffer(64 * 1024);
    DWORD error = ERROR_SUCCESS;
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        error = ::MsiRecordReadStream(row.get(), 1, buffer.data(), &size);
        if (error != ERROR_SUCCESS || size == 0) {
            break;
        }
        DWORD written = 0;
        if (!::WriteFile(file, buffer.data(), size, &written, nullptr) || written != size) {
            error = ::GetLastError();
            break;
        }
    }
    ::CloseHandle(file);
    return error;
}

struct Finished {
    DWORD error = ERROR_SUCCESS; // the program could not be started
    DWORD exitCode = 0;
    bool elevatedByPrompt = false;
};

// Runs the program in `directory` and waits for it. A program whose manifest asks for
// administrator rights cannot be created by a process without them (ERROR_ELEVATION_REQUIRED:
// an interactive installation started by a user with User Account Control, where actions
// outside the script run with the user's own rights); it is then started through the
// elevation prompt, which the user answers.
Finished RunAndWait(const std::wstring& program, const std::wstring& arguments,
                    const std::wstring& directory) {
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
    ::WaitForSingleObject(process, INFINITE);
    if (!::GetExitCodeProcess(process, &finished.exitCode)) {
        finished.error = ::GetLastError();
    }
    ::CloseHandle(process);
    return finished;
}

// The size of a file, 0 when it cannot be read (not there yet).
LONGLONG FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The file's bytes from `offset` on; empty when it cannot be read.
std::string ReadFrom(const std::wstring& path, LONGLONG offset) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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

// Copies the lines the program appended to its log into the installer log.
void CopyProgramLog(const InstallerLog& log, Program program, const std::wstring& path,
                    LONGLONG offset) {
    const std::string text = ReadFrom(path, offset);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        log.Say(std::string(ProgramName(program)) + " | " + line);
        start = end + 1;
    }
}

// What one run needs: the properties, the program file (empty for upgradeprep, which comes
// out of the Binary table) and the package's path.
struct Request {
    RunProperties properties;
    std::wstring program;
    std::wstring package;
};

UINT RunProgram(MSIHANDLE install, Program program, const Request& request) {
    const InstallerLog log(install,
                           program == Program::UpgradePrep ? "RunUpgradePrep" : "RunVarenInstall");
    if (auto refusal = RefusalToStart(request.properties)) {
        log.Say(std::string(ProgramName(program)) + " not started: " + *refusal +
                "; the installation fails");
        return kFailure;
    }

    WorkDirectory work;
    if (!work.ok()) {
        log.Say("no temporary directory: " + Describe(work.error()) + "; the installation fails");
        return kFailure;
    }
    std::wstring path = request.program;
    std::string version;
    if (program == Program::UpgradePrep) {
        // Before the files are installed the program exists only inside the package.
        path = work.File(L"upgradeprep.exe");
        if (const DWORD error = ExtractBinary(install, L"upgradeprep.exe", path)) {
            log.Say("upgradeprep.exe cannot be taken from the package: " + Describe(error) +
                    "; the installation fails");
            return kFailure;
        }
        // upgradeprep takes the rest of its command line, whole, as the new version's text.
        version = Narrow(Property(install, L"ProductVersion"));
    } else if (path.empty()) {
        log.Say("VarenInstall.exe is not among the package's files; the installation fails");
        return kFailure;
    }
    // The programs start in the package's folder, as they did when the disc's setup started
    // them: VarenInstall looks for the Mira maps on the drive it was started from first.
    std::wstring directory = DirectoryOf(request.package);
    if (directory.empty()) {
        directory = DirectoryOf(path);
    }
    const unattended::Switches switches =
        ProgramSwitches(request.properties, Narrow(work.File(L"program.log")));
    const std::wstring programLog = Widen(switches.log);
    const LONGLONG logStart = FileSize(programLog);
    const std::string arguments = ProgramArguments(switches, version);
    log.Say("starting \"" + Narrow(path) + "\" " + arguments + " in " + Narrow(directory));
    const Finished finished = RunAndWait(path, Widen(arguments), directory);
    if (finished.elevatedByPrompt) {
        log.Say("the program asks for administrator rights: started through the elevation "
                "prompt");
    }
    CopyProgramLog(log, program, programLog, logStart);
    const Verdict verdict = finished.error != ERROR_SUCCESS ? JudgeStartFailure(finished.error)
                                                            : JudgeExit(program, finished.exitCode);
    if (finished.error != ERROR_SUCCESS) {
        log.Say(std::string(ProgramName(program)) + " not started: " + Describe(finished.error) +
                "; " + verdict.meaning);
    } else {
        log.Say(std::string(ProgramName(program)) + " exit code " +
                std::to_string(finished.exitCode) + ": " + verdict.meaning);
    }
    return verdict.result;
}

// The immediate RunUpgradePrep reads the installation's properties.
UINT RunUpgradePrepAction(MSIHANDLE install) {
    Request request;
    request.properties.uiLevel = Narrow(Property(install, L"UILevel"));
    request.properties.answers = Narrow(Property(install, L"KORVEX_ANSWERS"));
    request.properties.log = Narrow(Property(install, L"KORVEX_LOG"));
    request.properties.record = Narrow(Property(install, L"KORVEX_RECORD"));
    request.package = Property(install, L"OriginalDatabase");
    return RunProgram(install, Program::UpgradePrep, request);
}

// The deferred RunVarenInstall reads only its CustomActionData.
UINT RunVarenInstallAction(MSIHANDLE install) {
    const std::wstring data = Property(install, L"CustomActionData");
    const std::optional<ActionData> parsed = ParseActionData(Narrow(data));
    if (!parsed) {
        InstallerLog(install, "RunVarenInstall")
            .Say("CustomActionData \"" + Narrow(data) +
                 "\" is not UILevel|KORVEX_ANSWERS|KORVEX_LOG|KORVEX_RECORD|program|package; the "
                 "installation fails");
        return kFailure;
    }
    return RunProgram(install, Program::VarenInstall,
                      {parsed->properties, Widen(parsed->program), Widen(parsed->package)});
}

// Nothing may escape into the Windows Installer: a failure of our own fails the installation.
UINT Guarded(MSIHANDLE install, Program program) {
    try {
        return program == Program::UpgradePrep ? RunUpgradePrepAction(install)
                                               : RunVarenInstallAction(install);
    } catch (...) {
        InstallerLog(install, "KORVEx").Say("the custom action failed unexpectedly");
        return kFailure;
    }
}

} // namespace

} // namespace korvex::customaction

// The entry points named in the CustomAction table (exported undecorated on x86 as well).
extern "C" __declspec(dllexport) UINT __stdcall RunUpgradePrep(MSIHANDLE install) {
    return korvex::customaction::Guarded(install, korvex::customaction::Program::UpgradePrep);
}

extern "C" __declspec(dllexport) UINT __stdcall RunVarenInstall(MSIHANDLE install) {
    return korvex::customaction::Guarded(install, korvex::customaction::Program::VarenInstall);
}
