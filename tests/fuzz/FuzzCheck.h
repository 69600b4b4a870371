// Property checks for the fuzz targets: a broken property prints what was expected and the input
// that broke it, then aborts, which libFuzzer reports as a crash and saves the input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace korvex::fuzz {

// The bytes with everything outside printable ASCII escaped, for the report.
inline std::string Escaped(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte >= 0x7f) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xf];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

[[noreturn]] inline void Fail(std::string_view property, std::string_view details) {
    std::fprintf(stderr, "\nproperty broken: %.*s\n%.*s\n", static_cast<int>(property.size()),
                 property.data(), static_cast<int>(details.size()), details.data());
    std::abort();
}

} // namespace korvex::fuzz
