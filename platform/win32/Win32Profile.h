// The profile-string service through WritePrivateProfileStringW.
#pragma once

#include "platform/Profile.h"

namespace korvex::win32 {

class Win32Profile final : public platform::Profile {
public:
    // WritePrivateProfileStringW with the file name as given: a name without a directory is
    // put in the Windows directory by the API itself.
    Status WriteString(std::string_view section, std::string_view key, std::string_view value,
                       std::string_view file) override;
};

} // namespace korvex::win32
