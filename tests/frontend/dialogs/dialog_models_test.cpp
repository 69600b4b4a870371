// The three dialog models: what a view draws (the only tables of it), OK, Cancel, answer files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "frontend/dialogs/KORVExConf.h"
#include "frontend/dialogs/SystemType.h"
#include "frontend/driver/Entry.h"
#include "frontend/maps/MiraCopy.h"
#include "platform/unattended/DialogAnswers.h"
#include "product/AnswerFile.h"
#include "support/Machines.h"

namespace korvex::frontend {
namespace {

using platform::DialogModel;
using Ticks = std::vector<std::string>; // option buttons to select, check boxes to tick

// What a view draws: caption and client area, then per control its name, kind, caption, twips
// (in its group box), tab index, font unless 8.25-point regular, "on" when selected or ticked.
std::string Drawn(const DialogModel& dialog) {
    const char* kinds[] = {"label", "group", "option", "check", "button"};
    char line[200];
    std::snprintf(line, sizeof line, "%s %dx%d\n", std::string(dialog.Caption()).c_str(),
                  dialog.ClientArea().width, dialog.ClientArea().height);
    std::string out = line;
    for (const platform::Control& c : dialog.Controls()) {
        std::snprintf(line, sizeof line, "%s %s \"%s\" %d,%d %dx%d", c.name.c_str(),
                      kinds[static_cast<int>(c.kind)], c.caption.c_str(), c.rect.left, c.rect.top,
                      c.rect.width, c.rect.height);
        out += line;
        out += c.container < 0 ? "" : " in " + dialog.Controls()[std::size_t(c.container)].name;
        out += c.tabIndex < 0 ? "" : " tab " + std::to_string(c.tabIndex);
        std::snprintf(line, sizeof line, " %gpt%s", c.font.points, c.font.bold ? " bold" : "");
        out += c.font == platform::Font{} ? "" : line;
        out += c.checked ? " on\n" : "\n";
    }
    return out;
}

// Ticks the controls, then presses the button captioned `word`, or uses the close box ("Close").
memory::ScriptedUserInterface::DialogScript Work(Ticks ticks, std::string word) {
    return [=](DialogModel& dialog) {
        for (const std::string& name : ticks) {
            dialog.SetChecked(name, true);
        }
        return unattended::PressButton(dialog, word);
    };
}

TEST(DialogModels, EveryShowingOpensAsItsTableSays) {
    const std::string korvexConf =
        "KORVEx Configuration 6030x5025\n"
        "Frame1 group \"Connection Configuration\" 600,360 4935x1335\n"
        "EthernetOption option \"Ethernet Connection\" 360,360 4215x255 in Frame1 tab 2\n"
        "SerialOption option \"Serial Connection\" 360,840 4215x255 in Frame1 tab 3 on\n"
        "Frame2 group \"Map Processing\" 600,1920 4935x2295\n"
        "DoNothingOption option \"No Conversion required\" 360,600 4215x255 in Frame2 tab 5 on\n"
        "ConvertOption option \"I want to convert my old CCF (TELM) maps\" 360,1080 4215x255 in "
        "Frame2 tab 4\n"
        "CopyMira check \"Copy Mira Maps\" 360,1680 4215x255 in Frame2 tab 6\n"
        "OKButton button \"OK\" 1560,4440 1215x375 tab 0\n"
        "CancelButton button \"Cancel\" 3240,4440 1215x375 tab 1\n";
    std::string systemType =
        "System Type Setup 9450x8535\n"
        "Label1 label \"Select System Type For Each System\" 165,180 4725x375 13.5pt\n"
        "Label3 label \"Check for multiple frames stacked with first frame from top\" 7170,120 "
        "2235x615 8.25pt bold\n";
    for (int i = 0, stop = 0; i < 15; ++i) { // # row, $ system, @ top, % tab index
        for (const char c : std::string_view(
                 "Frame1(#) group \"\" 135,@ 9135x495\n"
                 "Label2(#) label \"System$ :\" 105,180 1095x255 in Frame1(#)\n"
                 "Option1(#) option \"Ostrel[9U]\" 1080,165 1275x255 in Frame1(#) tab % on\n"
                 "Option3(#) option \"Pennet[4U]\" 2370,165 1275x255 in Frame1(#) tab %\n"
                 "Option4(#) option \"Quarne [4U]\" 3675,165 1275x255 in Frame1(#) tab %\n"
                 "Option5(#) option \"Mira\" 5040,165 1275x255 in Frame1(#) tab %\n"
                 "Check1(#) check \"Stack From Top\" 7305,165 1575x255 in Frame1(#) tab %\n")) {
            const int values[] = {i, i + 1, 720 + 480 * i, stop};
            const std::size_t mark = std::string_view("#$@%").find(c);
            systemType +=
                mark == std::string_view::npos ? std::string(1, c) : std::to_string(values[mark]);
            stop += c == '%' ? 1 : 0;
        }
    }
    systemType += "OKButton button \"OK\" 3000,8100 1215x375 tab 75\n"
                  "CancelButton button \"Cancel\" 5520,8100 1215x375 tab 76\n";
    std::string miraCopy = "Select Systems 6855x3930\nLabel1 label \"Select the systems requiring "
                           "the Mira Maps\" 1170,300 4560x255\n";
    const int columns[] = {720, 3000, 5040}; // filled row by row
    for (int i = 0; i < 15; ++i) {
        char line[100];
        std::snprintf(line, sizeof line, "Check1(%d) check \"System%d\" %d,%d 1275x285 tab %d\n", i,
                      i + 1, columns[i % 3], 720 + 480 * (i / 3), i + 2);
        miraCopy += line;
    }
    miraCopy += "OkButton button \"OK\" 1590,3360 1320x390 tab 0\n"
                "CancelButton button \"Cancel\" 3960,3360 1320x390 tab 1\n";

    memory::MemoryWindows windows;
    bool cancelled = false;
    KORVExConf conf(windows.platform(), cancelled);
    SystemType type(windows.platform(), cancelled);
    MiraCopy copy(windows.platform());
    // Controls changed, OK: the next showing opens as drawn, and the answers recorded set them.
    const auto check = [&](DialogModel& dialog, Ticks changes, const std::string& drawn) {
        windows.ui().Dialog(Work(changes, "OK"));
        (void)windows.ui().ShowDialog(dialog);
        unattended::AnswerFile answers(VarenInstallAnswerSchema());
        unattended::RecordDialogAnswers(dialog, platform::DialogClose::Ok, answers);
        dialog.Load(); // as every showing begins
        EXPECT_EQ(Drawn(dialog), drawn);
        unattended::ApplyDialogAnswers(answers, dialog);
        EXPECT_EQ(dialog.DescribeStates(), windows.ui().dialogs().back().states)
            << answers.Serialize();
    };
    check(conf, {"EthernetOption", "ConvertOption", "CopyMira"}, korvexConf);
    check(type, {"Option4(0)", "Check1(0)", "Option5(14)"}, systemType);
    check(copy, {"Check1(3)", "Check1(14)"}, miraCopy);
    EXPECT_FALSE(conf.mapsfromccf || conf.CopyMiraMaps || copy.CopyMapToSystem(3));
}

// The dialogs and the answer file's description of their sections agree: each described value
// sets the controls so that the dialog records it back, each Button word closes the dialog that
// way, a key left out keeps the opening state described, and each key recorded is described.
TEST(DialogModels, EachDescribedAnswerSetsTheControlsAndIsRecordedBack) {
    memory::MemoryWindows windows;
    bool cancelled = false;
    KORVExConf conf(windows.platform(), cancelled);
    SystemType type(windows.platform(), cancelled);
    MiraCopy copy(windows.platform());
    for (DialogModel* dialog : std::initializer_list<DialogModel*>{&conf, &type, &copy}) {
        const auto& sections = product::AnswerFileDescription();
        const auto section = std::find_if(sections.begin(), sections.end(),
                                          [&](const auto& s) { return s.name == dialog->Name(); });
        ASSERT_NE(section, sections.end()) << dialog->Name();
        EXPECT_EQ(section->dialog, dialog->Caption());
        dialog->Load();
        const DialogModel::Answers opening = dialog->RecordAnswers();
        std::size_t described = 0;
        for (const product::DescribedKey& key : section->keys) {
            std::vector<std::string> values = {"", "1", "3,15"}; // a list of systems
            if (key.numbersUpTo == 0) {
                values.clear();
                for (const product::DescribedValue& value : key.values) {
                    values.push_back(value.word);
                }
            }
            for (const std::string& name : key.names) {
                SCOPED_TRACE(section->name + " " + name);
                for (const std::string& value : values) {
                    dialog->Load();
                    if (name == "Button") {
                        EXPECT_EQ(unattended::ButtonWord(unattended::PressButton(*dialog, value)),
                                  value);
                        continue;
                    }
                    dialog->ApplyAnswer(name, value);
                    const DialogModel::Answers recorded = dialog->RecordAnswers();
                    EXPECT_NE(std::find(recorded.begin(), recorded.end(), std::pair(name, value)),
                              recorded.end());
                }
                if (name != "Button") {
                    ++described;
                    EXPECT_NE(
                        std::find(opening.begin(), opening.end(), std::pair(name, key.absentValue)),
                        opening.end());
                }
            }
        }
        EXPECT_EQ(opening.size(), described) << dialog->Name();
    }
}

// Only OK writes and sets the map fields; SetupCancelled: OK false, Cancel true, close box as was.
TEST(DialogModels, OkCancelAndTheCloseBoxInTheSettingsDialogs) {
    const Ticks all = {"EthernetOption", "ConvertOption", "CopyMira"};
    const std::string serial = "[Comms]\r\nLink Type=Serial-System\r\n",
                      winsock = "Ethernet Type=Winsock\r\n";
    const std::string ethernet = "[Comms]\r\nLink Type=Ethernet-System\r\n" + winsock;
    struct Row {
        Ticks ticks;
        std::string button;
        bool before, after, mapsfromccf, CopyMiraMaps;
        std::string nelk, written; // NELK.INI before and after
    } rows[] = {
        {{"ConvertOption"}, "OK", true, false, true, false, "", serial},
        {{"EthernetOption", "CopyMira"}, "OK", true, false, false, true, "", ethernet},
        {{}, "OK", true, false, false, false, ethernet, serial + winsock},
        {all, "Cancel", false, true, false, false, ethernet, ethernet},
        {all, "Close", false, false, false, false, "", ""},
        {all, "Close", true, true, false, false, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.button + " after " + std::to_string(row.ticks.size()) + " changes");
        memory::MemoryWindows windows;
        windows.PutFile("C:\\WINDOWS\\NELK.INI", row.nelk);
        bool cancelled = row.before;
        SystemType type(windows.platform(), cancelled);
        windows.ui().Dialog(Work({"Check1(2)"}, row.button));
        (void)windows.ui().ShowDialog(type);
        EXPECT_EQ(cancelled, row.after) << "SystemType";
        EXPECT_EQ(windows.Count(memory::Operation::WriteProfileString), (row.button == "OK") * 30u)
            << testing::State(windows);
        cancelled = row.before;
        KORVExConf conf(windows.platform(), cancelled);
        windows.ui().Dialog(Work(row.ticks, row.button));
        (void)windows.ui().ShowDialog(conf);
        EXPECT_EQ(cancelled, row.after);
        EXPECT_EQ(conf.mapsfromccf, row.mapsfromccf);
        EXPECT_EQ(conf.CopyMiraMaps, row.CopyMiraMaps);
        EXPECT_EQ(testing::File(windows, "C:\\WINDOWS\\NELK.INI"), row.written);
    }
    // Cancel clears what an earlier OK set, shown again or not.
    memory::MemoryWindows windows;
    bool cancelled = false;
    KORVExConf conf(windows.platform(), cancelled);
    conf.mapsfromccf = conf.CopyMiraMaps = true;
    platform::DialogClose closed{};
    EXPECT_TRUE(conf.Command("CancelButton", closed) && !conf.mapsfromccf && !conf.CopyMiraMaps);
}

// Each frame model an answer file names is written as its code: Ostrel 0, Pennet 2, Quarne 3,
// Mira 4 (then the map limit); all thirty keys and the limits, in order, and nothing else.
TEST(SystemType, AnAnswerFileSetsEachFrameModel) {
    memory::MemoryWindows windows;
    testing::InstallKorvex(windows);
    const char* answers =
        "[VarenInstall]\r\nUpdateYmvSettings=Yes\r\n[KORVExConf]\r\nButton=OK\r\n"
        "[SystemType]\r\nButton=OK\r\nSystem2=Mira\r\nSystem5=quarne\r\n"
        "System9=Pennet\r\nSystem11=Ostrel\r\nSystem15=Mira\r\nStackFromTop=15,1,9\r\n";
    std::string log;
    ASSERT_EQ(testing::RunFrontEnd(windows, answers, &log), 0) << log;
    const std::string types = "040030002000004", directions = "100000001000001";
    std::string written = "\n";
    for (std::size_t i = 0; i < types.size(); ++i) {
        const std::string key = "System" + std::to_string(i + 1) + "=";
        written += "ZELMAIN.INI [FrameType] " + key + types[i] + "\n";
        written += types[i] == '4' ? "NELK.INI [Multiple Maps] Max Map Number=6\n" : "";
        written += "ZELMAIN.INI [FrameDirection] " + key + directions[i] + "\n";
    }
    std::string logged; // the run's INI writes, in order
    for (auto at = log.find(" ini "); at != std::string::npos; at = log.find(" ini ", at + 5)) {
        logged += log.substr(at + 5, log.find(" -> ", at) - at - 5) + "\n";
    }
    EXPECT_NE(logged.find(written + "ZELMAIN.INI [ZELMAIN] ConfigPath"), std::string::npos)
        << logged;
}

} // namespace
} // namespace korvex::frontend
