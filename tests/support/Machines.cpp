// The shared test machines and what a run showed.
#include "support/Machines.h"

#include "frontend/driver/Entry.h"
#include "product/Korvex.h"
#include "upgradeprep/Entry.h"

namespace korvex::testing {

using memory::MemoryWindows;

void RegisterKorvex(MemoryWindows& windows, std::string_view installDir, std::string_view version,
                    std::string_view name, std::string_view productCode) {
    memory::InstalledProduct product;
    product.productCode = std::string(productCode);
    product.upgradeCode = std::string(product::kUpgradeCode);
    product.properties["InstalledProductName"] = std::string(name);
    product.properties["VersionString"] = std::string(version);
    product.componentPaths[std::string(product::kMainProgramComponent)] =
        std::string(installDir) + std::string(product::kMainProgram);
    windows.AddProduct(product);
}

void DeliverPackage(MemoryWindows& windows, std::string_view installDir) {
    const std::string dir(installDir);
    windows.PutFile(dir + std::string(product::kMainProgram), "MZ");
    windows.PutFile(dir + "TELMIMAP\\S01\\studio\\shipped.map", "shipped map");
    windows.PutFile(dir + "FIRMWARE\\frame.bin", "firmware");
    windows.PutFile(dir + "csuinfo.new", "csuinfo delivered");
    windows.PutFile(dir + "cnetio.new", "cnetio delivered");
    windows.PutFile("C:\\WINDOWS\\zelmain.new", "[ZELMAIN]\r\nFrames=15\r\n");
    windows.PutFile("C:\\WINDOWS\\hosts.ymv", "hosts");
    windows.PutFile("C:\\WINDOWS\\services.ymv", "services");
    windows.MakeDirectories("C:\\WINDOWS\\system32\\drivers\\etc"); // as on every Windows
}

void InstallKorvex(MemoryWindows& windows, std::string_view installDir) {
    RegisterKorvex(windows, installDir);
    DeliverPackage(windows, installDir);
}

void InsertMiraDisc(MemoryWindows& windows, char drive, bool mediaPresent) {
    windows.AddDrive(drive, platform::DriveType::CdRom, mediaPresent);
    for (const product::MiraMapSet& set : product::kMiraMapSets) {
        const std::string dir = std::string(1, drive) + ":\\Mira Maps" + std::string(set.path);
        const std::string name(set.name);
        windows.PutFile(dir + "\\" + name + ".mm1", name + " map");
        windows.PutFile(dir + "\\layers\\base.lay", name + " layer");
    }
}

void PutOldMaps(MemoryWindows& windows) {
    windows.PutFile("C:\\MAP\\one.ccf", "ccf 1");
    windows.PutFile("C:\\MAP\\site\\two.ccf", "ccf 2");
}

std::vector<std::string> EarlierConfigurationFiles() {
    return {"netio.ini",   "common.cfg",  "csuinfo.cfg", "route.cfg",
            "msginfo.cfg", "msgfilt.cfg", "studio.4kr",  "studio.4kp"};
}

void PutEarlierInstallation(MemoryWindows& windows, char drive) {
    const std::string dir = std::string(1, drive) + ":\\korvex\\";
    for (const char* program : {"korvex.exe", "wendrel.exe", "zellib.dll", "korvex.hlp"}) {
        windows.PutFile(dir + program, std::string("old ") + program);
    }
    for (const std::string& name : EarlierConfigurationFiles()) {
        windows.PutFile(dir + name, "kept " + name);
    }
    windows.PutFile(dir + "notes.doc", "user notes");
    windows.PutFile(dir + "TCPIP\\a.tcp", "tcp");
    windows.PutFile("C:\\WINDOWS\\start menu\\programs\\korvex\\KORVEx.lnk", "lnk");
    windows.PutFile("C:\\WINDOWS\\desktop\\korvex.lnk", "lnk");
    windows.PutFile("C:\\WINDOWS\\desktop\\other.lnk", "lnk");
}

unattended::Services ServicesOf(MemoryWindows& windows) {
    return {windows.files(), windows.profile(), windows.installer(), windows.system(),
            windows.ui()};
}

namespace {

unattended::Switches Unattended(MemoryWindows& windows, std::string_view answers) {
    windows.PutFile("C:\\answers.ini", answers);
    return {"C:\\answers.ini", "", "C:\\run.log"};
}

} // namespace

int RunFrontEnd(MemoryWindows& windows, std::string_view answers, std::string* log) {
    const int code = frontend::RunVarenInstall(Unattended(windows, answers), ServicesOf(windows));
    if (log != nullptr) {
        *log = windows.Contents("C:\\run.log").value_or("");
    }
    return code;
}

int RunUpgradePrep(MemoryWindows& windows, std::string_view answers, std::string_view commandLine,
                   std::string* log) {
    const int code = upgradeprep::RunUpgradePrepProgram(Unattended(windows, answers),
                                                        ServicesOf(windows), commandLine);
    if (log != nullptr) {
        *log = windows.Contents("C:\\run.log").value_or("");
    }
    return code;
}

std::vector<std::string> Shown(const MemoryWindows& windows) {
    std::vector<std::string> shown;
    std::size_t dialog = 0;
    const auto& ui = windows.ui();
    std::size_t message = 0;
    for (const std::string& line : ui.transcript()) {
        if (line.starts_with("dialog ")) {
            shown.push_back("[" + ui.dialogs()[dialog++].name + "]");
        } else if (line.starts_with("message ")) {
            const platform::MessageBoxRequest& request = ui.messages()[message++].request;
            shown.push_back(!request.prompt.empty() ? request.prompt
                                                    : request.title + ": " + request.text);
        }
    }
    return shown;
}

std::vector<std::string> Warnings(const MemoryWindows& windows) {
    std::vector<std::string> texts;
    for (const auto& shown : windows.ui().messages()) {
        if (shown.request.icon == platform::Icon::Warning) {
            texts.push_back(shown.request.text);
        }
    }
    return texts;
}

std::string State(const MemoryWindows& windows) {
    std::string out = "shown:\n";
    for (const std::string& line : windows.ui().transcript()) {
        out += "  " + line + "\n";
    }
    return out + windows.Describe();
}

std::string File(const MemoryWindows& windows, std::string_view path) {
    return windows.Contents(path).value_or("<missing>");
}

LoggedPlatform::LoggedPlatform(MemoryWindows& windows, std::string program)
    : log_(logBook_.files(), logBook_.system(), std::move(program), "C:\\run.log"),
      platform_{windows.files(),
                windows.profile(),
                windows.installer(),
                windows.system(),
                windows.ui(),
                log_,
                windows.platform().progress} {}

FrontEndTest::FrontEndTest() {
    InstallKorvex(windows);
    run.context.InstallDir = std::string(kInstallDir);
    run.context.InstallRoot = "C:\\";
    run.context.WindowsDir = "C:\\WINDOWS";
    run.context.BackupStamp = "140533";
}

} // namespace korvex::testing
