// upgradeprep on the in-memory Windows, run as the installation starts it and checked through its
// log: new version text, upgrade question, upgrade of KORVEx, search and delete of an earlier one.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "product/Korvex.h"
#include "support/Machines.h"
#include "upgradeprep/UpgradePrep.h"

namespace korvex::upgradeprep {
namespace {

using memory::MemoryWindows;
using memory::Operation;
using platform::DriveType;
using Strings = std::vector<std::string>;
namespace attr = platform::attr;

// The questions as the log shows them, line breaks escaped, each followed by its answer.
const std::string kAnnouncement = "message [KORVEX] \"The installer will now search for and "
                                  "DELETE\\nany previous versions of KORVEx\\nDo you wish to "
                                  "continue\" (SearchAndDelete) -> ";
const std::string kKeepQuestion = "message [KORVEX] \"A previous version of KORVEX has been "
                                  "detected\\n Do you wish to keep your confiuration files\" "
                                  "(KeepConfiguration) -> ";

// A machine and the log of one unattended run of upgradeprep on it.
struct Machine {
    MemoryWindows windows;
    std::string log;

    // `answers`: keys of [upgradeprep] separated by blanks ("SearchAndDelete=Yes Keep...=No").
    int Run(std::string answers, std::string_view commandLine = "upgradeprep.exe 7.1") {
        std::replace(answers.begin(), answers.end(), ' ', '\n');
        return testing::RunUpgradePrep(windows, "[upgradeprep]\n" + answers, commandLine, &log);
    }
    // The logged lines of these actions ("delete "), without time and program, in order.
    Strings Lines(std::initializer_list<std::string_view> actions) const {
        Strings lines;
        std::istringstream in(log);
        for (std::string line; std::getline(in, line);) {
            line = line.substr(36, line.size() - 37); // without time, program and CR
            if (std::ranges::any_of(actions, [&](auto a) { return line.starts_with(a); })) {
                lines.push_back(line);
            }
        }
        return lines;
    }
    // Every change the run made to the machine's files, in order.
    Strings Changes() const {
        return Lines({"move ", "delete ", "copy ", "create-directory ", "remove-directory ",
                      "write-file ", "set-attributes "});
    }
    std::string State() const { return testing::State(windows) + "log:\n" + log; }
};

TEST(NewVersionText, IsTheCommandLineAfterTheProgramNameAndItsBlanks) {
    const std::string longText = "7.1 " + std::string(5000, 'x') + " end";
    const std::pair<std::string, std::string> rows[] = {
        {"\"C:\\Program Files\\Setup\\up prep.exe\" 7.1 beta", "7.1 beta"},
        {"\"C:\\x\\upgradeprep.exe\"7.1", "7.1"},
        {"upgradeprep.exe   \t  7.1", "7.1"},
        {"upgradeprep.exe\x01\x1f 7.1", "7.1"},
        {"upgradeprep.exe 7.1  trailing  ", "7.1  trailing  "},
        {"upgradeprep.exe 7.1 (100%) %s%n%d %1 %%", "7.1 (100%) %s%n%d %1 %%"},
        {"upgradeprep.exe 7.1 \"quoted\"", "7.1 \"quoted\""},
        {"\"C:\\K\xC3\xA4rnten\\upgradeprep.exe\"  \xCE\xA9mega 7.1", "\xCE\xA9mega 7.1"},
        {"pr\xC3\xB6gram.exe 7.1", "7.1"}, // bytes above ASCII belong to the name
        {" \t ", ""},
        {"\"C:\\x\\upgradeprep.exe\"", ""},
        {"\"unterminated name 7.1", ""},
        {"\"C:\\" + std::string(300, 'd') + "\\upgradeprep.exe\" " + longText, longText},
    };
    for (const auto& [commandLine, text] : rows) {
        EXPECT_EQ(NewVersionText(commandLine), text) << "command line: " << commandLine;
    }
}

// The installed version is read as "%d.%d.%d.%d" reads it, missing numbers counting 0, and
// named by its letter; the fixed texts show 6.0 whatever the minor number; other major
// versions are named as installed.
TEST(UpgradeQuestion, NamesTheInstalledVersionByItsLetter) {
    // clang-format off
    const std::pair<std::string, std::string> rows[] = {
        {"6.0.24.0", "6.0W"},         {"6.1.14.0", "6.1N"},        {"6.0.17.0", "6.0N"},
        {"6.0.-5.0", "6.0N"},         {"6.0.18.0", "6.0R"},        {"6.2.22.0", "6.2V"},
        {"6.0.23.0", "6.0V"},         {"6.0.25.0", "6.0X"},        {"6.0.29.0", "6.0\\"},
        {"6.0.90.0", "6.0\x19"},      {"6.3.26.0", "6.0w(b)"},     {"6.0.27.0", "6.0w(c)"},
        {"6.1.28.1", "6.0w(d)"},      {"7.2.5.0", "7.0B"},         {"7.0.3.0", "7.0C"},
        {"7.14.0.0", "7.0N"},         {"5.1.2.3", "5.1.2.3"},      {"8.0.1.0", "8.0.1.0"},
        {"beta 2", "beta 2"},         {"", ""},                    {"7.0.3", "7.0C"},
        {"7", "7.0@"},                {"6", "6.0N"},               {"6.1", "6.1N"},
        {"6.x.24.0", "6.0N"},         {"6..24.0", "6.0N"},         {"6 1.24", "6.0N"},
        {"6.0.24-beta", "6.0W"},      {" 6. 1.+24.-2", "6.1W"},    {"6.1.20.0.99", "6.1T"},
        {"6.9999999999.22", "6.2147483647V"},
    };
    // clang-format on
    for (const auto& [installed, shown] : rows) {
        EXPECT_EQ(UpgradeQuestion(installed, "%s%n 7.1"),
                  "Upgrade KORVEx from version " + shown + " to version %s%n 7.1")
            << "installed " << installed;
    }
}

// The first product named "KORVEx" (after another product, before a second KORVEx) is asked
// about; Yes writes its version string beside its main program, when the installer gives a
// usable path, and changes nothing else; No ends with 1602, no answer with 1603.
TEST(Upgrade, AsksAboutTheFirstKorvexAndMarksItsDirectoryOnYes) {
    const std::string dir = "C:\\" + std::string(120, 'p') + "\\" + std::string(90, 'q') + "\\";
    const std::string version = "6.0.26.0 build " + std::string(200, '7');
    const std::string text = "%s%n 7.1 " + std::string(300, 'n');
    const struct {
        std::string version;
        std::optional<std::string> program; // the component's path; nothing: not installed
        std::string commandLine, question, answer;
        int code;
        std::string marker; // empty: none is written
    } rows[] = {
        {"6.0.24.0", "C:\\K\\korvex.exe", "\"C:\\Set up\\upgradeprep.exe\"  7.1.0.2",
         "6.0W to version 7.1.0.2", "Upgrade=Yes", 0, "C:\\K\\up.ok"},
        {version, dir + "korvex.exe", "u.exe " + text, "6.0w(b) to version " + text, "Upgrade=Yes",
         0, dir + "up.ok"},
        {"%s%n.%d", "C:\\K\\korvex.exe", "u.exe 7.1", "%s%n.%d to version 7.1", "Upgrade=Yes", 0,
         "C:\\K\\up.ok"},
        {"7.2.5.0", "C:\\K\\korvex.exe", "", "7.0B to version ", "Upgrade=No", 1602, ""},
        {"7.2.5.0", "C:\\K\\korvex.exe", "u.exe 7.1", "7.0B to version 7.1", "", 1603, ""},
        {"7.2.5.0", std::nullopt, "u.exe 7.1", "7.0B to version 7.1", "Upgrade=Yes", 0, ""},
        {"7.2.5.0", "orvex.exe", "u.exe 7.1", "7.0B to version 7.1", "Upgrade=Yes", 0, ""},
    };
    for (const auto& row : rows) {
        Machine m;
        for (const std::string& directory : {std::string("C:\\K"), dir, std::string("D:\\2")}) {
            m.windows.MakeDirectories(directory);
        }
        testing::RegisterKorvex(m.windows, "C:\\Tools\\", "1.0.0.0", "YMV Tools", "{1}");
        memory::InstalledProduct korvex{
            "{2}", "", {{"InstalledProductName", "KORVEx"}, {"VersionString", row.version}}, {}};
        if (row.program) {
            korvex.componentPaths[std::string(product::kMainProgramComponent)] = *row.program;
        }
        m.windows.AddProduct(korvex);
        testing::RegisterKorvex(m.windows, "D:\\2\\", "6.1.14.0", "KORVEx", "{3}");
        EXPECT_EQ(m.Run(row.answer, row.commandLine), row.code) << m.State();
        const Strings asked = m.Lines({"message "});
        EXPECT_EQ(asked.size(), 1u) << m.State();
        EXPECT_TRUE(asked.at(0).starts_with("message [KORVEX] \"Upgrade KORVEx from version " +
                                            row.question + "\" (Upgrade) -> "));
        const std::string written = "write-file " + row.marker + " (" +
                                    std::to_string(row.version.size()) + " bytes) -> done";
        EXPECT_EQ(m.Changes(), row.marker.empty() ? Strings{} : Strings{written}) << m.State();
        if (!row.marker.empty()) {
            EXPECT_EQ(testing::File(m.windows, row.marker), row.version);
        }
    }
}

// A name differing in case or blanks is not the product, and neither is anything when the
// installer cannot be queried: the search is announced, and No ends with 259, touching nothing.
TEST(Upgrade, OnlyAProductNamedExactlyKorvexIsUpgraded) {
    for (const char* name : {"korvex", "KORVEX", "KORVEx ", " KORVEx", "KORVEx\t", ""}) {
        Machine m;
        testing::RegisterKorvex(m.windows, testing::kInstallDir, "6.0.24.0",
                                *name != '\0' ? name : "KORVEx");
        m.windows.SetInstallerAvailable(*name != '\0');
        testing::PutEarlierInstallation(m.windows);
        EXPECT_EQ(m.Run("Upgrade=Yes SearchAndDelete=No KeepConfiguration=No"), 259);
        EXPECT_EQ(m.Lines({"message "}), Strings{kAnnouncement + "No"}) << name << m.State();
        EXPECT_EQ(m.Changes(), Strings{}) << m.State();
    }
}

// One answer file answers both programs, and upgradeprep changes the PC first: a file bad only
// in a section of the front end stops it before it asks or changes anything, the earlier
// installation whole, with the line and key in its log.
TEST(UpgradePrep, AFileBadOnlyInTheFrontEndsSectionsStopsItBeforeAnyChange) {
    const std::string own = "[upgradeprep]\nSearchAndDelete=Yes\nKeepConfiguration=Yes\n";
    const std::pair<std::string, std::string> rows[] = {
        {"[SystemType]\nButton=OK\nSystem3=Mirra\n",
         "line 6: value \"Mirra\" is not allowed for System3 in [SystemType]"},
        {"[korvexconf]\nConection=Serial\n", "line 5: unknown key \"Conection\" in [KORVExConf]"},
        {"[MiraCopy]\nSystems=1,16\n",
         "line 5: value \"1,16\" is not allowed for Systems in [MiraCopy]"},
        {"[VarenInstall]\nOverwriteMap.S16.news=No\n",
         "line 5: unknown key \"OverwriteMap.S16.news\" in [VarenInstall]"},
        {"[VarenInstall]\nAirtalkerRegion=3\n",
         "line 5: value \"3\" is not allowed for AirtalkerRegion in [VarenInstall]"},
    };
    for (const auto& [frontEnd, why] : rows) {
        Machine m;
        testing::PutEarlierInstallation(m.windows);
        m.windows.PutFile("C:\\answers.ini", "");
        m.windows.PutFile("C:\\run.log", "");
        const Strings before = m.windows.Tree("C:\\");
        EXPECT_EQ(testing::RunUpgradePrep(m.windows, own + frontEnd, "u.exe 7.1", &m.log), 1603);
        EXPECT_NE(m.log.find("is not valid: " + why), std::string::npos) << m.log;
        EXPECT_EQ(m.windows.Tree("C:\\"), before) << m.State();
        for (const std::string& name : testing::EarlierConfigurationFiles()) {
            EXPECT_EQ(testing::File(m.windows, "C:\\korvex\\" + name), "kept " + name);
        }
    }
}

// The questions as a person sees them (the log shows their titles).
TEST(UpgradePrep, EveryQuestionIsAYesNoBoxTitledKorvexWithoutIcon) {
    for (bool registered : {true, false}) {
        MemoryWindows windows;
        registered ? testing::RegisterKorvex(windows) : testing::PutEarlierInstallation(windows);
        windows.ui().Answer(platform::Answer::Yes);
        windows.ui().Answer(platform::Answer::No);
        EXPECT_EQ(RunUpgradePrep(windows.platform(), "upgradeprep.exe 7.1"), 0);
        ASSERT_EQ(windows.ui().messages().size(), registered ? 1u : 2u) << testing::State(windows);
        for (const auto& shown : windows.ui().messages()) {
            EXPECT_EQ(shown.request.buttons, platform::Buttons::YesNo);
            EXPECT_EQ(shown.request.icon, platform::Icon::None);
        }
    }
}

// Both shortcut patterns of the Windows directory, however long, go; folders and other files
// stay. Only the first fixed drive with the file korvex\korvex.exe is asked about and handled.
TEST(SearchAndDelete, OnlyTheFirstFixedDriveWithTheMainProgramIsHandled) {
    Machine m;
    const std::string windowsDir = "C:\\" + std::string(90, 'w') + "\\Windows";
    m.windows.SetWindowsDirectory(windowsDir);
    const std::string menu = windowsDir + "\\Start Menu\\Programs\\KORVEx\\";
    const std::string desktop = windowsDir + "\\Desktop\\";
    for (const std::string& path :
         {menu + "KORVEx.lnk", menu + "Map editor.LNK", menu + "readme.txt", desktop + "korvex.lnk",
          desktop + "KORVEX 6.lnk", desktop + "other.lnk", desktop + "korvex.txt",
          std::string("C:\\korvex\\a.cfg")}) {
        m.windows.PutFile(path, "mine");
    }
    m.windows.MakeDirectories("C:\\korvex\\korvex.exe");
    const std::pair<char, DriveType> drives[] = {
        {'A', DriveType::Removable}, {'D', DriveType::Remote},  {'E', DriveType::CdRom},
        {'F', DriveType::RamDisk},   {'G', DriveType::Unknown}, {'H', DriveType::Fixed},
        {'I', DriveType::Fixed}};
    for (const auto& [letter, type] : drives) {
        m.windows.AddDrive(letter, type);
        testing::PutEarlierInstallation(m.windows, letter);
    }
    EXPECT_EQ(m.Run("SearchAndDelete=Yes KeepConfiguration=No"), 0) << m.State();
    EXPECT_EQ(m.Lines({"message "}), (Strings{kAnnouncement + "Yes", kKeepQuestion + "No"}));
    EXPECT_FALSE(m.windows.Exists("H:\\korvex\\korvex.exe")) << m.State();
    for (const std::string& change : m.Changes()) {
        EXPECT_TRUE(change.starts_with("delete H:\\korvex\\") ||
                    change.starts_with("delete " + windowsDir + "\\"))
            << change;
    }
    EXPECT_EQ(m.windows.Tree(menu), Strings{"readme.txt"}) << m.State();
    EXPECT_EQ(m.windows.Tree(desktop), (Strings{"korvex.txt", "other.lnk"})) << m.State();
}

// Keeping holds every configuration file (netio.ini as cnetio.ini) and deletes the rest.
TEST(SearchAndDelete, KeepingHoldsTheConfigurationFiles) {
    Machine m;
    testing::PutEarlierInstallation(m.windows);
    EXPECT_EQ(m.Run("SearchAndDelete=Yes KeepConfiguration=Yes"), 0) << m.State();
    EXPECT_EQ(m.Lines({"message "}), (Strings{kAnnouncement + "Yes", kKeepQuestion + "Yes"}));
    for (const std::string& name : testing::EarlierConfigurationFiles()) {
        const std::string held = name == "netio.ini" ? "cnetio.ini" : name;
        EXPECT_EQ(testing::File(m.windows, "C:\\tmptelm\\" + held), "kept " + name) << m.State();
    }
    EXPECT_EQ(m.windows.Tree("C:\\tmptelm").size(), 8u) << m.State();
    EXPECT_EQ(m.windows.Tree("C:\\korvex"), (Strings{"notes.doc", "TCPIP\\"})) << m.State();
}

// netio.ini first, the *.cfg files but "msginfo.cfg" and "msgfilt.cfg" (exact names: MSGINFO.CFG
// is not one of them), the *.4kr and *.4kp files, then the *.cfg files again: the message
// files go last.
TEST(SearchAndDelete, TheMessageFilesAreHeldLast) {
    Machine m;
    for (const char* name :
         {"korvex.exe", "netio.ini", "MSGINFO.CFG", "msgfilt.cfg", "a.4kr", "b.4KP"}) {
        m.windows.PutFile("C:\\korvex\\" + std::string(name), name);
    }
    EXPECT_EQ(m.Run("SearchAndDelete=Yes KeepConfiguration=Yes"), 0) << m.State();
    Strings expected = {"create-protected-directory C:\\tmptelm -> done",
                        "move C:\\korvex\\netio.ini -> C:\\tmptelm\\cnetio.ini -> done"};
    for (const char* name : {"MSGINFO.CFG", "a.4kr", "b.4KP", "msgfilt.cfg"}) {
        expected.push_back("move C:\\korvex\\" + std::string(name) + " -> C:\\tmptelm\\" + name +
                           " -> done");
    }
    EXPECT_EQ(m.Lines({"create-protected-directory ", "move "}), expected) << m.State();
}

// A file already held (in any case) is not replaced and the program's copy is deleted; a
// configuration file that cannot be moved into the holding directory stays where it is.
TEST(SearchAndDelete, NothingHeldIsReplacedAndNothingUnheldIsLost) {
    for (bool moveFails : {false, true}) {
        Machine m;
        testing::PutEarlierInstallation(m.windows);
        if (moveFails) {
            m.windows.FailPath(Operation::MoveFile, "C:\\korvex\\common.cfg", win::kDiskFull);
            m.windows.FailPath(Operation::MoveFile, "C:\\korvex\\netio.ini", win::kAccessDenied);
        } else {
            m.windows.PutFile("C:\\tmptelm\\COMMON.CFG", "held earlier");
            m.windows.PutFile("C:\\tmptelm\\cnetio.ini", "net held earlier");
        }
        EXPECT_EQ(m.Run("SearchAndDelete=Yes KeepConfiguration=Yes"), 0) << m.State();
        const std::pair<std::string, std::string> files[] = {
            {"C:\\tmptelm\\common.cfg", moveFails ? "<missing>" : "held earlier"},
            {"C:\\tmptelm\\cnetio.ini", moveFails ? "<missing>" : "net held earlier"},
            {"C:\\korvex\\common.cfg", moveFails ? "kept common.cfg" : "<missing>"},
            {"C:\\korvex\\netio.ini", moveFails ? "kept netio.ini" : "<missing>"},
            {"C:\\korvex\\korvex.hlp", "<missing>"},
            {"C:\\tmptelm\\route.cfg", "kept route.cfg"}};
        for (const auto& [path, bytes] : files) {
            EXPECT_EQ(testing::File(m.windows, path), bytes) << path << "\n" << m.State();
        }
    }
}

// Declining to keep deletes the 41 listed files in the list's order, then the TCPIP entries
// whose attributes are the archive bit alone; nothing else is changed.
TEST(SearchAndDelete, DecliningToKeepDeletesTheListedFilesInOrder) {
    std::istringstream listed(
        "wendrel.exe korvex.exe korvexzip.exe pellory.exe ostane.exe setup1.exe zelconfm.dll "
        "zeldccm.dll zeldelgm.dll zelhmon.dll zelifb.dll zellib.dll zelpanlm.dll zelroutm.dll "
        "zelsysm.dll fzelconf.dll vrel3anim.dll vrel3ctnt.dll quenlink.dll korvex.gid korvex.hlp "
        "common.cfg conf.cfg csuinfo.cfg delg.cfg fconf.cfg gpi.cfg hardware.cfg ifb.cfg "
        "layout.cfg msgfilt.cfg msginfo.cfg panel.cfg route.cfg sysmsg.cfg netio.ini ivb.ntz "
        "extra.txt readme.txt grid.vbx spread20.vbx site.cfg a.4kr b.4kp netio.bak maps\\m1.map");
    Machine m;
    Strings expected;
    for (std::string name; listed >> name;) {
        m.windows.PutFile("C:\\korvex\\" + name, "old " + name);
        expected.push_back("delete C:\\korvex\\" + name + " -> done");
    }
    expected.resize(41);                  // the last five are not on the list
    expected.erase(expected.begin() + 1); // korvex.exe, deleted last (below)
    for (std::uint32_t attributes :
         {attr::kArchive, attr::kArchive | attr::kReadOnly, attr::kNormal, attr::kReadOnly,
          attr::kArchive | attr::kHidden, attr::kArchive | attr::kSystem,
          attr::kNotContentIndexed | attr::kCompressed}) {
        m.windows.PutFile("C:\\korvex\\TCPIP\\t" + std::to_string(attributes), "tcp", attributes);
    }
    m.windows.MakeDirectories("C:\\korvex\\TCPIP\\sub");
    // Ordinary files go, whatever their archive and storage bits; protected ones stay.
    for (const char* name : {"t10240", "t128", "t32"}) {
        expected.push_back("delete C:\\korvex\\tcpip\\" + std::string(name) + " -> done");
    }
    // The main program last, so that a run stopped half-way is found again and finishes.
    expected.push_back("delete C:\\korvex\\korvex.exe -> done");
    EXPECT_EQ(m.Run("SearchAndDelete=Yes KeepConfiguration=No"), 0) << m.State();
    EXPECT_EQ(m.Changes(), expected) << m.State();
}

} // namespace
} // namespace korvex::upgradeprep
