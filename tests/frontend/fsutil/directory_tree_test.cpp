// Directory test and tree copy on the in-memory Windows.
#include "frontend/fsutil/DirectoryTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory/MemoryWindows.h"

namespace korvex::frontend {
namespace {

using memory::MemoryWindows;
using memory::Operation;
using platform::DriveType;
namespace attr = platform::attr;

class Module1Test : public ::testing::Test {
protected:
    Module1Test() {
        windows.AddDrive('D', DriveType::Fixed);
        windows.AddDrive('E', DriveType::CdRom, false);
        windows.PutFile("C:\\Maps\\a.map", "a");
        windows.PutFile("C:\\Maps\\z.map", "z");
        windows.PutFile("C:\\Maps\\ro.map", "ro", attr::kReadOnly | attr::kArchive);
        windows.PutFile("C:\\Maps\\hidden.map", "h", attr::kHidden | attr::kArchive);
        windows.PutFile("C:\\Maps\\system.map", "s", attr::kSystem | attr::kArchive);
        windows.PutFile("C:\\Maps\\sub1\\b.map", "b");
        windows.PutFile("C:\\Maps\\sub1\\deep\\c.map", "c");
        windows.PutFile("C:\\Maps\\sub2\\d.map", "d");
        windows.MakeDirectories("C:\\Maps\\empty");
        windows.PutFile("C:\\Maps\\HiddenDir\\x.map", "x");
        windows.PutAttributes("C:\\Maps\\HiddenDir", attr::kHidden);
        windows.PutFile("C:\\Maps\\SysDir\\y.map", "y");
        windows.PutAttributes("C:\\Maps\\SysDir", attr::kSystem);
        windows.MakeDirectories("C:\\Target");
    }

    Status Copy(const std::string& from, const std::string& to) {
        return CopyDirectoryTree(windows.files(), from, to);
    }

    MemoryWindows windows;
};

TEST_F(Module1Test, DirectoryExistsAnswersAsTheListingShows) {
    windows.MakeDirectories("C:\\EmptyDir");
    struct Row {
        const char* path;
        bool expected;
    } rows[] = {
        {"C:\\Maps", true},
        {"c:\\maps", true},
        {"C:\\Maps\\", true}, // lists its contents: it has visible entries
        {"C:\\EmptyDir", true},
        {"C:\\EmptyDir\\", false},  // nothing listed but "." and ".."
        {"C:\\Maps\\a.map", false}, // a file
        {"C:\\Maps\\nothing", false},
        {"C:\\Nowhere\\deeper", false},
        {"C:\\Maps\\HiddenDir", false},
        {"C:\\Maps\\SysDir", false},
        {"C:\\", true},  // a ready drive whose root holds entries
        {"D:\\", false}, // a ready drive with an empty root
        {"E:\\", false}, // a CD-ROM drive without a disc
        {"E:\\Mira Maps", false},
        {"Q:\\", false}, // no such drive
        {"", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DirectoryExists(windows.files(), row.path), row.expected) << row.path;
    }
}

TEST_F(Module1Test, CopiesTheVisibleTreeIntoANewDirectory) {
    ASSERT_TRUE(Copy("C:\\Maps", "C:\\Target\\Maps").ok()) << windows.Describe();
    const std::vector<std::string> expected = {
        "a.map",        "empty\\",           "ro.map [R]", "sub1\\",      "sub1\\b.map",
        "sub1\\deep\\", "sub1\\deep\\c.map", "sub2\\",     "sub2\\d.map", "z.map",
    };
    EXPECT_EQ(windows.Tree("C:\\Target\\Maps"), expected) << windows.Describe();
    EXPECT_EQ(windows.Contents("C:\\Target\\Maps\\sub1\\deep\\c.map"), "c");
    EXPECT_EQ(windows.MostOpenSearches(), 1);
}

TEST_F(Module1Test, MergesIntoAnExistingDirectory) {
    windows.PutFile("C:\\Target\\Maps\\a.map", "old a");
    windows.PutFile("C:\\Target\\Maps\\mine.map", "mine");
    windows.PutFile("C:\\Target\\Maps\\sub2\\other.map", "other");
    ASSERT_TRUE(Copy("C:\\Maps", "C:\\Target\\Maps").ok());
    EXPECT_EQ(windows.Contents("C:\\Target\\Maps\\a.map"), "a");
    EXPECT_EQ(windows.Contents("C:\\Target\\Maps\\mine.map"), "mine");
    EXPECT_EQ(windows.Contents("C:\\Target\\Maps\\sub2\\other.map"), "other");
    EXPECT_EQ(windows.Contents("C:\\Target\\Maps\\sub2\\d.map"), "d");
}

TEST_F(Module1Test, CopiesFilesBeforeSubdirectoriesDepthFirst) {
    // The fourth file copy fails: the three plain files of the top level come first, then the
    // subdirectories in listing order ("empty" before "sub1").
    windows.FailNth(Operation::CopyFile, 4, win::kSharingViolation);
    Status failed = Copy("C:\\Maps", "C:\\Target\\Maps");
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().path, "C:\\Maps\\sub1\\b.map");
    EXPECT_EQ(failed.error().operation, "copy file");
    EXPECT_EQ(failed.error().code, win::kSharingViolation);
    EXPECT_EQ(failed.error().text, WindowsErrorText(win::kSharingViolation));
    const std::vector<std::string> expected = {"a.map", "empty\\", "ro.map [R]", "sub1\\", "z.map"};
    EXPECT_EQ(windows.Tree("C:\\Target\\Maps"), expected) << windows.Describe();
}

TEST_F(Module1Test, FailsBeforeCopyingWhenTheDestinationCannotBeCreated) {
    struct Row {
        const char* destination;
        std::uint32_t code;
    } rows[] = {
        {"C:\\Missing\\Maps", win::kPathNotFound},
        {"C:\\Maps\\a.map", win::kAlreadyExists},     // the name is taken by a file
        {"C:\\Maps\\HiddenDir", win::kAlreadyExists}, // hidden: not seen, cannot be created
        {"E:\\Maps", win::kNotReady},
    };
    for (const Row& row : rows) {
        Status failed = Copy("C:\\Maps\\sub2", row.destination);
        ASSERT_FALSE(failed.ok()) << row.destination;
        EXPECT_EQ(failed.error().operation, "create directory") << row.destination;
        EXPECT_EQ(failed.error().path, row.destination);
        EXPECT_EQ(failed.error().code, row.code) << row.destination;
    }
    EXPECT_FALSE(windows.Exists("C:\\Maps\\HiddenDir\\d.map"));
}

TEST_F(Module1Test, AMissingSourceIsReported) {
    Status failed = Copy("C:\\NoSuchMaps", "C:\\Target\\Maps");
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().operation, "list");
    EXPECT_EQ(failed.error().code, win::kPathNotFound);
}

TEST_F(Module1Test, DoesNotDescendIntoAJunction) {
    windows.MakeJunction("C:\\Maps\\sub1\\loop", "C:\\Maps");
    ASSERT_TRUE(Copy("C:\\Maps", "C:\\Target\\Maps").ok()) << windows.Describe();
    EXPECT_FALSE(windows.Exists("C:\\Target\\Maps\\sub1\\loop"));
    EXPECT_TRUE(windows.Exists("C:\\Target\\Maps\\sub1\\deep\\c.map"));
}

TEST_F(Module1Test, AsksOnlyDirectoriesForTheirAttributes) {
    for (int i = 0; i < 50; ++i) {
        windows.PutFile("D:\\Flat\\f" + std::to_string(i) + ".map", "x");
    }
    windows.MakeDirectories("D:\\Flat\\d1");
    windows.MakeDirectories("D:\\Flat\\d2");
    windows.ResetCounts();
    ASSERT_TRUE(Copy("D:\\Flat", "D:\\Copy").ok());
    // The listing tells files from directories; each directory is asked once, to confirm it
    // and to see a reparse point.
    EXPECT_EQ(windows.Count(Operation::GetAttributes), 2u);
    EXPECT_EQ(windows.Count(Operation::CopyFile), 50u);
}

TEST_F(Module1Test, CopiesMoreSubdirectoriesThanASixteenBitCountHolds) {
    constexpr int kDirectories = 32'800;
    for (int i = 0; i < kDirectories; ++i) {
        windows.MakeDirectories("D:\\Wide\\d" + std::to_string(i));
    }
    windows.PutFile("D:\\Wide\\d32799\\last.map", "last");
    ASSERT_TRUE(Copy("D:\\Wide", "D:\\Copy").ok());
    EXPECT_EQ(windows.Contents("D:\\Copy\\d32799\\last.map"), "last");
    EXPECT_TRUE(windows.IsDirectoryAt("D:\\Copy\\d0"));
    EXPECT_EQ(windows.MostOpenSearches(), 1);
}

// Whatever single operation fails, the copy either reports it or has copied the whole tree.
TEST_F(Module1Test, EveryFailurePointIsReportedOrHarmless) {
    const std::vector<std::string> whole = [&] {
        MemoryWindows reference;
        reference.PutFile("C:\\Src\\a.map", "a");
        reference.PutFile("C:\\Src\\s\\b.map", "b");
        reference.MakeDirectories("C:\\Src\\e");
        EXPECT_TRUE(CopyDirectoryTree(reference.files(), "C:\\Src", "C:\\Dst").ok());
        return reference.Tree("C:\\Dst");
    }();
    for (std::uint64_t k = 1;; ++k) {
        MemoryWindows machine;
        machine.PutFile("C:\\Src\\a.map", "a");
        machine.PutFile("C:\\Src\\s\\b.map", "b");
        machine.MakeDirectories("C:\\Src\\e");
        machine.ResetCounts();
        machine.FailNthOverall(k, win::kAccessDenied);
        Status failed = CopyDirectoryTree(machine.files(), "C:\\Src", "C:\\Dst");
        if (machine.TotalCount() < k) {
            EXPECT_TRUE(failed.ok());
            break;
        }
        if (failed.ok()) {
            EXPECT_EQ(machine.Tree("C:\\Dst"), whole) << "failure point " << k;
        } else {
            // The injected error, or the one it led to (a destination not seen because its
            // search failed cannot be created either).
            EXPECT_NE(failed.error().code, win::kSuccess) << "failure point " << k;
        }
        EXPECT_EQ(machine.Tree("C:\\Src").size(), 4u) << "the source changed at " << k;
    }
}

} // namespace
} // namespace korvex::frontend
