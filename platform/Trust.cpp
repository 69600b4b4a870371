// Links and folders others may change, asked of the file system.
#include "platform/Trust.h"

namespace korvex::platform {

WinError LinkRefused(std::string path) {
    return WinError(win::kStoppedOnSymlink,
                    "The folder is a link (a junction or symbolic link), which a standard user "
                    "may have made: nothing is written through it.",
                    "refuse", std::move(path));
}

namespace {

// The length of the root of an absolute path: "C:\" or "\\server\share\"; 0 for another path.
std::size_t RootLength(std::string_view path) {
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') {
        const char drive = path[0];
        return (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z') ? 3 : 0;
    }
    if (path.starts_with("\\\\")) {
        const std::size_t server = path.find('\\', 2);
        if (server == std::string_view::npos || server == 2) {
            return 0;
        }
        const std::size_t share = path.find('\\', server + 1);
        if (share == server + 1) {
            return 0;
        }
        return share == std::string_view::npos ? path.size() : share + 1;
    }
    return 0;
}

} // namespace

bool IsAbsolutePath(std::string_view path) {
    return RootLength(path) != 0;
}

Status RefuseLinks(FileSystem& files, std::string_view path) {
    std::size_t end = RootLength(path);
    while (end < path.size()) {
        std::size_t next = path.find('\\', end);
        if (next == std::string_view::npos) {
            next = path.size();
        }
        if (next > end) {
            const std::string directory(path.substr(0, next));
            auto attributes = files.GetAttributes(directory);
            if (!attributes.ok()) {
                const std::uint32_t code = attributes.code();
                if (code == win::kFileNotFound || code == win::kPathNotFound) {
                    return Status();
                }
                return FailedAt(attributes.error(), "read attributes", directory);
            }
            if (IsLink(attributes.value())) {
                return Status(LinkRefused(directory));
            }
        }
        end = next + 1;
    }
    return Status();
}

Status RefuseUnprotected(FileSystem& files, std::string_view directory) {
    auto protection = files.GetProtection(directory);
    if (!protection.ok()) {
        return FailedAt(protection.error(), "read attributes", std::string(directory));
    }
    if (protection.value().link) {
        return Status(LinkRefused(std::string(directory)));
    }
    if (protection.value().othersMayChange) {
        return Status(WinError(win::kAccessDenied,
                               "Standard users may change the folder (" + protection.value().who +
                                   " may write in it), so its files may be anybody's: nothing is "
                                   "taken from it or put in it.",
                               "refuse", std::string(directory)));
    }
    return Status();
}

} // namespace korvex::platform
