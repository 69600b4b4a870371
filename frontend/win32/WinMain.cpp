// Windows entry point of VarenInstall: builds the Win32 machine and runs the installation.
// This file holds only Windows-specific code.
#include <windows.h>

#include "frontend/driver/KorvexConfig.h"
#include "platform/win32/Process.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Installer.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32SystemInfo.h"
#include "platform/win32/Win32UserInterface.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    korvex::win32::QuietCriticalErrors();
    korvex::win32::Win32FileSystem files;
    korvex::win32::Win32Profile profile;
    korvex::win32::Win32Installer installer;
    korvex::win32::Win32SystemInfo system;
    korvex::win32::Win32UserInterface ui;
    korvex::platform::Log log;
    korvex::platform::Platform machine{files, profile, installer, system, ui, log};
    korvex::frontend::KorvexConfig run(machine);
    return korvex::frontend::Main(run);
}
