// The custom actions' decisions: what each program's exit code does to the installation, and
// what the programs get from the package's properties.
#include "packaging/customaction/ProgramRun.h"

#include <gtest/gtest.h>

#include "upgradeprep/UpgradePrep.h"

namespace korvex::customaction {
namespace {

TEST(JudgeExit, EachProgramsCodes) {
    struct Row {
        Program program;
        std::uint32_t exitCode;
        std::uint32_t result;
    };
    const Row rows[] = {
        {Program::UpgradePrep, 0, kGoOn},        {Program::UpgradePrep, 259, kGoOn},
        {Program::UpgradePrep, 1602, kUserExit}, {Program::UpgradePrep, 1603, kFailure},
        {Program::UpgradePrep, 1, kFailure},     {Program::VarenInstall, 0, kGoOn},
        {Program::VarenInstall, 259, kFailure},  {Program::VarenInstall, 1602, kUserExit},
        {Program::VarenInstall, 1605, kFailure}, {Program::VarenInstall, 0xC0000005, kFailure},
    };
    for (const Row& row : rows) {
        const Verdict verdict = JudgeExit(row.program, row.exitCode);
        EXPECT_EQ(verdict.result, row.result)
            << ProgramName(row.program) << " " << row.exitCode << ": " << verdict.meaning;
    }
    EXPECT_EQ(JudgeStartFailure(1223).result, kUserExit); // the elevation prompt refused
    EXPECT_EQ(JudgeStartFailure(2).result, kFailure);
}

// What the custom action puts on a program's command line, the program reads back: the
// properties, our own log when none is given, and upgradeprep's version as the rest.
TEST(ProgramArguments, CarryThePropertiesToTheProgramWhateverItsEnvironment) {
    const auto environment = [](std::string_view) { return std::optional<std::string>("C:\\x"); };
    const std::string own = "C:\\Windows\\Temp\\korvex-1\\program.log";
    const std::string progress = "C:\\Windows\\Temp\\korvex-1\\progress";
    const std::pair<RunProperties, unattended::Switches> rows[] = {
        {{"5", "C:\\a b.ini", "C:\\k.log", ""}, {"C:\\a b.ini", "", "C:\\k.log", progress}},
        {{"2", "", "", "C:\\r.ini"}, {"", "C:\\r.ini", own, progress}},
    };
    for (const auto& [properties, switches] : rows) {
        for (const std::string version : {"7.1.0.0", ""}) {
            const std::string line =
                "\"C:\\T\\upgradeprep.exe\" " +
                ProgramArguments(ProgramSwitches(properties, own, progress), version);
            const unattended::ProgramStart start = unattended::ReadProgramStart(line, environment);
            EXPECT_EQ(start.switches, switches) << line;
            EXPECT_EQ(upgradeprep::NewVersionText(start.commandLine), version) << line;
        }
    }
}

TEST(ParseActionData, SixFieldsInTheOrderThePackageWritesThem) {
    const auto data = ParseActionData("2|C:\\a.ini||C:\\r.ini|C:\\P\\VarenInstall.exe|E:\\k.msi");
    ASSERT_TRUE(data);
    EXPECT_EQ(data->properties.uiLevel, "2");
    EXPECT_EQ(data->properties.answers, "C:\\a.ini");
    EXPECT_EQ(data->properties.log, "");
    EXPECT_EQ(data->properties.record, "C:\\r.ini");
    EXPECT_EQ(data->program, "C:\\P\\VarenInstall.exe");
    EXPECT_EQ(data->package, "E:\\k.msi");
    const std::pair<const char*, bool> shapes[] = {
        {"5|||||", true}, {"", false}, {"5|a|b|c|d", false}, {"5|a|b|c|d|e|f", false}};
    for (const auto& [text, valid] : shapes) {
        EXPECT_EQ(ParseActionData(text).has_value(), valid) << text;
    }
}

TEST(RefusalToStart, OnlyASilentInstallationWithoutAnswers) {
    EXPECT_TRUE(RefusalToStart({"2", "", "C:\\k.log", ""}));
    EXPECT_FALSE(RefusalToStart({"2", "C:\\a.ini", "", ""}));
    EXPECT_FALSE(RefusalToStart({"3", "", "", ""})); // /qb: the user sees the windows
    EXPECT_FALSE(RefusalToStart({"5", "", "", "C:\\r.ini"}));
}

} // namespace
} // namespace korvex::customaction
