// The Mira map copy reads each file of the disc once: differential runs against copying every
// picked system's sets straight from the disc, over random discs, targets, answers and failures.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <tuple>

#include "frontend/maps/InstallMiraMaps.h"
#include "frontend/maps/RepeatedTreeCopy.h"
#include "product/Korvex.h"
#include "support/Machines.h"

namespace korvex::frontend {
namespace {

using memory::MemoryWindows;
using platform::Answer;
namespace attr = platform::attr;

// Random trees: a few files of random bytes (some read-only, hidden or system) and a few
// subdirectories (some hidden, some empty) per level, from a few names that differ in case.
struct Generator {
    std::mt19937 random;
    int Below(std::size_t n) { return static_cast<int>(random() % n); }

    void Tree(MemoryWindows& windows, const std::string& top, int depth) {
        static const char* names[] = {"a.map", "A.MAP", "b.lay", "Layers", "sym.mm1", "x"};
        const std::uint32_t bits[] = {attr::kArchive, 0, attr::kReadOnly, attr::kHidden,
                                      attr::kSystem};
        windows.MakeDirectories(top);
        for (int file = Below(4); file > 0; --file) {
            const std::string path = top + "\\" + names[Below(6)] + std::to_string(Below(3));
            const std::uint32_t bit = bits[Below(8) % 5];
            const std::string bytes(static_cast<std::size_t>(Below(40)), char('a' + Below(26)));
            if (!windows.Exists(path)) {
                windows.PutFile(path, bytes, bit);
            }
        }
        for (int sub = depth > 0 ? Below(3) : 0; sub > 0; --sub) {
            const std::string path = top + "\\" + names[Below(6)] + "d" + std::to_string(Below(2));
            if (!windows.Exists(path)) {
                Tree(windows, path, depth - 1);
                windows.PutAttributes(path, Below(6) == 0 ? attr::kHidden : 0);
            }
        }
    }
    // "" or "\" and a random file or directory below `directory` ("\Layersd1\a.map2").
    std::string Entry(const MemoryWindows& windows, const std::string& directory) {
        const std::vector<std::string> tree = windows.Tree(directory);
        std::string entry = tree.empty() ? "" : "\\" + tree[Below(tree.size())];
        entry = entry.substr(0, entry.find(' '));
        return entry.ends_with('\\') ? entry.substr(0, entry.size() - 1) : entry;
    }
};

// What InstallMiraMaps left: everything below C:\TELMIMAP with each file's bytes, and the
// overwrite questions and cursor changes (the question before the copy and the dialog left out).
std::string Left(const MemoryWindows& windows) {
    std::string out;
    for (const std::string& entry : windows.Tree("C:\\TELMIMAP")) {
        const std::string path = "C:\\TELMIMAP\\" + entry.substr(0, entry.find(' '));
        out += entry + " = " + windows.Contents(path).value_or("") + "\n";
    }
    for (const std::string& line : windows.ui().transcript()) {
        out += line.starts_with("message [Query]") || line.starts_with("dialog") ? "" : line + "\n";
    }
    return out;
}

// Queues the question before the copy, the dialog picking `systems`, and the answers to the
// overwrite questions each picked system will ask (some No).
void Queue(MemoryWindows& windows, const std::set<int>& systems, unsigned seed) {
    std::vector<std::pair<std::string, bool>> ticks;
    for (int system : systems) {
        ticks.push_back({"Check1(" + std::to_string(system - 1) + ")", true});
    }
    windows.ui().Answer(Answer::Yes);
    windows.ui().Dialog(memory::ScriptedUserInterface::Press("OkButton", ticks));
    for (int system : systems) {
        for (std::size_t i = 0; i < 6; ++i) {
            const Answer answer = (seed + 5 * system + 3 * i) % 3 ? Answer::Yes : Answer::No;
            const bool asked =
                DirectoryExists(windows.files(), SystemMapDirectory("C:\\", system) + "\\" +
                                                     std::string(product::kMiraMapSets[i].name));
            if (asked) {
                windows.ui().Answer(answer);
            }
        }
    }
}

// The straightforward copy is InstallMiraMaps run for each picked system alone: every copy then
// comes from the disc. No byte of the disc is read twice.
TEST(InstallMiraMaps, GivesWhatCopyingEverySystemFromTheDiscGivesReadingTheDiscOnce) {
    for (unsigned seed = 1; seed <= 120; ++seed) {
        MemoryWindows ours, direct;
        std::set<int> systems;
        for (MemoryWindows* windows : {&ours, &direct}) {
            Generator make{std::mt19937(seed)};
            windows->AddDrive('D', platform::DriveType::CdRom);
            windows->MakeDirectories("C:\\TELMIMAP");
            const auto disc = [](int set) {
                return "D:\\Mira Maps" + std::string(product::kMiraMapSets[set].path);
            };
            for (int i = 0; i < 6; ++i) {
                make.Tree(*windows, disc(i), make.Below(3));
            }
            systems.clear();
            for (int picks = make.Below(4) == 0 ? 15 : 1 + make.Below(3), n = 1; n <= picks; ++n) {
                systems.insert(picks == 15 ? n : 1 + make.Below(15));
            }
            const auto any = [&] {
                return *std::next(systems.begin(), make.Below(systems.size()));
            };
            const auto target = [](int system, int set) {
                return SystemMapDirectory("C:\\", system) + "\\" +
                       std::string(product::kMiraMapSets[set].name);
            };
            // Targets already there, with files of their own, some named as the disc's.
            for (int n = make.Below(8); n > 0; --n) {
                make.Tree(*windows, target(any(), make.Below(6)), 1);
            }
            // A failure half-way: a file or directory of the disc or of a target, or a system's
            // directory that cannot be made.
            const int set = make.Below(6), system = any();
            const std::string below = make.Entry(*windows, disc(set));
            const std::tuple<memory::Operation, std::string, std::uint32_t> failures[] = {
                {memory::Operation::CopyFile, disc(set) + below, win::kNotReady},
                {memory::Operation::CopyFile, target(system, set) + below, win::kDiskFull},
                {memory::Operation::CreateDirectory, SystemMapDirectory("C:\\", system),
                 win::kAccessDenied}};
            if (const int failure = make.Below(5); failure < 3) {
                const auto& [operation, path, code] = failures[failure];
                windows->FailPath(operation, path, code);
            }
        }
        std::optional<MiraCopy> dialog;
        Queue(ours, systems, seed);
        const Status got = InstallMiraMaps(ours.platform(), dialog, "C:\\");
        Status expected;
        for (int system : systems) {
            std::optional<MiraCopy> alone;
            Queue(direct, {system}, seed);
            if (expected = InstallMiraMaps(direct.platform(), alone, "C:\\"); !expected.ok()) {
                break;
            }
        }
        const auto left = [](const MemoryWindows& windows, const Status& status) {
            return (status.ok() ? "done" : status.error().DescribeWhere()) + "\n" + Left(windows);
        };
        ASSERT_EQ(left(ours, got), left(direct, expected)) << "seed " << seed;
        std::uint64_t disc = 0;
        for (const std::string& entry : ours.Tree("D:\\Mira Maps")) {
            const std::string path = "D:\\Mira Maps\\" + entry.substr(0, entry.find(' '));
            disc += ours.Contents(path).value_or("").size();
        }
        EXPECT_LE(ours.BytesRead('D'), disc) << "seed " << seed;
    }
}

// Each log line names the folder the bytes came from: the disc for the first system, the first
// system's copy for the later ones. A folder of that copy that has become a link (users can
// change the map directory) is not followed.
TEST(InstallMiraMaps, LaterCopiesNameTheirSourceAndFollowNoLinkInIt) {
    MemoryWindows windows;
    testing::InsertMiraDisc(windows);
    windows.MakeDirectories("C:\\TELMIMAP");
    windows.PutFile("C:\\Users\\victim\\secret.lay", "another user's");
    testing::LoggedPlatform logged(windows);
    Queue(windows, {1, 10}, 0);
    std::optional<MiraCopy> dialog;
    ASSERT_TRUE(InstallMiraMaps(logged.platform(), dialog, "C:\\").ok());
    for (const char* line :
         {"copy-tree E:\\Mira Maps\\map_disk_1\\studio C:\\TELMIMAP\\S01\\studio",
          "copy-tree C:\\TELMIMAP\\S01\\studio C:\\TELMIMAP\\S10\\studio"}) {
        EXPECT_NE(logged.Log().find(line), std::string::npos) << line << "\n" << logged.Log();
    }

    windows.MakeDirectories("C:\\TELMIMAP\\S02");
    windows.MakeDirectories("C:\\TELMIMAP\\S03");
    RepeatedTreeCopy copy("E:\\Mira Maps\\map_disk_3\\news", "C:\\TELMIMAP\\S02\\news");
    ASSERT_TRUE(copy.CopyFirst(logged.platform(), "first").ok());
    ASSERT_TRUE(windows.files().DeleteFile("C:\\TELMIMAP\\S02\\news\\layers\\base.lay").ok());
    ASSERT_TRUE(windows.files().RemoveDirectory("C:\\TELMIMAP\\S02\\news\\layers").ok());
    windows.MakeJunction("C:\\TELMIMAP\\S02\\news\\layers", "C:\\Users\\victim");
    ASSERT_TRUE(copy.Repeat(logged.platform(), "C:\\TELMIMAP\\S03\\news", "again").ok());
    EXPECT_EQ(windows.Tree("C:\\TELMIMAP\\S03"),
              std::vector<std::string>({"news\\", "news\\news.mm1"}));
    EXPECT_NE(logged.Log().find("copy-tree skip C:\\TELMIMAP\\S02\\news\\layers"),
              std::string::npos)
        << logged.Log();
}

} // namespace
} // namespace korvex::frontend
