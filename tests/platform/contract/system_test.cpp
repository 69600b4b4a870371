// Windows Installer queries about the probe product (installed from msi/ under Wine by
// scripts/contract-wine, registered with AddProduct in memory), drives, the current and Windows
// directories, the OS version and the clock.
#include "platform/contract/Contract.h"

#include <algorithm>

namespace korvex::contract {
namespace {

using SystemContract = ContractTest;

TEST_F(SystemContract, InstallerQueriesOfTheProbeProduct) {
    if (backend_->probeMissing) {
        GTEST_SKIP() << *backend_->probeMissing;
    }
    platform::Installer& msi = backend_->installer;
    const std::string product(probe::kProductCode),
        unknown = "{00000000-1111-2222-3333-444444444444}";
    EXPECT_EQ(msi.RelatedProducts(probe::kUpgradeCode).value_or({}), std::vector{product});
    EXPECT_EQ(msi.RelatedProducts(unknown).value_or({"failed"}), std::vector<std::string>{});
    std::vector<std::string> products;
    for (std::uint32_t i = 0; auto code = msi.EnumProducts(i).value_or(std::nullopt); ++i) {
        products.push_back(*code);
    }
    EXPECT_EQ(std::count(products.begin(), products.end(), product), 1);
    EXPECT_EQ(msi.ProductInfo(product, "InstalledProductName").value_or(""), probe::kProductName);
    EXPECT_EQ(msi.ProductInfo(product, "VersionString").value_or(""), probe::kVersion);
    EXPECT_EQ(msi.ComponentPath(product, probe::kComponentCode).value_or(""), probe::kKeyFile);
    EXPECT_EQ(files().ReadFile(probe::kKeyFile).value_or(""), probe::kKeyFileBytes);
    EXPECT_EQ(msi.ProductInfo(unknown, "InstalledProductName").code(), win::kUnknownProduct);
    EXPECT_EQ(msi.ProductInfo(product, "NoSuchProperty").code(), win::kUnknownProperty);
    EXPECT_EQ(msi.ComponentPath(unknown, probe::kComponentCode).code(), win::kUnknownComponent);
    EXPECT_EQ(msi.ComponentPath(product, unknown).code(), win::kUnknownComponent);
}

TEST_F(SystemContract, DrivesDirectoriesVersionAndClock) {
    const std::uint32_t drives = files().LogicalDrives();
    EXPECT_NE(drives & (1u << ('C' - 'A')), 0u) << std::hex << drives;
    EXPECT_EQ(files().GetDriveType("C:\\"), platform::DriveType::Fixed);
    // The last letter without a drive has no root directory.
    int letter = 25;
    while (letter > 0 && (drives & (1u << letter)) != 0) {
        --letter;
    }
    const std::string root = std::string(1, static_cast<char>('A' + letter)) + ":\\";
    EXPECT_EQ(files().GetDriveType(root), platform::DriveType::NoRootDirectory) << root;
    EXPECT_EQ(List(root + "*.*").code, win::kPathNotFound) << root;
    // The Windows directory without a trailing backslash; both directories exist.
    const std::string windows = files().WindowsDirectory().value_or("failed");
    EXPECT_TRUE(windows.size() > 3 && windows.substr(1, 2) == ":\\" && windows.back() != '\\')
        << windows;
    for (const std::string& directory : {windows, files().CurrentDirectory().value_or("failed")}) {
        EXPECT_TRUE(platform::IsDirectory(files().GetAttributes(directory).value_or(0)))
            << directory;
    }
    const platform::OsVersion version = backend_->system.Version().value_or({});
    EXPECT_EQ(version.platformId, 2u); // VER_PLATFORM_WIN32_NT
    EXPECT_GE(version.major, 5u);
    EXPECT_GE(backend_->system.Now().year, 2000);
}

} // namespace
} // namespace korvex::contract
