// The old-format map preparation step.
#include "frontend/maps/CopyCcfMaps.h"

#include <string>

#include "frontend/Prompts.h"

namespace korvex::frontend {

using platform::Answer;

Status CopyCcfMaps(platform::Platform& machine, std::string_view driveRoot) {
    const std::string source(kCcfMapDirectory);
    const std::string mapDirectory = std::string(driveRoot) + "TELMIMAP";

    bool useMaps = false;
    if (!DirectoryExists(machine.files, source)) {
        platform::MessageBoxRequest request;
        request.text = "no CCF Maps To Copy";
        request.title = "Warning";
        (void)machine.ui.ShowMessage(request);
    } else {
        platform::MessageBoxRequest request;
        request.text = "CCF MAP files exists in " + source + "\r" +
                       "Use to create KORVEx files in " + mapDirectory + "?";
        request.title = "Query";
        request.buttons = platform::Buttons::YesNo;
        request.icon = platform::Icon::Question;
        request.prompt = prompt::kUseCcfMaps;
        useMaps = machine.ui.ShowMessage(request) == Answer::Yes;
    }

    // The hourglass is already on while the second question is open and stays on for the
    // whole copy.
    machine.ui.SetWaitCursor(true);
    if (useMaps) {
        bool goAhead = true;
        if (DirectoryExists(machine.files, mapDirectory)) {
            platform::MessageBoxRequest request;
            request.text =
                "KORVEx Map files directory (" + mapDirectory + ") already exists - continue?";
            request.title = "Warning";
            request.buttons = platform::Buttons::YesNo;
            request.prompt = prompt::kContinueIntoExistingMaps;
            goAhead = machine.ui.ShowMessage(request) == Answer::Yes;
        }
        if (goAhead) {
            // Any user may make C:\MAP and put links in it to other users' folders.
            TreeCopyOptions options;
            options.links = SourceLinks::Skip;
            options.caption = "Copying the old maps from " + source + " to " + mapDirectory;
            if (Status copied = CopyDirectoryTree(machine, source, mapDirectory, options);
                !copied.ok()) {
                return copied;
            }
            machine.log.Write("copy-tree", source + " " + mapDirectory, "done");
        }
    }
    machine.ui.SetWaitCursor(false);
    return Status();
}

} // namespace korvex::frontend
