// korvex-copytree [--profile] SRC DST: one CopyDirectoryTree over the Win32 file system, as a
// progress step with its window, for timing the tree copy against xcopy under the same Windows.
// Prints "copied" or where the copy stopped; with --profile also the count and time of each kind of
// file-system call, measured around the Win32 backend (FindNextFile and the calls the copy does not
// make are not timed). Exits 0 when the copy finished, 1 when it stopped, 2 on a wrong command
// line.
#include <array>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <utility>

#include "frontend/fsutil/DirectoryTree.h"
#include "platform/ForwardingFileSystem.h"
#include "platform/ProgressReport.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Installer.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32SystemInfo.h"
#include "platform/win32/Win32UserInterface.h"

namespace {

using korvex::Result;
using korvex::Status;
using korvex::platform::DirectorySearch;
using korvex::platform::FileSystem;
using Clock = std::chrono::steady_clock;

enum Call { kSearch, kGetAttributes, kCopyFile, kCreateDirectory, kCalls };
constexpr std::array<const char*, kCalls> kCallNames = {"FindFirstFile", "GetFileAttributes",
                                                        "CopyFile", "CreateDirectory"};

struct Tally {
    std::array<long long, kCalls> count{};
    std::array<Clock::duration, kCalls> time{};
};

// Runs one call and charges its time to `call`.
template <class F> auto Timed(Tally& tally, Call call, F&& run) {
    const Clock::time_point start = Clock::now();
    auto result = std::forward<F>(run)();
    tally.time[call] += Clock::now() - start;
    ++tally.count[call];
    return result;
}

// Forwards every call to the real file system, timing those the tree copy makes.
class ProfiledFileSystem final : public korvex::platform::ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;
    const Tally& tally() const { return tally_; }

    Result<std::unique_ptr<DirectorySearch>> Search(std::string_view pattern) override {
        return Timed(tally_, kSearch, [&] { return ForwardingFileSystem::Search(pattern); });
    }
    Result<std::uint32_t> GetAttributes(std::string_view path) override {
        return Timed(tally_, kGetAttributes,
                     [&] { return ForwardingFileSystem::GetAttributes(path); });
    }
    Result<korvex::platform::FileInformation> GetFileInformation(std::string_view path) override {
        return Timed(tally_, kGetAttributes,
                     [&] { return ForwardingFileSystem::GetFileInformation(path); });
    }
    Status CopyFile(std::string_view from, std::string_view to) override {
        return Timed(tally_, kCopyFile, [&] { return ForwardingFileSystem::CopyFile(from, to); });
    }
    Status CreateDirectory(std::string_view path) override {
        return Timed(tally_, kCreateDirectory,
                     [&] { return ForwardingFileSystem::CreateDirectory(path); });
    }

private:
    Tally tally_;
};

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

void PrintProfile(const Tally& tally, Clock::duration whole) {
    Clock::duration calls{};
    std::printf("%-18s %8s %10s %9s\n", "call", "count", "ms", "us/call");
    for (int call = 0; call < kCalls; ++call) {
        if (tally.count[call] == 0) {
            continue;
        }
        calls += tally.time[call];
        std::printf("%-18s %8lld %10.1f %9.1f\n", kCallNames[call], tally.count[call],
                    Milliseconds(tally.time[call]),
                    1000.0 * Milliseconds(tally.time[call]) /
                        static_cast<double>(tally.count[call]));
    }
    std::printf("%-18s %8s %10.1f\n", "in the calls", "", Milliseconds(calls));
    std::printf("%-18s %8s %10.1f\n", "whole copy", "", Milliseconds(whole));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const bool profile = argc == 4 && std::wcscmp(argv[1], L"--profile") == 0;
    if (argc != 3 && !profile) {
        std::fprintf(stderr, "usage: korvex-copytree [--profile] SOURCE DESTINATION\n");
        return 2;
    }
    const std::string source = korvex::win32::Narrow(argv[argc - 2]);
    const std::string destination = korvex::win32::Narrow(argv[argc - 1]);
    korvex::win32::Win32FileSystem win32;
    ProfiledFileSystem profiled(win32);
    FileSystem& files = profile ? static_cast<FileSystem&>(profiled) : win32;

    const Clock::time_point start = Clock::now();
    korvex::win32::Win32Profile ini;
    korvex::win32::Win32Installer installer;
    korvex::win32::Win32SystemInfo system;
    korvex::win32::Win32UserInterface ui;
    korvex::platform::Log log;
    korvex::platform::ProgressReport progress(ui, system);
    korvex::platform::Platform machine{files, ini, installer, system, ui, log, progress};
    // One progress step, as the installation's copies are: its window comes up after half a
    // second, so its cost is in the time.
    korvex::frontend::TreeCopyOptions options;
    options.caption = "Copying the tree to " + destination;
    const korvex::Status failed =
        korvex::frontend::CopyDirectoryTree(machine, source, destination, options);
    const Clock::duration whole = Clock::now() - start;
    if (profile) {
        PrintProfile(profiled.tally(), whole);
    }
    if (!failed.ok()) {
        std::printf("stopped: %s\n", failed.error().DescribeWhere().c_str());
        return 1;
    }
    std::printf("copied\n");
    return 0;
}
