// Writing one key of an INI file's bytes, as WritePrivateProfileString changes the file.
#pragma once

#include <string>
#include <string_view>

namespace korvex::memory {

// The bytes of an INI file after setting `key` of `section` to `value`. Section and key names
// compare without regard to case and to the blanks around them; the first section of that
// name is the one changed, and within it the first line of that key.
//   - An existing key's line keeps everything up to its first "=" (the key as the file spells
//     it) and gets the new value after it; its line end stays. A key line without "=" becomes
//     the key, "=" and the value.
//   - A missing key goes in a new line "key=value\r\n" after the last non-blank line of its
//     section (the section header when the section is empty).
//   - A missing section goes at the end of the file as "[section]\r\nkey=value\r\n", after a
//     "\r\n" when the file does not end with a line end; an empty file holds just that.
// Every other byte keeps its place: comments, blank lines, odd spacing, "\n"-only line ends,
// bytes that are not text. A line ends at "\n" (with the "\r" before it, if any); a line whose
// first non-blank character is ";" is a comment; a line starting with "[" and holding "]" is a
// section header; any other line in a section names the key before its first "=" (or the whole
// line when it has none).
std::string WriteIniKey(std::string_view bytes, std::string_view section, std::string_view key,
                        std::string_view value);

} // namespace korvex::memory
