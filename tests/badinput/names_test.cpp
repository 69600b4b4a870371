// Names the runs must carry through unchanged: an installation directory whose path is longer
// than 260 characters (the in-memory Windows has no MAX_PATH limit) and non-ASCII names in
// UTF-8. Trees are copied and configuration files kept and restored with every name and byte
// intact, and the configuration path written is a short form that leads to the program.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BadInputMachine.h"
#include "platform/memory/ScriptedUserInterface.h"
#include "upgradeprep/UpgradePrep.h"

namespace korvex::badinput {
namespace {

using memory::ScriptedUserInterface;
using platform::Answer;
using ::testing::IsSupersetOf;

const std::string kKaernten = "K\xC3\xA4rnten"; // "Kärnten"
const std::string kOmega = "\xCE\xA9mega";      // "Ωmega"
const std::string kGruesse = "Gr\xC3\xBC\xC3\x9F"
                             "e"; // "Grüße"

// The value written for ZELMAIN.INI [ZELMAIN] ConfigPath, or "" when it is not there.
std::string ConfigPath(const std::string& zelmain) {
    const std::string key = "ConfigPath=";
    const std::size_t at = zelmain.find(key);
    if (at == std::string::npos) {
        return "";
    }
    const std::size_t end = zelmain.find("\r\n", at);
    return zelmain.substr(at + key.size(), end - at - key.size());
}

bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

class NamesTest : public BadInputTest {
protected:
    void PutSettingsFiles() {
        windows.PutFile("C:\\WINDOWS\\NELK.INI", "[Comms]\r\nLink Type=Serial-System\r\n");
        windows.PutFile("C:\\WINDOWS\\ZELMAIN.INI", "[ZELMAIN]\r\nVersion=7\r\n");
    }
    // The configuration path is plain ASCII, no longer than the directory, and leads to the
    // installed program.
    void ExpectConfigPathLeadsTo(const std::string& installDir) {
        const std::string path = ConfigPath(File("C:\\WINDOWS\\ZELMAIN.INI"));
        EXPECT_TRUE(IsAscii(path)) << path;
        EXPECT_LE(path.size(), installDir.size()) << path;
        EXPECT_EQ(File(path + "korvex.exe"), "MZ") << path << "\n" << State();
    }
};

TEST_F(NamesTest, AnInstallationPathLongerThan260Characters) {
    const std::string dir = "C:\\Program Files\\KORVEx " + std::string(150, 'L') + "\\Control " +
                            std::string(120, 'M') + "\\";
    ASSERT_GT(dir.size(), 260u);
    Install(dir);
    const std::string longMap = std::string(200, 'n') + ".map";
    windows.PutFile(dir + "TELMIMAP\\S02\\news\\" + longMap, "long");
    PutSettingsFiles();
    for (int i = 0; i < 3; ++i) {
        windows.ui().Answer(Answer::No);
    }

    EXPECT_EQ(RunFrontEnd(), frontend::exit_code::kCompleted) << State();

    EXPECT_EQ(run.context.InstallDir, dir);
    EXPECT_TRUE(Warnings().empty()) << State();
    EXPECT_EQ(windows.Tree("C:\\TELMIMAP"),
              (std::vector<std::string>{"S01\\", "S01\\studio\\", "S01\\studio\\shipped.map",
                                        "S02\\", "S02\\news\\", "S02\\news\\" + longMap}));
    EXPECT_EQ(File("C:\\TELMIMAP\\S02\\news\\" + longMap), "long");
    EXPECT_EQ(File(dir + "csuinfo.cfg"), "csuinfo delivered");
    EXPECT_EQ(ConfigPath(File("C:\\WINDOWS\\ZELMAIN.INI")), "C:\\PROGRA~1\\KORVEX~1\\CONTRO~1\\");
    ExpectConfigPathLeadsTo(dir);
}

TEST_F(NamesTest, NonAsciiNamesInTheTreesAndOnTheDisc) {
    const std::string dir = "C:\\Programme\\" + kKaernten + " " + kOmega + "\\";
    Install(dir);
    windows.PutFile(dir + "TELMIMAP\\S01\\" + kKaernten + "\\" + kOmega + ".map", kOmega);
    InsertMiraDisc('D');
    windows.PutFile("D:\\Mira Maps\\map_disk_1\\studio\\" + kGruesse + ".map", kGruesse);
    PutSettingsFiles();
    ScriptedUserInterface& ui = windows.ui();
    ui.Answer(Answer::No);  // overwrite zelmain.ini
    ui.Answer(Answer::Yes); // Update KORVEX Settings
    ui.Dialog(ScriptedUserInterface::Press("OKButton", {{"CopyMira", true}}));
    ui.Answer(Answer::Yes); // copy the Mira maps
    ui.Dialog(ScriptedUserInterface::Press("OkButton", {{"Check1(1)", true}}));
    ui.Answer(Answer::No); // Update YMV Settings

    EXPECT_EQ(RunFrontEnd(), frontend::exit_code::kCompleted) << State();

    EXPECT_TRUE(Warnings().empty()) << State();
    EXPECT_THAT(windows.Tree("C:\\TELMIMAP"),
                IsSupersetOf(std::vector<std::string>{
                    "S01\\" + kKaernten + "\\", "S01\\" + kKaernten + "\\" + kOmega + ".map",
                    "S02\\studio\\" + kGruesse + ".map", "S02\\studio\\studio.map"}))
        << State();
    EXPECT_EQ(File("C:\\TELMIMAP\\S01\\" + kKaernten + "\\" + kOmega + ".map"), kOmega);
    EXPECT_EQ(File("C:\\TELMIMAP\\S02\\studio\\" + kGruesse + ".map"), kGruesse);
    ExpectConfigPathLeadsTo(dir);
}

// upgradeprep keeps an earlier installation's configuration files, whatever their names, in
// the holding directory; the front end then restores every one of them into an installation
// directory that is both long and non-ASCII.
TEST_F(NamesTest, KeptConfigurationFilesComeBackWithTheirNames) {
    const std::string longCfg = std::string(240, 'c') + ".cfg";
    const std::vector<std::pair<std::string, std::string>> kept = {
        {"csuinfo.cfg", "my csuinfo"},
        {kKaernten + ".cfg", kKaernten},
        {kOmega + ".4kr", kOmega},
        {longCfg, "long"},
    };
    windows.PutFile("C:\\korvex\\korvex.exe", "MZ 6");
    windows.PutFile("C:\\korvex\\netio.ini", "my netio");
    for (const auto& [name, contents] : kept) {
        windows.PutFile("C:\\korvex\\" + name, contents);
    }
    windows.ui().Answer(Answer::Yes); // search for and delete earlier versions
    windows.ui().Answer(Answer::Yes); // keep the configuration files
    ASSERT_EQ(upgradeprep::RunUpgradePrep(windows.platform(), "upgradeprep.exe 7.1"),
              upgradeprep::kExitDone)
        << State();
    ASSERT_FALSE(windows.Exists("C:\\korvex\\korvex.exe")) << State();

    const std::string dir =
        "C:\\Programme\\" + kKaernten + " " + kOmega + " " + std::string(250, 'L') + "\\";
    Install(dir);
    PutSettingsFiles();
    windows.ui().Answer(Answer::No); // Update KORVEX Settings
    windows.ui().Answer(Answer::No); // Update YMV Settings

    EXPECT_EQ(RunFrontEnd(), frontend::exit_code::kCompleted) << State();

    EXPECT_TRUE(Warnings().empty()) << State();
    EXPECT_FALSE(windows.Exists("C:\\tmptelm")) << State();
    std::vector<std::string> restored = {"cnetio.ini"};
    for (const auto& [name, contents] : kept) {
        restored.push_back(name);
        EXPECT_EQ(File(dir + name), contents) << name << "\n" << State();
    }
    EXPECT_THAT(windows.Tree(dir), IsSupersetOf(restored)) << State();
    EXPECT_EQ(File(dir + "cnetio.ini"), "my netio");
    ExpectConfigPathLeadsTo(dir);
}

} // namespace
} // namespace korvex::badinput
