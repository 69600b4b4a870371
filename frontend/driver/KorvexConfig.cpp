// Start-up queries and the fixed step sequence of the front end.
#include "frontend/driver/KorvexConfig.h"

#include <cstdio>

#include "frontend/driver/Settings.h"
#include "frontend/driver/Staging.h"
#include "frontend/fsutil/DirectoryTree.h"

namespace korvex::frontend {

using platform::Platform;

Result<std::string> InstalledProgramPath(Platform& machine) {
    auto products = machine.installer.RelatedProducts(product::kUpgradeCode);
    if (!products.ok()) {
        machine.log.Write("installer related-products", std::string(product::kUpgradeCode),
                          products.status());
        return products.error();
    }
    for (const std::string& product : products.value()) {
        auto name = machine.installer.ProductInfo(product, "InstalledProductName");
        if (!name.ok()) {
            machine.log.Write("installer product-name", product, name.status());
            continue;
        }
        if (name.value() != product::kProductName) {
            machine.log.Write("installer skip", product + " \"" + name.value() + "\"",
                              "name differs");
            continue;
        }
        auto path = machine.installer.ComponentPath(product, product::kMainProgramComponent);
        machine.log.Write("installer component-path", product, path.ok() ? path.value() : "");
        if (!path.ok()) {
            return std::string();
        }
        return path.value();
    }
    return std::string();
}

int OsVersionCode(platform::SystemInfo& system) {
    auto version = system.Version();
    if (!version.ok()) {
        return 6;
    }
    const platform::OsVersion& v = version.value();
    switch (v.platformId) {
    case 1:
        return v.minor != 0 ? 2 : 1;
    case 2:
        if (v.major >= 5) {
            return 5;
        }
        if (v.major == 4) {
            return 4;
        }
        return v.major == 3 ? 3 : 0;
    default:
        return 0;
    }
}

bool FileExists(platform::FileSystem& files, std::string_view path) {
    auto search = files.Search(path);
    if (!search.ok()) {
        return false;
    }
    constexpr std::uint32_t kNotAFile =
        platform::attr::kDirectory | platform::attr::kHidden | platform::attr::kSystem;
    while (auto entry = search.value()->Next()) {
        if ((entry->attributes & kNotAFile) == 0) {
            return true;
        }
    }
    return false;
}

std::string BackupStamp(const platform::LocalTime& time) {
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "%02d%02d%02d", time.hour % 100, time.minute % 100,
                  time.second % 100);
    return stamp;
}

void ShowWarning(Platform& machine, std::string text) {
    platform::MessageBoxRequest request;
    request.text = std::move(text);
    request.title = std::string(product::kFrontEndTitle);
    request.buttons = platform::Buttons::Ok;
    request.icon = platform::Icon::Warning;
    (void)machine.ui.ShowMessage(request);
}

void NoteStoppedCopy(KorvexConfig& run, const WinError& failure) {
    if (failure.operation == "list" || failure.operation == "read attributes" ||
        failure.operation == "refuse") {
        std::string what = failure.operation;
        what += ' ';
        what += failure.path;
        run.failedChanges.push_back({std::move(what), failure});
    }
}

namespace {

// Finds the product and fills the installation context. False when the run cannot go on.
bool FindInstallation(KorvexConfig& run) {
    Platform& machine = run.machine;
    auto program = InstalledProgramPath(machine);
    std::string path = program.ok() ? program.value() : std::string();
    // A path too short to hold a directory in front of the program's name cannot be used.
    if (path.size() <= product::kMainProgram.size()) {
        if (!path.empty()) {
            machine.log.Write("installer component-path", path, "too short to use");
        }
        platform::MessageBoxRequest request;
        request.text = "Korvex Not Installed";
        request.title = std::string(product::kFrontEndTitle);
        (void)machine.ui.ShowMessage(request);
        machine.log.Write("stop", "", "KORVEx is not installed");
        return false;
    }
    run.context.InstallRoot = path.substr(0, 3);
    run.context.InstallDir = path.substr(0, path.size() - product::kMainProgram.size());
    machine.log.Write("found", path,
                      "InstallDir=" + run.context.InstallDir +
                          " InstallRoot=" + run.context.InstallRoot);
    return true;
}

int RunSteps(KorvexConfig& run) {
    Platform& machine = run.machine;
    if (!FindInstallation(run)) {
        return exit_code::kNotInstalled;
    }
    auto windows = machine.files.WindowsDirectory();
    if (!windows.ok()) {
        machine.log.Write("windows-directory", "", windows.status());
        ShowWarning(machine,
                    "The Windows directory could not be read:\n" + windows.error().Describe());
        return exit_code::kFailed;
    }
    run.context.WindowsDir = windows.value();
    run.context.BackupStamp = BackupStamp(machine.system.Now());

    const int version = OsVersionCode(machine.system);
    machine.log.Write("os-version", "code " + std::to_string(version), "done");
    if (version == 4 || version == 5) {
        StageNetworkFiles(run);
    }
    BackupIniFiles(run);
    CopyTreeIfMissing(run, "TELMIMAP");
    CopyTreeIfMissing(run, "FIRMWARE");
    if (DirectoryExists(machine.files,
                        run.context.InstallRoot + std::string(product::kHoldingDirectory))) {
        RestoreHeldFiles(run);
    } else {
        OfferNewConfigFiles(run);
    }

    UpdateKorvexSettings(run);
    if (!run.record.SetupCancelled) {
        UpdateYmvSettings(run);
    }
    if (!run.record.SetupCancelled) {
        WriteAirtalkerRegion(run);
    }
    // The holding directory goes once every step has had its turn, cancelled or not.
    RemoveHoldingDirectory(run);
    return run.record.SetupCancelled ? exit_code::kCancelled : exit_code::kCompleted;
}

} // namespace

int Main(KorvexConfig& run) {
    int code = exit_code::kFailed;
    try {
        code = RunSteps(run);
        if (!run.failedChanges.empty()) {
            std::string text = "The installation is not complete: these changes failed.";
            for (const FailedChange& failed : run.failedChanges) {
                text += '\n';
                text += failed.Describe();
            }
            ShowWarning(run.machine, std::move(text));
            code = exit_code::kFailed;
        }
    } catch (const platform::RunStopped& stopped) {
        run.machine.ui.SetWaitCursor(false);
        run.machine.log.Write("stop", stopped.what(), "exit code 1603");
        for (const FailedChange& failed : run.failedChanges) {
            run.machine.log.Write("failed", failed.what, failed.error.Describe());
        }
    }
    run.machine.log.Write("end", "", "exit code " + std::to_string(code));
    return code;
}

} // namespace korvex::frontend
