// The custom actions of the KORVEx package (korvex-customaction.dll), Windows only.
// RunUpgradePrep runs upgradeprep, taken from the package's Binary table, before the new
// version is installed; RunVarenInstall runs the VarenInstall the package has just installed.
// The programs get their switches on their command lines. Both write the program's start, its
// own log lines, its exit code and what that means into the Windows Installer log (msiexec
// /l*v), and pass the program's progress on to the installer's user interface while it runs.
#include "platform/win32/WindowsHeaders.h"

#include <msiquery.h>
#include <sddl.h>

#include <algorithm>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

#include "packaging/customaction/ChildProcess.h"
#include "packaging/customaction/InstallerHandle.h"
#include "packaging/customaction/ProgramRun.h"
#include "packaging/customaction/ProgressMessages.h"
#include "packaging/customaction/ProgressRelay.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32Error.h"

namespace korvex::customaction {

namespace {

using win32::Narrow;
using win32::Widen;

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
        // "[KORVEx Insatll]", would be read as properties or conditions.
        const std::string line = FormattedLiteral(action_ + ": " + std::string(text));
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

// Whether this process runs with administrator rights: its token (the thread's, when it
// impersonates) is elevated or is LocalSystem's. False when the token cannot be read.
bool RunsAsAdministrator() {
    HANDLE token = nullptr;
    if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, &token) &&
        !::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    bool administrator =
        ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
        elevation.TokenIsElevated != 0;
    if (!administrator) {
        alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
        administrator =
            ::GetTokenInformation(token, TokenUser, user, sizeof user, &size) &&
            ::IsWellKnownSid(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, WinLocalSystemSid);
    }
    ::CloseHandle(token);
    return administrator;
}

// A fresh directory for one run, removed with what it holds: upgradeprep is written into it,
// and both programs write their own log there when KORVEX_LOG is not set. With administrator
// rights it is made in the Windows directory's Temp with an access list of the system and the
// administrators alone, so that no other user can put a file beside the programs (a DLL they
// might load) or change one (the temporary directory of LocalSystem is C:\Windows\Temp, where
// every user may create files and folders). Its name is one that CreateDirectory makes: a name
// somebody took before, as a folder or a link, is never used, another is drawn. Without
// administrator rights it is made in the user's own temporary directory and admits the user too:
// the user can attack only the user.
class WorkDirectory {
public:
    WorkDirectory() {
        administrators_ = RunsAsAdministrator();
        wchar_t parent[MAX_PATH + 1];
        const UINT length = administrators_ ? ::GetSystemWindowsDirectoryW(parent, MAX_PATH + 1)
                                            : ::GetTempPathW(MAX_PATH + 1, parent);
        if (length == 0 || length > MAX_PATH) {
            error_ = length == 0 ? ::GetLastError() : ERROR_BUFFER_OVERFLOW;
            return;
        }
        std::wstring base = parent;
        if (base.back() != L'\\') {
            base += L'\\';
        }
        if (administrators_) {
            base += L"Temp\\";
        }
        SECURITY_ATTRIBUTES security{};
        security.nLength = sizeof security;
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                administrators_ ? L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)"
                                : L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;OW)",
                SDDL_REVISION_1, &security.lpSecurityDescriptor, nullptr)) {
            error_ = ::GetLastError();
            return;
        }
        std::random_device random;
        error_ = ERROR_ALREADY_EXISTS;
        for (int attempt = 0; attempt < 16 && error_ == ERROR_ALREADY_EXISTS; ++attempt) {
            wchar_t name[32];
            std::swprintf(name, 32, L"korvex-%08x%08x", random(), random());
            if (::CreateDirectoryW((base + name).c_str(), &security)) {
                path_ = base + name;
                error_ = ERROR_SUCCESS;
            } else {
                error_ = ::GetLastError();
            }
        }
        ::LocalFree(security.lpSecurityDescriptor);
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
    // The directory and who may write to it, for the log.
    std::string Describe() const {
        return Narrow(path_) + (administrators_ ? ", which only the system and the "
                                                  "administrators may write to"
                                                : ", in the user's temporary directory, which "
                                                  "the user may write to");
    }

private:
    std::wstring path_;
    bool administrators_ = false;
    DWORD error_ = ERROR_SUCCESS;
};

// The Binary table's stream `name`, read whole into `bytes`; the error code or 0.
DWORD ReadBinary(MSIHANDLE install, const wchar_t* name, std::vector<char>& bytes) {
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
    bytes.clear();
    char buffer[64 * 1024];
    for (;;) {
        DWORD size = sizeof buffer;
        if (const UINT error = ::MsiRecordReadStream(row.get(), 1, buffer, &size)) {
            return error;
        }
        if (size == 0) {
            return ERROR_SUCCESS;
        }
        bytes.insert(bytes.end(), buffer, buffer + size);
    }
}

// A program file the custom action writes, then holds open until the program has ended by a
// handle that shares reading alone: while it is held nobody can write to the file, delete it or
// rename it, so the program Windows starts from its path is the file that was read back.
class HeldFile {
public:
    HeldFile() = default;
    ~HeldFile() {
        if (held_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(held_);
        }
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Writes `bytes` into the new file `path` and holds it; the error code or 0.
    DWORD Write(const std::wstring& path, const std::vector<char>& bytes) {
        HANDLE writer = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (writer == INVALID_HANDLE_VALUE) {
            return ::GetLastError();
        }
        DWORD error = ERROR_SUCCESS;
        DWORD written = 0;
        if (!::WriteFile(writer, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr)) {
            error = ::GetLastError();
        } else if (written != bytes.size()) {
            error = ERROR_WRITE_FAULT;
        }
        // Windows does not start a program that is open for writing. A reader that shares the
        // writer's writing bridges the moment from writer to holder, so that the file is never
        // without a handle that refuses its deletion: a process that opened it for writing in
        // that moment keeps the holder from opening it, and what it wrote shows when the file
        // is read back.
        HANDLE bridge = INVALID_HANDLE_VALUE;
        if (error == ERROR_SUCCESS) {
            bridge = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            error = bridge == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
        }
        ::CloseHandle(writer);
        if (error == ERROR_SUCCESS) {
            held_ = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            error = held_ == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
        }
        if (bridge != INVALID_HANDLE_VALUE) {
            ::CloseHandle(bridge);
        }
        return error;
    }

    // Whether the held file, read from its start, holds exactly `bytes`.
    bool Holds(const std::vector<char>& bytes) const {
        LARGE_INTEGER start{};
        if (!::SetFilePointerEx(held_, start, nullptr, FILE_BEGIN)) {
            return false;
        }
        // One byte more than expected shows a longer file.
        std::vector<char> read(bytes.size() + 1);
        std::size_t offset = 0;
        DWORD count = 0;
        while (offset < read.size() &&
               ::ReadFile(held_, read.data() + offset, static_cast<DWORD>(read.size() - offset),
                          &count, nullptr) &&
               count > 0) {
            offset += count;
        }
        return offset == bytes.size() && std::equal(bytes.begin(), bytes.end(), read.begin());
    }

private:
    HANDLE held_ = INVALID_HANDLE_VALUE;
};

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
        log.Say("no work directory: " + Describe(work.error()) + "; the installation fails");
        return kFailure;
    }
    log.Say("work directory " + work.Describe());
    std::wstring path = request.program;
    std::string version;
    HeldFile held;
    if (program == Program::UpgradePrep) {
        // Before the files are installed the program exists only inside the package.
        path = work.File(L"upgradeprep.exe");
        std::vector<char> bytes;
        DWORD error = ReadBinary(install, L"upgradeprep.exe", bytes);
        if (error == ERROR_SUCCESS) {
            error = held.Write(path, bytes);
        }
        if (error != ERROR_SUCCESS) {
            log.Say("upgradeprep.exe cannot be taken from the package: " + Describe(error) +
                    "; the installation fails");
            return kFailure;
        }
        if (!held.Holds(bytes)) {
            log.Say("upgradeprep.exe in the work directory is not the package's: not started; "
                    "the installation fails");
            return kFailure;
        }
        log.Say("upgradeprep.exe written, held open and read back the same as the package's (" +
                std::to_string(bytes.size()) + " bytes)");
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
    const unattended::Switches switches = ProgramSwitches(
        request.properties, Narrow(work.File(L"program.log")), Narrow(work.File(L"progress")));
    const std::wstring programLog = Widen(switches.log);
    const LONGLONG logStart = FileSize(programLog);
    const std::string arguments = ProgramArguments(switches, version);
    log.Say("starting \"" + Narrow(path) + "\" " + arguments + " in " + Narrow(directory));
    ProgressRelay progress(install, work.File(L"progress"));
    const Finished finished =
        RunAndWait(path, Widen(arguments), directory, [&progress] { progress.Poll(); });
    progress.Finish();
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
