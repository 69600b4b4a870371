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

const std::string* FindSectionName(const AnswerSchema& schema, std::string_view name) {
    for (const std::string& known : schema.sections) {
        if (EqualsNoCase(known, name)) {
            return &known;
        }
    }
    return nullptr;
}

// Whether the section's keys are the other program's to check.
bool IsForeign(const AnswerSchema& schema, std::string_view section) {
    for (const AnswerKey& key : schema.keys) {
        if (key.section == section) {
            return false;
        }
    }
    return true;
}

const AnswerKey* FindKey(const AnswerSchema& schema, std::string_view section,
                         std::string_view key) {
    for (const AnswerKey& known : schema.keys) {
        if (EqualsNoCase(known.section, section) && EqualsNoCase(known.key, key)) {
            return &known;
        }
    }
    return nullptr;
}

std::optional<std::string> CanonicalValue(const AnswerKey& key, std::string_view value) {
    value = Trim(value);
    if (key.numbersUpTo > 0) {
        if (auto numbers = ParseNumberList(value, key.numbersUpTo)) {
            return FormatNumberList(*numbers);
        }
        return std::nullopt;
    }
    for (const std::string& word : key.words) {
        if (EqualsNoCase(word, value)) {
            return word;
        }
    }
    return std::nullopt;
}

} // namespace

std::vector<std::string> YesNo() {
    return {"Yes", "No"};
}

std::optional<std::vector<int>> ParseNumberList(std::string_view value, int highest) {
    std::vector<int> numbers;
    value = Trim(value);
    if (value.empty()) {
        return numbers;
    }
    while (true) {
        const auto comma = value.find(',');
        const auto number = ParseNumber(value.substr(0, comma));
        if (!number || *number < 1 || *number > highest ||
            std::find(numbers.begin(), numbers.end(), *number) != numbers.end()) {
            return std::nullopt;
        }
        numbers.push_back(*number);
        if (comma == std::string_view::npos) {
            break;
        }
        value.remove_prefix(comma + 1);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

std::string FormatNumberList(const std::vector<int>& numbers) {
    std::string out;
    for (int number : numbers) {
        if (!out.empty()) {
            out += ',';
        }
        out += std::to_string(number);
    }
    return out;
}

std::optional<AnswerFile> AnswerFile::Parse(std::string_view bytes, const AnswerSchema& schema,
                                            std::string& error) {
    AnswerFile file(schema);
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
        // A comment runs from ';' at the start of the line or after a blank (a stray carriage
        // return included) to the line's end.
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == ';' && (i == 0 || Trim(line.substr(i - 1, 1)).empty())) {
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
            const std::string* canonical = FindSectionName(schema, name);
            if (canonical == nullptr) {
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
        std::string key(Trim(line.substr(0, equals)));
        std::string value(Trim(line.substr(equals + 1)));
        if (!IsForeign(schema, current->name)) {
            const AnswerKey* known = FindKey(schema, current->name, key);
            if (known == nullptr) {
                error = where + "unknown key \"" + key + "\" in [" + current->name + "]";
                return std::nullopt;
            }
            auto canonicalValue = CanonicalValue(*known, value);
            if (!canonicalValue) {
                error = where + "value \"" + value + "\" is not allowed for " + known->key +
                        " in [" + current->name + "]";
                return std::nullopt;
            }
            key = known->key;
            value = std::move(*canonicalValue);
        }
        for (const auto& entry : current->entries) {
            if (EqualsNoCase(entry.first, key)) {
                error = where + key + " appears twice in [" + current->name + "]";
                return std::nullopt;
            }
        }
        current->entries.emplace_back(std::move(key), std::move(value));
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

std::optional<std::string> AnswerFile::Get(std::string_view section, std::string_view key) const {
    if (const Section* found = FindSection(section)) {
        for (const auto& entry : found->entries) {
            if (EqualsNoCase(entry.first, key)) {
                return entry.second;
            }
        }
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>>
AnswerFile::Entries(std::string_view section) const {
    const Section* found = FindSection(section);
    return found != nullptr ? found->entries : std::vector<std::pair<std::string, std::string>>{};
}

bool AnswerFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    const AnswerKey* known = FindKey(*schema_, section, key);
    const auto canonicalValue =
        known != nullptr ? CanonicalValue(*known, value) : std::optional<std::string>();
    if (!canonicalValue) {
        return false;
    }
    Section* found = FindSection(known->section);
    if (found == nullptr) {
        sections_.push_back(Section{known->section, {}});
        found = &sections_.back();
    }
    for (auto& entry : found->entries) {
        if (entry.first == known->key) {
            entry.second = *canonicalValue;
            return true;
        }
    }
    found->entries.emplace_back(known->key, *canonicalValue);
    return true;
}

std::string AnswerFile::Serialize() const {
    std::string out;
    for (const std::string& name : schema_->sections) {
        const Section* section = FindSection(name);
        if (section == nullptr) {
            continue;
        }
        if (!out.empty()) {
            out += "\r\n";
        }
        out += "[" + section->name + "]\r\n";
        for (const auto& [key, value] : section->entries) {
            out += key + "=" + value + "\r\n";
        }
    }
    return out;
}

} // namespace korvex::unattended
