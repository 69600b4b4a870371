// Starts a front-end run from its switches.
#include "frontend/driver/Entry.h"

#include "frontend/driver/KorvexConfig.h"
#include "product/AnswerFile.h"

namespace korvex::frontend {

const unattended::AnswerSchema& VarenInstallAnswerSchema() {
    static const unattended::AnswerSchema schema =
        product::AnswerSchemaOf(product::Program::VarenInstall);
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
