// The Windows Installer of the in-memory Windows: queries over the products the machine holds.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Installer.h"
#include "platform/memory/FailureInjection.h"

namespace korvex::memory {

struct Machine;

// A product registered with the Windows Installer.
struct InstalledProduct {
    std::string productCode;                           // "{...}"
    std::string upgradeCode;                           // may be empty
    std::map<std::string, std::string> properties;     // "InstalledProductName", "VersionString"
    std::map<std::string, std::string> componentPaths; // component code -> key file path
};

// Product, upgrade and component codes compare without regard to case. While the machine's
// installer is unavailable every query fails with ERROR_INSTALL_SERVICE_FAILURE (1601).
class MemoryInstaller final : public platform::Installer {
public:
    explicit MemoryInstaller(Machine& machine) : machine_(machine) {}

    Result<std::vector<std::string>> RelatedProducts(std::string_view upgradeCode) override;
    // The products in the order they were added.
    Result<std::optional<std::string>> EnumProducts(std::uint32_t index) override;
    // ERROR_UNKNOWN_PRODUCT (1605) for an unknown product, ERROR_UNKNOWN_PROPERTY (1608) for a
    // property the product does not have.
    Result<std::string> ProductInfo(std::string_view productCode,
                                    std::string_view property) override;
    // ERROR_UNKNOWN_COMPONENT (1607) for an unknown product or component.
    Result<std::string> ComponentPath(std::string_view productCode,
                                      std::string_view componentCode) override;

private:
    // The start of every query: Machine::Begin, then the installer's availability.
    Status Query(Operation operation);

    Machine& machine_;
};

} // namespace korvex::memory
