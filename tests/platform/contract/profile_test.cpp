// INI writes through the profile-string service, byte for byte.
#include "platform/contract/Contract.h"

namespace korvex::contract {
namespace {

using ProfileContract = ContractTest;

TEST_F(ProfileContract, WritesGiveTheseBytes) {
    struct Row {
        const char* name;
        const char* before; // null: no file
        const char* section;
        const char* key; // given the value "v"
        std::string after;
    };
    const Row rows[] = {
        {"new file", nullptr, "Comms", "Link Type", "[Comms]\r\nLink Type=v\r\n"},
        {"new section at the end", "[A]\r\nk=1\r\n", "S", "k", "[A]\r\nk=1\r\n[S]\r\nk=v\r\n"},
        {"key replaced in its line", "[S]\r\nk=1\r\nn=2\r\n", "S", "k", "[S]\r\nk=v\r\nn=2\r\n"},
        {"new key at the end of its section", "[S]\r\nk=1\r\n[A]\r\nk=1\r\n", "S", "n",
         "[S]\r\nk=1\r\nn=v\r\n[A]\r\nk=1\r\n"},
        {"names keep the file's case", "[COMMS]\r\nlink type=1\r\n", "Comms", "Link Type",
         "[COMMS]\r\nlink type=v\r\n"},
        {"comments and other keys keep their place and blanks",
         "; top\r\n[S]\r\n; k=0\r\nn = 1\r\nk=1\r\n", "S", "k",
         "; top\r\n[S]\r\n; k=0\r\nn = 1\r\nk=v\r\n"},
        {"blank lines keep their place", "[A]\r\nk=1\r\n\r\n[S]\r\nk=1\r\n", "S", "k",
         "[A]\r\nk=1\r\n\r\n[S]\r\nk=v\r\n"},
        {"new key before the blank line ending its section", "[S]\r\nk=1\r\n\r\n[A]\r\nk=1\r\n",
         "S", "n", "[S]\r\nk=1\r\nn=v\r\n\r\n[A]\r\nk=1\r\n"},
        {"new section after no final line end", "[A]\r\nk=1", "S", "k",
         "[A]\r\nk=1\r\n[S]\r\nk=v\r\n"},
        {"lines ended by LF alone keep their ends", "[A]\nk=1\n", "S", "k",
         "[A]\nk=1\n[S]\r\nk=v\r\n"},
        {"new key in the first of two sections of one name", "[S]\r\nk=1\r\n[S]\r\nn=2\r\n", "s",
         "n", "[S]\r\nk=1\r\nn=v\r\n[S]\r\nn=2\r\n"},
    };
    int n = 0;
    for (const Row& row : rows) {
        const std::string name = "file" + std::to_string(++n) + ".ini";
        if (row.before != nullptr) {
            Put(name, row.before);
        }
        EXPECT_TRUE(profile().WriteString(row.section, row.key, "v", At(name)).ok()) << row.name;
        const std::string after = files().ReadFile(At(name)).value_or("unreadable");
        // A machine that rewrites INI files is held to the same lines in its own form.
        const bool exact =
            IniCanonical(row.after) == row.after || Checks(Shortfall::RewritesIniFiles, row.name);
        EXPECT_EQ(exact ? after : IniCanonical(after), exact ? row.after : IniCanonical(row.after))
            << row.name;
    }
}

TEST_F(ProfileContract, BareFileNameLandsInTheWindowsDirectory) {
    const std::string name = backend_->scratch.substr(3) + ".ini"; // no other run's
    const std::string path = files().WindowsDirectory().value_or("?") + "\\" + name;
    ASSERT_TRUE(profile().WriteString("Comms", "Link Type", "Serial-System", name).ok());
    ASSERT_TRUE(profile().WriteString("Comms", "Ethernet Type", "Winsock", name).ok());
    EXPECT_EQ(files().ReadFile(path).value_or("unreadable"),
              "[Comms]\r\nLink Type=Serial-System\r\nEthernet Type=Winsock\r\n");
    EXPECT_TRUE(files().DeleteFile(path).ok());
}

TEST_F(ProfileContract, Refusals) {
    EXPECT_EQ(profile().WriteString("Comms", "Link Type", "y", At("Missing\\x.ini")).code(),
              win::kPathNotFound);
    Put("readonly.ini", "[Comms]\r\nLink Type=x\r\n", platform::attr::kReadOnly);
    if (Checks(Shortfall::WritesReadOnlyFiles, "INI write to a read-only file")) {
        EXPECT_EQ(profile().WriteString("Comms", "Link Type", "y", At("readonly.ini")).code(),
                  win::kAccessDenied);
        EXPECT_EQ(Snapshot("readonly.ini"), "\"[Comms]\r\nLink Type=x\r\n\" R");
    }
}

} // namespace
} // namespace korvex::contract
