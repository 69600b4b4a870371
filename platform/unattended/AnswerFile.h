// The answer file of an unattended run: an INI file whose sections answer the questions and
// dialogs of VarenInstall and upgradeprep. Reading checks every section, key and value, so a
// bad file is found before anything is changed; writing produces the same format, so a
// recorded run can be replayed.
//
//     [VarenInstall]            [KORVExConf]          [SystemType]           [MiraCopy]
//     OverwriteCsuinfo=No       Button=OK             Button=OK              Button=OK
//     OverwriteMap.S02.ob_map=No Connection=Ethernet  System3=Mira           Systems=1,10
//     AirtalkerRegion=2         Maps=Convert          StackFromTop=5
//                               CopyMira=Yes
//     [upgradeprep]
//     Upgrade=Yes   SearchAndDelete=Yes   KeepConfiguration=Yes
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::unattended {

class AnswerFile {
public:
    // Parses and checks the bytes. Section and key names and the words of values compare
    // without regard to case; ';' starts a comment at the start of a line or after a blank.
    // On a bad file, returns nothing and says why in `error` ("line 4: unknown key ...").
    static std::optional<AnswerFile> Parse(std::string_view bytes, std::string& error);

    // The value of a key in its canonical spelling ("Yes", "Ethernet", "1,10"), or nothing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;

    // Sets a key, which must be one the format knows, with a valid value; returns false
    // otherwise. Used when recording.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    // The file's text: known sections in a fixed order, keys in the order they were set,
    // CR LF line ends.
    std::string Serialize() const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    Section* FindSection(std::string_view name);
    const Section* FindSection(std::string_view name) const;

    std::vector<Section> sections_;
};

// The canonical name of a key the format knows in a section, or nothing for an unknown
// section or key ("overwritemap.s2.OB_MAP" is unknown; "overwritemap.s02.OB_MAP" gives
// "OverwriteMap.S02.ob_map").
std::optional<std::string> CanonicalKey(std::string_view section, std::string_view key);
// The canonical value for a known key, or nothing when the value is not allowed there.
std::optional<std::string> CanonicalValue(std::string_view section, std::string_view key,
                                          std::string_view value);
// The canonical section name, or nothing.
std::optional<std::string> CanonicalSection(std::string_view section);

// "1, 10,3" -> {1, 3, 10}; numbers 1 to 15, each once; nothing for anything else.
std::optional<std::vector<int>> ParseSystemList(std::string_view value);
std::string FormatSystemList(const std::vector<int>& systems);

} // namespace korvex::unattended
