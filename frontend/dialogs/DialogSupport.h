// Helpers the dialog models share: building their controls, answering their system lists and
// writing their INI keys.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Dialog.h"
#include "platform/Platform.h"
#include "platform/unattended/AnswerFile.h"
#include "product/Korvex.h"

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

// Answer files name systems by number in a list ("1,10"): the check boxes Check1(i) of the
// listed systems i + 1 are ticked and the others cleared, and the list of ticked ones is
// recorded.
inline void TickListedSystems(platform::DialogModel& dialog, std::string_view list) {
    const std::vector<int> systems =
        unattended::ParseNumberList(list, product::kSystems).value_or(std::vector<int>{});
    for (int i = 0; i < product::kSystems; ++i) {
        dialog.SetChecked(ArrayName("Check1", i),
                          std::find(systems.begin(), systems.end(), i + 1) != systems.end());
    }
}

inline std::string TickedSystems(const platform::DialogModel& dialog) {
    std::vector<int> systems;
    for (int i = 0; i < product::kSystems; ++i) {
        if (dialog.IsChecked(ArrayName("Check1", i))) {
            systems.push_back(i + 1);
        }
    }
    return unattended::FormatNumberList(systems);
}

// Writes one key through the profile-string service. The outcome is not acted on here: a
// failed write leaves the file as it was and the next write still happens; the run's profile
// service remembers the failure, and the run lists it at its end.
inline void WriteIniKey(platform::Platform& machine, std::string_view file,
                        std::string_view section, std::string_view key, std::string_view value) {
    (void)machine.profile.WriteString(section, key, value, file);
}

} // namespace korvex::frontend
