// Windows Installer records, OS version, clock and the directories the machine answers.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "MemoryTest.h"

namespace korvex::memory {
namespace {

using Codes = std::vector<std::string>;

class InstallerTest : public testing::MemoryTest {
protected:
    InstallerTest() {
        Add("{AAAAAAAA-0000-0000-0000-000000000001}", "{9B47E3C8-0A16-4F5D-8C29-5E73D1A06B4E}",
            "KORVEx");
        Add("{AAAAAAAA-0000-0000-0000-000000000002}", "", "Other");
        Add("{AAAAAAAA-0000-0000-0000-000000000003}", "{9b47e3c8-0a16-4f5d-8c29-5e73d1a06b4e}",
            "KORVEx");
    }

    void Add(const std::string& code, const std::string& upgrade, const std::string& name) {
        InstalledProduct product;
        product.productCode = code;
        product.upgradeCode = upgrade;
        product.properties["InstalledProductName"] = name;
        product.componentPaths["{6E1F0A52-3C7B-4D29-9A84-1B5C7E20D3F6}"] =
            "C:\\Apps\\Control\\korvex.exe";
        windows.AddProduct(product);
    }
};

TEST_F(InstallerTest, RelatedProductsShareTheUpgradeCodeInAnyCase) {
    EXPECT_EQ(windows.installer().RelatedProducts("{9B47E3C8-0A16-4F5D-8C29-5E73D1A06B4E}").value(),
              (Codes{"{AAAAAAAA-0000-0000-0000-000000000001}",
                     "{AAAAAAAA-0000-0000-0000-000000000003}"}));
    EXPECT_EQ(windows.installer().RelatedProducts("{00000000-0000-0000-0000-000000000000}").value(),
              Codes{});
    EXPECT_EQ(windows.installer().RelatedProducts("").value(), Codes{})
        << "no upgrade code matches none";
}

TEST_F(InstallerTest, EnumeratesInTheOrderAdded) {
    EXPECT_EQ(windows.installer().EnumProducts(0).value(),
              "{AAAAAAAA-0000-0000-0000-000000000001}");
    EXPECT_EQ(windows.installer().EnumProducts(2).value(),
              "{AAAAAAAA-0000-0000-0000-000000000003}");
    EXPECT_EQ(windows.installer().EnumProducts(3).value(), std::nullopt);
}

TEST_F(InstallerTest, PropertiesAndComponentsWithTheirErrors) {
    const std::string first = "{aaaaaaaa-0000-0000-0000-000000000001}";
    const std::string component = "{6E1F0A52-3C7B-4D29-9A84-1B5C7E20D3F6}";
    EXPECT_EQ(windows.installer().ProductInfo(first, "InstalledProductName").value(), "KORVEx");
    EXPECT_EQ(windows.installer().ComponentPath(first, component).value(),
              "C:\\Apps\\Control\\korvex.exe");
    struct Row {
        const char* what;
        std::uint32_t code;
        std::uint32_t expected;
    } rows[] = {
        {"unknown product", windows.installer().ProductInfo("{X}", "InstalledProductName").code(),
         win::kUnknownProduct},
        {"unknown property", windows.installer().ProductInfo(first, "VersionString").code(),
         win::kUnknownProperty},
        {"property names keep their case",
         windows.installer().ProductInfo(first, "installedproductname").code(),
         win::kUnknownProperty},
        {"component of an unknown product",
         windows.installer().ComponentPath("{X}", component).code(), win::kUnknownComponent},
        {"unknown component", windows.installer().ComponentPath(first, "{X}").code(),
         win::kUnknownComponent},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.code, row.expected) << row.what;
    }
}

TEST_F(InstallerTest, AnUnavailableInstallerFailsEveryQuery) {
    windows.SetInstallerAvailable(false);
    const std::string first = "{AAAAAAAA-0000-0000-0000-000000000001}";
    EXPECT_EQ(windows.installer().RelatedProducts("{9B47E3C8-0A16-4F5D-8C29-5E73D1A06B4E}").code(),
              win::kInstallServiceFailure);
    EXPECT_EQ(windows.installer().EnumProducts(0).code(), win::kInstallServiceFailure);
    EXPECT_EQ(windows.installer().ProductInfo(first, "InstalledProductName").code(),
              win::kInstallServiceFailure);
    EXPECT_EQ(windows.installer().ComponentPath(first, "{X}").code(), win::kInstallServiceFailure);
    EXPECT_NE(State().find("installer: not available"), std::string::npos);
}

TEST(SystemInfo, VersionTimeAndDirectories) {
    MemoryWindows windows;
    const auto version = windows.system().Version();
    ASSERT_TRUE(version.ok());
    EXPECT_EQ(version.value().platformId, 2u);
    EXPECT_EQ(version.value().major, 5u);
    EXPECT_EQ(version.value().minor, 1u);
    const platform::LocalTime now = windows.system().Now();
    EXPECT_EQ((std::vector<int>{now.year, now.month, now.day, now.hour, now.minute, now.second}),
              (std::vector<int>{2026, 1, 2, 14, 5, 33}));
    EXPECT_EQ(windows.files().CurrentDirectory().value(), "C:\\");
    EXPECT_EQ(windows.files().WindowsDirectory().value(), "C:\\WINDOWS");
    EXPECT_EQ(windows.files().LogicalDrives(), 1u << 2);

    windows.SetVersion(platform::OsVersion{1, 4, 10});
    EXPECT_EQ(windows.system().Version().value().minor, 10u);
    windows.SetVersion(std::nullopt);
    EXPECT_EQ(windows.system().Version().code(), win::kInvalidParameter);
    windows.SetTime({1999, 12, 31, 23, 59, 59, 999});
    EXPECT_EQ(windows.system().Now().millisecond, 999);
    windows.SetCurrentDirectory("c:/windows/");
    EXPECT_EQ(windows.files().CurrentDirectory().value(), "C:\\windows");
    windows.SetWindowsDirectory("C:\\WINNT\\");
    EXPECT_EQ(windows.files().WindowsDirectory().value(), "C:\\WINNT");
    EXPECT_TRUE(windows.IsDirectoryAt("C:\\WINNT"));
}

TEST(SystemInfo, ThePlatformIsTheMachine) {
    MemoryWindows windows;
    platform::Platform& machine = windows.platform();
    EXPECT_EQ(&machine.files, static_cast<platform::FileSystem*>(&windows.files()));
    EXPECT_EQ(&machine.profile, static_cast<platform::Profile*>(&windows.profile()));
    EXPECT_EQ(&machine.installer, static_cast<platform::Installer*>(&windows.installer()));
    EXPECT_EQ(&machine.system, static_cast<platform::SystemInfo*>(&windows.system()));
    EXPECT_EQ(&machine.ui, static_cast<platform::UserInterface*>(&windows.ui()));
    EXPECT_FALSE(machine.log.enabled());
}

} // namespace
} // namespace korvex::memory
