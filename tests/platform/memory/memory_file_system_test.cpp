// The in-memory file system: paths, listings, attributes, copy, move, delete, directories,
// drives and media, capacity, short names and junctions, with the Windows error of each
// failure.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "MemoryTest.h"

namespace korvex::memory {
namespace {

using platform::DriveType;
using testing::List;
using testing::Listing;
using Names = std::vector<std::string>;
namespace attr = platform::attr;

class FileSystemTest : public testing::MemoryTest {};

TEST_F(FileSystemTest, PathsResolveAsWin32ResolvesThem) {
    windows.PutFile("C:\\Apps\\Control\\korvex.exe", "MZ");
    windows.SetCurrentDirectory("C:\\Apps");
    for (const char* path : {
             "C:\\Apps\\Control\\korvex.exe",
             "c:/apps//CONTROL/./KORVEX.EXE",
             "C:\\Apps\\Missing\\..\\Control\\korvex.exe",
             "C:\\Apps\\Control\\korvex.exe. ",
             "Control\\korvex.exe",
             "\\Apps\\Control\\korvex.exe",
             "C:Control\\korvex.exe",
             "..\\Apps\\Control\\korvex.exe",
         }) {
        EXPECT_EQ(windows.files().ReadFile(path).value_or("<failed>"), "MZ") << path;
    }
}

TEST_F(FileSystemTest, NamesCompareWithoutCaseAndKeepTheirOwn) {
    ASSERT_TRUE(windows.files().WriteFile("C:\\MiXed.Txt", "one").ok());
    ASSERT_TRUE(windows.files().WriteFile("C:\\MIXED.TXT", "two").ok());
    const std::string umlaut = "C:\\Gr\xC3\xBC\xC3\x9F"
                               "e.txt";
    ASSERT_TRUE(windows.files().WriteFile(umlaut, "u").ok());
    EXPECT_EQ(windows.files()
                  .ReadFile("c:\\gr\xC3\xBC\xC3\x9F"
                            "E.TXT")
                  .value_or(""),
              "u");
    EXPECT_EQ(windows.files()
                  .ReadFile("C:\\GR\xC3\x9C\xC3\x9F"
                            "E.txt")
                  .value_or(""),
              "u");
    EXPECT_EQ(List(windows.files(), "C:\\*.txt").names, (Names{"Gr\xC3\xBC\xC3\x9F"
                                                               "e.txt",
                                                               "MiXed.Txt"}))
        << State();
    EXPECT_EQ(windows.Contents("C:\\mixed.txt"), "two");
    ASSERT_TRUE(windows.files().CreateDirectory("C:\\NewDir").ok());
    EXPECT_EQ(windows.files().CreateDirectory("C:\\NEWDIR").code(), win::kAlreadyExists);
}

TEST_F(FileSystemTest, ListsDotsFirstThenByUpperCaseName) {
    for (const char* name : {"b.txt", "_under", "A.txt", "a1", "Z", "zz"}) {
        windows.PutFile(std::string("C:\\Dir\\") + name, "");
    }
    windows.MakeDirectories("C:\\Dir\\Sub");
    // Upper-case ordinal: "_" (0x5F) sorts after every letter.
    const Names expected = {".", "..", "A.txt", "a1", "b.txt", "Sub", "Z", "zz", "_under"};
    const Listing listing = List(windows.files(), "C:\\Dir\\*.*");
    EXPECT_EQ(listing.code, 0u);
    EXPECT_EQ(listing.names, expected);
    EXPECT_EQ(List(windows.files(), "C:\\Dir\\*").names, expected);
    EXPECT_EQ(listing.attributes[0], attr::kDirectory); // "." has the directory's attributes
    EXPECT_EQ(listing.attributes[5], attr::kDirectory);
    EXPECT_EQ(listing.attributes[2], attr::kArchive);
    // A drive root lists no "." or "..".
    EXPECT_EQ(List(windows.files(), "C:\\*").names, (Names{"Dir", "WINDOWS"}));
}

TEST_F(FileSystemTest, PatternsMatchLongOrShortNames) {
    for (const char* name : {"alpha.cfg", "Beta.CFG", "conf.cfg.bak", "conf.cfgx", "noext",
                             "KORVEX Help.lnk", "a.txt", "ab.txt"}) {
        windows.PutFile(std::string("C:\\P\\") + name, "");
    }
    struct Row {
        const char* pattern;
        Names names;
    } rows[] = {
        {"*.cfg", {"alpha.cfg", "Beta.CFG", "conf.cfgx"}}, // by its 8.3 name CONF~1.CFG
        {"*.CFG", {"alpha.cfg", "Beta.CFG", "conf.cfgx"}},
        {"*.cfgx", {"conf.cfgx"}},
        {"conf~1.*", {"conf.cfgx"}},
        {"korvex*.lnk", {"KORVEX Help.lnk"}},
        {"a?.txt", {"a.txt", "ab.txt"}},
        {"*.", {".", "..", "noext"}},
        {"*.bak", {"conf.cfg.bak"}},
        {"NOEXT", {"noext"}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(List(windows.files(), std::string("C:\\P\\") + row.pattern).names, row.names)
            << row.pattern;
    }
    // Without 8.3 names only the long name counts.
    windows.AddDrive('D', DriveType::Fixed);
    windows.PutFile("D:\\conf.cfgx", "");
    EXPECT_EQ(List(windows.files(), "D:\\*.cfg").code, win::kFileNotFound);
}

TEST_F(FileSystemTest, ABarePathListsTheEntryItself) {
    windows.PutFile("C:\\MAP\\a.map", "a", attr::kReadOnly);
    const Listing directory = List(windows.files(), "c:\\map");
    EXPECT_EQ(directory.names, Names{"MAP"});
    EXPECT_EQ(directory.attributes, std::vector<std::uint32_t>{attr::kDirectory});
    const Listing file = List(windows.files(), "C:\\MAP\\A.MAP");
    EXPECT_EQ(file.names, Names{"a.map"});
    EXPECT_EQ(file.attributes, std::vector<std::uint32_t>{attr::kReadOnly});
}

TEST_F(FileSystemTest, FailedSearchesGiveTheWindowsError) {
    windows.PutFile("C:\\Dir\\file.txt", "f");
    windows.MakeDirectories("C:\\Empty");
    windows.AddDrive('E', DriveType::CdRom, false);
    struct Row {
        const char* pattern;
        std::uint32_t code;
    } rows[] = {
        {"C:\\Dir\\", win::kFileNotFound},
        {"C:\\", win::kFileNotFound},
        {"C:\\Dir\\*.xyz", win::kFileNotFound},
        {"C:\\Dir\\missing", win::kFileNotFound},
        {"C:\\Empty\\*.cfg", win::kFileNotFound},
        {"C:\\Missing\\*.*", win::kPathNotFound},
        {"C:\\Missing\\deeper\\*.*", win::kPathNotFound},
        {"C:\\Dir\\file.txt\\*.*", win::kInvalidName},
        {"C:\\Dir\\file.txt\\x\\*.*", win::kPathNotFound},
        {"C:\\D*\\*.*", win::kInvalidName},
        {"C:\\Dir\\a|b", win::kInvalidName},
        {"Q:\\*.*", win::kPathNotFound},
        {"E:\\*.*", win::kNotReady},
        {"", win::kPathNotFound},
    };
    for (const Row& row : rows) {
        const Listing listing = List(windows.files(), row.pattern);
        EXPECT_EQ(listing.code, row.code) << row.pattern;
        EXPECT_TRUE(listing.names.empty()) << row.pattern;
    }
    EXPECT_EQ(windows.OpenSearches(), 0);
}

TEST_F(FileSystemTest, ASearchSurvivesChangesBetweenCalls) {
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        windows.PutFile(std::string("C:\\S\\") + name, name);
    }
    auto search = windows.files().Search("C:\\S\\*");
    ASSERT_TRUE(search.ok());
    EXPECT_EQ(windows.OpenSearches(), 1);
    Names seen;
    auto next = [&] {
        auto entry = search.value()->Next();
        seen.push_back(entry ? entry->name : "<end>");
    };
    next();                                                   // "."
    next();                                                   // ".."
    next();                                                   // "a"
    ASSERT_TRUE(windows.files().DeleteFile("C:\\S\\a").ok()); // the last one returned
    ASSERT_TRUE(windows.files().DeleteFile("C:\\S\\b").ok()); // the next one
    ASSERT_TRUE(windows.files().MoveFile("C:\\S\\c", "C:\\elsewhere").ok());
    windows.PutFile("C:\\S\\cc", "added after the last name returned");
    windows.PutFile("C:\\S\\0", "added before it");
    next();
    next();
    next();
    next();
    EXPECT_EQ(seen, (Names{".", "..", "a", "cc", "d", "e", "<end>"})) << State();
    search.value().reset();
    EXPECT_EQ(windows.OpenSearches(), 0);
    EXPECT_EQ(windows.MostOpenSearches(), 1);
}

TEST_F(FileSystemTest, ASearchOfARemovedDirectoryEnds) {
    windows.PutFile("C:\\Gone\\only", "");
    auto search = windows.files().Search("C:\\Gone\\*");
    ASSERT_TRUE(search.ok());
    EXPECT_EQ(search.value()->Next()->name, ".");
    ASSERT_TRUE(windows.files().DeleteFile("C:\\Gone\\only").ok());
    ASSERT_TRUE(windows.files().RemoveDirectory("C:\\Gone").ok());
    EXPECT_EQ(search.value()->Next()->name, "..");
    EXPECT_FALSE(search.value()->Next());
    EXPECT_FALSE(search.value()->Next());
}

TEST_F(FileSystemTest, AttributesAsWindowsReportsThem) {
    ASSERT_TRUE(windows.files().WriteFile("C:\\f.txt", "x").ok());
    ASSERT_TRUE(windows.files().CreateDirectory("C:\\d").ok());
    EXPECT_EQ(windows.files().GetAttributes("C:\\f.txt").value(), attr::kArchive);
    EXPECT_EQ(windows.files().GetAttributes("C:\\d").value(), attr::kDirectory);
    EXPECT_EQ(windows.files().GetAttributes("C:\\d\\").value(), attr::kDirectory);
    EXPECT_EQ(windows.files().GetAttributes("C:\\").value(), attr::kDirectory);
    struct Row {
        const char* path;
        std::uint32_t set;
        std::uint32_t reported;
    } rows[] = {
        {"C:\\f.txt", attr::kNormal, attr::kNormal},
        {"C:\\f.txt", attr::kReadOnly | attr::kNormal, attr::kReadOnly},
        {"C:\\f.txt", attr::kHidden | attr::kSystem | attr::kArchive,
         attr::kHidden | attr::kSystem | attr::kArchive},
        {"C:\\f.txt", attr::kDirectory, attr::kNormal}, // a file cannot become a directory
        {"C:\\d", attr::kNormal, attr::kDirectory},     // a directory stays one
        {"C:\\d", attr::kHidden, attr::kDirectory | attr::kHidden},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(windows.files().SetAttributes(row.path, row.set).ok()) << row.path;
        EXPECT_EQ(windows.files().GetAttributes(row.path).value(), row.reported) << row.path;
    }
    struct Failure {
        const char* path;
        std::uint32_t code;
    } failures[] = {
        {"C:\\missing", win::kFileNotFound},  {"C:\\missing\\x", win::kPathNotFound},
        {"C:\\f.txt\\x", win::kPathNotFound}, {"C:\\f.txt\\", win::kInvalidName},
        {"C:\\*.txt", win::kInvalidName},
    };
    for (const Failure& failure : failures) {
        EXPECT_EQ(windows.files().GetAttributes(failure.path).code(), failure.code) << failure.path;
        EXPECT_EQ(windows.files().SetAttributes(failure.path, 0).code(), failure.code)
            << failure.path;
    }
}

TEST_F(FileSystemTest, CopyReplacesAndKeepsTheSourceAttributes) {
    windows.PutFile("C:\\src\\ro.map", "ro", attr::kReadOnly);
    windows.PutFile("C:\\dst\\RO.MAP", "old", attr::kArchive);
    ASSERT_TRUE(windows.files().CopyFile("C:\\src\\ro.map", "C:\\dst\\ro.map").ok());
    EXPECT_EQ(windows.Tree("C:\\dst"), Names{"RO.MAP [R]"}); // the existing name's case
    EXPECT_EQ(windows.Contents("C:\\dst\\RO.MAP"), "ro");
    EXPECT_EQ(windows.AttributesOf("C:\\dst\\RO.MAP"), attr::kReadOnly | attr::kArchive);
    ASSERT_TRUE(windows.files().CopyFile("C:\\src\\ro.map", "C:\\dst\\New.map").ok());
    EXPECT_EQ(windows.Tree("C:\\dst"), (Names{"New.map [R]", "RO.MAP [R]"}));
}

TEST_F(FileSystemTest, CopyFailuresChangeNothing) {
    windows.PutFile("C:\\src\\a.txt", "a");
    windows.PutFile("C:\\src\\hidden.txt", "h", attr::kHidden);
    windows.PutFile("C:\\dst\\ro.txt", "ro", attr::kReadOnly);
    windows.PutFile("C:\\dst\\hidden.txt", "old", attr::kHidden);
    windows.PutFile("C:\\dst\\system.txt", "old", attr::kSystem);
    windows.MakeDirectories("C:\\dst\\dir");
    struct Row {
        const char* from;
        const char* to;
        std::uint32_t code;
    } rows[] = {
        {"C:\\src\\missing", "C:\\dst\\x", win::kFileNotFound},
        {"C:\\nowhere\\a.txt", "C:\\dst\\x", win::kPathNotFound},
        {"C:\\src", "C:\\dst\\x", win::kAccessDenied},
        {"C:\\src\\a.txt", "C:\\nowhere\\x", win::kPathNotFound},
        {"C:\\src\\a.txt", "C:\\dst\\dir", win::kAccessDenied},
        {"C:\\src\\a.txt", "C:\\dst\\ro.txt", win::kAccessDenied},
        {"C:\\src\\a.txt", "C:\\dst\\hidden.txt", win::kAccessDenied},
        {"C:\\src\\a.txt", "C:\\dst\\system.txt", win::kAccessDenied},
        {"C:\\src\\a.txt", "C:\\SRC\\A.TXT", win::kSharingViolation},
        {"C:\\src\\a.txt", "C:\\", win::kAccessDenied},
    };
    const std::string before = State();
    for (const Row& row : rows) {
        EXPECT_EQ(windows.files().CopyFile(row.from, row.to).code(), row.code)
            << row.from << " -> " << row.to;
    }
    EXPECT_EQ(State().substr(0, before.find("open searches")),
              before.substr(0, before.find("open searches")));
    // A hidden file may replace a hidden file: the copy asks for the bit the target has.
    EXPECT_TRUE(windows.files().CopyFile("C:\\src\\hidden.txt", "C:\\dst\\hidden.txt").ok());
    EXPECT_EQ(windows.Contents("C:\\dst\\hidden.txt"), "h");
}

TEST_F(FileSystemTest, MoveRenamesAndNeverReplaces) {
    windows.PutFile("C:\\a\\ro.txt", "ro", attr::kReadOnly);
    windows.PutFile("C:\\a\\other.txt", "o");
    windows.PutFile("C:\\a\\sub\\deep.txt", "d");
    windows.MakeDirectories("C:\\b");
    ASSERT_TRUE(windows.files().MoveFile("C:\\a\\ro.txt", "C:\\b\\moved.txt").ok());
    EXPECT_EQ(windows.Tree("C:\\b"), Names{"moved.txt [R]"});
    ASSERT_TRUE(windows.files().MoveFile("C:\\a\\other.txt", "C:\\a\\OTHER.TXT").ok()); // case only
    ASSERT_TRUE(windows.files().MoveFile("C:\\a\\sub", "C:\\b\\Sub2").ok());
    EXPECT_EQ(windows.Tree("C:\\"), (Names{"a\\", "a\\OTHER.TXT", "b\\", "b\\moved.txt [R]",
                                           "b\\Sub2\\", "b\\Sub2\\deep.txt", "WINDOWS\\"}))
        << State();

    windows.AddDrive('D', DriveType::Fixed);
    windows.MakeDirectories("D:\\x");
    struct Row {
        const char* from;
        const char* to;
        std::uint32_t code;
    } rows[] = {
        {"C:\\a\\OTHER.TXT", "C:\\b\\MOVED.TXT", win::kAlreadyExists},
        {"C:\\a\\OTHER.TXT", "C:\\b\\sub2", win::kAlreadyExists},
        {"C:\\a\\missing", "C:\\b\\x", win::kFileNotFound},
        {"C:\\nowhere\\x", "C:\\b\\x", win::kPathNotFound},
        {"C:\\a\\OTHER.TXT", "C:\\nowhere\\x", win::kPathNotFound},
        {"C:\\b", "C:\\b\\Sub2\\b", win::kSharingViolation},
        {"C:\\b", "D:\\b", 17}, // ERROR_NOT_SAME_DEVICE
        {"C:\\", "C:\\x", win::kAccessDenied},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(windows.files().MoveFile(row.from, row.to).code(), row.code)
            << row.from << " -> " << row.to;
    }
    // A file may go to another drive.
    ASSERT_TRUE(windows.files().MoveFile("C:\\a\\OTHER.TXT", "D:\\x\\o.txt").ok());
    EXPECT_EQ(windows.Contents("D:\\x\\o.txt"), "o");
    EXPECT_FALSE(windows.Exists("C:\\a\\OTHER.TXT"));
}

TEST_F(FileSystemTest, DeleteAndDirectoryErrors) {
    windows.PutFile("C:\\d\\f.txt", "f");
    windows.PutFile("C:\\d\\ro.txt", "r", attr::kReadOnly);
    windows.PutFile("C:\\d\\hidden.txt", "h", attr::kHidden | attr::kSystem);
    windows.MakeDirectories("C:\\d\\empty");
    windows.MakeDirectories("C:\\d\\rodir");
    windows.PutAttributes("C:\\d\\rodir", attr::kReadOnly);
    windows.MakeDirectories("C:\\cwd");
    windows.SetCurrentDirectory("C:\\cwd");
    using Call = std::function<Status(std::string_view)>;
    const Call remove = [&](std::string_view p) { return windows.files().RemoveDirectory(p); };
    const Call erase = [&](std::string_view p) { return windows.files().DeleteFile(p); };
    const Call create = [&](std::string_view p) { return windows.files().CreateDirectory(p); };
    struct Row {
        const char* what;
        Call call;
        const char* path;
        std::uint32_t code;
    } rows[] = {
        {"delete", erase, "C:\\d\\ro.txt", win::kAccessDenied},
        {"delete", erase, "C:\\d\\empty", win::kAccessDenied},
        {"delete", erase, "C:\\d\\missing", win::kFileNotFound},
        {"delete", erase, "C:\\nowhere\\x", win::kPathNotFound},
        {"create", create, "C:\\d\\f.txt", win::kAlreadyExists},
        {"create", create, "C:\\D\\EMPTY", win::kAlreadyExists},
        {"create", create, "C:\\", win::kAlreadyExists},
        {"create", create, "C:\\nowhere\\x", win::kPathNotFound},
        {"create", create, "C:\\d\\a?b", win::kInvalidName},
        {"remove", remove, "C:\\d", win::kDirNotEmpty},
        {"remove", remove, "C:\\d\\f.txt", win::kDirectory},
        {"remove", remove, "C:\\d\\missing", win::kFileNotFound},
        {"remove", remove, "C:\\nowhere\\x", win::kPathNotFound},
        {"remove", remove, "C:\\d\\rodir", win::kAccessDenied},
        {"remove", remove, "C:\\cwd", win::kSharingViolation},
        {"remove", remove, "C:\\", win::kAccessDenied},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.call(row.path).code(), row.code) << row.what << " " << row.path;
    }
    EXPECT_EQ(windows.Tree("C:\\d"),
              (Names{"empty\\", "f.txt", "hidden.txt [HS]", "ro.txt [R]", "rodir\\ [R]"}));
    EXPECT_TRUE(windows.files().DeleteFile("C:\\d\\hidden.txt").ok());
    EXPECT_TRUE(windows.files().RemoveDirectory("C:\\d\\empty").ok());
    EXPECT_TRUE(windows.files().CreateDirectory("new").ok()); // relative to the current directory
    EXPECT_TRUE(windows.IsDirectoryAt("C:\\cwd\\new"));
}

TEST_F(FileSystemTest, WritesCreateReplaceAndAppend) {
    windows.PutFile("C:\\w\\ro.txt", "ro", attr::kReadOnly);
    windows.PutFile("C:\\w\\hidden.txt", "h", attr::kHidden);
    windows.PutFile("C:\\w\\plain.txt", "p", attr::kSystem | attr::kArchive);
    windows.MakeDirectories("C:\\w\\dir");
    ASSERT_TRUE(windows.files().WriteFile("C:\\w\\new.txt", "n").ok());
    ASSERT_TRUE(windows.files().AppendFile("C:\\w\\new.txt", "+").ok());
    ASSERT_TRUE(windows.files().AppendFile("C:\\w\\log.txt", "1").ok());
    ASSERT_TRUE(windows.files().AppendFile("C:\\w\\hidden.txt", "+").ok()); // OPEN_ALWAYS takes it
    EXPECT_EQ(windows.Contents("C:\\w\\new.txt"), "n+");
    EXPECT_EQ(windows.Contents("C:\\w\\log.txt"), "1");
    EXPECT_EQ(windows.Contents("C:\\w\\hidden.txt"), "h+");
    EXPECT_EQ(windows.AttributesOf("C:\\w\\hidden.txt"), attr::kHidden | attr::kArchive);
    struct Row {
        const char* path;
        std::uint32_t write;
        std::uint32_t append;
    } rows[] = {
        {"C:\\w\\ro.txt", win::kAccessDenied, win::kAccessDenied},
        {"C:\\w\\hidden.txt", win::kAccessDenied, win::kSuccess},
        {"C:\\w\\plain.txt", win::kAccessDenied, win::kSuccess},
        {"C:\\w\\dir", win::kAccessDenied, win::kAccessDenied},
        {"C:\\nowhere\\x.txt", win::kPathNotFound, win::kPathNotFound},
        {"C:\\w\\ro.txt\\x", win::kPathNotFound, win::kPathNotFound},
        {"C:\\w\\a:b", win::kInvalidName, win::kInvalidName},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(windows.files().WriteFile(row.path, "").code(), row.write) << row.path;
        EXPECT_EQ(windows.files().AppendFile(row.path, "").code(), row.append) << row.path;
    }
    EXPECT_EQ(windows.Contents("C:\\w\\ro.txt"), "ro");
    windows.PutAttributes("C:\\w\\plain.txt", attr::kReadOnly);
    windows.PutAttributes("C:\\w\\plain.txt", 0);
    ASSERT_TRUE(windows.files().WriteFile("C:\\w\\plain.txt", "replaced").ok());
    EXPECT_EQ(windows.AttributesOf("C:\\w\\plain.txt"), attr::kArchive);
    EXPECT_EQ(windows.files().ReadFile("C:\\w\\dir").code(), win::kAccessDenied);
    EXPECT_EQ(windows.files().ReadFile("C:\\w\\missing").code(), win::kFileNotFound);
}

TEST_F(FileSystemTest, DrivesAndMissingMedia) {
    windows.AddDrive('D', DriveType::CdRom, false);
    windows.AddDrive('a', DriveType::Removable);
    windows.PutFile("D:\\Mira Maps\\set1\\m.map", "m"); // on the disc that is not in
    windows.PutFile("C:\\src.txt", "s");
    EXPECT_EQ(windows.files().LogicalDrives(), 0b1101u);
    struct TypeRow {
        const char* root;
        DriveType type;
    } types[] = {
        {"C:\\", DriveType::Fixed},
        {"c:", DriveType::Fixed},
        {"D:\\", DriveType::CdRom},
        {"A:/", DriveType::Removable},
        {"Q:\\", DriveType::NoRootDirectory},
        {"C:\\WINDOWS\\", DriveType::NoRootDirectory},
        {"", DriveType::Fixed},
    };
    for (const TypeRow& row : types) {
        EXPECT_EQ(windows.files().GetDriveType(row.root), row.type) << row.root;
    }
    std::vector<std::pair<std::string, std::function<std::uint32_t(const std::string&)>>> calls = {
        {"Search", [&](const std::string& p) { return windows.files().Search(p + "\\*").code(); }},
        {"GetAttributes",
         [&](const std::string& p) { return windows.files().GetAttributes(p).code(); }},
        {"SetAttributes",
         [&](const std::string& p) { return windows.files().SetAttributes(p, 0).code(); }},
        {"CopyFile from",
         [&](const std::string& p) { return windows.files().CopyFile(p, "C:\\x").code(); }},
        {"CopyFile to",
         [&](const std::string& p) { return windows.files().CopyFile("C:\\src.txt", p).code(); }},
        {"MoveFile",
         [&](const std::string& p) { return windows.files().MoveFile(p, p + "2").code(); }},
        {"DeleteFile", [&](const std::string& p) { return windows.files().DeleteFile(p).code(); }},
        {"CreateDirectory",
         [&](const std::string& p) { return windows.files().CreateDirectory(p + "\\n").code(); }},
        {"RemoveDirectory",
         [&](const std::string& p) { return windows.files().RemoveDirectory(p).code(); }},
        {"GetShortPathName",
         [&](const std::string& p) { return windows.files().GetShortPathName(p).code(); }},
        {"ReadFile", [&](const std::string& p) { return windows.files().ReadFile(p).code(); }},
        {"WriteFile",
         [&](const std::string& p) { return windows.files().WriteFile(p, "").code(); }},
        {"AppendFile",
         [&](const std::string& p) { return windows.files().AppendFile(p, "").code(); }},
        {"WriteString",
         [&](const std::string& p) {
             return windows.profile().WriteString("s", "k", "v", p).code();
         }},
    };
    for (const auto& [name, call] : calls) {
        EXPECT_EQ(call("D:\\Mira Maps\\set1"), win::kNotReady) << name;
        EXPECT_EQ(call("Q:\\x\\y"), win::kPathNotFound) << name;
    }
    EXPECT_EQ(windows.Contents("D:\\Mira Maps\\set1\\m.map"), "m") << State();
    // Building on a drive not added adds it, fixed and ready.
    windows.PutFile("F:\\Later\\korvex.exe", "MZ");
    EXPECT_EQ(windows.files().GetDriveType("F:\\"), DriveType::Fixed);
    EXPECT_EQ(windows.files().ReadFile("F:\\Later\\korvex.exe").value_or(""), "MZ");
    EXPECT_THROW(windows.PutFile("F:\\Later\\korvex.exe\\below", ""), std::invalid_argument);
    windows.SetMediaPresent('D', true);
    EXPECT_EQ(List(windows.files(), "D:\\Mira Maps\\set1\\*.map").names, Names{"m.map"});
}

TEST_F(FileSystemTest, ADriveHoldsNoMoreThanItsCapacity) {
    windows.AddDrive('D', DriveType::Fixed);
    windows.SetCapacity('D', 10);
    windows.PutFile("C:\\six", "123456");
    ASSERT_TRUE(windows.files().WriteFile("D:\\a", "1234").ok());
    EXPECT_EQ(windows.files().WriteFile("D:\\b", "1234567").code(), win::kDiskFull);
    EXPECT_FALSE(windows.Exists("D:\\b"));
    EXPECT_EQ(windows.files().WriteFile("D:\\a", "12345678901").code(), win::kDiskFull);
    EXPECT_EQ(windows.Contents("D:\\a"), "1234");
    EXPECT_EQ(windows.files().AppendFile("D:\\a", "1234567").code(), win::kDiskFull);
    EXPECT_EQ(windows.Contents("D:\\a"), "1234");
    EXPECT_EQ(windows.files().CopyFile("C:\\six", "D:\\a").code(),
              win::kSuccess); // replaces 4 bytes
    EXPECT_EQ(windows.files().CopyFile("C:\\six", "D:\\c").code(), win::kDiskFull);
    EXPECT_FALSE(windows.Exists("D:\\c")) << "no partial copy";
    EXPECT_EQ(windows.files().MoveFile("C:\\six", "D:\\moved").code(), win::kDiskFull);
    EXPECT_TRUE(windows.Exists("C:\\six"));
    ASSERT_TRUE(windows.files().WriteFile("D:\\b", "1234").ok()); // exactly full
    EXPECT_EQ(windows.profile().WriteString("s", "k", "v", "D:\\x.ini").code(), win::kDiskFull);
    ASSERT_TRUE(windows.files().DeleteFile("D:\\a").ok());
    EXPECT_TRUE(windows.files().MoveFile("C:\\six", "D:\\moved").ok()) << State();
}

TEST_F(FileSystemTest, ShortNamesAreGeneratedPerDirectory) {
    struct Row {
        const char* path;
        const char* shortName;
    } rows[] = {
        {"C:\\Program Files", "PROGRA~1"},
        {"C:\\Program Files (x86)", "PROGRA~2"},
        {"C:\\Program Files\\Long File Name.text", "LONGFI~1.TEX"},
        {"C:\\WINDOWS\\Long File Name.text", "LONGFI~1.TEX"}, // another directory
        {"C:\\korvex.cfg", "korvex.cfg"},                     // already 8.3
        {"C:\\a+b.txt", "AB~1.TXT"},
        {"C:\\archive.tar.gz", "ARCHIV~1.GZ"},
    };
    for (const Row& row : rows) {
        windows.PutFile(std::string(row.path) + "\\x", ""); // as a directory
    }
    for (const Row& row : rows) {
        EXPECT_EQ(windows.ShortNameOf(row.path), row.shortName) << row.path;
    }
    windows.MakeDirectories("C:\\Many");
    for (int i = 1; i <= 10; ++i) {
        ASSERT_TRUE(
            windows.files().WriteFile("C:\\Many\\LongName" + std::to_string(i) + ".txt", "").ok());
    }
    EXPECT_EQ(windows.ShortNameOf("C:\\Many\\LongName9.txt"), "LONGNA~9.TXT");
    EXPECT_EQ(windows.ShortNameOf("C:\\Many\\LongName10.txt"), "LONGN~10.TXT");
    // Paths may use the short names.
    EXPECT_TRUE(windows.IsDirectoryAt("C:\\progra~1\\LONGFI~1.TEX"));
    EXPECT_EQ(windows.files().CreateDirectory("C:\\PROGRA~2").code(), win::kAlreadyExists);
    // A drive that generates none.
    windows.AddDrive('D', DriveType::Fixed);
    windows.PutFile("D:\\Mira Maps\\x", "");
    EXPECT_EQ(windows.ShortNameOf("D:\\Mira Maps"), "Mira Maps");
}

TEST_F(FileSystemTest, AMovedEntryGetsANewShortName) {
    windows.PutFile("C:\\One\\Long File Name.txt", "taken");
    windows.PutFile("C:\\Two\\Long File Name.txt", "moving");
    ASSERT_TRUE(windows.files()
                    .MoveFile("C:\\Two\\Long File Name.txt", "C:\\One\\Long File Names.txt")
                    .ok());
    EXPECT_EQ(windows.ShortNameOf("C:\\One\\Long File Names.txt"), "LONGFI~2.TXT");
    ASSERT_TRUE(
        windows.files().MoveFile("C:\\ONE\\LONGFI~2.TXT", "C:\\One\\Another Name.txt").ok());
    EXPECT_EQ(windows.ShortNameOf("C:\\One\\Another Name.txt"), "ANOTHE~1.TXT");
    EXPECT_FALSE(windows.Exists("C:\\One\\LONGFI~2.TXT"));
}

TEST_F(FileSystemTest, ShortPathNamesReplaceEachComponent) {
    windows.PutFile("C:\\Program Files\\Korvex Application\\korvex.exe", "MZ");
    windows.PutFile("C:\\Apps\\Control\\korvex.exe", "MZ");
    struct Row {
        const char* path;
        const char* shortPath;
    } rows[] = {
        {"C:\\Program Files\\Korvex Application\\korvex.exe", "C:\\PROGRA~1\\KORVEX~1\\korvex.exe"},
        {"c:\\program files\\korvex application\\", "c:\\PROGRA~1\\KORVEX~1\\"},
        {"C:\\apps\\control\\", "C:\\Apps\\Control\\"}, // 8.3 names as stored
        {"C:/Program Files/./Korvex Application", "C:\\PROGRA~1\\KORVEX~1"},
        {"C:\\PROGRA~1", "C:\\PROGRA~1"},
        {"C:\\", "C:\\"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(windows.files().GetShortPathName(row.path).value_or("<failed>"), row.shortPath)
            << row.path;
    }
    EXPECT_EQ(windows.files().GetShortPathName("C:\\Program Files\\missing").code(),
              win::kFileNotFound);
    EXPECT_EQ(windows.files().GetShortPathName("C:\\missing\\x").code(), win::kFileNotFound);
    EXPECT_EQ(windows.files().GetShortPathName("C:\\Apps\\Control\\korvex.exe\\x").code(),
              win::kFileNotFound);
}

TEST_F(FileSystemTest, JunctionsLeadIntoTheirTargetAndLoopsEnd) {
    windows.PutFile("C:\\Target\\f.txt", "through");
    windows.MakeJunction("C:\\Link", "C:\\Target");
    windows.MakeJunction("C:\\Target\\loop", "c:/target/");
    EXPECT_EQ(windows.files().GetAttributes("C:\\Link").value(),
              attr::kDirectory | attr::kReparsePoint);
    EXPECT_EQ(windows.files().ReadFile("C:\\Link\\f.txt").value_or(""), "through");
    EXPECT_EQ(windows.files().ReadFile("C:\\Link\\loop\\loop\\f.txt").value_or(""), "through");
    EXPECT_EQ(List(windows.files(), "C:\\Link\\*").names, (Names{".", "..", "f.txt", "loop"}));
    ASSERT_TRUE(windows.files().WriteFile("C:\\Link\\new.txt", "n").ok());
    EXPECT_EQ(windows.Contents("C:\\Target\\new.txt"), "n");

    std::string deep = "C:\\Target";
    for (int i = 0; i < 64; ++i) {
        deep += "\\loop";
    }
    EXPECT_EQ(windows.files().GetAttributes(deep + "\\f.txt").code(), win::kCantResolveFilename);
    EXPECT_FALSE(windows.Exists(deep + "\\f.txt"));
    EXPECT_TRUE(windows.Exists(deep)) << "63 junctions on the way, the last one not entered";
    EXPECT_EQ(windows.Tree("C:\\"),
              (Names{"Link\\ -> C:\\Target", "Target\\", "Target\\f.txt",
                     "Target\\loop\\ -> C:\\target", "Target\\new.txt", "WINDOWS\\"}));
    EXPECT_NE(State().find("loop\\ -> C:\\target"), std::string::npos);

    EXPECT_EQ(windows.files().DeleteFile("C:\\Link").code(), win::kAccessDenied);
    ASSERT_TRUE(windows.files().RemoveDirectory("C:\\Link").ok()); // the link only
    EXPECT_FALSE(windows.Exists("C:\\Link"));
    EXPECT_TRUE(windows.Exists("C:\\Target\\f.txt"));
}

TEST_F(FileSystemTest, TreeAndDescribeShowTheMachine) {
    windows.AddDrive('E', DriveType::CdRom, false);
    windows.SetCapacity('C', 1000);
    windows.PutFile("C:\\MAP\\a.map", "abc", attr::kReadOnly | attr::kArchive);
    windows.PutFile("C:\\MAP\\sub\\b.map", "", attr::kHidden | 0x100);
    windows.PutFile("C:\\MAP\\sub\\plain.map", "", attr::kNormal);
    EXPECT_EQ(windows.Tree("C:\\MAP"),
              (Names{"a.map [R]", "sub\\", "sub\\b.map [H 0x100]", "sub\\plain.map [N]"}));
    EXPECT_EQ(windows.Tree("C:\\missing"), Names{});
    const std::string state = State();
    for (const char* part : {"C: Fixed, short names, 3 bytes in files of 1000",
                             "E: CdRom, no medium", "  MAP\\a.map [R] (3 bytes)",
                             "current directory C:\\", "Windows directory C:\\WINDOWS"}) {
        EXPECT_NE(state.find(part), std::string::npos) << part << " in\n" << state;
    }
}

TEST_F(FileSystemTest, CopiesOfLargeTreesStayFast) {
    constexpr int kFiles = 20'000;
    for (int i = 0; i < kFiles; ++i) {
        windows.PutFile(
            "C:\\Big\\d" + std::to_string(i % 20) + "\\file" + std::to_string(i) + ".map", "x");
    }
    windows.MakeDirectories("C:\\Copy");
    int copied = 0;
    const Listing directories = List(windows.files(), "C:\\Big\\*");
    for (const std::string& directory : directories.names) {
        if (directory == "." || directory == "..") {
            continue;
        }
        ASSERT_TRUE(windows.files().CreateDirectory("C:\\Copy\\" + directory).ok());
        const Listing files = List(windows.files(), "C:\\Big\\" + directory + "\\*.map");
        for (const std::string& file : files.names) {
            ASSERT_TRUE(windows.files()
                            .CopyFile("C:\\Big\\" + directory + "\\" + file,
                                      "C:\\Copy\\" + directory + "\\" + file)
                            .ok());
            ++copied;
        }
    }
    EXPECT_EQ(copied, kFiles);
    EXPECT_EQ(windows.Tree("C:\\Copy").size(), static_cast<std::size_t>(kFiles + 20));
}

} // namespace
} // namespace korvex::memory
