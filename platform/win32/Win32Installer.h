// Windows Installer queries through msi.dll's wide-character functions. msi.dll is not one of
// Windows' known DLLs, so it is not imported (Windows would look for an imported one in the
// program's folder first): it is loaded from the system folder on first use, and its four
// functions looked up once. When it cannot be loaded, every query fails with the load's error.
#pragma once

#include "platform/Installer.h"

namespace korvex::win32 {

class Win32Installer final : public platform::Installer {
public:
    // MsiEnumRelatedProductsW from index 0 until ERROR_NO_MORE_ITEMS; any other answer fails.
    Result<std::vector<std::string>> RelatedProducts(std::string_view upgradeCode) override;
    // MsiEnumProductsW; ERROR_NO_MORE_ITEMS gives nothing.
    Result<std::optional<std::string>> EnumProducts(std::uint32_t index) override;
    // MsiGetProductInfoW, its buffer grown on ERROR_MORE_DATA: never truncated.
    Result<std::string> ProductInfo(std::string_view productCode,
                                    std::string_view property) override;
    // MsiGetComponentPathW, its buffer grown on INSTALLSTATE_MOREDATA. INSTALLSTATE_LOCAL and
    // INSTALLSTATE_SOURCE give the path; every other state fails: unknown, absent, unused or
    // advertised components with ERROR_UNKNOWN_COMPONENT, a bad argument with
    // ERROR_INVALID_PARAMETER, a missing source with ERROR_INSTALL_SOURCE_ABSENT and a broken
    // or incomplete installation with ERROR_BAD_CONFIGURATION.
    Result<std::string> ComponentPath(std::string_view productCode,
                                      std::string_view componentCode) override;
};

} // namespace korvex::win32
