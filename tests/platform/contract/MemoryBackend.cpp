// The contract tests' machine for the native build: an in-memory Windows with the probe
// product registered.
#include "platform/contract/Contract.h"
#include "platform/memory/MemoryWindows.h"

namespace korvex::contract {

namespace {

// The machine is a base, so that it is made before Backend takes its services.
struct Machine {
    memory::MemoryWindows windows;
};

struct MemoryBackend final : Machine, Backend {
    MemoryBackend()
        : Backend(windows.files(), windows.profile(), windows.installer(), windows.system()) {
        scratch = "C:\\korvex-contract";
        windows.MakeDirectories(scratch);
        memory::InstalledProduct product;
        product.productCode = probe::kProductCode;
        product.upgradeCode = probe::kUpgradeCode;
        product.properties["InstalledProductName"] = probe::kProductName;
        product.properties["VersionString"] = probe::kVersion;
        product.componentPaths[std::string(probe::kComponentCode)] = probe::kKeyFile;
        windows.AddProduct(std::move(product));
        windows.PutFile(probe::kKeyFile, probe::kKeyFileBytes);
    }
    std::optional<std::pair<std::string, std::string>> PlantedLink() override {
        const std::string target = scratch + "\\target";
        windows.PutFile(target + "\\own.txt", "own");
        windows.MakeJunction(scratch + "\\link", target);
        return std::pair{scratch + "\\link", target};
    }
    bool LetEveryoneChange(const std::string& path) override {
        windows.LetUsersChange(path);
        return true;
    }
};

} // namespace

std::unique_ptr<Backend> MakeBackend() {
    return std::make_unique<MemoryBackend>();
}

} // namespace korvex::contract
