// Windows Installer queries: related products of an upgrade code, product enumeration,
// product properties and component paths.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Error.h"

namespace korvex::platform {

class Installer {
public:
    virtual ~Installer() = default;

    // The product codes of the installed products that carry an upgrade code, in the
    // installer's order (MsiEnumRelatedProducts from index 0 until ERROR_NO_MORE_ITEMS).
    // Fails when the installer cannot be queried.
    virtual Result<std::vector<std::string>> RelatedProducts(std::string_view upgradeCode) = 0;

    // The product code at an index of the enumeration of all installed products
    // (MsiEnumProducts); nothing when the enumeration has ended.
    virtual Result<std::optional<std::string>> EnumProducts(std::uint32_t index) = 0;

    // A product's property ("InstalledProductName", "VersionString", ...) (MsiGetProductInfo).
    virtual Result<std::string> ProductInfo(std::string_view productCode,
                                            std::string_view property) = 0;

    // The full path of a component's key file as installed for a product
    // (MsiGetComponentPath). Fails unless the component is installed locally.
    virtual Result<std::string> ComponentPath(std::string_view productCode,
                                              std::string_view componentCode) = 0;
};

} // namespace korvex::platform
