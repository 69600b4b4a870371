// korvex-copytree [--profile] SRC DST: one CopyDirectoryTree over the Win32 file system, for
// timing the tree copy against xcopy under the same Windows. Prints "copied" or where the copy
// stopped; with --profile also the count and time of each kind of file-system call, measured
// around the Win32 backend. Exits 0 when the copy finished, 1 when it stopped, 2 on a wrong
// command line.
#include <array>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <utility>

#include "frontend/fsutil/DirectoryTree.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Installer.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32SystemInfo.h"
#include "platform/win32/Win32UserInterface.h"

namespace {

using korvex::Result;
using korvex::Status;
using korvex::platform::DirectoryEntry;
using korvex::platform::DirectorySearch;
using korvex::platform::DriveType;
using korvex::platform::FileSystem;
using Clock = std::chrono::steady_clock;

enum Call { kSearch, kSearchNext, kGetAttributes, kCopyFile, kCreateDirectory, kOther, kCalls };
constexpr std::array<const char*, kCalls> kCallNames = {
    "FindFirstFile", "FindNextFile", "GetFileAttributes", "CopyFile", "CreateDirectory", "other"};

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

class ProfiledSearch final : public DirectorySearch {
public:
    ProfiledSearch(std::unique_ptr<DirectorySearch> search, Tally& tally)
        : search_(std::move(search)), tally_(tally) {}
    std::optional<DirectoryEntry> Next() override {
        return Timed(tally_, kSearchNext, [&] { return search_->Next(); });
    }
    Status Ended() const override { return search_->Ended(); }

private:
    std::unique_ptr<DirectorySearch> search_;
    Tally& tally_;
};

// Forwards every call to the real file system and adds its time to the tally.
class ProfiledFileSystem final : public FileSystem {
public:
    explicit ProfiledFileSystem(FileSystem& files) : files_(files) {}
    const Tally& tally() const { return tally_; }

    Result<std::unique_ptr<DirectorySearch>> Search(std::string_view pattern) override {
        auto search = Timed(tally_, kSearch, [&] { return files_.Search(pattern); });
        if (!search.ok()) {
            return search;
        }
        return std::unique_ptr<DirectorySearch>(
            std::make_unique<ProfiledSearch>(std::move(search.value()), tally_));
    }
    Result<std::uint32_t> GetAttributes(std::string_view path) override {
        return Timed(tally_, kGetAttributes, [&] { return files_.GetAttributes(path); });
    }
    Result<korvex::platform::FileInformation> GetFileInformation(std::string_view path) override {
        return Timed(tally_, kGetAttributes, [&] { return files_.GetFileInformation(path); });
    }
    Status SetAttributes(std::string_view path, std::uint32_t attributes) override {
        return Timed(tally_, kOther, [&] { return files_.SetAttributes(path, attributes); });
    }
    Status CopyFile(std::string_view from, std::string_view to) override {
        return Timed(tally_, kCopyFile, [&] { return files_.CopyFile(from, to); });
    }
    Status MoveFile(std::string_view from, std::string_view to) override {
        return Timed(tally_, kOther, [&] { return files_.MoveFile(from, to); });
    }
    Status DeleteFile(std::string_view path) override {
        return Timed(tally_, kOther, [&] { return files_.DeleteFile(path); });
    }
    Status CreateDirectory(std::string_view path) override {
        return Timed(tally_, kCreateDirectory, [&] { return files_.CreateDirectory(path); });
    }
    Status RemoveDirectory(std::string_view path) override {
        return Timed(tally_, kOther, [&] { return files_.RemoveDirectory(path); });
    }
    Result<std::string> GetShortPathName(std::string_view path) override {
        return Timed(tally_, kOther, [&] { return files_.GetShortPathName(path); });
    }
    Result<std::string> ReadFile(std::string_view path) override {
        return Timed(tally_, kOther, [&] { return files_.ReadFile(path); });
    }
    Status WriteFile(std::string_view path, std::string_view bytes) override {
        return Timed(tally_, kOther, [&] { return files_.WriteFile(path, bytes); });
    }
    Status AppendFile(std::string_view path, std::string_view bytes) override {
        return Timed(tally_, kOther, [&] { return files_.AppendFile(path, bytes); });
    }
    std::uint32_t LogicalDrives() override {
        return Timed(tally_, kOther, [&] { return files_.LogicalDrives(); });
    }
    DriveType GetDriveType(std::string_view root) override {
        return Timed(tally_, kOther, [&] { return files_.GetDriveType(root); });
    }
    Result<std::string> CurrentDirectory() override {
        return Timed(tally_, kOther, [&] { return files_.CurrentDirectory(); });
    }
    Result<std::string> WindowsDirectory() override {
        return Timed(tally_, kOther, [&] { return files_.WindowsDirectory(); });
    }

private:
    FileSystem& files_;
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
    korvex::platform::Platform machine{files, ini, installer, system, ui, log};
    const korvex::Status failed = korvex::frontend::CopyDirectoryTree(machine, source, destination);
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
