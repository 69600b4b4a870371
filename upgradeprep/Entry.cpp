// Starts an upgradeprep run from its switches.
#include "upgradeprep/Entry.h"

#include "product/AnswerFile.h"
#include "upgradeprep/UpgradePrep.h"

namespace korvex::upgradeprep {

const unattended::AnswerSchema& UpgradePrepAnswerSchema() {
    static const unattended::AnswerSchema schema =
        product::AnswerSchemaOf(product::Program::UpgradePrep);
    return schema;
}

int RunUpgradePrepProgram(const unattended::Switches& switches,
                          const unattended::Services& services, std::string_view commandLine) {
    unattended::Session session("upgradeprep", "upgradeprep", switches, services,
                                UpgradePrepAnswerSchema());
    if (!session.Start()) {
        return kExitStopped;
    }
    session.log().Write("start", std::string(commandLine), "done");
    const int code = RunUpgradePrep(session.platform(), commandLine);
    session.log().Write("end", "", "exit code " + std::to_string(code));
    return code;
}

int RunUpgradePrepProgram(const unattended::ProgramStart& start,
                          const unattended::Services& services) {
    if (!start.error.empty()) {
        return kExitStopped;
    }
    return RunUpgradePrepProgram(start.switches, services, start.commandLine);
}

} // namespace korvex::upgradeprep
