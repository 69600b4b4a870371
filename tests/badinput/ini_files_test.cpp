// INI files the run did not write itself: binary bytes, no final line end, "\n"-only line ends,
// a file of several megabytes. A whole front-end run writes its keys into them, keeps every
// other byte, and leaves a backup equal to the file it found.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "BadInputMachine.h"

namespace korvex::badinput {
namespace {

using platform::Answer;

constexpr const char* kInstallDir = "C:\\Apps\\KORVEx\\";
// What the run appends to a NELK.INI without these sections: the map path, then region 1.
constexpr const char* kNelkKeys = "[Initialisation]\r\nPath=C:\\TELMIMAP\r\n"
                                  "[Airtalker]\r\nRegion=Europe\r\nEurope=03FF000000\r\n";
constexpr const char* kZelmainKeys = "[ZELMAIN]\r\nConfigPath=C:\\Apps\\KORVEx\\\r\n";

// Where two long texts first differ, for a failure message that does not print megabytes.
std::string FirstDifference(const std::string& actual, const std::string& expected) {
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) {
        ++at;
    }
    const std::size_t from = at < 40 ? 0 : at - 40;
    return "sizes " + std::to_string(actual.size()) + " and " + std::to_string(expected.size()) +
           ", first difference at " + std::to_string(at) + ":\n  actual   " +
           actual.substr(from, 80) + "\n  expected " + expected.substr(from, 80);
}

// Several megabytes of sections, with the map path's section in the middle.
std::string LargeNelk(const std::string& pathLine) {
    std::string text;
    for (int i = 0; i < 40000; ++i) {
        text += "[Map Set " + std::to_string(i) + "]\r\nFile=C:\\TELMIMAP\\S01\\studio\\map" +
                std::to_string(i) + ".map ; recorded\r\n\r\n";
        if (i == 20000) {
            text += "[Initialisation]\r\n" + pathLine + "\r\n";
        }
    }
    return text;
}

struct IniRow {
    const char* name;
    std::string nelk; // NELK.INI as found
    std::string nelkAfter;
    std::string zelmain; // ZELMAIN.INI as found
    std::string zelmainAfter;
};

void PrintTo(const IniRow& row, std::ostream* out) {
    *out << row.name;
}

class IniFileTest : public BadInputTest, public ::testing::WithParamInterface<IniRow> {};

// No to every question: the run writes only the map path, the configuration path and region 1.
TEST_P(IniFileTest, TheRunWritesItsKeysAndKeepsEverythingElse) {
    const IniRow& row = GetParam();
    Install(kInstallDir);
    windows.PutFile("C:\\WINDOWS\\NELK.INI", row.nelk);
    windows.PutFile("C:\\WINDOWS\\ZELMAIN.INI", row.zelmain);
    run.record.AirtalkerRegion = 1;
    for (int i = 0; i < 3; ++i) {
        windows.ui().Answer(Answer::No);
    }

    EXPECT_EQ(RunFrontEnd(), frontend::exit_code::kCompleted) << State().substr(0, 4000);

    EXPECT_EQ(Messages(), (std::vector<std::string>{"OverwriteZelmain", "UpdateKorvexSettings",
                                                    "UpdateYmvSettings"}));
    const std::string nelk = File("C:\\WINDOWS\\NELK.INI");
    EXPECT_TRUE(nelk == row.nelkAfter) << FirstDifference(nelk, row.nelkAfter);
    const std::string zelmain = File("C:\\WINDOWS\\ZELMAIN.INI");
    EXPECT_TRUE(zelmain == row.zelmainAfter) << FirstDifference(zelmain, row.zelmainAfter);
    // The backups hold the files as they were found.
    EXPECT_TRUE(File("C:\\WINDOWS\\nelk140533.ini") == row.nelk);
    EXPECT_TRUE(File("C:\\WINDOWS\\zelmain140533.ini") == row.zelmain);
}

const std::string kBinary("\xFF\xFE[\0C\0o\0m\0m\0s\0]\0\r\0\n\0\x1A\x80", 22);
const std::string kLarge = LargeNelk("Path=D:\\OLDMAPS");

INSTANTIATE_TEST_SUITE_P(
    BadInput, IniFileTest,
    ::testing::Values(
        // Not text at all (UTF-16 with a byte order mark, an end-of-file mark): the keys go in
        // sections appended after a line end.
        IniRow{"Binary", kBinary, kBinary + "\r\n" + kNelkKeys, kBinary,
               kBinary + "\r\n" + kZelmainKeys},
        IniRow{"NoFinalLineEnd", "[Comms]\r\nLink Type=Serial-System",
               std::string("[Comms]\r\nLink Type=Serial-System\r\n") + kNelkKeys,
               "[ZELMAIN]\r\nVersion=6",
               "[ZELMAIN]\r\nVersion=6\r\nConfigPath=C:\\Apps\\KORVEx\\\r\n"},
        // The file ends inside the section to change, without a line end: the appended section
        // starts on a new line and the region's keys change in place. In ZELMAIN.INI the key
        // changed is on that last line, which stays without a line end.
        IniRow{"KeyOnALastLineWithoutLineEnd", "[Airtalker]\r\nRegion=Latin America",
               "[Airtalker]\r\nRegion=Europe\r\nEurope=03FF000000\r\n"
               "[Initialisation]\r\nPath=C:\\TELMIMAP\r\n",
               "[ZELMAIN]\r\nConfigPath=D:\\OLD", "[ZELMAIN]\r\nConfigPath=C:\\Apps\\KORVEx\\"},
        IniRow{"LineFeedsOnly",
               "[Comms]\nLink Type=Serial-System\n[Initialisation]\nPath=D:\\OLD\n",
               "[Comms]\nLink Type=Serial-System\n[Initialisation]\nPath=C:\\TELMIMAP\n"
               "[Airtalker]\r\nRegion=Europe\r\nEurope=03FF000000\r\n",
               "[FrameType]\nSystem1=4\n", std::string("[FrameType]\nSystem1=4\n") + kZelmainKeys},
        IniRow{"SeveralMegabytes", kLarge,
               LargeNelk("Path=C:\\TELMIMAP") +
                   "[Airtalker]\r\nRegion=Europe\r\nEurope=03FF000000\r\n",
               kLarge, kLarge + kZelmainKeys}),
    [](const ::testing::TestParamInfo<IniRow>& info) { return std::string(info.param.name); });

} // namespace
} // namespace korvex::badinput
