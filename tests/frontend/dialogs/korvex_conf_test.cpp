// The connection and map-processing dialog: opening state, OK, Cancel, close box, NELK.INI.
#include "frontend/dialogs/KORVExConf.h"

#include <gtest/gtest.h>

#include "frontend/dialogs/DialogTesting.h"
#include "platform/memory/MemoryWindows.h"

namespace korvex::frontend {
namespace {

using memory::Operation;
using memory::ScriptedUserInterface;
using platform::DialogClose;

constexpr const char* kOpeningStates =
    "EthernetOption=0 SerialOption=1 DoNothingOption=1 ConvertOption=0 CopyMira=0";

class KORVExConfTest : public ::testing::Test {
protected:
    std::string Nelk() const {
        return windows.Contents("C:\\WINDOWS\\NELK.INI").value_or("<no NELK.INI>");
    }

    memory::MemoryWindows windows;
    bool SetupCancelled = false;
    KORVExConf dialog{windows.platform(), SetupCancelled};
};

TEST_F(KORVExConfTest, CarriesWhatTheViewShows) {
    EXPECT_EQ(dialog.Caption(), "KORVEx Configuration");
    EXPECT_EQ(dialog.ClientArea(), (platform::Twips{0, 0, 6030, 5025}));
    testing::ExpectViewableLayout(dialog);
    EXPECT_EQ(
        testing::TabOrder(dialog),
        (std::vector<std::string>{"OKButton", "CancelButton", "EthernetOption", "SerialOption",
                                  "ConvertOption", "DoNothingOption", "CopyMira"}));
    const char* captions[][3] = {
        {"Frame1", "Connection Configuration", ""},
        {"EthernetOption", "Ethernet Connection", "Frame1"},
        {"SerialOption", "Serial Connection", "Frame1"},
        {"Frame2", "Map Processing", ""},
        {"DoNothingOption", "No Conversion required", "Frame2"},
        {"ConvertOption", "I want to convert my old CCF (TELM) maps", "Frame2"},
        {"CopyMira", "Copy Mira Maps", "Frame2"},
        {"OKButton", "OK", ""},
        {"CancelButton", "Cancel", ""},
    };
    for (const auto& [name, caption, container] : captions) {
        const int index = dialog.Find(name);
        ASSERT_GE(index, 0) << name;
        const platform::Control& control = dialog.Controls()[static_cast<std::size_t>(index)];
        EXPECT_EQ(control.caption, caption) << name;
        EXPECT_EQ(control.container, *container ? dialog.Find(container) : -1) << name;
    }
}

TEST_F(KORVExConfTest, OkWritesTheLinkTypeAndSetsTheResultFields) {
    struct Row {
        std::vector<std::pair<std::string, bool>> states;
        bool mapsfromccf;
        bool CopyMiraMaps;
        const char* nelk;
    } rows[] = {
        {{}, false, false, "[Comms]\r\nLink Type=Serial-System\r\n"},
        {{{"EthernetOption", true}},
         false,
         false,
         "[Comms]\r\nLink Type=Ethernet-System\r\nEthernet Type=Winsock\r\n"},
        {{{"ConvertOption", true}, {"CopyMira", true}},
         true,
         true,
         "[Comms]\r\nLink Type=Serial-System\r\n"},
        {{{"EthernetOption", true}, {"SerialOption", true}, {"CopyMira", true}},
         false,
         true,
         "[Comms]\r\nLink Type=Serial-System\r\n"},
        {{{"ConvertOption", true}, {"DoNothingOption", true}},
         false,
         false,
         "[Comms]\r\nLink Type=Serial-System\r\n"},
    };
    for (const Row& row : rows) {
        memory::MemoryWindows machine;
        bool cancelled = true;
        KORVExConf conf(machine.platform(), cancelled);
        machine.ui().Dialog(ScriptedUserInterface::Press("OKButton", row.states));
        EXPECT_EQ(machine.ui().ShowDialog(conf), DialogClose::Ok);
        const std::string states = machine.ui().dialogs().at(0).states;
        EXPECT_FALSE(cancelled) << states;
        EXPECT_EQ(conf.mapsfromccf, row.mapsfromccf) << states;
        EXPECT_EQ(conf.CopyMiraMaps, row.CopyMiraMaps) << states;
        EXPECT_EQ(machine.Contents("C:\\WINDOWS\\NELK.INI"), row.nelk) << states;
    }
}

// Going back from Ethernet to serial changes only "Link Type".
TEST_F(KORVExConfTest, SerialAfterEthernetKeepsTheStaleEthernetType) {
    windows.PutFile("C:\\WINDOWS\\NELK.INI",
                    "[Comms]\r\nLink Type=Ethernet-System\r\nEthernet Type=Winsock\r\nPort=2\r\n");
    windows.ui().Dialog(ScriptedUserInterface::Press("OKButton"));
    (void)windows.ui().ShowDialog(dialog);
    EXPECT_EQ(Nelk(), "[Comms]\r\nLink Type=Serial-System\r\nEthernet Type=Winsock\r\nPort=2\r\n");
}

// Only OK and Cancel change SetupCancelled; only OK writes or sets the result fields.
TEST_F(KORVExConfTest, ThreeWaysOfClosing) {
    const std::vector<std::pair<std::string, bool>> everything = {
        {"EthernetOption", true}, {"ConvertOption", true}, {"CopyMira", true}};
    struct Row {
        const char* name;
        ScriptedUserInterface::DialogScript script;
        bool cancelledBefore;
        DialogClose closedAs;
        bool cancelledAfter;
        bool fields;
        std::uint64_t writes;
    } rows[] = {
        {"OK", ScriptedUserInterface::Press("OKButton", everything), true, DialogClose::Ok, false,
         true, 2},
        {"Cancel", ScriptedUserInterface::Press("CancelButton", everything), false,
         DialogClose::Cancel, true, false, 0},
        {"close box after OK", ScriptedUserInterface::CloseBox(everything), false,
         DialogClose::CloseBox, false, false, 0},
        {"close box after Cancel", ScriptedUserInterface::CloseBox(everything), true,
         DialogClose::CloseBox, true, false, 0},
    };
    for (Row& row : rows) {
        memory::MemoryWindows machine;
        bool cancelled = row.cancelledBefore;
        KORVExConf conf(machine.platform(), cancelled);
        machine.ui().Dialog(row.script);
        EXPECT_EQ(machine.ui().ShowDialog(conf), row.closedAs) << row.name;
        EXPECT_EQ(cancelled, row.cancelledAfter) << row.name;
        EXPECT_EQ(conf.mapsfromccf, row.fields) << row.name;
        EXPECT_EQ(conf.CopyMiraMaps, row.fields) << row.name;
        EXPECT_EQ(machine.Count(Operation::WriteProfileString), row.writes) << row.name << "\n"
                                                                            << machine.Describe();
    }
}

TEST_F(KORVExConfTest, EveryShowingOpensInTheOpeningState) {
    windows.PutFile("C:\\WINDOWS\\NELK.INI",
                    "[Comms]\r\nLink Type=Ethernet-System\r\nEthernet Type=Winsock\r\n");
    std::string first, second;
    windows.ui().Dialog(testing::NotingOpeningStates(
        first,
        ScriptedUserInterface::Press(
            "OKButton", {{"EthernetOption", true}, {"ConvertOption", true}, {"CopyMira", true}})));
    windows.ui().Dialog(
        testing::NotingOpeningStates(second, ScriptedUserInterface::Press("OKButton")));
    (void)windows.ui().ShowDialog(dialog);
    (void)windows.ui().ShowDialog(dialog);
    EXPECT_EQ(first, kOpeningStates);
    EXPECT_EQ(second, kOpeningStates);
    EXPECT_FALSE(dialog.mapsfromccf);
    EXPECT_FALSE(dialog.CopyMiraMaps);
}

TEST_F(KORVExConfTest, AFailedWriteDoesNotStopTheNextOne) {
    windows.FailNth(Operation::WriteProfileString, 1, win::kAccessDenied);
    windows.ui().Dialog(ScriptedUserInterface::Press("OKButton", {{"EthernetOption", true}}));
    EXPECT_EQ(windows.ui().ShowDialog(dialog), DialogClose::Ok);
    EXPECT_EQ(Nelk(), "[Comms]\r\nEthernet Type=Winsock\r\n");
    EXPECT_FALSE(SetupCancelled);
}

} // namespace
} // namespace korvex::frontend
