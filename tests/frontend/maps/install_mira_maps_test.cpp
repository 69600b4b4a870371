// The Mira map copying: finding the disc, the question, the dialog, the per-system copies, the
// overwrite questions and the failures that end the step.
#include "frontend/maps/InstallMiraMaps.h"
#include "product/Korvex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "platform/memory/MemoryWindows.h"

namespace korvex::frontend {
namespace {

using memory::Operation;
using memory::ScriptedUserInterface;
using platform::Answer;
using platform::DriveType;

// Puts a disc with the six map sets, one file each, into drive `letter`.
void PutMiraDisc(memory::MemoryWindows& machine, char letter) {
    for (const product::MiraMapSet& set : product::kMiraMapSets) {
        machine.PutFile(std::string(1, letter) + ":\\Mira Maps" + std::string(set.path) + "\\" +
                            std::string(set.name) + ".map",
                        std::string(set.name) + " from " + letter);
    }
}

TEST(FindMiraMaps, TakesTheStartDriveOrTheFirstCdRomDriveThatHoldsTheMaps) {
    struct Drive {
        char letter;
        DriveType type;
        bool maps;
        bool medium = true;
    };
    struct Row {
        const char* name;
        std::vector<Drive> drives;
        const char* currentDirectory;
        std::optional<std::string> found;
    } rows[] = {
        {"disc in E:, started from the hard disk",
         {{'D', DriveType::CdRom, false}, {'E', DriveType::CdRom, true}},
         "C:\\Setup",
         "E:\\Mira Maps"},
        {"two discs: D: wins",
         {{'D', DriveType::CdRom, true}, {'E', DriveType::CdRom, true}},
         "C:\\",
         "D:\\Mira Maps"},
        {"started from D: without the maps: E: is not looked at",
         {{'D', DriveType::CdRom, false}, {'E', DriveType::CdRom, true}},
         "D:\\SETUP",
         std::nullopt},
        {"started from E: with the maps, D: holds them too",
         {{'D', DriveType::CdRom, true}, {'E', DriveType::CdRom, true}},
         "E:\\",
         "E:\\Mira Maps"},
        {"D: without a medium is skipped",
         {{'D', DriveType::CdRom, true, false}, {'F', DriveType::CdRom, true}},
         "C:\\",
         "F:\\Mira Maps"},
        {"fixed and removable drives are never searched",
         {{'A', DriveType::Removable, true}, {'G', DriveType::Fixed, true}},
         "C:\\",
         std::nullopt},
        {"started from a removable drive holding the maps",
         {{'A', DriveType::Removable, true}, {'Z', DriveType::CdRom, true}},
         "A:\\",
         "Z:\\Mira Maps"},
        {"no CD-ROM drive", {}, "C:\\", std::nullopt},
    };
    for (const Row& row : rows) {
        memory::MemoryWindows machine;
        PutMiraDisc(machine, 'C');
        for (const Drive& drive : row.drives) {
            machine.AddDrive(drive.letter, drive.type);
            if (drive.maps) {
                PutMiraDisc(machine, drive.letter);
            }
            machine.SetMediaPresent(drive.letter, drive.medium);
        }
        machine.SetCurrentDirectory(row.currentDirectory);
        EXPECT_EQ(FindMiraMaps(machine.files()), row.found) << row.name << "\n"
                                                            << machine.Describe();
    }
}

TEST(SystemMapDirectory, HasTwoDigits) {
    EXPECT_EQ(SystemMapDirectory("C:\\", 1), "C:\\TELMIMAP\\S01");
    EXPECT_EQ(SystemMapDirectory("C:\\", 9), "C:\\TELMIMAP\\S09");
    EXPECT_EQ(SystemMapDirectory("D:\\", 10), "D:\\TELMIMAP\\S10");
    EXPECT_EQ(SystemMapDirectory("C:\\", 15), "C:\\TELMIMAP\\S15");
}

class InstallMiraMapsTest : public ::testing::Test {
protected:
    InstallMiraMapsTest() {
        windows.AddDrive('D', DriveType::CdRom);
        windows.MakeDirectories("C:\\TELMIMAP");
    }

    Status Run() { return InstallMiraMaps(windows.platform(), dialog, "C:\\"); }
    // Yes to the question, then OK in MiraCopy with these systems ticked (numbers from 1).
    void Pick(std::vector<int> systems) {
        windows.ui().Answer(Answer::Yes);
        std::vector<std::pair<std::string, bool>> ticks;
        for (int system : systems) {
            ticks.emplace_back("Check1(" + std::to_string(system - 1) + ")", true);
        }
        windows.ui().Dialog(ScriptedUserInterface::Press("OkButton", ticks));
    }
    std::vector<std::string> Questions() {
        std::vector<std::string> out;
        for (const auto& shown : windows.ui().messages()) {
            out.push_back(shown.request.prompt);
        }
        return out;
    }

    memory::MemoryWindows windows;
    std::optional<MiraCopy> dialog;
};

TEST_F(InstallMiraMapsTest, WithoutADiscOnlySaysSo) {
    EXPECT_TRUE(Run().ok());
    ASSERT_EQ(windows.ui().messages().size(), 1u);
    const platform::MessageBoxRequest& shown = windows.ui().messages()[0].request;
    EXPECT_EQ(shown.text, "No Mira Maps To Copy");
    EXPECT_EQ(shown.title, "Warning");
    EXPECT_EQ(shown.buttons, platform::Buttons::Ok);
    EXPECT_EQ(shown.icon, platform::Icon::None);
    EXPECT_TRUE(windows.ui().dialogs().empty());
    EXPECT_FALSE(dialog);
}

TEST_F(InstallMiraMapsTest, NoToTheQuestionShowsNoDialog) {
    PutMiraDisc(windows, 'D');
    windows.ui().Answer(Answer::No);
    EXPECT_TRUE(Run().ok());
    ASSERT_EQ(windows.ui().messages().size(), 1u);
    const platform::MessageBoxRequest& asked = windows.ui().messages()[0].request;
    EXPECT_EQ(asked.text, "Mira MAP files exists in D:\\Mira Maps Copy To C:\\TELMIMAP?");
    EXPECT_EQ(asked.title, "Query");
    EXPECT_EQ(asked.buttons, platform::Buttons::YesNo);
    EXPECT_EQ(asked.icon, platform::Icon::Question);
    EXPECT_EQ(asked.prompt, "CopyMiraMaps");
    EXPECT_TRUE(windows.ui().dialogs().empty());
    EXPECT_EQ(windows.Tree("C:\\TELMIMAP"), std::vector<std::string>{});
}

TEST_F(InstallMiraMapsTest, PickedSystemsGetTheirDirectoryAndAllSixSets) {
    PutMiraDisc(windows, 'D');
    Pick({1, 10});
    EXPECT_TRUE(Run().ok()) << windows.Describe();
    EXPECT_EQ(Questions(), std::vector<std::string>{"CopyMiraMaps"});
    std::vector<std::string> expected;
    for (const char* system : {"S01", "S10"}) {
        expected.push_back(std::string(system) + "\\");
        for (const product::MiraMapSet& set : product::kMiraMapSets) {
            const std::string dir = std::string(system) + "\\" + std::string(set.name);
            expected.push_back(dir + "\\");
            expected.push_back(dir + "\\" + std::string(set.name) + ".map");
        }
    }
    std::vector<std::string> copied = windows.Tree("C:\\TELMIMAP");
    std::sort(copied.begin(), copied.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(copied, expected);
    EXPECT_EQ(windows.Contents("C:\\TELMIMAP\\S10\\Eng_test\\Eng_test.map"), "Eng_test from D");
    // The hourglass is on for each set's copy and off between them.
    int waits = 0;
    for (const std::string& line : windows.ui().transcript()) {
        waits += line == "cursor wait" ? 1 : 0;
    }
    EXPECT_EQ(waits, 12);
    EXPECT_FALSE(windows.ui().waitCursorOn());
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->CopyMapToSystem(9));
}

// No skips only that set of that system; Yes merges into it.
TEST_F(InstallMiraMapsTest, AnExistingSetIsReplacedOnlyAfterYes) {
    for (Answer answer : {Answer::No, Answer::Yes}) {
        memory::MemoryWindows machine;
        machine.AddDrive('D', DriveType::CdRom);
        PutMiraDisc(machine, 'D');
        machine.PutFile("C:\\TELMIMAP\\S02\\ob_map\\mine.map", "mine");
        machine.PutFile("C:\\TELMIMAP\\S02\\ob_map\\ob_map.map", "old");
        machine.ui().Answer(Answer::Yes);
        machine.ui().Dialog(ScriptedUserInterface::Press("OkButton", {{"Check1(1)", true}}));
        machine.ui().Answer(answer);
        std::optional<MiraCopy> copy;
        EXPECT_TRUE(InstallMiraMaps(machine.platform(), copy, "C:\\").ok());
        ASSERT_EQ(machine.ui().messages().size(), 2u);
        const platform::MessageBoxRequest& asked = machine.ui().messages()[1].request;
        EXPECT_EQ(asked.text, "Map ob_map Exists On System02 Overwrite");
        EXPECT_EQ(asked.title, "VarenInstall");
        EXPECT_EQ(asked.buttons, platform::Buttons::YesNo);
        EXPECT_EQ(asked.icon, platform::Icon::None);
        EXPECT_EQ(asked.prompt, "OverwriteMap.S02.ob_map");
        const bool yes = answer == Answer::Yes;
        EXPECT_EQ(machine.Contents("C:\\TELMIMAP\\S02\\ob_map\\ob_map.map"),
                  yes ? "ob_map from D" : "old");
        EXPECT_EQ(machine.Contents("C:\\TELMIMAP\\S02\\ob_map\\mine.map"), "mine");
        for (const char* name : {"studio", "studios", "news", "defmira", "Eng_test"}) {
            EXPECT_EQ(
                machine.Contents("C:\\TELMIMAP\\S02\\" + std::string(name) + "\\" + name + ".map"),
                std::string(name) + " from D");
        }
    }
}

// System by system, each in table order.
TEST_F(InstallMiraMapsTest, OverwriteQuestionsComeSystemBySystem) {
    PutMiraDisc(windows, 'D');
    for (const char* system : {"S03", "S12"}) {
        for (const product::MiraMapSet& set : product::kMiraMapSets) {
            windows.MakeDirectories("C:\\TELMIMAP\\" + std::string(system) + "\\" +
                                    std::string(set.name));
        }
    }
    Pick({12, 3});
    for (int i = 0; i < 12; ++i) {
        windows.ui().Answer(Answer::No);
    }
    EXPECT_TRUE(Run().ok());
    std::vector<std::string> expected = {"CopyMiraMaps"};
    for (const char* system : {"S03", "S12"}) {
        for (const product::MiraMapSet& set : product::kMiraMapSets) {
            expected.push_back("OverwriteMap." + std::string(system) + "." + std::string(set.name));
        }
    }
    EXPECT_EQ(Questions(), expected);
    EXPECT_EQ(windows.ui().messages()[12].request.text,
              "Map Eng_test Exists On System12 Overwrite");
    EXPECT_EQ(windows.Count(Operation::CopyFile), 0u);
}

TEST_F(InstallMiraMapsTest, NothingIsCopiedWithoutAPick) {
    struct Row {
        const char* name;
        ScriptedUserInterface::DialogScript script;
        std::size_t messages;
    } rows[] = {
        {"OK with no box ticked", ScriptedUserInterface::Press("OkButton"), 1},
        {"Cancel", ScriptedUserInterface::Press("CancelButton", {{"Check1(0)", true}}), 2},
        {"close box", ScriptedUserInterface::CloseBox({{"Check1(0)", true}}), 1},
    };
    for (Row& row : rows) {
        memory::MemoryWindows machine;
        machine.AddDrive('D', DriveType::CdRom);
        machine.MakeDirectories("C:\\TELMIMAP");
        PutMiraDisc(machine, 'D');
        machine.ui().Answer(Answer::Yes);
        machine.ui().Dialog(row.script);
        std::optional<MiraCopy> copy;
        EXPECT_TRUE(InstallMiraMaps(machine.platform(), copy, "C:\\").ok()) << row.name;
        EXPECT_EQ(machine.Tree("C:\\TELMIMAP"), std::vector<std::string>{}) << row.name;
        ASSERT_EQ(machine.ui().messages().size(), row.messages) << row.name;
        if (row.messages == 2) {
            EXPECT_EQ(machine.ui().messages()[1].request.text, "Mira Maps Will Not Be Loaded");
        }
    }
}

TEST_F(InstallMiraMapsTest, AFailureEndsTheStepAndIsReturned) {
    struct Row {
        const char* name;
        std::function<void(memory::MemoryWindows&)> inject;
        const char* operation;
        std::string path;
        std::uint32_t code;
        std::vector<std::string> left;
    } rows[] = {
        {"system directory",
         [](memory::MemoryWindows& m) {
             m.FailNth(Operation::CreateDirectory, 1, win::kAccessDenied);
         },
         "create directory",
         "C:\\TELMIMAP\\S01",
         win::kAccessDenied,
         {}},
        {"disk full in the second set",
         [](memory::MemoryWindows& m) { m.FailNth(Operation::CopyFile, 2, win::kDiskFull); },
         "copy file",
         "D:\\Mira Maps\\map_disk_2\\studios\\studios.map",
         win::kDiskFull,
         {"S01\\", "S01\\studio\\", "S01\\studio\\studio.map", "S01\\studios\\"}},
        {"unreadable disc in the third set",
         [](memory::MemoryWindows& m) {
             m.FailPath(Operation::Search, "D:\\Mira Maps\\map_disk_3", win::kNotReady);
         },
         "list",
         "D:\\Mira Maps\\map_disk_3\\news",
         win::kNotReady,
         {"S01\\", "S01\\news\\", "S01\\studio\\", "S01\\studio\\studio.map", "S01\\studios\\",
          "S01\\studios\\studios.map"}},
    };
    for (Row& row : rows) {
        memory::MemoryWindows machine;
        machine.AddDrive('D', DriveType::CdRom);
        machine.MakeDirectories("C:\\TELMIMAP");
        PutMiraDisc(machine, 'D');
        machine.ui().Answer(Answer::Yes);
        // System 5 is picked too: nothing of it may be touched after the failure.
        machine.ui().Dialog(
            ScriptedUserInterface::Press("OkButton", {{"Check1(0)", true}, {"Check1(4)", true}}));
        row.inject(machine);
        std::optional<MiraCopy> copy;
        const Status failed = InstallMiraMaps(machine.platform(), copy, "C:\\");
        ASSERT_FALSE(failed.ok()) << row.name << "\n" << machine.Describe();
        EXPECT_EQ(failed.error().operation, row.operation) << row.name;
        EXPECT_EQ(failed.error().path, row.path) << row.name;
        EXPECT_EQ(failed.error().code, row.code) << row.name;
        EXPECT_TRUE(machine.ui().waitCursorOn()) << row.name;
        EXPECT_EQ(machine.Tree("C:\\TELMIMAP"), row.left) << row.name << "\n" << machine.Describe();
    }
}

TEST_F(InstallMiraMapsTest, AMissingMapDirectoryStopsAtTheFirstSystem) {
    windows.AddDrive('E', DriveType::Fixed);
    PutMiraDisc(windows, 'D');
    Pick({1});
    const Status failed = InstallMiraMaps(windows.platform(), dialog, "E:\\");
    ASSERT_FALSE(failed.ok()) << windows.Describe();
    EXPECT_EQ(failed.error().operation, "create directory");
    EXPECT_EQ(failed.error().path, "E:\\TELMIMAP\\S01");
    EXPECT_EQ(failed.error().code, win::kPathNotFound);
    EXPECT_FALSE(windows.Exists("E:\\TELMIMAP"));
}

} // namespace
} // namespace korvex::frontend
