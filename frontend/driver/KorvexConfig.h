// The front end's entry procedure and the run's state: the installation context, the shared
// configuration record, and the start-up queries (installed product, Windows version, time).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/dialogs/KORVExConf.h"
#include "frontend/dialogs/SystemType.h"
#include "frontend/driver/FailedChanges.h"
#include "frontend/maps/MiraCopy.h"
#include "platform/Error.h"
#include "platform/Platform.h"
#include "product/Korvex.h"

namespace korvex::frontend {

// Computed once at start-up, read by every later step.
struct InstallationContext {
    std::string InstallDir;  // ends in a backslash: "C:\Apps\Control\"
    std::string InstallRoot; // "C:\"
    std::string WindowsDir;  // no trailing backslash: "C:\WINNT"
    std::string BackupStamp; // "140533"
};

// Shared between the driver and the dialogs for the whole run.
struct ConfigurationRecord {
    bool SetupCancelled = false;
    int AirtalkerRegion = 0; // 1 Europe, 2 Latin America, anything else writes nothing
};

// Process exit codes of the front end.
namespace exit_code {
constexpr int kCompleted = 0;
constexpr int kCancelled = 1602;    // ended by Cancel in a settings dialog
constexpr int kFailed = 1603;       // stopped by a failure or an unanswered question
constexpr int kNotInstalled = 1605; // no installed KORVEx found
} // namespace exit_code

// One run of the front end, owned by the entry point and passed to every step.
struct KorvexConfig {
    explicit KorvexConfig(platform::Platform& services)
        : watchedFiles(services.files, failedChanges),
          watchedProfile(services.profile, failedChanges), machine{
                                                               watchedFiles,       watchedProfile,
                                                               services.installer, services.system,
                                                               services.ui,        services.log,
                                                               services.progress} {}
    // The dialogs hold references into the run, so a run is never copied.
    KorvexConfig(const KorvexConfig&) = delete;
    KorvexConfig& operator=(const KorvexConfig&) = delete;

    // Every change of the run that failed, in order (a failed step that changed nothing, such
    // as a listing of a tree to copy, is added by the step).
    FailedChanges failedChanges;
    WatchedFileSystem watchedFiles;
    WatchedProfile watchedProfile;
    // The machine as the steps see it: its services, with the failed changes remembered.
    platform::Platform machine;
    InstallationContext context;
    ConfigurationRecord record;
    // The dialogs, each created on its first use and kept to the end of the run, so that its
    // result fields can be read after its window has closed.
    std::optional<KORVExConf> korvexConf;
    std::optional<SystemType> systemType;
    std::optional<MiraCopy> miraCopy;
    // The held files that could not be moved back, each "name: why", once the holding
    // directory has been restored from; its removal waits for the end of the run.
    std::optional<std::vector<std::string>> heldNotMoved;
};

// The full path of the installed main program, found through the products that carry the
// upgrade code: the first whose "InstalledProductName" is exactly "KORVEx" gives its main
// program component's path. Empty when no product matches; a failure when the Windows
// Installer cannot be queried.
Result<std::string> InstalledProgramPath(platform::Platform& machine);

// 0 unrecognised, 1 Windows 95, 2 Windows 98 and later of that family, 3 NT 3.x, 4 NT 4.0,
// 5 NT 5.0 and later, 6 the version query failed.
int OsVersionCode(platform::SystemInfo& system);

// Whether the search for the path finds an entry that is neither a directory nor hidden nor
// system.
bool FileExists(platform::FileSystem& files, std::string_view path);

// "hhmmss" of a local time.
std::string BackupStamp(const platform::LocalTime& time);

// Runs the installation steps in their fixed order and returns the process exit code. When any
// change failed, the run ends with one warning listing them and exit code 1603.
int Main(KorvexConfig& run);

// A message box with the OK button alone and the warning icon, titled "VarenInstall", for the
// failures the run reports and goes on after.
void ShowWarning(platform::Platform& machine, std::string text);

// A tree copy of a step stopped: a failure that changed nothing (a listing, an attribute
// query, a refusal of a link) is added to the run's failed changes, as the failed copy or directory
// creation is.
void NoteStoppedCopy(KorvexConfig& run, const WinError& failure);

} // namespace korvex::frontend
