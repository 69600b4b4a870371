// Helpers the dialog tests share: a profile that records each write, scripts that note the
// states a dialog opened with, and the layout rules every dialog model keeps.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/Dialog.h"
#include "platform/Profile.h"
#include "platform/memory/ScriptedUserInterface.h"

namespace korvex::frontend::testing {

// Passes every write on to the machine's profile and keeps "FILE [Section] Key=Value" lines in
// call order, which the files themselves cannot show across sections and files.
class RecordingProfile final : public platform::Profile {
public:
    explicit RecordingProfile(platform::Profile& inner) : inner_(inner) {}
    Status WriteString(std::string_view section, std::string_view key, std::string_view value,
                       std::string_view file) override {
        writes.push_back(std::string(file) + " [" + std::string(section) + "] " + std::string(key) +
                         "=" + std::string(value));
        return inner_.WriteString(section, key, value, file);
    }
    std::vector<std::string> writes;

private:
    platform::Profile& inner_;
};

// A script that notes the control states the dialog opened with, then works it like `then`.
inline memory::ScriptedUserInterface::DialogScript
NotingOpeningStates(std::string& states, memory::ScriptedUserInterface::DialogScript then) {
    return [&states, then](platform::DialogModel& dialog) {
        states = dialog.DescribeStates();
        return then(dialog);
    };
}

// The names of the controls in tab order.
inline std::vector<std::string> TabOrder(const platform::DialogModel& dialog) {
    std::vector<const platform::Control*> stops;
    for (const platform::Control& control : dialog.Controls()) {
        if (control.tabIndex >= 0) {
            stops.push_back(&control);
        }
    }
    std::sort(stops.begin(), stops.end(),
              [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
    std::vector<std::string> names;
    for (const platform::Control* control : stops) {
        names.push_back(control->name);
    }
    return names;
}

// What a view relies on: unique names; a container that is a group box listed earlier; a rect
// inside its container's (or the client area's) bounds; tab indexes 0 ... n-1 each once,
// on every option button, check box and command button and on nothing else.
inline void ExpectViewableLayout(const platform::DialogModel& dialog) {
    const auto& controls = dialog.Controls();
    const platform::Twips client = dialog.ClientArea();
    std::set<std::string> names;
    std::set<int> tabIndexes;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const platform::Control& control = controls[i];
        SCOPED_TRACE(std::string(dialog.Name()) + " " + control.name);
        EXPECT_TRUE(names.insert(control.name).second) << "name used twice";
        int width = client.width;
        int height = client.height;
        if (control.container >= 0) {
            ASSERT_LT(static_cast<std::size_t>(control.container), i);
            const platform::Control& box = controls[static_cast<std::size_t>(control.container)];
            EXPECT_EQ(box.kind, platform::ControlKind::GroupBox);
            width = box.rect.width;
            height = box.rect.height;
        } else {
            EXPECT_EQ(control.container, -1);
        }
        EXPECT_GE(control.rect.left, 0);
        EXPECT_GE(control.rect.top, 0);
        EXPECT_GT(control.rect.width, 0);
        EXPECT_GT(control.rect.height, 0);
        EXPECT_LE(control.rect.left + control.rect.width, width);
        EXPECT_LE(control.rect.top + control.rect.height, height);
        const bool focusable = control.kind == platform::ControlKind::OptionButton ||
                               control.kind == platform::ControlKind::CheckBox ||
                               control.kind == platform::ControlKind::CommandButton;
        EXPECT_EQ(control.tabIndex >= 0, focusable);
        if (control.tabIndex >= 0) {
            EXPECT_TRUE(tabIndexes.insert(control.tabIndex).second) << "tab index used twice";
        }
    }
    if (!tabIndexes.empty()) {
        EXPECT_EQ(*tabIndexes.begin(), 0);
        EXPECT_EQ(*tabIndexes.rbegin(), static_cast<int>(tabIndexes.size()) - 1);
    }
}

} // namespace korvex::frontend::testing
