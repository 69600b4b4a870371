// What a folder is, for code that runs with administrator rights on a PC where others sign in
// with standard accounts: a link or not, and who may change it. Any signed-in user may make
// folders at a drive's root, links included, and change what is in the folders made there; the
// programs change nothing through such a link, and take files only from folders nobody but the
// system and the administrators can change.
#pragma once

#include <string>
#include <string_view>

#include "platform/Error.h"
#include "platform/FileSystem.h"

namespace korvex::platform {

// The failure of a change refused because `path` is a link: ERROR_STOPPED_ON_SYMLINK, operation
// "refuse", with a text that says why.
WinError LinkRefused(std::string path);

// Whether a path is absolute: "C:\..." or a network path "\\server\share\...".
bool IsAbsolutePath(std::string_view path);

// Checks the directories of an absolute path from the first one below its root down to the path
// itself: the first that is a link is refused (LinkRefused). A directory that does not exist
// ends the check, since nothing below it exists either (whoever makes it checks it again). A
// query that fails otherwise is returned, operation "read attributes".
Status RefuseLinks(FileSystem& files, std::string_view path);

// A folder the programs may take files from and put files in with their rights: it is no link
// and nobody but the system, the administrators, the installer service or this program's own
// account may change it. Otherwise a failure with operation "refuse" that says why (a link:
// LinkRefused; a folder others may change: ERROR_ACCESS_DENIED naming who).
Status RefuseUnprotected(FileSystem& files, std::string_view directory);

} // namespace korvex::platform
