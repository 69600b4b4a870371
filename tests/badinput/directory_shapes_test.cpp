// Whole runs where the machine is not shaped as expected: a file where a directory belongs
// (TELMIMAP, tmptelm for both programs, a system's map directory), read-only and hidden targets,
// a junction loop in the old map tree, a CD-ROM drive without a medium. Each ends with a clear
// outcome, and nothing the user had is lost.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "BadInputMachine.h"
#include "platform/memory/ScriptedUserInterface.h"
#include "product/Korvex.h"
#include "upgradeprep/UpgradePrep.h"

namespace korvex::badinput {
namespace {

using memory::MemoryWindows;
using memory::ScriptedUserInterface;
using platform::Answer;
namespace attr = platform::attr;

constexpr const char* kInstallDir = "C:\\Apps\\KORVEx\\";
constexpr const char* kNelk = "[Comms]\r\nLink Type=Serial-System\r\n";
constexpr const char* kZelmain = "[ZELMAIN]\r\nVersion=7\r\n";
constexpr const char* kMissing = "<missing>";

// KORVEx installed in C:\Apps\KORVEx\ over an earlier version's NELK.INI and ZELMAIN.INI.
class ShapeTest : public BadInputTest {
protected:
    ShapeTest() {
        Install(kInstallDir);
        windows.PutFile("C:\\WINDOWS\\NELK.INI", kNelk);
        windows.PutFile("C:\\WINDOWS\\ZELMAIN.INI", kZelmain);
    }

    // Checks every listed file's contents (kMissing: it does not exist).
    void ExpectFiles(const std::vector<std::pair<std::string, std::string>>& files) {
        for (const auto& [path, contents] : files) {
            EXPECT_EQ(File(path), contents) << path << "\n" << State();
        }
    }
};

// --- Staging: the questions are answered, no dialog is shown -------------------------------

struct StagingRow {
    const char* name;
    std::function<void(MemoryWindows&)> prepare;
    std::vector<Answer> answers;
    std::vector<std::string> messages;   // as Messages() gives them
    std::vector<std::string> warningHas; // what the one warning says, when there is one
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::pair<std::string, std::uint32_t>> attributes;
};

void PrintTo(const StagingRow& row, std::ostream* out) {
    *out << row.name;
}

class StagingShapeTest : public ShapeTest, public ::testing::WithParamInterface<StagingRow> {};

TEST_P(StagingShapeTest, TheRunGoesOnAndKeepsWhatWasThere) {
    const StagingRow& row = GetParam();
    row.prepare(windows);
    for (Answer answer : row.answers) {
        windows.ui().Answer(answer);
    }

    EXPECT_EQ(RunFrontEnd(), frontend::exit_code::kCompleted) << State();

    EXPECT_EQ(Messages(), row.messages) << State();
    EXPECT_EQ(windows.ui().pending(), 0u);
    EXPECT_FALSE(windows.ui().waitCursorOn());
    const std::vector<std::string> warnings = Warnings();
    ASSERT_EQ(warnings.size(), row.warningHas.empty() ? 0u : 1u) << State();
    for (const std::string& part : row.warningHas) {
        EXPECT_NE(warnings[0].find(part), std::string::npos) << part << " in\n" << warnings[0];
    }
    ExpectFiles(row.files);
    for (const auto& [path, attributes] : row.attributes) {
        EXPECT_EQ(windows.AttributesOf(path), attributes) << path;
    }
    // The settings files: backed up as found, and the paths written unless the file refuses.
    EXPECT_EQ(File("C:\\WINDOWS\\nelk140533.ini"), kNelk);
    EXPECT_EQ(File("C:\\WINDOWS\\zelmain140533.ini"), kZelmain);
    EXPECT_EQ(File("C:\\WINDOWS\\ZELMAIN.INI"),
              std::string(kZelmain) + "ConfigPath=C:\\Apps\\KORVEx\\\r\n");
}

const std::string kCsuinfo = std::string(kInstallDir) + "csuinfo.cfg";
const std::vector<std::string> kSettingsQuestions = {"OverwriteZelmain", "UpdateKorvexSettings",
                                                     "UpdateYmvSettings"};
const std::vector<Answer> kNoToAll = {Answer::No, Answer::No, Answer::No};
const std::string kNelkWithPath = std::string(kNelk) + "[Initialisation]\r\nPath=C:\\TELMIMAP\r\n";

std::vector<std::string> Then(std::vector<std::string> first,
                              const std::vector<std::string>& rest) {
    first.insert(first.end(), rest.begin(), rest.end());
    return first;
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, StagingShapeTest,
    ::testing::Values(
        // The map tree cannot be copied onto a file: a warning says so, the file stays, and the
        // firmware tree and everything after are done.
        StagingRow{"TelmimapAtTheRootIsAFile",
                   [](MemoryWindows& w) { w.PutFile("C:\\TELMIMAP", "not a directory"); },
                   kNoToAll,
                   Then({"<warning>"}, kSettingsQuestions),
                   {"TELMIMAP", "C:\\TELMIMAP", "(error 183)"},
                   {{"C:\\TELMIMAP", "not a directory"},
                    {"C:\\FIRMWARE\\frame.bin", "firmware"},
                    {kCsuinfo, "csuinfo delivered"},
                    {"C:\\WINDOWS\\NELK.INI", kNelkWithPath}},
                   {}},
        // A hidden map directory is not seen as there; creating it fails and what it holds stays.
        StagingRow{"HiddenTelmimapAtTheRoot",
                   [](MemoryWindows& w) {
                       w.PutFile("C:\\TELMIMAP\\mine.map", "my map");
                       w.PutAttributes("C:\\TELMIMAP", attr::kHidden);
                   },
                   kNoToAll,
                   Then({"<warning>"}, kSettingsQuestions),
                   {"C:\\TELMIMAP", "(error 183)"},
                   {{"C:\\TELMIMAP\\mine.map", "my map"},
                    {"C:\\TELMIMAP\\S01\\studio\\shipped.map", kMissing},
                    {"C:\\FIRMWARE\\frame.bin", "firmware"}},
                   {{"C:\\TELMIMAP", attr::kDirectory | attr::kHidden}}},
        // A file named tmptelm is no holding directory: the delivered files are offered instead
        // and the file is left alone.
        StagingRow{"TmptelmIsAFile",
                   [](MemoryWindows& w) {
                       w.PutFile("C:\\tmptelm", "not held");
                       w.PutFile(kCsuinfo, "mine");
                   },
                   {Answer::Yes, Answer::No, Answer::No, Answer::No},
                   Then({"OverwriteCsuinfo"}, kSettingsQuestions),
                   {},
                   {{"C:\\tmptelm", "not held"},
                    {kCsuinfo, "csuinfo delivered"},
                    {std::string(kInstallDir) + "cnetio.ini", "cnetio delivered"}},
                   {}},
        // Yes to overwriting a read-only file: the copy is refused and the user's file stays.
        StagingRow{
            "ReadOnlyCsuinfoAndYesToOverwrite",
            [](MemoryWindows& w) { w.PutFile(kCsuinfo, "mine", attr::kArchive | attr::kReadOnly); },
            {Answer::Yes, Answer::No, Answer::No, Answer::No},
            Then({"OverwriteCsuinfo"}, kSettingsQuestions),
            {},
            {{kCsuinfo, "mine"}, {std::string(kInstallDir) + "cnetio.ini", "cnetio delivered"}},
            {{kCsuinfo, attr::kArchive | attr::kReadOnly}}},
        // A hidden file does not count as there, so nothing is asked; the copy onto it is
        // refused and it stays.
        StagingRow{
            "HiddenCsuinfo",
            [](MemoryWindows& w) { w.PutFile(kCsuinfo, "mine", attr::kArchive | attr::kHidden); },
            kNoToAll,
            kSettingsQuestions,
            {},
            {{kCsuinfo, "mine"}},
            {{kCsuinfo, attr::kArchive | attr::kHidden}}},
        // A read-only NELK.INI refuses the map path; it is still asked about and backed up.
        StagingRow{"ReadOnlyNelkIni",
                   [](MemoryWindows& w) {
                       w.PutFile("C:\\WINDOWS\\NELK.INI", kNelk, attr::kArchive | attr::kReadOnly);
                   },
                   kNoToAll,
                   kSettingsQuestions,
                   {},
                   {{"C:\\WINDOWS\\NELK.INI", kNelk}},
                   {{"C:\\WINDOWS\\NELK.INI", attr::kArchive | attr::kReadOnly}}},
        // A held file cannot replace a read-only installed one: it stays in the holding
        // directory, which stays too, and the warning says why.
        StagingRow{"ReadOnlyTargetOfAHeldFile",
                   [](MemoryWindows& w) {
                       w.PutFile("C:\\tmptelm\\csuinfo.cfg", "held");
                       w.PutFile("C:\\tmptelm\\conf.cfg", "held conf");
                       w.PutFile(kCsuinfo, "installed", attr::kArchive | attr::kReadOnly);
                   },
                   {Answer::No, Answer::No},
                   {"<warning>", "UpdateKorvexSettings", "UpdateYmvSettings"},
                   {"C:\\tmptelm", "csuinfo.cfg (not moved: Access is denied. (error 5)"},
                   {{"C:\\tmptelm\\csuinfo.cfg", "held"},
                    {kCsuinfo, "installed"},
                    {std::string(kInstallDir) + "conf.cfg", "held conf"},
                    {"C:\\tmptelm\\conf.cfg", kMissing}},
                   {}}),
    [](const ::testing::TestParamInfo<StagingRow>& info) { return std::string(info.param.name); });

// --- Map steps ------------------------------------------------------------------------------

// No to replacing zelmain.ini, Yes to the KORVEX settings, and OK in the connection dialog with
// these choices.
void ChooseMapSteps(ScriptedUserInterface& ui, bool convert, bool copyMira) {
    ui.Answer(Answer::No);
    ui.Answer(Answer::Yes);
    ui.Dialog(ScriptedUserInterface::Press(
        "OKButton",
        {{convert ? "ConvertOption" : "DoNothingOption", true}, {"CopyMira", copyMira}}));
}

// System 3's map directory is a file: the Mira step stops there with a warning. System 1's maps,
// copied before, stay; the step does not go on to system 5; the YMV settings still follow.
TEST_F(ShapeTest, SystemDirectoryS03IsAFile) {
    InsertMiraDisc('D');
    windows.PutFile("C:\\TELMIMAP\\S03", "not a directory");
    ChooseMapSteps(windows.ui(), false, true);
    windows.ui().Answer(Answer::Yes); // copy the Mira maps
    windows.ui().Dialog(ScriptedUserInterface::Press(
        "OkButton", {{"Check1(0)", true}, {"Check1(2)", true}, {"Check1(4)", true}}));
    windows.ui().Answer(Answer::No); // Update YMV Settings

    EXPECT_EQ(RunFrontEnd(), frontend::exit_code::kCompleted) << State();

    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"OverwriteZelmain", "UpdateKorvexSettings", "CopyMiraMaps",
                                        "<warning>", "UpdateYmvSettings"}));
    ASSERT_EQ(Warnings().size(), 1u);
    EXPECT_NE(Warnings()[0].find("C:\\TELMIMAP\\S03:"), std::string::npos) << Warnings()[0];
    EXPECT_NE(Warnings()[0].find("(error 183)"), std::string::npos) << Warnings()[0];
    EXPECT_FALSE(windows.ui().waitCursorOn());
    for (const product::MiraMapSet& set : product::kMiraMapSets) {
        const std::string name(set.name);
        EXPECT_EQ(File("C:\\TELMIMAP\\S01\\" + name + "\\" + name + ".map"), name) << State();
    }
    ExpectFiles({{"C:\\TELMIMAP\\S03", "not a directory"},
                 {"C:\\WINDOWS\\NELK.INI", kNelkWithPath},
                 {"C:\\WINDOWS\\ZELMAIN.INI",
                  std::string(kZelmain) + "ConfigPath=C:\\Apps\\KORVEx\\\r\n"}});
    EXPECT_FALSE(windows.Exists("C:\\TELMIMAP\\S05"));
}

// Yes to overwriting a map set holding a read-only file: that copy is refused, the warning
// names the file, and the user's map stays as it was.
TEST_F(ShapeTest, ReadOnlyFileInAMiraTarget) {
    InsertMiraDisc('D');
    windows.PutFile("C:\\TELMIMAP\\S02\\news\\news.map", "my news",
                    attr::kArchive | attr::kReadOnly);
    windows.PutFile("C:\\TELMIMAP\\S02\\news\\extra.map", "my extra");
    ChooseMapSteps(windows.ui(), false, true);
    windows.ui().Answer(Answer::Yes); // copy the Mira maps
    windows.ui().Dialog(ScriptedUserInterface::Press("OkButton", {{"Check1(1)", true}}));
    windows.ui().Answer(Answer::Yes); // overwrite S02\news
    windows.ui().Answer(Answer::No);  // Update YMV Settings

    EXPECT_EQ(RunFrontEnd(), frontend::exit_code::kCompleted) << State();

    ASSERT_EQ(Warnings().size(), 1u) << State();
    EXPECT_NE(Warnings()[0].find("news.map"), std::string::npos) << Warnings()[0];
    EXPECT_NE(Warnings()[0].find("(error 5)"), std::string::npos) << Warnings()[0];
    ExpectFiles({{"C:\\TELMIMAP\\S02\\news\\news.map", "my news"},
                 {"C:\\TELMIMAP\\S02\\news\\extra.map", "my extra"},
                 {"C:\\TELMIMAP\\S02\\studios\\studios.map", "studios"}});
    EXPECT_EQ(windows.AttributesOf("C:\\TELMIMAP\\S02\\news\\news.map"),
              attr::kArchive | attr::kReadOnly);
}

// A junction in C:\MAP that leads back to C:\MAP: the copy does not enter it and ends.
TEST_F(ShapeTest, JunctionLoopInTheOldMapTree) {
    windows.PutFile("C:\\MAP\\old.ccf", "old");
    windows.PutFile("C:\\MAP\\SITE\\site.ccf", "site");
    windows.MakeJunction("C:\\MAP\\SITE\\BACK", "C:\\MAP");
    windows.MakeJunction("C:\\MAP\\SELF", "C:\\MAP");
    ChooseMapSteps(windows.ui(), true, false);
    windows.ui().Answer(Answer::Yes); // use C:\MAP
    windows.ui().Answer(Answer::Yes); // continue into the staged C:\TELMIMAP
    windows.ui().Answer(Answer::No);  // Update YMV Settings

    EXPECT_EQ(RunFrontEnd(), frontend::exit_code::kCompleted) << State();

    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"OverwriteZelmain", "UpdateKorvexSettings", "UseCcfMaps",
                                        "ContinueIntoExistingMaps", "UpdateYmvSettings"}));
    EXPECT_EQ(windows.Tree("C:\\TELMIMAP"),
              (std::vector<std::string>{"old.ccf", "S01\\", "S01\\studio\\",
                                        "S01\\studio\\shipped.map", "SITE\\", "SITE\\site.ccf"}))
        << State();
    EXPECT_FALSE(windows.ui().waitCursorOn());
}

// upgradeprep keeping an earlier version's configuration while a file is named tmptelm: nothing
// can be held, so every configuration file stays where it is and only the programs go.
TEST(UpgradePrepShapeTest, TmptelmIsAFileWhenKeepingTheConfiguration) {
    MemoryWindows windows;
    windows.PutFile("C:\\tmptelm", "not a directory");
    windows.PutFile("C:\\korvex\\korvex.exe", "MZ 6");
    windows.PutFile("C:\\korvex\\zellib.dll", "library");
    windows.PutFile("C:\\korvex\\csuinfo.cfg", "my csuinfo");
    windows.PutFile("C:\\korvex\\netio.ini", "my netio");
    windows.PutFile("C:\\korvex\\site.4kr", "my site");
    windows.ui().Answer(Answer::Yes); // search for and delete earlier versions
    windows.ui().Answer(Answer::Yes); // keep the configuration files

    EXPECT_EQ(upgradeprep::RunUpgradePrep(windows.platform(), "upgradeprep.exe 7.1"),
              upgradeprep::kExitDone);

    EXPECT_EQ(windows.Tree("C:\\korvex"),
              (std::vector<std::string>{"csuinfo.cfg", "netio.ini", "site.4kr"}))
        << windows.Describe();
    EXPECT_EQ(windows.Contents("C:\\korvex\\csuinfo.cfg"), "my csuinfo");
    EXPECT_EQ(windows.Contents("C:\\tmptelm"), "not a directory");
}

// A CD-ROM drive without a medium is passed over as not holding the maps.
struct DiscRow {
    const char* name;
    bool secondDrive;      // E: with the disc in it
    bool startedFromDrive; // the installer was started from the empty drive D:
    std::vector<std::string> messages;
    std::string copied; // a map file that must be there afterwards, or "" for none
};

void PrintTo(const DiscRow& row, std::ostream* out) {
    *out << row.name;
}

class DiscTest : public ShapeTest, public ::testing::WithParamInterface<DiscRow> {};

TEST_P(DiscTest, ADriveWithoutAMediumIsSkipped) {
    const DiscRow& row = GetParam();
    InsertMiraDisc('D', false);
    if (row.secondDrive) {
        InsertMiraDisc('E');
    }
    if (row.startedFromDrive) {
        windows.SetCurrentDirectory("D:\\");
    }
    ChooseMapSteps(windows.ui(), false, true);
    if (!row.copied.empty()) {
        windows.ui().Answer(Answer::Yes);
        windows.ui().Dialog(ScriptedUserInterface::Press("OkButton", {{"Check1(1)", true}}));
    }
    windows.ui().Answer(Answer::No);

    EXPECT_EQ(RunFrontEnd(), frontend::exit_code::kCompleted) << State();

    EXPECT_EQ(Messages(), row.messages) << State();
    EXPECT_TRUE(Warnings().empty());
    if (!row.copied.empty()) {
        EXPECT_NE(windows.ui().messages()[2].request.text.find("E:\\Mira Maps"), std::string::npos);
        EXPECT_EQ(File(row.copied), "news") << State();
    } else {
        EXPECT_FALSE(windows.Exists("C:\\TELMIMAP\\S02"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, DiscTest,
    ::testing::Values(DiscRow{"OnlyDriveEmpty",
                              false,
                              false,
                              {"OverwriteZelmain", "UpdateKorvexSettings", "No Mira Maps To Copy",
                               "UpdateYmvSettings"},
                              ""},
                      DiscRow{"EmptyDriveThenADisc",
                              true,
                              false,
                              {"OverwriteZelmain", "UpdateKorvexSettings", "CopyMiraMaps",
                               "UpdateYmvSettings"},
                              "C:\\TELMIMAP\\S02\\news\\news.map"},
                      // Started from a CD-ROM drive, only that drive is looked at, medium or not.
                      DiscRow{"StartedFromTheEmptyDrive",
                              true,
                              true,
                              {"OverwriteZelmain", "UpdateKorvexSettings", "No Mira Maps To Copy",
                               "UpdateYmvSettings"},
                              ""}),
    [](const ::testing::TestParamInfo<DiscRow>& info) { return std::string(info.param.name); });

} // namespace
} // namespace korvex::badinput
