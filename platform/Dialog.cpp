// Control lookup and the exclusive-group rule of option buttons.
#include "platform/Dialog.h"

namespace korvex::platform {

int DialogModel::Find(std::string_view name) const {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool DialogModel::IsChecked(std::string_view name) const {
    const int index = Find(name);
    return index >= 0 && controls_[static_cast<std::size_t>(index)].checked;
}

void DialogModel::SetChecked(std::string_view name, bool checked) {
    const int index = Find(name);
    if (index < 0) {
        return;
    }
    Control& control = controls_[static_cast<std::size_t>(index)];
    if (control.kind == ControlKind::CheckBox) {
        control.checked = checked;
    } else if (control.kind == ControlKind::OptionButton && checked) {
        for (Control& other : controls_) {
            if (other.kind == ControlKind::OptionButton && other.container == control.container) {
                other.checked = false;
            }
        }
        control.checked = true;
    }
}

std::string DialogModel::DescribeStates() const {
    std::string out;
    for (const Control& control : controls_) {
        if (control.kind != ControlKind::OptionButton && control.kind != ControlKind::CheckBox) {
            continue;
        }
        if (!out.empty()) {
            out += ' ';
        }
        out += control.name + (control.checked ? "=1" : "=0");
    }
    return out;
}

} // namespace korvex::platform
