// The settings steps: the KORVEX settings with their map steps and failures, the YMV settings
// with the configuration path, and the Airtalker region keys.
#include "frontend/driver/Settings.h"
#include "product/Korvex.h"

#include <gtest/gtest.h>

#include "frontend/driver/FrontendFixture.h"
#include "frontend/maps/InstallMiraMaps.h"

namespace korvex::frontend {
namespace {

using memory::Operation;
using memory::ScriptedUserInterface;
using platform::Answer;
using testing::FrontendTest;

constexpr const char* kPath = "[Initialisation]\r\nPath=C:\\TELMIMAP\r\n";

// Fills a run's context as start-up does for a product in C:\Apps\Control\.
void Start(KorvexConfig& run, memory::MemoryWindows& machine) {
    run.context = {"C:\\Apps\\Control\\", "C:\\", "C:\\WINDOWS", "140533"};
    machine.MakeDirectories("C:\\Apps\\Control");
}

std::vector<std::string> Prompts(memory::MemoryWindows& machine) {
    std::vector<std::string> out;
    for (const auto& shown : machine.ui().messages()) {
        out.push_back(shown.request.prompt.empty() ? shown.request.text : shown.request.prompt);
    }
    return out;
}

class SettingsTest : public FrontendTest {
protected:
    SettingsTest() { StartedRun(); }
    std::string File(const std::string& name) const {
        return windows.Contents("C:\\WINDOWS\\" + name).value_or("<missing>");
    }
    // A disc with the six map sets, one file "s.map" in each.
    void PutMiraDisc(char letter) {
        windows.AddDrive(letter, platform::DriveType::CdRom);
        for (const product::MiraMapSet& set : product::kMiraMapSets) {
            windows.PutFile(
                std::string(1, letter) + ":\\Mira Maps" + std::string(set.path) + "\\s.map", "s");
        }
    }
};

TEST_F(SettingsTest, TheKorvexQuestionIsAskedOnlyWhenNelkIniExists) {
    windows.PutFile("C:\\WINDOWS\\NELK.INI", "[Comms]\r\nLink Type=Serial-System\r\n");
    windows.ui().Answer(Answer::No);
    UpdateKorvexSettings(run);
    ASSERT_EQ(windows.ui().messages().size(), 1u);
    const platform::MessageBoxRequest& asked = windows.ui().messages()[0].request;
    EXPECT_EQ(asked.text, "Update KORVEX Settings");
    EXPECT_EQ(asked.title, "KORVEx Insatll");
    EXPECT_EQ(asked.buttons, platform::Buttons::YesNo);
    EXPECT_EQ(asked.defaultButton, platform::DefaultButton::First);
    EXPECT_EQ(asked.prompt, "UpdateKorvexSettings");
    EXPECT_TRUE(windows.ui().dialogs().empty());
    EXPECT_FALSE(run.korvexConf);
    EXPECT_EQ(File("NELK.INI"), std::string("[Comms]\r\nLink Type=Serial-System\r\n") + kPath);
}

TEST_F(SettingsTest, PathIsWrittenOnEveryPath) {
    struct Row {
        const char* name;
        bool nelkExists;
        std::optional<Answer> answer;
        std::optional<ScriptedUserInterface::DialogScript> script;
        bool cancelled;
        const char* nelk;
    } rows[] = {
        {"no NELK.INI, OK", false, std::nullopt, ScriptedUserInterface::Press("OKButton"), false,
         "[Comms]\r\nLink Type=Serial-System\r\n[Initialisation]\r\nPath=C:\\TELMIMAP\r\n"},
        {"No to the question", true, Answer::No, std::nullopt, false,
         "[Comms]\r\n[Initialisation]\r\nPath=C:\\TELMIMAP\r\n"},
        {"Cancel", true, Answer::Yes, ScriptedUserInterface::Press("CancelButton"), true,
         "[Comms]\r\n[Initialisation]\r\nPath=C:\\TELMIMAP\r\n"},
        {"close box", true, Answer::Yes, ScriptedUserInterface::CloseBox(), false,
         "[Comms]\r\n[Initialisation]\r\nPath=C:\\TELMIMAP\r\n"},
    };
    for (Row& row : rows) {
        memory::MemoryWindows machine;
        KorvexConfig settings(machine.platform());
        Start(settings, machine);
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
        EXPECT_EQ(machine.Contents("C:\\WINDOWS\\NELK.INI"), row.nelk) << row.name;
        EXPECT_EQ(machine.ui().pending(), 0u) << row.name;
    }
}

TEST_F(SettingsTest, CcfMapsAreCopiedBeforeMiraMaps) {
    windows.PutFile("C:\\MAP\\old.ccf", "ccf");
    PutMiraDisc('D');
    windows.ui().Dialog(
        ScriptedUserInterface::Press("OKButton", {{"ConvertOption", true}, {"CopyMira", true}}));
    windows.ui().Answer(Answer::Yes); // UseCcfMaps
    windows.ui().Answer(Answer::Yes); // CopyMiraMaps
    windows.ui().Dialog(ScriptedUserInterface::Press("OkButton", {{"Check1(0)", true}}));
    UpdateKorvexSettings(run);
    EXPECT_EQ(Prompts(windows), (std::vector<std::string>{"UseCcfMaps", "CopyMiraMaps"}));
    ASSERT_EQ(windows.ui().dialogs().size(), 2u);
    EXPECT_EQ(windows.ui().dialogs()[0].name, "KORVExConf");
    EXPECT_EQ(windows.ui().dialogs()[1].name, "MiraCopy");
    EXPECT_EQ(windows.Contents("C:\\TELMIMAP\\old.ccf"), "ccf");
    EXPECT_EQ(windows.Contents("C:\\TELMIMAP\\S01\\studio\\s.map"), "s") << State();
    EXPECT_EQ(File("NELK.INI"), std::string("[Comms]\r\nLink Type=Serial-System\r\n") + kPath);
    ASSERT_TRUE(run.miraCopy);
    EXPECT_TRUE(run.miraCopy->CopyMapToSystem(0));
    EXPECT_FALSE(windows.ui().waitCursorOn());
}

TEST_F(SettingsTest, WithoutMapChoicesNoMapStepRuns) {
    windows.PutFile("C:\\MAP\\old.ccf", "ccf");
    PutMiraDisc('D');
    windows.ui().Dialog(ScriptedUserInterface::Press("OKButton", {{"EthernetOption", true}}));
    UpdateKorvexSettings(run);
    EXPECT_TRUE(windows.ui().messages().empty());
    EXPECT_FALSE(windows.Exists("C:\\TELMIMAP"));
    EXPECT_FALSE(run.miraCopy);
}

// A failed map step is reported with the cursor back to normal; the next step still runs once.
TEST_F(SettingsTest, AFailedCcfCopyIsReportedAndTheMiraCopyStillRuns) {
    windows.PutFile("C:\\MAP\\old.ccf", "ccf");
    PutMiraDisc('D');
    windows.ui().Dialog(
        ScriptedUserInterface::Press("OKButton", {{"ConvertOption", true}, {"CopyMira", true}}));
    windows.ui().Answer(Answer::Yes);
    windows.ui().Answer(Answer::Yes);
    windows.ui().Dialog(ScriptedUserInterface::Press("OkButton", {{"Check1(1)", true}}));
    windows.FailNth(Operation::CopyFile, 1, win::kAccessDenied);
    UpdateKorvexSettings(run);

    const auto& transcript = windows.ui().transcript();
    ASSERT_GE(transcript.size(), 5u);
    EXPECT_EQ(transcript[1].rfind("message [Query] CCF MAP files", 0), 0u) << transcript[1];
    EXPECT_EQ(transcript[2], "cursor wait");
    EXPECT_EQ(transcript[3], "cursor normal");
    EXPECT_EQ(transcript[4].rfind("message [VarenInstall] Copying the CCF maps", 0), 0u)
        << transcript[4];
    const platform::MessageBoxRequest& warning = windows.ui().messages()[1].request;
    EXPECT_EQ(warning.icon, platform::Icon::Warning);
    EXPECT_EQ(warning.buttons, platform::Buttons::Ok);
    for (const char* part :
         {"C:\\MAP", "C:\\TELMIMAP", "C:\\MAP\\old.ccf", "Access is denied", "error 5"}) {
        EXPECT_NE(warning.text.find(part), std::string::npos) << part << "\n" << warning.text;
    }
    EXPECT_EQ(Prompts(windows)[2], "CopyMiraMaps");
    EXPECT_EQ(windows.Contents("C:\\TELMIMAP\\S02\\studio\\s.map"), "s") << State();
    EXPECT_FALSE(windows.Exists("C:\\TELMIMAP\\old.ccf"));
    EXPECT_EQ(File("NELK.INI"), std::string("[Comms]\r\nLink Type=Serial-System\r\n") + kPath);
    EXPECT_FALSE(windows.ui().waitCursorOn());
    EXPECT_EQ(windows.ui().pending(), 0u);
}

TEST_F(SettingsTest, AFailedMiraCopyIsReportedAndPathIsStillWritten) {
    PutMiraDisc('D');
    windows.ui().Dialog(ScriptedUserInterface::Press("OKButton", {{"CopyMira", true}}));
    windows.ui().Answer(Answer::Yes);
    windows.ui().Dialog(
        ScriptedUserInterface::Press("OkButton", {{"Check1(0)", true}, {"Check1(1)", true}}));
    // No map directory at the root: the system directory cannot be created.
    UpdateKorvexSettings(run);
    ASSERT_EQ(windows.ui().messages().size(), 2u);
    const std::string& warning = windows.ui().messages()[1].request.text;
    for (const char* part :
         {"Mira maps", "C:\\TELMIMAP\\S01", "The system cannot find the path", "error 3"}) {
        EXPECT_NE(warning.find(part), std::string::npos) << part << "\n" << warning;
    }
    // The normal pointer is back before the warning is shown.
    const auto& transcript = windows.ui().transcript();
    ASSERT_GE(transcript.size(), 2u);
    EXPECT_EQ(transcript[transcript.size() - 2], "cursor normal");
    EXPECT_FALSE(windows.ui().waitCursorOn());
    EXPECT_FALSE(windows.Exists("C:\\TELMIMAP"));
    EXPECT_EQ(File("NELK.INI"), std::string("[Comms]\r\nLink Type=Serial-System\r\n") + kPath);
}

TEST_F(SettingsTest, TheYmvQuestionDecidesOnlyTheDialog) {
    struct Row {
        const char* name;
        bool zelmainExists;
        std::optional<Answer> answer;
        bool dialog;
    } rows[] = {
        {"no ZELMAIN.INI", false, std::nullopt, true},
        {"Yes", true, Answer::Yes, true},
        {"No", true, Answer::No, false},
    };
    for (const Row& row : rows) {
        memory::MemoryWindows machine;
        KorvexConfig settings(machine.platform());
        Start(settings, machine);
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
        EXPECT_EQ(machine.ui().dialogs().size(), row.dialog ? 1u : 0u) << row.name;
        EXPECT_EQ(settings.systemType.has_value(), row.dialog) << row.name;
        const std::string zelmain = machine.Contents("C:\\WINDOWS\\ZELMAIN.INI").value_or("");
        EXPECT_NE(zelmain.find("[ZELMAIN]\r\nConfigPath=C:\\Apps\\Control\\\r\n"),
                  std::string::npos)
            << row.name << "\n"
            << zelmain;
        EXPECT_EQ(zelmain.find("[FrameType]") != std::string::npos, row.dialog) << row.name;
        if (row.answer) {
            const platform::MessageBoxRequest& asked = machine.ui().messages().at(0).request;
            EXPECT_EQ(asked.text, "Update YMV Settings");
            EXPECT_EQ(asked.title, "KORVEx Install");
            EXPECT_EQ(asked.defaultButton, platform::DefaultButton::First);
            EXPECT_EQ(asked.prompt, "UpdateYmvSettings");
        } else {
            EXPECT_TRUE(machine.ui().messages().empty()) << row.name;
        }
    }
}

TEST_F(SettingsTest, ConfigPathIsTheShortFormWhenItFits) {
    struct Row {
        const char* installDir;
        const char* make; // the directory as stored on the volume, or nothing
        const char* configPath;
        bool shortFormLonger = false;
    } rows[] = {
        // A name stored in upper case, as an 8.3 name on a FAT volume.
        {"C:\\Program Files\\Control\\", "C:\\Program Files\\CONTROL", "C:\\PROGRA~1\\CONTROL\\"},
        // A valid 8.3 name has no other short form: it keeps its case.
        {"C:\\Program Files\\Control\\", "C:\\Program Files\\Control", "C:\\PROGRA~1\\Control\\"},
        {"C:\\Missing Dir\\", nullptr, "C:\\Missing Dir\\"},
        // "A B" takes three characters, its short form "AB~1" four.
        {"C:\\A B\\", "C:\\A B", "C:\\A B\\", true},
    };
    for (const Row& row : rows) {
        memory::MemoryWindows machine;
        KorvexConfig settings(machine.platform());
        settings.context = {row.installDir, "C:\\", "C:\\WINDOWS", "140533"};
        if (row.make) {
            machine.MakeDirectories(row.make);
        }
        if (row.shortFormLonger) {
            auto shortForm = machine.files().GetShortPathName(row.installDir);
            ASSERT_TRUE(shortForm.ok()) << row.installDir;
            ASSERT_GT(shortForm.value().size(), std::string(row.installDir).size());
        }
        EXPECT_EQ(ConfigPathValue(settings), row.configPath) << row.installDir;
    }
}

TEST_F(SettingsTest, AirtalkerRegionWritesOnlyItsOwnKeys) {
    const std::string earlier =
        "[Airtalker]\r\nRegion=Europe\r\nEurope=03FF000000\r\n[Comms]\r\nLink Type=X\r\n";
    struct Row {
        int region;
        std::string expected;
    } rows[] = {
        {1, "[Airtalker]\r\nRegion=Europe\r\nEurope=03FF000000\r\n[Comms]\r\nLink Type=X\r\n"},
        {2, "[Airtalker]\r\nRegion=Latin America\r\nEurope=03FF000000\r\n"
            "Latin America=0000007FE0\r\n[Comms]\r\nLink Type=X\r\n"},
        {0, earlier},
        {3, earlier},
        {-1, earlier},
    };
    for (const Row& row : rows) {
        memory::MemoryWindows machine;
        KorvexConfig settings(machine.platform());
        Start(settings, machine);
        machine.PutFile("C:\\WINDOWS\\NELK.INI", earlier);
        settings.record.AirtalkerRegion = row.region;
        WriteAirtalkerRegion(settings);
        EXPECT_EQ(machine.Contents("C:\\WINDOWS\\NELK.INI"), row.expected) << row.region;
        EXPECT_EQ(machine.Count(Operation::WriteProfileString),
                  row.region == 1 || row.region == 2 ? 2u : 0u);
    }
}

} // namespace
} // namespace korvex::frontend
