// The staging steps of the front end.
#include "frontend/driver/Staging.h"

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

// Makes a new directory for a tree's copy beside its place. A name already taken is never used
// (a user may have made it, as a link or a folder with files of their own): the next one is
// tried, and the taken ones are returned in `taken`.
Result<std::string> MakeTemporaryDirectory(platform::FileSystem& files,
                                           const std::string& destination,
                                           std::vector<std::string>& taken) {
    for (int n = 1; n <= kTemporaryNames; ++n) {
        std::string name = destination + ".part" + (n == 1 ? std::string() : std::to_string(n));
        if (files.GetAttributes(name).ok()) {
            taken.push_back(std::move(name));
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
    if (DirectoryExists(machine.files, destination)) {
        return;
    }
    const std::string source = run.context.InstallDir + std::string(name);
    machine.ui.SetWaitCursor(true);
    Status copied;
    // When a file takes the tree's place, the copy goes there and fails as it always has.
    if (machine.files.GetAttributes(destination).ok()) {
        copied = CopyDirectoryTree(machine, source, destination);
    } else {
        // The tree is copied into a directory of its own beside its place and renamed when
        // whole, so that a run stopped dead half-way (a power cut, an ended task) leaves no tree
        // that looks complete: the next run finds it missing and copies again.
        std::vector<std::string> leftovers;
        auto partial = MakeTemporaryDirectory(machine.files, destination, leftovers);
        if (!partial.ok()) {
            copied = partial.status();
        } else {
            copied = CopyDirectoryTree(machine, source, partial.value());
            // A copy that failed still goes to its place, as far as it got, as it always has:
            // the warning below tells the user so. Only the directory made above is renamed,
            // never a link put in its place.
            auto made = machine.files.GetAttributes(partial.value());
            if (made.ok() && platform::IsDirectory(made.value()) &&
                !platform::IsLink(made.value())) {
                // A failed rename is remembered by the run's file system and listed at the end.
                (void)machine.files.MoveFile(partial.value(), destination);
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
    std::vector<std::string> failedMoves;
    for (const HeldEntry& entry : ListHeld(files, holding)) {
        // Ordinary files are restored, whatever their archive and storage bits; directories,
        // hidden, system and read-only files and links stay.
        if (!platform::IsOrdinaryFile(entry.attributes)) {
            continue;
        }
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
    Status removed = files.RemoveDirectory(holding);
    if (removed.ok()) {
        return;
    }
    std::string text = "The holding directory " + holding +
                       " could not be removed: " + removed.error().Describe() +
                       "\nOnly plain files are restored from it; these entries stay in it:";
    for (const HeldEntry& entry : ListHeld(files, holding)) {
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
    }
    text += "\nWhile it remains, the next run restores from it again.";
    machine.log.Write("restore-held", holding, removed);
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
