// The Windows profile-string service: writing one key of one section of an INI file.
#pragma once

#include <string_view>

#include "platform/Error.h"

namespace korvex::platform {

class Profile {
public:
    virtual ~Profile() = default;

    // WritePrivateProfileString(section, key, value, file). A file name without a directory
    // names a file in the Windows directory. A missing file or section is created (a new
    // section goes at the end of the file); an existing key's value is replaced in its line;
    // a new key goes at the end of its section. Section and key names compare without regard
    // to case; every other line, key and section keeps its place and its bytes.
    virtual Status WriteString(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view file) = 0;
};

} // namespace korvex::platform
