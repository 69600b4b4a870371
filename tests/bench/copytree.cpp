// korvex-copytree [--profile] SRC DST: one CopyDirectoryTree over the Win32 file system, timed
// against xcopy under the same Windows. Prints "copied" (exit 0) or where the copy stopped (1);
// --profile adds the count and time of each kind of file-system call. 2: a wrong command line.
#include <array>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "frontend/fsutil/DirectoryTree.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32FileSystem.h"

namespace {

using korvex::Status;
using Entry = std::optional<korvex::platform::DirectoryEntry>;
using Listing = korvex::platform::DirectorySearch;
using korvex::platform::DriveType;
using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;
using View = std::string_view;
using Text = korvex::Result<std::string>;
using std::uint32_t;
using FS = korvex::platform::FileSystem;

enum Call { kSearch, kNext, kAttr, kCopy, kCreate, kOther, kCalls };
constexpr std::array<const char*, kCalls> kCallNames = {
    "FindFirstFile", "FindNextFile", "GetFileAttributes", "CopyFile", "CreateDirectory", "other"};

// The count and time of each kind of call; Time runs one call and charges it to its kind.
struct Tally {
    std::array<long long, kCalls> count{};
    std::array<Clock::duration, kCalls> time{};
    template <class R, class T, class... P, class... A>
    R Time(Call call, T& object, R (T::*method)(P...), A&&... args) {
        const Clock::time_point start = Clock::now();
        R result = (object.*method)(std::forward<A>(args)...);
        time[call] += Clock::now() - start;
        ++count[call];
        return result;
    }
};

struct ProfiledSearch final : Listing {
    ProfiledSearch(std::unique_ptr<Listing> s, Tally& t) : search(std::move(s)), tally(t) {}
    Entry Next() override { return tally.Time(kNext, *search, &Listing::Next); }
    Status Ended() const override { return search->Ended(); }
    std::unique_ptr<Listing> search;
    Tally& tally;
};

// Forwards every call to the real file system and adds its time to the tally.
struct ProfiledFileSystem final : FS {
    explicit ProfiledFileSystem(FS& real) : files(real) {}

    korvex::Result<std::unique_ptr<Listing>> Search(View pattern) override {
        auto search = Time(kSearch, &FS::Search, pattern);
        if (!search.ok()) {
            return search;
        }
        return std::unique_ptr<Listing>(
            std::make_unique<ProfiledSearch>(std::move(search.value()), tally));
    }
    korvex::Result<uint32_t> GetAttributes(View p) override {
        return Time(kAttr, &FS::GetAttributes, p);
    }
    Status SetAttributes(View p, uint32_t a) override {
        return Time(kOther, &FS::SetAttributes, p, a);
    }
    Status CopyFile(View a, View b) override { return Time(kCopy, &FS::CopyFile, a, b); }
    Status MoveFile(View a, View b) override { return Time(kOther, &FS::MoveFile, a, b); }
    Status DeleteFile(View p) override { return Time(kOther, &FS::DeleteFile, p); }
    Status CreateDirectory(View p) override { return Time(kCreate, &FS::CreateDirectory, p); }
    Status RemoveDirectory(View p) override { return Time(kOther, &FS::RemoveDirectory, p); }
    Text GetShortPathName(View p) override { return Time(kOther, &FS::GetShortPathName, p); }
    Text ReadFile(View p) override { return Time(kOther, &FS::ReadFile, p); }
    Status WriteFile(View p, View b) override { return Time(kOther, &FS::WriteFile, p, b); }
    Status AppendFile(View p, View b) override { return Time(kOther, &FS::AppendFile, p, b); }
    uint32_t LogicalDrives() override { return Time(kOther, &FS::LogicalDrives); }
    DriveType GetDriveType(View root) override { return Time(kOther, &FS::GetDriveType, root); }
    Text CurrentDirectory() override { return Time(kOther, &FS::CurrentDirectory); }
    Text WindowsDirectory() override { return Time(kOther, &FS::WindowsDirectory); }

    template <class R, class... P, class... A>
    R Time(Call call, R (FS::*method)(P...), A&&... args) {
        return tally.Time(call, files, method, std::forward<A>(args)...);
    }
    FS& files;
    Tally tally;
};

void PrintProfile(const Tally& tally, Clock::duration whole) {
    Clock::duration calls{};
    std::printf("%-18s %8s %10s %9s\n", "call", "count", "ms", "us/call");
    for (int call = 0; call < kCalls; ++call) {
        if (tally.count[call] != 0) {
            calls += tally.time[call];
            const double ms = Milliseconds(tally.time[call]).count();
            std::printf("%-18s %8lld %10.1f %9.1f\n", kCallNames[call], tally.count[call], ms,
                        1000.0 * ms / static_cast<double>(tally.count[call]));
        }
    }
    std::printf("%-18s %8s %10.1f\n", "in the calls", "", Milliseconds(calls).count());
    std::printf("%-18s %8s %10.1f\n", "whole copy", "", Milliseconds(whole).count());
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const bool profile = argc == 4 && std::wcscmp(argv[1], L"--profile") == 0;
    if (argc != 3 && !profile) {
        std::fprintf(stderr, "usage: korvex-copytree [--profile] SOURCE DESTINATION\n");
        return 2;
    }
    korvex::win32::Win32FileSystem win32;
    ProfiledFileSystem profiled(win32);
    FS& files = profile ? static_cast<FS&>(profiled) : win32;
    const Clock::time_point start = Clock::now();
    const Status failed = korvex::frontend::CopyDirectoryTree(
        files, korvex::win32::Narrow(argv[argc - 2]), korvex::win32::Narrow(argv[argc - 1]));
    if (profile) {
        PrintProfile(profiled.tally, Clock::now() - start);
    }
    const std::string outcome =
        failed.ok() ? "copied" : "stopped: " + failed.error().DescribeWhere();
    std::printf("%s\n", outcome.c_str());
    return failed.ok() ? 0 : 1;
}
