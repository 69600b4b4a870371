// Windows path rules for the in-memory Windows: parsing and normalising paths, comparing names
// without regard to case, FindFirstFile's wildcard matching and 8.3 short names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Error.h"

namespace korvex::memory {

// The upper-case form of a UTF-8 name, as the file system compares names: the letters of
// ASCII, Latin-1, Greek and Cyrillic are folded; every other byte is kept, so names that are
// not valid UTF-8 still compare by their bytes. Equal folded forms mean the same name.
std::string FoldCase(std::string_view name);

// An absolute path broken into its parts: "C:\a\b" is drive 'C' and {"a", "b"}.
struct ParsedPath {
    char drive = 'C';         // upper case
    std::string driveAsGiven; // "c:" as the caller wrote it; empty when the path had no drive
    std::vector<std::string> components;
    bool trailingSeparator = false; // the path ended in "\" after a name

    bool IsRoot() const { return components.empty(); }
    // "C:\a\b", or "C:\" for a root.
    std::string ToString() const;
    // The upper-case components, for comparing paths.
    std::vector<std::string> Folded() const;
};

// Makes a path absolute against the current directory (itself absolute, such as "C:\WINDOWS")
// the way GetFullPathName does: "/" reads as "\", repeated separators collapse, "." and ".."
// components resolve (".." stops at the root), trailing dots and blanks of a name go, "C:x" is
// relative to the current directory when it is on drive C and to the root of the drive
// otherwise, "\x" is relative to the root of the current drive. A component holding * or ?
// keeps its bytes (it is a search pattern). Fails with ERROR_PATH_NOT_FOUND for an empty path
// and for network (UNC) paths, which this machine does not have.
Result<ParsedPath> ParsePath(std::string_view path, std::string_view currentDirectory);

bool HasWildcards(std::string_view name);
// Whether a name may be stored: not empty, no control characters and none of < > : " / \ | ?
// and *.
bool IsValidName(std::string_view name);
// IsValidName, with * and ? allowed.
bool IsValidPattern(std::string_view pattern);

// Whether a name matches the last component of a FindFirstFile pattern. The pattern's
// characters take the meaning Windows gives them: "*" matches any run of characters; "*"
// before a "." matches up to the last dot of the name; "?" matches one character, or nothing
// at a dot or at the end of the name; a "." before "*", "?" or the end of the pattern matches
// a dot or the end of the name. So "*" and "*.*" match every name, "*.cfg" the names whose last
// extension is ".cfg", "*." the names without a dot. Letters match without regard to case.
// (A directory search tries an entry's 8.3 name too.)
bool MatchesPattern(std::string_view name, std::string_view pattern);

// Whether a long name is already a valid 8.3 name, letter case aside: 1 to 8 characters, then
// optionally one dot and 1 to 3 more, all of them ASCII letters, digits or one of
// "$%'-_@~`!(){}^#&". Such a name needs no generated short name.
bool IsValidShortName(std::string_view name);

// The parts of the short name generated for a long name: the base is the upper-case long name
// before its last dot, the extension the part after it, each without blanks, dots and the
// characters an 8.3 name cannot hold; each non-ASCII character becomes "_". Leading dots of
// the long name are dropped first (".profile" has no extension).
struct ShortNameStem {
    std::string base;
    std::string extension; // at most 3 characters
};
ShortNameStem MakeShortNameStem(std::string_view longName);
// "KORVEX~1.CFG": the base cut so that the base and "~number" fit in 8 characters, "~number",
// and "." with the extension when there is one.
std::string ShortNameCandidate(const ShortNameStem& stem, int number);

} // namespace korvex::memory
