// A fresh in-memory Windows with KORVEx installed, and helpers the front-end tests share.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "frontend/driver/KorvexConfig.h"
#include "platform/memory/MemoryWindows.h"
#include "product/Korvex.h"

namespace korvex::frontend::testing {

inline constexpr const char* kProductCode = "{11111111-2222-3333-4444-555555555555}";

class FrontendTest : public ::testing::Test {
protected:
    // Registers a KORVEx product whose main program is at `programPath`.
    void Install(const std::string& programPath, const std::string& name = "KORVEx",
                 const std::string& productCode = kProductCode) {
        memory::InstalledProduct product;
        product.productCode = productCode;
        product.upgradeCode = std::string(product::kUpgradeCode);
        product.properties["InstalledProductName"] = name;
        product.properties["VersionString"] = "7.1.0.0";
        product.componentPaths[std::string(product::kMainProgramComponent)] = programPath;
        windows.AddProduct(product);
        windows.PutFile(programPath, "MZ");
    }

    // A run whose context is filled as start-up fills it for C:\Apps\Control\.
    KorvexConfig& StartedRun() {
        run.context.InstallDir = "C:\\Apps\\Control\\";
        run.context.InstallRoot = "C:\\";
        run.context.WindowsDir = "C:\\WINDOWS";
        run.context.BackupStamp = "140533";
        windows.MakeDirectories("C:\\Apps\\Control");
        return run;
    }

    std::string State() const { return windows.Describe(); }

    memory::MemoryWindows windows;
    KorvexConfig run{windows.platform()};
};

} // namespace korvex::frontend::testing
