// The crash sweep: each scenario runs once uninterrupted, then once for every point a program
// in it can be stopped dead at (before each of its changes to the machine, and half-way through
// each file copy), after which the stopped program runs again with the same answers and the
// scenario goes on. A stop before a query leaves what a stop before the next change leaves, so
// stopping before each change covers every moment. Every such run must leave what the uninterrupted
// one leaves: the configuration files with their contents, the map and firmware trees file for
// file, the INI files key for key.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <regex>

#include "support/Machines.h"

namespace korvex::testing {
namespace {

using memory::MemoryWindows;
using memory::Operation;

// The front end's answers: both map steps, the Mira sets of systems 1 and 10, every offered
// file declined so that what the installation directory holds is the user's own.
const char* kFrontEndAnswers =
    "[VarenInstall]\nOverwriteCsuinfo=No\nOverwriteCnetio=No\nOverwriteZelmain=No\n"
    "UpdateKorvexSettings=Yes\nUseCcfMaps=Yes\nContinueIntoExistingMaps=Yes\nCopyMiraMaps=Yes\n"
    "OverwriteMap=Yes\nUpdateYmvSettings=Yes\n"
    "[KORVExConf]\nButton=OK\nConnection=Ethernet\nMaps=Convert\nCopyMira=Yes\n"
    "[SystemType]\nButton=OK\nSystem3=Mira\n[MiraCopy]\nButton=OK\nSystems=1,10\n";

// The operations that change the machine; the log's appends are left out, since the log is
// not compared.
constexpr Operation kChanges[] = {Operation::SetAttributes,   Operation::CopyFile,
                                  Operation::MoveFile,        Operation::DeleteFile,
                                  Operation::CreateDirectory, Operation::RemoveDirectory,
                                  Operation::WriteFile,       Operation::WriteProfileString};

// A program's run on the machine, giving its log.
using Program = std::function<std::string(MemoryWindows&)>;

struct Scenario {
    std::string name;
    std::function<void(MemoryWindows&)> prepare;
    // What runs in turn; a program (not the package) may be stopped.
    std::vector<std::pair<Program, bool>> steps;
};

std::string FrontEnd(MemoryWindows& windows) {
    std::string log;
    RunFrontEnd(windows, kFrontEndAnswers, &log);
    return log;
}

Program UpgradePrep(std::string answers) {
    return [answers](MemoryWindows& windows) {
        std::string log;
        RunUpgradePrep(windows, answers, "upgradeprep.exe 7.1.0.0", &log);
        return log;
    };
}

// The questions a log shows answered: prompt and answer.
using Answers = std::map<std::string, std::string>;
Answers Asked(const std::string& log) {
    static const std::regex question(R"(" \((\w+)\) -> (\w+))");
    Answers asked;
    for (auto it = std::sregex_iterator(log.begin(), log.end(), question);
         it != std::sregex_iterator(); ++it) {
        asked[(*it)[1]] = (*it)[2];
    }
    return asked;
}

std::vector<Scenario> Scenarios() {
    const auto frontEndMachine = [](bool held) {
        return [held](MemoryWindows& windows) {
            InstallKorvex(windows);
            InsertMiraDisc(windows);
            PutOldMaps(windows);
            windows.PutFile("C:\\Apps\\Control\\csuinfo.cfg", "installed csuinfo");
            if (held) {
                windows.PutFile("C:\\tmptelm\\csuinfo.cfg", "held csuinfo");
                windows.PutFile("C:\\tmptelm\\cnetio.ini", "held cnetio");
            }
        };
    };
    return {
        {"front end restoring held files, both map steps",
         frontEndMachine(true),
         {{FrontEnd, true}}},
        {"front end offering the new files, both map steps",
         frontEndMachine(false),
         {{FrontEnd, true}}},
        {"search and delete keeping the configuration, the package, the front end",
         [](MemoryWindows& windows) {
             PutEarlierInstallation(windows);
             InsertMiraDisc(windows);
         },
         {{UpgradePrep("[upgradeprep]\nSearchAndDelete=Yes\nKeepConfiguration=Yes\n"), true},
          {[](MemoryWindows& windows) {
               InstallKorvex(windows);
               return std::string();
           },
           false},
          {FrontEnd, true}}},
        {"upgrade of a registered product",
         [](MemoryWindows& windows) { InstallKorvex(windows); },
         {{UpgradePrep("[upgradeprep]\nUpgrade=Yes\nSearchAndDelete=No\n"), true}}},
    };
}

// Every directory and file on drive C, each file with its bytes; the log, the answer file and
// the INI backups (named for the time, so a rerun makes its own) left out.
std::vector<std::string> Snapshot(const MemoryWindows& windows) {
    static const std::regex skipped(R"((run\.log|answers\.ini|WINDOWS\\(nelk|zelmain)\d{6}\.ini))",
                                    std::regex::icase);
    std::vector<std::string> lines;
    for (const std::string& line : windows.Tree("C:\\")) {
        const std::string path = line.substr(0, line.find(" ["));
        if (std::regex_match(path, skipped)) {
            continue;
        }
        lines.push_back(line + (path.ends_with('\\') ? "" : " = " + File(windows, "C:\\" + path)));
    }
    std::ranges::sort(lines);
    return lines;
}

// The lines of `a` not in `b`.
std::vector<std::string> Differences(const std::vector<std::string>& a,
                                     const std::vector<std::string>& b) {
    std::vector<std::string> only;
    std::ranges::set_difference(a, b, std::back_inserter(only));
    return only;
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
            asked = Asked(scenario.steps[i].first(windows));
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
            questions.push_back(Asked(step.first(clean)));
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
                // Run again, no question is answered otherwise than in the uninterrupted run.
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

} // namespace
} // namespace korvex::testing
