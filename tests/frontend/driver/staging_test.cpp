// The staging steps: network files, backups, the two trees, the held and the ".new" files.
#include "frontend/driver/Staging.h"

#include <gtest/gtest.h>

#include "support/Machines.h"

namespace korvex::frontend {
namespace {

using memory::Operation;
using platform::Answer;
using testing::File;
namespace attr = platform::attr;

class StagingTest : public testing::FrontEndTest {};

TEST_F(StagingTest, NetworkFilesKeepTheirNamesAndAreStagedOnlyFromNt4On) {
    const std::pair<platform::OsVersion, bool> rows[] = {
        {{1, 4, 10}, false}, {{2, 3, 51}, false}, {{2, 4, 0}, true}, {{2, 5, 1}, true}};
    for (const auto& [version, staged] : rows) {
        memory::MemoryWindows machine;
        testing::InstallKorvex(machine);
        ASSERT_TRUE(machine.files().DeleteFile("C:\\WINDOWS\\services.ymv").ok());
        machine.SetVersion(version);
        machine.PutFile("C:\\WINDOWS\\system32\\drivers\\etc\\hosts", "own hosts");
        machine.PutFile("C:\\tmptelm\\x.cfg", "x"); // no question about the ".new" files
        KorvexConfig run(machine.platform());
        Main(run);
        const std::string etc = "C:\\WINDOWS\\system32\\drivers\\etc\\";
        EXPECT_EQ(File(machine, etc + "hosts.ymv"), staged ? "hosts" : "<missing>");
        EXPECT_EQ(File(machine, etc + "hosts"), "own hosts");
        // A missing source copies nothing and says nothing.
        EXPECT_FALSE(machine.Exists(etc + "services.ymv"));
        EXPECT_TRUE(testing::Warnings(machine).empty()) << testing::State(machine);
    }
}

TEST_F(StagingTest, BackupsAreStampedCopiesOfTheFilesThatExist) {
    windows.PutFile("C:\\WINDOWS\\ZELMAIN.INI", "[ZELMAIN]\r\n");
    windows.PutFile("C:\\WINDOWS\\zelmain140533.ini", "an earlier run in the same second");
    BackupIniFiles(run);
    EXPECT_FALSE(windows.Exists("C:\\WINDOWS\\nelk140533.ini"));
    EXPECT_EQ(File(windows, "C:\\WINDOWS\\zelmain140533.ini"), "[ZELMAIN]\r\n");
    windows.PutFile("C:\\WINDOWS\\NELK.INI", "[Comms]\r\n");
    BackupIniFiles(run);
    EXPECT_EQ(File(windows, "C:\\WINDOWS\\nelk140533.ini"), "[Comms]\r\n");
}

TEST_F(StagingTest, TreesAreCopiedOnlyWhenMissingAtTheRoot) {
    windows.MakeDirectories("C:\\FIRMWARE"); // present, even though empty
    CopyTreeIfMissing(run, "TELMIMAP");
    CopyTreeIfMissing(run, "FIRMWARE");
    EXPECT_EQ(File(windows, "C:\\TELMIMAP\\S01\\studio\\shipped.map"), "shipped map");
    EXPECT_FALSE(windows.Exists("C:\\FIRMWARE\\frame.bin"));
    EXPECT_EQ(windows.ui().transcript(),
              (std::vector<std::string>{"cursor wait", "cursor normal"}));
}

TEST_F(StagingTest, AFailedTreeCopyIsReportedAndTheRunGoesOn) {
    windows.PutFile("C:\\Apps\\Control\\TELMIMAP\\b.map", "b");
    windows.FailPath(Operation::CopyFile, "C:\\Apps\\Control\\TELMIMAP\\b.map", win::kDiskFull);
    CopyTreeIfMissing(run, "TELMIMAP");
    CopyTreeIfMissing(run, "FIRMWARE");
    ASSERT_EQ(testing::Shown(windows).size(), 1u);
    EXPECT_EQ(testing::Warnings(windows),
              std::vector<std::string>{
                  "The TELMIMAP directory was not copied completely from "
                  "C:\\Apps\\Control\\TELMIMAP to C:\\TELMIMAP.\nThe copy stopped at "
                  "C:\\Apps\\Control\\TELMIMAP\\b.map:\n" +
                  WindowsErrorText(win::kDiskFull) +
                  " (error 112)\nThe installation goes on with the next step."});
    EXPECT_EQ(windows.ui().messages()[0].request.title, "VarenInstall");
    EXPECT_EQ(File(windows, "C:\\FIRMWARE\\frame.bin"), "firmware"); // the next step ran
    EXPECT_FALSE(windows.ui().waitCursorOn());
}

// Ordinary files come back, replacing the installed ones, whatever their archive bit (backup
// programs clear it) or NTFS storage bits; the others stay, the directory stays with them, and
// one warning says why each stayed.
TEST_F(StagingTest, RestoresOrdinaryFilesAndNamesWhatStays) {
    const struct {
        const char* name;
        std::uint32_t attributes;
        const char* reason; // why it stays, or nullptr when it is restored
    } rows[] = {
        {"archived.cfg", attr::kArchive, nullptr},
        {"backedup.cfg", 0, nullptr}, // reported as FILE_ATTRIBUTE_NORMAL
        {"normal.cfg", attr::kNormal, nullptr},
        {"unindexed.cfg", attr::kNotContentIndexed, nullptr},
        {"compressed.cfg", attr::kCompressed | attr::kArchive, nullptr},
        {"sparse.cfg", attr::kSparse, nullptr},
        {"panel.cfg", attr::kReadOnly | attr::kArchive, nullptr},
        {"gpi.cfg", attr::kHidden, "hidden"},
        {"sys.cfg", attr::kSystem | attr::kNotContentIndexed, "system"},
        {"temp.cfg", attr::kTemporary, "temporary"},
    };
    for (const auto& row : rows) {
        windows.PutFile("C:\\tmptelm\\" + std::string(row.name), "held", row.attributes);
        windows.PutFile("C:\\Apps\\Control\\" + std::string(row.name), "installed");
    }
    windows.PutFile("C:\\tmptelm\\conf.cfg", "held conf");
    windows.PutFile("C:\\tmptelm\\sub\\inner.cfg", "inner");
    windows.FailPath(Operation::MoveFile, "C:\\tmptelm\\conf.cfg", win::kSharingViolation);
    RestoreHeldFiles(run);
    RemoveHoldingDirectory(run);
    ASSERT_EQ(testing::Warnings(windows).size(), 1u) << State();
    const std::string text = testing::Warnings(windows)[0];
    for (const auto& row : rows) {
        EXPECT_EQ(File(windows, "C:\\Apps\\Control\\" + std::string(row.name)),
                  row.reason ? "installed" : "held")
            << row.name;
        EXPECT_EQ(windows.Exists("C:\\tmptelm\\" + std::string(row.name)), row.reason != nullptr)
            << row.name;
        const std::string stays = std::string(row.name) + " (" + (row.reason ? row.reason : "");
        EXPECT_EQ(text.find(stays) != std::string::npos, row.reason != nullptr) << stays << text;
    }
    EXPECT_EQ(windows.AttributesOf("C:\\Apps\\Control\\panel.cfg").value_or(0) & attr::kReadOnly,
              attr::kReadOnly);
    for (const std::string& expected : std::vector<std::string>{
             "The holding directory C:\\tmptelm stays", "sub (a directory)",
             "conf.cfg (not moved: " + WindowsErrorText(win::kSharingViolation)}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
    }
    EXPECT_FALSE(windows.Exists("C:\\Apps\\Control\\inner.cfg"));
    EXPECT_FALSE(windows.ui().waitCursorOn());
}

TEST_F(StagingTest, OffersEachNewFileWithItsQuestion) {
    windows.PutFile("C:\\Apps\\Control\\cnetio.ini", "my cnetio");
    windows.PutFile("C:\\WINDOWS\\ZELMAIN.INI", "my zelmain");
    windows.ui().Answer(Answer::No);
    windows.ui().Answer(Answer::Yes);
    OfferNewConfigFiles(run);
    EXPECT_EQ(File(windows, "C:\\Apps\\Control\\csuinfo.cfg"), "csuinfo delivered");
    EXPECT_EQ(File(windows, "C:\\Apps\\Control\\cnetio.ini"), "my cnetio");
    EXPECT_EQ(File(windows, "C:\\WINDOWS\\ZELMAIN.INI"), "[ZELMAIN]\r\nFrames=15\r\n");
    EXPECT_EQ(File(windows, "C:\\WINDOWS\\zelmain.new"), "[ZELMAIN]\r\nFrames=15\r\n");
    EXPECT_EQ(testing::Shown(windows),
              (std::vector<std::string>{"OverwriteCnetio", "OverwriteZelmain"}));
    const platform::MessageBoxRequest& first = windows.ui().messages()[0].request;
    EXPECT_EQ(first.text, "Overwrite Current CNetio.ini file ?\rPrevious setting will be lost");
    EXPECT_EQ(first.title, "KROVEx Install");
    EXPECT_EQ(first.buttons, platform::Buttons::YesNo);
    EXPECT_EQ(first.defaultButton, platform::DefaultButton::Second);
    EXPECT_EQ(first.icon, platform::Icon::None);
    EXPECT_EQ(windows.ui().messages()[1].request.text,
              "Overwrite Current Zelmain.ini file ?\rPrevious setting will be lost");
}

// Yes replaces the current file with the delivered one, hidden or not; it never leaves the
// user without the current file: not when the ".new" file is missing, not when the copy fails.
// What did not happen is remembered as a failed change.
TEST_F(StagingTest, YesReplacesTheCurrentFileOnlyWithADeliveredOne) {
    enum Shape { kMissing, kCopyFails, kHidden };
    for (Shape shape : {kMissing, kCopyFails, kHidden}) {
        memory::MemoryWindows machine;
        testing::InstallKorvex(machine);
        KorvexConfig offering(machine.platform());
        offering.context = run.context;
        machine.PutFile("C:\\Apps\\Control\\csuinfo.cfg", "my csuinfo");
        if (shape == kMissing) {
            ASSERT_TRUE(machine.files().DeleteFile("C:\\Apps\\Control\\csuinfo.new").ok());
        } else if (shape == kCopyFails) {
            machine.FailNth(Operation::CopyFile, 1, win::kDiskFull);
        } else {
            machine.PutAttributes("C:\\Apps\\Control\\csuinfo.new", attr::kArchive | attr::kHidden);
        }
        machine.ui().Answer(Answer::Yes);
        OfferNewConfigFiles(offering);
        EXPECT_EQ(File(machine, "C:\\Apps\\Control\\csuinfo.cfg"),
                  shape == kHidden ? "csuinfo delivered" : "my csuinfo")
            << shape;
        EXPECT_EQ(File(machine, "C:\\Apps\\Control\\cnetio.ini"), "cnetio delivered");
        ASSERT_EQ(offering.failedChanges.size(), shape == kHidden ? 0u : 1u) << shape;
        if (shape != kHidden) {
            const std::string what = offering.failedChanges[0].what;
            EXPECT_EQ(what.rfind(shape == kMissing ? "replace " : "copy ", 0), 0u) << what;
        }
    }
}

} // namespace
} // namespace korvex::frontend
