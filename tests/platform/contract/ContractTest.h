// The fixture every contract test uses, and the helpers that make answers of the two backends
// comparable.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/contract/Backend.h"

namespace korvex::contract {

// A whole directory search: the entries by name with their attributes, or the error code of
// FindFirstFile. Entries are kept as a map because the order is the file system's own (Wine
// returns the host's order), which the contract does not fix.
struct Listing {
    std::uint32_t code = 0;
    std::map<std::string, std::uint32_t> entries;

    std::set<std::string> names() const;
};
Listing List(platform::FileSystem& files, std::string_view pattern);

// Attributes as both backends can report them. Wine keeps no archive bit: it reports
// FILE_ATTRIBUTE_ARCHIVE on every file, whatever was set or cleared. So the archive bit is
// dropped before comparing, and a file left with no bit reads as FILE_ATTRIBUTE_NORMAL (0x80),
// which is what Windows answers for a file without the archive bit.
std::uint32_t Comparable(std::uint32_t attributes);
// "0x23 [R H]" for failure messages.
std::string ShowAttributes(std::uint32_t attributes);

// Whether one path component is a valid 8.3 name: 1 to 8 characters, optionally a dot and 1
// to 3 more, none of them blank, a second dot or one of "+,;=[]" and the characters
// no name may hold.
bool IsShortName(std::string_view component);

// An INI file's bytes in the form a machine that rewrites INI files gives them (see
// Shortfall::RewritesIniFiles): blank lines dropped, blanks trimmed around section names, key
// names and values, every line ended by CR LF.
std::string IniCanonical(std::string_view bytes);

class ContractTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Prints the scratch directory's tree when the test failed, then removes the files the
    // test made outside it and the backend with its scratch directory.
    void TearDown() override;

    platform::FileSystem& files() { return backend_->files(); }
    platform::Profile& profile() { return backend_->profile(); }
    platform::Installer& installer() { return backend_->installer(); }
    platform::SystemInfo& system() { return backend_->system(); }
    Backend& backend() { return *backend_; }

    // Whether this machine shows the behaviour a check needs; when it does not, prints
    // "[ NOT CHECKED ]" with what and why, so that every run lists what it left out.
    bool Checks(Shortfall shortfall, std::string_view what);

    // The scratch directory followed by "\" and the relative path.
    std::string At(std::string_view relative) const;
    // A file in the scratch directory made through the interface: written, then given the
    // attributes unless they are 0. Records a test failure when either step fails.
    void Put(std::string_view relative, std::string_view bytes, std::uint32_t attributes = 0);
    // A directory in the scratch directory, one level.
    void MakeDirectory(std::string_view relative);
    // A file outside the scratch directory that TearDown deletes.
    void DeleteAtEnd(std::string path) { extraFiles_.push_back(std::move(path)); }
    // The scratch directory's tree, one entry a line with its attributes and size.
    std::string MachineState();

private:
    void DescribeTree(const std::string& directory, const std::string& indent, std::string& out);

    std::unique_ptr<Backend> backend_;
    std::vector<std::string> extraFiles_;
};

} // namespace korvex::contract
