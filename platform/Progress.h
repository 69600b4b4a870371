// The progress of a run's long work (tree copies, the restore of held files, upgradeprep's
// moves and deletions): steps, each with a caption and a number of files counted before its
// work starts, and the file being handled.
//
//     machine.progress.Begin("Copying the map tree to C:\\TELMIMAP", listing.files);
//     for (...) { machine.progress.Next(from); copy... }
//     machine.progress.End();
//
// A step shows a progress window in an interactive run once it has lasted half a second, and
// goes to the progress file (KORVEX_PROGRESS) that the package's custom action passes on to
// the Windows Installer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvex::platform {

// What the progress window shows: the step's caption, a bar of `done` out of `total` files,
// and the file being handled.
struct ProgressState {
    std::string caption;
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    std::string current;
    friend bool operator==(const ProgressState&, const ProgressState&) = default;
};

// The progress file, appended to while the run goes on, one line at a time, each ending in
// CR LF, in UTF-8; the custom action reads the lines that are whole:
//
//     step <total> <caption>     a step begins; <total> files, in decimal; caption to the end
//     files <done>               files of the step done so far (rises; a few lines a second)
//     end                        the step ended, whether or not all its files were done
//
// Steps do not nest. A run that was stopped dead may leave a step without its "end".
inline constexpr std::string_view kProgressStep = "step";
inline constexpr std::string_view kProgressFiles = "files";
inline constexpr std::string_view kProgressEnd = "end";

class Progress {
public:
    virtual ~Progress() = default;
    // A step begins: its caption and the number of files it will handle. A step begun while
    // another is open ends that one first.
    virtual void Begin(std::string_view caption, std::uint64_t total) = 0;
    // The step starts on its next file, `current` (a full path); the files before it are done.
    virtual void Next(std::string_view current) = 0;
    // The step ended: its window goes away. Nothing when no step is open.
    virtual void End() = 0;
};

// Ends the open step when it goes out of scope, on every way out of a step.
class ProgressStep {
public:
    ProgressStep(Progress& progress, std::string_view caption, std::uint64_t total)
        : progress_(progress) {
        progress_.Begin(caption, total);
    }
    ~ProgressStep() { progress_.End(); }
    ProgressStep(const ProgressStep&) = delete;
    ProgressStep& operator=(const ProgressStep&) = delete;

private:
    Progress& progress_;
};

} // namespace korvex::platform
