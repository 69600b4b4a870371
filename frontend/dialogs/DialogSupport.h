// Helpers the dialog models share: building their controls and writing their INI keys.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/Dialog.h"
#include "platform/Platform.h"

namespace korvex::frontend {

// "Option1(3)": the name of index 3 of the control array Option1.
inline std::string ArrayName(std::string_view array, int index) {
    return std::string(array) + "(" + std::to_string(index) + ")";
}

// One control in its closed state (not checked). `container` is the index of the group box
// that holds it, whose client area its rect is relative to; -1 for the dialog. `tabIndex` is
// -1 for controls that take no focus.
inline platform::Control MakeControl(std::string name, platform::ControlKind kind,
                                     std::string caption, platform::Twips rect, int container = -1,
                                     int tabIndex = -1, platform::Font font = {}) {
    platform::Control control;
    control.name = std::move(name);
    control.kind = kind;
    control.caption = std::move(caption);
    control.rect = rect;
    control.container = container;
    control.tabIndex = tabIndex;
    control.font = font;
    return control;
}

// Writes one key through the profile-string service. The outcome is not acted on: a failed
// write leaves the file as it was and the next write still happens; the run's logging layer
// records every write with its outcome.
inline void WriteIniKey(platform::Platform& machine, std::string_view file,
                        std::string_view section, std::string_view key, std::string_view value) {
    (void)machine.profile.WriteString(section, key, value, file);
}

} // namespace korvex::frontend
