// Composes the answer, record and log layers over the machine's services.
#include "platform/unattended/Session.h"

#include "platform/ProgressReport.h"
#include "platform/Trust.h"
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
    std::unique_ptr<platform::ProgressReport> progress;
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

namespace {

// The folder of a file's absolute path: without the trailing backslash, but a drive's root
// keeps it ("C:\\").
std::string FolderOf(const std::string& path) {
    const std::size_t last = path.find_last_of('\\');
    if (last == std::string::npos) {
        return std::string();
    }
    return path.substr(0, last == 2 && path[1] == ':' ? last + 1 : last);
}

} // namespace

bool Session::RefuseBadSwitchPaths() {
    // The log, the record and the progress file are written with the program's rights: a relative
    // path would depend on the folder the program was started in, and a link on the way would lead
    // the writes wherever the user who made it wants. Nothing is written to such a path.
    const struct {
        const char* name;
        const std::string& path;
    } written[] = {{"KORVEX_LOG", switches_.log},
                   {"KORVEX_RECORD", switches_.record},
                   {"KORVEX_PROGRESS", switches_.progress}};
    for (const auto& [name, path] : written) {
        if (path.empty()) {
            continue;
        }
        std::string why;
        bool unusable = true; // nothing may be written to it
        if (!platform::IsAbsolutePath(path)) {
            why = std::string(name) + "=" + path +
                  " is not an absolute path; give the whole path, such as "
                  "C:\\Windows\\Temp\\korvex.log";
        } else if (Status linked = platform::RefuseLinks(services_.files, FolderOf(path));
                   !linked.ok()) {
            unusable = linked.code() == win::kStoppedOnSymlink;
            why = std::string(name) + "=" + path + ": " + linked.error().DescribeWhere() +
                  " Give a path in a folder only administrators can change.";
        }
        if (why.empty()) {
            continue;
        }
        failure_ = std::move(why);
        // Nothing is written to a relative path or through a link; a folder that could not be
        // asked may still take the line that says why.
        if (&path == &switches_.log && unusable) {
            log_ = platform::Log();
        }
        log_.Write("switches", name, "stopped: " + failure_);
        // Nobody would see a window of a run that answers from a file.
        if (switches_.answers.empty()) {
            platform::MessageBoxRequest request;
            request.text = program_ + " did not start: " + failure_;
            request.title = program_;
            request.buttons = platform::Buttons::Ok;
            request.icon = platform::Icon::Warning;
            (void)services_.ui.ShowMessage(request);
        }
        return false;
    }
    return true;
}

bool Session::Start() {
    if (!RefuseBadSwitchPaths()) {
        return false;
    }
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
    // The progress file is written past the log: its lines are no actions of the run.
    layers_->progress = std::make_unique<platform::ProgressReport>(
        *ui, services_.system, &services_.files, switches_.progress);
    platform_ = std::make_unique<platform::Platform>(platform::Platform{
        *files, *profile, services_.installer, services_.system, *ui, log_, *layers_->progress});
    return true;
}

} // namespace korvex::unattended
