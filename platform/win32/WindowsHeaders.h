// <windows.h> for the Win32 backend, without the macros that would rename the platform
// interfaces' methods. With UNICODE, <windows.h> defines CopyFile as CopyFileW and so on, which
// turns FileSystem::CopyFile into CopyFileW in every file that sees both. Code under
// platform/win32 includes this header instead of <windows.h> and calls the W functions by
// their full names.
#pragma once

#include <windows.h>

#undef CopyFile
#undef CreateDirectory
#undef DeleteFile
#undef GetDriveType
#undef GetShortPathName
#undef MoveFile
#undef RemoveDirectory
