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
    const auto located = machine_.Begin(Operation::WriteProfileString, {path}, Reach::Entry);
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
    const auto ini = StoreFile(place, std::move(bytes));
    if (!ini.ok()) {
        return ini.status();
    }
    ini.value()->attributes |= attr::kArchive;
    return {};
}

} // namespace korvex::memory
