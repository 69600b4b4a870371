// The connection and map-processing dialog: its controls, OK and Cancel.
#include "frontend/dialogs/KORVExConf.h"

#include "frontend/dialogs/DialogSupport.h"

namespace korvex::frontend {

using platform::ControlKind;

KORVExConf::KORVExConf(platform::Platform& machine, bool& SetupCancelled)
    : machine_(machine), SetupCancelled_(SetupCancelled) {
    // Each group box comes before the controls it holds; their rects are relative to it.
    const int frame1 = static_cast<int>(controls_.size());
    controls_.push_back(MakeControl("Frame1", ControlKind::GroupBox, "Connection Configuration",
                                    {600, 360, 4935, 1335}));
    controls_.push_back(MakeControl("EthernetOption", ControlKind::OptionButton,
                                    "Ethernet Connection", {360, 360, 4215, 255}, frame1, 2));
    controls_.push_back(MakeControl("SerialOption", ControlKind::OptionButton, "Serial Connection",
                                    {360, 840, 4215, 255}, frame1, 3));
    const int frame2 = static_cast<int>(controls_.size());
    controls_.push_back(
        MakeControl("Frame2", ControlKind::GroupBox, "Map Processing", {600, 1920, 4935, 2295}));
    controls_.push_back(MakeControl("DoNothingOption", ControlKind::OptionButton,
                                    "No Conversion required", {360, 600, 4215, 255}, frame2, 5));
    controls_.push_back(MakeControl("ConvertOption", ControlKind::OptionButton,
                                    "I want to convert my old CCF (TELM) maps",
                                    {360, 1080, 4215, 255}, frame2, 4));
    controls_.push_back(MakeControl("CopyMira", ControlKind::CheckBox, "Copy Mira Maps",
                                    {360, 1680, 4215, 255}, frame2, 6));
    controls_.push_back(
        MakeControl("OKButton", ControlKind::CommandButton, "OK", {1560, 4440, 1215, 375}, -1, 0));
    controls_.push_back(MakeControl("CancelButton", ControlKind::CommandButton, "Cancel",
                                    {3240, 4440, 1215, 375}, -1, 1));
    Load();
}

void KORVExConf::Load() {
    for (platform::Control& control : controls_) {
        control.checked = false;
    }
    SetChecked("SerialOption", true);
    SetChecked("DoNothingOption", true);
    mapsfromccf = false;
    CopyMiraMaps = false;
}

bool KORVExConf::Command(std::string_view buttonName, platform::DialogClose& closedAs) {
    if (buttonName == "OKButton") {
        mapsfromccf = IsChecked("ConvertOption");
        CopyMiraMaps = IsChecked("CopyMira");
        if (IsChecked("EthernetOption")) {
            WriteIniKey(machine_, "NELK.INI", "Comms", "Link Type", "Ethernet-System");
            WriteIniKey(machine_, "NELK.INI", "Comms", "Ethernet Type", "Winsock");
        } else {
            WriteIniKey(machine_, "NELK.INI", "Comms", "Link Type", "Serial-System");
        }
        SetupCancelled_ = false;
        closedAs = platform::DialogClose::Ok;
        return true;
    }
    if (buttonName == "CancelButton") {
        SetupCancelled_ = true;
        mapsfromccf = false;
        CopyMiraMaps = false;
        closedAs = platform::DialogClose::Cancel;
        return true;
    }
    return false;
}

void KORVExConf::ApplyAnswer(std::string_view key, std::string_view value) {
    if (key == "Connection") {
        SetChecked(value == "Ethernet" ? "EthernetOption" : "SerialOption", true);
    } else if (key == "Maps") {
        SetChecked(value == "Convert" ? "ConvertOption" : "DoNothingOption", true);
    } else if (key == "CopyMira") {
        SetChecked("CopyMira", value == "Yes");
    }
}

platform::DialogModel::Answers KORVExConf::RecordAnswers() const {
    return {{"Connection", IsChecked("EthernetOption") ? "Ethernet" : "Serial"},
            {"Maps", IsChecked("ConvertOption") ? "Convert" : "NoConversion"},
            {"CopyMira", IsChecked("CopyMira") ? "Yes" : "No"}};
}

} // namespace korvex::frontend
