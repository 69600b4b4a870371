// Operation counting and failure injection: which call fails, with what, and that it changes
// nothing.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MemoryTest.h"

namespace korvex::memory {
namespace {

using platform::DriveType;
using testing::List;

constexpr std::uint32_t kInjected = win::kSharingViolation;

// The machine without its operation counts, to see that a failed call changed nothing.
std::string Contents(const MemoryWindows& windows) {
    const std::string state = windows.Describe();
    return state.substr(0, state.find("open searches"));
}

void Prepare(MemoryWindows& windows) {
    windows.PutFile("C:\\src\\a.txt", "a");
    windows.MakeDirectories("C:\\dir");
    InstalledProduct product;
    product.productCode = "{P}";
    product.upgradeCode = "{U}";
    product.properties["VersionString"] = "7.1.0.0";
    product.componentPaths["{C}"] = "C:\\src\\a.txt";
    windows.AddProduct(product);
}

struct Call {
    Operation operation;
    // The call's Windows error; the calls without an error channel map their failure answer
    // to kInjected.
    std::function<std::uint32_t(MemoryWindows&)> run;
};

std::vector<Call> EveryCall() {
    using W = MemoryWindows;
    return {
        {Operation::Search, [](W& w) { return w.files().Search("C:\\src\\*").code(); }},
        {Operation::GetAttributes,
         [](W& w) { return w.files().GetAttributes("C:\\src\\a.txt").code(); }},
        {Operation::SetAttributes,
         [](W& w) {
             return w.files().SetAttributes("C:\\src\\a.txt", platform::attr::kHidden).code();
         }},
        {Operation::CopyFile,
         [](W& w) { return w.files().CopyFile("C:\\src\\a.txt", "C:\\src\\b.txt").code(); }},
        {Operation::MoveFile,
         [](W& w) { return w.files().MoveFile("C:\\src\\a.txt", "C:\\dir\\a.txt").code(); }},
        {Operation::DeleteFile, [](W& w) { return w.files().DeleteFile("C:\\src\\a.txt").code(); }},
        {Operation::CreateDirectory,
         [](W& w) { return w.files().CreateDirectory("C:\\new").code(); }},
        {Operation::RemoveDirectory,
         [](W& w) { return w.files().RemoveDirectory("C:\\dir").code(); }},
        {Operation::GetShortPathName,
         [](W& w) { return w.files().GetShortPathName("C:\\src\\a.txt").code(); }},
        {Operation::ReadFile, [](W& w) { return w.files().ReadFile("C:\\src\\a.txt").code(); }},
        {Operation::WriteFile,
         [](W& w) { return w.files().WriteFile("C:\\src\\w.txt", "w").code(); }},
        {Operation::AppendFile,
         [](W& w) { return w.files().AppendFile("C:\\src\\a.txt", "+").code(); }},
        {Operation::LogicalDrives,
         [](W& w) { return w.files().LogicalDrives() == 0 ? kInjected : win::kSuccess; }},
        {Operation::GetDriveType,
         [](W& w) {
             return w.files().GetDriveType("C:\\") == DriveType::Unknown ? kInjected
                                                                         : win::kSuccess;
         }},
        {Operation::CurrentDirectory, [](W& w) { return w.files().CurrentDirectory().code(); }},
        {Operation::WindowsDirectory, [](W& w) { return w.files().WindowsDirectory().code(); }},
        {Operation::WriteProfileString,
         [](W& w) {
             return w.profile().WriteString("Comms", "Link Type", "x", "NELK.INI").code();
         }},
        {Operation::RelatedProducts,
         [](W& w) { return w.installer().RelatedProducts("{U}").code(); }},
        {Operation::EnumProducts, [](W& w) { return w.installer().EnumProducts(0).code(); }},
        {Operation::ProductInfo,
         [](W& w) { return w.installer().ProductInfo("{P}", "VersionString").code(); }},
        {Operation::ComponentPath,
         [](W& w) { return w.installer().ComponentPath("{P}", "{C}").code(); }},
        {Operation::Version, [](W& w) { return w.system().Version().code(); }},
    };
}

TEST(FailureInjection, TheNthCallOfAKindFailsWithoutEffect) {
    for (const Call& call : EveryCall()) {
        const std::string_view name = OperationName(call.operation);
        MemoryWindows windows;
        Prepare(windows);
        windows.FailNth(call.operation, 2, kInjected);
        EXPECT_EQ(call.run(windows), win::kSuccess) << name << ", first call";
        const std::string before = Contents(windows);
        EXPECT_EQ(call.run(windows), kInjected) << name;
        EXPECT_EQ(Contents(windows), before) << name << " changed the machine";
        EXPECT_EQ(windows.Count(call.operation), 2u) << name;
        EXPECT_EQ(windows.TotalCount(), 2u) << name;

        // The failure is used up, and the call after it works as the first one would.
        MemoryWindows again;
        Prepare(again);
        again.FailNth(call.operation, 1, kInjected);
        EXPECT_EQ(call.run(again), kInjected) << name;
        EXPECT_EQ(call.run(again), win::kSuccess) << name << " after the failure was used";
    }
}

TEST(FailureInjection, EveryCallCountsAsItsOwnKind) {
    MemoryWindows windows;
    Prepare(windows);
    const std::vector<Call> calls = EveryCall();
    for (const Call& call : calls) {
        (void)call.run(windows);
    }
    (void)windows.system().Now();
    for (const Call& call : calls) {
        EXPECT_EQ(windows.Count(call.operation), 1u) << OperationName(call.operation);
    }
    EXPECT_EQ(windows.Count(Operation::Now), 1u);
    EXPECT_EQ(windows.TotalCount(), calls.size() + 1);
    windows.ResetCounts();
    EXPECT_EQ(windows.TotalCount(), 0u);
    EXPECT_EQ(windows.Count(Operation::ReadFile), 0u);
}

TEST(FailureInjection, BuildingAndInspectingAreNotCounted) {
    MemoryWindows windows;
    windows.AddDrive('D', DriveType::Fixed);
    windows.PutFile("D:\\x\\y.txt", "y");
    windows.MakeDirectories("D:\\z");
    windows.MakeJunction("D:\\j", "D:\\z");
    windows.PutAttributes("D:\\x\\y.txt", platform::attr::kHidden);
    windows.SetCapacity('D', 100);
    (void)windows.Exists("D:\\x");
    (void)windows.Contents("D:\\x\\y.txt");
    (void)windows.ShortNameOf("D:\\x\\y.txt");
    (void)windows.Tree("D:\\");
    (void)windows.Describe();
    (void)windows.platform();
    EXPECT_EQ(windows.TotalCount(), 0u);
}

TEST(FailureInjection, TheNthCallOverallFails) {
    MemoryWindows windows;
    Prepare(windows);
    windows.FailNthOverall(3, win::kAccessDenied);
    EXPECT_TRUE(windows.files().ReadFile("C:\\src\\a.txt").ok());
    EXPECT_TRUE(windows.files().GetAttributes("C:\\src\\a.txt").ok());
    EXPECT_EQ(windows.files().CreateDirectory("C:\\third").code(), win::kAccessDenied);
    EXPECT_FALSE(windows.Exists("C:\\third"));
    EXPECT_TRUE(windows.files().CreateDirectory("C:\\third").ok());
}

TEST(FailureInjection, CountingStartsWhenTheFailureIsSet) {
    MemoryWindows windows;
    Prepare(windows);
    (void)windows.files().ReadFile("C:\\src\\a.txt");
    windows.FailNth(Operation::ReadFile, 2, win::kAccessDenied);
    windows.ResetCounts();
    EXPECT_TRUE(windows.files().ReadFile("C:\\src\\a.txt").ok());
    EXPECT_EQ(windows.files().ReadFile("C:\\src\\a.txt").code(), win::kAccessDenied);
    EXPECT_TRUE(windows.files().ReadFile("C:\\src\\a.txt").ok());
    windows.FailNth(Operation::ReadFile, 1, win::kAccessDenied);
    windows.ClearFailures();
    EXPECT_TRUE(windows.files().ReadFile("C:\\src\\a.txt").ok());
}

TEST(FailureInjection, APathFailsAtAndBelowIt) {
    MemoryWindows windows;
    windows.PutFile("C:\\Maps\\a.map", "a");
    windows.PutFile("C:\\Maps2\\b.map", "b");
    windows.PutFile("C:\\x.map", "x");
    windows.FailPath(Operation::CopyFile, "c:\\maps", win::kNotReady);
    struct Row {
        const char* from;
        const char* to;
        std::uint32_t code;
    } rows[] = {
        {"C:\\x.map", "C:\\MAPS\\x.map", win::kNotReady},
        {"C:\\Maps\\a.map", "C:\\a.map", win::kNotReady}, // the source is below it
        {"C:\\x.map", "C:\\Maps", win::kNotReady},
        {"C:\\x.map", "C:\\Maps2\\x.map", win::kSuccess},
        {"C:\\x.map", "C:\\y.map", win::kSuccess},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(windows.files().CopyFile(row.from, row.to).code(), row.code)
            << row.from << " -> " << row.to;
    }
    EXPECT_TRUE(windows.files().ReadFile("C:\\Maps\\a.map").ok()) << "other kinds are not touched";
    windows.ClearFailures();
    EXPECT_TRUE(windows.files().CopyFile("C:\\x.map", "C:\\Maps\\x.map").ok());

    windows.FailPath(Operation::WriteProfileString, "C:\\WINDOWS\\NELK.INI", win::kAccessDenied);
    EXPECT_EQ(windows.profile().WriteString("Comms", "k", "v", "nelk.ini").code(),
              win::kAccessDenied);
    EXPECT_TRUE(windows.profile().WriteString("Comms", "k", "v", "ZELMAIN.INI").ok());
}

TEST(FailureInjection, AFailedSearchNextEndsTheSearch) {
    MemoryWindows windows;
    for (const char* name : {"a", "b", "c"}) {
        windows.PutFile(std::string("C:\\S\\") + name, "");
    }
    auto search = windows.files().Search("C:\\S\\*");
    ASSERT_TRUE(search.ok());
    EXPECT_EQ(search.value()->Next()->name, ".");
    windows.FailNth(Operation::SearchNext, 2, win::kNotReady);
    EXPECT_EQ(search.value()->Next()->name, "..");
    EXPECT_TRUE(search.value()->Ended().ok()) << "not ended yet";
    EXPECT_FALSE(search.value()->Next());
    EXPECT_EQ(search.value()->Ended().code(), win::kNotReady);
    EXPECT_FALSE(search.value()->Next());
    EXPECT_EQ(search.value()->Ended().code(), win::kNotReady);
    EXPECT_EQ(windows.Count(Operation::SearchNext), 4u);
    EXPECT_EQ(windows.Count(Operation::Search), 1u);

    auto whole = windows.files().Search("C:\\S\\*");
    while (whole.value()->Next()) {
    }
    EXPECT_TRUE(whole.value()->Ended().ok()) << "the entries ran out";
}

TEST(FailureInjection, NowCannotFail) {
    MemoryWindows windows;
    windows.FailNth(Operation::Now, 1, win::kAccessDenied);
    EXPECT_EQ(windows.system().Now().year, 2026);
    EXPECT_EQ(windows.Count(Operation::Now), 1u);
}

TEST(OpenSearches, AreCountedUntilDestroyed) {
    MemoryWindows windows;
    windows.PutFile("C:\\S\\a", "");
    {
        auto first = windows.files().Search("C:\\S\\*");
        auto second = windows.files().Search("C:\\S\\a");
        auto failed = windows.files().Search("C:\\S\\zz*");
        EXPECT_FALSE(failed.ok());
        EXPECT_EQ(windows.OpenSearches(), 2);
        while (first.value()->Next()) {
        }
        EXPECT_EQ(windows.OpenSearches(), 2) << "an ended search is open until closed";
    }
    EXPECT_EQ(windows.OpenSearches(), 0);
    EXPECT_EQ(windows.MostOpenSearches(), 2);
}

TEST(OpenSearches, ASearchMayOutliveItsMachine) {
    auto windows = std::make_unique<MemoryWindows>();
    windows->PutFile("C:\\S\\a", "");
    auto search = windows->files().Search("C:\\S\\*");
    ASSERT_TRUE(search.ok());
    windows.reset();
    EXPECT_FALSE(search.value()->Next());
    EXPECT_EQ(search.value()->Ended().code(), win::kInvalidHandle);
}

} // namespace
} // namespace korvex::memory
