// Windows entry point of VarenInstall: builds the Win32 machine, reads the switches from the
// environment and runs the installation. This file holds only Windows-specific code.
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
    using korvex::win32::EnvironmentVariable;
    // Before anything can load a library: only from the system folder.
    korvex::win32::LoadLibrariesFromSystemFolderOnly();
    korvex::win32::QuietCriticalErrors();
    korvex::win32::Win32FileSystem files;
    korvex::win32::Win32Profile profile;
    korvex::win32::Win32Installer installer;
    korvex::win32::Win32SystemInfo system;
    korvex::win32::Win32UserInterface ui;
    korvex::unattended::Switches switches;
    switches.answers = EnvironmentVariable("KORVEX_ANSWERS").value_or("");
    switches.record = EnvironmentVariable("KORVEX_RECORD").value_or("");
    switches.log = EnvironmentVariable("KORVEX_LOG").value_or("");
    return korvex::frontend::RunVarenInstall(switches, {files, profile, installer, system, ui});
}
