// INI writes through the profile-string service, byte for byte.
#include "platform/contract/ContractTest.h"

#include <optional>

namespace korvex::contract {
namespace {

using platform::attr::kReadOnly;

class ProfileContract : public ContractTest {};

TEST_F(ProfileContract, WritesGiveTheseBytes) {
    struct Row {
        const char* name;
        std::optional<std::string> before; // nothing: no file
        const char* section;
        const char* key;
        const char* value;
        std::string after;
    };
    const Row rows[] = {
        {"new file", std::nullopt, "Comms", "Link Type", "Serial-System",
         "[Comms]\r\nLink Type=Serial-System\r\n"},
        {"new section at the end", "[Initialisation]\r\nPath=C:\\TELMIMAP\r\n", "Comms",
         "Link Type", "Ethernet-System",
         "[Initialisation]\r\nPath=C:\\TELMIMAP\r\n[Comms]\r\nLink Type=Ethernet-System\r\n"},
        {"key replaced in its line",
         "[Comms]\r\nLink Type=Serial-System\r\nEthernet Type=Winsock\r\n", "Comms", "Link Type",
         "Ethernet-System", "[Comms]\r\nLink Type=Ethernet-System\r\nEthernet Type=Winsock\r\n"},
        {"new key at the end of its section",
         "[Comms]\r\nLink Type=x\r\n[Airtalker]\r\nRegion=1\r\n", "Comms", "Ethernet Type",
         "Winsock",
         "[Comms]\r\nLink Type=x\r\nEthernet Type=Winsock\r\n[Airtalker]\r\nRegion=1\r\n"},
        // The line keeps the key's name as the file spells it; only the value changes.
        {"section and key in another case", "[COMMS]\r\nlink type=x\r\n", "Comms", "Link Type", "y",
         "[COMMS]\r\nlink type=y\r\n"},
        {"comments and other keys keep their place",
         "; settings\r\n[Comms]\r\n; the link\r\nLink Type=x\r\nOther=1\r\n", "Comms", "Link Type",
         "y", "; settings\r\n[Comms]\r\n; the link\r\nLink Type=y\r\nOther=1\r\n"},
        {"blank lines keep their place",
         "[Comms]\r\nLink Type=x\r\n\r\n[Airtalker]\r\nRegion=1\r\n", "Airtalker", "Region", "2",
         "[Comms]\r\nLink Type=x\r\n\r\n[Airtalker]\r\nRegion=2\r\n"},
        {"new key before the blank line that ends its section",
         "[Comms]\r\nLink Type=x\r\n\r\n[Airtalker]\r\nRegion=1\r\n", "Comms", "Ethernet Type",
         "Winsock",
         "[Comms]\r\nLink Type=x\r\nEthernet Type=Winsock\r\n\r\n[Airtalker]\r\nRegion=1\r\n"},
        {"new section after a file without a final line end", "[Comms]\r\nLink Type=x", "Airtalker",
         "Region", "1", "[Comms]\r\nLink Type=x\r\n[Airtalker]\r\nRegion=1\r\n"},
        {"other keys keep their blanks", "[Comms]\r\nOther = 1\r\nLink Type=x\r\n", "Comms",
         "Link Type", "y", "[Comms]\r\nOther = 1\r\nLink Type=y\r\n"},
        {"lines ended by LF alone keep their ends", "[Comms]\nLink Type=x\n", "Airtalker", "Region",
         "1", "[Comms]\nLink Type=x\n[Airtalker]\r\nRegion=1\r\n"},
        {"new key goes to the first of two sections of one name",
         "[Comms]\r\nA=1\r\n[Comms]\r\nB=2\r\n", "COMMS", "B", "3",
         "[Comms]\r\nA=1\r\nB=3\r\n[Comms]\r\nB=2\r\n"},
    };
    int n = 0;
    for (const Row& row : rows) {
        const std::string path = At("file" + std::to_string(++n) + ".ini");
        if (row.before) {
            ASSERT_TRUE(files().WriteFile(path, *row.before).ok()) << path;
        }
        const Status written = profile().WriteString(row.section, row.key, row.value, path);
        EXPECT_TRUE(written.ok()) << row.name << ": " << written.Describe();
        const std::string after = files().ReadFile(path).value_or("unreadable");
        if (IniCanonical(row.after) == row.after || Checks(Shortfall::RewritesIniFiles, row.name)) {
            EXPECT_EQ(after, row.after) << row.name;
        } else {
            EXPECT_EQ(IniCanonical(after), IniCanonical(row.after)) << row.name;
        }
    }
}

TEST_F(ProfileContract, BareFileNameLandsInTheWindowsDirectory) {
    const auto windows = files().WindowsDirectory();
    ASSERT_TRUE(windows.ok()) << windows.error().Describe();
    const std::string name = backend().UniqueName("ini");
    const std::string path = windows.value() + "\\" + name;
    DeleteAtEnd(path);
    ASSERT_TRUE(profile().WriteString("Comms", "Link Type", "Serial-System", name).ok());
    ASSERT_TRUE(profile().WriteString("Comms", "Ethernet Type", "Winsock", name).ok());
    EXPECT_EQ(files().ReadFile(path).value_or("unreadable"),
              "[Comms]\r\nLink Type=Serial-System\r\nEthernet Type=Winsock\r\n");
}

TEST_F(ProfileContract, Refusals) {
    Put("readonly.ini", "[Comms]\r\nLink Type=x\r\n", kReadOnly);
    const Status missing = profile().WriteString("Comms", "Link Type", "y", At("Missing\\x.ini"));
    EXPECT_EQ(missing.code(), win::kPathNotFound);
    if (Checks(Shortfall::WritesReadOnlyFiles, "INI write to a read-only file")) {
        const Status readOnly =
            profile().WriteString("Comms", "Link Type", "y", At("readonly.ini"));
        EXPECT_EQ(readOnly.code(), win::kAccessDenied);
        EXPECT_EQ(files().ReadFile(At("readonly.ini")).value_or("unreadable"),
                  "[Comms]\r\nLink Type=x\r\n");
    }
}

} // namespace
} // namespace korvex::contract
