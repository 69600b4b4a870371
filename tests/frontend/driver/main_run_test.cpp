// Whole runs of the front end on the in-memory Windows: staging, both dialogs, both map steps
// and the keys they leave, and the runs that end early on Cancel.
#include <gtest/gtest.h>

#include "frontend/driver/FrontendFixture.h"
#include "frontend/driver/KorvexConfig.h"
#include "frontend/maps/InstallMiraMaps.h"
#include "product/Korvex.h"

namespace korvex::frontend {
namespace {

using memory::Operation;
using memory::ScriptedUserInterface;
using platform::Answer;
using testing::FrontendTest;

constexpr const char* kProgram = "C:\\Program Files\\KORVEx System\\korvex.exe";

class MainRunTest : public FrontendTest {
protected:
    // An installed product with its map and firmware trees and delivered files, NELK.INI from an
    // earlier version, old CCF maps in C:\MAP and the distribution disc in CD-ROM drive D:.
    MainRunTest() {
        Install(kProgram);
        const std::string dir = "C:\\Program Files\\KORVEx System\\";
        windows.PutFile(dir + "TELMIMAP\\S01\\studio\\shipped.map", "shipped");
        windows.PutFile(dir + "FIRMWARE\\f.bin", "f");
        windows.PutFile(dir + "csuinfo.new", "csuinfo");
        windows.PutFile(dir + "cnetio.new", "cnetio");
        windows.PutFile("C:\\WINDOWS\\zelmain.new", "[ZELMAIN]\r\nVersion=7\r\n");
        windows.PutFile("C:\\WINDOWS\\NELK.INI", "[Comms]\r\nLink Type=Serial-System\r\n");
        windows.PutFile("C:\\MAP\\old.ccf", "ccf");
        windows.AddDrive('D', platform::DriveType::CdRom);
        for (const product::MiraMapSet& set : product::kMiraMapSets) {
            windows.PutFile("D:\\Mira Maps" + std::string(set.path) + "\\" + std::string(set.name) +
                                ".map",
                            std::string(set.name));
        }
        run.record.AirtalkerRegion = 1;
    }

    std::string File(const std::string& name) const {
        return windows.Contents("C:\\WINDOWS\\" + name).value_or("<missing>");
    }
    std::vector<std::string> Prompts() {
        std::vector<std::string> out;
        for (const auto& shown : windows.ui().messages()) {
            out.push_back(shown.request.prompt.empty() ? shown.request.text : shown.request.prompt);
        }
        return out;
    }
    // ZELMAIN.INI after the system type dialog's OK with these codes, and ConfigPath.
    static std::string Zelmain(const std::string& types, const std::string& directions) {
        std::string out = "[ZELMAIN]\r\nVersion=7\r\nConfigPath=C:\\PROGRA~1\\KORVEX~1\\\r\n";
        for (const char* section : {"FrameType", "FrameDirection"}) {
            const std::string& codes = section[5] == 'T' ? types : directions;
            out += "[" + std::string(section) + "]\r\n";
            for (int n = 1; n <= 15; ++n) {
                out += "System" + std::to_string(n) + "=" + codes[static_cast<std::size_t>(n - 1)] +
                       "\r\n";
            }
        }
        return out;
    }
};

TEST_F(MainRunTest, AWholeRunWithBothDialogsAndBothMapSteps) {
    ScriptedUserInterface& ui = windows.ui();
    ui.Answer(Answer::Yes); // Update KORVEX Settings
    ui.Dialog(ScriptedUserInterface::Press(
        "OKButton", {{"EthernetOption", true}, {"ConvertOption", true}, {"CopyMira", true}}));
    ui.Answer(Answer::Yes); // use C:\MAP
    ui.Answer(Answer::Yes); // continue into the staged C:\TELMIMAP
    ui.Answer(Answer::Yes); // copy the Mira maps
    ui.Dialog(ScriptedUserInterface::Press("OkButton", {{"Check1(0)", true}, {"Check1(9)", true}}));
    ui.Answer(Answer::Yes); // overwrite the staged S01\studio
    ui.Answer(Answer::Yes); // Update YMV Settings
    ui.Dialog(ScriptedUserInterface::Press(
        "OKButton", {{"Option5(0)", true}, {"Check1(0)", true}, {"Option3(9)", true}}));

    EXPECT_EQ(Main(run), exit_code::kCompleted) << State();

    EXPECT_EQ(Prompts(), (std::vector<std::string>{
                             "UpdateKorvexSettings", "UseCcfMaps", "ContinueIntoExistingMaps",
                             "CopyMiraMaps", "OverwriteMap.S01.studio", "UpdateYmvSettings"}));
    EXPECT_EQ(ui.pending(), 0u);
    EXPECT_FALSE(ui.waitCursorOn());
    EXPECT_EQ(File("NELK.INI"), "[Comms]\r\nLink Type=Ethernet-System\r\nEthernet Type=Winsock\r\n"
                                "[Initialisation]\r\nPath=C:\\TELMIMAP\r\n"
                                "[Multiple Maps]\r\nMax Map Number=6\r\n"
                                "[Airtalker]\r\nRegion=Europe\r\nEurope=03FF000000\r\n");
    EXPECT_EQ(File("ZELMAIN.INI"), Zelmain("400000000200000", "100000000000000"));
    EXPECT_EQ(File("nelk140533.ini"), "[Comms]\r\nLink Type=Serial-System\r\n");
    EXPECT_EQ(windows.Contents("C:\\TELMIMAP\\old.ccf"), "ccf");
    EXPECT_EQ(windows.Contents("C:\\TELMIMAP\\S01\\studio\\shipped.map"), "shipped");
    EXPECT_EQ(windows.Contents("C:\\TELMIMAP\\S01\\studio\\studio.map"), "studio");
    EXPECT_EQ(windows.Contents("C:\\TELMIMAP\\S10\\Eng_test\\Eng_test.map"), "Eng_test");
    EXPECT_FALSE(windows.Exists("C:\\TELMIMAP\\S02"));
    ASSERT_TRUE(run.korvexConf && run.systemType && run.miraCopy);
    EXPECT_TRUE(run.korvexConf->mapsfromccf);
    EXPECT_TRUE(run.miraCopy->CopyMapToSystem(9));
}

TEST_F(MainRunTest, CancelInTheConnectionDialogEndsAfterThePath) {
    windows.ui().Answer(Answer::Yes);
    windows.ui().Dialog(ScriptedUserInterface::Press("CancelButton", {{"CopyMira", true}}));
    EXPECT_EQ(Main(run), exit_code::kCancelled);
    EXPECT_EQ(File("NELK.INI"), "[Comms]\r\nLink Type=Serial-System\r\n"
                                "[Initialisation]\r\nPath=C:\\TELMIMAP\r\n");
    EXPECT_EQ(File("ZELMAIN.INI"), "[ZELMAIN]\r\nVersion=7\r\n");
    EXPECT_EQ(Prompts(), std::vector<std::string>{"UpdateKorvexSettings"});
    EXPECT_FALSE(run.systemType);
}

TEST_F(MainRunTest, CancelInTheSystemTypeDialogEndsAfterTheConfigPath) {
    windows.ui().Answer(Answer::No);
    windows.ui().Answer(Answer::Yes);
    windows.ui().Dialog(ScriptedUserInterface::Press("CancelButton", {{"Option5(0)", true}}));
    EXPECT_EQ(Main(run), exit_code::kCancelled);
    EXPECT_EQ(File("NELK.INI"), "[Comms]\r\nLink Type=Serial-System\r\n"
                                "[Initialisation]\r\nPath=C:\\TELMIMAP\r\n");
    EXPECT_EQ(File("ZELMAIN.INI"),
              "[ZELMAIN]\r\nVersion=7\r\nConfigPath=C:\\PROGRA~1\\KORVEX~1\\\r\n");
}

TEST_F(MainRunTest, NoToBothQuestionsStillWritesThePathsAndTheRegion) {
    windows.ui().Answer(Answer::No);
    windows.ui().Answer(Answer::No);
    run.record.AirtalkerRegion = 2;
    EXPECT_EQ(Main(run), exit_code::kCompleted);
    EXPECT_TRUE(windows.ui().dialogs().empty());
    EXPECT_EQ(File("NELK.INI"), "[Comms]\r\nLink Type=Serial-System\r\n"
                                "[Initialisation]\r\nPath=C:\\TELMIMAP\r\n"
                                "[Airtalker]\r\nRegion=Latin America\r\n"
                                "Latin America=0000007FE0\r\n");
    EXPECT_EQ(File("ZELMAIN.INI"),
              "[ZELMAIN]\r\nVersion=7\r\nConfigPath=C:\\PROGRA~1\\KORVEX~1\\\r\n");
}

// The copy into S10 fails: the warning is shown, the cursor is normal again, and the YMV and
// region settings still follow.
TEST_F(MainRunTest, AFailedMapCopyIsReportedAndTheRunGoesOn) {
    windows.ui().Answer(Answer::Yes);
    windows.ui().Dialog(ScriptedUserInterface::Press("OKButton", {{"CopyMira", true}}));
    windows.ui().Answer(Answer::Yes);
    windows.ui().Dialog(
        ScriptedUserInterface::Press("OkButton", {{"Check1(9)", true}, {"Check1(14)", true}}));
    windows.ui().Answer(Answer::Yes);
    windows.ui().Dialog(ScriptedUserInterface::Press("OKButton"));
    windows.FailPath(Operation::CopyFile, "C:\\TELMIMAP\\S10\\news", win::kHandleDiskFull);

    EXPECT_EQ(Main(run), exit_code::kCompleted) << State();

    const auto& messages = windows.ui().messages();
    ASSERT_EQ(messages.size(), 4u) << State();
    EXPECT_EQ(messages[2].request.icon, platform::Icon::Warning);
    EXPECT_NE(messages[2].request.text.find("D:\\Mira Maps\\map_disk_3\\news\\news.map"),
              std::string::npos)
        << messages[2].request.text;
    EXPECT_NE(messages[2].request.text.find("error 39"), std::string::npos);
    EXPECT_EQ(messages[3].request.prompt, "UpdateYmvSettings");
    EXPECT_EQ(windows.ui().pending(), 0u);
    EXPECT_FALSE(windows.ui().waitCursorOn());
    EXPECT_EQ(windows.Contents("C:\\TELMIMAP\\S10\\studios\\studios.map"), "studios");
    EXPECT_FALSE(windows.Exists("C:\\TELMIMAP\\S15"));
    EXPECT_EQ(File("NELK.INI"), "[Comms]\r\nLink Type=Serial-System\r\n"
                                "[Initialisation]\r\nPath=C:\\TELMIMAP\r\n"
                                "[Airtalker]\r\nRegion=Europe\r\nEurope=03FF000000\r\n");
    EXPECT_EQ(File("ZELMAIN.INI"), Zelmain("000000000000000", "000000000000000"));
}

} // namespace
} // namespace korvex::frontend
