// Entry point of upgradeprep.exe: builds the Win32 machine, reads the switches from the command
// line or the environment and runs the tool on it.
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
    // The whole command line, program name included: lpCmdLine is in the ANSI code page.
    return korvex::upgradeprep::RunUpgradePrepProgram(
        korvex::unattended::ReadProgramStart(korvex::win32::CommandLine(),
                                             korvex::win32::EnvironmentVariable),
        {files, profile, installer, system, ui});
}
