// Answer files read, checked and written against the schema the front end declares; unattended,
// recorded and logged runs put together by a Session over the in-memory Windows with the real
// dialogs; and whole front-end runs as the program starts them.
#include "platform/unattended/Session.h"

#include "frontend/dialogs/KORVExConf.h"
#include "frontend/driver/Entry.h"
#include "support/Machines.h"
#include "upgradeprep/Entry.h"

namespace korvex::unattended {
namespace {

using platform::Answer;

// The file as the program reads it, written out again; or why it is refused.
std::string Read(std::string_view text) {
    std::string why;
    const auto file = AnswerFile::Parse(text, frontend::VarenInstallAnswerSchema(), why);
    return file ? file->Serialize() : "refused: " + why;
}

TEST(AnswerFile, ReadsNamesAndWordsWithoutRegardToCaseAndKeepsTheOtherProgramsSection) {
    EXPECT_EQ(Read("\xEF\xBB\xBF; recorded on PC 7\r\n[varenInstall]\r\n"
                   "overwritecsuinfo = yes   ; keep it\r\noverwritemap.s02.OB_MAP=NO\r\n"
                   "AirtalkerRegion=2\n\n[UpgradePrep]\nUpgrade=No;Maybe\n" // unchecked
                   "[KORVEXCONF]\nbutton=ok\nConnection=ethernet\n[MiraCopy]\nSystems=\n"
                   "[SystemType]\nSystem15=Quarne\nStackFromTop= 15, 1 ,5"),
              "[VarenInstall]\r\nOverwriteCsuinfo=Yes\r\nOverwriteMap.S02.ob_map=No\r\n"
              "AirtalkerRegion=2\r\n\r\n[KORVExConf]\r\nButton=OK\r\nConnection=Ethernet\r\n\r\n"
              "[SystemType]\r\nSystem15=Quarne\r\nStackFromTop=1,5,15\r\n\r\n[MiraCopy]\r\n"
              "Systems=\r\n\r\n[upgradeprep]\r\nUpgrade=No;Maybe\r\n");
}

TEST(AnswerFile, RefusesWhatItDoesNotKnowNamingTheLine) {
    const std::pair<std::string_view, std::string> rows[] = {
        {"[Setup]\r\nA=B\r\n", "line 1: unknown section [Setup]"},
        {"[VarenInstall]\r\nAll=Yes", "line 2: unknown key \"All\" in [VarenInstall]"},
        {"[MiraCopy]\r\nButton=Yes",
         "line 2: value \"Yes\" is not allowed for Button in [MiraCopy]"},
        {"[VarenInstall]\r\nAirtalkerRegion=3", "line 2: value \"3\" is not allowed"},
        {"[VarenInstall]\r\nOverwriteMap.S16.news=No", "line 2: unknown key"},
        {"[VarenInstall]\r\nOverwriteMap.S2.news=No", "line 2: unknown key"},
        {"[SystemType]\r\nSystem01=Mira", "line 2: unknown key"},
        {"[MiraCopy]\r\nSystems=1,16", "line 2: value \"1,16\" is not allowed"},
        {"[MiraCopy]\r\nSystems=1,1", "line 2: value \"1,1\" is not allowed"},
        {"[KORVExConf]\r\nButton=OK;Cancel", "line 2: value \"OK;Cancel\" is not allowed"},
        {"[KORVExConf]\r\nButton=OK\r\nbutton=Cancel", "line 3: Button appears twice"},
        {"[KORVExConf]\r\n[korvexconf]", "line 2: section [KORVExConf] appears twice"},
        {"; first\r\nButton=OK", "line 2: a key before the first section"},
        {"[KORVExConf\r\n", "line 1: a section header must end with ']'"},
        {"[KORVExConf]\r\nButton", "line 2: expected key=value, found \"Button\""},
        {std::string_view("[KORVExConf]\r\nButton=OK\0", 24), "line 2: the file is not text"},
    };
    for (const auto& [text, why] : rows) {
        EXPECT_EQ(Read(text).substr(0, 9 + why.size()), "refused: " + why) << text;
    }
}

TEST(AnswerFile, WritesWhatItReadsBack) {
    AnswerFile file(frontend::VarenInstallAnswerSchema());
    EXPECT_TRUE(file.Set("VarenInstall", "overwritemap.s10.eng_test", "no"));
    EXPECT_TRUE(file.Set("SystemType", "StackFromTop", "10,3"));
    EXPECT_TRUE(file.Set("VarenInstall", "OverwriteCnetio", "Yes"));
    EXPECT_TRUE(file.Set("VarenInstall", "OverwriteCnetio", "No"));
    EXPECT_FALSE(file.Set("VarenInstall", "Unknown", "No"));
    EXPECT_FALSE(file.Set("VarenInstall", "OverwriteCnetio", "Perhaps"));
    const std::string text = file.Serialize();
    EXPECT_EQ(text, "[VarenInstall]\r\nOverwriteMap.S10.Eng_test=No\r\nOverwriteCnetio=No\r\n\r\n"
                    "[SystemType]\r\nStackFromTop=3,10\r\n");
    EXPECT_EQ(Read(text), text);
}

class SessionTest : public ::testing::Test {
protected:
    // A session of the front end, or of upgradeprep.
    std::unique_ptr<Session> Start(Switches switches, const std::string& program = "VarenInstall") {
        auto session = std::make_unique<Session>(
            program, program, std::move(switches),
            Services{windows.files(), windows.profile(), windows.installer(), windows.system(),
                     windows.ui()},
            program == "upgradeprep" ? upgradeprep::UpgradePrepAnswerSchema()
                                     : frontend::VarenInstallAnswerSchema());
        started = session->Start();
        return session;
    }
    Answer Ask(Session& session, const std::string& prompt) {
        return session.platform().ui.ShowMessage(
            {"?", "Q", platform::Buttons::YesNo, {}, {}, prompt});
    }
    // The real connection dialog shown through the session: "OK" or not, and its states.
    std::string ShowKorvexConf(Session& session) {
        bool cancelled = false;
        frontend::KORVExConf dialog(session.platform(), cancelled);
        const bool ok = session.platform().ui.ShowDialog(dialog) == platform::DialogClose::Ok;
        return (ok ? "OK " : "not OK ") + dialog.DescribeStates();
    }
    // The log without the time stamps that start its lines.
    std::string Log() const {
        std::string log = windows.Contents("C:\\run.log").value_or("");
        for (std::size_t line = 0; line < log.size(); line = log.find('\n', line) + 1) {
            log.erase(line, std::string_view("2026-01-02 14:05:33.000 ").size());
        }
        return log;
    }

    memory::MemoryWindows windows;
    bool started = false;
};

TEST_F(SessionTest, AnswersFromTheFileWithoutAWindowAndStopsAtAQuestionItDoesNotAnswer) {
    windows.PutFile("C:\\answers.ini", "[VarenInstall]\r\nOverwriteMap=Yes\r\n"
                                       "OverwriteMap.S02.ob_map=No\r\n[KORVExConf]\r\nButton=OK\r\n"
                                       "Connection=Ethernet\r\nCopyMira=Yes\r\n");
    auto session = Start({"C:\\answers.ini", "", "C:\\run.log"});
    ASSERT_TRUE(started) << session->failure();
    EXPECT_EQ(Ask(*session, "OverwriteMap.S02.ob_map"), Answer::No);
    EXPECT_EQ(Ask(*session, "OverwriteMap.S02.news"), Answer::Yes) << "the family's answer";
    EXPECT_EQ(session->platform().ui.ShowMessage({"No\r\nMaps", "Warning", {}, {}, {}, ""}),
              Answer::Ok);
    EXPECT_EQ(ShowKorvexConf(*session),
              "OK EthernetOption=1 SerialOption=0 DoNothingOption=1 ConvertOption=0 CopyMira=1");
    EXPECT_THROW(Ask(*session, "OverwriteCnetio"), platform::RunStopped);
    EXPECT_TRUE(windows.ui().transcript().empty()) << "a window was shown";
    EXPECT_EQ(Log(), "VarenInstall answer-file C:\\answers.ini -> read\r\n"
                     "VarenInstall message [Q] \"?\" (OverwriteMap.S02.ob_map) -> No\r\n"
                     "VarenInstall message [Q] \"?\" (OverwriteMap.S02.news) -> Yes\r\n"
                     "VarenInstall message [Warning] \"No\\r\\nMaps\" -> OK\r\n"
                     "VarenInstall ini NELK.INI [Comms] Link Type=Ethernet-System -> done\r\n"
                     "VarenInstall ini NELK.INI [Comms] Ethernet Type=Winsock -> done\r\n"
                     "VarenInstall dialog KORVExConf EthernetOption=1 SerialOption=0 "
                     "DoNothingOption=1 ConvertOption=0 CopyMira=1 -> OK\r\n"
                     "VarenInstall message [Q] \"?\" (OverwriteCnetio) -> unanswered: the answer "
                     "file does not answer OverwriteCnetio in [VarenInstall] (\"?\")\r\n");
}

TEST_F(SessionTest, ABadOrMissingAnswerFileFailsTheStartAndSaysWhy) {
    windows.PutFile("C:\\bad.ini", "[VarenInstall]\r\nOverwriteEverything=Yes\r\n");
    EXPECT_FALSE((Start({"C:\\bad.ini", "", "C:\\run.log"}), started));
    EXPECT_FALSE((Start({"C:\\missing.ini", "", "C:\\run.log"}), started));
    EXPECT_EQ(Log(),
              "VarenInstall answer-file C:\\bad.ini -> stopped: the answer file C:\\bad.ini "
              "is not valid: line 2: unknown key \"OverwriteEverything\" in [VarenInstall]\r\n"
              "VarenInstall answer-file C:\\missing.ini -> stopped: the answer file "
              "C:\\missing.ini cannot be read: The system cannot find the file specified. "
              "(error 2)\r\n");
}

TEST_F(SessionTest, RecordingWritesAnswersThatReplayTheSameWayAndKeepsTheOtherProgramsSection) {
    windows.PutFile("C:\\rec.ini", "[upgradeprep]\r\nUpgrade=Yes\r\n");
    const std::string states =
        "OK EthernetOption=1 SerialOption=0 DoNothingOption=1 ConvertOption=0 CopyMira=1";
    {
        auto session = Start({"", "C:\\rec.ini", ""});
        windows.ui().Answer(Answer::No);
        windows.ui().Dialog(memory::ScriptedUserInterface::Press(
            "OKButton", {{"EthernetOption", true}, {"CopyMira", true}}));
        windows.ui().Answer(Answer::Yes);
        EXPECT_EQ(Ask(*session, "OverwriteCnetio"), Answer::No);
        EXPECT_EQ(ShowKorvexConf(*session), states);
        EXPECT_EQ(Ask(*session, "OverwriteMap.S10.news"), Answer::Yes);
        EXPECT_EQ(windows.Contents("C:\\rec.ini"),
                  "[VarenInstall]\r\nOverwriteCnetio=No\r\nOverwriteMap.S10.news=Yes\r\n\r\n"
                  "[KORVExConf]\r\nButton=OK\r\nConnection=Ethernet\r\nMaps=NoConversion\r\n"
                  "CopyMira=Yes\r\n\r\n[upgradeprep]\r\nUpgrade=Yes\r\n")
            << "written after each answer";
    }
    auto replay = Start({"C:\\rec.ini", "", ""});
    EXPECT_EQ(Ask(*replay, "OverwriteCnetio"), Answer::No);
    EXPECT_EQ(Ask(*replay, "OverwriteMap.S10.news"), Answer::Yes);
    EXPECT_EQ(ShowKorvexConf(*replay), states);
    EXPECT_EQ(Ask(*Start({"C:\\rec.ini", "", ""}, "upgradeprep"), "Upgrade"), Answer::Yes);
}

TEST_F(SessionTest, TheLogHasALineForEveryChangeAndEveryFailureThatIsNotAnAnswer) {
    windows.PutFile("C:\\src.txt", "x");
    auto session = Start({"", "", "C:\\run.log"}, "upgradeprep");
    platform::Platform& run = session->platform();
    (void)run.files.CopyFile("C:\\src.txt", "C:\\dst.txt"); // each outcome is in the log
    (void)run.files.MoveFile("C:\\src.txt", "C:\\dst.txt");
    (void)run.files.CreateDirectory("C:\\tmptelm");
    (void)run.profile.WriteString("Comms", "Link Type", "Serial-System", "NELK.INI");
    (void)run.files.ReadFile("C:\\missing.txt"); // not there: an answer, not a failure
    (void)run.files.ReadFile("C:\\WINDOWS");
    EXPECT_EQ(Log(), "upgradeprep copy C:\\src.txt -> C:\\dst.txt -> done\r\n"
                     "upgradeprep move C:\\src.txt -> C:\\dst.txt -> Cannot create a file when "
                     "that file already exists. (error 183)\r\n"
                     "upgradeprep create-directory C:\\tmptelm -> done\r\n"
                     "upgradeprep ini NELK.INI [Comms] Link Type=Serial-System -> done\r\n"
                     "upgradeprep read-file C:\\WINDOWS -> Access is denied. (error 5)\r\n");
}

TEST_F(SessionTest, TheProgramStopsWith1603AtABadFileOrAnUnansweredQuestionAnd1605WithoutKorvex) {
    testing::InstallKorvex(windows);
    const std::string bad = "[VarenInstall]\r\nOverwriteCsuinfo=Sometimes\r\n";
    windows.PutFile("C:\\answers.ini", bad);
    windows.PutFile("C:\\run.log", "");
    const std::vector<std::string> before = windows.Tree("C:\\");
    EXPECT_EQ(testing::RunFrontEnd(windows, bad), 1603);
    EXPECT_EQ(windows.Tree("C:\\"), before) << "changed before the answer file was checked";
    windows.PutFile("C:\\Apps\\Control\\csuinfo.cfg", "mine");
    EXPECT_EQ(testing::RunFrontEnd(windows, "[VarenInstall]\r\nOverwriteCnetio=Yes\r\n"), 1603);
    EXPECT_EQ(windows.Contents("C:\\Apps\\Control\\csuinfo.cfg"), "mine");
    EXPECT_NE(Log().find("stop the answer file does not answer OverwriteCsuinfo"),
              std::string::npos)
        << Log();
    memory::MemoryWindows empty;
    EXPECT_EQ(testing::RunFrontEnd(empty, "[VarenInstall]\r\n"), 1605);
    EXPECT_TRUE(empty.ui().transcript().empty()) << testing::State(empty);
}

} // namespace
} // namespace korvex::unattended
