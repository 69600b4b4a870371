// Short (8.3) path names: what holds on every Windows file system that makes them, whatever
// its way of generating the names.
#include "platform/contract/ContractTest.h"

#include <vector>

namespace korvex::contract {
namespace {

std::vector<std::string> Components(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

class ShortNameContract : public ContractTest {
protected:
    void SetUp() override {
        ContractTest::SetUp();
        MakeDirectory("Long Directory Name");
        Put("Long Directory Name\\a file with a long name.text", "long");
        Put("Long Directory Name\\archive.tar.gz", "gz");
        Put("Long Directory Name\\ABC.TXT", "short");
    }
};

TEST_F(ShortNameContract, EveryComponentIsShortAndNamesTheSameFile) {
    for (const char* name : {"a file with a long name.text", "archive.tar.gz", "ABC.TXT"}) {
        const std::string path = At("Long Directory Name\\") + name;
        const auto shortPath = files().GetShortPathName(path);
        ASSERT_TRUE(shortPath.ok()) << path << ": " << shortPath.error().Describe();
        const auto parts = Components(shortPath.value());
        ASSERT_GE(parts.size(), 2u) << shortPath.value();
        EXPECT_EQ(parts[0], path.substr(0, 2)) << "the drive stays as given";
        for (std::size_t i = 1; i < parts.size(); ++i) {
            EXPECT_TRUE(IsShortName(parts[i])) << parts[i] << " in " << shortPath.value();
        }
        EXPECT_EQ(files().ReadFile(shortPath.value()).value_or("unreadable"),
                  files().ReadFile(path).value_or("unreadable the long way"))
            << shortPath.value();
    }
}

TEST_F(ShortNameContract, ShortPathsStayAsTheyAre) {
    const auto directory = files().GetShortPathName(At("Long Directory Name"));
    ASSERT_TRUE(directory.ok()) << directory.error().Describe();
    // An 8.3 name needs no short name: it is its own.
    const auto file = files().GetShortPathName(At("Long Directory Name\\ABC.TXT"));
    ASSERT_TRUE(file.ok()) << file.error().Describe();
    EXPECT_EQ(file.value(), directory.value() + "\\ABC.TXT");
    // A short path is its own short path.
    const auto again = files().GetShortPathName(file.value());
    ASSERT_TRUE(again.ok()) << again.error().Describe();
    EXPECT_EQ(again.value(), file.value());
}

TEST_F(ShortNameContract, TrailingBackslashIsKept) {
    const auto plain = files().GetShortPathName(At("Long Directory Name"));
    const auto slashed = files().GetShortPathName(At("Long Directory Name\\"));
    ASSERT_TRUE(plain.ok()) << plain.error().Describe();
    ASSERT_TRUE(slashed.ok()) << slashed.error().Describe();
    EXPECT_EQ(slashed.value(), plain.value() + "\\");
}

TEST_F(ShortNameContract, MissingPaths) {
    struct Row {
        const char* path;
        std::uint32_t code;
    };
    const Row rows[] = {
        {"Long Directory Name\\missing file.text", win::kFileNotFound},
        {"Missing Directory\\file.text", win::kFileNotFound},
    };
    for (const Row& row : rows) {
        const auto shortPath = files().GetShortPathName(At(row.path));
        EXPECT_EQ(shortPath.code(), row.code)
            << row.path << " gave " << shortPath.value_or("an error");
    }
}

} // namespace
} // namespace korvex::contract
