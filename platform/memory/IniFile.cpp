// WritePrivateProfileString's change to an INI file, over the file's bytes.
#include "platform/memory/IniFile.h"

#include <cstddef>
#include <optional>
#include <vector>

#include "platform/memory/Paths.h"

namespace korvex::memory {

namespace {

struct Line {
    std::size_t begin = 0;
    std::size_t contentEnd = 0; // before the line end
    std::size_t end = 0;        // after the line end
    bool HasLineEnd() const { return end > contentEnd; }
};

std::vector<Line> SplitLines(std::string_view bytes) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t newline = bytes.find('\n', pos);
        Line line;
        line.begin = pos;
        if (newline == std::string_view::npos) {
            line.contentEnd = line.end = bytes.size();
        } else {
            line.contentEnd = newline > pos && bytes[newline - 1] == '\r' ? newline - 1 : newline;
            line.end = newline + 1;
        }
        lines.push_back(line);
        pos = line.end;
    }
    return lines;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The folded name of a section header line, or nothing for any other line.
std::optional<std::string> SectionName(std::string_view content) {
    const std::string_view text = Trim(content);
    if (text.empty() || text.front() != '[') {
        return std::nullopt;
    }
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return FoldCase(Trim(text.substr(1, close - 1)));
}

} // namespace

std::string WriteIniKey(std::string_view bytes, std::string_view section, std::string_view key,
                        std::string_view value) {
    const std::string wantedSection = FoldCase(Trim(section));
    const std::string wantedKey = FoldCase(Trim(key));
    std::string keyLine;
    keyLine.reserve(key.size() + value.size() + 1);
    keyLine.append(key).append("=").append(value);

    const std::vector<Line> lines = SplitLines(bytes);
    std::size_t header = 0;
    bool found = false;
    for (; header < lines.size(); ++header) {
        const Line& line = lines[header];
        const auto name = SectionName(bytes.substr(line.begin, line.contentEnd - line.begin));
        if (name && *name == wantedSection) {
            found = true;
            break;
        }
    }

    std::string out;
    out.reserve(bytes.size() + keyLine.size() + section.size() + 8);
    if (!found) {
        out.append(bytes);
        if (!out.empty() && out.back() != '\n') {
            out += "\r\n";
        }
        out.append("[").append(section).append("]\r\n").append(keyLine).append("\r\n");
        return out;
    }

    std::size_t lastNonBlank = header;
    for (std::size_t i = header + 1; i < lines.size(); ++i) {
        const Line& line = lines[i];
        const std::string_view content = bytes.substr(line.begin, line.contentEnd - line.begin);
        if (SectionName(content)) {
            break;
        }
        const std::string_view text = Trim(content);
        if (text.empty()) {
            continue;
        }
        lastNonBlank = i;
        if (text.front() == ';') {
            continue;
        }
        if (FoldCase(Trim(text.substr(0, text.find('=')))) == wantedKey) {
            // The key keeps the file's spelling; only what follows its "=" changes.
            const std::size_t equals = content.find('=');
            out.append(bytes.substr(0, line.begin));
            if (equals == std::string_view::npos) {
                out.append(Trim(content)).append("=");
            } else {
                out.append(content.substr(0, equals + 1));
            }
            out.append(value);
            out.append(bytes.substr(line.contentEnd));
            return out;
        }
    }

    const Line& after = lines[lastNonBlank];
    out.append(bytes.substr(0, after.end));
    if (!after.HasLineEnd()) {
        out += "\r\n";
    }
    out.append(keyLine).append("\r\n");
    out.append(bytes.substr(after.end));
    return out;
}

} // namespace korvex::memory
