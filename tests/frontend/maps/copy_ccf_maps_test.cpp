// The old-format map preparation: the questions, the wait cursor, the merge and its failures.
#include "frontend/maps/CopyCcfMaps.h"

#include <gtest/gtest.h>

#include "platform/memory/MemoryWindows.h"

namespace korvex::frontend {
namespace {

using memory::Operation;
using platform::Answer;

// The first question as the transcript shows it, its carriage return written as "\\r".
constexpr const char* kFirstQuestion =
    "message [Query] CCF MAP files exists in C:\\MAP\\rUse to create KORVEx files in "
    "C:\\TELMIMAP?";

class CopyCcfMapsTest : public ::testing::Test {
protected:
    void PutOldMaps() {
        windows.PutFile("C:\\MAP\\a.ccf", "a");
        windows.PutFile("C:\\MAP\\SUB\\b.ccf", "b");
    }
    std::vector<std::string> Transcript() { return windows.ui().transcript(); }

    memory::MemoryWindows windows;
};

TEST_F(CopyCcfMapsTest, WithoutOldMapsOnlySaysSo) {
    windows.PutFile("C:\\TELMIMAP\\S01\\x.map", "x");
    const Status result = CopyCcfMaps(windows.platform(), "C:\\");
    EXPECT_TRUE(result.ok());
    ASSERT_EQ(windows.ui().messages().size(), 1u);
    const platform::MessageBoxRequest& shown = windows.ui().messages()[0].request;
    EXPECT_EQ(shown.text, "no CCF Maps To Copy");
    EXPECT_EQ(shown.title, "Warning");
    EXPECT_EQ(shown.buttons, platform::Buttons::Ok);
    EXPECT_EQ(shown.icon, platform::Icon::None);
    EXPECT_EQ(windows.ui().transcript().back(), "cursor normal");
    EXPECT_EQ(windows.Tree("C:\\TELMIMAP"), (std::vector<std::string>{"S01\\", "S01\\x.map"}));
}

TEST_F(CopyCcfMapsTest, AHiddenMapDirectoryCountsAsMissing) {
    PutOldMaps();
    windows.PutAttributes("C:\\MAP", platform::attr::kDirectory | platform::attr::kHidden);
    (void)CopyCcfMaps(windows.platform(), "C:\\");
    ASSERT_EQ(windows.ui().messages().size(), 1u);
    EXPECT_EQ(windows.ui().messages()[0].request.text, "no CCF Maps To Copy");
    EXPECT_FALSE(windows.Exists("C:\\TELMIMAP"));
}

TEST_F(CopyCcfMapsTest, YesCopiesIntoANewMapDirectoryWithoutASecondQuestion) {
    PutOldMaps();
    windows.ui().Answer(Answer::Yes);
    EXPECT_TRUE(CopyCcfMaps(windows.platform(), "C:\\").ok());
    EXPECT_EQ(Transcript(), (std::vector<std::string>{std::string(kFirstQuestion) + " -> Yes",
                                                      "cursor wait", "cursor normal"}));
    const platform::MessageBoxRequest& asked = windows.ui().messages()[0].request;
    EXPECT_EQ(asked.text,
              "CCF MAP files exists in C:\\MAP\rUse to create KORVEx files in C:\\TELMIMAP?");
    EXPECT_EQ(asked.buttons, platform::Buttons::YesNo);
    EXPECT_EQ(asked.icon, platform::Icon::Question);
    EXPECT_EQ(asked.prompt, "UseCcfMaps");
    EXPECT_EQ(windows.Tree("C:\\TELMIMAP"),
              (std::vector<std::string>{"a.ccf", "SUB\\", "SUB\\b.ccf"}));
}

// The map directory staged earlier in the run is merged into after a second Yes.
TEST_F(CopyCcfMapsTest, AnExistingMapDirectoryNeedsASecondYes) {
    const std::string second = "message [Warning] KORVEx Map files directory (C:\\TELMIMAP) "
                               "already exists - continue?";
    for (Answer answer : {Answer::Yes, Answer::No}) {
        memory::MemoryWindows machine;
        machine.PutFile("C:\\MAP\\a.ccf", "new a");
        machine.PutFile("C:\\TELMIMAP\\a.ccf", "old a");
        machine.PutFile("C:\\TELMIMAP\\own.map", "own");
        machine.ui().Answer(Answer::Yes);
        machine.ui().Answer(answer);
        EXPECT_TRUE(CopyCcfMaps(machine.platform(), "C:\\").ok());
        const bool yes = answer == Answer::Yes;
        EXPECT_EQ(
            machine.ui().transcript(),
            (std::vector<std::string>{std::string(kFirstQuestion) + " -> Yes", "cursor wait",
                                      second + (yes ? " -> Yes" : " -> No"), "cursor normal"}));
        EXPECT_EQ(machine.ui().messages()[1].request.prompt, "ContinueIntoExistingMaps");
        EXPECT_EQ(machine.ui().messages()[1].request.icon, platform::Icon::None);
        EXPECT_EQ(machine.Contents("C:\\TELMIMAP\\a.ccf"), yes ? "new a" : "old a");
        EXPECT_EQ(machine.Contents("C:\\TELMIMAP\\own.map"), "own");
    }
}

TEST_F(CopyCcfMapsTest, NoToTheFirstQuestionCopiesNothing) {
    PutOldMaps();
    windows.ui().Answer(Answer::No);
    EXPECT_TRUE(CopyCcfMaps(windows.platform(), "C:\\").ok());
    EXPECT_EQ(Transcript(), (std::vector<std::string>{std::string(kFirstQuestion) + " -> No",
                                                      "cursor wait", "cursor normal"}));
    EXPECT_FALSE(windows.Exists("C:\\TELMIMAP"));
}

TEST_F(CopyCcfMapsTest, TheSourceStaysOnCWhenTheProductIsOnD) {
    windows.AddDrive('D', platform::DriveType::Fixed);
    PutOldMaps();
    windows.PutFile("D:\\TELMIMAP\\own.map", "own");
    windows.ui().Answer(Answer::Yes);
    windows.ui().Answer(Answer::Yes);
    EXPECT_TRUE(CopyCcfMaps(windows.platform(), "D:\\").ok());
    ASSERT_EQ(windows.ui().messages().size(), 2u);
    EXPECT_EQ(windows.ui().messages()[0].request.text,
              "CCF MAP files exists in C:\\MAP\rUse to create KORVEx files in D:\\TELMIMAP?");
    EXPECT_EQ(windows.ui().messages()[1].request.text,
              "KORVEx Map files directory (D:\\TELMIMAP) already exists - continue?");
    EXPECT_EQ(windows.Contents("D:\\TELMIMAP\\SUB\\b.ccf"), "b") << windows.Describe();
    EXPECT_FALSE(windows.Exists("C:\\TELMIMAP"));
}

// The failure reaches the caller with the hourglass still on; what was copied stays.
TEST_F(CopyCcfMapsTest, AFailedCopyIsReturnedAtOnce) {
    PutOldMaps();
    windows.ui().Answer(Answer::Yes);
    windows.FailNth(Operation::CopyFile, 2, win::kDiskFull);
    const Status result = CopyCcfMaps(windows.platform(), "C:\\");
    ASSERT_FALSE(result.ok()) << windows.Describe();
    EXPECT_EQ(result.error().code, win::kDiskFull);
    EXPECT_NE(result.error().path.find("b.ccf"), std::string::npos)
        << result.error().DescribeWhere();
    EXPECT_TRUE(windows.ui().waitCursorOn());
    EXPECT_EQ(windows.Contents("C:\\TELMIMAP\\a.ccf"), "a");
    EXPECT_FALSE(windows.Exists("C:\\TELMIMAP\\SUB\\b.ccf"));
}

} // namespace
} // namespace korvex::frontend
