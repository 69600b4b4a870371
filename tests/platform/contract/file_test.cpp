// The file system: searches (wildcards against long and 8.3 names, bare paths, "." and ".."),
// attributes, copy, move, delete, directories, whole-file reads and writes and short names, with
// the Windows error of each refused call and proof that a refused call changes nothing.
#include "platform/contract/Contract.h"

namespace korvex::contract {
namespace {

using namespace platform::attr;
using Names = std::set<std::string>;
using FileContract = ContractTest;

// The bits of the letters Shown gives after the last backslash of `path`: "C:\\x\\RH".
std::uint32_t Bits(std::string_view path) {
    std::uint32_t bits = 0;
    for (const char letter : path.substr(path.rfind('\\') + 1)) {
        bits |= 1u << std::string_view("RHSVDA?N").find(letter);
    }
    return bits;
}

// The calls the tables name, on full paths.
using Call = Status (*)(platform::FileSystem&, const std::string&, const std::string&);
const std::map<std::string_view, Call> kCalls = {
    {"copy", [](auto& f, auto& a, auto& b) { return f.CopyFile(a, b); }},
    {"move", [](auto& f, auto& a, auto& b) { return f.MoveFile(a, b); }},
    {"delete", [](auto& f, auto& a, auto&) { return f.DeleteFile(a); }},
    {"mkdir", [](auto& f, auto& a, auto&) { return f.CreateDirectory(a); }},
    {"rmdir", [](auto& f, auto& a, auto&) { return f.RemoveDirectory(a); }},
    {"read", [](auto& f, auto& a, auto&) { return f.ReadFile(a).status(); }},
    {"write", [](auto& f, auto& a, auto&) { return f.WriteFile(a, "new"); }},
    {"append", [](auto& f, auto& a, auto&) { return f.AppendFile(a, "new"); }},
    {"attributes", [](auto& f, auto& a, auto&) { return f.GetAttributes(a).status(); }},
    {"information", [](auto& f, auto& a, auto&) { return f.GetFileInformation(a).status(); }},
    {"set", [](auto& f, auto& a, auto& b) { return f.SetAttributes(a, Bits(b)); }},
};

TEST_F(FileContract, SearchesFindTheseEntriesOrFailWithTheseErrors) {
    const std::string unicode = "Gr\xC3\xBC\xC3\x9F"
                                "e \xE2\x82\xAC.txt"; // "Grüße €.txt"
    for (const std::string name : {"Beta.CFG", "gamma.txt", "noext", "x.cfgold", unicode.c_str()}) {
        Put(name, name);
    }
    Put("alpha.cfg", "a", kReadOnly);
    Put("hidden.cfg", "h", kHidden);
    MakeDirectory("Sub");
    Put("Sub\\inner.cfg", "i");
    MakeDirectory("Empty");
    const Names all = {".",     "..",       "alpha.cfg", "Beta.CFG", "gamma.txt", "hidden.cfg",
                       "noext", "x.cfgold", "Sub",       "Empty",    unicode};
    const Names cfg = {"alpha.cfg", "Beta.CFG", "hidden.cfg", "x.cfgold"}; // X~1.CFG matches too
    struct Row {
        std::string pattern;
        std::uint32_t code;
        Names names = {};
    };
    const Row rows[] = {
        {"*.*", 0, all},
        {"*", 0, all},
        {"*.cfg", 0, cfg},
        {"*.CFG", 0, cfg},
        {"*.cfgold", 0, {"x.cfgold"}},
        {"b*.cfg", 0, {"Beta.CFG"}},
        {"gamm?.txt", 0, {"gamma.txt"}},
        {"*.txt", 0, {"gamma.txt", unicode}},
        {"Gr*.txt", 0, {unicode}},
        {"NOEXT", 0, {"noext"}},
        {"sub", 0, {"Sub"}}, // a bare directory path names the directory itself
        {"Sub\\*.*", 0, {".", "..", "inner.cfg"}},
        {"Empty\\*", 0, {".", ".."}},
        {"*.xyz", win::kFileNotFound},
        {"missing", win::kFileNotFound},
        {"Empty\\*.cfg", win::kFileNotFound},
        {"Sub\\", win::kFileNotFound}, // a trailing backslash is refused
        {"Missing\\*.*", win::kPathNotFound},
        {"Missing\\deeper\\*.*", win::kPathNotFound},
        {"alpha.cfg\\*.*", win::kInvalidName}, // a file where a directory must be
    };
    for (const Row& row : rows) {
        const Listing listing = List(At(row.pattern));
        EXPECT_EQ(listing.code, row.code) << row.pattern;
        EXPECT_EQ(listing.names, row.names) << row.pattern;
    }
    // Each entry is listed with its attributes (alpha.cfg R, hidden.cfg H).
    const Listing listing = List(At("*"));
    for (const auto& [name, attributes] : listing.entries) {
        EXPECT_EQ(Shown(attributes), Shown(files().GetAttributes(At(name)).value_or(0))) << name;
    }
    EXPECT_EQ(Shown(List(At("Sub")).entries["Sub"]), "D");
    // A drive root lists no "." and "..".
    const Listing root = List(backend_->scratch.substr(0, 3) + "*.*");
    EXPECT_EQ(root.entries.count(".") + root.entries.count(".."), 0u);
    EXPECT_EQ(root.entries.count(backend_->scratch.substr(3)), 1u);
}

TEST_F(FileContract, CallsInTurnDoWhatWindowsDoesOrRefuseChangingNothing) {
    Put("source", "bytes", kReadOnly | kHidden);
    Put("system", "new bytes", kSystem);
    Put("plain", "plain");
    Put("target", "old bytes, longer than the new");
    Put("readonly", "kept", kReadOnly);
    Put("hidden", "kept", kHidden);
    const std::string binary("line\r\nnul\0byte \xFF\xFE end", 22);
    Put("binary", binary);
    MakeDirectory("Dir");
    struct Row {
        const char* call;
        std::string path, to; // `to`: where copy and move go; the bits "set" sets
        std::uint32_t code;
        std::string after = ""; // when done: Snapshot of `to` for copy and move, else of `path`
        std::optional<Shortfall> unless = std::nullopt;
    };
    const Row rows[] = {
        {"set", "plain", "R", 0, "\"plain\" R"},
        {"set", "plain", "H", 0, "\"plain\" H"},
        {"set", "plain", "S", 0, "\"plain\" S"},
        {"set", "plain", "RHS", 0, "\"plain\" RHS"},
        {"set", "plain", "N", 0, "\"plain\" N"},
        {"set", "Dir", "H", 0, "directory HD"},
        {"set", "Dir", "SH", 0, "directory HSD"},
        {"set", "Dir", "R", 0, "directory RD", Shortfall::NoReadOnlyDirectories},
        {"set", "Dir", "N", 0, "directory D"},
        {"set", "missing", "H", win::kFileNotFound},
        {"set", "Missing\\file", "H", win::kPathNotFound},
        {"attributes", "target\\below", "", win::kPathNotFound},
        {"information", "plain", "", 0, "\"plain\" N"},
        {"information", "Dir", "", 0, "directory D"},
        {"information", "missing", "", win::kFileNotFound},
        {"information", "Missing\\file", "", win::kPathNotFound},
        {"copy", "source", "Copy of source", 0, "\"bytes\" RH"},
        {"copy", "system", "target", 0, "\"new bytes\" S", Shortfall::CopyKeepsTargetAttributes},
        {"copy", "plain", "readonly", win::kAccessDenied, "", Shortfall::WritesReadOnlyFiles},
        {"copy", "plain", "hidden", win::kAccessDenied, "", Shortfall::ReplacesHiddenFiles},
        {"copy", "plain", "Dir", win::kAccessDenied},
        {"copy", "Dir", "new", win::kAccessDenied},
        {"copy", "missing", "new", win::kFileNotFound},
        {"copy", "plain", "Missing\\new", win::kPathNotFound},
        {"move", "plain", "Dir\\moved", 0, "\"plain\" N"},
        {"attributes", "plain", "", win::kFileNotFound},
        {"move", "Dir", "Renamed", 0, "directory D"},
        {"read", "Renamed\\moved", "", 0, "\"plain\" N"},
        {"move", "source", "target", win::kAlreadyExists},
        {"move", "source", "TARGET", win::kAlreadyExists},
        {"move", "source", "Renamed", win::kAlreadyExists},
        {"move", "Renamed", "target", win::kAlreadyExists},
        {"move", "missing", "new", win::kFileNotFound},
        {"move", "source", "Missing\\new", win::kPathNotFound},
        {"read", "binary", "", 0, "\"" + binary + "\" N"},
        {"write", "binary", "", 0, "\"new\" N"}, // replaces longer bytes
        {"write", "fresh", "", 0, "\"new\" N"},
        {"append", "fresh", "", 0, "\"newnew\" N"},
        {"append", "log", "", 0, "\"new\" N"},
        {"read", "missing", "", win::kFileNotFound},
        {"read", "Missing\\file", "", win::kPathNotFound},
        {"read", "Renamed", "", win::kAccessDenied},
        {"write", "Missing\\file", "", win::kPathNotFound},
        {"write", "readonly", "", win::kAccessDenied, "", Shortfall::WritesReadOnlyFiles},
        {"write", "hidden", "", win::kAccessDenied, "", Shortfall::ReplacesHiddenFiles},
        {"write", "Renamed", "", win::kAccessDenied},
        {"append", "Missing\\file", "", win::kPathNotFound},
        {"append", "readonly", "", win::kAccessDenied, "", Shortfall::WritesReadOnlyFiles},
        {"append", "Renamed", "", win::kAccessDenied},
        {"mkdir", "New", "", 0, "directory D"},
        {"mkdir", "New\\Deeper", "", 0, "directory D"},
        {"mkdir", "NEW", "", win::kAlreadyExists},
        {"mkdir", "target", "", win::kAlreadyExists},
        {"mkdir", "Missing\\New", "", win::kPathNotFound},
        {"rmdir", "New", "", win::kDirNotEmpty},
        {"rmdir", "target", "", win::kDirectory},
        {"rmdir", "missing", "", win::kFileNotFound},
        {"rmdir", "Missing\\Old", "", win::kPathNotFound},
        {"rmdir", "New\\Deeper", "", 0, "missing (2)"},
        {"delete", "readonly", "", win::kAccessDenied},
        {"delete", "New", "", win::kAccessDenied},
        {"delete", "missing", "", win::kFileNotFound},
        {"delete", "Missing\\file", "", win::kPathNotFound},
        {"delete", "hidden", "", 0, "missing (2)"},
        {"delete", "system", "", 0, "missing (2)"},
    };
    for (const Row& row : rows) {
        const std::string what = std::string(row.call) + " " + row.path + " " + row.to;
        const Call call = kCalls.at(row.call);
        if (row.unless && !Checks(*row.unless, what)) {
            if (row.code == 0) {
                (void)call(files(), At(row.path), At(row.to)); // done, not compared
            }
            continue;
        }
        const std::string path = Snapshot(row.path), to = Snapshot(row.to);
        EXPECT_EQ(call(files(), At(row.path), At(row.to)).code(), row.code) << what;
        if (row.code == 0) {
            const bool two = row.call == std::string("copy") || row.call == std::string("move");
            EXPECT_EQ(Snapshot(two ? row.to : row.path), row.after) << what;
        } else {
            EXPECT_EQ(Snapshot(row.path) + Snapshot(row.to), path + to) << what;
        }
    }
    // Kept open for appending: each write lands at the end, and the file stays readable.
    auto kept = files().OpenForAppend(At("fresh"));
    ASSERT_TRUE(kept.ok()) << kept.code();
    ASSERT_TRUE(kept.value()->Append("third\r\n").ok());
    EXPECT_EQ(files().ReadFile(At("fresh")).value_or("unreadable"), "newnewthird\r\n");
    EXPECT_EQ(files().OpenForAppend(At("Missing\\log")).code(), win::kPathNotFound);
    // Changing only the case of a name is a rename, not a collision.
    ASSERT_TRUE(files().MoveFile(At("Renamed"), At("RENAMED")).ok());
    if (Checks(Shortfall::KeepsCaseOnRename, "the new case of RENAMED")) {
        EXPECT_EQ(List(At("renamed")).names, Names{"RENAMED"});
    }
}

TEST_F(FileContract, ShortPathNamesNameTheSameFiles) {
    // Every component an 8.3 name; the drive as given; a trailing backslash kept.
    const std::regex shortPath(
        R"(C:(\\[^\\ .+,;="*/:<>?|[\]]{1,8}(\.[^\\ .+,;="*/:<>?|[\]]{1,3})?)*)"
        R"(\\?)");
    MakeDirectory("Long Directory Name");
    const auto directory = files().GetShortPathName(At("Long Directory Name"));
    ASSERT_TRUE(directory.ok()) << directory.error().Describe();
    EXPECT_TRUE(std::regex_match(directory.value(), shortPath)) << directory.value();
    EXPECT_EQ(files().GetShortPathName(At("Long Directory Name\\")).value_or(""),
              directory.value() + "\\");
    for (const std::string name : {"a file with a long name.text", "archive.tar.gz", "ABC.TXT"}) {
        Put("Long Directory Name\\" + name, name);
        const std::string path =
            files().GetShortPathName(At("Long Directory Name\\" + name)).value_or("failed");
        EXPECT_TRUE(std::regex_match(path, shortPath)) << path;
        EXPECT_EQ(files().ReadFile(path).value_or("unreadable"), name) << path;
        EXPECT_EQ(files().GetShortPathName(path).value_or("failed"), path);
    }
    // An 8.3 name is its own short name.
    EXPECT_EQ(files().GetShortPathName(At("Long Directory Name\\ABC.TXT")).value_or(""),
              directory.value() + "\\ABC.TXT");
    // A file reached through its short name is the same file; another file is not.
    const auto named = files().GetFileInformation(At("Long Directory Name\\ABC.TXT"));
    const auto reached = files().GetFileInformation(directory.value() + "\\abc.txt");
    const auto other = files().GetFileInformation(At("Long Directory Name\\archive.tar.gz"));
    ASSERT_TRUE(named.ok() && reached.ok() && other.ok());
    EXPECT_TRUE(named.value().SameFileAs(reached.value()));
    EXPECT_FALSE(named.value().SameFileAs(other.value()));
    EXPECT_TRUE(platform::IsDirectory(
        files().GetFileInformation(directory.value()).value_or({}).attributes));
    for (const char* missing : {"Long Directory Name\\missing file.text", "Missing\\file.text"}) {
        EXPECT_EQ(files().GetShortPathName(At(missing)).code(), win::kFileNotFound) << missing;
    }
}

} // namespace
} // namespace korvex::contract
