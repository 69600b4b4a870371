// The failure sweep: each main scenario runs once to count its platform operations, then once
// more for every operation and every error that operation can meet, failing just that one.
// Every run must end, report the failure, run no step twice, keep every configuration file and
// leave every INI file readable.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "frontend/driver/Entry.h"
#include "frontend/driver/KorvexConfig.h"
#include "platform/memory/MemoryWindows.h"
#include "platform/unattended/AnswerFileUserInterface.h"
#include "platform/unattended/Logging.h"
#include "product/Korvex.h"
#include "upgradeprep/Entry.h"
#include "upgradeprep/UpgradePrep.h"

namespace korvex {
namespace {

using memory::MemoryWindows;
using memory::Operation;

// The errors each kind of operation can meet.
std::vector<std::uint32_t> ErrorsOf(Operation kind) {
    switch (kind) {
    case Operation::CopyFile:
    case Operation::MoveFile:
    case Operation::WriteFile:
    case Operation::AppendFile:
    case Operation::CreateDirectory:
    case Operation::WriteProfileString:
    case Operation::SetAttributes:
        return {win::kAccessDenied, win::kSharingViolation, win::kDiskFull, win::kPathNotFound,
                win::kNotReady};
    case Operation::RelatedProducts:
    case Operation::EnumProducts:
    case Operation::ProductInfo:
    case Operation::ComponentPath:
        return {win::kInstallServiceFailure, win::kAccessDenied};
    case Operation::Version:
    case Operation::LogicalDrives:
    case Operation::GetDriveType:
    case Operation::Now:
        return {win::kAccessDenied};
    default:
        return {win::kAccessDenied, win::kSharingViolation, win::kPathNotFound, win::kNotReady};
    }
}

// Failures that say "not there": a search or query that meets one answers as if the thing
// were missing, which is what the run is built to expect, so no report is owed.
bool MeansNotThere(Operation kind, std::uint32_t code) {
    const bool query = kind == Operation::Search || kind == Operation::SearchNext ||
                       kind == Operation::GetAttributes || kind == Operation::GetShortPathName;
    return query && (code == win::kPathNotFound || code == win::kFileNotFound);
}

// Queries whose failure has a fixed meaning the run acts on: no drives, a drive of unknown
// type, version code 6, the clock (which cannot fail), no installed product.
bool FailureHasAMeaning(Operation kind) {
    return kind == Operation::LogicalDrives || kind == Operation::GetDriveType ||
           kind == Operation::Version || kind == Operation::Now ||
           kind == Operation::RelatedProducts || kind == Operation::EnumProducts ||
           kind == Operation::ProductInfo || kind == Operation::ComponentPath;
}

// Every line of an INI file is blank, a comment, a section header or a key=value pair.
bool Readable(const std::string& bytes) {
    std::istringstream lines(bytes);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == ';' || (line[0] == '[' && line.back() == ']') ||
            line.find('=') != std::string::npos) {
            continue;
        }
        return false;
    }
    return true;
}

struct Outcome {
    int exitCode = 0;
    std::string log;      // the run's log
    std::string messages; // every message box's text
};

struct Scenario {
    std::string name;
    std::function<void(MemoryWindows&)> prepare;
    std::function<Outcome(MemoryWindows&)> run;
    // The configuration files that must still exist after any run, each with the places it
    // may be found in.
    std::vector<std::vector<std::string>> kept;
    std::vector<std::string> iniFiles;
    std::set<int> exitCodes;
};

// Runs `body` with the machine's services behind the logging layer, the log itself kept on a
// machine of its own so that its writes are neither counted nor failed.
Outcome Logged(MemoryWindows& windows, const std::string& answers, const std::string& questions,
               const std::function<int(platform::Platform&)>& body) {
    MemoryWindows logBook;
    platform::Log log(logBook.files(), logBook.system(), questions, "C:\\run.log");
    std::string error;
    auto parsed = unattended::AnswerFile::Parse(answers,
                                                questions == "upgradeprep"
                                                    ? upgradeprep::UpgradePrepAnswerSchema()
                                                    : frontend::VarenInstallAnswerSchema(),
                                                error);
    EXPECT_TRUE(parsed) << error;
    unattended::AnswerFileUserInterface answering(*parsed, questions);
    unattended::LoggingFileSystem files(windows.files(), log);
    unattended::LoggingProfile profile(windows.profile(), log);
    unattended::LoggingUserInterface ui(answering, log);
    platform::Platform machine{files, profile, windows.installer(), windows.system(), ui, log};
    Outcome outcome;
    outcome.exitCode = body(machine);
    outcome.log = logBook.Contents("C:\\run.log").value_or("");
    return outcome;
}

void AddKorvex(MemoryWindows& windows, const std::string& version, const std::string& program) {
    memory::InstalledProduct product;
    product.productCode = "{11111111-2222-3333-4444-555555555555}";
    product.upgradeCode = std::string(product::kUpgradeCode);
    product.properties["InstalledProductName"] = "KORVEx";
    product.properties["VersionString"] = version;
    product.componentPaths[std::string(product::kMainProgramComponent)] = program;
    windows.AddProduct(product);
    windows.PutFile(program, "MZ");
}

const char* kFrontEndAnswers = "[VarenInstall]\r\n"
                               "OverwriteCsuinfo=Yes\r\nOverwriteCnetio=Yes\r\n"
                               "OverwriteZelmain=Yes\r\nUpdateKorvexSettings=Yes\r\n"
                               "UseCcfMaps=Yes\r\nContinueIntoExistingMaps=Yes\r\n"
                               "CopyMiraMaps=Yes\r\nOverwriteMap=Yes\r\nUpdateYmvSettings=Yes\r\n"
                               "[KORVExConf]\r\nButton=OK\r\nConnection=Ethernet\r\n"
                               "Maps=Convert\r\nCopyMira=Yes\r\n"
                               "[SystemType]\r\nButton=OK\r\nSystem3=Mira\r\nStackFromTop=5\r\n"
                               "[MiraCopy]\r\nButton=OK\r\nSystems=1,10\r\n";

void PrepareFrontEnd(MemoryWindows& windows, bool held) {
    windows.AddDrive('E', platform::DriveType::CdRom);
    AddKorvex(windows, "7.1.0.0", "C:\\Apps\\Control\\korvex.exe");
    windows.PutFile("C:\\Apps\\Control\\TELMIMAP\\maps.idx", "idx");
    windows.PutFile("C:\\Apps\\Control\\TELMIMAP\\Default\\default.map", "map");
    windows.PutFile("C:\\Apps\\Control\\FIRMWARE\\frame9u.bin", "fw");
    windows.PutFile("C:\\Apps\\Control\\csuinfo.cfg", "installed csuinfo");
    windows.PutFile("C:\\Apps\\Control\\csuinfo.new", "new csuinfo");
    windows.PutFile("C:\\Apps\\Control\\cnetio.new", "new cnetio");
    windows.PutFile("C:\\WINDOWS\\zelmain.new", "[ZELMAIN]\r\nFrames=15\r\n");
    windows.PutFile("C:\\WINDOWS\\ZELMAIN.INI", "[ZELMAIN]\r\nFrames=4\r\n");
    windows.PutFile("C:\\WINDOWS\\NELK.INI", "[Airtalker]\r\nEurope=03FF000000\r\n");
    windows.PutFile("C:\\WINDOWS\\hosts.ymv", "hosts");
    windows.PutFile("C:\\WINDOWS\\services.ymv", "services");
    windows.MakeDirectories("C:\\WINDOWS\\system32\\drivers\\etc");
    windows.PutFile("C:\\MAP\\one.ccf", "ccf");
    windows.PutFile("C:\\MAP\\site\\two.ccf", "ccf 2");
    const char* sets[] = {"studio", "studios", "news", "ob_map", "defmira", "Eng_test"};
    for (int i = 0; i < 6; ++i) {
        windows.PutFile("E:\\Mira Maps\\map_disk_" + std::to_string(i + 1) + "\\" + sets[i] + "\\" +
                            sets[i] + ".mm1",
                        sets[i]);
    }
    if (held) {
        windows.PutFile("C:\\tmptelm\\csuinfo.cfg", "held csuinfo");
        windows.PutFile("C:\\tmptelm\\cnetio.ini", "held cnetio");
    }
}

Outcome RunFrontEnd(MemoryWindows& windows) {
    return Logged(windows, kFrontEndAnswers, "VarenInstall", [](platform::Platform& machine) {
        frontend::KorvexConfig run(machine);
        run.record.AirtalkerRegion = 2;
        return frontend::Main(run);
    });
}

const char* kEarlierConfiguration[] = {"netio.ini",   "common.cfg", "csuinfo.cfg", "msginfo.cfg",
                                       "msgfilt.cfg", "site.4kr",   "site.4kp"};

void PrepareEarlier(MemoryWindows& windows) {
    windows.PutFile("C:\\korvex\\korvex.exe", "old");
    windows.PutFile("C:\\korvex\\zellib.dll", "old");
    for (const char* name : kEarlierConfiguration) {
        windows.PutFile(std::string("C:\\korvex\\") + name, name);
    }
    windows.PutFile("C:\\korvex\\TCPIP\\a.tcp", "tcp");
    windows.PutFile("C:\\WINDOWS\\start menu\\programs\\korvex\\KORVEx.lnk", "lnk");
    windows.PutFile("C:\\WINDOWS\\desktop\\korvex.lnk", "lnk");
}

Outcome RunUpgradePrep(MemoryWindows& windows, const std::string& answers) {
    return Logged(windows, answers, "upgradeprep", [](platform::Platform& machine) {
        return upgradeprep::RunUpgradePrep(machine, "upgradeprep.exe 7.1.0.0");
    });
}

std::vector<Scenario> Scenarios() {
    std::vector<Scenario> scenarios;
    scenarios.push_back({"front end restoring held files, both map steps",
                         [](MemoryWindows& w) { PrepareFrontEnd(w, true); },
                         RunFrontEnd,
                         {{"C:\\tmptelm\\csuinfo.cfg", "C:\\Apps\\Control\\csuinfo.cfg"},
                          {"C:\\tmptelm\\cnetio.ini", "C:\\Apps\\Control\\cnetio.ini"},
                          {"C:\\WINDOWS\\ZELMAIN.INI"},
                          {"C:\\WINDOWS\\NELK.INI"}},
                         {"C:\\WINDOWS\\NELK.INI", "C:\\WINDOWS\\ZELMAIN.INI"},
                         {frontend::exit_code::kCompleted, frontend::exit_code::kFailed,
                          frontend::exit_code::kNotInstalled}});
    scenarios.push_back({"front end offering the new files, both map steps",
                         [](MemoryWindows& w) { PrepareFrontEnd(w, false); },
                         RunFrontEnd,
                         {{"C:\\Apps\\Control\\csuinfo.cfg"},
                          {"C:\\Apps\\Control\\csuinfo.new"},
                          {"C:\\Apps\\Control\\cnetio.new"},
                          {"C:\\WINDOWS\\zelmain.new"},
                          {"C:\\WINDOWS\\ZELMAIN.INI"},
                          {"C:\\WINDOWS\\NELK.INI"}},
                         {"C:\\WINDOWS\\NELK.INI", "C:\\WINDOWS\\ZELMAIN.INI"},
                         {frontend::exit_code::kCompleted, frontend::exit_code::kFailed,
                          frontend::exit_code::kNotInstalled}});
    std::vector<std::vector<std::string>> earlier;
    for (const char* name : kEarlierConfiguration) {
        const std::string held = std::string(name) == "netio.ini" ? "cnetio.ini" : name;
        earlier.push_back({std::string("C:\\korvex\\") + name, "C:\\tmptelm\\" + held});
    }
    scenarios.push_back({"upgradeprep search and delete, keeping the configuration",
                         PrepareEarlier,
                         [](MemoryWindows& w) {
                             return RunUpgradePrep(w, "[upgradeprep]\r\nSearchAndDelete=Yes\r\n"
                                                      "KeepConfiguration=Yes\r\n");
                         },
                         earlier,
                         {},
                         {upgradeprep::kExitDone}});
    scenarios.push_back(
        {"upgradeprep upgrade of a registered product",
         [](MemoryWindows& w) { AddKorvex(w, "6.0.24.0", "C:\\Apps\\Control\\korvex.exe"); },
         [](MemoryWindows& w) {
             return RunUpgradePrep(w, "[upgradeprep]\r\nUpgrade=Yes\r\n"
                                      "SearchAndDelete=No\r\n");
         },
         {{"C:\\Apps\\Control\\korvex.exe"}},
         {},
         {upgradeprep::kExitDone, upgradeprep::kExitSearchDeclined}});
    return scenarios;
}

// Successful changes that appear twice in a log: a step that ran twice. INI writes are left
// out, since one key may rightly be written once per row of a dialog.
std::vector<std::string> RepeatedChanges(const std::string& log) {
    std::map<std::string, int> seen;
    std::vector<std::string> repeated;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        const auto action = line.find(' ', line.find(' ', 24) + 1);
        const std::string rest = line.substr(action + 1);
        const bool change = rest.rfind("copy ", 0) == 0 || rest.rfind("move ", 0) == 0 ||
                            rest.rfind("delete ", 0) == 0 ||
                            rest.rfind("create-directory ", 0) == 0;
        if (change && rest.find("-> done") != std::string::npos && ++seen[rest] == 2) {
            repeated.push_back(rest);
        }
    }
    return repeated;
}

TEST(FailureSweep, NoSingleFailureCrashesHangsRepeatsOrLosesAConfigurationFile) {
    std::uint64_t tried = 0;
    for (const Scenario& scenario : Scenarios()) {
        // The clean run: how many operations of each kind it makes.
        MemoryWindows clean;
        scenario.prepare(clean);
        clean.ResetCounts();
        const Outcome baseline = scenario.run(clean);
        ASSERT_EQ(baseline.exitCode, *scenario.exitCodes.begin()) << scenario.name << "\n"
                                                                  << baseline.log;
        EXPECT_TRUE(RepeatedChanges(baseline.log).empty()) << baseline.log;
        std::uint64_t points = 0;
        for (int k = 0; k < memory::kOperationKinds; ++k) {
            const auto kind = static_cast<Operation>(k);
            for (std::uint64_t n = 1; n <= clean.Count(kind); ++n) {
                for (std::uint32_t code : ErrorsOf(kind)) {
                    ++points;
                    MemoryWindows windows;
                    scenario.prepare(windows);
                    windows.ResetCounts();
                    windows.FailNth(kind, n, code);
                    const Outcome outcome = scenario.run(windows);
                    const std::string where =
                        scenario.name + ": " + std::string(memory::OperationName(kind)) + " #" +
                        std::to_string(n) + " failing with " + std::to_string(code) + "\n" +
                        outcome.log + "\n" + windows.Describe();
                    EXPECT_TRUE(scenario.exitCodes.count(outcome.exitCode))
                        << "exit code " << outcome.exitCode << " in " << where;
                    const bool reported = outcome.log.find("(error " + std::to_string(code) +
                                                           ")") != std::string::npos;
                    EXPECT_TRUE(reported || MeansNotThere(kind, code) || FailureHasAMeaning(kind))
                        << "not reported: " << where;
                    EXPECT_EQ(RepeatedChanges(outcome.log), std::vector<std::string>{}) << where;
                    for (const auto& places : scenario.kept) {
                        bool found = false;
                        for (const std::string& place : places) {
                            found = found || windows.Exists(place);
                        }
                        EXPECT_TRUE(found) << places.front() << " lost: " << where;
                    }
                    for (const std::string& ini : scenario.iniFiles) {
                        EXPECT_TRUE(Readable(windows.Contents(ini).value_or("")))
                            << ini << " unreadable: " << where;
                    }
                    if (::testing::Test::HasFailure()) {
                        return;
                    }
                }
            }
        }
        std::printf("%s: %llu failure points\n", scenario.name.c_str(),
                    static_cast<unsigned long long>(points));
        tried += points;
    }
    std::printf("failure sweep: %llu failure points tried\n",
                static_cast<unsigned long long>(tried));
    EXPECT_GT(tried, 1000u);
}

} // namespace
} // namespace korvex
