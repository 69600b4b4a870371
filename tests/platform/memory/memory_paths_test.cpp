// Path parsing, case folding, FindFirstFile's wildcards and 8.3 names, as pure functions.
#include "platform/memory/Paths.h"

#include <gtest/gtest.h>

#include <string>

namespace korvex::memory {
namespace {

TEST(FoldCase, FoldsLettersAndKeepsOtherBytes) {
    struct Row {
        const char* name;
        const char* folded;
    } rows[] = {
        {"korvex.cfg", "KORVEX.CFG"},
        {"Mira Maps", "MIRA MAPS"},
        {"gr\xC3\xBC\xC3\x9F"
         "e",
         "GR\xC3\x9C\xC3\x9F"
         "E"},                                                    // "grüße": ü folds, ß stays
        {"\xC3\xB7", "\xC3\xB7"},                                 // "÷" is no letter
        {"\xCF\x82\xCE\xB1", "\xCE\xA3\xCE\x91"},                 // "ςα" -> "ΣΑ"
        {"\xD0\xBA\xD1\x8F\xD1\x91", "\xD0\x9A\xD0\xAF\xD0\x81"}, // "кяё" -> "КЯЁ"
        {"a\xFF\xC3", "A\xFF\xC3"},                               // bytes that are not UTF-8
        {"_[]~", "_[]~"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FoldCase(row.name), row.folded) << row.name;
    }
}

TEST(ParsePath, ResolvesAsGetFullPathNameDoes) {
    struct Row {
        const char* path;
        const char* current;
        const char* full;
        bool trailing;
    } rows[] = {
        {"C:\\Apps\\Control", "C:\\", "C:\\Apps\\Control", false},
        {"c:/apps//control/", "C:\\", "C:\\apps\\control", true},
        {"C:\\a\\.\\b\\..\\c", "C:\\", "C:\\a\\c", false},
        {"C:\\..\\..\\a", "C:\\", "C:\\a", false},
        {"C:\\a\\..", "C:\\", "C:\\", false},
        {"korvex.cfg", "C:\\WINDOWS", "C:\\WINDOWS\\korvex.cfg", false},
        {"..\\x", "D:\\a\\b", "D:\\a\\x", false},
        {"\\x", "D:\\a", "D:\\x", false},
        {"D:x", "D:\\a", "D:\\a\\x", false},
        {"E:x", "D:\\a", "E:\\x", false},
        {"D:", "D:\\a", "D:\\a", false},
        {"C:\\name. . .", "C:\\", "C:\\name", false},
        {"C:\\dir.\\file ", "C:\\", "C:\\dir\\file", false},
        {"C:\\a\\*.", "C:\\", "C:\\a\\*.", false}, // a pattern keeps its dot
    };
    for (const Row& row : rows) {
        const auto parsed = ParsePath(row.path, row.current);
        ASSERT_TRUE(parsed.ok()) << row.path;
        EXPECT_EQ(parsed.value().ToString(), row.full) << row.path;
        EXPECT_EQ(parsed.value().trailingSeparator, row.trailing) << row.path;
    }
    EXPECT_EQ(ParsePath("", "C:\\").code(), win::kPathNotFound);
    EXPECT_EQ(ParsePath("\\\\server\\share\\x", "C:\\").code(), win::kPathNotFound);
    EXPECT_EQ(ParsePath("c:\\x", "C:\\").value().driveAsGiven, "c:");
}

TEST(ValidNames, RefuseWhatWindowsRefuses) {
    for (const char* name : {"a<b", "a>b", "a:b", "a\"b", "a|b", "a?b", "a*b", "tab\there", ""}) {
        EXPECT_FALSE(IsValidName(name)) << name;
    }
    for (const char* name : {"a b", "a+b,c;d=e[f]", "x.y.z",
                             "gr\xC3\xBC\xC3\x9F"
                             "e"}) {
        EXPECT_TRUE(IsValidName(name)) << name;
    }
    EXPECT_TRUE(IsValidPattern("*.c?g"));
    EXPECT_FALSE(IsValidPattern("*<"));
}

TEST(MatchesPattern, FollowsTheWindowsWildcardRules) {
    struct Row {
        const char* pattern;
        const char* name;
        bool matches;
    } rows[] = {
        {"*.*", "noext", true},
        {"*.*", "a.b.c", true},
        {"*.*", ".", true},
        {"*.*", "..", true},
        {"*", "anything.at.all", true},
        {"*.cfg", "conf.cfg", true},
        {"*.cfg", "CONF.CFG", true},
        {"*.CFG", "conf.cfg", true},
        {"*.cfg", "a.b.cfg", true},
        {"*.cfg", "conf.cfg.bak", false},
        {"*.cfg", "conf.cfgx", false}, // (a search also tries its 8.3 name)
        {"*.cfg", "cfg", false},
        {"*.cfg", ".", false},
        {"korvex*.lnk", "KORVEX Help.lnk", true},
        {"korvex*.lnk", "Other.lnk", false},
        {"gamm?.txt", "gamma.txt", true},
        {"a?.txt", "ab.txt", true},
        {"a?.txt", "a.txt", true}, // "?" matches nothing before a dot
        {"a?.txt", "abc.txt", false},
        {"a??", "a", true},    // ... and at the end of the name
        {"*.", "noext", true}, // "*." means: no extension
        {"*.", "name.ext", false},
        {"noext.", "noext", true},
        {"*.4kr", "system1.4KR", true},
        {"Gr*.txt",
         "Gr\xC3\xBC\xC3\x9F"
         "e \xE2\x82\xAC.txt",
         true},
        {"GR\xC3\x9C*",
         "gr\xC3\xBC\xC3\x9F"
         "e",
         true},
        {"?", "\xE2\x82\xAC", true}, // one character, three bytes
    };
    for (const Row& row : rows) {
        EXPECT_EQ(MatchesPattern(row.name, row.pattern), row.matches)
            << row.pattern << " against " << row.name;
    }
}

TEST(ShortNames, ValidityAndGeneratedParts) {
    for (const char* name : {"korvex.cfg", "KORVEX.EXE", "a", "12345678.123", "x~1.$$$", "tcpip"}) {
        EXPECT_TRUE(IsValidShortName(name)) << name;
    }
    for (const char* name : {"123456789", "a.1234", "a.b.c", "a b", "a+b", ".cfg", "name.",
                             "gr\xC3\xBC"
                             "n"}) {
        EXPECT_FALSE(IsValidShortName(name)) << name;
    }
    struct Row {
        const char* name;
        int number;
        const char* shortName;
    } rows[] = {
        {"Program Files", 1, "PROGRA~1"},
        {"Long File Name.text", 2, "LONGFI~2.TEX"},
        {"archive.tar.gz", 1, "ARCHIV~1.GZ"},
        {"a+b,c.txt", 1, "ABC~1.TXT"},
        {".profile", 1, "PROFIL~1"},
        {"conf.cfgx", 1, "CONF~1.CFG"},
        {"gr\xC3\xBC\xC3\x9F"
         "e.txt",
         1, "GR__E~1.TXT"},
        {"LongName10.txt", 10, "LONGN~10.TXT"},
        {"LongName.txt", 123456, "L~123456.TXT"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ShortNameCandidate(MakeShortNameStem(row.name), row.number), row.shortName)
            << row.name;
    }
}

} // namespace
} // namespace korvex::memory
