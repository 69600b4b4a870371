// The messages the custom action sends the Windows Installer for a program's progress, read from
// the progress file the program appends to while it runs (format in platform/Progress.h).
//
//     ProgressMessages messages;
//     while (running) Send(messages.Read(newBytesOfTheFile));
//     Send(messages.Finish());
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::customaction {

// Field 1 of an INSTALLMESSAGE_PROGRESS record: what the record says.
enum class ProgressField : std::int32_t {
    ActionInfo = 1, // field 2: ticks per action-data message; field 3: 1 to move by them, 0 not
    Report = 2,     // field 2: ticks the bar moves on by
    Addition = 3,   // field 2: ticks added to the bar's expected total
};

// `text` written so that the installer's formatting shows it as it is: a message's template and
// the record fields put into it are formatted, so "[x]" would be read as the property x and
// braces as a condition; "[\[]" stands for "[" (and likewise "]", "{", "}").
std::string FormattedLiteral(std::string_view text);

// One message for MsiProcessMessage: INSTALLMESSAGE_ACTIONDATA with `text` as field 1 (the
// action text's template "[1]" shows it; a caption goes through FormattedLiteral), or
// INSTALLMESSAGE_PROGRESS with fields 1 to 3.
struct InstallerMessage {
    enum class Type { ActionData, Progress };
    Type type = Type::ActionData;
    std::string text;
    std::array<std::int32_t, 3> fields{};
    friend bool operator==(const InstallerMessage&, const InstallerMessage&) = default;
};

// A step's files count kTicksPerFile ticks each, up to kMaxStepTicks for the step, spread over
// its files in proportion beyond that (the installer's tick counts are 32-bit).
inline constexpr std::int64_t kTicksPerFile = 1024;
inline constexpr std::int64_t kMaxStepTicks = std::int64_t{1} << 24;

// Turns the progress file's lines into messages. Every step gives an action-data message with
// its caption, then a progress addition of its ticks, then reports of the ticks of the files
// done, which add up to the addition by the step's end: at "end", at the next "step" or when
// the program has ended, the ticks not yet reported are.
class ProgressMessages {
public:
    // `bytes`, read from the file where the last call stopped: the messages of the lines they
    // complete. A line not yet ended (CR LF, or LF) waits for the next call.
    std::vector<InstallerMessage> Read(std::string_view bytes);
    // The program has ended and the file has been read to its end: a step left open (a program
    // stopped dead) ends; an unfinished last line is dropped.
    std::vector<InstallerMessage> Finish();

private:
    void Line(std::string_view line, std::vector<InstallerMessage>& out);
    void Report(std::uint64_t done, std::vector<InstallerMessage>& out);
    void EndStep(std::vector<InstallerMessage>& out);

    std::string unfinished_;
    bool actionInfoSent_ = false;
    bool stepOpen_ = false;
    std::uint64_t total_ = 0;
    std::int64_t stepTicks_ = 0;
    std::int64_t ticksSent_ = 0;
};

} // namespace korvex::customaction
