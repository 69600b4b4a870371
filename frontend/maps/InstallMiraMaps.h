// Mira map copying: finding the "Mira Maps" directory on a CD-ROM drive and copying its six
// map sets into the map directories of the systems the user picks.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "frontend/fsutil/DirectoryTree.h"
#include "frontend/maps/MiraCopy.h"
#include "platform/Platform.h"

namespace korvex::frontend {

// The "Mira Maps" directory the maps come from: on the start drive (the current directory's
// drive) when that is a CD-ROM drive, and then only there; otherwise on the first CD-ROM drive
// from A: to Z: that holds it. Other drive types are never looked at; a drive without a medium
// does not hold it. Nothing when no drive qualifies.
std::optional<std::string> FindMiraMaps(platform::FileSystem& files);

// "C:\TELMIMAP\S01" ... "C:\TELMIMAP\S15": the map directory of system 1 ... 15.
std::string SystemMapDirectory(std::string_view driveRoot, int system);

// Finds the disc (else says "No Mira Maps To Copy"), asks whether to copy to
// driveRoot + "TELMIMAP" ("CopyMiraMaps"), shows the MiraCopy dialog (created here on first
// use and kept in `dialog`), then for each picked system in order and each map set in table
// order: asks before replacing an existing target ("OverwriteMap.S02.ob_map"), creates the
// system's directory (one level) when missing and copies the set's tree under the wait cursor.
// Each file of the disc is read once: a set's first copy comes from the disc, the later systems'
// copies of it from that first copy, call for call as a copy from the disc would go.
// A failure to create a directory or to copy ends the step at once and is returned; the wait
// cursor is still on then, and the caller puts it back. What was copied before stays.
[[nodiscard]] Status InstallMiraMaps(platform::Platform& machine, std::optional<MiraCopy>& dialog,
                                     std::string_view driveRoot);

} // namespace korvex::frontend
