// The two sweeps over the main scenarios, on the shared test machines. The failure sweep fails
// each operation of a scenario's first program in turn with each error it can meet: every run
// ends with an expected exit code, reports the failure, runs no step twice, keeps every
// configuration file and leaves the INI files readable. The crash sweep stops a program dead
// before each of its changes (a stop before a query leaves what a stop before the next change
// leaves) and half-way through each file copy, then runs it again with the same answers and
// goes on: every such run leaves what the uninterrupted one leaves, file for file, with no
// question answered otherwise.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "frontend/driver/Entry.h"
#include "support/Machines.h"
#include "upgradeprep/UpgradePrep.h"

namespace korvex::testing {
namespace {

using memory::MemoryWindows;
using memory::Operation;

struct Outcome {
    int exitCode = 0;
    std::string log;
};
using Program = std::function<Outcome(MemoryWindows&)>;

struct Scenario {
    std::string name;
    std::function<void(MemoryWindows&)> prepare;
    // What runs in turn; a program (not the package) may be stopped.
    std::vector<std::pair<Program, bool>> steps;
    // For the failure sweep of the first step: the files that must survive, each with the
    // places it may be found in, and the exit codes it may end with.
    std::vector<std::vector<std::string>> kept;
    std::set<int> exitCodes;
};

Outcome FrontEnd(MemoryWindows& windows) {
    Outcome outcome;
    outcome.exitCode = RunFrontEnd(windows, kFrontEndAnswers, &outcome.log);
    return outcome;
}

Program UpgradePrep(std::string answers) {
    return [answers](MemoryWindows& windows) {
        Outcome outcome;
        outcome.exitCode =
            RunUpgradePrep(windows, answers, "upgradeprep.exe 7.1.0.0", &outcome.log);
        return outcome;
    };
}

std::vector<Scenario> Scenarios() {
    const std::string dir(kInstallDir);
    const auto frontEndMachine = [dir](bool held) {
        return [held, dir](MemoryWindows& windows) {
            InstallKorvex(windows);
            InsertMiraDisc(windows);
            PutOldMaps(windows);
            windows.PutFile(dir + "csuinfo.cfg", "installed csuinfo");
            windows.PutFile("C:\\WINDOWS\\ZELMAIN.INI", "[ZELMAIN]\r\nFrames=4\r\n");
            windows.PutFile("C:\\WINDOWS\\NELK.INI", "[Airtalker]\r\nEurope=03FF000000\r\n");
            if (held) {
                windows.PutFile("C:\\tmptelm\\csuinfo.cfg", "held csuinfo");
                windows.PutFile("C:\\tmptelm\\cnetio.ini", "held cnetio");
                windows.PutFile("C:\\tmptelm\\layout.cfg", "held layout",
                                platform::attr::kReadOnly | platform::attr::kArchive);
            }
        };
    };
    const std::set<int> frontEndCodes = {frontend::exit_code::kCompleted,
                                         frontend::exit_code::kFailed,
                                         frontend::exit_code::kNotInstalled};
    std::vector<std::vector<std::string>> earlier;
    for (const std::string& name : EarlierConfigurationFiles()) {
        earlier.push_back(
            {"C:\\korvex\\" + name, "C:\\tmptelm\\" + (name == "netio.ini" ? "cnetio.ini" : name)});
    }
    return {
        {"front end restoring held files, both map steps",
         frontEndMachine(true),
         {{FrontEnd, true}},
         {{"C:\\tmptelm\\csuinfo.cfg", dir + "csuinfo.cfg"},
          {"C:\\tmptelm\\cnetio.ini", dir + "cnetio.ini"},
          {"C:\\tmptelm\\layout.cfg", dir + "layout.cfg"},
          {"C:\\WINDOWS\\ZELMAIN.INI"},
          {"C:\\WINDOWS\\NELK.INI"}},
         frontEndCodes},
        {"front end offering the new files, both map steps",
         frontEndMachine(false),
         {{FrontEnd, true}},
         {{dir + "csuinfo.cfg"},
          {dir + "csuinfo.new"},
          {dir + "cnetio.new"},
          {"C:\\WINDOWS\\zelmain.new"},
          {"C:\\WINDOWS\\ZELMAIN.INI"},
          {"C:\\WINDOWS\\NELK.INI"}},
         frontEndCodes},
        {"search and delete keeping the configuration, the package, the front end",
         [](MemoryWindows& windows) {
             PutEarlierInstallation(windows);
             windows.PutAttributes("C:\\korvex\\route.cfg",
                                   platform::attr::kReadOnly | platform::attr::kArchive);
             InsertMiraDisc(windows);
         },
         {{UpgradePrep("[upgradeprep]\nSearchAndDelete=Yes\nKeepConfiguration=Yes\n"), true},
          {[](MemoryWindows& windows) {
               InstallKorvex(windows);
               return Outcome();
           },
           false},
          {FrontEnd, true}},
         earlier,
         {upgradeprep::kExitDone, upgradeprep::kExitStopped}},
        {"upgrade of a registered product",
         [](MemoryWindows& windows) { InstallKorvex(windows); },
         {{UpgradePrep("[upgradeprep]\nUpgrade=Yes\nSearchAndDelete=No\n"), true}},
         {{dir + "korvex.exe"}},
         {upgradeprep::kExitDone, upgradeprep::kExitSearchDeclined, upgradeprep::kExitStopped}},
    };
}

// The lines of `a` not in `b` (both sorted).
std::vector<std::string> Differences(const std::vector<std::string>& a,
                                     const std::vector<std::string>& b) {
    std::vector<std::string> only;
    std::ranges::set_difference(a, b, std::back_inserter(only));
    return only;
}

// ---- The failure sweep ----

// The errors each kind of operation can meet, one of each kind of meaning: refused, full, not
// there, drive not ready (a sharing violation takes the paths a refusal takes).
std::vector<std::uint32_t> ErrorsOf(Operation kind) {
    switch (kind) {
    case Operation::CopyFile:
    case Operation::MoveFile:
    case Operation::WriteFile:
    case Operation::CreateDirectory:
    case Operation::WriteProfileString:
    case Operation::SetAttributes:
        return {win::kAccessDenied, win::kDiskFull, win::kPathNotFound};
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
    case Operation::AppendFile:
        return {}; // the log's own writes, best effort by design
    default:
        return {win::kAccessDenied, win::kPathNotFound, win::kNotReady};
    }
}

// "Not there" from a search or query is an answer the run is built to expect: no report owed.
bool MeansNotThere(Operation kind, std::uint32_t code) {
    const bool query = kind == Operation::Search || kind == Operation::SearchNext ||
                       kind == Operation::GetAttributes || kind == Operation::GetShortPathName;
    return query && (code == win::kPathNotFound || code == win::kFileNotFound);
}

// Queries whose failure has a fixed meaning the run acts on (no drives, no product, ...).
bool FailureHasAMeaning(Operation kind) {
    return kind == Operation::LogicalDrives || kind == Operation::GetDriveType ||
           kind == Operation::Version || kind == Operation::Now ||
           kind == Operation::RelatedProducts || kind == Operation::EnumProducts ||
           kind == Operation::ProductInfo || kind == Operation::ComponentPath;
}

// Every line of an INI file is blank, a comment, a section header or a key=value pair.
bool Readable(const std::string& bytes) {
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line[0] != ';' && !(line[0] == '[' && line.back() == ']') &&
            line.find('=') == std::string::npos) {
            return false;
        }
    }
    return true;
}

// Changes done twice in a log: a step that ran twice (INI writes aside: one per dialog row).
std::vector<std::string> RepeatedChanges(const std::string& log) {
    std::map<std::string, int> seen;
    std::vector<std::string> repeated;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        const std::string rest = line.substr(std::min(line.size(), line.find(' ', 24) + 1));
        const bool change = rest.starts_with("copy ") || rest.starts_with("move ") ||
                            rest.starts_with("delete ") || rest.starts_with("create-directory ");
        if (change && rest.find("-> done") != std::string::npos && ++seen[rest] == 2) {
            repeated.push_back(rest);
        }
    }
    return repeated;
}

TEST(FailureSweep, NoSingleFailureCrashesHangsRepeatsOrLosesAConfigurationFile) {
    std::uint64_t tried = 0;
    for (const Scenario& scenario : Scenarios()) {
        MemoryWindows clean;
        scenario.prepare(clean);
        clean.ResetCounts();
        const Outcome baseline = scenario.steps[0].first(clean);
        ASSERT_EQ(baseline.exitCode, *scenario.exitCodes.begin()) << scenario.name << "\n"
                                                                  << baseline.log;
        EXPECT_EQ(RepeatedChanges(baseline.log), std::vector<std::string>{}) << baseline.log;
        for (int k = 0; k < memory::kOperationKinds; ++k) {
            const auto kind = static_cast<Operation>(k);
            for (std::uint64_t n = 1; n <= clean.Count(kind); ++n) {
                for (std::uint32_t code : ErrorsOf(kind)) {
                    ++tried;
                    MemoryWindows windows;
                    scenario.prepare(windows);
                    windows.ResetCounts();
                    windows.FailNth(kind, n, code);
                    const Outcome outcome = scenario.steps[0].first(windows);
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
                        EXPECT_TRUE(std::ranges::any_of(
                            places, [&](const std::string& p) { return windows.Exists(p); }))
                            << places.front() << " lost: " << where;
                    }
                    for (const char* ini : {"C:\\WINDOWS\\NELK.INI", "C:\\WINDOWS\\ZELMAIN.INI"}) {
                        EXPECT_TRUE(Readable(windows.Contents(ini).value_or("")))
                            << ini << " unreadable: " << where;
                    }
                    if (::testing::Test::HasFailure()) {
                        return;
                    }
                }
            }
        }
    }
    std::cout << "failure sweep: " << tried << " failure points tried\n";
    EXPECT_GT(tried, 1000u);
}

// ---- The crash sweep ----

// The operations that change the machine (the log's appends aside: the log is not compared).
constexpr Operation kChanges[] = {Operation::SetAttributes,   Operation::CopyFile,
                                  Operation::MoveFile,        Operation::DeleteFile,
                                  Operation::CreateDirectory, Operation::RemoveDirectory,
                                  Operation::WriteFile,       Operation::WriteProfileString};

// The questions a log shows answered: prompt and answer.
using Answers = std::map<std::string, std::string>;
Answers Asked(const std::string& log) {
    Answers asked;
    for (auto at = log.find("\" ("); at != std::string::npos; at = log.find("\" (", at + 1)) {
        const auto close = log.find(") -> ", at), end = log.find_first_of("\r\n", at);
        if (close < end) {
            asked[log.substr(at + 3, close - at - 3)] = log.substr(close + 5, end - close - 5);
        }
    }
    return asked;
}

// Every directory and file on drive C, each file with its bytes; the log, the answer file and
// the INI backups (named for the time, so a rerun makes its own) left out.
std::vector<std::string> Snapshot(const MemoryWindows& windows) {
    const auto skipped = [](const std::string& path) {
        const bool backup = path.starts_with("WINDOWS\\") && path.ends_with(".ini") &&
                            path.find_first_of("0123456789") != std::string::npos;
        return backup || path == "run.log" || path == "answers.ini";
    };
    std::vector<std::string> lines;
    for (const std::string& line : windows.Tree("C:\\")) {
        const std::string path = line.substr(0, line.find(" ["));
        if (!skipped(path)) {
            lines.push_back(line +
                            (path.ends_with('\\') ? "" : " = " + File(windows, "C:\\" + path)));
        }
    }
    std::ranges::sort(lines);
    return lines;
}

// Runs the scenario, `stop` armed just before program `stopped` starts; a stopped program runs
// again from what it left, and `asked` gets the questions of that second run. Returns whether a
// stop happened.
bool RunStopped(const Scenario& scenario, MemoryWindows& windows, std::size_t stopped,
                const std::function<void(MemoryWindows&)>& stop, Answers& asked) {
    scenario.prepare(windows);
    bool killed = false;
    for (std::size_t i = 0; i < scenario.steps.size(); ++i) {
        windows.ResetCounts();
        if (i == stopped) {
            stop(windows);
            try {
                scenario.steps[i].first(windows);
            } catch (const memory::Killed&) {
                killed = true;
            }
            windows.ClearFailures();
            if (!killed) {
                continue;
            }
            asked = Asked(scenario.steps[i].first(windows).log);
            continue;
        }
        scenario.steps[i].first(windows);
    }
    return killed;
}

TEST(CrashSweep, ARunStoppedAnywhereThenRunAgainEndsAsAnUninterruptedOne) {
    std::uint64_t tried = 0;
    for (const Scenario& scenario : Scenarios()) {
        MemoryWindows clean;
        std::vector<std::map<Operation, std::uint64_t>> counts; // of each step
        std::vector<Answers> questions;                         // of each step
        scenario.prepare(clean);
        for (const auto& step : scenario.steps) {
            clean.ResetCounts();
            questions.push_back(Asked(step.first(clean).log));
            counts.emplace_back();
            for (Operation kind : kChanges) {
                counts.back()[kind] = clean.Count(kind);
            }
        }
        const std::vector<std::string> expected = Snapshot(clean);
        for (std::size_t i = 0; i < scenario.steps.size(); ++i) {
            if (!scenario.steps[i].second) {
                continue;
            }
            const auto check = [&](const std::string& where,
                                   const std::function<void(MemoryWindows&)>& stop) {
                ++tried;
                MemoryWindows windows;
                Answers asked;
                EXPECT_TRUE(RunStopped(scenario, windows, i, stop, asked))
                    << where << ": never stopped";
                for (const auto& [prompt, answer] : asked) {
                    const auto before = questions[i].find(prompt);
                    EXPECT_TRUE(before == questions[i].end() || before->second == answer)
                        << prompt << " " << answer << ": " << scenario.name << ", " << where;
                }
                const std::vector<std::string> left = Snapshot(windows);
                EXPECT_EQ(Differences(left, expected), Differences(expected, left))
                    << "(left: what only the stopped run has; right: what only the "
                       "uninterrupted one has)\n"
                    << scenario.name << ", stopped " << where << "\n"
                    << State(windows);
            };
            for (const auto& [kind, count] : counts[i]) {
                for (std::uint64_t n = 1; n <= count; ++n) {
                    check("before " + std::string(memory::OperationName(kind)) + " " +
                              std::to_string(n),
                          [kind, n](MemoryWindows& w) { w.KillAt(kind, n); });
                }
            }
            for (std::uint64_t n = 1; n <= counts[i].at(Operation::CopyFile); ++n) {
                check("half-way through copy " + std::to_string(n),
                      [n](MemoryWindows& w) { w.KillInCopy(n); });
            }
        }
    }
    std::cout << "crash sweep: " << tried << " stop points tried\n";
}

// A map tree whose rename into place fails for a whole run (a scanner holding a file) is
// completed by the next run, and so it is when that run is stopped at any change and run again.
TEST(CrashSweep, ATreeWhoseRenameFailedIsCompletedByTheNextRunStoppedAnywhere) {
    std::uint64_t tried = 0;
    for (const Scenario& scenario : Scenarios()) {
        if (!scenario.name.starts_with("front end")) {
            continue;
        }
        const Program& run = scenario.steps[0].first;
        MemoryWindows clean;
        scenario.prepare(clean);
        run(clean);
        const std::vector<std::string> expected = Snapshot(clean);
        const auto renameFails = [&](MemoryWindows& windows) {
            scenario.prepare(windows);
            windows.FailPath(Operation::MoveFile, "C:\\TELMIMAP.part", win::kSharingViolation);
            EXPECT_EQ(run(windows).exitCode, frontend::exit_code::kFailed) << scenario.name;
            windows.ClearFailures();
            windows.ResetCounts();
        };
        const auto compare = [&](const MemoryWindows& windows, const std::string& where) {
            const std::vector<std::string> left = Snapshot(windows);
            EXPECT_EQ(Differences(left, expected), Differences(expected, left))
                << scenario.name << ", " << where << "\n"
                << State(windows);
        };
        MemoryWindows counted;
        renameFails(counted);
        EXPECT_EQ(run(counted).exitCode, frontend::exit_code::kCompleted) << State(counted);
        compare(counted, "run again");
        for (Operation kind : kChanges) {
            for (std::uint64_t n = 1; n <= counted.Count(kind); ++n) {
                ++tried;
                MemoryWindows windows;
                renameFails(windows);
                windows.KillAt(kind, n);
                try {
                    run(windows);
                } catch (const memory::Killed&) {
                }
                windows.ClearFailures();
                run(windows);
                compare(windows, "run again, stopped before " +
                                     std::string(memory::OperationName(kind)) + " " +
                                     std::to_string(n) + ", run a third time");
            }
        }
    }
    std::cout << "rename sweep: " << tried << " stop points tried\n";
    EXPECT_GT(tried, 20u);
}

} // namespace
} // namespace korvex::testing
