// The system-selection dialog of the Mira map copying: its check-box grid, OK and Cancel.
#include "frontend/maps/MiraCopy.h"

#include <stdexcept>
#include <string>

#include "frontend/dialogs/DialogSupport.h"
#include "product/Korvex.h"

namespace korvex::frontend {

using platform::ControlKind;

MiraCopy::MiraCopy(platform::Platform& machine) : machine_(machine) {
    controls_.push_back(MakeControl("Label1", ControlKind::Label,
                                    "Select the systems requiring the Mira Maps",
                                    {1170, 300, 4560, 255}));
    constexpr int kColumnLeft[] = {720, 3000, 5040};
    constexpr int kRowTop[] = {720, 1200, 1680, 2160, 2640};
    // The two buttons take the first places in the tab order, the check boxes follow.
    for (int i = 0; i < product::kSystems; ++i) {
        controls_.push_back(MakeControl(
            ArrayName("Check1", i), ControlKind::CheckBox, "System" + std::to_string(i + 1),
            {kColumnLeft[i % 3], kRowTop[i / 3], 1275, 285}, -1, 2 + i));
    }
    controls_.push_back(
        MakeControl("OkButton", ControlKind::CommandButton, "OK", {1590, 3360, 1320, 390}, -1, 0));
    controls_.push_back(MakeControl("CancelButton", ControlKind::CommandButton, "Cancel",
                                    {3960, 3360, 1320, 390}, -1, 1));
}

void MiraCopy::Load() {
    for (platform::Control& control : controls_) {
        control.checked = false;
    }
    SystemSelected.fill(false);
}

bool MiraCopy::Command(std::string_view buttonName, platform::DialogClose& closedAs) {
    if (buttonName == "OkButton") {
        for (int i = 0; i < product::kSystems; ++i) {
            SystemSelected[static_cast<std::size_t>(i)] = IsChecked(ArrayName("Check1", i));
        }
        closedAs = platform::DialogClose::Ok;
        return true;
    }
    if (buttonName == "CancelButton") {
        platform::MessageBoxRequest request;
        request.text = "Mira Maps Will Not Be Loaded";
        request.title = std::string(product::kFrontEndTitle);
        request.buttons = platform::Buttons::Ok;
        request.icon = platform::Icon::Information;
        (void)machine_.ui.ShowMessage(request);
        closedAs = platform::DialogClose::Cancel;
        return true;
    }
    return false;
}

void MiraCopy::ApplyAnswer(std::string_view key, std::string_view value) {
    if (key == "Systems") {
        TickListedSystems(*this, value);
    }
}

platform::DialogModel::Answers MiraCopy::RecordAnswers() const {
    return {{"Systems", TickedSystems(*this)}};
}

bool MiraCopy::CopyMapToSystem(std::int16_t sys) const {
    if (sys < 0 || sys >= static_cast<std::int16_t>(SystemSelected.size())) {
        throw std::out_of_range("system index " + std::to_string(sys) +
                                " is outside SystemSelected (0 to 15)");
    }
    return SystemSelected[static_cast<std::size_t>(sys)];
}

} // namespace korvex::frontend
