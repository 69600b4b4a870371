// The system type dialog "System Type Setup": the frame model of each of the fifteen systems
// and whether its stacked frames are counted from the top.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/Dialog.h"
#include "platform/Platform.h"
#include "product/Korvex.h"

namespace korvex::frontend {

// One row per system; index i of each control array belongs to system i + 1:
//   Frame1(i)  caption-less group box holding the row (its option buttons are one group)
//   Label2(i)  "System1 :" ... "System15 :"
//   Option1(i) "Ostrel[9U]", Option3(i) "Pennet[4U]", Option4(i) "Quarne [4U]",
//   Option5(i) "Mira"; Check1(i) "Stack From Top".
// Every row opens with Option1 selected and Check1 clear, whatever the INI files hold and
// whatever was chosen at an earlier showing.
// Tab order goes row by row, left to right within a row (Option1, Option3, Option4, Option5,
// Check1 of system 1, then of system 2, ...), then OKButton and CancelButton: the order in
// which the rows are read and filled in.
//   OKButton: sets SetupCancelled to false, then for n = 1 ... 15 writes ZELMAIN.INI
//     [FrameType] "System<n>" (the model code "0", "2", "3" or "4"), for a Mira row NELK.INI
//     [Multiple Maps] "Max Map Number"="6", and ZELMAIN.INI [FrameDirection] "System<n>"
//     ("1" stacked from the top, else "0"); then closes.
//   CancelButton: sets SetupCancelled to true, writes nothing.
//   Close box: writes nothing and leaves SetupCancelled as it was.
class SystemType final : public platform::DialogModel {
public:
    // `SetupCancelled` is the run's shared flag; both references must outlive the dialog.
    SystemType(platform::Platform& machine, bool& SetupCancelled);

    std::string_view Name() const override { return "SystemType"; }
    std::string_view Caption() const override { return "System Type Setup"; }
    platform::Twips ClientArea() const override { return {0, 0, 9450, 8535}; }

    void Load() override;
    bool Command(std::string_view buttonName, platform::DialogClose& closedAs) override;
    void CloseBox() override {}

    // [SystemType] System1 ... System15 = Ostrel|Pennet|Quarne|Mira, and StackFromTop = the
    // list of stacked systems ("5,12"), as product/AnswerFile.cpp describes them.
    void ApplyAnswer(std::string_view key, std::string_view value) override;
    Answers RecordAnswers() const override;

    // The frame model code of row i (0 ... 14) as the controls stand: "0" Ostrel, "2" Pennet,
    // "3" Quarne, "4" Mira.
    std::string_view FrameTypeCode(int row) const;

private:
    void WriteOut();

    platform::Platform& machine_;
    bool& SetupCancelled_;
    // The INI key of system n in slot n - 1: "System1" ... "System15". Filled at each load.
    std::array<std::string, product::kSystems> SystemKeyNames;
};

} // namespace korvex::frontend
