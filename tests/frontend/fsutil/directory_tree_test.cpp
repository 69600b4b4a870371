// The directory test and the tree copy on the in-memory Windows.
#include "frontend/fsutil/DirectoryTree.h"

#include <gtest/gtest.h>

#include "support/Machines.h"

namespace korvex::frontend {
namespace {

using memory::Operation;
namespace attr = platform::attr;

class DirectoryTreeTest : public ::testing::Test {
protected:
    DirectoryTreeTest() {
        windows.AddDrive('D', platform::DriveType::Fixed);
        windows.AddDrive('E', platform::DriveType::CdRom, false);
        windows.PutFile("C:\\Maps\\a.map", "a");
        windows.PutFile("C:\\Maps\\z.map", "z");
        windows.PutFile("C:\\Maps\\ro.map", "ro", attr::kReadOnly | attr::kArchive);
        windows.PutFile("C:\\Maps\\hidden.map", "h", attr::kHidden | attr::kArchive);
        windows.PutFile("C:\\Maps\\system.map", "s", attr::kSystem | attr::kArchive);
        windows.PutFile("C:\\Maps\\sub1\\b.map", "b");
        windows.PutFile("C:\\Maps\\sub1\\deep\\c.map", "c");
        windows.PutFile("C:\\Maps\\sub2\\d.map", "d");
        windows.MakeDirectories("C:\\Maps\\empty");
        windows.MakeDirectories("C:\\EmptyDir");
        for (const char* dir : {"C:\\Maps\\HiddenDir", "C:\\Maps\\SysDir"}) {
            windows.PutFile(std::string(dir) + "\\x.map", "x");
            windows.PutAttributes(dir, dir[8] == 'H' ? attr::kHidden : attr::kSystem);
        }
    }
    Status Copy(const std::string& from, const std::string& to) {
        return CopyDirectoryTree(windows.platform(), from, to);
    }

    memory::MemoryWindows windows;
};

TEST_F(DirectoryTreeTest, DirectoryExistsAnswersAsTheListingShows) {
    const std::pair<const char*, bool> rows[] = {
        {"C:\\Maps", true},
        {"c:\\maps", true},
        {"C:\\Maps\\", true},
        {"C:\\EmptyDir", true},
        {"C:\\EmptyDir\\", false},
        {"C:\\Maps\\a.map", false},
        {"C:\\Maps\\nothing", false},
        {"C:\\Nowhere\\deeper", false},
        {"C:\\Maps\\HiddenDir", false},
        {"C:\\Maps\\SysDir", false},
        {"C:\\", true},
        {"D:\\", false}, // a ready drive with an empty root
        {"E:\\", false},
        {"E:\\Mira Maps", false}, // no disc
        {"Q:\\", false},
        {"", false},
    };
    for (const auto& [path, expected] : rows) {
        EXPECT_EQ(DirectoryExists(windows.files(), path), expected) << path;
    }
}

// Visible files and directories only; files at the destination without a counterpart stay,
// files of the same name are replaced; one listing open at a time.
TEST_F(DirectoryTreeTest, CopiesTheVisibleTreeMergingIntoTheDestination) {
    windows.PutFile("C:\\Target\\Maps\\a.map", "old a");
    windows.PutFile("C:\\Target\\Maps\\sub2\\mine.map", "mine");
    ASSERT_TRUE(Copy("C:\\Maps", "C:\\Target\\Maps").ok()) << windows.Describe();
    EXPECT_EQ(windows.Tree("C:\\Target\\Maps"),
              (std::vector<std::string>{"a.map", "empty\\", "ro.map [R]", "sub1\\", "sub1\\b.map",
                                        "sub1\\deep\\", "sub1\\deep\\c.map", "sub2\\",
                                        "sub2\\d.map", "sub2\\mine.map", "z.map"}));
    EXPECT_EQ(windows.Contents("C:\\Target\\Maps\\a.map"), "a");
    EXPECT_EQ(windows.MostOpenSearches(), 1);
}

// The fourth file copy fails: the three plain files of the top level come first, then the
// subdirectories in listing order, depth first. What was copied stays.
TEST_F(DirectoryTreeTest, FilesBeforeSubdirectoriesAndTheFirstFailureEndsTheCopy) {
    windows.FailNth(Operation::CopyFile, 4, win::kSharingViolation);
    const Status failed = Copy("C:\\Maps", "C:\\Target");
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().DescribeWhere(),
              "copy file C:\\Maps\\sub1\\b.map: " + WindowsErrorText(win::kSharingViolation) +
                  " (error 32)");
    EXPECT_EQ(windows.Tree("C:\\Target"),
              (std::vector<std::string>{"a.map", "empty\\", "ro.map [R]", "sub1\\", "z.map"}));
}

TEST_F(DirectoryTreeTest, FailuresNameTheOperationAndPath) {
    const struct {
        const char* source;
        const char* destination;
        const char* operation;
        std::uint32_t code;
    } rows[] = {
        {"C:\\Maps\\sub2", "C:\\Missing\\Maps", "create directory", win::kPathNotFound},
        {"C:\\Maps\\sub2", "C:\\Maps\\a.map", "create directory", win::kAlreadyExists},
        {"C:\\Maps\\sub2", "C:\\Maps\\HiddenDir", "create directory", win::kAlreadyExists},
        {"C:\\Maps\\sub2", "E:\\Maps", "create directory", win::kNotReady},
        {"C:\\NoSuchMaps", "C:\\Target", "read attributes", win::kFileNotFound},
    };
    for (const auto& row : rows) {
        const Status failed = Copy(row.source, row.destination);
        ASSERT_FALSE(failed.ok()) << row.destination;
        EXPECT_EQ(failed.error().operation, row.operation) << row.destination;
        EXPECT_EQ(failed.error().code, row.code) << row.destination;
    }
    EXPECT_FALSE(windows.Exists("C:\\Maps\\HiddenDir\\d.map"));
    // A listing cut short by an error is a failure, not a finished copy.
    windows.FailNth(Operation::SearchNext, 3, win::kNotReady);
    EXPECT_EQ(Copy("C:\\Maps", "D:\\Copy").error().operation, "list");
    // So is a directory gone between its reading and its listing.
    windows.FailPath(Operation::Search, "C:\\Maps\\sub1", win::kPathNotFound);
    EXPECT_EQ(Copy("C:\\Maps", "D:\\Copy2").error().DescribeWhere().substr(0, 19),
              "list C:\\Maps\\sub1: ");
}

// A linked directory is copied as the directory it leads to, once: a link back to a directory
// the copy is in, or to one it has copied, is not entered again (links cannot multiply a copy),
// and the log says so. Each directory is asked once.
TEST_F(DirectoryTreeTest, LinksAreFollowedAndLoopsSkipped) {
    windows.PutFile("D:\\Shared\\s.map", "shared");
    windows.MakeJunction("C:\\Maps\\sub1\\shared", "D:\\Shared");
    windows.MakeJunction("C:\\Maps\\sub2\\again", "D:\\Shared");
    windows.MakeJunction("C:\\Maps\\sub1\\loop", "C:\\Maps");
    windows.MakeJunction("C:\\Maps\\sub2\\self", "C:\\Maps\\sub2");
    testing::LoggedPlatform logged(windows);
    windows.ResetCounts();
    ASSERT_TRUE(CopyDirectoryTree(logged.platform(), "C:\\Maps", "D:\\Copy").ok())
        << windows.Describe();
    EXPECT_EQ(
        windows.Tree("D:\\Copy\\sub1"),
        (std::vector<std::string>{"b.map", "deep\\", "deep\\c.map", "shared\\", "shared\\s.map"}));
    EXPECT_EQ(windows.Tree("D:\\Copy\\sub2"), std::vector<std::string>{"d.map"});
    for (const char* line :
         {"copy-tree skip C:\\Maps\\sub1\\loop -> a link back to C:\\Maps,",
          "copy-tree skip C:\\Maps\\sub2\\self -> a link back to C:\\Maps\\sub2,",
          "copy-tree skip C:\\Maps\\sub2\\again -> a link to C:\\Maps\\sub1\\shared, which is "
          "copied already"}) {
        EXPECT_NE(logged.Log().find(line), std::string::npos) << line << " in\n" << logged.Log();
    }
    // The top, then each visible directory once: empty, sub1, deep, loop, shared, sub2, again,
    // self.
    EXPECT_EQ(windows.Count(Operation::GetFileInformation), 9u);
    EXPECT_EQ(windows.MostOpenSearches(), 1);
}

} // namespace
} // namespace korvex::frontend
