// The upgrade preparation tool: asks to upgrade a product registered with the Windows
// Installer and leaves the marker file "up.ok", or searches the fixed drives for an earlier,
// unregistered installation, keeps its configuration files in "tmptelm" and deletes its files.
//
// The tool talks to the machine only through the platform interfaces and answers the
// installation that started it through its exit code.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"
#include "product/AnswerFile.h"
#include "product/Korvex.h"

namespace korvex::upgradeprep {

// Exit codes, the Windows error codes of the same meaning.
constexpr int kExitDone = 0;               // ERROR_SUCCESS: the run completed
constexpr int kExitSearchDeclined = 259;   // ERROR_NO_MORE_ITEMS: No to the announcement
constexpr int kExitUpgradeDeclined = 1602; // ERROR_INSTALL_USEREXIT: No to the upgrade
constexpr int kExitStopped = 1603;         // ERROR_INSTALL_FAILURE: an unanswered question

inline constexpr std::string_view kMarkerFileName = "up.ok";

// Every message box of the tool has this title, Yes and No buttons and no icon.
inline constexpr std::string_view kTitle = "KORVEX";
inline constexpr std::string_view kAnnouncementText =
    "The installer will now search for and DELETE\nany previous versions of KORVEx\n"
    "Do you wish to continue";
inline constexpr std::string_view kKeepQuestionText =
    "A previous version of KORVEX has been detected\n Do you wish to keep your confiuration "
    "files";
// Names of the three questions in answer files and the log.
inline constexpr std::string_view kUpgradePrompt = product::question::kUpgrade;
inline constexpr std::string_view kAnnouncementPrompt = product::question::kSearchAndDelete;
inline constexpr std::string_view kKeepPrompt = product::question::kKeepConfiguration;

// The earlier version's files, deleted from its program directory in this order: programs,
// libraries, help files, configuration files, then data, text and control files.
inline constexpr std::array<std::string_view, 41> kDeletionList = {
    "wendrel.exe",  "korvex.exe",    "korvexzip.exe", "pellory.exe",  "ostane.exe",
    "setup1.exe",   "zelconfm.dll",  "zeldccm.dll",   "zeldelgm.dll", "zelhmon.dll",
    "zelifb.dll",   "zellib.dll",    "zelpanlm.dll",  "zelroutm.dll", "zelsysm.dll",
    "fzelconf.dll", "vrel3anim.dll", "vrel3ctnt.dll", "quenlink.dll", "korvex.gid",
    "korvex.hlp",   "common.cfg",    "conf.cfg",      "csuinfo.cfg",  "delg.cfg",
    "fconf.cfg",    "gpi.cfg",       "hardware.cfg",  "ifb.cfg",      "layout.cfg",
    "msgfilt.cfg",  "msginfo.cfg",   "panel.cfg",     "route.cfg",    "sysmsg.cfg",
    "netio.ini",    "ivb.ntz",       "extra.txt",     "readme.txt",   "grid.vbx",
    "spread20.vbx",
};

// The new version's text: the command line after the program's name (a quoted name up to
// its closing quote, otherwise up to the first character below '!') and after the blanks and
// control characters that follow it. Never parsed; taken whole whatever its length.
std::string NewVersionText(std::string_view commandLine);

// The numbers of an installed version string "major.minor.build.revision", read the way
// "%d.%d.%d.%d" reads them: leading blanks and a sign are accepted, reading stops at the
// first number that is missing or malformed, and every number not read counts as 0. Numbers
// beyond the range of int are clamped to it.
struct VersionNumbers {
    int major = 0;
    int minor = 0;
    int build = 0;
    int revision = 0;
    friend bool operator==(const VersionNumbers&, const VersionNumbers&) = default;
};
VersionNumbers ParseVersion(std::string_view versionString);

// The version letter: the character whose code is 64 + n modulo 128 (1 is 'A', 14 is 'N').
char VersionLetter(long long n);

// The upgrade question for an installed version string and the new version's text:
// "Upgrade KORVEx from version 6.0W to version <new>" and its family. An installed major
// version other than 6 and 7 names the installed version string itself.
std::string UpgradeQuestion(std::string_view installedVersion, std::string_view newVersionText);

// The product code of the first registered product whose installed name is exactly
// "KORVEx", or nothing when the enumeration ends without one.
std::optional<std::string> FindRegisteredProduct(platform::Platform& machine);

// Upgrade of a registered product: asks the upgrade question and, on Yes, writes the
// installed version string to "up.ok" beside the product's main program. Returns 0 after
// Yes, 1602 after No.
int UpgradeRegisteredProduct(platform::Platform& machine, std::string_view productCode,
                             std::string_view newVersionText);

// Search and delete when no product is registered: announcement, drive search, keep question,
// the check of the folders it will change, shortcuts, preservation and deletion. Returns 259
// after No to the announcement, 1603 when a folder is refused (nothing changed), 0 otherwise.
int SearchAndDeleteEarlierVersions(platform::Platform& machine);

// The pieces of the search and delete, in the order it runs them.

// Deletes the entries of "<windows>\start menu\programs\korvex\*.lnk" and of
// "<windows>\desktop\korvex*.lnk". The folders stay.
void DeleteShortcuts(platform::Platform& machine);

// The root ("C:\") of the first fixed drive, A to Z, that holds "korvex\korvex.exe".
std::optional<std::string> FindEarlierInstallation(platform::Platform& machine);

// Whether the earlier installation in "<root>korvex" may be changed with the program's rights:
// neither its folder nor its TCPIP folder is a link, and, when the configuration is to be kept,
// a holding directory that exists already is one nobody but the administrators could have
// changed (platform::RefuseUnprotected). Otherwise the refusal, which names the folder.
[[nodiscard]] Status CheckEarlierInstallation(platform::Platform& machine, std::string_view root,
                                              bool keep);

// Moves the configuration files of "<root>korvex" into "<root>tmptelm", made for the
// administrators alone (or an existing one that passes the same test): netio.ini as
// cnetio.ini, the *.cfg files but msginfo.cfg and msgfilt.cfg, the *.4kr and *.4kp files, and
// the *.cfg files once more, so that the two message files go last. Links are not moved. A move
// never replaces a file already held; every failure of a move is left as it is. A holding
// directory that fails the test is refused before anything is moved.
[[nodiscard]] Status PreserveConfiguration(platform::Platform& machine, std::string_view root);

// Deletes the files of the deletion list from "<root>korvex", in order, then the entries of
// "<root>korvex\TCPIP" whose attributes are the archive bit alone. With keptConfiguration (the
// user asked to keep the configuration files), a configuration file of the list is deleted
// only when the holding directory has a file of its held name; otherwise it stays where it
// is, since it could not be held. No directory is removed.
void DeleteEarlierVersion(platform::Platform& machine, std::string_view root,
                          bool keptConfiguration);

// The whole run for a process command line; returns the exit code (0, 259 or 1602). A
// question the user interface cannot answer (platform::RunStopped: an answer file without the
// answer) stops the run at that point with 1603.
int RunUpgradePrep(platform::Platform& machine, std::string_view commandLine);

} // namespace korvex::upgradeprep
