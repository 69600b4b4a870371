// Property checks for the fuzz targets: a broken property prints what was expected and the input
// that broke it, then aborts, which libFuzzer reports as a crash and saves the input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace korvex::fuzz {

// The bytes in quotes, those outside printable ASCII and the quote and backslash as \xNN.
inline std::string Escaped(std::string_view bytes) {
    std::string out = "\"";
    for (const unsigned char c : bytes) {
        char shown[8];
        const bool plain = c >= 0x20 && c < 0x7f && c != '\\' && c != '"';
        std::snprintf(shown, sizeof shown, plain ? "%c" : "\\x%02x", c);
        out += shown;
    }
    return out + "\"";
}

[[noreturn]] inline void Fail(std::string_view property, std::string_view details) {
    std::fprintf(stderr, "\nproperty broken: %.*s\n%.*s\n", static_cast<int>(property.size()),
                 property.data(), static_cast<int>(details.size()), details.data());
    std::abort();
}

// Fails unless the property holds; `details` gives the report, made only on failure.
template <class Details> void Check(bool holds, std::string_view property, Details details) {
    if (!holds) {
        Fail(property, details());
    }
}

} // namespace korvex::fuzz
