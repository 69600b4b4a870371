// The upgrade preparation tool's procedures over the platform interfaces.
#include "upgradeprep/UpgradePrep.h"

#include <algorithm>
#include <climits>
#include <set>
#include <utility>
#include <vector>

#include "platform/Trust.h"
#include "platform/unattended/Switches.h"

namespace korvex::upgradeprep {

using platform::Answer;
using platform::DirectoryEntry;
using platform::FileSystem;
using platform::Platform;

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads one number as "%d" does, from `pos`: blanks, an optional sign, at least one digit.
// Moves `pos` past it and answers true, or answers false and leaves `pos` alone.
bool ReadNumber(std::string_view text, std::size_t& pos, int& number) {
    std::size_t i = pos;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t digits = i;
    // Clamped as it grows, so a long run of digits cannot overflow.
    constexpr long long kCeiling = static_cast<long long>(INT_MAX) + 1;
    long long value = 0;
    while (i < text.size() && IsDigit(text[i])) {
        value = std::min(value * 10 + (text[i] - '0'), kCeiling);
        ++i;
    }
    if (i == digits) {
        return false;
    }
    if (negative) {
        value = -value;
    }
    number = static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
    pos = i;
    return true;
}

bool AskYes(Platform& machine, std::string text, std::string_view prompt) {
    platform::MessageBoxRequest request;
    request.text = std::move(text);
    request.title = std::string(kTitle);
    request.buttons = platform::Buttons::YesNo;
    request.icon = platform::Icon::None;
    request.prompt = std::string(prompt);
    return machine.ui.ShowMessage(request) == Answer::Yes;
}

// The entries of one search, read to its end and closed before the caller moves or deletes
// any of them: changing a directory while a Win32 search of it is open may make the search
// skip or repeat entries, depending on the file system. A search that finds nothing or cannot
// be made gives no entries; the failure itself is the file system's to report.
std::vector<DirectoryEntry> List(FileSystem& files, const std::string& pattern) {
    std::vector<DirectoryEntry> entries;
    auto search = files.Search(pattern);
    if (!search.ok()) {
        return entries;
    }
    while (auto entry = search.value()->Next()) {
        entries.push_back(std::move(*entry));
    }
    return entries;
}

// The entries that are files, for a step's number of files.
std::size_t CountFiles(const std::vector<DirectoryEntry>& entries) {
    return static_cast<std::size_t>(
        std::count_if(entries.begin(), entries.end(), [](const DirectoryEntry& entry) {
            return !platform::IsDirectory(entry.attributes);
        }));
}

// The configuration files of the deletion list are the ones the preservation moves into the
// holding directory: netio.ini (held as cnetio.ini) and the *.cfg files.
constexpr std::string_view kNetworkSettings = "netio.ini";
constexpr std::string_view kHeldNetworkSettings = "cnetio.ini";

bool IsConfigurationFile(std::string_view listedName) {
    return listedName == kNetworkSettings || listedName.ends_with(".cfg");
}

std::string_view HeldName(std::string_view listedName) {
    return listedName == kNetworkSettings ? kHeldNetworkSettings : listedName;
}

// The names (case folded) of the files, not directories, that a pattern lists.
std::set<std::string> FileNames(FileSystem& files, const std::string& pattern) {
    std::set<std::string> names;
    for (const DirectoryEntry& entry : List(files, pattern)) {
        if (!platform::IsDirectory(entry.attributes)) {
            names.insert(platform::FoldName(entry.name));
        }
    }
    return names;
}

std::string ProgramDirectory(std::string_view root) {
    return std::string(root) + "korvex\\";
}

std::string HoldingDirectory(std::string_view root) {
    return std::string(root) + std::string(product::kHoldingDirectory);
}

// Writes the installed version string to "up.ok" in the directory of the main program, whose
// path the component query gave; without a usable path no marker is written.
void WriteMarker(Platform& machine, const Result<std::string>& componentPath,
                 std::string_view versionString) {
    if (!componentPath.ok()) {
        machine.log.Write("marker file", kMarkerFileName,
                          "not written: the main program's path is unknown: " +
                              componentPath.error().Describe());
        return;
    }
    const std::string& path = componentPath.value();
    if (path.size() < product::kMainProgram.size()) {
        machine.log.Write("marker file", kMarkerFileName,
                          "not written: the main program's path \"" + path +
                              "\" is shorter than korvex.exe");
        return;
    }
    const std::string marker =
        path.substr(0, path.size() - product::kMainProgram.size()) + std::string(kMarkerFileName);
    const Status written = machine.files.WriteFile(marker, versionString);
    machine.log.Write("marker file", marker,
                      written.ok() ? "written: " + std::string(versionString)
                                   : "not written: " + written.Describe());
}

} // namespace

std::string NewVersionText(std::string_view commandLine) {
    return std::string(commandLine.substr(unattended::ArgumentsStart(commandLine)));
}

VersionNumbers ParseVersion(std::string_view versionString) {
    VersionNumbers version;
    int* const numbers[] = {&version.major, &version.minor, &version.build, &version.revision};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < std::size(numbers); ++i) {
        if (i > 0) {
            if (pos >= versionString.size() || versionString[pos] != '.') {
                break;
            }
            ++pos;
        }
        if (!ReadNumber(versionString, pos, *numbers[i])) {
            break;
        }
    }
    return version;
}

char VersionLetter(long long n) {
    const long long code = ((64 + n) % 128 + 128) % 128;
    return static_cast<char>(code);
}

std::string UpgradeQuestion(std::string_view installedVersion, std::string_view newVersionText) {
    const VersionNumbers v = ParseVersion(installedVersion);
    std::string question = "Upgrade KORVEx from version ";
    const auto numbered = [&question](int major, int minor, char letter) {
        question += std::to_string(major);
        question += '.';
        question += std::to_string(minor);
        question += letter;
    };
    if (v.major == 6) {
        if (v.build == 26) {
            question += "6.0w(b)";
        } else if (v.build == 27) {
            question += "6.0w(c)";
        } else if (v.build == 28) {
            question += "6.0w(d)";
        } else if (v.build <= 17) {
            numbered(6, v.minor, VersionLetter(14));
        } else if (v.build <= 22) {
            numbered(6, v.minor, VersionLetter(v.build));
        } else {
            // From build 23 on the letter is that of the build before: 22 and 23 both show V.
            numbered(6, v.minor, VersionLetter(static_cast<long long>(v.build) - 1));
        }
    } else if (v.major == 7) {
        numbered(7, 0, VersionLetter(v.minor != 0 ? v.minor : v.build));
    } else {
        // No letter scheme is known for other major versions: name the version as installed.
        question += installedVersion;
    }
    question += " to version ";
    question += newVersionText;
    return question;
}

std::optional<std::string> FindRegisteredProduct(Platform& machine) {
    for (std::uint32_t index = 0;; ++index) {
        auto product = machine.installer.EnumProducts(index);
        if (!product.ok()) {
            // Any failure of the enumeration ends it, as its end does.
            machine.log.Write("registered product", std::to_string(index),
                              "enumeration ended: " + product.error().Describe());
            return std::nullopt;
        }
        if (!product.value()) {
            machine.log.Write("registered product", product::kProductName, "none");
            return std::nullopt;
        }
        const std::string& code = *product.value();
        // A product whose name cannot be read does not match.
        auto name = machine.installer.ProductInfo(code, "InstalledProductName");
        if (name.ok() && name.value() == product::kProductName) {
            machine.log.Write("registered product", product::kProductName, "found: " + code);
            return code;
        }
    }
}

int UpgradeRegisteredProduct(Platform& machine, std::string_view productCode,
                             std::string_view newVersionText) {
    auto version = machine.installer.ProductInfo(productCode, "VersionString");
    std::string versionString;
    if (version.ok()) {
        versionString = std::move(version.value());
    } else {
        machine.log.Write("installed version", productCode,
                          "unknown, taken as empty: " + version.error().Describe());
    }
    const Result<std::string> componentPath =
        machine.installer.ComponentPath(productCode, product::kMainProgramComponent);

    if (!AskYes(machine, UpgradeQuestion(versionString, newVersionText), kUpgradePrompt)) {
        machine.log.Write("upgrade", versionString, "declined");
        return kExitUpgradeDeclined;
    }
    WriteMarker(machine, componentPath, versionString);
    return kExitDone;
}

void DeleteShortcuts(Platform& machine) {
    auto windows = machine.files.WindowsDirectory();
    if (!windows.ok()) {
        machine.log.Write("shortcuts", "", "not deleted: " + windows.error().Describe());
        return;
    }
    // Here and in the preservation and deletion below, every file operation is tried once and
    // the run goes on whatever its outcome: its answer to the installation is its exit code.
    // With KORVEX_LOG set, the logging layer writes each operation's outcome, a failure with
    // its Windows error.
    const std::string startMenu = windows.value() + "\\start menu\\programs\\korvex\\";
    for (const DirectoryEntry& entry : List(machine.files, startMenu + "*.lnk")) {
        (void)machine.files.DeleteFile(startMenu + entry.name);
    }
    const std::string desktop = windows.value() + "\\desktop\\";
    for (const DirectoryEntry& entry : List(machine.files, desktop + "korvex*.lnk")) {
        (void)machine.files.DeleteFile(desktop + entry.name);
    }
}

std::optional<std::string> FindEarlierInstallation(Platform& machine) {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string root{letter, ':', '\\'};
        if (machine.files.GetDriveType(root) != platform::DriveType::Fixed) {
            continue;
        }
        const std::string mainProgram = ProgramDirectory(root) + "korvex.exe";
        bool found = false;
        if (auto search = machine.files.Search(mainProgram); search.ok()) {
            const auto entry = search.value()->Next();
            found = entry && !platform::IsDirectory(entry->attributes);
        }
        machine.log.Write("earlier installation", root,
                          found ? "found: " + mainProgram : std::string("none"));
        if (found) {
            return root;
        }
    }
    return std::nullopt;
}

Status CheckEarlierInstallation(Platform& machine, std::string_view root, bool keep) {
    FileSystem& files = machine.files;
    // The program directory and its TCPIP folder, where files are deleted, and the holding
    // directory, where they are kept: any user may have made a link of them, or made the holding
    // directory with files of their own.
    if (Status linked = platform::RefuseLinks(files, ProgramDirectory(root) + "TCPIP");
        !linked.ok()) {
        return linked;
    }
    if (keep && files.GetAttributes(HoldingDirectory(root)).ok()) {
        return platform::RefuseUnprotected(files, HoldingDirectory(root));
    }
    return Status();
}

Status PreserveConfiguration(Platform& machine, std::string_view root) {
    FileSystem& files = machine.files;
    const std::string program = ProgramDirectory(root);
    const std::string holding = HoldingDirectory(root) + "\\";

    // Made for the administrators alone. A holding directory left by an earlier run is used as
    // found, once it has shown that nobody else could have changed it (it may have been made
    // since the check, too).
    if (!files.CreateProtectedDirectory(HoldingDirectory(root)).ok()) {
        if (Status trusted = platform::RefuseUnprotected(files, HoldingDirectory(root));
            !trusted.ok()) {
            return trusted;
        }
    }
    // The three kinds of configuration files are listed before the first move, so that the
    // step knows its number of files; the last pass lists again, for what is left.
    const std::vector<DirectoryEntry> configuration = List(files, program + "*.cfg");
    const std::vector<DirectoryEntry> routes = List(files, program + "*.4kr");
    const std::vector<DirectoryEntry> panels = List(files, program + "*.4kp");
    platform::ProgressStep step(
        machine.progress, "Keeping the configuration files in " + HoldingDirectory(root),
        1 + CountFiles(configuration) + CountFiles(routes) + CountFiles(panels));
    machine.progress.Next(program + std::string(kNetworkSettings));
    (void)files.MoveFile(program + std::string(kNetworkSettings),
                         holding + std::string(kHeldNetworkSettings));

    const auto moveMatching = [&](const std::vector<DirectoryEntry>& entries,
                                  bool exceptMessageFiles) {
        for (const DirectoryEntry& entry : entries) {
            // The holding directory is flat: it takes files only.
            if (platform::IsDirectory(entry.attributes)) {
                continue;
            }
            // A link would bring whatever it leads to into the installation directory.
            if (platform::IsLink(entry.attributes)) {
                machine.log.Write("configuration file", program + entry.name,
                                  "not kept: a link, which a user may have made");
                continue;
            }
            // Exact comparison: MSGINFO.CFG in capitals goes with the first pass.
            if (exceptMessageFiles &&
                (entry.name == "msginfo.cfg" || entry.name == "msgfilt.cfg")) {
                continue;
            }
            machine.progress.Next(program + entry.name);
            (void)files.MoveFile(program + entry.name, holding + entry.name);
        }
    };
    moveMatching(configuration, true);
    moveMatching(routes, false);
    moveMatching(panels, false);
    // Again, without exceptions: the two message files go last, and a file whose first move
    // failed gets a second chance.
    moveMatching(List(files, program + "*.cfg"), false);
    return Status();
}

void DeleteEarlierVersion(Platform& machine, std::string_view root, bool keptConfiguration) {
    FileSystem& files = machine.files;
    const std::string program = ProgramDirectory(root);

    // When the user asked to keep the configuration files, one that is not in the holding
    // directory could not be moved there and must survive in the program directory. When the
    // holding directory cannot be listed, nothing counts as held and every one survives.
    std::set<std::string> held;
    std::set<std::string> present;
    if (keptConfiguration) {
        held = FileNames(files, HoldingDirectory(root) + "\\*.*");
        present = FileNames(files, program + "*.*");
    }

    const std::vector<DirectoryEntry> tcpipFiles = List(files, program + "TCPIP\\*.*");
    platform::ProgressStep step(machine.progress,
                                "Deleting the earlier version from " +
                                    program.substr(0, program.size() - 1),
                                kDeletionList.size() + CountFiles(tcpipFiles));
    for (std::string_view name : kDeletionList) {
        machine.progress.Next(program + std::string(name));
        if (keptConfiguration && IsConfigurationFile(name) &&
            !held.contains(std::string(HeldName(name)))) {
            if (present.contains(std::string(name))) {
                machine.log.Write("configuration file", program + std::string(name),
                                  "kept: it could not be moved to " + HoldingDirectory(root));
            }
            continue;
        }
        // The main program goes last (below): while it is there, a run stopped dead half-way
        // is found again by the next run, which then finishes the deletion.
        if (name != "korvex.exe") {
            (void)files.DeleteFile(program + std::string(name));
        }
    }

    // Only ordinary files go, whatever their archive and storage bits: read-only, hidden and
    // system files, directories and links stay.
    const std::string tcpip = program + "tcpip\\";
    for (const DirectoryEntry& entry : tcpipFiles) {
        if (!platform::IsDirectory(entry.attributes)) {
            machine.progress.Next(tcpip + entry.name);
        }
        if (platform::IsOrdinaryFile(entry.attributes)) {
            (void)files.DeleteFile(tcpip + entry.name);
        }
    }
    (void)files.DeleteFile(program + "korvex.exe");
}

namespace {

// An earlier installation left as it is because a folder of it cannot be trusted: the log and a
// message say which folder and what to do, and the installation is told it failed.
int Refuse(Platform& machine, std::string_view root, const WinError& refusal) {
    machine.log.Write("refuse", refusal.path,
                      refusal.Describe() + " The earlier installation in " +
                          ProgramDirectory(root) + " is left as it is; exit code 1603");
    platform::MessageBoxRequest request;
    request.text = "The earlier installation in " + ProgramDirectory(root) +
                   " was left as it is:\n" + refusal.path + ": " + refusal.Describe() +
                   "\nCheck that folder, remove it (after saving any files you want to keep) and "
                   "run the installation again.";
    request.title = std::string(kTitle);
    request.buttons = platform::Buttons::Ok;
    request.icon = platform::Icon::Warning;
    (void)machine.ui.ShowMessage(request);
    return kExitStopped;
}

} // namespace

int SearchAndDeleteEarlierVersions(Platform& machine) {
    if (!AskYes(machine, std::string(kAnnouncementText), kAnnouncementPrompt)) {
        machine.log.Write("search and delete", "", "declined");
        return kExitSearchDeclined;
    }
    // The search only reads: the folders the run changes are checked before anything changes,
    // shortcuts included.
    const std::optional<std::string> root = FindEarlierInstallation(machine);
    if (!root) {
        DeleteShortcuts(machine);
        return kExitDone;
    }
    const bool keep = AskYes(machine, std::string(kKeepQuestionText), kKeepPrompt);
    machine.log.Write("configuration files", ProgramDirectory(*root),
                      keep ? "keep in " + HoldingDirectory(*root) : std::string("delete"));
    if (Status safe = CheckEarlierInstallation(machine, *root, keep); !safe.ok()) {
        return Refuse(machine, *root, safe.error());
    }
    DeleteShortcuts(machine);
    if (keep) {
        if (Status kept = PreserveConfiguration(machine, *root); !kept.ok()) {
            return Refuse(machine, *root, kept.error());
        }
    }
    DeleteEarlierVersion(machine, *root, keep);
    return kExitDone;
}

int RunUpgradePrep(Platform& machine, std::string_view commandLine) {
    const std::string newVersionText = NewVersionText(commandLine);
    try {
        if (const std::optional<std::string> product = FindRegisteredProduct(machine)) {
            return UpgradeRegisteredProduct(machine, *product, newVersionText);
        }
        return SearchAndDeleteEarlierVersions(machine);
    } catch (const platform::RunStopped& stopped) {
        // A question that could not be answered (an answer file without the answer) stops the
        // run where it stands: nothing is guessed, and the installation is told it failed.
        machine.log.Write("stop", stopped.what(), "exit code 1603");
        return kExitStopped;
    }
}

} // namespace korvex::upgradeprep
