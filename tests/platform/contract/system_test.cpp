// Drives, the current and Windows directories, the OS version and the clock.
#include "platform/contract/ContractTest.h"

namespace korvex::contract {
namespace {

class SystemContract : public ContractTest {};

TEST_F(SystemContract, DriveCIsAFixedDrive) {
    const std::uint32_t drives = files().LogicalDrives();
    EXPECT_NE(drives & (1u << ('C' - 'A')), 0u) << std::hex << drives;
    EXPECT_EQ(files().GetDriveType("C:\\"), platform::DriveType::Fixed);
    // The first letter without a drive has no root directory.
    for (int letter = 25; letter >= 0; --letter) {
        if ((drives & (1u << letter)) == 0) {
            const std::string root = std::string(1, static_cast<char>('A' + letter)) + ":\\";
            EXPECT_EQ(files().GetDriveType(root), platform::DriveType::NoRootDirectory) << root;
            EXPECT_EQ(List(files(), root + "*.*").code, win::kPathNotFound) << root;
            break;
        }
    }
}

TEST_F(SystemContract, WindowsAndCurrentDirectoriesExist) {
    const auto windows = files().WindowsDirectory();
    ASSERT_TRUE(windows.ok()) << windows.error().Describe();
    ASSERT_GE(windows.value().size(), 3u) << windows.value();
    EXPECT_EQ(windows.value().substr(1, 2), ":\\") << windows.value();
    EXPECT_NE(windows.value().back(), '\\') << windows.value();
    const auto windowsAttributes = files().GetAttributes(windows.value());
    EXPECT_TRUE(windowsAttributes.ok() && platform::IsDirectory(windowsAttributes.value()))
        << windows.value();

    const auto current = files().CurrentDirectory();
    ASSERT_TRUE(current.ok()) << current.error().Describe();
    const auto currentAttributes = files().GetAttributes(current.value());
    EXPECT_TRUE(currentAttributes.ok() && platform::IsDirectory(currentAttributes.value()))
        << current.value();
}

TEST_F(SystemContract, VersionIsOfTheNtFamily) {
    const auto version = system().Version();
    ASSERT_TRUE(version.ok()) << version.error().Describe();
    EXPECT_EQ(version.value().platformId, 2u);
    EXPECT_GE(version.value().major, 5u);
}

TEST_F(SystemContract, LocalTimeIsADateAndATime) {
    const platform::LocalTime now = system().Now();
    EXPECT_GE(now.year, 2000);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12) << now.month;
    EXPECT_TRUE(now.day >= 1 && now.day <= 31) << now.day;
    EXPECT_TRUE(now.hour >= 0 && now.hour <= 23) << now.hour;
    EXPECT_TRUE(now.minute >= 0 && now.minute <= 59) << now.minute;
    EXPECT_TRUE(now.second >= 0 && now.second <= 59) << now.second;
    EXPECT_TRUE(now.millisecond >= 0 && now.millisecond <= 999) << now.millisecond;
}

} // namespace
} // namespace korvex::contract
