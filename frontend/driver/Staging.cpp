// The staging steps of the front end.
#include "frontend/driver/Staging.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "frontend/Prompts.h"
#include "frontend/fsutil/DirectoryTree.h"
#include "platform/Trust.h"

namespace korvex::frontend {

using platform::Platform;
namespace attr = platform::attr;

void StageNetworkFiles(KorvexConfig& run) {
    const std::string& windows = run.context.WindowsDir;
    // The step goes on after a failed copy; the run's file system remembers the failure and the
    // run lists it at its end (so do the other staging steps).
    (void)run.machine.files.CopyFile(windows + "\\hosts.ymv",
                                     windows + "\\system32\\drivers\\etc\\hosts.ymv");
    (void)run.machine.files.CopyFile(windows + "\\services.ymv",
                                     windows + "\\system32\\drivers\\etc\\services.ymv");
}

void BackupIniFiles(KorvexConfig& run) {
    const InstallationContext& context = run.context;
    platform::FileSystem& files = run.machine.files;
    if (FileExists(files, context.WindowsDir + "\\" + "NELK.INI")) {
        (void)files.CopyFile(context.WindowsDir + "\\" + "NELK.INI",
                             context.WindowsDir + "\\" + "nelk" + context.BackupStamp + ".ini");
    }
    if (FileExists(files, context.WindowsDir + "\\" + "ZELMAIN.INI")) {
        (void)files.CopyFile(context.WindowsDir + "\\" + "ZELMAIN.INI",
                             context.WindowsDir + "\\" + "zelmain" + context.BackupStamp + ".ini");
    }
}

namespace {

// How many temporary names a tree copy tries: "<tree>.part", "<tree>.part2", ...
constexpr int kTemporaryNames = 20;
// How often, and how far apart, a tree's rename into place is tried.
constexpr int kRenameTries = 10;
constexpr std::uint32_t kRenamePause = 500; // milliseconds

// The temporary copies of a tree beside its place ("<tree>.part", "<tree>.part2", ...), as
// one search finds them, whatever made them.
std::vector<std::string> TemporaryCopies(platform::FileSystem& files,
                                         const std::string& destination) {
    std::vector<std::string> found;
    const std::size_t slash = destination.find_last_of('\\');
    const std::string folder = destination.substr(0, slash + 1);
    const std::string stem = platform::FoldName(destination.substr(slash + 1) + ".part");
    auto search = files.Search(destination + ".part*");
    if (!search.ok()) {
        return found;
    }
    while (auto entry = search.value()->Next()) {
        const std::string name = platform::FoldName(entry->name);
        if (name.starts_with(stem) &&
            name.find_first_not_of("0123456789", stem.size()) == std::string::npos) {
            found.push_back(folder + entry->name);
        }
    }
    return found;
}

// Makes a new directory for a tree's copy beside its place. A name already taken is never used
// (a user may have made it, as a link or a folder with files of their own): the next is tried.
Result<std::string> MakeTemporaryDirectory(platform::FileSystem& files,
                                           const std::string& destination,
                                           const std::vector<std::string>& taken) {
    for (int n = 1; n <= kTemporaryNames; ++n) {
        std::string name = destination + ".part" + (n == 1 ? std::string() : std::to_string(n));
        if (std::any_of(taken.begin(), taken.end(), [&](const std::string& other) {
                return platform::FoldName(other) == platform::FoldName(name);
            })) {
            continue;
        }
        if (Status created = files.CreateDirectory(name); !created.ok()) {
            return FailedAt(created.error(), "create directory", std::move(name)).error();
        }
        return name;
    }
    return FailedAt(WinError::FromCode(win::kAlreadyExists), "create directory",
                    destination + ".part" + std::to_string(kTemporaryNames))
        .error();
}

// Renames a whole tree into its place. A file of it that another program holds for a moment (a
// virus scanner reading what was just written) makes the rename fail: it is tried again for a
// few seconds, as Windows' own tools do. Each try is logged; only the last failure is a failed
// change of the run.
void PublishTree(KorvexConfig& run, const std::string& from, const std::string& to) {
    platform::FileSystem& files = run.watchedFiles.unwatched();
    for (int attempt = 1;; ++attempt) {
        Status moved = files.MoveFile(from, to);
        const bool held =
            moved.code() == win::kSharingViolation || moved.code() == win::kAccessDenied;
        if (moved.ok() || !held || attempt == kRenameTries) {
            if (!moved.ok()) {
                run.failedChanges.push_back({"move " + from + " to " + to, moved.error()});
            }
            return;
        }
        run.machine.system.Wait(kRenamePause);
    }
}

// Removes the temporary copies an earlier run left (stopped dead, or its rename failed): a
// folder goes with what it holds, links and files in its place stay, with a log line.
void RemoveLeftovers(Platform& machine, const std::vector<std::string>& leftovers) {
    for (const std::string& leftover : leftovers) {
        auto attributes = machine.files.GetAttributes(leftover);
        if (!attributes.ok()) {
            continue;
        }
        if (!platform::IsDirectory(attributes.value()) || platform::IsLink(attributes.value())) {
            machine.log.Write("leftover", leftover,
                              "left: a file or a link, which a user may have made");
            continue;
        }
        machine.log.Write("leftover", leftover, "an earlier run's temporary copy: deleted");
        (void)DeleteTree(machine, leftover); // what stays is logged there
    }
}

} // namespace

void CopyTreeIfMissing(KorvexConfig& run, std::string_view name) {
    Platform& machine = run.machine;
    const std::string destination = run.context.InstallRoot + std::string(name);
    const std::string source = run.context.InstallDir + std::string(name);
    const std::vector<std::string> leftovers = TemporaryCopies(machine.files, destination);
    TreeCopyOptions options;
    options.caption = std::string(name == "TELMIMAP" ? "Copying the map tree to "
                                                     : "Copying the firmware tree to ") +
                      destination;
    Status copied;
    if (DirectoryExists(machine.files, destination)) {
        if (leftovers.empty()) {
            return;
        }
        // An earlier run copied the tree but did not get it into place (its rename failed, or
        // it was stopped), and later steps made the tree's place since: the delivered files it
        // lacks are added, and what those steps put there stays, as after a run that went
        // through. The leftovers go once the tree is complete.
        machine.ui.SetWaitCursor(true);
        options.existing = ExistingFiles::Keep;
        copied = CopyDirectoryTree(machine, source, destination, options);
        if (copied.ok()) {
            RemoveLeftovers(machine, leftovers);
        }
    } else if (machine.files.GetAttributes(destination).ok()) {
        // When a file takes the tree's place, the copy goes there and fails as it always has.
        machine.ui.SetWaitCursor(true);
        copied = CopyDirectoryTree(machine, source, destination, options);
    } else {
        // The tree is copied into a directory of its own beside its place and renamed when
        // whole, so that a run stopped dead half-way (a power cut, an ended task) leaves no tree
        // that looks complete: the next run finds it missing and copies again.
        machine.ui.SetWaitCursor(true);
        auto partial = MakeTemporaryDirectory(machine.files, destination, leftovers);
        if (!partial.ok()) {
            copied = partial.status();
        } else {
            copied = CopyDirectoryTree(machine, source, partial.value(), options);
            // A copy that failed still goes to its place, as far as it got, as it always has:
            // the warning below tells the user so. Only the directory made above is renamed,
            // never a link put in its place.
            auto made = machine.files.GetAttributes(partial.value());
            if (made.ok() && platform::IsDirectory(made.value()) &&
                !platform::IsLink(made.value())) {
                PublishTree(run, partial.value(), destination);
            }
        }
        RemoveLeftovers(machine, leftovers);
    }
    machine.ui.SetWaitCursor(false);
    if (!copied.ok()) {
        const WinError& failed = copied.error();
        NoteStoppedCopy(run, failed);
        machine.log.Write("copy-tree", source + " " + destination, failed.DescribeWhere());
        ShowWarning(machine, "The " + std::string(name) +
                                 " directory was not copied completely from " + source + " to " +
                                 destination + ".\nThe copy stopped at " + failed.path + ":\n" +
                                 failed.Describe() +
                                 "\nThe installation goes on with the next step.");
    }
}

namespace {

struct HeldEntry {
    std::string name;
    std::uint32_t attributes = 0;
};

// The holding directory's entries other than "." and "..". An empty list when it cannot be
// listed.
std::vector<HeldEntry> ListHeld(platform::FileSystem& files, const std::string& holding) {
    std::vector<HeldEntry> entries;
    auto search = files.Search(holding + "\\*.*");
    if (!search.ok()) {
        return entries;
    }
    while (auto entry = search.value()->Next()) {
        if (entry->name != "." && entry->name != "..") {
            entries.push_back({std::move(entry->name), entry->attributes});
        }
    }
    return entries;
}

// What the restore takes: files that are ordinary but for the read-only bit.
bool IsRestored(std::uint32_t attributes) {
    return platform::IsOrdinaryFile(attributes & ~attr::kReadOnly);
}

std::string DescribeAttributes(std::uint32_t attributes) {
    std::string out;
    const auto add = [&](std::uint32_t bit, const char* word) {
        if ((attributes & bit) != 0) {
            out += out.empty() ? "" : ", ";
            out += word;
        }
    };
    add(attr::kDirectory, "a directory");
    add(attr::kReparsePoint, "a link");
    add(attr::kReadOnly, "read-only");
    add(attr::kHidden, "hidden");
    add(attr::kSystem, "system");
    add(attr::kTemporary, "temporary");
    add(attr::kOffline, "offline");
    add(attr::kEncrypted, "encrypted");
    return out;
}

} // namespace

void RestoreHeldFiles(KorvexConfig& run) {
    Platform& machine = run.machine;
    platform::FileSystem& files = machine.files;
    const std::string holding = run.context.InstallRoot + std::string(product::kHoldingDirectory);
    // Files are taken only from a holding directory nobody but the administrators could have
    // filled: any user may make a "tmptelm" at the drive's root, with a program's name in it.
    if (Status trusted = platform::RefuseUnprotected(files, holding); !trusted.ok()) {
        machine.log.Write("restore-held", holding, trusted.error().DescribeWhere());
        run.failedChanges.push_back({"restore the held files from " + holding, trusted.error()});
        ShowWarning(machine, "The configuration files in " + holding + " were not restored:\n" +
                                 trusted.error().Describe() +
                                 "\nCheck its files, copy the ones you want into " +
                                 run.context.InstallDir + " and delete " + holding + ".");
        return;
    }
    machine.ui.SetWaitCursor(true);
    // The names are taken from one complete listing before anything is moved, so the listing
    // never runs over a directory that is changing under it.
    const std::vector<HeldEntry> held = ListHeld(files, holding);
    const auto restored = static_cast<std::uint64_t>(
        std::count_if(held.begin(), held.end(),
                      [](const HeldEntry& entry) { return IsRestored(entry.attributes); }));
    platform::ProgressStep step(machine.progress,
                                "Restoring the configuration files from " + holding, restored);
    std::vector<std::string> failedMoves;
    for (const HeldEntry& entry : held) {
        // The user's configuration files are restored whatever their read-only, archive and
        // storage bits (the restored file keeps them); directories, hidden and system files and
        // links stay.
        if (!IsRestored(entry.attributes)) {
            continue;
        }
        machine.progress.Next(holding + "\\" + entry.name);
        const std::string target = run.context.InstallDir + entry.name;
        // The move never replaces, so the installed file of the same name goes first.
        Status deleted = files.DeleteFile(target);
        if (Status moved = files.MoveFile(holding + "\\" + entry.name, target); !moved.ok()) {
            // When the installed file could not be deleted, that is why the move failed.
            const bool deleteFailed = !deleted.ok() && deleted.code() != win::kFileNotFound;
            failedMoves.push_back(entry.name + ": " +
                                  (deleteFailed ? deleted : moved).error().Describe());
        }
    }
    machine.ui.SetWaitCursor(false);
    run.heldNotMoved = std::move(failedMoves);
}

void RemoveHoldingDirectory(KorvexConfig& run) {
    if (!run.heldNotMoved) {
        return;
    }
    Platform& machine = run.machine;
    platform::FileSystem& files = machine.files;
    const std::string holding = run.context.InstallRoot + std::string(product::kHoldingDirectory);
    const std::vector<std::string> failedMoves = *std::exchange(run.heldNotMoved, std::nullopt);
    const std::vector<HeldEntry> left = ListHeld(files, holding);
    if (left.empty() && !run.failedChanges.empty()) {
        // A run that did not complete is run again (the installation rolls back and is
        // repeated): while the directory is there, that run restores from it instead of
        // putting the delivered ".new" files over the configuration restored here.
        machine.log.Write("restore-held", holding,
                          "kept, empty, until a run completes: the next run restores from it");
        return;
    }
    if (left.empty()) {
        // A failure is remembered by the run's file system and listed at the end.
        (void)files.RemoveDirectory(holding);
        return;
    }
    // Entries that are not the user's configuration files stay where they are, on purpose: the
    // directory stays with them. Only a file that should have moved and did not is a failure
    // (the run's file system has listed it).
    std::string text = "The holding directory " + holding +
                       " stays: only configuration files are restored from it, and these "
                       "entries are left in it:";
    for (const HeldEntry& entry : left) {
        std::string reason;
        for (const std::string& failure : failedMoves) {
            if (failure.compare(0, entry.name.size() + 1, entry.name + ":") == 0) {
                reason = "not moved: " + failure.substr(entry.name.size() + 2);
            }
        }
        if (reason.empty()) {
            reason = DescribeAttributes(entry.attributes);
        }
        text += "\n  " + entry.name + " (" + reason + ")";
        machine.log.Write("restore-held", holding + "\\" + entry.name, "left: " + reason);
    }
    text += "\nWhile it remains, the next run restores from it again: check these entries, "
            "then delete the directory.";
    ShowWarning(machine, std::move(text));
}

void OfferNewConfigFiles(KorvexConfig& run) {
    Platform& machine = run.machine;
    const InstallationContext& context = run.context;
    struct Offer {
        std::string current;
        std::string delivered;
        const char* question;
        std::string_view prompt;
    };
    const Offer offers[] = {
        {context.InstallDir + "csuinfo.cfg", context.InstallDir + "csuinfo.new",
         "Overwrite Current CSUINFO file ?", prompt::kOverwriteCsuinfo},
        {context.InstallDir + "cnetio.ini", context.InstallDir + "cnetio.new",
         "Overwrite Current CNetio.ini file ?", prompt::kOverwriteCnetio},
        {context.WindowsDir + "\\zelmain.ini", context.WindowsDir + "\\zelmain.new",
         "Overwrite Current Zelmain.ini file ?", prompt::kOverwriteZelmain},
    };
    for (const Offer& offer : offers) {
        if (!FileExists(machine.files, offer.current)) {
            // Copied under a temporary name and renamed when whole: a run stopped dead
            // half-way must not leave a half file that the next run takes for the user's own
            // and asks before replacing. A hidden file in the place is copied over as always
            // (which Windows refuses).
            if (machine.files.GetAttributes(offer.current).ok()) {
                (void)machine.files.CopyFile(offer.delivered, offer.current);
            } else if (const std::string partial = offer.current + ".part";
                       machine.files.CopyFile(offer.delivered, partial).ok()) {
                (void)machine.files.MoveFile(partial, offer.current);
            }
            continue;
        }
        platform::MessageBoxRequest request;
        request.text = std::string(offer.question) + "\r" + "Previous setting will be lost";
        request.title = "KROVEx Install";
        request.buttons = platform::Buttons::YesNo;
        request.defaultButton = platform::DefaultButton::Second;
        request.prompt = offer.prompt;
        if (machine.ui.ShowMessage(request) != platform::Answer::Yes) {
            continue;
        }
        // The current file is given up only for a delivered file that is really there, hidden
        // or not; the copy replaces it in one step, so a failed copy leaves the current file in
        // place.
        auto delivered = machine.files.GetAttributes(offer.delivered);
        if (!delivered.ok() || platform::IsDirectory(delivered.value())) {
            machine.log.Write("keep", offer.current, offer.delivered + " is missing");
            run.failedChanges.push_back({"replace " + offer.current + " with " + offer.delivered,
                                         WinError::FromCode(win::kFileNotFound)});
            continue;
        }
        (void)machine.files.CopyFile(offer.delivered, offer.current);
    }
}

} // namespace korvex::frontend
