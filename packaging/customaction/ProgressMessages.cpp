// A program's progress lines turned into the Windows Installer's action-data and progress messages.
//
// How the ticks are announced. The Windows Installer's way for a custom action to move the
// progress bar comes in two halves: an immediate action adds the ticks the work will take to
// the expected total (progress field 1 = 3) while the script is made, and the deferred action
// that does the work says whether its action-data messages move the bar (field 1 = 1) and
// reports the ticks as they are done (field 1 = 2), so that the reports add up to the addition.
// Nobody knows how many files a program's step holds before the program has counted them (the
// map trees, the Mira sets the answers choose, the earlier installation's files), so each
// step's addition is sent when the step begins, before any of its reports, and its reports
// then add up to it. A master reset (field 1 = 0) is never sent: it would throw away the
// installer's own total, which the bar shows for the whole installation.
#include "packaging/customaction/ProgressMessages.h"

#include <algorithm>
#include <charconv>

#include "platform/Progress.h"

namespace korvex::customaction {

namespace {

constexpr std::uint64_t kMaxStepFiles = std::uint64_t{1} << 39;

InstallerMessage Progress(ProgressField kind, std::int64_t ticks, std::int32_t third = 0) {
    return {InstallerMessage::Type::Progress,
            {},
            {static_cast<std::int32_t>(kind), static_cast<std::int32_t>(ticks), third}};
}

// The decimal number that is all of `text`.
bool ParseCount(std::string_view text, std::uint64_t& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && stop == end;
}

} // namespace

std::string FormattedLiteral(std::string_view text) {
    std::string literal;
    for (char c : text) {
        if (c == '[' || c == ']' || c == '{' || c == '}') {
            literal.append("[\\").append(1, c).append("]");
        } else {
            literal += c;
        }
    }
    return literal;
}

std::vector<InstallerMessage> ProgressMessages::Read(std::string_view bytes) {
    std::vector<InstallerMessage> out;
    unfinished_.append(bytes);
    std::size_t start = 0;
    for (std::size_t end; (end = unfinished_.find('\n', start)) != std::string::npos;
         start = end + 1) {
        std::string_view line(unfinished_.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        Line(line, out);
    }
    unfinished_.erase(0, start);
    return out;
}

std::vector<InstallerMessage> ProgressMessages::Finish() {
    std::vector<InstallerMessage> out;
    unfinished_.clear();
    EndStep(out);
    return out;
}

// Any line that is not one of the three, or whose number is not a plain decimal, is ignored:
// the file is the program's report, never a reason to fail the installation.
void ProgressMessages::Line(std::string_view line, std::vector<InstallerMessage>& out) {
    const std::size_t space = line.find(' ');
    const std::string_view keyword = line.substr(0, space);
    const std::string_view rest =
        space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    std::uint64_t count = 0;
    if (keyword == platform::kProgressStep) {
        const std::size_t captionStart = rest.find(' ');
        // More files than any disc holds is no count.
        if (!ParseCount(rest.substr(0, captionStart), count) || count >= kMaxStepFiles) {
            return;
        }
        EndStep(out);
        stepOpen_ = true;
        total_ = count;
        ticksSent_ = 0;
        stepTicks_ = count > static_cast<std::uint64_t>(kMaxStepTicks / kTicksPerFile)
                         ? kMaxStepTicks
                         : static_cast<std::int64_t>(count) * kTicksPerFile;
        out.push_back({InstallerMessage::Type::ActionData,
                       captionStart == std::string_view::npos
                           ? std::string()
                           : FormattedLiteral(rest.substr(captionStart + 1)),
                       {}});
        if (!actionInfoSent_) {
            // The action-data messages only name the steps; the reports move the bar.
            out.push_back(Progress(ProgressField::ActionInfo, 0, 0));
            actionInfoSent_ = true;
        }
        if (stepTicks_ > 0) {
            out.push_back(Progress(ProgressField::Addition, stepTicks_));
        }
    } else if (keyword == platform::kProgressFiles) {
        if (stepOpen_ && ParseCount(rest, count)) {
            Report(count, out);
        }
    } else if (line == platform::kProgressEnd) {
        EndStep(out);
    }
}

// The ticks of `done` files not reported yet: a count that does not rise has none.
void ProgressMessages::Report(std::uint64_t done, std::vector<InstallerMessage>& out) {
    done = std::min(done, total_);
    // stepTicks_ <= 2^24 and done <= total_ < 2^39: the product fits.
    const auto ticks =
        static_cast<std::int64_t>(done * static_cast<std::uint64_t>(stepTicks_) / total_);
    if (ticks > ticksSent_) {
        out.push_back(Progress(ProgressField::Report, ticks - ticksSent_));
        ticksSent_ = ticks;
    }
}

void ProgressMessages::EndStep(std::vector<InstallerMessage>& out) {
    if (!stepOpen_) {
        return;
    }
    stepOpen_ = false;
    if (stepTicks_ > ticksSent_) {
        out.push_back(Progress(ProgressField::Report, stepTicks_ - ticksSent_));
    }
}

} // namespace korvex::customaction
