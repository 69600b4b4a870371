// A machine for whole runs on bad input: the in-memory Windows with KORVEx installed, its
// delivered trees and ".new" files, and helpers that tell what a run showed and left behind.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/driver/KorvexConfig.h"
#include "frontend/maps/InstallMiraMaps.h"
#include "platform/memory/MemoryWindows.h"
#include "product/Korvex.h"

namespace korvex::badinput {

inline constexpr const char* kProductCode = "{22222222-3333-4444-5555-666666666666}";

class BadInputTest : public ::testing::Test {
protected:
    // Registers KORVEx with its main program in `installDir` (ending in "\") and delivers the map
    // and firmware trees and the ".new" configuration files.
    void Install(const std::string& installDir, const std::string& version = "7.1.0.0") {
        memory::InstalledProduct product;
        product.productCode = kProductCode;
        product.upgradeCode = std::string(product::kUpgradeCode);
        product.properties["InstalledProductName"] = "KORVEx";
        product.properties["VersionString"] = version;
        product.componentPaths[std::string(product::kMainProgramComponent)] =
            installDir + "korvex.exe";
        windows.AddProduct(product);
        windows.PutFile(installDir + "korvex.exe", "MZ");
        windows.PutFile(installDir + "TELMIMAP\\S01\\studio\\shipped.map", "shipped");
        windows.PutFile(installDir + "FIRMWARE\\frame.bin", "firmware");
        windows.PutFile(installDir + "csuinfo.new", "csuinfo delivered");
        windows.PutFile(installDir + "cnetio.new", "cnetio delivered");
        windows.PutFile("C:\\WINDOWS\\zelmain.new", "[ZELMAIN]\r\nVersion=7\r\n");
    }

    // A CD-ROM drive holding the six Mira map sets, one map file in each.
    void InsertMiraDisc(char drive, bool mediaPresent = true) {
        windows.AddDrive(drive, platform::DriveType::CdRom, mediaPresent);
        for (const product::MiraMapSet& set : product::kMiraMapSets) {
            windows.PutFile(std::string(1, drive) + ":\\Mira Maps" + std::string(set.path) + "\\" +
                                std::string(set.name) + ".map",
                            std::string(set.name));
        }
    }

    int RunFrontEnd() { return frontend::Main(run); }

    std::string File(const std::string& path) const {
        return windows.Contents(path).value_or("<missing>");
    }
    // The texts of the warnings shown (OK button, warning icon).
    std::vector<std::string> Warnings() {
        std::vector<std::string> texts;
        for (const auto& shown : windows.ui().messages()) {
            if (shown.request.icon == platform::Icon::Warning) {
                texts.push_back(shown.request.text);
            }
        }
        return texts;
    }
    // Each message by its prompt; one that asks nothing as "<warning>" when it is a warning,
    // otherwise by its text.
    std::vector<std::string> Messages() {
        std::vector<std::string> out;
        for (const auto& shown : windows.ui().messages()) {
            const platform::MessageBoxRequest& request = shown.request;
            out.push_back(!request.prompt.empty()                   ? request.prompt
                          : request.icon == platform::Icon::Warning ? "<warning>"
                                                                    : request.text);
        }
        return out;
    }
    // What the run showed, then the whole machine: for failure messages.
    std::string State() {
        std::string out = "shown:\n";
        for (const std::string& line : windows.ui().transcript()) {
            out += "  " + line + "\n";
        }
        return out + windows.Describe();
    }

    memory::MemoryWindows windows;
    frontend::KorvexConfig run{windows.platform()};
};

} // namespace korvex::badinput
