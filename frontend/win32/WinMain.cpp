// Windows entry point of VarenInstall: builds the Win32 machine, reads the switches from the
// command line or the environment and runs the installation. This file holds only
// Windows-specific code.
#include "frontend/driver/Entry.h"
#include "platform/win32/Process.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Installer.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32SystemInfo.h"
#include "platform/win32/Win32UserInterface.h"

// Last, for the WinMain signature only: its macros (DeleteFile, MoveFile, ...) would rename the
// platform interfaces' methods in the headers above.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything can load a library: only from the system folder.
    korvex::win32::LoadLibrariesFromSystemFolderOnly();
    korvex::win32::QuietCriticalErrors();
    korvex::win32::Win32FileSystem files;
    korvex::win32::Win32Profile profile;
    korvex::win32::Win32Installer installer;
    korvex::win32::Win32SystemInfo system;
    korvex::win32::Win32UserInterface ui;
    return korvex::frontend::RunVarenInstall(
        korvex::unattended::ReadProgramStart(korvex::win32::CommandLine(),
                                             korvex::win32::EnvironmentVariable),
        {files, profile, installer, system, ui});
}
