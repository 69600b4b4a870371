// The system-selection dialog "Select Systems": which systems get the Mira map sets.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/Dialog.h"
#include "platform/Platform.h"

namespace korvex::frontend {

// Fifteen check boxes Check1(0) ... Check1(14), "System1" ... "System15", in a grid of three
// columns filled row by row; all clear when the dialog opens.
//   OkButton: SystemSelected(i) becomes whether Check1(i) is ticked, for i = 0 ... 14; closes.
//   CancelButton: shows "Mira Maps Will Not Be Loaded" (information icon, OK, "VarenInstall");
//     SystemSelected is not touched; closes.
//   Close box: SystemSelected is not touched.
// SystemSelected belongs to the object, not to its window: it keeps its values after the
// dialog has closed. It is cleared when the dialog loads, so a choice never carries over from
// an earlier showing.
class MiraCopy final : public platform::DialogModel {
public:
    // `machine` must outlive the dialog.
    explicit MiraCopy(platform::Platform& machine);

    std::string_view Name() const override { return "MiraCopy"; }
    std::string_view Caption() const override { return "Select Systems"; }
    platform::Twips ClientArea() const override { return {0, 0, 6855, 3930}; }

    void Load() override;
    bool Command(std::string_view buttonName, platform::DialogClose& closedAs) override;
    void CloseBox() override {}

    // [MiraCopy] Systems = the list of picked systems ("1,10"), as product/AnswerFile.cpp
    // describes it.
    void ApplyAnswer(std::string_view key, std::string_view value) override;
    Answers RecordAnswers() const override;

    // Whether system sys + 1 was picked: SystemSelected(sys). Valid indexes are 0 to 15 (entry
    // 15 exists and is always false); any other index throws std::out_of_range.
    bool CopyMapToSystem(std::int16_t sys) const;

    // Entry i (0 ... 14): system i + 1 was picked on OK. Entry 15 is never set.
    std::array<bool, 16> SystemSelected{};

private:
    platform::Platform& machine_;
};

} // namespace korvex::frontend
