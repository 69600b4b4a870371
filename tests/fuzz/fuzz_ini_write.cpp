// Fuzzes the INI write of the in-memory Windows on files of arbitrary bytes: afterwards the
// named section's first line of the key ends in "=value"; writing the same key again changes
// nothing; every other key of the file reads as before; and the bytes are those of the old file
// with either the key's line given the value or one block of lines inserted, where the writer's
// contract puts it. The profile service writes the same bytes into NELK.INI.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FuzzCheck.h"
#include "platform/memory/IniFile.h"
#include "platform/memory/MemoryWindows.h"
#include "platform/memory/Paths.h"

namespace korvex::fuzz {
namespace {

// An INI file read by the rules IniFile.h states, independently of the writer.
struct Line {
    std::size_t begin = 0;
    std::size_t contentEnd = 0;
    std::size_t end = 0;
};

std::vector<Line> SplitLines(std::string_view bytes) {
    std::vector<Line> lines;
    for (std::size_t pos = 0; pos < bytes.size();) {
        Line line{pos, bytes.size(), bytes.size()};
        const std::size_t newline = bytes.find('\n', pos);
        if (newline != std::string_view::npos) {
            line.end = newline + 1;
            line.contentEnd = newline > pos && bytes[newline - 1] == '\r' ? newline - 1 : newline;
        }
        lines.push_back(line);
        pos = line.end;
    }
    return lines;
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<std::string> HeaderName(std::string_view content) {
    const std::string_view text = Trim(content);
    if (text.empty() || text.front() != '[' || text.find(']') == std::string_view::npos) {
        return std::nullopt;
    }
    return memory::FoldCase(Trim(text.substr(1, text.find(']') - 1)));
}

// The folded key a line names, or nothing for a blank line or a comment.
std::optional<std::string> KeyName(std::string_view content) {
    const std::string_view text = Trim(content);
    if (text.empty() || text.front() == ';') {
        return std::nullopt;
    }
    return memory::FoldCase(Trim(text.substr(0, text.find('='))));
}

using Key = std::pair<std::string, std::string>; // folded section and key

// What a reader finds: for each key of the first section of each name, its first line.
std::map<Key, std::string> ReadKeys(std::string_view bytes) {
    std::map<Key, std::string> keys;
    std::set<std::string> seen;
    std::optional<std::string> section; // nothing outside a first section
    for (const Line& line : SplitLines(bytes)) {
        const std::string_view content = bytes.substr(line.begin, line.contentEnd - line.begin);
        if (auto header = HeaderName(content)) {
            section = seen.insert(*header).second ? header : std::nullopt;
            continue;
        }
        if (auto key = KeyName(content); key && section) {
            keys.emplace(Key{*section, *key}, std::string(content));
        }
    }
    return keys;
}

// Whether `after` is `before` with `inserted` put in at a line start p that satisfies `where`.
template <class Where>
bool InsertedAt(std::string_view before, std::string_view after, std::string_view inserted,
                Where where) {
    if (after.size() != before.size() + inserted.size()) {
        return false;
    }
    const std::size_t prefix =
        std::mismatch(before.begin(), before.end(), after.begin()).first - before.begin();
    const std::size_t suffix =
        std::mismatch(before.rbegin(), before.rend(), after.rbegin()).first - before.rbegin();
    for (std::size_t p = before.size() - std::min(suffix, before.size()); p <= prefix; ++p) {
        if (after.compare(p, inserted.size(), inserted) == 0 && where(p)) {
            return true;
        }
    }
    return false;
}

void CheckWrite(std::string_view bytes, std::string_view section, std::string_view key,
                std::string_view value) {
    const std::string after = memory::WriteIniKey(bytes, section, key, value);
    const std::string keyLine = std::string(key) + "=" + std::string(value);
    const Key written{memory::FoldCase(Trim(section)), memory::FoldCase(Trim(key))};
    const auto report = [&](std::string_view property) {
        Fail(property, "section " + Escaped(section) + " key " + Escaped(key) + " value " +
                           Escaped(value) + "\nbefore " + Escaped(bytes) + "\nafter  " +
                           Escaped(after));
    };

    std::map<Key, std::string> keysBefore = ReadKeys(bytes);
    std::map<Key, std::string> keysAfter = ReadKeys(after);
    const std::string& line = keysAfter[written];
    if (line.find('=') == std::string::npos || line.substr(line.find('=') + 1) != value) {
        report("the section's first line of the key ends in \"=value\"");
    }
    keysBefore.erase(written);
    keysAfter.erase(written);
    if (keysBefore != keysAfter) {
        report("every other key reads as before");
    }
    if (memory::WriteIniKey(after, section, key, value) != after) {
        report("writing the same key and value again changes nothing");
    }

    // Where the bytes changed.
    const std::vector<Line> lines = SplitLines(bytes);
    std::optional<std::size_t> header;
    for (std::size_t i = 0; i < lines.size() && !header; ++i) {
        const auto name =
            HeaderName(bytes.substr(lines[i].begin, lines[i].contentEnd - lines[i].begin));
        if (name && *name == written.first) {
            header = i;
        }
    }
    if (!header) {
        const std::string block = "[" + std::string(section) + "]\r\n" + keyLine + "\r\n";
        const std::string separator = !bytes.empty() && bytes.back() != '\n' ? "\r\n" : "";
        if (after != std::string(bytes) + separator + block) {
            report("a missing section goes at the end of the file");
        }
        return;
    }
    std::size_t sectionEnd = bytes.size(); // where the next section's header starts
    for (std::size_t i = *header + 1; i < lines.size(); ++i) {
        const std::string_view content =
            bytes.substr(lines[i].begin, lines[i].contentEnd - lines[i].begin);
        if (HeaderName(content)) {
            sectionEnd = lines[i].begin;
            break;
        }
        if (KeyName(content) == written.second) {
            // The file's spelling of the key stays; a line without "=" is the key alone.
            const std::size_t equals = content.find('=');
            const std::string kept = equals == std::string_view::npos
                                         ? std::string(Trim(content)) + "="
                                         : std::string(content.substr(0, equals + 1));
            if (after != std::string(bytes.substr(0, lines[i].begin)) + kept + std::string(value) +
                             std::string(bytes.substr(lines[i].contentEnd))) {
                report("an existing key's line keeps its key and line end and takes the value");
            }
            return;
        }
    }
    // A new key goes after the section's last non-blank line: the line that ends where it goes
    // is the header or not blank, and only blank lines follow it in the section.
    const auto blank = [&](const Line& line) {
        return Trim(bytes.substr(line.begin, line.contentEnd - line.begin)).empty();
    };
    const auto afterLastNonBlank = [&](std::size_t p) {
        std::size_t ending = *header;
        while (ending < lines.size() && lines[ending].end < p) {
            ++ending;
        }
        if (ending == lines.size() || lines[ending].end != p || p > sectionEnd ||
            (ending != *header && blank(lines[ending]))) {
            return false;
        }
        for (std::size_t i = ending + 1; i < lines.size() && lines[i].begin < sectionEnd; ++i) {
            if (!blank(lines[i])) {
                return false;
            }
        }
        return true;
    };
    const std::string newLine = keyLine + "\r\n";
    const auto atLineStart = [&](std::size_t p) {
        return (p == 0 || bytes[p - 1] == '\n') && afterLastNonBlank(p);
    };
    const auto atUnendedLastLine = [&](std::size_t p) {
        return p == bytes.size() && p > 0 && bytes[p - 1] != '\n' && afterLastNonBlank(p);
    };
    if (!InsertedAt(bytes, after, newLine, atLineStart) &&
        !InsertedAt(bytes, after, "\r\n" + newLine, atUnendedLastLine)) {
        report("a new key is one line inserted after its section's last non-blank line");
    }
}

// The profile service puts the same bytes into the file in the Windows directory.
void CheckProfileService(std::string_view bytes, std::string_view section, std::string_view key,
                         std::string_view value) {
    memory::MemoryWindows windows;
    windows.PutFile("C:\\WINDOWS\\NELK.INI", bytes);
    const Status written = windows.profile().WriteString(section, key, value, "NELK.INI");
    if (!written.ok() || windows.Contents("C:\\WINDOWS\\NELK.INI") !=
                             memory::WriteIniKey(bytes, section, key, value)) {
        Fail("WriteString writes what WriteIniKey gives",
             written.Describe() + "\n" + Escaped(bytes) + "\n" + windows.Describe());
    }
}

// Names and values the contract excludes: line ends anywhere, "]" in a section name, "=" in a
// key, and a key that would read as a comment or a section header.
std::string Without(std::string text, std::string_view characters) {
    std::erase_if(text, [&](char c) { return characters.find(c) != std::string_view::npos; });
    return text;
}

} // namespace
} // namespace korvex::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvex::fuzz;
    FuzzedDataProvider input(data, size);
    const std::string section = Without(input.ConsumeRandomLengthString(24), "\r\n]");
    std::string key = Without(input.ConsumeRandomLengthString(24), "\r\n=");
    const std::string value = Without(input.ConsumeRandomLengthString(48), "\r\n");
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    if (const std::string_view trimmed = Trim(key);
        !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '[')) {
        key.insert(0, "k");
    }
    CheckWrite(bytes, section, key, value);
    CheckProfileService(bytes, section, key, value);
    return 0;
}
