// Puts a run together from the machine's services and the switches it was started with:
// KORVEX_ANSWERS (unattended, answers from a file), KORVEX_RECORD (interactive, answers
// recorded into a file) and KORVEX_LOG (one line per action appended to a file).
//
//     Session session("VarenInstall", "VarenInstall", switches, services);
//     if (!session.Start()) return 1603;          // bad answer file: nothing was changed
//     RunSteps(session.platform());
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "platform/unattended/AnswerFile.h"
#include "platform/unattended/Switches.h"

namespace korvex::unattended {

// The machine's own services, before the run's answer, record and log layers.
struct Services {
    platform::FileSystem& files;
    platform::Profile& profile;
    platform::Installer& installer;
    platform::SystemInfo& system;
    platform::UserInterface& ui; // the interactive user interface
};

class Session {
public:
    // `program` names the program in the log; `questions` is its section of the answer file,
    // and `schema` says what the file may hold (it must outlive the session).
    Session(std::string program, std::string questions, Switches switches, Services services,
            const AnswerSchema& schema);
    ~Session();

    // Checks the switches' paths and reads and checks the answer file, when there is one.
    // False, with a log line and failure() saying why, when the log or record path is not
    // absolute or leads through a link (nothing is then written to it; an interactive run also
    // says so in a message box), or the answer file cannot be read or is bad.
    bool Start();
    const std::string& failure() const { return failure_; }

    // The services as the run sees them. Valid after a successful Start.
    platform::Platform& platform() { return *platform_; }
    // The answer file of an unattended run, or nothing.
    const AnswerFile* answers() const { return answers_ ? &*answers_ : nullptr; }
    platform::Log& log() { return log_; }

private:
    bool RefuseBadSwitchPaths();
    struct Layers;
    std::string program_;
    std::string questions_;
    Switches switches_;
    Services services_;
    const AnswerSchema& schema_;
    platform::Log log_;
    std::optional<AnswerFile> answers_;
    std::unique_ptr<Layers> layers_;
    std::unique_ptr<platform::Platform> platform_;
    std::string failure_;
};

} // namespace korvex::unattended
