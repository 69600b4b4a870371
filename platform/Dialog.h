// A modal dialog as a portable model: its caption, its controls with their kinds, captions,
// layout in twips and states, and what its command buttons and close box do. A platform view
// only shows the model and reports clicks; an unattended run fills the same model from an
// answer file.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvex::platform {

enum class ControlKind { Label, GroupBox, OptionButton, CheckBox, CommandButton };

// A rectangle in twips (1440 to the inch; 15 to a pixel at 96 dpi), relative to the client
// area of the control's container: the dialog, or the group box that holds it.
struct Twips {
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const Twips&, const Twips&) = default;
};

struct Font {
    double points = 8.25; // MS Sans Serif 8.25 unless said otherwise
    bool bold = false;
    friend bool operator==(const Font&, const Font&) = default;
};

struct Control {
    std::string name; // "OKButton", "Option1(3)" for index 3 of a control array
    ControlKind kind = ControlKind::Label;
    std::string caption;
    Twips rect;
    int container = -1; // index of the group box that holds it; -1 for the dialog itself
    int tabIndex = -1;  // place in the tab order; -1 for controls that take no focus
    Font font;
    bool checked = false; // option button selected, check box ticked
};

// How a modal dialog was closed.
enum class DialogClose { Ok, Cancel, CloseBox };

class DialogModel {
public:
    virtual ~DialogModel() = default;

    // The dialog's stable name ("KORVExConf"), used in answer files and the log.
    virtual std::string_view Name() const = 0;
    // The caption of its window.
    virtual std::string_view Caption() const = 0;
    // Client area size in twips.
    virtual Twips ClientArea() const = 0;

    // Puts every control in its opening state. Called each time the dialog is shown.
    virtual void Load() = 0;
    // A command button was pressed. Returns how the dialog closes, or false when it stays
    // open. The model does the button's work (INI writes, result fields) before it returns.
    virtual bool Command(std::string_view buttonName, DialogClose& closedAs) = 0;
    // The window's close box was used.
    virtual void CloseBox() = 0;

    // Answer files. Each dialog declares the keys of its section; an unattended run hands it
    // each key of the section with its checked value after Load, and a recording run asks it
    // for the keys that give its controls' present states. (How the dialog closed, the key
    // "Button", is the answer layer's own.) A dialog without keys of its own answers nothing.
    using Answers = std::vector<std::pair<std::string, std::string>>;
    virtual void ApplyAnswer(std::string_view key, std::string_view value) {
        (void)key;
        (void)value;
    }
    virtual Answers RecordAnswers() const { return {}; }

    const std::vector<Control>& Controls() const { return controls_; }
    // Index of the control with that name, or -1.
    int Find(std::string_view name) const;
    bool IsChecked(std::string_view name) const;
    // An option button becomes selected and the other option buttons of its container clear;
    // a check box takes the given state. Other kinds and unknown names are ignored.
    void SetChecked(std::string_view name, bool checked);
    // A summary of the control states for logs: "EthernetOption=1 SerialOption=0 ...".
    std::string DescribeStates() const;

protected:
    std::vector<Control> controls_;
};

} // namespace korvex::platform
