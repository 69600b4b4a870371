// The settings steps: the KORVEX settings with their map steps and failures, the YMV settings
// with the configuration path, and the Airtalker region keys.
#include "frontend/driver/Settings.h"

#include <gtest/gtest.h>

#include "support/Machines.h"

namespace korvex::frontend {
namespace {

using memory::Operation;
using memory::ScriptedUserInterface;
using platform::Answer;
using testing::File;

constexpr const char* kPath = "[Initialisation]\r\nPath=C:\\TELMIMAP\r\n";

class SettingsTest : public testing::FrontEndTest {
protected:
    std::string Nelk() const { return File(windows, "C:\\WINDOWS\\NELK.INI"); }
};

// The question only when NELK.INI exists; "Path" after No, Cancel, the close box and OK.
TEST_F(SettingsTest, PathIsWrittenOnEveryPath) {
    const struct {
        const char* name;
        bool nelkExists;
        std::optional<Answer> answer;
        std::optional<ScriptedUserInterface::DialogScript> script;
        bool cancelled;
        const char* comms;
    } rows[] = {
        {"no NELK.INI, OK",
         false,
         {},
         ScriptedUserInterface::Press("OKButton"),
         false,
         "[Comms]\r\nLink Type=Serial-System\r\n"},
        {"No", true, Answer::No, {}, false, "[Comms]\r\n"},
        {"Cancel", true, Answer::Yes, ScriptedUserInterface::Press("CancelButton"), true,
         "[Comms]\r\n"},
        {"close box", true, Answer::Yes, ScriptedUserInterface::CloseBox(), false, "[Comms]\r\n"},
    };
    for (const auto& row : rows) {
        memory::MemoryWindows machine;
        KorvexConfig settings(machine.platform());
        settings.context = run.context;
        if (row.nelkExists) {
            machine.PutFile("C:\\WINDOWS\\NELK.INI", "[Comms]\r\n");
        }
        if (row.answer) {
            machine.ui().Answer(*row.answer);
        }
        if (row.script) {
            machine.ui().Dialog(*row.script);
        }
        UpdateKorvexSettings(settings);
        EXPECT_EQ(machine.ui().dialogs().size(), row.script ? 1u : 0u) << row.name;
        EXPECT_EQ(settings.record.SetupCancelled, row.cancelled) << row.name;
        EXPECT_EQ(File(machine, "C:\\WINDOWS\\NELK.INI"), std::string(row.comms) + kPath)
            << row.name;
        if (row.answer) {
            const platform::MessageBoxRequest& asked = machine.ui().messages()[0].request;
            EXPECT_EQ(asked.text, "Update KORVEX Settings");
            EXPECT_EQ(asked.title, "KORVEx Insatll");
            EXPECT_EQ(asked.defaultButton, platform::DefaultButton::First);
            EXPECT_EQ(asked.prompt, "UpdateKorvexSettings");
        }
    }
}

// Both map choices: the CCF maps first. A failed map step is reported with the normal pointer
// back, and the next step still runs once.
TEST_F(SettingsTest, CcfMapsComeFirstAndAFailedMapStepIsReported) {
    testing::PutOldMaps(windows);
    testing::InsertMiraDisc(windows, 'D');
    windows.ui().Dialog(
        ScriptedUserInterface::Press("OKButton", {{"ConvertOption", true}, {"CopyMira", true}}));
    windows.ui().Answer(Answer::Yes); // UseCcfMaps
    windows.ui().Answer(Answer::Yes); // CopyMiraMaps
    windows.ui().Dialog(ScriptedUserInterface::Press("OkButton", {{"Check1(1)", true}}));
    windows.FailNth(Operation::CopyFile, 1, win::kAccessDenied);
    UpdateKorvexSettings(run);

    EXPECT_EQ(testing::Shown(windows),
              (std::vector<std::string>{"[KORVExConf]", "UseCcfMaps",
                                        "VarenInstall: " + testing::Warnings(windows).at(0),
                                        "CopyMiraMaps", "[MiraCopy]"}));
    const auto& transcript = windows.ui().transcript();
    ASSERT_GE(transcript.size(), 5u);
    EXPECT_EQ(transcript[2], "cursor wait");
    EXPECT_EQ(transcript[3], "cursor normal");
    EXPECT_EQ(testing::Warnings(windows),
              std::vector<std::string>{
                  "Copying the CCF maps from C:\\MAP to C:\\TELMIMAP stopped: could not copy "
                  "file C:\\MAP\\one.ccf:\nAccess is denied. (error 5)\nWhat was copied before "
                  "stays in place. The installation goes on with the next step."});
    EXPECT_EQ(File(windows, "C:\\TELMIMAP\\S02\\studio\\studio.mm1"), "studio map") << State();
    EXPECT_FALSE(windows.Exists("C:\\TELMIMAP\\one.ccf"));
    EXPECT_EQ(Nelk(), std::string("[Comms]\r\nLink Type=Serial-System\r\n") + kPath);
    EXPECT_FALSE(windows.ui().waitCursorOn());
    EXPECT_EQ(windows.ui().pending(), 0u);
}

TEST_F(SettingsTest, AFailedMiraCopyIsReportedAndPathIsStillWritten) {
    testing::InsertMiraDisc(windows, 'D');
    windows.ui().Dialog(ScriptedUserInterface::Press("OKButton", {{"CopyMira", true}}));
    windows.ui().Answer(Answer::Yes);
    windows.ui().Dialog(ScriptedUserInterface::Press("OkButton", {{"Check1(0)", true}}));
    // No map directory at the root: the system directory cannot be created.
    UpdateKorvexSettings(run);
    ASSERT_EQ(testing::Warnings(windows).size(), 1u);
    EXPECT_NE(testing::Warnings(windows)[0].find("could not create directory C:\\TELMIMAP\\S01:\n"
                                                 "The system cannot find the path specified. "
                                                 "(error 3)"),
              std::string::npos)
        << testing::Warnings(windows)[0];
    EXPECT_EQ(windows.ui().transcript().end()[-2], "cursor normal");
    EXPECT_EQ(Nelk(), std::string("[Comms]\r\nLink Type=Serial-System\r\n") + kPath);
}

TEST_F(SettingsTest, TheYmvQuestionDecidesOnlyTheDialog) {
    const struct {
        bool zelmainExists;
        std::optional<Answer> answer;
        bool dialog;
    } rows[] = {{false, {}, true}, {true, Answer::Yes, true}, {true, Answer::No, false}};
    for (const auto& row : rows) {
        memory::MemoryWindows machine;
        KorvexConfig settings(machine.platform());
        settings.context = run.context;
        machine.MakeDirectories("C:\\Apps\\Control");
        if (row.zelmainExists) {
            machine.PutFile("C:\\WINDOWS\\ZELMAIN.INI", "[ZELMAIN]\r\nConfigPath=X\r\n");
        }
        if (row.answer) {
            machine.ui().Answer(*row.answer);
        }
        if (row.dialog) {
            machine.ui().Dialog(ScriptedUserInterface::Press("OKButton"));
        }
        UpdateYmvSettings(settings);
        EXPECT_EQ(machine.ui().dialogs().size(), row.dialog ? 1u : 0u);
        const std::string zelmain = File(machine, "C:\\WINDOWS\\ZELMAIN.INI");
        EXPECT_NE(zelmain.find("[ZELMAIN]\r\nConfigPath=C:\\Apps\\Control\\\r\n"),
                  std::string::npos)
            << zelmain;
        EXPECT_EQ(zelmain.find("[FrameType]") != std::string::npos, row.dialog);
        if (row.answer) {
            const platform::MessageBoxRequest& asked = machine.ui().messages().at(0).request;
            EXPECT_EQ(asked.text + "|" + asked.title + "|" + asked.prompt,
                      "Update YMV Settings|KORVEx Install|UpdateYmvSettings");
            EXPECT_EQ(asked.defaultButton, platform::DefaultButton::First);
        }
    }
}

TEST_F(SettingsTest, ConfigPathIsTheShortFormWhenItFits) {
    const struct {
        const char* installDir;
        const char* make; // the directory as stored on the volume, or nothing
        const char* configPath;
    } rows[] = {
        {"C:\\Program Files\\Control\\", "C:\\Program Files\\CONTROL", "C:\\PROGRA~1\\CONTROL\\"},
        // A valid 8.3 name has no other short form: it keeps its case.
        {"C:\\Program Files\\Control\\", "C:\\Program Files\\Control", "C:\\PROGRA~1\\Control\\"},
        {"C:\\Missing Dir\\", nullptr, "C:\\Missing Dir\\"},
        // "A B" takes three characters, its short form "AB~1" four.
        {"C:\\A B\\", "C:\\A B", "C:\\A B\\"},
    };
    for (const auto& row : rows) {
        memory::MemoryWindows machine;
        KorvexConfig settings(machine.platform());
        settings.context.InstallDir = row.installDir;
        if (row.make) {
            machine.MakeDirectories(row.make);
        }
        EXPECT_EQ(ConfigPathValue(settings), row.configPath) << row.installDir;
    }
}

TEST_F(SettingsTest, AirtalkerRegionWritesOnlyItsOwnKeys) {
    const std::string earlier =
        "[Airtalker]\r\nRegion=Europe\r\nEurope=03FF000000\r\n[Comms]\r\nLink Type=X\r\n";
    const std::pair<int, std::string> rows[] = {
        {1, earlier},
        {2, "[Airtalker]\r\nRegion=Latin America\r\nEurope=03FF000000\r\n"
            "Latin America=0000007FE0\r\n[Comms]\r\nLink Type=X\r\n"},
        {0, earlier},
        {3, earlier},
    };
    for (const auto& [region, expected] : rows) {
        windows.PutFile("C:\\WINDOWS\\NELK.INI", earlier);
        windows.ResetCounts();
        run.record.AirtalkerRegion = region;
        WriteAirtalkerRegion(run);
        EXPECT_EQ(Nelk(), expected) << region;
        EXPECT_EQ(windows.Count(Operation::WriteProfileString),
                  region == 1 || region == 2 ? 2u : 0u);
    }
}

} // namespace
} // namespace korvex::frontend
