// The fixture of the in-memory Windows tests: a fresh machine, and a whole directory search
// as one value.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/memory/MemoryWindows.h"

namespace korvex::memory::testing {

// Every entry of a search in the order returned, or the error of the search.
struct Listing {
    std::uint32_t code = 0;
    std::vector<std::string> names;
    std::vector<std::uint32_t> attributes;
};

inline Listing List(platform::FileSystem& files, std::string_view pattern) {
    Listing listing;
    auto search = files.Search(pattern);
    if (!search.ok()) {
        listing.code = search.code();
        return listing;
    }
    while (auto entry = search.value()->Next()) {
        listing.names.push_back(entry->name);
        listing.attributes.push_back(entry->attributes);
    }
    return listing;
}

class MemoryTest : public ::testing::Test {
protected:
    // The machine, for failure messages.
    std::string State() const { return windows.Describe(); }

    MemoryWindows windows;
};

} // namespace korvex::memory::testing
