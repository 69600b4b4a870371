// Old-format map preparation: copying the CCF map tree "C:\MAP" into the product's map
// directory, when the user agrees.
#pragma once

#include <string_view>

#include "frontend/fsutil/DirectoryTree.h"
#include "platform/Platform.h"

namespace korvex::frontend {

// The old CCF maps always live here, whatever drive the product is on.
inline constexpr std::string_view kCcfMapDirectory = "C:\\MAP";

// With "C:\MAP" missing, says "no CCF Maps To Copy"; otherwise asks whether to use it for
// driveRoot + "TELMIMAP" ("UseCcfMaps"), and on Yes, when that directory exists already,
// whether to continue into it ("ContinueIntoExistingMaps"); then merges the tree into it. The
// wait cursor goes on after the first message and back to normal at the end.
// A failure of the tree copy ends the step at once and is returned; the wait cursor is still
// on then, and the caller puts it back. What was copied before the failure stays.
[[nodiscard]] Status CopyCcfMaps(platform::Platform& machine, std::string_view driveRoot);

} // namespace korvex::frontend
