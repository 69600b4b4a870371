// upgradeprep's command line and version strings that are not what the installation usually
// passes: '%' signs, an empty command line, a quote left open, non-ASCII text, text longer than
// 260 characters. The new version's text reaches the upgrade question literally and whole.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/memory/MemoryWindows.h"
#include "product/Korvex.h"
#include "upgradeprep/Entry.h"
#include "upgradeprep/UpgradePrep.h"

namespace korvex::upgradeprep {
namespace {

const std::string kLongText = "7.1 " + std::string(300, 'x');

struct CommandLineRow {
    const char* name;
    std::string commandLine;
    std::string text; // the new version's text
};

void PrintTo(const CommandLineRow& row, std::ostream* out) {
    *out << row.name;
}

class CommandLineTest : public ::testing::TestWithParam<CommandLineRow> {};

TEST_P(CommandLineTest, TheTextIsTheTailTakenWhole) {
    EXPECT_EQ(NewVersionText(GetParam().commandLine), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, CommandLineTest,
    ::testing::Values(CommandLineRow{"PercentSigns", "upgradeprep.exe 7.1 (100%) %s%n%d %1 %%",
                                     "7.1 (100%) %s%n%d %1 %%"},
                      CommandLineRow{"Empty", "", ""},
                      CommandLineRow{"ProgramOnly", "upgradeprep.exe", ""},
                      CommandLineRow{"BlanksOnly", " \t ", ""},
                      CommandLineRow{"QuoteLeftOpen", "\"C:\\Setup\\upgradeprep.exe 7.1", ""},
                      CommandLineRow{
                          "NonAscii",
                          "\"C:\\Programme\\K\xC3\xA4rnten\\upgradeprep.exe\"  \xCE\xA9mega 7.1",
                          "\xCE\xA9mega 7.1"},
                      CommandLineRow{"LongerThan260", "upgradeprep.exe " + kLongText, kLongText}),
    [](const ::testing::TestParamInfo<CommandLineRow>& info) {
        return std::string(info.param.name);
    });

struct RunRow {
    const char* name;
    std::string installedVersion; // the registered product's VersionString
    std::string commandLine;
    std::string question;
};

void PrintTo(const RunRow& row, std::ostream* out) {
    *out << row.name;
}

class UpgradeRunTest : public ::testing::TestWithParam<RunRow> {
protected:
    UpgradeRunTest() {
        memory::InstalledProduct product;
        product.productCode = "{33333333-0000-0000-0000-000000000001}";
        product.properties["InstalledProductName"] = "KORVEx";
        product.properties["VersionString"] = GetParam().installedVersion;
        product.componentPaths[std::string(product::kMainProgramComponent)] =
            "C:\\KORVEx\\korvex.exe";
        windows.AddProduct(product);
        windows.PutFile("C:\\KORVEx\\korvex.exe", "MZ");
        windows.PutFile("C:\\answers.ini", "[upgradeprep]\r\nUpgrade=Yes\r\n");
    }

    std::string Log() const { return windows.Contents("C:\\upgradeprep.log").value_or(""); }

    memory::MemoryWindows windows;
};

// An unattended run answers Yes: the question is logged as composed, the run ends with 0 and
// the marker file holds the installed version string unchanged.
TEST_P(UpgradeRunTest, TheQuestionCarriesTheTextsLiterally) {
    const RunRow& row = GetParam();
    const int code = RunUpgradePrepProgram(
        {"C:\\answers.ini", "", "C:\\upgradeprep.log"},
        {windows.files(), windows.profile(), windows.installer(), windows.system(), windows.ui()},
        row.commandLine);
    EXPECT_EQ(code, kExitDone) << Log();
    EXPECT_NE(Log().find("[KORVEX] \"" + row.question + "\" (Upgrade) -> Yes"), std::string::npos)
        << "expected the question: " << row.question << "\n"
        << Log();
    EXPECT_EQ(windows.Contents("C:\\KORVEx\\up.ok"), row.installedVersion) << windows.Describe();
}

// The same question when a person answers it: exactly one message box, as composed.
TEST_P(UpgradeRunTest, AnInteractiveRunShowsTheSameQuestion) {
    const RunRow& row = GetParam();
    windows.ui().Answer(platform::Answer::No);
    EXPECT_EQ(RunUpgradePrepProgram({},
                                    {windows.files(), windows.profile(), windows.installer(),
                                     windows.system(), windows.ui()},
                                    row.commandLine),
              kExitUpgradeDeclined);
    ASSERT_EQ(windows.ui().messages().size(), 1u);
    EXPECT_EQ(windows.ui().messages()[0].request.text, row.question);
    EXPECT_FALSE(windows.Exists("C:\\KORVEx\\up.ok"));
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, UpgradeRunTest,
    ::testing::Values(
        RunRow{"PercentSignsInTheNewVersion", "7.1.0.0", "upgradeprep.exe 7.2 (100%) %s%n %d",
               "Upgrade KORVEx from version 7.0A to version 7.2 (100%) %s%n %d"},
        // An installed version of no known scheme is named as installed, '%' signs and all.
        RunRow{"PercentSignsInTheInstalledVersion", "%s%n.%d", "upgradeprep.exe 7.1",
               "Upgrade KORVEx from version %s%n.%d to version 7.1"},
        // Nothing to show as the new version: the question is still asked.
        RunRow{"EmptyCommandLine", "6.0.26.0", "",
               "Upgrade KORVEx from version 6.0w(b) to version "},
        RunRow{"NonAscii", "7.14", "upgradeprep.exe K\xC3\xA4rnten \xCE\xA9mega",
               "Upgrade KORVEx from version 7.0N to version K\xC3\xA4rnten \xCE\xA9mega"},
        RunRow{"LongerThan260", "6.0.19.0", "upgradeprep.exe " + kLongText,
               "Upgrade KORVEx from version 6.0S to version " + kLongText},
        RunRow{"NoInstalledVersion", "", "upgradeprep.exe 7.1",
               "Upgrade KORVEx from version  to version 7.1"}),
    [](const ::testing::TestParamInfo<RunRow>& info) { return std::string(info.param.name); });

} // namespace
} // namespace korvex::upgradeprep
