// Whole runs of the front end on the in-memory Windows: staging, both dialogs, both map steps
// and the keys they leave; the runs that end early; machines not shaped as expected; names
// that must come through whole, from upgradeprep's holding directory to the installation.
#include <gtest/gtest.h>

#include "support/Machines.h"
#include "upgradeprep/UpgradePrep.h"

namespace korvex::frontend {
namespace {

using memory::MemoryWindows;
using memory::Operation;
using memory::ScriptedUserInterface;
using platform::Answer;
using testing::File;
namespace attr = platform::attr;

constexpr const char* kDir = "C:\\Program Files\\KORVEx System\\";
constexpr const char* kNelk = "[Comms]\r\nLink Type=Serial-System\r\n";
constexpr const char* kPath = "[Initialisation]\r\nPath=C:\\TELMIMAP\r\n";
constexpr const char* kZelmain =
    "[ZELMAIN]\r\nFrames=15\r\nConfigPath=C:\\PROGRA~1\\KORVEX~1\\\r\n";

// ZELMAIN.INI after the system type dialog's OK, with one code per system.
std::string Zelmain(const std::string& types, const std::string& directions) {
    std::string out = kZelmain;
    for (const auto& [section, codes] :
         {std::pair{"FrameType", types}, {"FrameDirection", directions}}) {
        (out += '[') += section;
        out += "]\r\n";
        for (int n = 1; n <= 15; ++n) {
            ((out += "System") += std::to_string(n)) += '=';
            (out += codes[n - 1]) += "\r\n";
        }
    }
    return out;
}

// KORVEx with its package, NELK.INI of an earlier version, old maps and the disc in D:.
class MainRunTest : public ::testing::Test {
protected:
    MainRunTest() {
        testing::InstallKorvex(windows, kDir);
        windows.PutFile("C:\\WINDOWS\\NELK.INI", kNelk);
        testing::PutOldMaps(windows);
        testing::InsertMiraDisc(windows, 'D');
        run.record.AirtalkerRegion = 1;
    }
    int Run() { return Main(run); }
    std::string Ini(const char* name) const {
        return File(windows, "C:\\WINDOWS\\" + std::string(name));
    }
    std::string State() const { return testing::State(windows); }

    MemoryWindows windows;
    KorvexConfig run{windows.platform()};
};

TEST_F(MainRunTest, AWholeRunWithBothDialogsAndBothMapSteps) {
    ScriptedUserInterface& ui = windows.ui();
    ui.Answer(Answer::Yes); // Update KORVEX Settings
    ui.Dialog(ScriptedUserInterface::Press(
        "OKButton", {{"EthernetOption", true}, {"ConvertOption", true}, {"CopyMira", true}}));
    ui.Answer(Answer::Yes); // use C:\MAP
    ui.Answer(Answer::Yes); // continue into the staged C:\TELMIMAP
    ui.Answer(Answer::Yes); // copy the Mira maps
    ui.Dialog(
        ScriptedUserInterface::Press("OkButton", {{"Check1(0)", true}, {"Check1(14)", true}}));
    ui.Answer(Answer::Yes); // overwrite the staged S01\studio
    ui.Answer(Answer::Yes); // Update YMV Settings
    ui.Dialog(ScriptedUserInterface::Press(
        "OKButton", {{"Option5(0)", true}, {"Check1(0)", true}, {"Option3(9)", true}}));

    EXPECT_EQ(Run(), exit_code::kCompleted) << State();

    EXPECT_EQ(
        testing::Shown(windows),
        (std::vector<std::string>{"UpdateKorvexSettings", "[KORVExConf]", "UseCcfMaps",
                                  "ContinueIntoExistingMaps", "CopyMiraMaps", "[MiraCopy]",
                                  "OverwriteMap.S01.studio", "UpdateYmvSettings", "[SystemType]"}));
    EXPECT_EQ(ui.pending(), 0u);
    EXPECT_FALSE(ui.waitCursorOn());
    EXPECT_EQ(Ini("NELK.INI"), std::string("[Comms]\r\nLink Type=Ethernet-System\r\n"
                                           "Ethernet Type=Winsock\r\n") +
                                   kPath +
                                   "[Multiple Maps]\r\nMax Map Number=6\r\n"
                                   "[Airtalker]\r\nRegion=Europe\r\nEurope=03FF000000\r\n");
    EXPECT_EQ(Ini("ZELMAIN.INI"), Zelmain("400000000200000", "100000000000000"));
    EXPECT_EQ(Ini("nelk140533.ini"), kNelk);
    EXPECT_EQ(File(windows, "C:\\TELMIMAP\\site\\two.ccf"), "ccf 2");
    EXPECT_EQ(File(windows, "C:\\TELMIMAP\\S01\\studio\\shipped.map"), "shipped map");
    EXPECT_EQ(File(windows, "C:\\TELMIMAP\\S15\\Eng_test\\layers\\base.lay"), "Eng_test layer");
    EXPECT_EQ(windows.Tree("C:\\TELMIMAP\\S15").size(), 24u); // six sets of four entries
    EXPECT_FALSE(windows.Exists("C:\\TELMIMAP\\S02"));
    EXPECT_EQ(File(windows, std::string(kDir) + "csuinfo.cfg"), "csuinfo delivered");
}

TEST_F(MainRunTest, CancelEndsTheRunAfterTheStepsPathKey) {
    for (bool inSystemType : {false, true}) {
        MemoryWindows machine;
        testing::InstallKorvex(machine, kDir);
        machine.PutFile("C:\\WINDOWS\\NELK.INI", kNelk);
        machine.PutFile("C:\\WINDOWS\\ZELMAIN.INI", "[ZELMAIN]\r\nFrames=15\r\n");
        machine.ui().Answer(Answer::No); // OverwriteZelmain
        machine.ui().Answer(inSystemType ? Answer::No : Answer::Yes);
        if (inSystemType) {
            machine.ui().Answer(Answer::Yes);
        }
        machine.ui().Dialog(ScriptedUserInterface::Press("CancelButton"));
        KorvexConfig cancelled(machine.platform());
        cancelled.record.AirtalkerRegion = 1;
        EXPECT_EQ(Main(cancelled), exit_code::kCancelled);
        EXPECT_EQ(File(machine, "C:\\WINDOWS\\NELK.INI"), std::string(kNelk) + kPath);
        EXPECT_EQ(File(machine, "C:\\WINDOWS\\ZELMAIN.INI"),
                  inSystemType ? kZelmain : "[ZELMAIN]\r\nFrames=15\r\n");
        EXPECT_EQ(machine.ui().pending(), 0u);
    }
}

// Machines not shaped as expected: each run ends, says what went wrong, loses nothing, and a
// run in which a change failed ends with 1603 and one last warning listing the changes.
TEST_F(MainRunTest, ShapesTheRunDoesNotExpect) {
    const std::string csuinfo = std::string(kDir) + "csuinfo.cfg";
    const struct {
        const char* name;
        std::function<void(MemoryWindows&)> shape;
        std::vector<Answer> answers; // to the questions after the staging steps
        const char* warning;         // in the first warning; "" for no warning at all
        std::vector<std::pair<std::string, std::string>> files;
    } rows[] = {
        {"TELMIMAP at the root is a file",
         [](MemoryWindows& w) { w.PutFile("C:\\TELMIMAP", "f"); },
         {Answer::No, Answer::No},
         "stopped at C:\\TELMIMAP:\nCannot create a file when that "
         "file already exists. (error 183)",
         {{"C:\\TELMIMAP", "f"},
          {"C:\\FIRMWARE\\frame.bin", "firmware"},
          {csuinfo, "csuinfo delivered"}}},
        {"a file named tmptelm is no holding directory",
         [&](MemoryWindows& w) {
             w.PutFile("C:\\tmptelm", "not held");
             w.PutFile(csuinfo, "mine");
         },
         {Answer::Yes, Answer::No, Answer::No},
         "",
         {{"C:\\tmptelm", "not held"}, {csuinfo, "csuinfo delivered"}}},
        {"a read-only csuinfo.cfg refuses the Yes",
         [&](MemoryWindows& w) { w.PutFile(csuinfo, "mine", attr::kArchive | attr::kReadOnly); },
         {Answer::Yes, Answer::No, Answer::No},
         "\ncopy C:\\Program Files\\KORVEx "
         "System\\csuinfo.new to C:\\Program Files\\KORVEx System\\csuinfo.cfg: Access is denied.",
         {{csuinfo, "mine"}}},
        {"a hidden csuinfo.cfg is not asked about and stays",
         [&](MemoryWindows& w) { w.PutFile(csuinfo, "mine", attr::kArchive | attr::kHidden); },
         {Answer::No, Answer::No},
         "csuinfo.cfg: Access is denied.",
         {{csuinfo, "mine"}}},
        {"a read-only NELK.INI keeps its bytes, and every refused key is listed",
         [](MemoryWindows& w) {
             w.PutAttributes("C:\\WINDOWS\\NELK.INI", attr::kArchive | attr::kReadOnly);
         },
         {Answer::No, Answer::No},
         "\nwrite NELK.INI [Initialisation] Path=C:\\TELMIMAP: Access "
         "is denied. (error 5)\nwrite NELK.INI [Airtalker] Region=Europe: Access is denied.",
         {{"C:\\WINDOWS\\NELK.INI", kNelk}, {"C:\\WINDOWS\\nelk140533.ini", kNelk}}},
        {"a held file cannot replace a read-only installed one",
         [&](MemoryWindows& w) {
             w.PutFile("C:\\tmptelm\\csuinfo.cfg", "held");
             w.PutFile("C:\\tmptelm\\conf.cfg", "held conf");
             w.PutFile(csuinfo, "installed", attr::kArchive | attr::kReadOnly);
             w.PutFile("C:\\WINDOWS\\ZELMAIN.INI", "[ZELMAIN]\r\n");
         },
         {Answer::No, Answer::No},
         "csuinfo.cfg (not moved: Access is denied. (error 5)",
         {{"C:\\tmptelm\\csuinfo.cfg", "held"},
          {csuinfo, "installed"},
          {std::string(kDir) + "conf.cfg", "held conf"}}},
    };
    for (const auto& row : rows) {
        MemoryWindows machine;
        testing::InstallKorvex(machine, kDir);
        machine.PutFile("C:\\WINDOWS\\NELK.INI", kNelk);
        row.shape(machine);
        for (Answer answer : row.answers) {
            machine.ui().Answer(answer);
        }
        KorvexConfig shaped(machine.platform());
        shaped.record.AirtalkerRegion = 1;
        const bool failed = *row.warning != '\0';
        EXPECT_EQ(Main(shaped), failed ? exit_code::kFailed : exit_code::kCompleted)
            << row.name << testing::State(machine);
        const std::vector<std::string> warnings = testing::Warnings(machine);
        ASSERT_EQ(warnings.empty(), !failed) << row.name << testing::State(machine);
        if (failed) {
            const std::string all = warnings.front() + warnings.back();
            EXPECT_NE(all.find(row.warning), std::string::npos) << row.name << "\n" << all;
            EXPECT_EQ(warnings.back().rfind("The installation is not complete", 0), 0u);
        }
        for (const auto& [path, contents] : row.files) {
            EXPECT_EQ(File(machine, path), contents) << row.name << ": " << path;
        }
        EXPECT_EQ(machine.ui().pending(), 0u) << row.name;
        EXPECT_FALSE(machine.ui().waitCursorOn()) << row.name;
    }
}

// upgradeprep keeps an earlier installation's configuration files, whatever their names; the
// front end restores every one into an installation directory both long and non-ASCII, copies
// its trees, and writes a configuration path that leads to the program.
TEST(HandOver, ConfigurationFilesComeBackWithTheirNames) {
    const std::string kaernten = "K\xC3\xA4rnten", omega = "\xCE\xA9mega";
    const std::vector<std::pair<std::string, std::string>> kept = {
        {"csuinfo.cfg", "my csuinfo"},
        {kaernten + ".cfg", kaernten},
        {omega + ".4kr", omega},
        {std::string(240, 'c') + ".cfg", "long"}};
    MemoryWindows windows;
    windows.PutFile("C:\\korvex\\korvex.exe", "MZ 6");
    windows.PutFile("C:\\korvex\\netio.ini", "my netio");
    for (const auto& [name, contents] : kept) {
        windows.PutFile("C:\\korvex\\" + name, contents);
    }
    windows.ui().Answer(Answer::Yes); // search for and delete earlier versions
    windows.ui().Answer(Answer::Yes); // keep the configuration files
    ASSERT_EQ(upgradeprep::RunUpgradePrep(windows.platform(), "upgradeprep.exe 7.1"), 0);
    ASSERT_FALSE(windows.Exists("C:\\korvex\\korvex.exe")) << testing::State(windows);

    const std::string dir =
        "C:\\Programme\\" + kaernten + " " + omega + " " + std::string(250, 'L') + "\\";
    testing::InstallKorvex(windows, dir);
    windows.PutFile(dir + "TELMIMAP\\S01\\" + kaernten + "\\" + omega + ".map", omega);
    windows.ui().Dialog(ScriptedUserInterface::Press("OKButton"));
    windows.ui().Dialog(ScriptedUserInterface::Press("OKButton"));
    KorvexConfig run(windows.platform());
    EXPECT_EQ(Main(run), exit_code::kCompleted) << testing::State(windows);
    EXPECT_TRUE(testing::Warnings(windows).empty()) << testing::State(windows);
    EXPECT_FALSE(windows.Exists("C:\\tmptelm"));
    EXPECT_EQ(File(windows, dir + "cnetio.ini"), "my netio");
    for (const auto& [name, contents] : kept) {
        EXPECT_EQ(File(windows, dir + name), contents) << name;
    }
    EXPECT_EQ(File(windows, "C:\\TELMIMAP\\S01\\" + kaernten + "\\" + omega + ".map"), omega);
    const std::string zelmain = File(windows, "C:\\WINDOWS\\ZELMAIN.INI");
    const std::size_t at = zelmain.find("ConfigPath=") + 11;
    const std::string configPath = zelmain.substr(at, zelmain.find("\r\n", at) - at);
    EXPECT_LE(configPath.size(), dir.size()) << configPath;
    EXPECT_EQ(File(windows, configPath + "korvex.exe"), "MZ") << configPath;
}

} // namespace
} // namespace korvex::frontend
