// Composes the answer, record and log layers over the machine's services.
#include "platform/unattended/Session.h"

#include "platform/unattended/AnswerFileUserInterface.h"
#include "platform/unattended/Logging.h"
#include "platform/unattended/RecordingUserInterface.h"

namespace korvex::unattended {

struct Session::Layers {
    std::unique_ptr<AnswerFileUserInterface> answering;
    std::unique_ptr<RecordingUserInterface> recording;
    std::unique_ptr<LoggingFileSystem> files;
    std::unique_ptr<LoggingProfile> profile;
    std::unique_ptr<LoggingUserInterface> ui;
};

Session::Session(std::string program, std::string questions, Switches switches, Services services,
                 const AnswerSchema& schema)
    : program_(std::move(program)), questions_(std::move(questions)),
      switches_(std::move(switches)), services_(services), schema_(schema),
      layers_(std::make_unique<Layers>()) {
    if (!switches_.log.empty()) {
        // The log is written through the machine's own file system, so its appends are not
        // themselves logged.
        log_ = platform::Log(services_.files, services_.system, program_, switches_.log);
    }
}

Session::~Session() = default;

bool Session::Start() {
    platform::UserInterface* ui = &services_.ui;
    if (!switches_.answers.empty()) {
        auto bytes = services_.files.ReadFile(switches_.answers);
        if (!bytes.ok()) {
            failure_ = "the answer file " + switches_.answers +
                       " cannot be read: " + bytes.error().Describe();
            log_.Write("answer-file", switches_.answers, "stopped: " + failure_);
            return false;
        }
        std::string error;
        answers_ = AnswerFile::Parse(bytes.value(), schema_, error);
        if (!answers_) {
            failure_ = "the answer file " + switches_.answers + " is not valid: " + error;
            log_.Write("answer-file", switches_.answers, "stopped: " + failure_);
            return false;
        }
        log_.Write("answer-file", switches_.answers, "read");
        layers_->answering = std::make_unique<AnswerFileUserInterface>(*answers_, questions_);
        ui = layers_->answering.get();
    } else if (!switches_.record.empty()) {
        layers_->recording = std::make_unique<RecordingUserInterface>(
            services_.ui, services_.files, log_, switches_.record, questions_, schema_);
        ui = layers_->recording.get();
        log_.Write("record", switches_.record, "recording answers");
    }
    platform::FileSystem* files = &services_.files;
    platform::Profile* profile = &services_.profile;
    if (log_.enabled()) {
        layers_->files = std::make_unique<LoggingFileSystem>(services_.files, log_);
        layers_->profile = std::make_unique<LoggingProfile>(services_.profile, log_);
        layers_->ui = std::make_unique<LoggingUserInterface>(*ui, log_);
        files = layers_->files.get();
        profile = layers_->profile.get();
        ui = layers_->ui.get();
    }
    platform_ = std::make_unique<platform::Platform>(
        platform::Platform{*files, *profile, services_.installer, services_.system, *ui, log_});
    return true;
}

} // namespace korvex::unattended
