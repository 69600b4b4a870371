// The scripted user interface: answers and dialog scripts in queue order, what stops a run,
// and the record of what was shown.
#include "platform/memory/ScriptedUserInterface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvex::memory {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::ControlKind;
using platform::DialogClose;
using platform::MessageBoxRequest;
using platform::RunStopped;
using Lines = std::vector<std::string>;

// A dialog with two exclusive options, a check box and three buttons: OK and Cancel close it,
// Apply leaves it open.
class ConnectionDialog final : public platform::DialogModel {
public:
    ConnectionDialog() {
        Add("SerialOption", ControlKind::OptionButton);
        Add("EthernetOption", ControlKind::OptionButton);
        Add("MapsCheck", ControlKind::CheckBox);
        Add("OKButton", ControlKind::CommandButton);
        Add("CancelButton", ControlKind::CommandButton);
        Add("ApplyButton", ControlKind::CommandButton);
    }

    std::string_view Name() const override { return "KORVExConf"; }
    std::string_view Caption() const override { return "KORVEx Configuration"; }
    platform::Twips ClientArea() const override { return {0, 0, 4800, 3600}; }
    void Load() override {
        ++loads;
        SetChecked("SerialOption", true);
        SetChecked("MapsCheck", false);
    }
    bool Command(std::string_view button, DialogClose& closedAs) override {
        commands.emplace_back(button);
        if (button == "OKButton") {
            closedAs = DialogClose::Ok;
            return true;
        }
        if (button == "CancelButton") {
            closedAs = DialogClose::Cancel;
            return true;
        }
        return false;
    }
    void CloseBox() override { ++closeBoxes; }

    int loads = 0;
    int closeBoxes = 0;
    Lines commands;

private:
    void Add(const char* name, ControlKind kind) {
        platform::Control control;
        control.name = name;
        control.kind = kind;
        controls_.push_back(control);
    }
};

MessageBoxRequest Question(std::string prompt, std::string text) {
    MessageBoxRequest request;
    request.text = std::move(text);
    request.title = "KROVEx Install";
    request.buttons = Buttons::YesNo;
    request.prompt = std::move(prompt);
    return request;
}

MessageBoxRequest Note(std::string text) {
    MessageBoxRequest request;
    request.text = std::move(text);
    request.title = "VarenInstall";
    return request;
}

TEST(ScriptedUserInterface, AnswersQuestionsInOrderAndAcknowledgesNotes) {
    ScriptedUserInterface ui;
    ui.Answer(Answer::No);
    ui.Answer(Answer::Cancel);
    EXPECT_EQ(ui.ShowMessage(Note("Korvex Not Installed")), Answer::Ok);
    EXPECT_EQ(ui.ShowMessage(
                  Question("OverwriteCsuinfo", "Overwrite Current CSUINFO file ?\rPrevious\tone")),
              Answer::No);
    EXPECT_EQ(ui.ShowMessage(Question("KeepConfig", "Keep?")), Answer::Cancel);
    EXPECT_EQ(ui.pending(), 0u);
    ASSERT_EQ(ui.messages().size(), 3u);
    EXPECT_EQ(ui.messages()[1].request.prompt, "OverwriteCsuinfo");
    EXPECT_EQ(ui.messages()[1].answer, Answer::No);
    EXPECT_EQ(ui.transcript(),
              (Lines{"message [VarenInstall] Korvex Not Installed -> Ok",
                     "message [KROVEx Install] Overwrite Current CSUINFO file ?\\rPrevious\\tone "
                     "-> No",
                     "message [KROVEx Install] Keep? -> Cancel"}));
}

TEST(ScriptedUserInterface, AQuestionWithoutItsAnswerStopsTheRun) {
    ScriptedUserInterface ui;
    try {
        ui.ShowMessage(Question("OverwriteCsuinfo", "Overwrite?"));
        FAIL() << "the run went on";
    } catch (const RunStopped& stopped) {
        EXPECT_NE(std::string(stopped.what()).find("OverwriteCsuinfo"), std::string::npos)
            << stopped.what();
    }
    ui.Dialog(ScriptedUserInterface::Press("OKButton"));
    EXPECT_THROW(ui.ShowMessage(Question("Next", "Next?")), RunStopped);
    EXPECT_EQ(ui.pending(), 1u) << "the dialog script stays queued";
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(ui.transcript().back(), "message [KROVEx Install] Next? -> stopped");
}

TEST(ScriptedUserInterface, PressSetsControlsAfterLoadAndPressesTheButton) {
    ScriptedUserInterface ui;
    ConnectionDialog dialog;
    ui.Dialog(
        ScriptedUserInterface::Press("OKButton", {{"EthernetOption", true}, {"MapsCheck", true}}));
    ui.Dialog(ScriptedUserInterface::Press("CancelButton"));
    EXPECT_EQ(ui.ShowDialog(dialog), DialogClose::Ok);
    EXPECT_EQ(ui.ShowDialog(dialog), DialogClose::Cancel);
    EXPECT_EQ(dialog.loads, 2);
    EXPECT_EQ(dialog.commands, (Lines{"OKButton", "CancelButton"}));
    ASSERT_EQ(ui.dialogs().size(), 2u);
    EXPECT_EQ(ui.dialogs()[0].name, "KORVExConf");
    EXPECT_EQ(ui.dialogs()[0].caption, "KORVEx Configuration");
    EXPECT_EQ(ui.dialogs()[0].states, "SerialOption=0 EthernetOption=1 MapsCheck=1");
    EXPECT_EQ(ui.dialogs()[1].states, "SerialOption=1 EthernetOption=0 MapsCheck=0");
    EXPECT_EQ(ui.transcript(), (Lines{"dialog KORVExConf -> Ok", "dialog KORVExConf -> Cancel"}));
}

TEST(ScriptedUserInterface, TheCloseBoxClosesWithoutACommand) {
    ScriptedUserInterface ui;
    ConnectionDialog dialog;
    ui.Dialog(ScriptedUserInterface::CloseBox({{"MapsCheck", true}}));
    EXPECT_EQ(ui.ShowDialog(dialog), DialogClose::CloseBox);
    EXPECT_EQ(dialog.closeBoxes, 1);
    EXPECT_TRUE(dialog.commands.empty());
    EXPECT_EQ(ui.dialogs()[0].states, "SerialOption=1 EthernetOption=0 MapsCheck=1");
    EXPECT_EQ(ui.dialogs()[0].closedAs, DialogClose::CloseBox);
}

TEST(ScriptedUserInterface, ScriptingMistakesStopTheRun) {
    struct Row {
        const char* what;
        ScriptedUserInterface::DialogScript script;
        const char* message;
    } rows[] = {
        {"the dialog stays open", ScriptedUserInterface::Press("ApplyButton"),
         "stayed open after ApplyButton"},
        {"no such control", ScriptedUserInterface::Press("OKButton", {{"Option9", true}}),
         "no control Option9"},
        {"an option cannot be cleared",
         ScriptedUserInterface::Press("OKButton", {{"SerialOption", false}}),
         "SerialOption cannot be set to 0"},
    };
    for (Row& row : rows) {
        ScriptedUserInterface ui;
        ConnectionDialog dialog;
        ui.Dialog(std::move(row.script));
        try {
            ui.ShowDialog(dialog);
            ADD_FAILURE() << row.what << ": the run went on";
        } catch (const RunStopped& stopped) {
            EXPECT_NE(std::string(stopped.what()).find(row.message), std::string::npos)
                << row.what << ": " << stopped.what();
        }
        EXPECT_TRUE(ui.dialogs().empty()) << row.what;
        EXPECT_EQ(ui.transcript(), Lines{"dialog KORVExConf -> stopped"}) << row.what;
    }
}

TEST(ScriptedUserInterface, ADialogWithoutItsScriptStopsTheRun) {
    ScriptedUserInterface ui;
    ConnectionDialog dialog;
    EXPECT_THROW(ui.ShowDialog(dialog), RunStopped);
    ui.Answer(Answer::Yes);
    try {
        ui.ShowDialog(dialog);
        FAIL() << "the run went on";
    } catch (const RunStopped& stopped) {
        EXPECT_NE(std::string(stopped.what()).find("KORVExConf"), std::string::npos);
    }
    EXPECT_EQ(ui.pending(), 1u);
    EXPECT_EQ(dialog.loads, 2);
}

TEST(ScriptedUserInterface, RecordsWaitCursorChanges) {
    ScriptedUserInterface ui;
    ui.SetWaitCursor(true);
    EXPECT_TRUE(ui.waitCursorOn());
    ui.SetWaitCursor(true);
    ui.SetWaitCursor(false);
    ui.SetWaitCursor(false);
    EXPECT_FALSE(ui.waitCursorOn());
    EXPECT_EQ(ui.transcript(), (Lines{"cursor wait", "cursor normal"}));
}

} // namespace
} // namespace korvex::memory
