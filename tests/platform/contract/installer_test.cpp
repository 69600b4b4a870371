// Windows Installer queries about the probe product: installed from tests/platform/contract/msi under
// Wine by scripts/contract-wine, registered with AddProduct in memory.
#include "platform/contract/ContractTest.h"

#include <algorithm>

namespace korvex::contract {
namespace {

constexpr std::string_view kUnknownProduct = "{00000000-1111-2222-3333-444444444444}";

class InstallerContract : public ContractTest {
protected:
    void SetUp() override {
        ContractTest::SetUp();
        if (auto why = backend().ProbeMissing()) {
            GTEST_SKIP() << *why;
        }
    }
};

TEST_F(InstallerContract, RelatedProductsOfTheUpgradeCodeFindTheProduct) {
    const auto related = installer().RelatedProducts(probe::kUpgradeCode);
    ASSERT_TRUE(related.ok()) << related.error().Describe();
    EXPECT_EQ(related.value(), std::vector<std::string>{std::string(probe::kProductCode)});
    const auto none = installer().RelatedProducts("{9A9A9A9A-0000-4000-8000-000000000001}");
    ASSERT_TRUE(none.ok()) << none.error().Describe();
    EXPECT_TRUE(none.value().empty()) << testing::PrintToString(none.value());
}

TEST_F(InstallerContract, EnumProductsListsTheProduct) {
    std::vector<std::string> products;
    for (std::uint32_t index = 0; index < 1000; ++index) {
        const auto product = installer().EnumProducts(index);
        ASSERT_TRUE(product.ok()) << index << ": " << product.error().Describe();
        if (!product.value()) {
            break;
        }
        products.push_back(*product.value());
    }
    EXPECT_EQ(std::count(products.begin(), products.end(), probe::kProductCode), 1)
        << testing::PrintToString(products);
}

TEST_F(InstallerContract, ProductInfoOfTheProduct) {
    EXPECT_EQ(installer().ProductInfo(probe::kProductCode, "InstalledProductName").value_or(""),
              probe::kProductName);
    EXPECT_EQ(installer().ProductInfo(probe::kProductCode, "VersionString").value_or(""),
              probe::kVersion);
}

TEST_F(InstallerContract, ComponentPathIsTheKeyFile) {
    const auto path = installer().ComponentPath(probe::kProductCode, probe::kComponentCode);
    ASSERT_TRUE(path.ok()) << path.error().Describe();
    EXPECT_EQ(path.value(), probe::kKeyFile);
    EXPECT_EQ(files().ReadFile(path.value()).value_or("unreadable"), probe::kKeyFileBytes);
}

TEST_F(InstallerContract, UnknownProductsPropertiesAndComponents) {
    EXPECT_EQ(installer().ProductInfo(kUnknownProduct, "InstalledProductName").code(),
              win::kUnknownProduct);
    EXPECT_EQ(installer().ProductInfo(probe::kProductCode, "NoSuchProperty").code(),
              win::kUnknownProperty);
    EXPECT_EQ(installer().ComponentPath(kUnknownProduct, probe::kComponentCode).code(),
              win::kUnknownComponent);
    EXPECT_EQ(installer()
                  .ComponentPath(probe::kProductCode, "{00000000-5555-6666-7777-888888888888}")
                  .code(),
              win::kUnknownComponent);
}

} // namespace
} // namespace korvex::contract
