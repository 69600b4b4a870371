// Entry point of upgradeprep.exe: builds the Win32 machine and runs the tool on it.
#include "platform/win32/Process.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Installer.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32SystemInfo.h"
#include "platform/win32/Win32UserInterface.h"
#include "upgradeprep/Entry.h"

// Last, for the WinMain signature only: its macros (DeleteFile, MoveFile, ...) would rename the
// platform interfaces' methods in the headers above.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything can load a library: only from the system folder.
    korvex::win32::LoadLibrariesFromSystemFolderOnly();
    // The drive search asks every drive letter; one without a medium must answer "not ready"
    // rather than stop the run for the system's "no disk" box.
    korvex::win32::QuietCriticalErrors();

    korvex::win32::Win32FileSystem files;
    korvex::win32::Win32Profile profile;
    korvex::win32::Win32Installer installer;
    korvex::win32::Win32SystemInfo system;
    korvex::win32::Win32UserInterface ui;
    using korvex::win32::EnvironmentVariable;
    korvex::unattended::Switches switches;
    switches.answers = EnvironmentVariable("KORVEX_ANSWERS").value_or("");
    switches.record = EnvironmentVariable("KORVEX_RECORD").value_or("");
    switches.log = EnvironmentVariable("KORVEX_LOG").value_or("");

    // The whole command line, program name included: lpCmdLine is in the ANSI code page.
    return korvex::upgradeprep::RunUpgradePrepProgram(
        switches, {files, profile, installer, system, ui}, korvex::win32::CommandLine());
}
