// What a standard user of the PC can plant before an elevated run, and what each program does
// with it: a holding directory of their own, links in place of the folders the programs write
// into or delete from, links in the folders they copy from, a link in the log's path. Every
// planted link leads to a victim folder (another user's files, or the system folder), which
// must be left exactly as it was.
#include <gtest/gtest.h>

#include <functional>

#include "frontend/driver/Entry.h"
#include "support/Machines.h"
#include "upgradeprep/Entry.h"
#include "upgradeprep/UpgradePrep.h"

namespace korvex::testing {
namespace {

using memory::MemoryWindows;

constexpr const char* kVictim = "C:\\Users\\victim\\private";

const char* kKeepAnswers = "[upgradeprep]\nSearchAndDelete=Yes\nKeepConfiguration=Yes\n";

// A folder's tree with every file's bytes: what "left exactly as it was" compares.
std::string Snapshot(const MemoryWindows& windows, const std::string& folder) {
    std::string shown;
    for (const std::string& line : windows.Tree(folder)) {
        shown += line;
        if (!line.ends_with("\\") && line.find(" -> ") == std::string::npos) {
            const std::string name = line.substr(0, line.find(" ["));
            shown += " = " + File(windows, folder + "\\" + name);
        }
        shown += '\n';
    }
    return shown;
}

void PutVictim(MemoryWindows& windows) {
    windows.PutFile(std::string(kVictim) + "\\diary.txt", "private");
    windows.PutFile(std::string(kVictim) + "\\tax\\2026.xls", "numbers");
}

struct Attack {
    const char* name;
    std::function<void(MemoryWindows&)> plant;
    bool frontEnd; // otherwise upgradeprep, keeping the configuration
    int exitCode;
    const char* logged; // a line of the log holds this
    std::function<void(MemoryWindows&)> check = [](MemoryWindows&) {};
};

TEST(Attacks, NothingPlantedTurnsTheProgramsRightsIntoTheUsers) {
    const std::string dir(kInstallDir);
    const Attack attacks[] = {
        {"a holding directory a user made, with a program in it",
         [](MemoryWindows& w) {
             w.PutFile("C:\\tmptelm\\version.dll", "planted library");
             w.PutFile("C:\\tmptelm\\korvex.exe", "planted program");
             w.LetUsersChange("C:\\tmptelm");
         },
         true, frontend::exit_code::kFailed, "refuse C:\\tmptelm",
         [dir](MemoryWindows& w) {
             EXPECT_EQ(File(w, dir + "korvex.exe"), "MZ");
             EXPECT_FALSE(w.Exists(dir + "version.dll"));
             EXPECT_EQ(File(w, "C:\\tmptelm\\korvex.exe"), "planted program");
             EXPECT_EQ(File(w, dir + "csuinfo.cfg"), "<missing>") << "a .new file was put in place";
         }},
        {"the holding directory a link, for the front end",
         [](MemoryWindows& w) {
             w.PutFile(std::string(kVictim) + "\\korvex.exe", "another user's program");
             w.MakeJunction("C:\\tmptelm", kVictim);
         },
         true, frontend::exit_code::kFailed, "refuse C:\\tmptelm"},
        {"the holding directory a link, for upgradeprep",
         [](MemoryWindows& w) { w.MakeJunction("C:\\tmptelm", kVictim); }, false,
         upgradeprep::kExitStopped, "refuse C:\\tmptelm"},
        {"a holding directory a user made, for upgradeprep",
         [](MemoryWindows& w) {
             w.PutFile("C:\\tmptelm\\common.cfg", "planted configuration");
             w.LetUsersChange("C:\\tmptelm");
         },
         false, upgradeprep::kExitStopped, "refuse C:\\tmptelm"},
        {"the earlier installation's TCPIP folder a link",
         [](MemoryWindows& w) {
             w.PutFile(std::string(kVictim) + "\\plain.txt", "archive bit only");
             ASSERT_TRUE(w.files().DeleteFile("C:\\korvex\\TCPIP\\a.tcp").ok());
             ASSERT_TRUE(w.files().RemoveDirectory("C:\\korvex\\TCPIP").ok());
             w.MakeJunction("C:\\korvex\\TCPIP", kVictim);
         },
         false, upgradeprep::kExitStopped, "refuse C:\\korvex\\TCPIP"},
        {"the temporary name of the map tree a link",
         [](MemoryWindows& w) { w.MakeJunction("C:\\TELMIMAP.part", kVictim); }, true,
         frontend::exit_code::kCompleted, "leftover C:\\TELMIMAP.part",
         [](MemoryWindows& w) {
             EXPECT_EQ(w.AttributesOf("C:\\TELMIMAP").value_or(0) & platform::attr::kReparsePoint,
                       0u);
             EXPECT_EQ(File(w, "C:\\TELMIMAP\\S01\\studio\\shipped.map"), "shipped map");
         }},
        {"the map tree a link to the system folder, a library in C:\\MAP",
         [](MemoryWindows& w) {
             w.PutFile("C:\\MAP\\version.dll", "planted library");
             w.MakeJunction("C:\\TELMIMAP", kVictim);
         },
         true, frontend::exit_code::kFailed, "refuse C:\\TELMIMAP"},
        {"a link in C:\\MAP to another user's folder",
         [](MemoryWindows& w) {
             PutOldMaps(w);
             w.MakeJunction("C:\\MAP\\secrets", kVictim);
         },
         true, frontend::exit_code::kCompleted, "copy-tree skip C:\\MAP\\secrets",
         [](MemoryWindows& w) {
             EXPECT_FALSE(w.Exists("C:\\TELMIMAP\\secrets"));
             EXPECT_EQ(File(w, "C:\\TELMIMAP\\site\\two.ccf"), "ccf 2");
         }},
        {"C:\\MAP itself a link to another user's folder",
         [](MemoryWindows& w) {
             w.MakeJunction("C:\\MAP", kVictim);
             w.PutFile("C:\\TELMIMAP\\maps.idx", "delivered");
         },
         true, frontend::exit_code::kFailed, "copy-tree skip C:\\MAP",
         [](MemoryWindows& w) { EXPECT_FALSE(w.Exists("C:\\TELMIMAP\\diary.txt")); }},
        {"a system's map folder a link",
         [](MemoryWindows& w) {
             w.PutFile("C:\\TELMIMAP\\maps.idx", "delivered");
             w.MakeJunction("C:\\TELMIMAP\\S01", kVictim);
         },
         true, frontend::exit_code::kFailed, "refuse C:\\TELMIMAP\\S01"},
    };
    for (const Attack& attack : attacks) {
        SCOPED_TRACE(attack.name);
        MemoryWindows windows;
        PutVictim(windows);
        if (attack.frontEnd) {
            InstallKorvex(windows);
            InsertMiraDisc(windows);
        } else {
            PutEarlierInstallation(windows);
        }
        attack.plant(windows);
        const std::string victim = Snapshot(windows, kVictim);
        const std::string earlier = Snapshot(windows, "C:\\korvex");
        std::string log;
        const int code = attack.frontEnd ? RunFrontEnd(windows, kFrontEndAnswers, &log)
                                         : RunUpgradePrep(windows, kKeepAnswers,
                                                          "upgradeprep.exe 7.1.0.0", &log);
        EXPECT_EQ(code, attack.exitCode) << State(windows);
        EXPECT_EQ(Snapshot(windows, kVictim), victim) << State(windows);
        EXPECT_NE(log.find(attack.logged), std::string::npos) << log;
        if (!attack.frontEnd && code == upgradeprep::kExitStopped) {
            EXPECT_EQ(Snapshot(windows, "C:\\korvex"), earlier) << "the earlier installation";
            EXPECT_TRUE(windows.Exists("C:\\WINDOWS\\desktop\\korvex.lnk"));
        }
        attack.check(windows);
    }
}

// The log and the record are written with the program's rights: a relative path or a link on
// the way stops the run before anything changes, and nothing is written there.
TEST(Attacks, TheLogAndRecordGoOnlyToAbsolutePathsWithoutLinks) {
    struct Case {
        const char* log;
        const char* record;
    };
    for (const Case& paths : {Case{"C:\\logs\\run.log", ""}, Case{"run.log", ""},
                              Case{"", "C:\\logs\\answers.ini"}, Case{"", "answers.ini"}}) {
        for (bool frontEnd : {true, false}) {
            SCOPED_TRACE(std::string(paths.log) + paths.record + (frontEnd ? " front end" : ""));
            MemoryWindows windows;
            PutVictim(windows);
            windows.MakeJunction("C:\\logs", kVictim);
            InstallKorvex(windows);
            const std::string before = Snapshot(windows, "C:\\");
            const unattended::Switches switches{"", paths.record, paths.log};
            const int code = frontEnd ? frontend::RunVarenInstall(switches, ServicesOf(windows))
                                      : upgradeprep::RunUpgradePrepProgram(
                                            switches, ServicesOf(windows), "upgradeprep.exe 7.1");
            EXPECT_EQ(code, 1603);
            EXPECT_EQ(Snapshot(windows, "C:\\"), before) << State(windows);
            ASSERT_EQ(Warnings(windows).size(), 1u) << State(windows);
            EXPECT_NE(Warnings(windows)[0].find(paths.log[0] ? "KORVEX_LOG" : "KORVEX_RECORD"),
                      std::string::npos);
        }
    }
}

// The holding directory upgradeprep makes lets only the administrators change it, where a
// directory made the ordinary way at the drive's root lets every user change it; the front end
// restores from the one, read-only files included, and the run completes.
TEST(Attacks, TheHoldingDirectoryIsTheAdministratorsAlone) {
    MemoryWindows windows;
    PutEarlierInstallation(windows);
    windows.PutAttributes("C:\\korvex\\route.cfg",
                          platform::attr::kReadOnly | platform::attr::kArchive);
    ASSERT_EQ(RunUpgradePrep(windows, kKeepAnswers), 0) << State(windows);
    auto protection = windows.files().GetProtection("C:\\tmptelm");
    ASSERT_TRUE(protection.ok());
    EXPECT_FALSE(protection.value().othersMayChange);
    ASSERT_TRUE(windows.files().CreateDirectory("C:\\ordinary").ok());
    EXPECT_TRUE(windows.files().GetProtection("C:\\ordinary").value().othersMayChange);
    InstallKorvex(windows);
    EXPECT_EQ(RunFrontEnd(windows, kFrontEndAnswers), 0) << State(windows);
    EXPECT_EQ(File(windows, std::string(kInstallDir) + "common.cfg"), "kept common.cfg");
    EXPECT_EQ(File(windows, std::string(kInstallDir) + "route.cfg"), "kept route.cfg");
    EXPECT_FALSE(windows.Exists("C:\\tmptelm"));
}

} // namespace
} // namespace korvex::testing
