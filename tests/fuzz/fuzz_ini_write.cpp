// Fuzzes the INI write of the in-memory Windows on files of arbitrary bytes against a reader
// and a model of the contract in IniFile.h written here independently: only the key's line
// changes or one block goes where the contract puts it, writing again changes nothing, and the
// profile service writes the same bytes into NELK.INI.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "platform/memory/IniFile.h"
#include "platform/memory/MemoryWindows.h"
#include "platform/memory/Paths.h"

namespace korvex::fuzz {
namespace {

using memory::FoldCase;

// A line: its text without the line end, and where it ends, line end included.
struct Line {
    std::size_t begin;
    std::string_view content;
    std::size_t end;
};

std::vector<Line> SplitLines(std::string_view bytes) {
    std::vector<Line> lines;
    for (std::size_t pos = 0, end; pos < bytes.size(); pos = end) {
        end = std::min(bytes.find('\n', pos), bytes.size() - 1) + 1;
        std::string_view content = bytes.substr(pos, end - pos);
        content.remove_suffix(content.ends_with("\r\n") ? 2 : content.ends_with('\n'));
        lines.push_back({pos, content, end});
    }
    return lines;
}

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    return first == std::string_view::npos
               ? ""
               : text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::optional<std::string> HeaderName(std::string_view content) {
    const std::string_view text = Trim(content);
    if (!text.starts_with('[') || text.find(']') == std::string_view::npos) {
        return std::nullopt;
    }
    return FoldCase(Trim(text.substr(1, text.find(']') - 1)));
}

// The folded key a line names, or nothing for a blank line or a comment.
std::optional<std::string> KeyName(std::string_view content) {
    const std::string_view text = Trim(content);
    if (text.empty() || text.front() == ';') {
        return std::nullopt;
    }
    return FoldCase(Trim(text.substr(0, text.find('='))));
}

// The bytes the contract gives: in the first section of the name, the first line of the key
// keeps its spelling up to "=" (a line without "=" is the key alone) and its line end and takes
// the value; a missing key goes in a line after the section's last non-blank line (the header
// when there is none); a missing section goes at the end, after a line end.
std::string Expected(std::string_view bytes, std::string_view section, std::string_view key,
                     std::string_view value) {
    const std::vector<Line> lines = SplitLines(bytes);
    const std::string keyLine = std::string(key) + "=" + std::string(value) + "\r\n";
    std::size_t last = 0;
    while (last < lines.size() && HeaderName(lines[last].content) != FoldCase(Trim(section))) {
        ++last;
    }
    if (last == lines.size()) {
        const std::string separator = !bytes.empty() && bytes.back() != '\n' ? "\r\n" : "";
        return std::string(bytes) + separator + "[" + std::string(section) + "]\r\n" + keyLine;
    }
    for (std::size_t i = last + 1; i < lines.size() && !HeaderName(lines[i].content); ++i) {
        const std::string_view content = lines[i].content;
        if (KeyName(content) == FoldCase(Trim(key))) {
            const std::size_t equals = content.find('=');
            return std::string(bytes.substr(0, lines[i].begin)) +
                   std::string(equals == std::string_view::npos ? Trim(content)
                                                                : content.substr(0, equals)) +
                   "=" + std::string(value) +
                   std::string(bytes.substr(lines[i].begin + content.size()));
        }
        last = Trim(content).empty() ? last : i;
    }
    const std::size_t at = lines[last].end;
    return std::string(bytes.substr(0, at)) + (bytes[at - 1] == '\n' ? "" : "\r\n") + keyLine +
           std::string(bytes.substr(at));
}

void CheckWrite(std::string_view bytes, std::string_view section, std::string_view key,
                std::string_view value) {
    const std::string after = memory::WriteIniKey(bytes, section, key, value);
    const auto report = [&] {
        return "section " + Escaped(section) + " key " + Escaped(key) + " value " + Escaped(value) +
               "\nbefore " + Escaped(bytes) + "\nafter  " + Escaped(after);
    };
    Check(after == Expected(bytes, section, key, value),
          "only the key's line changes, or one block goes where the contract puts it", report);
    Check(memory::WriteIniKey(after, section, key, value) == after,
          "writing the same key and value again changes nothing", report);
    memory::MemoryWindows windows;
    windows.PutFile("C:\\WINDOWS\\NELK.INI", bytes);
    Check(windows.profile().WriteString(section, key, value, "NELK.INI").ok() &&
              windows.Contents("C:\\WINDOWS\\NELK.INI") == after,
          "WriteString writes what WriteIniKey gives", report);
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
    if (const std::string_view trimmed = Trim(key);
        trimmed.starts_with(';') || trimmed.starts_with('[')) {
        key.insert(0, "k");
    }
    CheckWrite(input.ConsumeRemainingBytesAsString(), section, key, value);
    return 0;
}
