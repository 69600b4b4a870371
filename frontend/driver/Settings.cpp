// The settings steps of the front end.
#include "frontend/driver/Settings.h"

#include "frontend/Prompts.h"
#include "frontend/dialogs/DialogSupport.h"
#include "frontend/maps/CopyCcfMaps.h"
#include "frontend/maps/InstallMiraMaps.h"

namespace korvex::frontend {

using platform::Answer;
using platform::Platform;

namespace {

// Asks a Yes/No question whose default button is Yes; true only for Yes.
bool AskYes(Platform& machine, std::string text, std::string title, std::string_view prompt) {
    platform::MessageBoxRequest request;
    request.text = std::move(text);
    request.title = std::move(title);
    request.buttons = platform::Buttons::YesNo;
    request.defaultButton = platform::DefaultButton::First;
    request.prompt = prompt;
    return machine.ui.ShowMessage(request) == Answer::Yes;
}

// A map step stopped part-way. The step left the hourglass on; the run goes on with the next
// step, so the user is told what was not copied and why.
void ReportMapFailure(KorvexConfig& run, const std::string& step, const WinError& failure) {
    Platform& machine = run.machine;
    NoteStoppedCopy(run, failure);
    machine.ui.SetWaitCursor(false);
    machine.log.Write("map-step", step, failure.DescribeWhere());
    ShowWarning(machine, step + " stopped: could not " + failure.operation + " " + failure.path +
                             ":\n" + failure.Describe() +
                             "\nWhat was copied before stays in place. The installation goes "
                             "on with the next step.");
}

} // namespace

void UpdateKorvexSettings(KorvexConfig& run) {
    Platform& machine = run.machine;
    const InstallationContext& context = run.context;
    const bool update =
        !FileExists(machine.files, context.WindowsDir + "\\" + "NELK.INI") ||
        AskYes(machine, "Update KORVEX Settings", "KORVEx Insatll", prompt::kUpdateKorvexSettings);
    if (update) {
        if (!run.korvexConf) {
            run.korvexConf.emplace(machine, run.record.SetupCancelled);
        }
        (void)machine.ui.ShowDialog(*run.korvexConf);
        if (run.korvexConf->mapsfromccf) {
            if (Status copied = CopyCcfMaps(machine, context.InstallRoot); !copied.ok()) {
                ReportMapFailure(run,
                                 "Copying the CCF maps from " + std::string(kCcfMapDirectory) +
                                     " to " + context.InstallRoot + "TELMIMAP",
                                 copied.error());
            }
        }
        if (run.korvexConf->CopyMiraMaps) {
            if (Status copied = InstallMiraMaps(machine, run.miraCopy, context.InstallRoot);
                !copied.ok()) {
                ReportMapFailure(run,
                                 "Copying the Mira maps to " + context.InstallRoot + "TELMIMAP",
                                 copied.error());
            }
        }
    }
    WriteIniKey(machine, "NELK.INI", "Initialisation", "Path", context.InstallRoot + "TELMIMAP");
}

std::string ConfigPathValue(KorvexConfig& run) {
    const std::string& installDir = run.context.InstallDir;
    auto shortPath = run.machine.files.GetShortPathName(installDir);
    if (!shortPath.ok()) {
        run.machine.log.Write("short-path", installDir, shortPath.status());
        return installDir;
    }
    if (shortPath.value().size() > installDir.size()) {
        run.machine.log.Write("short-path", installDir,
                              shortPath.value() + " is longer; the long form is kept");
        return installDir;
    }
    return shortPath.value();
}

void UpdateYmvSettings(KorvexConfig& run) {
    Platform& machine = run.machine;
    const bool show =
        !FileExists(machine.files, run.context.WindowsDir + "\\" + "ZELMAIN.INI") ||
        AskYes(machine, "Update YMV Settings", "KORVEx Install", prompt::kUpdateYmvSettings);
    if (show) {
        if (!run.systemType) {
            run.systemType.emplace(machine, run.record.SetupCancelled);
        }
        (void)machine.ui.ShowDialog(*run.systemType);
    }
    WriteIniKey(machine, "ZELMAIN.INI", "ZELMAIN", "ConfigPath", ConfigPathValue(run));
}

void WriteAirtalkerRegion(KorvexConfig& run) {
    Platform& machine = run.machine;
    switch (run.record.AirtalkerRegion) {
    case 1:
        WriteIniKey(machine, "NELK.INI", "Airtalker", "Region", "Europe");
        WriteIniKey(machine, "NELK.INI", "Airtalker", "Europe", "03FF000000");
        break;
    case 2:
        WriteIniKey(machine, "NELK.INI", "Airtalker", "Region", "Latin America");
        WriteIniKey(machine, "NELK.INI", "Airtalker", "Latin America", "0000007FE0");
        break;
    default:
        machine.log.Write("airtalker", "region " + std::to_string(run.record.AirtalkerRegion),
                          "nothing written");
        break;
    }
}

} // namespace korvex::frontend
