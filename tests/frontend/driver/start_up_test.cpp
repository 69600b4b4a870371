// Start-up of the front end: finding the product, the version code, the stamp, FileExists.
#include "frontend/driver/KorvexConfig.h"

#include <gtest/gtest.h>

#include "frontend/driver/FrontendFixture.h"

namespace korvex::frontend {
namespace {

using platform::Answer;
using platform::OsVersion;
using testing::FrontendTest;
namespace attr = platform::attr;

class KorvexConfigTest : public FrontendTest {};

TEST_F(KorvexConfigTest, TheFirstProductNamedExactlyKorvexGivesTheProgramPath) {
    Install("C:\\Other\\korvex.exe", "KORVEx Tools", "{00000000-0000-0000-0000-000000000001}");
    Install("D:\\Apps\\Control\\korvex.exe", "KORVEx", "{00000000-0000-0000-0000-000000000002}");
    Install("E:\\Later\\korvex.exe", "KORVEx", "{00000000-0000-0000-0000-000000000003}");
    auto path = InstalledProgramPath(windows.platform());
    ASSERT_TRUE(path.ok());
    EXPECT_EQ(path.value(), "D:\\Apps\\Control\\korvex.exe");
}

TEST_F(KorvexConfigTest, NamesThatDifferInCaseOrBlanksDoNotMatch) {
    Install("C:\\A\\korvex.exe", "Korvex", "{00000000-0000-0000-0000-000000000001}");
    Install("C:\\B\\korvex.exe", "KORVEx ", "{00000000-0000-0000-0000-000000000002}");
    auto path = InstalledProgramPath(windows.platform());
    ASSERT_TRUE(path.ok());
    EXPECT_EQ(path.value(), "");
}

TEST_F(KorvexConfigTest, AnInstallerThatCannotBeQueriedIsAFailure) {
    windows.SetInstallerAvailable(false);
    EXPECT_FALSE(InstalledProgramPath(windows.platform()).ok());
}

// Without a product, or without a usable installer, the run stops after the one message.
TEST_F(KorvexConfigTest, NotInstalledShowsTheMessageAndEndsTheRun) {
    for (bool installerAvailable : {true, false}) {
        memory::MemoryWindows machine;
        machine.SetInstallerAvailable(installerAvailable);
        machine.PutFile("C:\\WINDOWS\\NELK.INI", "[Comms]\r\n");
        KorvexConfig notInstalled(machine.platform());
        EXPECT_EQ(Main(notInstalled), exit_code::kNotInstalled);
        ASSERT_EQ(machine.ui().messages().size(), 1u);
        const auto& shown = machine.ui().messages()[0].request;
        EXPECT_EQ(shown.text, "Korvex Not Installed");
        EXPECT_EQ(shown.title, "VarenInstall");
        EXPECT_EQ(shown.buttons, platform::Buttons::Ok);
        // No later step ran: no backup of the INI file was made.
        EXPECT_EQ(machine.Tree("C:\\WINDOWS"), std::vector<std::string>{"NELK.INI"})
            << machine.Describe();
    }
}

TEST_F(KorvexConfigTest, DerivesInstallDirAndInstallRoot) {
    windows.AddDrive('D', platform::DriveType::Fixed);
    Install("D:\\Apps\\Control\\korvex.exe");
    windows.PutFile("C:\\WINDOWS\\NELK.INI", "[Comms]\r\n");
    windows.PutFile("D:\\tmptelm\\keep.cfg", "held");
    windows.ui().Answer(Answer::No); // "Update KORVEX Settings"
    windows.ui().Dialog(memory::ScriptedUserInterface::Press("OKButton")); // system types
    EXPECT_EQ(Main(run), exit_code::kCompleted) << State();
    EXPECT_EQ(run.context.InstallDir, "D:\\Apps\\Control\\");
    EXPECT_EQ(run.context.InstallRoot, "D:\\");
    EXPECT_EQ(run.context.WindowsDir, "C:\\WINDOWS");
    EXPECT_EQ(run.context.BackupStamp, "140533");
}

TEST(OsVersionCode, MapsPlatformAndVersion) {
    struct Row {
        std::optional<OsVersion> version;
        int code;
    } rows[] = {
        {OsVersion{0, 3, 1}, 0},  {OsVersion{1, 4, 0}, 1},  {OsVersion{1, 4, 10}, 2},
        {OsVersion{1, 4, 90}, 2}, {OsVersion{2, 2, 0}, 0},  {OsVersion{2, 3, 51}, 3},
        {OsVersion{2, 4, 0}, 4},  {OsVersion{2, 5, 0}, 5},  {OsVersion{2, 5, 1}, 5},
        {OsVersion{2, 10, 0}, 5}, {OsVersion{3, 10, 0}, 0}, {std::nullopt, 6},
    };
    for (const Row& row : rows) {
        memory::MemoryWindows machine;
        machine.SetVersion(row.version);
        EXPECT_EQ(OsVersionCode(machine.system()), row.code)
            << (row.version ? std::to_string(row.version->platformId) + " " +
                                  std::to_string(row.version->major) + "." +
                                  std::to_string(row.version->minor)
                            : "query fails");
    }
}

TEST(BackupStamp, IsHoursMinutesSecondsWithTwoDigitsEach) {
    EXPECT_EQ(BackupStamp({2026, 1, 2, 14, 5, 33, 0}), "140533");
    EXPECT_EQ(BackupStamp({2026, 1, 2, 9, 3, 7, 999}), "090307");
    EXPECT_EQ(BackupStamp({2026, 1, 2, 0, 0, 0, 0}), "000000");
}

TEST_F(KorvexConfigTest, FileExistsSeesOnlyVisibleFiles) {
    windows.PutFile("C:\\W\\plain.ini", "");
    windows.PutFile("C:\\W\\ro.ini", "", attr::kReadOnly | attr::kArchive);
    windows.PutFile("C:\\W\\hidden.ini", "", attr::kHidden | attr::kArchive);
    windows.PutFile("C:\\W\\system.ini", "", attr::kSystem | attr::kArchive);
    windows.MakeDirectories("C:\\W\\dir.ini");
    struct Row {
        const char* path;
        bool expected;
    } rows[] = {
        {"C:\\W\\plain.ini", true},    {"C:\\W\\PLAIN.INI", true},    {"C:\\W\\ro.ini", true},
        {"C:\\W\\hidden.ini", false},  {"C:\\W\\system.ini", false},  {"C:\\W\\dir.ini", false},
        {"C:\\W\\missing.ini", false}, {"C:\\Nowhere\\x.ini", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FileExists(windows.files(), row.path), row.expected) << row.path;
    }
}

} // namespace
} // namespace korvex::frontend
