// Starts a front-end run from its switches.
#include "frontend/driver/Entry.h"

#include <cstdio>

#include "frontend/Prompts.h"
#include "frontend/driver/KorvexConfig.h"
#include "platform/unattended/DialogAnswers.h"

namespace korvex::frontend {

namespace {

unattended::AnswerSchema MakeAnswerSchema() {
    unattended::AnswerSchema schema;
    schema.sections.assign(product::kAnswerFileSections.begin(),
                           product::kAnswerFileSections.end());
    const std::string questions(product::kFrontEndTitle);
    for (std::string_view question :
         {prompt::kOverwriteCsuinfo, prompt::kOverwriteCnetio, prompt::kOverwriteZelmain,
          prompt::kUpdateKorvexSettings, prompt::kUpdateYmvSettings, prompt::kUseCcfMaps,
          prompt::kContinueIntoExistingMaps, prompt::kCopyMiraMaps, prompt::kOverwriteMap}) {
        schema.keys.push_back({questions, std::string(question), unattended::YesNo()});
    }
    for (int system = 1; system <= product::kSystems; ++system) {
        char twoDigits[8];
        std::snprintf(twoDigits, sizeof twoDigits, "%02d", system);
        for (const product::MiraMapSet& set : product::kMiraMapSets) {
            schema.keys.push_back(
                {questions, prompt::OverwriteMap(twoDigits, set.name), unattended::YesNo()});
        }
    }
    schema.keys.push_back({questions, "AirtalkerRegion", {"0", "1", "2"}});
    for (auto keys : {KORVExConf::AnswerKeys(), SystemType::AnswerKeys(), MiraCopy::AnswerKeys()}) {
        schema.keys.push_back(unattended::DialogButtonKey(keys.front().section));
        schema.keys.insert(schema.keys.end(), keys.begin(), keys.end());
    }
    return schema;
}

} // namespace

const unattended::AnswerSchema& VarenInstallAnswerSchema() {
    static const unattended::AnswerSchema schema = MakeAnswerSchema();
    return schema;
}

int RunVarenInstall(const unattended::Switches& switches, const unattended::Services& services) {
    unattended::Session session("VarenInstall", "VarenInstall", switches, services,
                                VarenInstallAnswerSchema());
    if (!session.Start()) {
        return exit_code::kFailed;
    }
    KorvexConfig run(session.platform());
    // The region code has no question of its own: only an answer file sets it.
    if (const unattended::AnswerFile* answers = session.answers()) {
        if (auto region = answers->Get("VarenInstall", "AirtalkerRegion")) {
            run.record.AirtalkerRegion = std::stoi(*region);
        }
    }
    session.log().Write("start", "", "region " + std::to_string(run.record.AirtalkerRegion));
    return Main(run);
}

int RunVarenInstall(const unattended::ProgramStart& start, const unattended::Services& services) {
    if (!start.error.empty()) {
        return exit_code::kFailed;
    }
    return RunVarenInstall(start.switches, services);
}

} // namespace korvex::frontend
