// The custom actions' decisions: start or refuse, switches, exit codes.
#include "packaging/customaction/ProgramRun.h"

#include <array>

#include "frontend/driver/KorvexConfig.h"
#include "upgradeprep/UpgradePrep.h"

namespace korvex::customaction {

namespace {

constexpr std::string_view kSilentUiLevel = "2";
// ERROR_CANCELLED: the user answered No to the elevation prompt.
constexpr std::uint32_t kElevationRefused = 1223;

Verdict GoOn(std::string meaning) {
    return {kGoOn, std::move(meaning) + "; the installation goes on"};
}
Verdict Cancel(std::string meaning) {
    return {kUserExit, std::move(meaning) + "; the installation ends as cancelled"};
}
Verdict Fail(std::string meaning) {
    return {kFailure, std::move(meaning) + "; the installation fails"};
}

} // namespace

std::string_view ProgramName(Program program) {
    return program == Program::UpgradePrep ? "upgradeprep" : "VarenInstall";
}

std::optional<ActionData> ParseActionData(std::string_view data) {
    std::array<std::string, 6> fields;
    std::size_t count = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = data.find('|', start);
        if (count == fields.size()) {
            return std::nullopt;
        }
        fields[count++] = std::string(data.substr(start, bar - start));
        if (bar == std::string_view::npos) {
            break;
        }
        start = bar + 1;
    }
    if (count != fields.size()) {
        return std::nullopt;
    }
    return ActionData{{fields[0], fields[1], fields[2], fields[3]}, fields[4], fields[5]};
}

unattended::Switches ProgramSwitches(const RunProperties& properties, std::string_view ownLog,
                                     std::string_view progress) {
    return {properties.answers, properties.record,
            properties.log.empty() ? std::string(ownLog) : properties.log, std::string(progress)};
}

std::string ProgramArguments(const unattended::Switches& switches, std::string_view text) {
    std::string arguments = unattended::SwitchesArguments(switches);
    if (!text.empty()) {
        arguments.append(" ").append(text);
    }
    return arguments;
}

std::optional<std::string> RefusalToStart(const RunProperties& properties) {
    if (properties.uiLevel == kSilentUiLevel && properties.answers.empty()) {
        return "a silent installation (UILevel 2) needs an answer file: set KORVEX_ANSWERS, or "
               "KORVEX_PROGRAMS=0 to install the files only";
    }
    return std::nullopt;
}

Verdict JudgeExit(Program program, std::uint32_t exitCode) {
    if (program == Program::UpgradePrep) {
        switch (exitCode) {
        case upgradeprep::kExitDone:
            return GoOn("completed");
        case upgradeprep::kExitSearchDeclined:
            return GoOn("No to the search for earlier versions");
        case upgradeprep::kExitUpgradeDeclined:
            return Cancel("No to the upgrade question");
        case upgradeprep::kExitStopped:
            return Fail("stopped by a bad answer file or a question it does not answer");
        }
    } else {
        switch (exitCode) {
        case frontend::exit_code::kCompleted:
            return GoOn("completed");
        case frontend::exit_code::kCancelled:
            return Cancel("cancelled in a settings dialog");
        case frontend::exit_code::kFailed:
            return Fail("stopped by a failure or a question the answer file does not answer");
        case frontend::exit_code::kNotInstalled:
            return Fail("KORVEx is not installed");
        }
    }
    return Fail("not an exit code of " + std::string(ProgramName(program)));
}

Verdict JudgeStartFailure(std::uint32_t windowsError) {
    if (windowsError == kElevationRefused) {
        return Cancel("the administrator's consent was refused");
    }
    return Fail("the program could not be started");
}

} // namespace korvex::customaction
