// The description of the answer file against what it describes: the checked-in reference page
// written from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "product/AnswerFileReference.h"

namespace korvex::product {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(AnswerFileReference, IsTheCheckedInPage) {
    const fs::path page = fs::path(KORVEX_SOURCE_DIR) / "docs" / "answer-file.md";
    const std::string written = AnswerFileReference(), checkedIn = ReadAll(page);
    if (checkedIn == written) {
        return;
    }
    std::size_t at = 0; // the first byte of the first line that differs
    while (at < written.size() && at < checkedIn.size() && written[at] == checkedIn[at]) {
        ++at;
    }
    const std::size_t newline = at == 0 ? std::string::npos : written.rfind('\n', at - 1);
    at = newline == std::string::npos ? 0 : newline + 1;
    const auto line = [at](const std::string& text) {
        return at < text.size() ? text.substr(at, text.find('\n', at) - at) : "<end>";
    };
    FAIL() << page.string() << " differs from the description in product/AnswerFile.cpp at line "
           << std::count(written.begin(), written.begin() + at, '\n') + 1
           << ":\n  written from the description: " << line(written)
           << "\n  checked in:                   " << line(checkedIn)
           << "\nRun scripts/answer-file-reference to write the page again.";
}

} // namespace
} // namespace korvex::product
