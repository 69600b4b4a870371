// Path parsing, case folding, wildcard matching and 8.3 names of the in-memory Windows.
#include "platform/memory/Paths.h"

#include <cstddef>
#include <cstring>

namespace korvex::memory {

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Adds the components of `rest` (separated by "\") to `parts`, resolving "." and "..".
void AppendComponents(std::vector<std::string>& parts, std::string_view rest) {
    std::size_t pos = 0;
    while (pos <= rest.size()) {
        std::size_t end = rest.find('\\', pos);
        if (end == std::string_view::npos) {
            end = rest.size();
        }
        std::string piece(rest.substr(pos, end - pos));
        pos = end + 1;
        if (piece.empty() || piece == ".") {
            continue;
        }
        if (piece == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
            continue;
        }
        if (!HasWildcards(piece)) {
            // Win32 drops trailing dots and blanks of a name: "korvex.cfg." is "korvex.cfg".
            while (!piece.empty() && (piece.back() == '.' || piece.back() == ' ')) {
                piece.pop_back();
            }
            if (piece.empty()) {
                continue;
            }
        }
        parts.push_back(std::move(piece));
    }
}

// Marks for the wildcard meanings of a pattern's characters; outside the Unicode range so they
// never equal a character of a name.
constexpr char32_t kAnyRun = 0x110000;    // "*"
constexpr char32_t kToLastDot = 0x110001; // "*" before "."
constexpr char32_t kOneOrNone = 0x110002; // "?"
constexpr char32_t kDotOrEnd = 0x110003;  // "." before "*", "?" or the end

// The characters of a UTF-8 string; a byte that does not start a valid sequence stands for
// itself (as 0xDC00 plus the byte), so any bytes can be matched.
std::vector<char32_t> CodePoints(std::string_view text) {
    std::vector<char32_t> out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = 0;
        char32_t value = 0;
        if (lead < 0x80) {
            length = 1;
            value = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            value = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            value = lead & 0x07;
        }
        bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
            } else {
                value = (value << 6) | (next & 0x3F);
            }
        }
        if (!valid) {
            out.push_back(0xDC00 + lead);
            ++i;
            continue;
        }
        out.push_back(value);
        i += static_cast<std::size_t>(length);
    }
    return out;
}

std::vector<char32_t> CompilePattern(std::string_view pattern) {
    const std::vector<char32_t> raw = CodePoints(FoldCase(pattern));
    std::vector<char32_t> out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char32_t next = i + 1 < raw.size() ? raw[i + 1] : 0;
        if (raw[i] == U'*') {
            out.push_back(next == U'.' ? kToLastDot : kAnyRun);
        } else if (raw[i] == U'?') {
            out.push_back(kOneOrNone);
        } else if (raw[i] == U'.' && (next == U'*' || next == U'?' || next == 0)) {
            out.push_back(kDotOrEnd);
        } else {
            out.push_back(raw[i]);
        }
    }
    return out;
}

class Matcher {
public:
    Matcher(std::vector<char32_t> pattern, std::vector<char32_t> name)
        : pattern_(std::move(pattern)), name_(std::move(name)),
          memo_((pattern_.size() + 1) * (name_.size() + 1), kUnknown) {
        lastDot_ = name_.size();
        for (std::size_t i = name_.size(); i > 0; --i) {
            if (name_[i - 1] == U'.') {
                lastDot_ = i - 1;
                break;
            }
        }
    }

    bool Matches(std::size_t p, std::size_t n) {
        signed char& known = memo_[p * (name_.size() + 1) + n];
        if (known == kUnknown) {
            known = Compute(p, n) ? 1 : 0;
        }
        return known == 1;
    }

private:
    static constexpr signed char kUnknown = -1;

    bool Compute(std::size_t p, std::size_t n) {
        const std::size_t end = name_.size();
        if (p == pattern_.size()) {
            return n == end;
        }
        switch (pattern_[p]) {
        case kAnyRun:
            return Matches(p + 1, n) || (n < end && Matches(p, n + 1));
        case kToLastDot:
            // Stops at the last dot of the name; with no dot it may take the whole name.
            return Matches(p + 1, n) || (n < end && n != lastDot_ && Matches(p, n + 1));
        case kOneOrNone:
            if (n < end && name_[n] != U'.') {
                return Matches(p + 1, n + 1);
            }
            return Matches(p + 1, n);
        case kDotOrEnd:
            if (n < end && name_[n] == U'.') {
                return Matches(p + 1, n + 1);
            }
            return n == end && Matches(p + 1, n);
        default:
            return n < end && name_[n] == pattern_[p] && Matches(p + 1, n + 1);
        }
    }

    std::vector<char32_t> pattern_;
    std::vector<char32_t> name_;
    std::size_t lastDot_ = 0;
    std::vector<signed char> memo_;
};

bool IsShortNameCharacter(char c) {
    return IsAsciiLetter(c) || (c >= '0' && c <= '9') ||
           (c != '\0' && std::strchr("$%'-_@~`!(){}^#&", c) != nullptr);
}

// The upper-case characters of `text` that an 8.3 name can hold; each non-ASCII character
// becomes "_".
std::string ShortNameCharacters(std::string_view text) {
    std::string out;
    for (const char32_t c : CodePoints(text)) {
        if (c >= 0x80) {
            out += '_';
        } else if (IsShortNameCharacter(static_cast<char>(c))) {
            out += AsciiUpper(static_cast<char>(c));
        }
    }
    return out;
}

} // namespace

std::string FoldCase(std::string_view name) {
    std::string out(name);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
            continue;
        }
        if (c < 0xC0 || i + 1 >= out.size()) {
            continue;
        }
        const auto d = static_cast<unsigned char>(out[i + 1]);
        unsigned char lead = c;
        unsigned char trail = d;
        if (c == 0xC3 && d >= 0xA0 && d <= 0xBE && d != 0xB7) { // à..þ (not ÷)
            trail = static_cast<unsigned char>(d - 0x20);
        } else if (c == 0xCE && d >= 0xB1 && d <= 0xBF) { // α..ο
            trail = static_cast<unsigned char>(d - 0x20);
        } else if (c == 0xCF && d >= 0x80 && d <= 0x89) { // π..ω, final sigma to Σ
            lead = 0xCE;
            trail = d == 0x82 ? 0xA3 : static_cast<unsigned char>(d + 0x20);
        } else if (c == 0xD0 && d >= 0xB0 && d <= 0xBF) { // а..п
            trail = static_cast<unsigned char>(d - 0x20);
        } else if (c == 0xD1 && d >= 0x80 && d <= 0x8F) { // р..я
            lead = 0xD0;
            trail = static_cast<unsigned char>(d + 0x20);
        } else if (c == 0xD1 && d >= 0x90 && d <= 0x9F) { // ѐ..џ
            lead = 0xD0;
            trail = static_cast<unsigned char>(d - 0x10);
        } else {
            continue;
        }
        out[i] = static_cast<char>(lead);
        out[i + 1] = static_cast<char>(trail);
        ++i;
    }
    return out;
}

std::string ParsedPath::ToString() const {
    std::string out(1, drive);
    out += ":\\";
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i > 0) {
            out += '\\';
        }
        out += components[i];
    }
    return out;
}

std::vector<std::string> ParsedPath::Folded() const {
    std::vector<std::string> out;
    out.reserve(components.size());
    for (const std::string& component : components) {
        out.push_back(FoldCase(component));
    }
    return out;
}

Result<ParsedPath> ParsePath(std::string_view path, std::string_view currentDirectory) {
    std::string text(path);
    for (char& c : text) {
        if (c == '/') {
            c = '\\';
        }
    }
    if (text.empty()) {
        return Result<ParsedPath>::Failure(win::kPathNotFound);
    }
    // The current directory is absolute: "C:\" or "C:\a\b".
    std::string current(currentDirectory);
    for (char& c : current) {
        if (c == '/') {
            c = '\\';
        }
    }
    const char currentDrive = current.size() >= 2 && IsAsciiLetter(current[0]) && current[1] == ':'
                                  ? AsciiUpper(current[0])
                                  : 'C';
    auto currentComponents = [&] {
        std::vector<std::string> parts;
        if (current.size() > 2) {
            AppendComponents(parts, std::string_view(current).substr(2));
        }
        return parts;
    };

    ParsedPath out;
    std::string_view rest(text);
    if (text.size() >= 2 && IsAsciiLetter(text[0]) && text[1] == ':') {
        out.drive = AsciiUpper(text[0]);
        out.driveAsGiven = text.substr(0, 2);
        rest.remove_prefix(2);
        if (rest.empty() || rest.front() != '\\') {
            if (out.drive == currentDrive) {
                out.components = currentComponents();
            }
        }
    } else if (text.front() == '\\') {
        if (text.size() >= 2 && text[1] == '\\') {
            return Result<ParsedPath>::Failure(win::kPathNotFound);
        }
        out.drive = currentDrive;
    } else {
        out.drive = currentDrive;
        out.components = currentComponents();
    }
    AppendComponents(out.components, rest);
    out.trailingSeparator = !rest.empty() && rest.back() == '\\' && !out.components.empty();
    return out;
}

bool HasWildcards(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

bool IsValidPattern(std::string_view pattern) {
    if (pattern.empty()) {
        return false;
    }
    for (const char c : pattern) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>:\"/\\|", c) != nullptr) {
            return false;
        }
    }
    return true;
}

bool IsValidName(std::string_view name) {
    return IsValidPattern(name) && !HasWildcards(name);
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
    Matcher matcher(CompilePattern(pattern), CodePoints(FoldCase(name)));
    return matcher.Matches(0, 0);
}

bool IsValidShortName(std::string_view name) {
    const std::size_t dot = name.find('.');
    const std::string_view base = name.substr(0, dot);
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || extension.size() > 3) {
        return false;
    }
    if (dot != std::string_view::npos && extension.empty()) {
        return false;
    }
    for (const std::string_view part : {base, extension}) {
        for (const char c : part) {
            if (!IsShortNameCharacter(c)) {
                return false;
            }
        }
    }
    return true;
}

ShortNameStem MakeShortNameStem(std::string_view longName) {
    while (!longName.empty() && longName.front() == '.') {
        longName.remove_prefix(1);
    }
    const std::size_t lastDot = longName.rfind('.');
    ShortNameStem stem;
    if (lastDot == std::string_view::npos) {
        stem.base = ShortNameCharacters(longName);
    } else {
        stem.base = ShortNameCharacters(longName.substr(0, lastDot));
        stem.extension = ShortNameCharacters(longName.substr(lastDot + 1)).substr(0, 3);
    }
    return stem;
}

std::string ShortNameCandidate(const ShortNameStem& stem, int number) {
    std::string suffix(1, '~');
    suffix += std::to_string(number);
    const std::size_t keep = suffix.size() < 8 ? 8 - suffix.size() : 0;
    std::string out = stem.base.substr(0, keep) + suffix;
    if (!stem.extension.empty()) {
        out += '.';
        out += stem.extension;
    }
    return out;
}

} // namespace korvex::memory
