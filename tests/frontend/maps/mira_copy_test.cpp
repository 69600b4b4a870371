// The system-selection dialog: its grid, OK, Cancel, the close box and CopyMapToSystem.
#include "frontend/maps/MiraCopy.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "frontend/dialogs/DialogTesting.h"
#include "frontend/dialogs/DialogSupport.h"
#include "platform/memory/MemoryWindows.h"

namespace korvex::frontend {
namespace {

using memory::ScriptedUserInterface;
using platform::DialogClose;

class MiraCopyTest : public ::testing::Test {
protected:
    std::string Picked() const {
        std::string out;
        for (std::int16_t i = 0; i < 16; ++i) {
            out += dialog.CopyMapToSystem(i) ? '1' : '0';
        }
        return out;
    }

    memory::MemoryWindows windows;
    MiraCopy dialog{windows.platform()};
};

TEST_F(MiraCopyTest, CarriesWhatTheViewShows) {
    EXPECT_EQ(dialog.Caption(), "Select Systems");
    EXPECT_EQ(dialog.ClientArea(), (platform::Twips{0, 0, 6855, 3930}));
    testing::ExpectViewableLayout(dialog);
    std::vector<std::string> tabOrder = {"OkButton", "CancelButton"};
    for (int i = 0; i < 15; ++i) {
        tabOrder.push_back(ArrayName("Check1", i));
    }
    EXPECT_EQ(testing::TabOrder(dialog), tabOrder);
    const auto rectOf = [&](const std::string& name) {
        return dialog.Controls().at(static_cast<std::size_t>(dialog.Find(name))).rect;
    };
    // Filled row by row: System1 to System3 in the first row, System13 to 15 in the last.
    EXPECT_EQ(rectOf("Check1(0)"), (platform::Twips{720, 720, 1275, 285}));
    EXPECT_EQ(rectOf("Check1(2)"), (platform::Twips{5040, 720, 1275, 285}));
    EXPECT_EQ(rectOf("Check1(3)"), (platform::Twips{720, 1200, 1275, 285}));
    EXPECT_EQ(rectOf("Check1(13)"), (platform::Twips{3000, 2640, 1275, 285}));
    EXPECT_EQ(rectOf("OkButton"), (platform::Twips{1590, 3360, 1320, 390}));
    EXPECT_EQ(rectOf("CancelButton"), (platform::Twips{3960, 3360, 1320, 390}));
    EXPECT_EQ(dialog.Controls().at(static_cast<std::size_t>(dialog.Find("Check1(14)"))).caption,
              "System15");
    EXPECT_EQ(dialog.Controls().at(static_cast<std::size_t>(dialog.Find("Label1"))).caption,
              "Select the systems requiring the Mira Maps");
}

TEST_F(MiraCopyTest, OkPicksTheTickedSystems) {
    EXPECT_EQ(Picked(), "0000000000000000");
    windows.ui().Dialog(
        ScriptedUserInterface::Press("OkButton", {{"Check1(0)", true}, {"Check1(9)", true}}));
    EXPECT_EQ(windows.ui().ShowDialog(dialog), DialogClose::Ok);
    EXPECT_EQ(Picked(), "1000000001000000");
    EXPECT_TRUE(windows.ui().messages().empty());
}

TEST_F(MiraCopyTest, CancelSaysSoAndTheCloseBoxSaysNothing) {
    struct Row {
        ScriptedUserInterface::DialogScript script;
        DialogClose closedAs;
        std::size_t messages;
    } rows[] = {
        {ScriptedUserInterface::Press("CancelButton", {{"Check1(4)", true}}), DialogClose::Cancel,
         1},
        {ScriptedUserInterface::CloseBox({{"Check1(4)", true}}), DialogClose::CloseBox, 0},
    };
    for (Row& row : rows) {
        memory::MemoryWindows machine;
        MiraCopy copy(machine.platform());
        machine.ui().Dialog(row.script);
        EXPECT_EQ(machine.ui().ShowDialog(copy), row.closedAs);
        for (std::int16_t i = 0; i < 16; ++i) {
            EXPECT_FALSE(copy.CopyMapToSystem(i)) << i;
        }
        ASSERT_EQ(machine.ui().messages().size(), row.messages);
        if (row.messages == 1) {
            const platform::MessageBoxRequest& shown = machine.ui().messages()[0].request;
            EXPECT_EQ(shown.text, "Mira Maps Will Not Be Loaded");
            EXPECT_EQ(shown.title, "VarenInstall");
            EXPECT_EQ(shown.buttons, platform::Buttons::Ok);
            EXPECT_EQ(shown.icon, platform::Icon::Information);
        }
    }
}

TEST_F(MiraCopyTest, AShowingAfterAnOkStartsClear) {
    windows.ui().Dialog(ScriptedUserInterface::Press("OkButton", {{"Check1(3)", true}}));
    std::string reopened;
    windows.ui().Dialog(testing::NotingOpeningStates(reopened, ScriptedUserInterface::CloseBox()));
    (void)windows.ui().ShowDialog(dialog);
    (void)windows.ui().ShowDialog(dialog);
    EXPECT_EQ(reopened.find("=1"), std::string::npos) << reopened;
    EXPECT_EQ(Picked(), "0000000000000000");
}

TEST_F(MiraCopyTest, CopyMapToSystemRejectsIndexesOutsideTheTable) {
    for (std::int16_t sys : {std::int16_t{-1}, std::int16_t{16}, std::int16_t{17},
                             std::int16_t{32767}, std::int16_t{-32768}}) {
        EXPECT_THROW((void)dialog.CopyMapToSystem(sys), std::out_of_range) << sys;
    }
    EXPECT_NO_THROW((void)dialog.CopyMapToSystem(0));
    EXPECT_NO_THROW((void)dialog.CopyMapToSystem(15));
}

} // namespace
} // namespace korvex::frontend
