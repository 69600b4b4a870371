// The Mira map copying step.
#include "frontend/maps/InstallMiraMaps.h"

#include <array>
#include <cstdio>

#include "frontend/Prompts.h"
#include "frontend/fsutil/DirectoryTree.h"
#include "frontend/maps/RepeatedTreeCopy.h"
#include "platform/Trust.h"
#include "product/Korvex.h"

namespace korvex::frontend {

using platform::Answer;
using platform::DriveType;

namespace {

constexpr std::string_view kMiraMaps = "Mira Maps";

// "02" for system 2, "10" for system 10.
std::string TwoDigits(int system) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%02d", system);
    return digits;
}

} // namespace

std::optional<std::string> FindMiraMaps(platform::FileSystem& files) {
    // Only the drive part of the current directory matters; one that cannot be read leaves
    // the scan of the drive letters.
    auto current = files.CurrentDirectory();
    if (current.ok() && current.value().size() >= 3) {
        const std::string startRoot = current.value().substr(0, 3);
        if (files.GetDriveType(startRoot) == DriveType::CdRom) {
            std::string candidate = startRoot + std::string(kMiraMaps);
            if (DirectoryExists(files, candidate)) {
                return candidate;
            }
            return std::nullopt;
        }
    }
    const std::uint32_t drives = files.LogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if ((drives & (1u << letter)) == 0) {
            continue;
        }
        const std::string root = std::string(1, static_cast<char>('A' + letter)) + ":\\";
        if (files.GetDriveType(root) != DriveType::CdRom) {
            continue;
        }
        std::string candidate = root + std::string(kMiraMaps);
        if (DirectoryExists(files, candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::string SystemMapDirectory(std::string_view driveRoot, int system) {
    return std::string(driveRoot) + "TELMIMAP" + "\\S" + TwoDigits(system);
}

Status InstallMiraMaps(platform::Platform& machine, std::optional<MiraCopy>& dialog,
                       std::string_view driveRoot) {
    const std::optional<std::string> source = FindMiraMaps(machine.files);
    if (!source) {
        platform::MessageBoxRequest request;
        request.text = "No Mira Maps To Copy";
        request.title = "Warning";
        (void)machine.ui.ShowMessage(request);
        return Status();
    }

    platform::MessageBoxRequest confirm;
    confirm.text = "Mira MAP files exists in " + *source + " Copy To " + std::string(driveRoot) +
                   "TELMIMAP" + "?";
    confirm.title = "Query";
    confirm.buttons = platform::Buttons::YesNo;
    confirm.icon = platform::Icon::Question;
    confirm.prompt = prompt::kCopyMiraMaps;
    if (machine.ui.ShowMessage(confirm) != Answer::Yes) {
        return Status();
    }

    if (!dialog) {
        dialog.emplace(machine);
    }
    (void)machine.ui.ShowDialog(*dialog);

    // A disc reads small files slowly: each set is read from it once, into the first picked
    // system that takes it, and the later systems get that copy's files from the hard disk.
    // With one system picked nothing is remembered and every copy is the direct one.
    int pickedLeft = 0;
    for (std::int16_t i = 0; i < product::kSystems; ++i) {
        pickedLeft += dialog->CopyMapToSystem(i) ? 1 : 0;
    }
    std::array<std::optional<RepeatedTreeCopy>, std::size(product::kMiraMapSets)> copies;

    for (std::int16_t i = 0; i < product::kSystems; ++i) {
        if (!dialog->CopyMapToSystem(i)) {
            continue;
        }
        --pickedLeft;
        const int system = i + 1;
        const std::string systemDirectory = SystemMapDirectory(driveRoot, system);
        for (std::size_t index = 0; index < copies.size(); ++index) {
            const product::MiraMapSet& set = product::kMiraMapSets[index];
            const std::string target = systemDirectory + "\\" + std::string(set.name);
            if (DirectoryExists(machine.files, target)) {
                platform::MessageBoxRequest overwrite;
                overwrite.text = "Map " + std::string(set.name) + " Exists On System" +
                                 TwoDigits(system) + " Overwrite";
                overwrite.title = std::string(product::kFrontEndTitle);
                overwrite.buttons = platform::Buttons::YesNo;
                overwrite.prompt = prompt::OverwriteMap(TwoDigits(system), set.name);
                if (machine.ui.ShowMessage(overwrite) != Answer::Yes) {
                    continue;
                }
            }
            machine.ui.SetWaitCursor(true);
            // The map directory and the system's directory may be links a user made: nothing is
            // written through them.
            if (Status linked = platform::RefuseLinks(machine.files, systemDirectory);
                !linked.ok()) {
                return linked;
            }
            // One level only: the product's map directory must already be there.
            if (Status created = CreateDirectoryIfMissing(machine.files, systemDirectory);
                !created.ok()) {
                return created;
            }
            const std::string from = *source + std::string(set.path);
            std::optional<RepeatedTreeCopy>& copy = copies[index];
            // The log names the folder the bytes were read from.
            std::string readFrom = from;
            const std::string caption = "Copying the Mira maps for system " +
                                        std::to_string(system) + ": " + std::string(set.name);
            Status copied;
            if (copy) {
                readFrom = copy->firstDestination();
                copied = copy->Repeat(machine, target, caption);
            } else if (pickedLeft > 0) {
                copied = copy.emplace(from, target).CopyFirst(machine, caption);
            } else {
                TreeCopyOptions options;
                options.caption = caption;
                copied = CopyDirectoryTree(machine, from, target, options);
            }
            if (!copied.ok()) {
                return copied;
            }
            machine.log.Write("copy-tree", readFrom + " " + target, "done");
            machine.ui.SetWaitCursor(false);
        }
    }
    return Status();
}

} // namespace korvex::frontend
