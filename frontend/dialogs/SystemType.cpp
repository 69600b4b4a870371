// The system type dialog: its fifteen rows, OK and Cancel, and the frame keys it writes.
#include "frontend/dialogs/SystemType.h"

#include "frontend/dialogs/DialogSupport.h"

namespace korvex::frontend {

using platform::ControlKind;

namespace {

std::string KeyName(int system) {
    return "System" + std::to_string(system);
}

// The frame models as answer files name them, with the option button of each.
struct FrameModel {
    const char* word;
    const char* option;
};
constexpr FrameModel kFrameModels[] = {
    {"Ostrel", "Option1"}, {"Pennet", "Option3"}, {"Quarne", "Option4"}, {"Mira", "Option5"}};

} // namespace

SystemType::SystemType(platform::Platform& machine, bool& SetupCancelled)
    : machine_(machine), SetupCancelled_(SetupCancelled) {
    controls_.push_back(MakeControl("Label1", ControlKind::Label,
                                    "Select System Type For Each System", {165, 180, 4725, 375}, -1,
                                    -1, {13.5, false}));
    controls_.push_back(MakeControl("Label3", ControlKind::Label,
                                    "Check for multiple frames stacked with first frame from top",
                                    {7170, 120, 2235, 615}, -1, -1, {8.25, true}));
    // Five focusable controls per row: the four option buttons and the check box.
    constexpr int kRowStops = 5;
    for (int i = 0; i < product::kSystems; ++i) {
        const int frame = static_cast<int>(controls_.size());
        const int firstStop = i * kRowStops;
        controls_.push_back(MakeControl(ArrayName("Frame1", i), ControlKind::GroupBox, "",
                                        {135, 720 + 480 * i, 9135, 495}));
        controls_.push_back(MakeControl(ArrayName("Label2", i), ControlKind::Label,
                                        KeyName(i + 1) + " :", {105, 180, 1095, 255}, frame));
        controls_.push_back(MakeControl(ArrayName("Option1", i), ControlKind::OptionButton,
                                        "Ostrel[9U]", {1080, 165, 1275, 255}, frame, firstStop));
        controls_.push_back(MakeControl(ArrayName("Option3", i), ControlKind::OptionButton,
                                        "Pennet[4U]", {2370, 165, 1275, 255}, frame,
                                        firstStop + 1));
        controls_.push_back(MakeControl(ArrayName("Option4", i), ControlKind::OptionButton,
                                        "Quarne [4U]", {3675, 165, 1275, 255}, frame,
                                        firstStop + 2));
        controls_.push_back(MakeControl(ArrayName("Option5", i), ControlKind::OptionButton, "Mira",
                                        {5040, 165, 1275, 255}, frame, firstStop + 3));
        controls_.push_back(MakeControl(ArrayName("Check1", i), ControlKind::CheckBox,
                                        "Stack From Top", {7305, 165, 1575, 255}, frame,
                                        firstStop + 4));
    }
    controls_.push_back(MakeControl("OKButton", ControlKind::CommandButton, "OK",
                                    {3000, 8100, 1215, 375}, -1, product::kSystems * kRowStops));
    controls_.push_back(MakeControl("CancelButton", ControlKind::CommandButton, "Cancel",
                                    {5520, 8100, 1215, 375}, -1,
                                    product::kSystems * kRowStops + 1));
    Load();
}

void SystemType::Load() {
    for (int n = 1; n <= product::kSystems; ++n) {
        SystemKeyNames[static_cast<std::size_t>(n - 1)] = KeyName(n);
    }
    for (platform::Control& control : controls_) {
        control.checked = false;
    }
    for (int i = 0; i < product::kSystems; ++i) {
        SetChecked(ArrayName("Option1", i), true);
    }
}

std::string_view SystemType::FrameTypeCode(int row) const {
    if (IsChecked(ArrayName("Option3", row))) {
        return "2";
    }
    if (IsChecked(ArrayName("Option4", row))) {
        return "3";
    }
    if (IsChecked(ArrayName("Option5", row))) {
        return "4";
    }
    return "0";
}

void SystemType::WriteOut() {
    for (int n = 1; n <= product::kSystems; ++n) {
        const int i = n - 1;
        const std::string& key = SystemKeyNames[static_cast<std::size_t>(i)];
        const std::string_view code = FrameTypeCode(i);
        WriteIniKey(machine_, "ZELMAIN.INI", "FrameType", key, code);
        if (code == "4") {
            WriteIniKey(machine_, "NELK.INI", "Multiple Maps", "Max Map Number", "6");
        }
        WriteIniKey(machine_, "ZELMAIN.INI", "FrameDirection", key,
                    IsChecked(ArrayName("Check1", i)) ? "1" : "0");
    }
}

bool SystemType::Command(std::string_view buttonName, platform::DialogClose& closedAs) {
    if (buttonName == "OKButton") {
        SetupCancelled_ = false;
        WriteOut();
        closedAs = platform::DialogClose::Ok;
        return true;
    }
    if (buttonName == "CancelButton") {
        SetupCancelled_ = true;
        closedAs = platform::DialogClose::Cancel;
        return true;
    }
    return false;
}

void SystemType::ApplyAnswer(std::string_view key, std::string_view value) {
    if (key == "StackFromTop") {
        TickListedSystems(*this, value);
        return;
    }
    for (int n = 1; n <= product::kSystems; ++n) {
        if (key != KeyName(n)) {
            continue;
        }
        for (const FrameModel& model : kFrameModels) {
            if (value == model.word) {
                SetChecked(ArrayName(model.option, n - 1), true);
            }
        }
    }
}

platform::DialogModel::Answers SystemType::RecordAnswers() const {
    Answers answers;
    for (int n = 1; n <= product::kSystems; ++n) {
        for (const FrameModel& model : kFrameModels) {
            if (IsChecked(ArrayName(model.option, n - 1))) {
                answers.emplace_back(KeyName(n), model.word);
            }
        }
    }
    answers.emplace_back("StackFromTop", TickedSystems(*this));
    return answers;
}

} // namespace korvex::frontend
