// The custom actions' decisions: what each program's exit code does to the installation, and
// what the programs get from the package's properties.
#include "packaging/customaction/ProgramRun.h"

#include <gtest/gtest.h>

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

TEST(ProgramEnvironment, PropertiesOnlyWithOurLogWhenNoneIsGiven) {
    const auto given = ProgramEnvironment({"5", "C:\\a.ini", "C:\\k.log", ""}, "C:\\T\\p.log");
    EXPECT_EQ(given[0].value, "C:\\a.ini");
    EXPECT_EQ(given[1].value, "C:\\k.log");
    EXPECT_EQ(given[2].value, ""); // removed, whatever msiexec's own environment holds
    EXPECT_EQ(ProgramEnvironment({"5", "", "", "C:\\r.ini"}, "C:\\T\\p.log")[1].value,
              "C:\\T\\p.log");
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
