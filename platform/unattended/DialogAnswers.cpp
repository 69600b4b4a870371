// Answer-file keys of the connection, system type and system selection dialogs.
#include "platform/unattended/DialogAnswers.h"

#include <algorithm>
#include <vector>

#include "platform/UserInterface.h"

namespace korvex::unattended {

using platform::ControlKind;
using platform::DialogClose;
using platform::DialogModel;

namespace {

// The frame models of the system type dialog, with the option button of each.
struct Model {
    const char* word;
    const char* option;
};
constexpr Model kModels[] = {
    {"Ostrel", "Option1"}, {"Pennet", "Option3"}, {"Quarne", "Option4"}, {"Mira", "Option5"}};

std::string Indexed(const char* name, int index) {
    return std::string(name) + "(" + std::to_string(index) + ")";
}

// Ticks Check1(i) for the listed systems (1-based) and clears the others.
void ApplySystemList(DialogModel& dialog, const std::string& list) {
    const std::vector<int> systems = ParseSystemList(list).value_or(std::vector<int>{});
    for (int i = 0; i < 15; ++i) {
        const bool listed = std::find(systems.begin(), systems.end(), i + 1) != systems.end();
        dialog.SetChecked(Indexed("Check1", i), listed);
    }
}

std::string TickedSystems(const DialogModel& dialog) {
    std::vector<int> systems;
    for (int i = 0; i < 15; ++i) {
        if (dialog.IsChecked(Indexed("Check1", i))) {
            systems.push_back(i + 1);
        }
    }
    return FormatSystemList(systems);
}

} // namespace

void ApplyDialogAnswers(const AnswerFile& answers, DialogModel& dialog) {
    const std::string section(dialog.Name());
    const auto get = [&](const char* key) { return answers.Get(section, key); };
    if (section == "KORVExConf") {
        if (auto connection = get("Connection")) {
            dialog.SetChecked(*connection == "Ethernet" ? "EthernetOption" : "SerialOption", true);
        }
        if (auto maps = get("Maps")) {
            dialog.SetChecked(*maps == "Convert" ? "ConvertOption" : "DoNothingOption", true);
        }
        if (auto copy = get("CopyMira")) {
            dialog.SetChecked("CopyMira", *copy == "Yes");
        }
    } else if (section == "SystemType") {
        for (int n = 1; n <= 15; ++n) {
            const auto model = answers.Get(section, "System" + std::to_string(n));
            if (!model) {
                continue;
            }
            for (const Model& known : kModels) {
                if (*model == known.word) {
                    dialog.SetChecked(Indexed(known.option, n - 1), true);
                }
            }
        }
        if (auto stacked = get("StackFromTop")) {
            ApplySystemList(dialog, *stacked);
        }
    } else if (section == "MiraCopy") {
        if (auto systems = get("Systems")) {
            ApplySystemList(dialog, *systems);
        }
    }
}

std::string ButtonWord(DialogClose closedAs) {
    switch (closedAs) {
    case DialogClose::Ok:
        return "OK";
    case DialogClose::Cancel:
        return "Cancel";
    case DialogClose::CloseBox:
        return "Close";
    }
    return "Close";
}

void RecordDialogAnswers(const DialogModel& dialog, DialogClose closedAs, AnswerFile& answers) {
    const std::string section(dialog.Name());
    answers.Set(section, "Button", ButtonWord(closedAs));
    if (section == "KORVExConf") {
        answers.Set(section, "Connection",
                    dialog.IsChecked("EthernetOption") ? "Ethernet" : "Serial");
        answers.Set(section, "Maps",
                    dialog.IsChecked("ConvertOption") ? "Convert" : "NoConversion");
        answers.Set(section, "CopyMira", dialog.IsChecked("CopyMira") ? "Yes" : "No");
    } else if (section == "SystemType") {
        for (int n = 1; n <= 15; ++n) {
            for (const Model& known : kModels) {
                if (dialog.IsChecked(Indexed(known.option, n - 1))) {
                    answers.Set(section, "System" + std::to_string(n), known.word);
                }
            }
        }
        answers.Set(section, "StackFromTop", TickedSystems(dialog));
    } else if (section == "MiraCopy") {
        answers.Set(section, "Systems", TickedSystems(dialog));
    }
}

DialogClose PressButton(DialogModel& dialog, const std::string& word) {
    if (word == "Close") {
        dialog.CloseBox();
        return DialogClose::CloseBox;
    }
    for (const platform::Control& control : dialog.Controls()) {
        if (control.kind != ControlKind::CommandButton || control.caption != word) {
            continue;
        }
        DialogClose closedAs = DialogClose::CloseBox;
        if (!dialog.Command(control.name, closedAs)) {
            throw platform::RunStopped("the dialog " + std::string(dialog.Name()) +
                                       " stayed open after " + word);
        }
        return closedAs;
    }
    throw platform::RunStopped("the dialog " + std::string(dialog.Name()) + " has no " + word +
                               " button");
}

} // namespace korvex::unattended
