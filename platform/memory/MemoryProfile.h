// The profile-string service of the in-memory Windows: WritePrivateProfileString over the
// machine's files, changing their bytes as IniFile.h describes.
#pragma once

#include "platform/Profile.h"

namespace korvex::memory {

struct Machine;

class MemoryProfile final : public platform::Profile {
public:
    explicit MemoryProfile(Machine& machine) : machine_(machine) {}

    // A file name without a directory names a file of the Windows directory; that full path is
    // the one FailPath sees. A missing file is created; the file carries the archive bit. A
    // read-only file or a directory refuses the write (ERROR_ACCESS_DENIED).
    Status WriteString(std::string_view section, std::string_view key, std::string_view value,
                       std::string_view file) override;

private:
    Machine& machine_;
};

} // namespace korvex::memory
