// The machine as the programs see it: one reference to each platform service.
//
// Production:  the entry point builds win32::Win32FileSystem, Win32Profile, ... and a Log,
//              and an unattended::Session composes them into a Platform.
// Tests:       memory::MemoryWindows windows;     Run(windows.platform());
#pragma once

#include "platform/FileSystem.h"
#include "platform/Installer.h"
#include "platform/Log.h"
#include "platform/Profile.h"
#include "platform/Progress.h"
#include "platform/SystemInfo.h"
#include "platform/UserInterface.h"

namespace korvex::platform {

struct Platform {
    FileSystem& files;
    Profile& profile;
    Installer& installer;
    SystemInfo& system;
    UserInterface& ui;
    Log& log;
    Progress& progress;
};

} // namespace korvex::platform
