// The system type dialog: rows, opening state, OK's thirty keys and their order, Cancel and the
// close box.
#include "frontend/dialogs/SystemType.h"

#include <gtest/gtest.h>

#include "frontend/dialogs/DialogTesting.h"
#include "frontend/dialogs/DialogSupport.h"
#include "platform/memory/MemoryWindows.h"

namespace korvex::frontend {
namespace {

using memory::Operation;
using memory::ScriptedUserInterface;
using platform::DialogClose;

class SystemTypeTest : public ::testing::Test {
protected:
    SystemTypeTest()
        : recorder(windows.profile()), machine{windows.files(),  recorder,     windows.installer(),
                                               windows.system(), windows.ui(), log},
          dialog(machine, SetupCancelled) {}

    std::string File(const char* name) const {
        return windows.Contents(std::string("C:\\WINDOWS\\") + name).value_or("<missing>");
    }
    // The two sections as one OK writes them into an empty ZELMAIN.INI.
    static std::string Zelmain(const std::string& types, const std::string& directions) {
        std::string out = "[FrameType]\r\n";
        for (int n = 1; n <= 15; ++n) {
            out += "System" + std::to_string(n) + "=" + types[static_cast<std::size_t>(n - 1)] +
                   "\r\n";
        }
        out += "[FrameDirection]\r\n";
        for (int n = 1; n <= 15; ++n) {
            out += "System" + std::to_string(n) + "=" +
                   directions[static_cast<std::size_t>(n - 1)] + "\r\n";
        }
        return out;
    }

    memory::MemoryWindows windows;
    testing::RecordingProfile recorder;
    platform::Log log;
    platform::Platform machine;
    bool SetupCancelled = false;
    SystemType dialog;
};

TEST_F(SystemTypeTest, CarriesWhatTheViewShows) {
    EXPECT_EQ(dialog.Caption(), "System Type Setup");
    EXPECT_EQ(dialog.ClientArea(), (platform::Twips{0, 0, 9450, 8535}));
    testing::ExpectViewableLayout(dialog);
    const auto& controls = dialog.Controls();
    const auto at = [&](const std::string& name) -> const platform::Control& {
        const int index = dialog.Find(name);
        EXPECT_GE(index, 0) << name;
        return controls.at(static_cast<std::size_t>(index));
    };
    EXPECT_EQ(at("Label1").caption, "Select System Type For Each System");
    EXPECT_EQ(at("Label1").font, (platform::Font{13.5, false}));
    EXPECT_EQ(at("Label3").caption, "Check for multiple frames stacked with first frame from top");
    EXPECT_EQ(at("Label3").font, (platform::Font{8.25, true}));
    EXPECT_EQ(at("Label3").rect, (platform::Twips{7170, 120, 2235, 615}));
    EXPECT_EQ(at("OKButton").rect, (platform::Twips{3000, 8100, 1215, 375}));
    EXPECT_EQ(at("CancelButton").rect, (platform::Twips{5520, 8100, 1215, 375}));

    std::vector<std::string> tabOrder;
    for (int i = 0; i < 15; ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const platform::Control& frame = at(ArrayName("Frame1", i));
        EXPECT_EQ(frame.kind, platform::ControlKind::GroupBox);
        EXPECT_EQ(frame.caption, "");
        EXPECT_EQ(frame.rect.top, 720 + 480 * i);
        const int frameIndex = dialog.Find(ArrayName("Frame1", i));
        EXPECT_EQ(at(ArrayName("Label2", i)).caption, "System" + std::to_string(i + 1) + " :");
        const char* options[][2] = {{"Option1", "Ostrel[9U]"},
                                    {"Option3", "Pennet[4U]"},
                                    {"Option4", "Quarne [4U]"},
                                    {"Option5", "Mira"},
                                    {"Check1", "Stack From Top"}};
        for (const auto& option : options) {
            const platform::Control& control = at(ArrayName(option[0], i));
            EXPECT_EQ(control.caption, option[1]);
            EXPECT_EQ(control.container, frameIndex);
            tabOrder.push_back(control.name);
        }
    }
    tabOrder.push_back("OKButton");
    tabOrder.push_back("CancelButton");
    EXPECT_EQ(testing::TabOrder(dialog), tabOrder);
}

TEST_F(SystemTypeTest, OkUnchangedWritesZeroForEverySystemAndLeavesNelkAlone) {
    windows.PutFile("C:\\WINDOWS\\NELK.INI", "[Multiple Maps]\r\nMax Map Number=9\r\n");
    windows.ui().Dialog(ScriptedUserInterface::Press("OKButton"));
    EXPECT_EQ(windows.ui().ShowDialog(dialog), DialogClose::Ok);
    EXPECT_EQ(File("ZELMAIN.INI"), Zelmain("000000000000000", "000000000000000"));
    EXPECT_EQ(File("NELK.INI"), "[Multiple Maps]\r\nMax Map Number=9\r\n");
    EXPECT_EQ(recorder.writes.size(), 30u);
}

// The write order: FrameType of system n, for a Mira row the map limit, then FrameDirection of
// system n, for n = 1 ... 15.
TEST_F(SystemTypeTest, OkWritesEachRowInTurnWithTheMiraLimitBetween) {
    windows.PutFile("C:\\WINDOWS\\NELK.INI", "[Multiple Maps]\r\nMax Map Number=9\r\n");
    windows.ui().Dialog(ScriptedUserInterface::Press("OKButton", {{"Option3(0)", true},
                                                                  {"Option4(1)", true},
                                                                  {"Check1(1)", true},
                                                                  {"Option5(2)", true},
                                                                  {"Option5(14)", true},
                                                                  {"Check1(14)", true},
                                                                  {"Check1(9)", true}}));
    EXPECT_EQ(windows.ui().ShowDialog(dialog), DialogClose::Ok);
    EXPECT_FALSE(SetupCancelled);

    std::vector<std::string> expected;
    const std::string types = "234000000000004";
    const std::string directions = "010000000100001";
    for (int n = 1; n <= 15; ++n) {
        const std::string key = "System" + std::to_string(n);
        expected.push_back("ZELMAIN.INI [FrameType] " + key + "=" +
                           types[static_cast<std::size_t>(n - 1)]);
        if (types[static_cast<std::size_t>(n - 1)] == '4') {
            expected.push_back("NELK.INI [Multiple Maps] Max Map Number=6");
        }
        expected.push_back("ZELMAIN.INI [FrameDirection] " + key + "=" +
                           directions[static_cast<std::size_t>(n - 1)]);
    }
    EXPECT_EQ(recorder.writes, expected);
    EXPECT_EQ(File("ZELMAIN.INI"), Zelmain(types, directions));
    EXPECT_EQ(File("NELK.INI"), "[Multiple Maps]\r\nMax Map Number=6\r\n");
}

TEST_F(SystemTypeTest, OkReplacesEarlierValuesInPlace) {
    windows.PutFile("C:\\WINDOWS\\ZELMAIN.INI",
                    "[ZELMAIN]\r\nConfigPath=C:\\K\\\r\n[FrameDirection]\r\nsystem3=1\r\n"
                    "[FrameType]\r\nSystem3=2\r\n; comment\r\n");
    windows.ui().Dialog(ScriptedUserInterface::Press("OKButton", {{"Option5(0)", true}}));
    (void)windows.ui().ShowDialog(dialog);
    std::string expected = "[ZELMAIN]\r\nConfigPath=C:\\K\\\r\n[FrameDirection]\r\n";
    // An existing key keeps its line and the spelling of its name; new keys follow in order.
    std::string directions = "system3=0\r\n", types = "System3=0\r\n; comment\r\n";
    for (int n = 1; n <= 15; ++n) {
        if (n == 3) {
            continue;
        }
        directions += "System" + std::to_string(n) + "=0\r\n";
        types += "System" + std::to_string(n) + (n == 1 ? "=4\r\n" : "=0\r\n");
    }
    expected += directions + "[FrameType]\r\n" + types;
    EXPECT_EQ(File("ZELMAIN.INI"), expected);
    EXPECT_EQ(File("NELK.INI"), "[Multiple Maps]\r\nMax Map Number=6\r\n");
}

TEST_F(SystemTypeTest, CancelAndTheCloseBoxWriteNothing) {
    struct Row {
        const char* name;
        ScriptedUserInterface::DialogScript script;
        bool cancelledBefore;
        bool cancelledAfter;
    } rows[] = {
        {"Cancel", ScriptedUserInterface::Press("CancelButton", {{"Option5(0)", true}}), false,
         true},
        {"close box, not cancelled", ScriptedUserInterface::CloseBox({{"Option5(0)", true}}), false,
         false},
        {"close box, cancelled", ScriptedUserInterface::CloseBox({{"Option5(0)", true}}), true,
         true},
    };
    for (Row& row : rows) {
        SetupCancelled = row.cancelledBefore;
        windows.ui().Dialog(row.script);
        (void)windows.ui().ShowDialog(dialog);
        EXPECT_EQ(SetupCancelled, row.cancelledAfter) << row.name;
    }
    EXPECT_EQ(windows.Count(Operation::WriteProfileString), 0u) << windows.Describe();
}

TEST_F(SystemTypeTest, ASecondShowingOpensWithTheDefaults) {
    windows.PutFile("C:\\WINDOWS\\ZELMAIN.INI", "[FrameType]\r\nSystem1=3\r\n");
    std::string first, second;
    windows.ui().Dialog(testing::NotingOpeningStates(
        first, ScriptedUserInterface::Press(
                   "OKButton", {{"Option4(0)", true}, {"Check1(0)", true}, {"Option5(7)", true}})));
    windows.ui().Dialog(
        testing::NotingOpeningStates(second, ScriptedUserInterface::Press("OKButton")));
    (void)windows.ui().ShowDialog(dialog);
    (void)windows.ui().ShowDialog(dialog);
    std::string defaults;
    for (int i = 0; i < 15; ++i) {
        for (const char* control : {"Option1", "Option3", "Option4", "Option5", "Check1"}) {
            defaults += defaults.empty() ? "" : " ";
            defaults += ArrayName(control, i);
            defaults += control == std::string("Option1") ? "=1" : "=0";
        }
    }
    EXPECT_EQ(first, defaults);
    EXPECT_EQ(second, defaults);
    EXPECT_EQ(File("ZELMAIN.INI"), Zelmain("000000000000000", "000000000000000"));
}

} // namespace
} // namespace korvex::frontend
