// Reading, checking and writing answer files.
#include "platform/unattended/AnswerFile.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace korvex::unattended {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The order sections are written in.
constexpr std::array<std::string_view, 5> kSections = {"VarenInstall", "KORVExConf", "SystemType",
                                                       "MiraCopy", "upgradeprep"};

constexpr std::array<std::string_view, 6> kMapSets = {"studio", "studios", "news",
                                                      "ob_map", "defmira", "Eng_test"};

enum class Kind { YesNo, Region, Button, Connection, Maps, Model, Systems };

struct KeyRule {
    std::string_view section;
    std::string_view key;
    Kind kind;
};

constexpr KeyRule kKeys[] = {
    {"VarenInstall", "OverwriteCsuinfo", Kind::YesNo},
    {"VarenInstall", "OverwriteCnetio", Kind::YesNo},
    {"VarenInstall", "OverwriteZelmain", Kind::YesNo},
    {"VarenInstall", "UpdateKorvexSettings", Kind::YesNo},
    {"VarenInstall", "UpdateYmvSettings", Kind::YesNo},
    {"VarenInstall", "UseCcfMaps", Kind::YesNo},
    {"VarenInstall", "ContinueIntoExistingMaps", Kind::YesNo},
    {"VarenInstall", "CopyMiraMaps", Kind::YesNo},
    {"VarenInstall", "OverwriteMap", Kind::YesNo},
    {"VarenInstall", "AirtalkerRegion", Kind::Region},
    {"KORVExConf", "Button", Kind::Button},
    {"KORVExConf", "Connection", Kind::Connection},
    {"KORVExConf", "Maps", Kind::Maps},
    {"KORVExConf", "CopyMira", Kind::YesNo},
    {"SystemType", "Button", Kind::Button},
    {"SystemType", "StackFromTop", Kind::Systems},
    {"MiraCopy", "Button", Kind::Button},
    {"MiraCopy", "Systems", Kind::Systems},
    {"upgradeprep", "Upgrade", Kind::YesNo},
    {"upgradeprep", "SearchAndDelete", Kind::YesNo},
    {"upgradeprep", "KeepConfiguration", Kind::YesNo},
};

std::optional<int> ParseNumber(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.size() > 2) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// The kind of a known key, with its canonical name.
std::optional<std::pair<std::string, Kind>> Lookup(std::string_view section, std::string_view key) {
    const auto canonicalSection = CanonicalSection(section);
    if (!canonicalSection) {
        return std::nullopt;
    }
    for (const KeyRule& rule : kKeys) {
        if (rule.section == *canonicalSection && EqualsNoCase(rule.key, key)) {
            return std::make_pair(std::string(rule.key), rule.kind);
        }
    }
    if (*canonicalSection == "SystemType" && key.size() > 6 &&
        EqualsNoCase(key.substr(0, 6), "System")) {
        // System1 ... System15, written without leading zeros.
        const auto digits = key.substr(6);
        const auto number = ParseNumber(digits);
        if (number && *number >= 1 && *number <= 15 && digits.front() != '0') {
            return std::make_pair("System" + std::to_string(*number), Kind::Model);
        }
    }
    if (*canonicalSection == "VarenInstall" && key.size() > 13 &&
        EqualsNoCase(key.substr(0, 14), "OverwriteMap.S")) {
        // OverwriteMap.S<two digits>.<map set>
        const auto rest = key.substr(14);
        if (rest.size() > 3 && rest[2] == '.') {
            const auto number = ParseNumber(rest.substr(0, 2));
            const auto set = rest.substr(3);
            for (std::string_view known : kMapSets) {
                if (number && *number >= 1 && *number <= 15 && EqualsNoCase(known, set)) {
                    std::string name = "OverwriteMap.S";
                    name += static_cast<char>('0' + *number / 10);
                    name += static_cast<char>('0' + *number % 10);
                    name += '.';
                    name += known;
                    return std::make_pair(std::move(name), Kind::YesNo);
                }
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> OneOf(std::string_view value,
                                 std::initializer_list<std::string_view> words) {
    for (std::string_view word : words) {
        if (EqualsNoCase(word, value)) {
            return std::string(word);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> CanonicalSection(std::string_view section) {
    for (std::string_view known : kSections) {
        if (EqualsNoCase(known, section)) {
            return std::string(known);
        }
    }
    return std::nullopt;
}

std::optional<std::string> CanonicalKey(std::string_view section, std::string_view key) {
    auto found = Lookup(section, key);
    if (!found) {
        return std::nullopt;
    }
    return std::move(found->first);
}

std::optional<std::vector<int>> ParseSystemList(std::string_view value) {
    std::vector<int> systems;
    value = Trim(value);
    if (value.empty()) {
        return systems;
    }
    while (true) {
        const auto comma = value.find(',');
        const auto number = ParseNumber(value.substr(0, comma));
        if (!number || *number < 1 || *number > 15 ||
            std::find(systems.begin(), systems.end(), *number) != systems.end()) {
            return std::nullopt;
        }
        systems.push_back(*number);
        if (comma == std::string_view::npos) {
            break;
        }
        value.remove_prefix(comma + 1);
    }
    std::sort(systems.begin(), systems.end());
    return systems;
}

std::string FormatSystemList(const std::vector<int>& systems) {
    std::string out;
    for (int system : systems) {
        if (!out.empty()) {
            out += ',';
        }
        out += std::to_string(system);
    }
    return out;
}

std::optional<std::string> CanonicalValue(std::string_view section, std::string_view key,
                                          std::string_view value) {
    const auto found = Lookup(section, key);
    if (!found) {
        return std::nullopt;
    }
    value = Trim(value);
    switch (found->second) {
    case Kind::YesNo:
        return OneOf(value, {"Yes", "No"});
    case Kind::Region:
        return OneOf(value, {"0", "1", "2"});
    case Kind::Button:
        return OneOf(value, {"OK", "Cancel", "Close"});
    case Kind::Connection:
        return OneOf(value, {"Serial", "Ethernet"});
    case Kind::Maps:
        return OneOf(value, {"NoConversion", "Convert"});
    case Kind::Model:
        return OneOf(value, {"Ostrel", "Pennet", "Quarne", "Mira"});
    case Kind::Systems:
        if (auto systems = ParseSystemList(value)) {
            return FormatSystemList(*systems);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<AnswerFile> AnswerFile::Parse(std::string_view bytes, std::string& error) {
    AnswerFile file;
    // A UTF-8 byte order mark, as editors on Windows write it, is not part of the first line.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    Section* current = nullptr;
    std::size_t lineNumber = 0;
    while (!bytes.empty()) {
        ++lineNumber;
        const auto end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (line.find('\0') != std::string_view::npos) {
            error = where + "the file is not text";
            return std::nullopt;
        }
        // A comment runs from ';' at the start of the line or after a blank to the line's end.
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == ';' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
                line = line.substr(0, i);
                break;
            }
        }
        line = Trim(line);
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') {
                error = where + "a section header must end with ']'";
                return std::nullopt;
            }
            const std::string_view name = Trim(line.substr(1, line.size() - 2));
            const auto canonical = CanonicalSection(name);
            if (!canonical) {
                error = where + "unknown section [" + std::string(name) + "]";
                return std::nullopt;
            }
            if (file.FindSection(*canonical) != nullptr) {
                error = where + "section [" + *canonical + "] appears twice";
                return std::nullopt;
            }
            file.sections_.push_back(Section{*canonical, {}});
            current = &file.sections_.back();
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            error = where + "expected key=value, found \"" + std::string(line) + "\"";
            return std::nullopt;
        }
        if (current == nullptr) {
            error = where + "a key before the first section";
            return std::nullopt;
        }
        const std::string_view key = Trim(line.substr(0, equals));
        const std::string_view value = Trim(line.substr(equals + 1));
        const auto canonicalKey = CanonicalKey(current->name, key);
        if (!canonicalKey) {
            error = where + "unknown key \"" + std::string(key) + "\" in [" + current->name + "]";
            return std::nullopt;
        }
        const auto canonicalValue = CanonicalValue(current->name, key, value);
        if (!canonicalValue) {
            error = where + "value \"" + std::string(value) + "\" is not allowed for " +
                    *canonicalKey + " in [" + current->name + "]";
            return std::nullopt;
        }
        for (const Entry& entry : current->entries) {
            if (entry.key == *canonicalKey) {
                error = where + *canonicalKey + " appears twice in [" + current->name + "]";
                return std::nullopt;
            }
        }
        current->entries.push_back(Entry{*canonicalKey, *canonicalValue});
    }
    return file;
}

AnswerFile::Section* AnswerFile::FindSection(std::string_view name) {
    for (Section& section : sections_) {
        if (EqualsNoCase(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

const AnswerFile::Section* AnswerFile::FindSection(std::string_view name) const {
    return const_cast<AnswerFile*>(this)->FindSection(name);
}

bool AnswerFile::HasSection(std::string_view section) const {
    return FindSection(section) != nullptr;
}

std::optional<std::string> AnswerFile::Get(std::string_view section, std::string_view key) const {
    const Section* found = FindSection(section);
    const auto canonicalKey = CanonicalKey(section, key);
    if (found == nullptr || !canonicalKey) {
        return std::nullopt;
    }
    for (const Entry& entry : found->entries) {
        if (entry.key == *canonicalKey) {
            return entry.value;
        }
    }
    return std::nullopt;
}

bool AnswerFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    const auto canonicalSection = CanonicalSection(section);
    const auto canonicalKey = CanonicalKey(section, key);
    const auto canonicalValue = CanonicalValue(section, key, value);
    if (!canonicalSection || !canonicalKey || !canonicalValue) {
        return false;
    }
    Section* found = FindSection(*canonicalSection);
    if (found == nullptr) {
        sections_.push_back(Section{*canonicalSection, {}});
        found = &sections_.back();
    }
    for (Entry& entry : found->entries) {
        if (entry.key == *canonicalKey) {
            entry.value = *canonicalValue;
            return true;
        }
    }
    found->entries.push_back(Entry{*canonicalKey, *canonicalValue});
    return true;
}

std::string AnswerFile::Serialize() const {
    std::string out;
    for (std::string_view name : kSections) {
        const Section* section = FindSection(name);
        if (section == nullptr) {
            continue;
        }
        if (!out.empty()) {
            out += "\r\n";
        }
        out += "[" + section->name + "]\r\n";
        for (const Entry& entry : section->entries) {
            out += entry.key + "=" + entry.value + "\r\n";
        }
    }
    return out;
}

} // namespace korvex::unattended
