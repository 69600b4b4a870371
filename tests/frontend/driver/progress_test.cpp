// What a run shows of its long steps: the progress window of an interactive run, step by step
// with its caption, total and files, half a second late and at most ten times a second; the
// progress file that the package's custom action reads; nothing on screen when unattended.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "frontend/driver/Entry.h"
#include "platform/ProgressReport.h"
#include "support/Machines.h"
#include "upgradeprep/Entry.h"
#include "upgradeprep/UpgradePrep.h"

namespace korvex::frontend {
namespace {

using memory::MemoryWindows;
using memory::ScriptedUserInterface;
using platform::Answer;
using platform::ProgressState;

// The last state each step's window showed, by caption, in the order the steps came up.
std::vector<ProgressState> LastStates(const ScriptedUserInterface& ui) {
    std::vector<ProgressState> steps;
    for (const ProgressState& state : ui.progressShown()) {
        if (steps.empty() || steps.back().caption != state.caption) {
            steps.push_back(state);
        } else {
            steps.back() = state;
        }
    }
    return steps;
}

// A machine whose every copy is a long one: each file takes 10 ms.
class ProgressTest : public ::testing::Test {
protected:
    ProgressTest() {
        testing::InstallKorvex(windows);
        testing::PutOldMaps(windows);
        testing::InsertMiraDisc(windows, 'E');
        windows.PutFile("C:\\WINDOWS\\NELK.INI", "[Comms]\r\nLink Type=Serial-System\r\n");
        // 200 more files in the delivered map tree, 100 in the old maps.
        for (int i = 0; i < 200; ++i) {
            windows.PutFile(std::string(testing::kInstallDir) + "TELMIMAP\\big\\m" +
                                std::to_string(i) + ".map",
                            "m");
        }
        for (int i = 0; i < 100; ++i) {
            windows.PutFile("C:\\MAP\\many\\c" + std::to_string(i) + ".ccf", "c");
        }
        windows.SetCopyTime(10);
    }

    // An interactive run: both map steps, the Mira sets for systems 1 and 10.
    int RunInteractively(const std::string& progressFile = {}) {
        ScriptedUserInterface& ui = windows.ui();
        ui.Answer(Answer::Yes); // Update KORVEX Settings
        ui.Dialog(ScriptedUserInterface::Press(
            "OKButton", {{"EthernetOption", true}, {"ConvertOption", true}, {"CopyMira", true}}));
        ui.Answer(Answer::Yes); // use C:\MAP
        ui.Answer(Answer::Yes); // continue into C:\TELMIMAP
        ui.Answer(Answer::Yes); // copy the Mira maps
        ui.Dialog(
            ScriptedUserInterface::Press("OkButton", {{"Check1(0)", true}, {"Check1(9)", true}}));
        ui.Answer(Answer::Yes); // overwrite the delivered S01\studio
        ui.Answer(Answer::No);  // Update YMV Settings
        unattended::ProgramStart start;
        start.commandLine = "VarenInstall.exe";
        start.switches.progress = progressFile;
        return RunVarenInstall(start, testing::ServicesOf(windows));
    }

    MemoryWindows windows;
};

// Every long copy of the run is a step of its own, in the run's order, with the files the copy
// made: the map trees, the old maps, each Mira set of each system (the later system's from the
// first one's copy).
TEST_F(ProgressTest, EachCopyOfTheRunIsAStepWithItsCaptionAndItsFiles) {
    ASSERT_EQ(RunInteractively(), 0) << testing::State(windows);
    const std::vector<ProgressState> steps = LastStates(windows.ui());
    std::vector<std::pair<std::string, std::uint64_t>> shown;
    for (const ProgressState& step : steps) {
        shown.emplace_back(step.caption, step.total);
        EXPECT_LT(step.done, step.total) << step.caption; // the file being copied is not done
        EXPECT_FALSE(step.current.empty()) << step.caption;
    }
    // Steps shorter than half a second show no window: FIRMWARE's one file, each Mira set's
    // two; the 201-file map tree and the 102 old maps do.
    const std::vector<std::pair<std::string, std::uint64_t>> expected = {
        {"Copying the map tree to C:\\TELMIMAP", 201},
        {"Copying the old maps from C:\\MAP to C:\\TELMIMAP", 102},
    };
    EXPECT_EQ(shown, expected);
    const std::vector<std::string>& transcript = windows.ui().transcript();
    EXPECT_EQ(std::count(transcript.begin(), transcript.end(), "progress hidden"), 2);
    EXPECT_FALSE(windows.ui().progressUp());
    EXPECT_TRUE(steps[0].current.starts_with("C:\\Apps\\Control\\TELMIMAP\\"));
}

// The steps of a progress file, "step <total> <caption>" each, checked as the custom action
// reads them: CR LF lines, counts rising within the total, each step ended with its total
// reached; and how many "files" lines it held.
std::vector<std::string> StepsOf(const std::string& file, int* filesLines = nullptr) {
    std::istringstream lines(file);
    std::vector<std::string> steps;
    std::string line;
    std::uint64_t total = 0, done = 0;
    bool open = false;
    while (std::getline(lines, line)) {
        EXPECT_TRUE(!line.empty() && line.back() == '\r') << line;
        line.pop_back();
        if (line.starts_with("step ")) {
            EXPECT_FALSE(open) << line;
            open = true;
            total = std::stoull(line.substr(5));
            done = 0;
            steps.push_back(line);
        } else if (line.starts_with("files ")) {
            const std::uint64_t files = std::stoull(line.substr(6));
            EXPECT_TRUE(open && files > done && files <= total) << line;
            done = files;
            filesLines != nullptr && ++*filesLines;
        } else {
            EXPECT_TRUE(line == "end" && open) << line;
            EXPECT_EQ(done, total) << steps.back();
            open = false;
        }
    }
    EXPECT_FALSE(open);
    return steps;
}

// The progress file holds every step, short ones too, with totals the files of each copy and
// counts that end at the totals.
TEST_F(ProgressTest, TheProgressFileHoldsEveryStepWithItsTotalReached) {
    ASSERT_EQ(RunInteractively("C:\\progress"), 0) << testing::State(windows);
    int filesLines = 0;
    const std::vector<std::string> steps =
        StepsOf(testing::File(windows, "C:\\progress"), &filesLines);
    std::vector<std::string> expected = {"step 201 Copying the map tree to C:\\TELMIMAP",
                                         "step 1 Copying the firmware tree to C:\\FIRMWARE",
                                         "step 102 Copying the old maps from C:\\MAP to "
                                         "C:\\TELMIMAP"};
    for (const char* set : {"studio", "studios", "news", "ob_map", "defmira", "Eng_test"}) {
        expected.push_back(std::string("step 2 Copying the Mira maps for system 1: ") + set);
    }
    for (const char* set : {"studio", "studios", "news", "ob_map", "defmira", "Eng_test"}) {
        expected.push_back(std::string("step 2 Copying the Mira maps for system 10: ") + set);
    }
    EXPECT_EQ(steps, expected);
    // A line at most every 100 ms (3 s of files in all) and each step's last: not one a file.
    EXPECT_LE(filesLines, 30 + 15 + 2);
}

// upgradeprep keeps the configuration files and deletes the earlier version as two steps, and
// the front end restores what was kept as one: every file counted, every count reached.
TEST(HandOverProgress, KeepingDeletingAndRestoringAreSteps) {
    MemoryWindows windows;
    testing::PutEarlierInstallation(windows);
    windows.PutFile("C:\\answers.ini",
                    "[upgradeprep]\nSearchAndDelete=Yes\nKeepConfiguration=Yes\n");
    unattended::ProgramStart start;
    start.commandLine = "upgradeprep.exe 7.1.0.0";
    start.switches = {"C:\\answers.ini", "", "", "C:\\upgradeprep.progress"};
    ASSERT_EQ(upgradeprep::RunUpgradePrepProgram(start, testing::ServicesOf(windows)),
              upgradeprep::kExitDone)
        << testing::State(windows);
    // The configuration files; the deletion list and TCPIP's one file.
    const std::string kept = std::to_string(testing::EarlierConfigurationFiles().size());
    EXPECT_EQ(StepsOf(testing::File(windows, "C:\\upgradeprep.progress")),
              (std::vector<std::string>{
                  "step " + kept + " Keeping the configuration files in C:\\tmptelm",
                  "step " + std::to_string(upgradeprep::kDeletionList.size() + 1) +
                      " Deleting the earlier version from C:\\korvex"}));

    testing::InstallKorvex(windows);
    windows.PutFile("C:\\answers.ini", testing::kFrontEndAnswers);
    start.commandLine = "VarenInstall.exe";
    start.switches.progress = "C:\\VarenInstall.progress";
    ASSERT_EQ(RunVarenInstall(start, testing::ServicesOf(windows)), 0) << testing::State(windows);
    const std::vector<std::string> steps =
        StepsOf(testing::File(windows, "C:\\VarenInstall.progress"));
    EXPECT_NE(std::find(steps.begin(), steps.end(),
                        "step " + kept + " Restoring the configuration files from C:\\tmptelm"),
              steps.end())
        << ::testing::PrintToString(steps);
}

// An unattended run shows no window, and still reports to the progress file.
TEST_F(ProgressTest, AnUnattendedRunShowsNoWindow) {
    unattended::ProgramStart start;
    start.commandLine = "VarenInstall.exe";
    windows.PutFile("C:\\answers.ini", testing::kFrontEndAnswers);
    start.switches = {"C:\\answers.ini", "", "", "C:\\progress"};
    ASSERT_EQ(RunVarenInstall(start, testing::ServicesOf(windows)), 0) << testing::State(windows);
    EXPECT_TRUE(windows.ui().progressShown().empty());
    EXPECT_NE(testing::File(windows, "C:\\progress").find("step 201 Copying the map tree"),
              std::string::npos);
}

// The window's timing: not before half a second, then at most ten updates a second, each
// further on than the last; away when the step ends. A quick step shows nothing.
TEST(ProgressReport, ShowsHalfASecondLateAndTenTimesASecondAtMost) {
    MemoryWindows windows;
    platform::ProgressReport report(windows.ui(), windows.system());
    const struct {
        std::uint32_t msPerFile;
        std::uint64_t files;
        std::size_t fewest, most; // updates shown
    } rows[] = {
        {1, 400, 0, 0},    // 0.4 s: no window
        {1, 2000, 15, 16}, // 2 s: from 0.5 s on, one every 0.1 s
        {50, 20, 5, 5},    // 1 s in 50 ms files: every other file from 0.5 s
        {700, 3, 2, 2},    // slow files: shown at each file past 0.5 s
    };
    for (const auto& row : rows) {
        const std::size_t before = windows.ui().progressShown().size();
        report.Begin("step", row.files);
        for (std::uint64_t i = 0; i < row.files; ++i) {
            report.Next("C:\\f" + std::to_string(i));
            windows.system().Wait(row.msPerFile);
        }
        report.End();
        const std::vector<ProgressState>& shown = windows.ui().progressShown();
        const std::size_t updates = shown.size() - before;
        EXPECT_GE(updates, row.fewest) << row.files;
        EXPECT_LE(updates, row.most) << row.files;
        for (std::size_t i = before + 1; i < shown.size(); ++i) {
            EXPECT_GT(shown[i].done, shown[i - 1].done) << row.files;
        }
        if (updates > 0) {
            EXPECT_GE(shown[before].done * row.msPerFile, 500u) << row.files;
        }
        EXPECT_FALSE(windows.ui().progressUp()) << row.files;
    }
}

} // namespace
} // namespace korvex::frontend
