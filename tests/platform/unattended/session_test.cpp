// Unattended, recorded and logged runs put together by a Session over the in-memory Windows.
#include "platform/unattended/Session.h"

#include <gtest/gtest.h>

#include "frontend/dialogs/KORVExConf.h"
#include "frontend/driver/Entry.h"
#include "upgradeprep/Entry.h"

#include "platform/memory/MemoryWindows.h"

namespace korvex::unattended {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::ControlKind;
using platform::DialogClose;
using platform::MessageBoxRequest;

MessageBoxRequest Question(std::string prompt, std::string text = "A question?") {
    MessageBoxRequest request;
    request.text = std::move(text);
    request.title = "KROVEx Install";
    request.buttons = Buttons::YesNo;
    request.prompt = std::move(prompt);
    return request;
}

class SessionTest : public ::testing::Test {
protected:
    Services services() {
        return {windows.files(), windows.profile(), windows.installer(), windows.system(),
                windows.ui()};
    }
    std::string Log() const { return windows.Contents("C:\\run.log").value_or(""); }

    memory::MemoryWindows windows;
};

TEST_F(SessionTest, AnswersQuestionsAndDialogsFromTheFile) {
    windows.PutFile("C:\\answers.ini", "[VarenInstall]\r\n"
                                       "OverwriteCsuinfo=Yes\r\n"
                                       "OverwriteMap=Yes\r\n"
                                       "OverwriteMap.S02.ob_map=No\r\n"
                                       "[KORVExConf]\r\n"
                                       "Button=OK\r\n"
                                       "Connection=Ethernet\r\n"
                                       "CopyMira=Yes\r\n");
    Session session("VarenInstall", "VarenInstall", {"C:\\answers.ini", "", "C:\\run.log"},
                    services(), frontend::VarenInstallAnswerSchema());
    ASSERT_TRUE(session.Start()) << session.failure();
    platform::UserInterface& ui = session.platform().ui;
    EXPECT_EQ(ui.ShowMessage(Question("OverwriteCsuinfo")), Answer::Yes);
    EXPECT_EQ(ui.ShowMessage(Question("OverwriteMap.S02.ob_map")), Answer::No);
    EXPECT_EQ(ui.ShowMessage(Question("OverwriteMap.S02.news")), Answer::Yes);
    MessageBoxRequest note;
    note.text = "No Mira Maps To Copy";
    note.title = "Warning";
    EXPECT_EQ(ui.ShowMessage(note), Answer::Ok);

    bool cancelled = true;
    frontend::KORVExConf dialog(session.platform(), cancelled);
    EXPECT_EQ(ui.ShowDialog(dialog), DialogClose::Ok);
    EXPECT_FALSE(cancelled);
    EXPECT_TRUE(dialog.IsChecked("EthernetOption"));
    EXPECT_FALSE(dialog.IsChecked("SerialOption"));
    EXPECT_TRUE(dialog.IsChecked("CopyMira"));
    // Nothing reached the interactive user interface.
    EXPECT_TRUE(windows.ui().transcript().empty());

    const std::string log = Log();
    for (const char* line :
         {"VarenInstall answer-file C:\\answers.ini -> read",
          "message [KROVEx Install] \"A question?\" (OverwriteMap.S02.ob_map) -> No",
          "message [Warning] \"No Mira Maps To Copy\" -> OK",
          "dialog KORVExConf EthernetOption=1 SerialOption=0 DoNothingOption=1 ConvertOption=0 "
          "CopyMira=1 -> OK"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << "\nin\n" << log;
    }
}

TEST_F(SessionTest, AnUnansweredQuestionStopsTheRunNamingIt) {
    windows.PutFile("C:\\answers.ini", "[VarenInstall]\r\nOverwriteCsuinfo=Yes\r\n");
    Session session("VarenInstall", "VarenInstall", {"C:\\answers.ini", "", "C:\\run.log"},
                    services(), frontend::VarenInstallAnswerSchema());
    ASSERT_TRUE(session.Start());
    try {
        (void)session.platform().ui.ShowMessage(
            Question("OverwriteCnetio", "Overwrite Current CNetio.ini file ?"));
        FAIL() << "the question was answered";
    } catch (const platform::RunStopped& stopped) {
        EXPECT_NE(std::string(stopped.what()).find("OverwriteCnetio"), std::string::npos);
    }
    bool cancelled = false;
    frontend::KORVExConf dialog(session.platform(), cancelled);
    EXPECT_THROW(session.platform().ui.ShowDialog(dialog), platform::RunStopped);
    EXPECT_NE(Log().find("unanswered: the answer file does not answer OverwriteCnetio"),
              std::string::npos)
        << Log();
}

TEST_F(SessionTest, ABadOrMissingAnswerFileFailsTheStartAndSaysWhy) {
    windows.PutFile("C:\\bad.ini", "[VarenInstall]\r\nOverwriteEverything=Yes\r\n");
    struct Row {
        const char* path;
        const char* reason;
    } rows[] = {
        {"C:\\bad.ini", "line 2: unknown key \"OverwriteEverything\" in [VarenInstall]"},
        {"C:\\missing.ini", "cannot be read"},
    };
    for (const Row& row : rows) {
        Session session("VarenInstall", "VarenInstall", {row.path, "", "C:\\run.log"}, services(),
                        frontend::VarenInstallAnswerSchema());
        EXPECT_FALSE(session.Start()) << row.path;
        EXPECT_NE(session.failure().find(row.reason), std::string::npos) << session.failure();
        EXPECT_NE(Log().find(row.reason), std::string::npos) << Log();
    }
}

TEST_F(SessionTest, RecordingWritesAnswersThatReplayTheSameWay) {
    windows.PutFile("C:\\rec.ini", "[upgradeprep]\r\nUpgrade=Yes\r\n"); // the other program's
    {
        Session session("VarenInstall", "VarenInstall", {"", "C:\\rec.ini", ""}, services(),
                        frontend::VarenInstallAnswerSchema());
        ASSERT_TRUE(session.Start());
        windows.ui().Answer(Answer::No);
        windows.ui().Dialog(memory::ScriptedUserInterface::Press(
            "OKButton", {{"EthernetOption", true}, {"CopyMira", true}}));
        windows.ui().Answer(Answer::Yes);
        EXPECT_EQ(session.platform().ui.ShowMessage(Question("OverwriteCnetio")), Answer::No);
        bool cancelled = false;
        frontend::KORVExConf dialog(session.platform(), cancelled);
        EXPECT_EQ(session.platform().ui.ShowDialog(dialog), DialogClose::Ok);
        EXPECT_EQ(session.platform().ui.ShowMessage(Question("OverwriteMap.S10.news")),
                  Answer::Yes);
    }
    const std::string expected = "[VarenInstall]\r\n"
                                 "OverwriteCnetio=No\r\n"
                                 "OverwriteMap.S10.news=Yes\r\n"
                                 "\r\n"
                                 "[KORVExConf]\r\n"
                                 "Button=OK\r\n"
                                 "Connection=Ethernet\r\n"
                                 "Maps=NoConversion\r\n"
                                 "CopyMira=Yes\r\n"
                                 "\r\n"
                                 "[upgradeprep]\r\n"
                                 "Upgrade=Yes\r\n";
    EXPECT_EQ(windows.Contents("C:\\rec.ini"), expected);

    Session replay("VarenInstall", "VarenInstall", {"C:\\rec.ini", "", ""}, services(),
                   frontend::VarenInstallAnswerSchema());
    ASSERT_TRUE(replay.Start()) << replay.failure();
    EXPECT_EQ(replay.platform().ui.ShowMessage(Question("OverwriteCnetio")), Answer::No);
    bool cancelled = false;
    frontend::KORVExConf dialog(replay.platform(), cancelled);
    EXPECT_EQ(replay.platform().ui.ShowDialog(dialog), DialogClose::Ok);
    EXPECT_TRUE(dialog.IsChecked("EthernetOption"));
    EXPECT_TRUE(dialog.IsChecked("CopyMira"));
}

TEST_F(SessionTest, TheLogHasALineForEveryChangeWithItsOutcome) {
    windows.PutFile("C:\\src.txt", "x");
    Session session("upgradeprep", "upgradeprep", {"", "", "C:\\run.log"}, services(),
                    upgradeprep::UpgradePrepAnswerSchema());
    ASSERT_TRUE(session.Start());
    platform::Platform& run = session.platform();
    (void)run.files.CopyFile("C:\\src.txt", "C:\\dst.txt");
    (void)run.files.MoveFile("C:\\src.txt", "C:\\dst.txt");
    (void)run.files.DeleteFile("C:\\dst.txt");
    (void)run.files.CreateDirectory("C:\\tmptelm");
    (void)run.files.RemoveDirectory("C:\\tmptelm");
    (void)run.profile.WriteString("Comms", "Link Type", "Serial-System", "NELK.INI");
    const std::string log = Log();
    for (const char* line : {
             "upgradeprep copy C:\\src.txt -> C:\\dst.txt -> done",
             "upgradeprep move C:\\src.txt -> C:\\dst.txt -> Cannot create a file when that file "
             "already exists. (error 183)",
             "upgradeprep delete C:\\dst.txt -> done",
             "upgradeprep create-directory C:\\tmptelm -> done",
             "upgradeprep remove-directory C:\\tmptelm -> done",
             "upgradeprep ini NELK.INI [Comms] Link Type=Serial-System -> done",
         }) {
        EXPECT_NE(log.find(line), std::string::npos) << line << "\nin\n" << log;
    }
    EXPECT_EQ(log.find("append-file"), std::string::npos) << "the log logged itself";
    EXPECT_EQ(log.substr(0, 24), "2026-01-02 14:05:33.000 ");
}

} // namespace
} // namespace korvex::unattended
