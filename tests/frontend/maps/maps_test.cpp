// The two map steps: the old CCF maps from C:\MAP, and the Mira map sets from the disc.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "frontend/maps/CopyCcfMaps.h"
#include "frontend/maps/InstallMiraMaps.h"
#include "platform/unattended/DialogAnswers.h"
#include "support/Machines.h"

namespace korvex::frontend {
namespace {

using memory::MemoryWindows;
using memory::Operation;
using platform::Answer;
using platform::DriveType;
using Lines = std::vector<std::string>;
using enum platform::Answer;

// What the step showed, in order, with each message's icon and prompt: "-> Yes +question (X)".
Lines Seen(const MemoryWindows& windows) {
    const char* icons[] = {"", " +question", " +information", " +warning", " +error"};
    Lines seen;
    std::size_t message = 0;
    for (const std::string& line : windows.ui().transcript()) {
        seen.push_back(line);
        if (line.starts_with("message ")) {
            const platform::MessageBoxRequest& shown = windows.ui().messages()[message++].request;
            seen.back() += icons[static_cast<int>(shown.icon)];
            seen.back() += shown.prompt.empty() ? "" : " (" + shown.prompt + ")";
        }
    }
    return seen;
}

// Everything below the directory, sorted, one entry after the other: "S01\ S01\news\ ...".
std::string TreeOf(const MemoryWindows& windows, const std::string& directory) {
    Lines tree = windows.Tree(directory);
    std::sort(tree.begin(), tree.end());
    std::string out;
    for (const std::string& entry : tree) {
        out += (out.empty() ? "" : " ") + entry;
    }
    return out;
}

TEST(CopyCcfMaps, AsksThenMergesTheOldMapsIntoTheMapDirectory) {
    enum { kOld = 1, kHidden = 2, kDir = 4 }; // C:\MAP, hidden; the map directory with own.map
    const auto first = [](const char* root, const char* answer) {
        return "message [Query] CCF MAP files exists in C:\\MAP\\rUse to create KORVEx files in " +
               std::string(root) + "TELMIMAP? -> " + answer + " +question (UseCcfMaps)";
    };
    const auto second = [](const char* root, const char* answer) {
        return "message [Warning] KORVEx Map files directory (" + std::string(root) +
               "TELMIMAP) already exists - continue? -> " + answer + " (ContinueIntoExistingMaps)";
    };
    const std::string none = "message [Warning] no CCF Maps To Copy -> Ok", on = "cursor wait",
                      off = "cursor normal", yes = first("C:\\", "Yes"), no = first("C:\\", "No"),
                      yes2 = second("C:\\", "Yes"), no2 = second("C:\\", "No"),
                      onD = first("D:\\", "Yes"), onD2 = second("D:\\", "Yes"),
                      merged = "one.ccf own.map site\\ site\\two.ccf",
                      full = "copy file C:\\MAP\\site\\two.ccf: " +
                             WinError::FromCode(win::kDiskFull).Describe();
    struct Row {
        int machine;
        const char* root;
        std::vector<Answer> answers;
        Lines seen;
        std::string tree;        // the map directory's afterwards
        std::string failed = ""; // where the step stopped: the second copy finds the disk full
    } rows[] = {
        {kDir, "C:\\", {}, {none, on, off}, "own.map"},
        {kOld | kHidden, "C:\\", {}, {none, on, off}, ""},
        {kOld, "C:\\", {Yes}, {yes, on, off}, "one.ccf site\\ site\\two.ccf"},
        {kOld | kDir, "C:\\", {Yes, Yes}, {yes, on, yes2, off}, merged},
        {kOld | kDir, "C:\\", {Yes, No}, {yes, on, no2, off}, "own.map"},
        {kOld | kDir, "C:\\", {No}, {no, on, off}, "own.map"},
        {kOld | kDir, "D:\\", {Yes, Yes}, {onD, on, onD2, off}, merged},
        {kOld, "C:\\", {Yes}, {yes, on}, "one.ccf site\\", full}, // the cursor stays on
    };
    for (const Row& row : rows) {
        MemoryWindows windows;
        const std::string mapDirectory = std::string(row.root) + "TELMIMAP";
        if (row.machine & kOld) {
            testing::PutOldMaps(windows);
        }
        if (row.machine & kHidden) {
            windows.PutAttributes("C:\\MAP", platform::attr::kDirectory | platform::attr::kHidden);
        }
        if (row.machine & kDir) {
            windows.PutFile(mapDirectory + "\\own.map", "own");
        }
        for (Answer answer : row.answers) {
            windows.ui().Answer(answer);
        }
        windows.FailNth(Operation::CopyFile, row.failed.empty() ? 0 : 2, win::kDiskFull);
        const Status done = CopyCcfMaps(windows.platform(), row.root);
        EXPECT_EQ(done.ok() ? "" : done.error().DescribeWhere(), row.failed);
        EXPECT_EQ(Seen(windows), row.seen);
        EXPECT_EQ(TreeOf(windows, mapDirectory), row.tree) << testing::State(windows);
    }
}

TEST(FindMiraMaps, TakesTheStartCdRomOrElseTheFirstCdRomHoldingTheMaps) {
    // Drives besides C: (which holds "Mira Maps" too): letter, then c a CD-ROM, C one holding
    // "Mira Maps", E one holding it with no medium in; R a removable, F a fixed one holding it.
    using enum DriveType;
    struct Row {
        std::string drives, start; // start: the current directory
        std::optional<std::string> found;
    } rows[] = {
        {"DcEC", "C:\\Setup", "E:\\Mira Maps"}, {"DCEC", "C:\\", "D:\\Mira Maps"},
        {"DcEC", "D:\\SETUP", std::nullopt},    {"DCEC", "E:\\", "E:\\Mira Maps"},
        {"DEFC", "C:\\", "F:\\Mira Maps"},      {"ARGFZC", "A:\\", "Z:\\Mira Maps"},
    };
    for (const Row& row : rows) {
        MemoryWindows windows;
        windows.MakeDirectories("C:\\Mira Maps");
        for (std::size_t i = 0; i < row.drives.size(); i += 2) {
            const char kind = row.drives[i + 1];
            const DriveType type = kind == 'R' ? Removable : kind == 'F' ? Fixed : CdRom;
            windows.AddDrive(row.drives[i], type, kind != 'E');
            if (kind != 'c') {
                windows.MakeDirectories(row.drives.substr(i, 1) + ":\\Mira Maps");
            }
        }
        windows.SetCurrentDirectory(row.start);
        EXPECT_EQ(FindMiraMaps(windows.files()), row.found) << row.drives << " from " << row.start;
    }
}

// A machine with the product's map directory C:\TELMIMAP and the disc in the CD-ROM drive D:.
struct MiraMachine {
    explicit MiraMachine(bool discIn = true) {
        testing::InsertMiraDisc(windows, 'D', discIn);
        windows.MakeDirectories("C:\\TELMIMAP");
    }
    // `copy` to the question, the systems ticked and `word` pressed in MiraCopy, `overwrite`.
    Status Run(std::vector<int> systems, std::string word = "OK",
               std::vector<Answer> overwrite = {}, Answer copy = Yes, const char* root = "C:\\") {
        windows.ui().Answer(copy);
        windows.ui().Dialog([=](platform::DialogModel& dialog) {
            for (int system : systems) {
                dialog.SetChecked("Check1(" + std::to_string(system - 1) + ")", true);
            }
            return unattended::PressButton(dialog, word);
        });
        for (Answer answer : overwrite) {
            windows.ui().Answer(answer);
        }
        return InstallMiraMaps(windows.platform(), dialog, root);
    }

    MemoryWindows windows;
    std::optional<MiraCopy> dialog;
};

// Each picked system gets its directory S01 ... S15 and the six map sets, file for file.
TEST(InstallMiraMaps, PickedSystemsGetAllSixMapSets) {
    MiraMachine machine;
    ASSERT_TRUE(machine.Run({15, 1, 10}).ok()) << testing::State(machine.windows);
    EXPECT_EQ(TreeOf(machine.windows, "C:\\TELMIMAP\\S15"),
              "Eng_test\\ Eng_test\\Eng_test.mm1 Eng_test\\layers\\ Eng_test\\layers\\base.lay "
              "defmira\\ defmira\\defmira.mm1 defmira\\layers\\ defmira\\layers\\base.lay news\\ "
              "news\\layers\\ news\\layers\\base.lay news\\news.mm1 ob_map\\ ob_map\\layers\\ "
              "ob_map\\layers\\base.lay ob_map\\ob_map.mm1 studio\\ studio\\layers\\ "
              "studio\\layers\\base.lay studio\\studio.mm1 studios\\ studios\\layers\\ "
              "studios\\layers\\base.lay studios\\studios.mm1");
    EXPECT_EQ(testing::File(machine.windows, "C:\\TELMIMAP\\S15\\news\\news.mm1"), "news map");
    for (const char* system : {"S01", "S10"}) {
        EXPECT_EQ(TreeOf(machine.windows, "C:\\TELMIMAP\\" + std::string(system)),
                  TreeOf(machine.windows, "C:\\TELMIMAP\\S15"));
    }
    EXPECT_EQ(machine.windows.Tree("C:\\TELMIMAP").size(), 3u * 25)
        << testing::State(machine.windows);
    EXPECT_EQ(testing::Shown(machine.windows), (Lines{"CopyMiraMaps", "[MiraCopy]"}));
    EXPECT_FALSE(machine.windows.ui().waitCursorOn());
    // The picks are SystemSelected(0 ... 15), read with CopyMapToSystem.
    EXPECT_TRUE(machine.dialog->CopyMapToSystem(14) && !machine.dialog->CopyMapToSystem(15));
    EXPECT_THROW((void)machine.dialog->CopyMapToSystem(16), std::out_of_range);
    EXPECT_THROW((void)machine.dialog->CopyMapToSystem(-1), std::out_of_range);
}

// The disc is read once whatever the number of systems: the bytes read are its map data's.
TEST(InstallMiraMaps, ReadsTheDiscOnceForOneTwoOrFifteenSystems) {
    for (const int count : {1, 2, 15}) {
        MiraMachine machine;
        std::uint64_t mapBytes = 0;
        for (const std::string& entry : machine.windows.Tree("D:\\Mira Maps")) {
            mapBytes += machine.windows.Contents("D:\\Mira Maps\\" + entry).value_or("").size();
        }
        std::vector<int> systems(static_cast<std::size_t>(count));
        std::iota(systems.begin(), systems.end(), 1);
        ASSERT_TRUE(machine.Run(systems).ok());
        EXPECT_EQ(machine.windows.BytesRead('D'), mapBytes) << count;
    }
}

TEST(InstallMiraMaps, NothingIsCopiedWithoutTheDiscAYesOrAPick) {
    const std::string yes = "message [Query] Mira MAP files exists in D:\\Mira Maps Copy To "
                            "C:\\TELMIMAP? -> Yes +question (CopyMiraMaps)",
                      cancel = "message [VarenInstall] Mira Maps Will Not Be Loaded -> Ok "
                               "+information";
    struct Row {
        bool disc;
        Answer copy;
        std::vector<int> systems;
        std::string word;
        Lines seen;
    } rows[] = {
        {false, Yes, {1}, "OK", {"message [Warning] No Mira Maps To Copy -> Ok"}},
        {true, No, {1}, "OK", {yes.substr(0, yes.find("-> ")) + "-> No +question (CopyMiraMaps)"}},
        {true, Yes, {}, "OK", {yes, "dialog MiraCopy -> Ok"}},
        {true, Yes, {1}, "Cancel", {yes, cancel, "dialog MiraCopy -> Cancel"}},
        {true, Yes, {1}, "Close", {yes, "dialog MiraCopy -> CloseBox"}},
    };
    for (const Row& row : rows) {
        MiraMachine machine(row.disc);
        EXPECT_TRUE(machine.Run(row.systems, row.word, {}, row.copy).ok());
        EXPECT_EQ(Seen(machine.windows), row.seen);
        EXPECT_EQ(TreeOf(machine.windows, "C:\\TELMIMAP"), "") << testing::State(machine.windows);
    }
}

// Overwrite questions: system by system, in table order; No skips that set, Yes merges into it.
TEST(InstallMiraMaps, AnExistingMapSetIsReplacedOnlyAfterYes) {
    MiraMachine machine;
    machine.windows.PutFile("C:\\TELMIMAP\\S12\\studio\\mine.map", "mine");
    machine.windows.PutFile("C:\\TELMIMAP\\S03\\ob_map\\ob_map.mm1", "old");
    Lines expected = {"CopyMiraMaps", "[MiraCopy]", "OverwriteMap.S03.ob_map"};
    for (const char* set : {"studio", "studios", "news", "ob_map", "defmira", "Eng_test"}) {
        machine.windows.MakeDirectories("C:\\TELMIMAP\\S12\\" + std::string(set));
        expected.push_back("OverwriteMap.S12." + std::string(set));
    }
    EXPECT_TRUE(machine.Run({12, 3}, "OK", {No, Yes, No, No, No, No, Yes}).ok());
    EXPECT_EQ(testing::Shown(machine.windows), expected);
    EXPECT_THAT(Seen(machine.windows),
                ::testing::Contains("message [VarenInstall] Map ob_map Exists On System03 "
                                    "Overwrite -> No (OverwriteMap.S03.ob_map)"));
    const auto file = [&](const char* path) {
        return testing::File(machine.windows, "C:\\TELMIMAP\\" + std::string(path));
    };
    EXPECT_EQ(file("S03\\ob_map\\ob_map.mm1"), "old");
    EXPECT_EQ(file("S03\\Eng_test\\Eng_test.mm1"), "Eng_test map");
    EXPECT_EQ(file("S12\\studio\\studio.mm1"), "studio map");
    EXPECT_EQ(file("S12\\studio\\mine.map"), "mine");
    EXPECT_EQ(file("S12\\news\\news.mm1"), "<missing>") << testing::State(machine.windows);
    EXPECT_EQ(machine.windows.Count(Operation::CopyFile), 5 * 2 + 2 * 2u);
}

// A failure ends the step and is returned, the wait cursor still on; system 5 is never reached.
TEST(InstallMiraMaps, AFailureEndsTheStepAndIsReturned) {
    struct Row {
        const char* root;        // E: has no map directory; on C: the fourth copy finds it full
        std::string where, left; // what failed, and what the map directory holds then
    } rows[] = {
        {"C:\\", "copy file D:\\Mira Maps\\map_disk_2\\studios\\layers\\base.lay",
         "S01\\ S01\\studio\\ S01\\studio\\layers\\ S01\\studio\\layers\\base.lay "
         "S01\\studio\\studio.mm1 S01\\studios\\ S01\\studios\\layers\\ S01\\studios\\studios.mm1"},
        {"E:\\", "create directory E:\\TELMIMAP\\S01", ""},
    };
    for (const Row& row : rows) {
        MiraMachine machine;
        machine.windows.AddDrive('E', DriveType::Fixed);
        machine.windows.FailNth(Operation::CopyFile, 4, win::kDiskFull);
        const Status failed = machine.Run({1, 5}, "OK", {}, Yes, row.root);
        ASSERT_FALSE(failed.ok()) << row.where << "\n" << testing::State(machine.windows);
        const std::uint32_t code = row.root[0] == 'E' ? win::kPathNotFound : win::kDiskFull;
        EXPECT_EQ(failed.error().DescribeWhere(),
                  row.where + ": " + WinError::FromCode(code).Describe());
        EXPECT_TRUE(machine.windows.ui().waitCursorOn()) << row.where;
        EXPECT_EQ(TreeOf(machine.windows, std::string(row.root) + "TELMIMAP"), row.left)
            << testing::State(machine.windows);
    }
}

} // namespace
} // namespace korvex::frontend
