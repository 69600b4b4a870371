// INI writes: the bytes WritePrivateProfileString leaves, and where and when it fails.
#include "platform/memory/IniFile.h"

#include <gtest/gtest.h>

#include <string>

#include "MemoryTest.h"

namespace korvex::memory {
namespace {

using namespace std::string_literals;

TEST(WriteIniKey, ChangesOnlyTheKeyLine) {
    struct Row {
        const char* what;
        std::string before;
        const char* section;
        const char* key;
        const char* value;
        std::string after;
    } rows[] = {
        {"new file", "", "Comms", "Link Type", "Serial-System",
         "[Comms]\r\nLink Type=Serial-System\r\n"},
        {"new section at the end", "[A]\r\nk=1\r\n", "B", "x", "2", "[A]\r\nk=1\r\n[B]\r\nx=2\r\n"},
        {"new section after a last line without line end", "[A]\r\nk=1", "B", "x", "2",
         "[A]\r\nk=1\r\n[B]\r\nx=2\r\n"},
        {"replaced value, the key as the file spells it", "[comms]\r\nLINK TYPE=Serial\r\n",
         "Comms", "Link Type", "Ethernet-System", "[comms]\r\nLINK TYPE=Ethernet-System\r\n"},
        {"replaced key with blanks around names", "[ Comms ]\n  Link Type  = x\nother=1\n", "Comms",
         " Link Type ", "y", "[ Comms ]\n  Link Type  =y\nother=1\n"},
        {"replaced key keeps a missing final line end", "[A]\r\nk=1", "A", "k", "22",
         "[A]\r\nk=22"},
        {"first of two equal keys", "[A]\r\nk=1\r\nk=2\r\n", "A", "K", "3",
         "[A]\r\nk=3\r\nk=2\r\n"},
        {"new key after the last non-blank line", "[A]\r\nk=1\r\n\r\n\r\n[B]\r\n", "A", "n", "v",
         "[A]\r\nk=1\r\nn=v\r\n\r\n\r\n[B]\r\n"},
        {"new key in an empty section", "[A]\r\n[B]\r\nx=1\r\n", "A", "n", "v",
         "[A]\r\nn=v\r\n[B]\r\nx=1\r\n"},
        {"new key in the last section without line end", "[A]\r\nk=1", "A", "n", "v",
         "[A]\r\nk=1\r\nn=v\r\n"},
        {"LF-only lines keep their ends", "[A]\nk=1\n\n[B]\ny=2\n", "B", "z", "3",
         "[A]\nk=1\n\n[B]\ny=2\nz=3\r\n"},
        {"comments stay and are no keys", "; top\r\n[A]\r\n;k=old\r\nk=1 ; note\r\n", "A", "k", "2",
         "; top\r\n[A]\r\n;k=old\r\nk=2\r\n"},
        {"comment is the last non-blank line", "[A]\r\nk=1\r\n; end\r\n", "A", "n", "v",
         "[A]\r\nk=1\r\n; end\r\nn=v\r\n"},
        {"key of another section untouched", "[A]\r\nk=1\r\n[B]\r\nk=2\r\n", "B", "k", "9",
         "[A]\r\nk=1\r\n[B]\r\nk=9\r\n"},
        {"header with text after it", "[A] ; first\r\nk=1\r\n", "A", "k", "2",
         "[A] ; first\r\nk=2\r\n"},
        {"broken header is no section", "[A\r\nk=1\r\n", "A", "k", "2",
         "[A\r\nk=1\r\n[A]\r\nk=2\r\n"},
        {"line without = names a key", "[A]\r\nflag\r\n", "A", "flag", "on", "[A]\r\nflag=on\r\n"},
        {"lines before any section are no keys", "k=1\r\n[A]\r\n", "A", "k", "2",
         "k=1\r\n[A]\r\nk=2\r\n"},
        {"binary bytes survive", "\x00\xFF\r\n[A]\r\nk=\x01\x02\r\n\xFE"s, "A", "k", "v",
         "\x00\xFF\r\n[A]\r\nk=v\r\n\xFE"s},
        {"binary bytes without sections", "\x00\x01\x02"s, "S", "k", "v",
         "\x00\x01\x02\r\n[S]\r\nk=v\r\n"s},
        {"empty value", "[A]\r\nk=1\r\n", "A", "k", "", "[A]\r\nk=\r\n"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(WriteIniKey(row.before, row.section, row.key, row.value), row.after) << row.what;
    }
}

TEST(WriteIniKey, LargeFilesAreLinear) {
    std::string big;
    for (int i = 0; i < 200'000; ++i) {
        big += "[S" + std::to_string(i) + "]\r\nkey=value\r\n";
    }
    const std::string after = WriteIniKey(big, "S199999", "key", "new");
    EXPECT_EQ(after.size(), big.size() - 2);
    EXPECT_EQ(after.substr(after.size() - 9), "key=new\r\n");
}

class ProfileTest : public testing::MemoryTest {};

TEST_F(ProfileTest, ANameAloneIsAFileOfTheWindowsDirectory) {
    ASSERT_TRUE(
        windows.profile().WriteString("Comms", "Link Type", "Serial-System", "NELK.INI").ok());
    ASSERT_TRUE(
        windows.profile().WriteString("comms", "Ethernet Type", "Winsock", "nelk.ini").ok());
    EXPECT_EQ(windows.Contents("C:\\WINDOWS\\NELK.INI"),
              "[Comms]\r\nLink Type=Serial-System\r\nEthernet Type=Winsock\r\n")
        << State();
    EXPECT_EQ(windows.AttributesOf("C:\\WINDOWS\\NELK.INI"), platform::attr::kArchive);

    windows.AddDrive('D', platform::DriveType::Fixed);
    windows.SetWindowsDirectory("D:\\WINNT");
    ASSERT_TRUE(windows.profile().WriteString("A", "k", "v", "X.INI").ok());
    EXPECT_TRUE(windows.Exists("D:\\WINNT\\X.INI"));

    // With a directory part the path is used as given, relative ones too.
    windows.SetCurrentDirectory("C:\\Apps");
    windows.MakeDirectories("C:\\Apps\\conf");
    ASSERT_TRUE(windows.profile().WriteString("A", "k", "v", "conf\\local.ini").ok());
    ASSERT_TRUE(windows.profile().WriteString("A", "k", "v", "C:/Apps/other.ini").ok());
    EXPECT_TRUE(windows.Exists("C:\\Apps\\conf\\local.ini"));
    EXPECT_TRUE(windows.Exists("C:\\Apps\\other.ini"));
    EXPECT_EQ(windows.Count(Operation::WriteProfileString), 5u);
}

TEST_F(ProfileTest, KeepsTheBytesOfAnExistingFile) {
    const std::string before = "; settings\n[Comms]\nLink Type = Serial\n\n[Multiple Maps]\n";
    windows.PutFile("C:\\WINDOWS\\NELK.INI", before, platform::attr::kHidden);
    ASSERT_TRUE(
        windows.profile().WriteString("COMMS", "link type", "Ethernet-System", "NELK.INI").ok());
    EXPECT_EQ(windows.Contents("C:\\WINDOWS\\NELK.INI"),
              "; settings\n[Comms]\nLink Type =Ethernet-System\n\n[Multiple Maps]\n");
    EXPECT_EQ(windows.AttributesOf("C:\\WINDOWS\\NELK.INI"),
              platform::attr::kHidden | platform::attr::kArchive);
}

TEST_F(ProfileTest, FailuresLeaveTheFileAsItWas) {
    windows.PutFile("C:\\ro.ini", "[A]\r\n", platform::attr::kReadOnly);
    windows.MakeDirectories("C:\\dir.ini");
    windows.SetCapacity('C', 8);
    struct Row {
        const char* file;
        std::uint32_t code;
    } rows[] = {
        {"C:\\Missing\\x.ini", win::kPathNotFound}, {"C:\\ro.ini", win::kAccessDenied},
        {"C:\\dir.ini", win::kAccessDenied},        {"C:\\full.ini", win::kDiskFull},
        {"C:\\a|b.ini", win::kInvalidName},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(windows.profile().WriteString("Section", "key", "value", row.file).code(),
                  row.code)
            << row.file;
    }
    EXPECT_EQ(windows.Contents("C:\\ro.ini"), "[A]\r\n");
    EXPECT_FALSE(windows.Exists("C:\\full.ini"));
}

} // namespace
} // namespace korvex::memory
