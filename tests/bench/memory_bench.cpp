// Micro-benchmarks of the in-memory Windows: building trees, listing big directories, looking
// up single entries, and the tree copy over it. Each one reports its cost per item and the
// complexity it fits, so a change that makes one of them grow faster than linear shows.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "frontend/fsutil/DirectoryTree.h"
#include "platform/memory/MemoryWindows.h"

namespace {

using korvex::memory::MemoryWindows;
using korvex::platform::DriveType;

constexpr int kFilesPerDirectory = 20;

std::string Name(const char* stem, std::int64_t number) {
    std::string name(stem);
    name += std::to_string(number);
    return name;
}

// "<n> map\r\n" repeated to 1 to 4 KB, as the generated trees of scripts/bench.
std::string Contents(std::int64_t n) {
    std::string line = std::to_string(n);
    line += " map\r\n";
    const std::size_t size = 1024 + static_cast<std::size_t>(n * 337 % 3072);
    std::string bytes;
    while (bytes.size() < size) {
        bytes += line;
    }
    bytes.resize(size);
    return bytes;
}

// A tree of `files` files, 20 to a directory, in areas of ten directories.
void PutTree(MemoryWindows& windows, const std::string& root, std::int64_t files) {
    for (std::int64_t n = 0; n < files; ++n) {
        const std::int64_t directory = n / kFilesPerDirectory;
        windows.PutFile(root + "\\" + Name("area", directory / 10) + "\\" +
                            Name("sub", directory % 10) + "\\" + Name("m", n % kFilesPerDirectory) +
                            ".map",
                        Contents(n));
    }
}

// One directory holding `entries` files.
void PutWideDirectory(MemoryWindows& windows, const std::string& root, std::int64_t entries) {
    for (std::int64_t n = 0; n < entries; ++n) {
        windows.PutFile(root + "\\" + Name("f", n) + ".map", "x");
    }
}

// Removes a tree through the interface, files first: the machine's own DeleteFile and
// RemoveDirectory, so nothing of the copy stays for the next round.
void RemoveTree(MemoryWindows& windows, const std::string& root) {
    std::vector<std::string> files;
    std::vector<std::string> directories;
    auto search = windows.files().Search(root + "\\*.*");
    if (!search.ok()) {
        return;
    }
    while (auto entry = search.value()->Next()) {
        if (entry->name == "." || entry->name == "..") {
            continue;
        }
        (korvex::platform::IsDirectory(entry->attributes) ? directories : files)
            .push_back(root + "\\" + entry->name);
    }
    search.value().reset();
    for (const std::string& file : files) {
        (void)windows.files().DeleteFile(file);
    }
    for (const std::string& directory : directories) {
        RemoveTree(windows, directory);
    }
    (void)windows.files().RemoveDirectory(root);
}

// Creates a tree through the interface, as a program does: one directory level at a time.
// False when a call failed.
bool CreateTree(MemoryWindows& windows, const std::vector<std::string>& contents) {
    const auto files = static_cast<std::int64_t>(contents.size());
    for (std::int64_t n = 0; n < files; ++n) {
        const std::int64_t directory = n / kFilesPerDirectory;
        const std::string area = "D:\\Tree\\" + Name("area", directory / 10);
        const std::string sub = area + "\\" + Name("sub", directory % 10);
        if (n == 0 && !windows.files().CreateDirectory("D:\\Tree").ok()) {
            return false;
        }
        if (n % (kFilesPerDirectory * 10) == 0 && !windows.files().CreateDirectory(area).ok()) {
            return false;
        }
        if (n % kFilesPerDirectory == 0 && !windows.files().CreateDirectory(sub).ok()) {
            return false;
        }
        if (!windows.files()
                 .WriteFile(sub + "\\" + Name("m", n % kFilesPerDirectory) + ".map",
                            contents[static_cast<std::size_t>(n)])
                 .ok()) {
            return false;
        }
    }
    return true;
}

// Files of 64 bytes, so that the machine's own work shows rather than the copying of bytes.
// The tree is removed, untimed, after each round; one untimed round comes first, so that the
// timed ones find the process's heap grown already.
void MemoryCreateTree(benchmark::State& state) {
    const std::int64_t files = state.range(0);
    std::vector<std::string> contents;
    for (std::int64_t n = 0; n < files; ++n) {
        contents.push_back(Contents(n).substr(0, 64));
    }
    MemoryWindows windows;
    windows.AddDrive('D', DriveType::Fixed);
    if (!CreateTree(windows, contents)) {
        state.SkipWithError("a call failed while the tree was created");
        return;
    }
    RemoveTree(windows, "D:\\Tree");
    for (auto _ : state) {
        if (!CreateTree(windows, contents)) {
            state.SkipWithError("a call failed while the tree was created");
            break;
        }
        state.PauseTiming();
        RemoveTree(windows, "D:\\Tree");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * files);
    state.SetComplexityN(files);
}
BENCHMARK(MemoryCreateTree)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(8000)
    ->Arg(32000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

void MemoryListWideDirectory(benchmark::State& state) {
    const std::int64_t entries = state.range(0);
    MemoryWindows windows;
    windows.AddDrive('D', DriveType::Fixed);
    PutWideDirectory(windows, "D:\\Wide", entries);
    for (auto _ : state) {
        auto search = windows.files().Search("D:\\Wide\\*.*");
        std::int64_t listed = 0;
        while (search.ok() && search.value()->Next()) {
            ++listed;
        }
        if (listed != entries + 2) {
            state.SkipWithError("the listing lost entries");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * entries);
    state.SetComplexityN(entries);
}
BENCHMARK(MemoryListWideDirectory)->Arg(500)->Arg(2000)->Arg(8000)->Arg(32000)->Complexity();

void MemoryFindOneInWideDirectory(benchmark::State& state) {
    const std::int64_t entries = state.range(0);
    MemoryWindows windows;
    windows.AddDrive('D', DriveType::Fixed);
    PutWideDirectory(windows, "D:\\Wide", entries);
    windows.MakeDirectories("D:\\Wide\\wanted");
    for (auto _ : state) {
        // A bare path names one entry: what DirectoryExists asks for.
        if (!korvex::frontend::DirectoryExists(windows.files(), "D:\\Wide\\wanted")) {
            state.SkipWithError("the directory was not found");
            break;
        }
    }
    state.SetComplexityN(entries);
}
BENCHMARK(MemoryFindOneInWideDirectory)->Arg(500)->Arg(2000)->Arg(8000)->Arg(32000)->Complexity();

void MemoryPatternSearch(benchmark::State& state) {
    const std::int64_t entries = state.range(0);
    MemoryWindows windows;
    windows.AddDrive('D', DriveType::Fixed);
    PutWideDirectory(windows, "D:\\Wide", entries);
    for (auto _ : state) {
        // Matches one name in ten: f1.map, f11.map, f21.map, ...
        auto search = windows.files().Search("D:\\Wide\\f*1.map");
        std::int64_t found = 0;
        while (search.ok() && search.value()->Next()) {
            ++found;
        }
        if (found != entries / 10) {
            state.SkipWithError("the search did not find one name in ten");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * entries);
    state.SetComplexityN(entries);
}
BENCHMARK(MemoryPatternSearch)->Arg(500)->Arg(2000)->Arg(8000)->Arg(32000)->Complexity();

// The tree copy into a new destination: every directory created, every file copied. The
// source is built once; the copy is removed, untimed, after each round, and one untimed round
// comes first, as for MemoryCreateTree.
void MemoryCopyDirectoryTree(benchmark::State& state) {
    const std::int64_t files = state.range(0);
    MemoryWindows windows;
    windows.AddDrive('D', DriveType::Fixed);
    PutTree(windows, "D:\\Source", files);
    (void)korvex::frontend::CopyDirectoryTree(windows.platform(), "D:\\Source", "D:\\Copy");
    RemoveTree(windows, "D:\\Copy");
    for (auto _ : state) {
        if (!korvex::frontend::CopyDirectoryTree(windows.platform(), "D:\\Source", "D:\\Copy").ok()) {
            state.SkipWithError("the copy stopped");
            break;
        }
        state.PauseTiming();
        RemoveTree(windows, "D:\\Copy");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * files);
    state.SetComplexityN(files);
}
BENCHMARK(MemoryCopyDirectoryTree)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(8000)
    ->Arg(32000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

// The tree copy over an earlier copy of itself: every file replaced, no directory created.
void MemoryCopyDirectoryTreeOverItself(benchmark::State& state) {
    const std::int64_t files = state.range(0);
    MemoryWindows windows;
    windows.AddDrive('D', DriveType::Fixed);
    PutTree(windows, "D:\\Source", files);
    if (!korvex::frontend::CopyDirectoryTree(windows.platform(), "D:\\Source", "D:\\Copy").ok()) {
        state.SkipWithError("the first copy stopped");
        return;
    }
    for (auto _ : state) {
        if (!korvex::frontend::CopyDirectoryTree(windows.platform(), "D:\\Source", "D:\\Copy").ok()) {
            state.SkipWithError("the copy stopped");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * files);
    state.SetComplexityN(files);
}
BENCHMARK(MemoryCopyDirectoryTreeOverItself)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(8000)
    ->Arg(32000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

} // namespace
