// Windows Installer queries of the in-memory Windows.
#include "platform/memory/MemoryInstaller.h"

#include "platform/memory/Machine.h"
#include "platform/memory/Paths.h"

namespace korvex::memory {

namespace {

const InstalledProduct* FindProduct(const std::vector<InstalledProduct>& products,
                                    std::string_view productCode) {
    const std::string wanted = FoldCase(productCode);
    for (const InstalledProduct& product : products) {
        if (FoldCase(product.productCode) == wanted) {
            return &product;
        }
    }
    return nullptr;
}

} // namespace

Status MemoryInstaller::Query(Operation operation) {
    if (const auto begun = machine_.Begin(operation); !begun.ok()) {
        return begun.status();
    }
    if (!machine_.installerAvailable) {
        return Status::Failure(win::kInstallServiceFailure);
    }
    return {};
}

Result<std::vector<std::string>> MemoryInstaller::RelatedProducts(std::string_view upgradeCode) {
    if (const Status started = Query(Operation::RelatedProducts); !started.ok()) {
        return started.error();
    }
    std::vector<std::string> codes;
    const std::string wanted = FoldCase(upgradeCode);
    for (const InstalledProduct& product : machine_.products) {
        if (!product.upgradeCode.empty() && FoldCase(product.upgradeCode) == wanted) {
            codes.push_back(product.productCode);
        }
    }
    return codes;
}

Result<std::optional<std::string>> MemoryInstaller::EnumProducts(std::uint32_t index) {
    if (const Status started = Query(Operation::EnumProducts); !started.ok()) {
        return started.error();
    }
    if (index >= machine_.products.size()) {
        return std::optional<std::string>();
    }
    return std::optional<std::string>(machine_.products[index].productCode);
}

Result<std::string> MemoryInstaller::ProductInfo(std::string_view productCode,
                                                 std::string_view property) {
    if (const Status started = Query(Operation::ProductInfo); !started.ok()) {
        return started.error();
    }
    const InstalledProduct* product = FindProduct(machine_.products, productCode);
    if (product == nullptr) {
        return Result<std::string>::Failure(win::kUnknownProduct);
    }
    const auto it = product->properties.find(std::string(property));
    if (it == product->properties.end()) {
        return Result<std::string>::Failure(win::kUnknownProperty);
    }
    return it->second;
}

Result<std::string> MemoryInstaller::ComponentPath(std::string_view productCode,
                                                   std::string_view componentCode) {
    if (const Status started = Query(Operation::ComponentPath); !started.ok()) {
        return started.error();
    }
    // An unknown product and an unknown component both read as a component not installed
    // for that product.
    const InstalledProduct* product = FindProduct(machine_.products, productCode);
    if (product == nullptr) {
        return Result<std::string>::Failure(win::kUnknownComponent);
    }
    const std::string wanted = FoldCase(componentCode);
    for (const auto& [component, path] : product->componentPaths) {
        if (FoldCase(component) == wanted) {
            return path;
        }
    }
    return Result<std::string>::Failure(win::kUnknownComponent);
}

} // namespace korvex::memory
