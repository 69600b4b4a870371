// The staging steps: network files, backups, the two trees, the held and the ".new" files.
#include "frontend/driver/Staging.h"
#include "product/Korvex.h"

#include <gtest/gtest.h>

#include "frontend/driver/FrontendFixture.h"
#include "frontend/fsutil/DirectoryTree.h"

namespace korvex::frontend {
namespace {

using memory::Operation;
using platform::Answer;
using platform::DefaultButton;
using testing::FrontendTest;
namespace attr = platform::attr;

class StagingTest : public FrontendTest {
protected:
    StagingTest() { StartedRun(); }
};

TEST_F(StagingTest, NetworkFilesKeepTheirNamesInTheEtcDirectory) {
    windows.PutFile("C:\\WINDOWS\\hosts.ymv", "hosts");
    windows.MakeDirectories("C:\\WINDOWS\\system32\\drivers\\etc");
    windows.PutFile("C:\\WINDOWS\\system32\\drivers\\etc\\hosts", "own hosts");
    StageNetworkFiles(run);
    EXPECT_EQ(windows.Contents("C:\\WINDOWS\\system32\\drivers\\etc\\hosts.ymv"), "hosts");
    EXPECT_EQ(windows.Contents("C:\\WINDOWS\\system32\\drivers\\etc\\hosts"), "own hosts");
    // services.ymv is missing: nothing is copied and nothing is said.
    EXPECT_FALSE(windows.Exists("C:\\WINDOWS\\system32\\drivers\\etc\\services.ymv"));
    EXPECT_TRUE(windows.ui().messages().empty());
}

TEST_F(StagingTest, NetworkFilesAreStagedOnlyFromNt4On) {
    struct Row {
        platform::OsVersion version;
        bool staged;
    } rows[] = {{{1, 4, 10}, false}, {{2, 3, 51}, false}, {{2, 4, 0}, true}, {{2, 5, 1}, true}};
    for (const Row& row : rows) {
        memory::MemoryWindows machine;
        machine.SetVersion(row.version);
        memory::InstalledProduct product;
        product.productCode = "{1}";
        product.upgradeCode = std::string(product::kUpgradeCode);
        product.properties["InstalledProductName"] = "KORVEx";
        product.componentPaths[std::string(product::kMainProgramComponent)] = "C:\\K\\korvex.exe";
        machine.AddProduct(product);
        machine.PutFile("C:\\K\\korvex.exe", "MZ");
        machine.PutFile("C:\\tmptelm\\x.cfg", "x");
        machine.PutFile("C:\\WINDOWS\\hosts.ymv", "h");
        machine.MakeDirectories("C:\\WINDOWS\\system32\\drivers\\etc");
        KorvexConfig other(machine.platform());
        Main(other);
        EXPECT_EQ(machine.Exists("C:\\WINDOWS\\system32\\drivers\\etc\\hosts.ymv"), row.staged)
            << row.version.platformId << " " << row.version.major;
    }
}

TEST_F(StagingTest, BackupsAreStampedCopiesOfTheFilesThatExist) {
    windows.PutFile("C:\\WINDOWS\\ZELMAIN.INI", "[ZELMAIN]\r\n");
    windows.PutFile("C:\\WINDOWS\\zelmain140533.ini", "an earlier run in the same second");
    BackupIniFiles(run);
    EXPECT_FALSE(windows.Exists("C:\\WINDOWS\\nelk140533.ini"));
    EXPECT_EQ(windows.Contents("C:\\WINDOWS\\zelmain140533.ini"), "[ZELMAIN]\r\n");
    EXPECT_EQ(windows.Contents("C:\\WINDOWS\\ZELMAIN.INI"), "[ZELMAIN]\r\n");
}

TEST_F(StagingTest, TreesAreCopiedOnlyWhenMissingAtTheRoot) {
    windows.PutFile("C:\\Apps\\Control\\TELMIMAP\\S01\\m.map", "m");
    windows.PutFile("C:\\Apps\\Control\\FIRMWARE\\f.bin", "f");
    windows.MakeDirectories("C:\\FIRMWARE"); // present, even though empty
    CopyTreeIfMissing(run, "TELMIMAP");
    CopyTreeIfMissing(run, "FIRMWARE");
    EXPECT_EQ(windows.Contents("C:\\TELMIMAP\\S01\\m.map"), "m");
    EXPECT_FALSE(windows.Exists("C:\\FIRMWARE\\f.bin"));
    const std::vector<std::string> cursor = {"cursor wait", "cursor normal"};
    EXPECT_EQ(windows.ui().transcript(), cursor);
    EXPECT_FALSE(windows.ui().waitCursorOn());
}

TEST_F(StagingTest, AFailedTreeCopyIsReportedAndTheRunGoesOn) {
    windows.PutFile("C:\\Apps\\Control\\TELMIMAP\\a.map", "a");
    windows.PutFile("C:\\Apps\\Control\\TELMIMAP\\b.map", "b");
    windows.PutFile("C:\\Apps\\Control\\FIRMWARE\\f.bin", "f");
    windows.FailPath(Operation::CopyFile, "C:\\Apps\\Control\\TELMIMAP\\b.map", win::kDiskFull);
    CopyTreeIfMissing(run, "TELMIMAP");
    CopyTreeIfMissing(run, "FIRMWARE");
    ASSERT_EQ(windows.ui().messages().size(), 1u);
    const auto& warning = windows.ui().messages()[0].request;
    EXPECT_EQ(warning.title, "VarenInstall");
    EXPECT_EQ(warning.buttons, platform::Buttons::Ok);
    EXPECT_NE(warning.text.find("TELMIMAP"), std::string::npos) << warning.text;
    EXPECT_NE(warning.text.find("C:\\Apps\\Control\\TELMIMAP\\b.map"), std::string::npos);
    EXPECT_NE(warning.text.find(WindowsErrorText(win::kDiskFull)), std::string::npos);
    EXPECT_EQ(windows.Contents("C:\\TELMIMAP\\a.map"), "a"); // what was copied stays
    EXPECT_EQ(windows.Contents("C:\\FIRMWARE\\f.bin"), "f"); // the next step still ran
    EXPECT_FALSE(windows.ui().waitCursorOn());
}

TEST_F(StagingTest, RestoresArchiveOnlyFilesAndRemovesTheHoldingDirectory) {
    windows.PutFile("C:\\tmptelm\\csuinfo.cfg", "held csuinfo");
    windows.PutFile("C:\\tmptelm\\cnetio.ini", "held netio");
    windows.PutFile("C:\\Apps\\Control\\csuinfo.cfg", "delivered csuinfo");
    RestoreHeldFiles(run);
    EXPECT_EQ(windows.Contents("C:\\Apps\\Control\\csuinfo.cfg"), "held csuinfo");
    EXPECT_EQ(windows.Contents("C:\\Apps\\Control\\cnetio.ini"), "held netio");
    EXPECT_FALSE(windows.Exists("C:\\tmptelm")) << State();
    EXPECT_TRUE(windows.ui().messages().empty());
}

TEST_F(StagingTest, EntriesThatAreNotPlainStayAndTheWarningSaysWhy) {
    windows.PutFile("C:\\tmptelm\\route.cfg", "held route");
    windows.PutFile("C:\\tmptelm\\panel.cfg", "held panel", attr::kReadOnly | attr::kArchive);
    windows.PutFile("C:\\tmptelm\\gpi.cfg", "held gpi", attr::kHidden | attr::kArchive);
    windows.PutFile("C:\\tmptelm\\noarch.cfg", "held", 0);
    windows.PutFile("C:\\tmptelm\\sub\\inner.cfg", "inner");
    windows.PutFile("C:\\Apps\\Control\\panel.cfg", "installed panel");
    RestoreHeldFiles(run);
    EXPECT_EQ(windows.Contents("C:\\Apps\\Control\\route.cfg"), "held route");
    EXPECT_EQ(windows.Contents("C:\\Apps\\Control\\panel.cfg"), "installed panel");
    EXPECT_FALSE(windows.Exists("C:\\Apps\\Control\\inner.cfg"));
    EXPECT_FALSE(windows.Exists("C:\\Apps\\Control\\sub"));
    const std::vector<std::string> left = {"gpi.cfg [H]", "noarch.cfg [N]", "panel.cfg [R]",
                                           "sub\\", "sub\\inner.cfg"};
    EXPECT_EQ(windows.Tree("C:\\tmptelm"), left) << State();
    ASSERT_EQ(windows.ui().messages().size(), 1u);
    const std::string& text = windows.ui().messages()[0].request.text;
    for (const char* expected : {"C:\\tmptelm", "panel.cfg (read-only)", "gpi.cfg (hidden)",
                                 "noarch.cfg (not marked for archiving)", "sub (a directory)"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
    }
    EXPECT_EQ(text.find("route.cfg"), std::string::npos) << text;
    EXPECT_FALSE(windows.ui().waitCursorOn());
}

TEST_F(StagingTest, AHeldFileThatCannotBeMovedStaysHeldAndIsNamed) {
    windows.PutFile("C:\\tmptelm\\conf.cfg", "held conf");
    windows.PutFile("C:\\Apps\\Control\\conf.cfg", "installed conf");
    windows.FailNth(Operation::MoveFile, 1, win::kSharingViolation);
    RestoreHeldFiles(run);
    EXPECT_EQ(windows.Contents("C:\\tmptelm\\conf.cfg"), "held conf");
    ASSERT_EQ(windows.ui().messages().size(), 1u);
    EXPECT_NE(windows.ui().messages()[0].request.text.find(
                  "conf.cfg (not moved: " + WindowsErrorText(win::kSharingViolation)),
              std::string::npos)
        << windows.ui().messages()[0].request.text;
}

TEST_F(StagingTest, OffersEachNewFileWithItsQuestion) {
    windows.PutFile("C:\\Apps\\Control\\csuinfo.new", "new csuinfo");
    windows.PutFile("C:\\Apps\\Control\\cnetio.new", "new cnetio");
    windows.PutFile("C:\\Apps\\Control\\cnetio.ini", "my cnetio");
    windows.PutFile("C:\\WINDOWS\\zelmain.new", "new zelmain");
    windows.PutFile("C:\\WINDOWS\\ZELMAIN.INI", "my zelmain");
    windows.ui().Answer(Answer::No);
    windows.ui().Answer(Answer::Yes);
    OfferNewConfigFiles(run);
    // csuinfo.cfg was missing: copied without a question.
    EXPECT_EQ(windows.Contents("C:\\Apps\\Control\\csuinfo.cfg"), "new csuinfo");
    EXPECT_EQ(windows.Contents("C:\\Apps\\Control\\cnetio.ini"), "my cnetio");
    EXPECT_EQ(windows.Contents("C:\\WINDOWS\\ZELMAIN.INI"), "new zelmain");
    EXPECT_EQ(windows.Contents("C:\\WINDOWS\\zelmain.new"), "new zelmain");
    ASSERT_EQ(windows.ui().messages().size(), 2u);
    const auto& first = windows.ui().messages()[0].request;
    EXPECT_EQ(first.text, "Overwrite Current CNetio.ini file ?\rPrevious setting will be lost");
    EXPECT_EQ(first.title, "KROVEx Install");
    EXPECT_EQ(first.buttons, platform::Buttons::YesNo);
    EXPECT_EQ(first.defaultButton, DefaultButton::Second);
    EXPECT_EQ(first.icon, platform::Icon::None);
    EXPECT_EQ(first.prompt, "OverwriteCnetio");
    EXPECT_EQ(windows.ui().messages()[1].request.text,
              "Overwrite Current Zelmain.ini file ?\rPrevious setting will be lost");
}

TEST_F(StagingTest, YesKeepsTheCurrentFileWhenTheNewOneIsMissing) {
    windows.PutFile("C:\\Apps\\Control\\csuinfo.cfg", "my csuinfo");
    windows.ui().Answer(Answer::Yes);
    OfferNewConfigFiles(run);
    EXPECT_EQ(windows.Contents("C:\\Apps\\Control\\csuinfo.cfg"), "my csuinfo");
    EXPECT_EQ(windows.ui().messages()[0].request.text.substr(0, 32),
              "Overwrite Current CSUINFO file ?");
}

TEST_F(StagingTest, AFailedReplacementKeepsTheCurrentFile) {
    windows.PutFile("C:\\Apps\\Control\\csuinfo.cfg", "my csuinfo");
    windows.PutFile("C:\\Apps\\Control\\csuinfo.new", "new csuinfo");
    windows.ui().Answer(Answer::Yes);
    windows.FailNth(Operation::CopyFile, 1, win::kDiskFull);
    OfferNewConfigFiles(run);
    EXPECT_EQ(windows.Contents("C:\\Apps\\Control\\csuinfo.cfg"), "my csuinfo");
}

TEST_F(StagingTest, WithAHoldingDirectoryNoNewFileIsOffered) {
    Install("C:\\Apps\\Control\\korvex.exe");
    windows.PutFile("C:\\Apps\\Control\\csuinfo.cfg", "installed");
    windows.PutFile("C:\\Apps\\Control\\csuinfo.new", "new");
    windows.PutFile("C:\\tmptelm\\csuinfo.cfg", "held");
    KorvexConfig fresh(windows.platform());
    Main(fresh);
    EXPECT_EQ(windows.Contents("C:\\Apps\\Control\\csuinfo.cfg"), "held");
    for (const auto& shown : windows.ui().messages()) {
        EXPECT_EQ(shown.request.prompt.find("Overwrite"), std::string::npos) << shown.request.text;
    }
}

} // namespace
} // namespace korvex::frontend
