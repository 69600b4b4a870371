// The contract tests' machine and fixture. One set of test sources runs against the in-memory
// Windows (MemoryBackend.cpp, native build) and the Win32 backend under Wine (Win32Backend.cpp,
// MinGW build) with the same test names, so the two cannot drift apart.
#pragma once

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <utility>

#include "platform/FileSystem.h"
#include "platform/Installer.h"
#include "platform/Profile.h"
#include "platform/SystemInfo.h"

namespace korvex::contract {

// The product msi/probe.wxs installs (scripts/contract-wine, TARGETDIR=C:\) and the in-memory
// machine is given, with its codes as the Windows Installer answers them.
namespace probe {
constexpr std::string_view kProductCode = "{3F2A1C4E-8B7D-4E61-9C0A-5D2E7F1B6A93}";
constexpr std::string_view kUpgradeCode = "{A7C41E20-5B93-4D8F-8E16-2C9B0F3D7A54}";
constexpr std::string_view kComponentCode = "{D1E6B8A2-47C3-4F05-A9E8-6B2C3D4F5E71}";
constexpr std::string_view kProductName = "ContractProbe";
constexpr std::string_view kVersion = "1.2.3";
constexpr std::string_view kKeyFile = "C:\\korvex-contract-probe\\ContractProbe.txt";
constexpr std::string_view kKeyFileBytes = "Key file of the contract probe product.\n";
} // namespace probe

// Windows behaviour a machine cannot show, and why. The in-memory Windows shows all of it; the
// Win32 backend tries each one when it is made, so that on Windows every check holds and under
// Wine a check that cannot hold is reported as "[ NOT CHECKED ]" instead of failing.
enum class Shortfall {
    WritesReadOnlyFiles,
    ReplacesHiddenFiles,
    CopyKeepsTargetAttributes,
    NoReadOnlyDirectories,
    KeepsCaseOnRename,
    RewritesIniFiles,
};
inline constexpr const char* kWhyLacking[] = {
    "this machine writes read-only files (Wine run as root)",
    "this machine replaces hidden files on CREATE_ALWAYS (Wine 8)",
    "this machine's CopyFile leaves the replaced file's attributes (Wine 8)",
    "this machine keeps no read-only bit on directories",
    "this machine keeps the old case when a rename changes only the case",
    "this machine rewrites INI files in a form of its own (compared in that form; Wine 8)"};

// A machine's services, an empty directory of its own ("C:\korvex-contract...", no trailing
// backslash) that goes with it, what it lacks, and why the probe product is missing, if it is.
struct Backend {
    Backend(platform::FileSystem& files, platform::Profile& profile, platform::Installer& installer,
            platform::SystemInfo& system)
        : files(files), profile(profile), installer(installer), system(system) {}
    virtual ~Backend() = default;
    // What a standard user of the PC may make, by the machine's own means (never the code under
    // test): a link to a directory that holds one file, own.txt ("own"), as the link's path and
    // the directory's, or nothing when this machine cannot make one; and an existing directory
    // opened to changes by everyone (false when this machine cannot).
    virtual std::optional<std::pair<std::string, std::string>> PlantedLink() = 0;
    virtual bool LetEveryoneChange(const std::string& path) = 0;
    platform::FileSystem& files;
    platform::Profile& profile;
    platform::Installer& installer;
    platform::SystemInfo& system;
    std::string scratch;
    std::set<Shortfall> lacking;
    std::optional<std::string> probeMissing;
};
// The backend of this build: MemoryBackend.cpp or Win32Backend.cpp.
std::unique_ptr<Backend> MakeBackend();

// A whole search, or its error; entries by name: the contract does not fix their order.
struct Listing {
    std::uint32_t code = 0;
    std::map<std::string, std::uint32_t> entries;
    std::set<std::string> names;
};

// Attributes as both backends report them, as letters ("RH"): Wine reports the archive bit on
// every file, so it is dropped, and a file left with no bit reads N, as Windows answers.
inline std::string Shown(std::uint32_t attributes) {
    attributes &= ~platform::attr::kArchive;
    std::string letters;
    for (int bit = 0; bit < 8; ++bit) {
        letters += (attributes & (1u << bit)) ? std::string(1, "RHSVDA?N"[bit]) : "";
    }
    return letters.empty() ? "N" : letters;
}

// INI bytes as a machine that rewrites INI files gives them: no blank line, no blank around a name.
inline std::string IniCanonical(std::string_view bytes) {
    const std::string trimmed = std::regex_replace(
        std::string(bytes) + "\n", std::regex(R"(^\s+|[ \t]*([=\[\]])[ \t]*)"), "$1");
    return std::regex_replace(trimmed, std::regex(R"([ \t\r]*\n\s*)"), "\r\n");
}

class ContractTest : public ::testing::Test {
protected:
    void SetUp() override { backend_ = MakeBackend(); }
    void TearDown() override {
        if (HasFailure()) {
            std::cout << "The scratch directory " << backend_->scratch << " holds:\n" << Tree();
        }
    }

    platform::FileSystem& files() { return backend_->files; }
    platform::Profile& profile() { return backend_->profile; }

    // Whether this machine shows the behaviour; when it does not, prints "[ NOT CHECKED ]"
    // with what and why, so that every run lists what it left out.
    bool Checks(Shortfall shortfall, std::string_view what) {
        if (backend_->lacking.count(shortfall) == 0) {
            return true;
        }
        std::cout << "[ NOT CHECKED ] " << what << ": " << kWhyLacking[int(shortfall)] << "\n";
        return false;
    }
    // The scratch directory, "\" and the relative path.
    std::string At(std::string_view relative) const {
        return backend_->scratch + "\\" + std::string(relative);
    }
    // A file made through the interface, then given the attributes unless they are 0.
    void Put(std::string_view relative, std::string_view bytes, std::uint32_t attributes = 0) {
        EXPECT_EQ(files().WriteFile(At(relative), bytes).code(), 0u) << relative;
        EXPECT_TRUE(attributes == 0 || files().SetAttributes(At(relative), attributes).ok());
    }
    void MakeDirectory(std::string_view relative) {
        EXPECT_EQ(files().CreateDirectory(At(relative)).code(), 0u) << relative;
    }
    Listing List(std::string_view pattern) {
        Listing listing;
        auto search = files().Search(pattern);
        listing.code = search.code();
        while (auto entry = search.ok() ? search.value()->Next() : std::nullopt) {
            listing.entries[entry->name] = entry->attributes;
            listing.names.insert(entry->name);
        }
        return listing;
    }
    // An entry of the scratch directory as the tests compare it: "\"bytes\" RH", "directory D"
    // or "missing (2)".
    std::string Snapshot(std::string_view relative) {
        const auto attributes = files().GetAttributes(At(relative));
        if (!attributes.ok()) {
            return std::string("missing (").append(std::to_string(attributes.code())).append(")");
        }
        if (platform::IsDirectory(attributes.value())) {
            return "directory " + Shown(attributes.value());
        }
        const std::string bytes = files().ReadFile(At(relative)).value_or("?");
        return std::string("\"").append(bytes).append("\" ").append(Shown(attributes.value()));
    }
    // The scratch directory's entries, one a line, for failure messages.
    std::string Tree() {
        std::string out;
        for (const auto& entry : List(At("*")).entries) {
            out += "  " + entry.first + " " + Snapshot(entry.first) + "\n";
        }
        return out;
    }

    std::unique_ptr<Backend> backend_;
};

} // namespace korvex::contract
