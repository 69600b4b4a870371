// WritePrivateProfileString of the in-memory Windows.
#include "platform/memory/MemoryProfile.h"

#include <memory>
#include <string>
#include <utility>

#include "platform/memory/IniFile.h"
#include "platform/memory/Machine.h"

namespace korvex::memory {

namespace attr = platform::attr;

Status MemoryProfile::WriteString(std::string_view section, std::string_view key,
                                  std::string_view value, std::string_view file) {
    std::string path(file);
    if (path.find_first_of("\\/:") == std::string::npos) {
        const std::string& windows = machine_.windowsDirectory;
        path = windows + (windows.back() == '\\' ? "" : "\\") + path;
    }
    const auto located = machine_.Begin(Operation::WriteProfileString, {path});
    if (!located.ok()) {
        return located.status();
    }
    const Place& place = located.value();
    const std::shared_ptr<Node> existing = place.node;
    if (!place.directory || (existing && existing->directory) ||
        (existing && (existing->attributes & attr::kReadOnly))) {
        return Status::Failure(win::kAccessDenied);
    }
    std::string bytes =
        WriteIniKey(existing ? existing->contents : std::string(), section, key, value);
    if (!Fits(*place.drive, existing ? existing->contents.size() : 0, bytes.size())) {
        return Status::Failure(win::kDiskFull);
    }
    std::shared_ptr<Node> ini = existing;
    if (!ini) {
        ini = NewNode(place.name, false);
        Attach(*place.drive, *place.directory, ini);
    }
    SetContents(*place.drive, *ini, std::move(bytes));
    ini->attributes |= attr::kArchive;
    return {};
}

} // namespace korvex::memory
