// The test machines every suite shares: the in-memory Windows with KORVEx registered and its
// package delivered, the distribution disc, old maps, an earlier pre-package installation; runs
// of the two programs as their entry points start them; and what a run showed and left.
//
//     memory::MemoryWindows windows;
//     testing::InstallKorvex(windows);          // C:\Apps\Control\, delivered files included
//     testing::InsertMiraDisc(windows, 'E');
//     windows.ui().Answer(Answer::Yes); ...
//     EXPECT_EQ(testing::RunFrontEnd(windows), 0) << testing::State(windows);
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "frontend/driver/KorvexConfig.h"
#include "platform/memory/MemoryWindows.h"
#include "platform/unattended/Session.h"

namespace korvex::testing {

inline constexpr std::string_view kInstallDir = "C:\\Apps\\Control\\";
inline constexpr std::string_view kProductCode = "{11111111-2222-3333-4444-555555555555}";

// KORVEx registered with the Windows Installer under the upgrade code, its main program at
// installDir + "korvex.exe" (installDir ends in "\"), and nothing else.
void RegisterKorvex(memory::MemoryWindows& windows, std::string_view installDir = kInstallDir,
                    std::string_view version = "7.1.0.0", std::string_view name = "KORVEx",
                    std::string_view productCode = kProductCode);

// What the package delivers besides the registration: the main program, the map tree
// TELMIMAP (S01\studio\shipped.map) and FIRMWARE (frame.bin) in the installation directory,
// "csuinfo.new" and "cnetio.new" there, "zelmain.new", "hosts.ymv" and "services.ymv" in the
// Windows directory; and the directory system32\drivers\etc that every Windows has.
void DeliverPackage(memory::MemoryWindows& windows, std::string_view installDir = kInstallDir);

// RegisterKorvex and DeliverPackage.
void InstallKorvex(memory::MemoryWindows& windows, std::string_view installDir = kInstallDir);

// A CD-ROM drive holding "Mira Maps" with the six map sets: in each "<name>.mm1" and
// "layers\base.lay", whose bytes name the set and file.
void InsertMiraDisc(memory::MemoryWindows& windows, char drive = 'E', bool mediaPresent = true);

// Old CCF maps: C:\MAP\one.ccf and C:\MAP\site\two.ccf.
void PutOldMaps(memory::MemoryWindows& windows);

// An earlier pre-package installation in <drive>:\korvex: its programs, netio.ini, six .cfg
// files (msginfo.cfg and msgfilt.cfg among them), studio.4kr, studio.4kp, notes.doc, and
// TCPIP\a.tcp; with the Start-menu and desktop shortcuts in the Windows directory.
void PutEarlierInstallation(memory::MemoryWindows& windows, char drive = 'C');
// The configuration files of that installation, which must never be lost.
std::vector<std::string> EarlierConfigurationFiles();

// Front-end answers for whole runs: both map steps, systems 1 and 10 get the Mira sets, Yes to
// every question.
inline constexpr const char* kFrontEndAnswers =
    "[VarenInstall]\nOverwriteCsuinfo=Yes\nOverwriteCnetio=Yes\nOverwriteZelmain=Yes\n"
    "UpdateKorvexSettings=Yes\nUseCcfMaps=Yes\nContinueIntoExistingMaps=Yes\nCopyMiraMaps=Yes\n"
    "OverwriteMap=Yes\nUpdateYmvSettings=Yes\nAirtalkerRegion=2\n"
    "[KORVExConf]\nButton=OK\nConnection=Ethernet\nMaps=Convert\nCopyMira=Yes\n"
    "[SystemType]\nButton=OK\nSystem3=Mira\n[MiraCopy]\nButton=OK\nSystems=1,10\n";

// The machine's services as a program's entry point takes them.
unattended::Services ServicesOf(memory::MemoryWindows& windows);

// A whole unattended run of a program on the machine, as its entry point starts it: the
// answer file is put at C:\answers.ini, the log written to C:\run.log (read back into `log`).
int RunFrontEnd(memory::MemoryWindows& windows, std::string_view answers,
                std::string* log = nullptr);
int RunUpgradePrep(memory::MemoryWindows& windows, std::string_view answers,
                   std::string_view commandLine = "upgradeprep.exe 7.1.0.0",
                   std::string* log = nullptr);

// What a run showed, in order: a question by its prompt ("OverwriteCsuinfo"), another message
// as its title and text ("Warning: no CCF Maps To Copy"), a dialog as "[KORVExConf]".
std::vector<std::string> Shown(const memory::MemoryWindows& windows);
// The texts of the warnings shown (OK alone, warning icon).
std::vector<std::string> Warnings(const memory::MemoryWindows& windows);
// What the run showed, then the whole machine: for failure messages.
std::string State(const memory::MemoryWindows& windows);
// A file's bytes, or "<missing>".
std::string File(const memory::MemoryWindows& windows, std::string_view path);

// The machine's services with an action log kept on a machine of its own, so that the log's
// writes are neither counted nor failed: for tests that read what a run logged.
class LoggedPlatform {
public:
    explicit LoggedPlatform(memory::MemoryWindows& windows, std::string program = "VarenInstall");
    platform::Platform& platform() { return platform_; }
    std::string Log() const { return File(logBook_, "C:\\run.log"); }

private:
    memory::MemoryWindows logBook_;
    platform::Log log_;
    platform::Platform platform_;
};

// A front-end run on a fresh machine with KORVEx installed, for the tests of single steps: the
// run's context as start-up fills it for kInstallDir.
class FrontEndTest : public ::testing::Test {
protected:
    FrontEndTest();
    std::string State() const { return testing::State(windows); }

    memory::MemoryWindows windows;
    frontend::KorvexConfig run{windows.platform()};
};

} // namespace korvex::testing
