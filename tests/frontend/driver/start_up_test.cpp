// Start-up of the front end: finding the product, the version code, the stamp, FileExists.
#include "frontend/driver/KorvexConfig.h"

#include <gtest/gtest.h>

#include "support/Machines.h"

namespace korvex::frontend {
namespace {

using platform::OsVersion;
namespace attr = platform::attr;

TEST(InstalledProgramPath, TheFirstProductNamedExactlyKorvexGivesTheProgramPath) {
    memory::MemoryWindows windows;
    const std::pair<const char*, const char*> products[] = {
        {"C:\\Other\\", "KORVEx Tools"},   {"C:\\A\\", "Korvex"},     {"C:\\B\\", "KORVEx "},
        {"D:\\Apps\\Control\\", "KORVEx"}, {"E:\\Later\\", "KORVEx"},
    };
    int code = 0;
    for (const auto& [dir, name] : products) {
        testing::RegisterKorvex(windows, dir, "7.1.0.0", name,
                                "{00000000-0000-0000-0000-00000000000" + std::to_string(++code) +
                                    "}");
    }
    EXPECT_EQ(InstalledProgramPath(windows.platform()).value_or("?"),
              "D:\\Apps\\Control\\korvex.exe");
    windows.SetInstallerAvailable(false);
    EXPECT_FALSE(InstalledProgramPath(windows.platform()).ok());
}

// Without a product, or without a usable installer, the run stops after the one message.
TEST(Main, NotInstalledShowsTheMessageAndEndsTheRun) {
    for (bool installerAvailable : {true, false}) {
        memory::MemoryWindows windows;
        windows.SetInstallerAvailable(installerAvailable);
        testing::RegisterKorvex(windows, "C:\\A\\", "7.1.0.0", "Korvex");
        windows.PutFile("C:\\WINDOWS\\NELK.INI", "[Comms]\r\n");
        KorvexConfig run(windows.platform());
        EXPECT_EQ(Main(run), exit_code::kNotInstalled);
        EXPECT_EQ(testing::Shown(windows),
                  std::vector<std::string>{"VarenInstall: Korvex Not Installed"});
        EXPECT_EQ(windows.ui().messages()[0].request.buttons, platform::Buttons::Ok);
        EXPECT_EQ(windows.Tree("C:\\WINDOWS"), std::vector<std::string>{"NELK.INI"});
    }
}

TEST(Main, DerivesTheContextFromTheProgramPath) {
    memory::MemoryWindows windows;
    windows.AddDrive('D', platform::DriveType::Fixed);
    testing::InstallKorvex(windows, "D:\\Apps\\Control\\");
    windows.SetTime({2026, 1, 2, 9, 3, 7, 999});
    windows.ui().Dialog(memory::ScriptedUserInterface::Press("CancelButton"));
    KorvexConfig run(windows.platform());
    EXPECT_EQ(Main(run), exit_code::kCancelled) << testing::State(windows);
    EXPECT_EQ(run.context.InstallDir, "D:\\Apps\\Control\\");
    EXPECT_EQ(run.context.InstallRoot, "D:\\");
    EXPECT_EQ(run.context.WindowsDir, "C:\\WINDOWS");
    EXPECT_EQ(run.context.BackupStamp, "090307");
    EXPECT_EQ(windows.Contents("D:\\TELMIMAP\\S01\\studio\\shipped.map"), "shipped map");
}

TEST(OsVersionCode, MapsPlatformAndVersion) {
    const std::pair<std::optional<OsVersion>, int> rows[] = {
        {OsVersion{0, 3, 1}, 0},  {OsVersion{1, 4, 0}, 1},  {OsVersion{1, 4, 10}, 2},
        {OsVersion{1, 4, 90}, 2}, {OsVersion{2, 2, 0}, 0},  {OsVersion{2, 3, 51}, 3},
        {OsVersion{2, 4, 0}, 4},  {OsVersion{2, 5, 0}, 5},  {OsVersion{2, 5, 1}, 5},
        {OsVersion{2, 10, 0}, 5}, {OsVersion{3, 10, 0}, 0}, {std::nullopt, 6},
    };
    for (const auto& [version, code] : rows) {
        memory::MemoryWindows windows;
        windows.SetVersion(version);
        EXPECT_EQ(OsVersionCode(windows.system()), code)
            << (version ? std::to_string(version->platformId) + " " +
                              std::to_string(version->major) + "." + std::to_string(version->minor)
                        : "query fails");
    }
}

TEST(BackupStamp, IsHoursMinutesSecondsWithTwoDigitsEach) {
    EXPECT_EQ(BackupStamp({2026, 1, 2, 14, 5, 33, 0}), "140533");
    EXPECT_EQ(BackupStamp({2026, 1, 2, 0, 0, 0, 0}), "000000");
}

TEST(FileExists, SeesOnlyVisibleFiles) {
    memory::MemoryWindows windows;
    windows.PutFile("C:\\W\\plain.ini", "");
    windows.PutFile("C:\\W\\ro.ini", "", attr::kReadOnly | attr::kArchive);
    windows.PutFile("C:\\W\\hidden.ini", "", attr::kHidden | attr::kArchive);
    windows.PutFile("C:\\W\\system.ini", "", attr::kSystem | attr::kArchive);
    windows.MakeDirectories("C:\\W\\dir.ini");
    const std::pair<const char*, bool> rows[] = {
        {"C:\\W\\plain.ini", true},    {"C:\\W\\PLAIN.INI", true},    {"C:\\W\\ro.ini", true},
        {"C:\\W\\hidden.ini", false},  {"C:\\W\\system.ini", false},  {"C:\\W\\dir.ini", false},
        {"C:\\W\\missing.ini", false}, {"C:\\Nowhere\\x.ini", false},
    };
    for (const auto& [path, expected] : rows) {
        EXPECT_EQ(FileExists(windows.files(), path), expected) << path;
    }
}

} // namespace
} // namespace korvex::frontend
