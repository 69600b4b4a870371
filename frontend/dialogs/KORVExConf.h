// The connection and map-processing dialog "KORVEx Configuration": serial or Ethernet link, and
// what happens to maps during the installation.
#pragma once

#include <string_view>

#include "platform/Dialog.h"
#include "platform/Platform.h"

namespace korvex::frontend {

// Opens with "Serial Connection" and "No Conversion required" selected and "Copy Mira Maps"
// clear, whatever NELK.INI holds.
//   OKButton: sets the result fields from ConvertOption and CopyMira, writes NELK.INI
//     [Comms] "Link Type" ("Ethernet-System" then "Ethernet Type"="Winsock", or
//     "Serial-System" alone, which leaves an earlier "Ethernet Type" in place), then sets
//     SetupCancelled to false and closes.
//   CancelButton: sets SetupCancelled to true, clears the result fields, writes nothing.
//   Close box: writes nothing and leaves SetupCancelled as it was.
// The result fields are cleared each time the dialog loads, so they always describe the
// latest showing: after the close box both are false.
class KORVExConf final : public platform::DialogModel {
public:
    // `SetupCancelled` is the run's shared flag; both references must outlive the dialog.
    KORVExConf(platform::Platform& machine, bool& SetupCancelled);

    std::string_view Name() const override { return "KORVExConf"; }
    std::string_view Caption() const override { return "KORVEx Configuration"; }
    platform::Twips ClientArea() const override { return {0, 0, 6030, 5025}; }

    void Load() override;
    bool Command(std::string_view buttonName, platform::DialogClose& closedAs) override;
    void CloseBox() override {}

    // [KORVExConf] Connection=Serial|Ethernet, Maps=NoConversion|Convert, CopyMira=Yes|No, as
    // product/AnswerFile.cpp describes them.
    void ApplyAnswer(std::string_view key, std::string_view value) override;
    Answers RecordAnswers() const override;

    // Convert the old CCF maps: ConvertOption was selected on OK.
    bool mapsfromccf = false;
    // Copy the distributed Mira map sets: CopyMira was ticked on OK.
    bool CopyMiraMaps = false;

private:
    platform::Platform& machine_;
    bool& SetupCancelled_;
};

} // namespace korvex::frontend
