// The contract tests' machine for the native build: an in-memory Windows with the probe
// product registered.
#include <string>

#include "platform/contract/Backend.h"
#include "platform/memory/MemoryWindows.h"

namespace korvex::contract {

namespace {

class MemoryBackend final : public Backend {
public:
    MemoryBackend() {
        windows_.MakeDirectories(scratch_);
        memory::InstalledProduct product;
        product.productCode = probe::kProductCode;
        product.upgradeCode = probe::kUpgradeCode;
        product.properties["InstalledProductName"] = probe::kProductName;
        product.properties["VersionString"] = probe::kVersion;
        product.componentPaths[std::string(probe::kComponentCode)] = probe::kKeyFile;
        windows_.AddProduct(std::move(product));
        windows_.PutFile(probe::kKeyFile, probe::kKeyFileBytes);
    }

    platform::FileSystem& files() override { return windows_.files(); }
    platform::Profile& profile() override { return windows_.profile(); }
    platform::Installer& installer() override { return windows_.installer(); }
    platform::SystemInfo& system() override { return windows_.system(); }
    const std::string& scratch() const override { return scratch_; }
    std::string UniqueName(std::string_view extension) override {
        return "korvex-contract-" + std::to_string(++names_) + "." + std::string(extension);
    }
    std::optional<std::string> ProbeMissing() override { return std::nullopt; }
    bool Lacks(Shortfall) const override { return false; }

private:
    memory::MemoryWindows windows_;
    const std::string scratch_ = "C:\\korvex-contract";
    int names_ = 0;
};

} // namespace

std::unique_ptr<Backend> MakeBackend() {
    return std::make_unique<MemoryBackend>();
}

} // namespace korvex::contract
