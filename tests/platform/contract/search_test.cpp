// Directory searches: wildcard patterns, bare paths, "." and "..", and the error of each kind
// of failed search.
#include "platform/contract/ContractTest.h"

namespace korvex::contract {
namespace {

using platform::attr::kDirectory;
using platform::attr::kHidden;
using platform::attr::kReadOnly;
using Names = std::set<std::string>;

class SearchContract : public ContractTest {
protected:
    void SetUp() override {
        ContractTest::SetUp();
        Put("alpha.cfg", "a");
        Put("Beta.CFG", "b");
        Put("gamma.txt", "g");
        Put("noext", "n");
        // Its short name (such as "X~1.CFG") ends in ".CFG": patterns match short names too.
        Put("x.cfgold", "x");
        Put("hidden.cfg", "h", kHidden);
        MakeDirectory("Sub");
        Put("Sub\\inner.cfg", "i");
        MakeDirectory("Empty");
    }
};

TEST_F(SearchContract, PatternsFindTheseNames) {
    const Names everything = {".",          "..",    "alpha.cfg", "Beta.CFG", "gamma.txt",
                              "hidden.cfg", "noext", "x.cfgold",  "Sub",      "Empty"};
    struct Row {
        const char* pattern;
        Names names;
    };
    const Row rows[] = {
        {"*.*", everything},
        {"*", everything},
        {"*.cfg", {"alpha.cfg", "Beta.CFG", "hidden.cfg", "x.cfgold"}},
        {"*.CFG", {"alpha.cfg", "Beta.CFG", "hidden.cfg", "x.cfgold"}},
        {"*.cfgold", {"x.cfgold"}},
        {"b*.cfg", {"Beta.CFG"}},
        {"gamm?.txt", {"gamma.txt"}},
        {"*.txt", {"gamma.txt"}},
        {"noext", {"noext"}},
        {"NOEXT", {"noext"}},
        {"Sub", {"Sub"}},
        {"sub", {"Sub"}},
        {"Sub\\*.*", {".", "..", "inner.cfg"}},
        {"Empty\\*.*", {".", ".."}},
        {"Empty\\*", {".", ".."}},
    };
    for (const Row& row : rows) {
        const Listing listing = List(files(), At(row.pattern));
        EXPECT_EQ(listing.code, 0u) << row.pattern;
        EXPECT_EQ(listing.names(), row.names) << row.pattern;
    }
}

TEST_F(SearchContract, FailedSearchesGiveTheseErrors) {
    struct Row {
        const char* pattern;
        std::uint32_t code;
    };
    const Row rows[] = {
        {"*.xyz", win::kFileNotFound},
        {"missing", win::kFileNotFound},
        {"Empty\\*.cfg", win::kFileNotFound},
        {"Sub\\", win::kFileNotFound},
        {"Missing\\*.*", win::kPathNotFound},
        {"Missing\\deeper\\*.*", win::kPathNotFound},
        // A file where the pattern needs a directory: the name cannot be searched.
        {"alpha.cfg\\*.*", win::kInvalidName},
    };
    for (const Row& row : rows) {
        const Listing listing = List(files(), At(row.pattern));
        EXPECT_EQ(listing.code, row.code)
            << row.pattern << " found " << testing::PrintToString(listing.names());
    }
}

TEST_F(SearchContract, ListedAttributesAreThoseOfTheEntries) {
    ASSERT_TRUE(files().SetAttributes(At("alpha.cfg"), kReadOnly).ok());
    const Listing listing = List(files(), At("*.*"));
    ASSERT_EQ(listing.code, 0u);
    for (const auto& [name, attributes] : listing.entries) {
        if (name == "." || name == "..") {
            EXPECT_TRUE(platform::IsDirectory(attributes)) << name << ShowAttributes(attributes);
            continue;
        }
        const auto direct = files().GetAttributes(At(name));
        ASSERT_TRUE(direct.ok()) << name << ": " << direct.error().Describe();
        EXPECT_EQ(Comparable(attributes), Comparable(direct.value()))
            << name << " listed " << ShowAttributes(attributes) << ", GetFileAttributes "
            << ShowAttributes(direct.value());
    }
    EXPECT_EQ(Comparable(listing.entries.at("alpha.cfg")), kReadOnly);
    EXPECT_EQ(Comparable(listing.entries.at("hidden.cfg")), kHidden);
    EXPECT_EQ(Comparable(listing.entries.at("Sub")), kDirectory);
}

TEST_F(SearchContract, BarePathOfADirectoryNamesItself) {
    const Listing listing = List(files(), At("Sub"));
    ASSERT_EQ(listing.code, 0u);
    ASSERT_EQ(listing.names(), Names{"Sub"});
    EXPECT_EQ(Comparable(listing.entries.at("Sub")), kDirectory);
}

TEST_F(SearchContract, DriveRootHasNoDotEntries) {
    const std::string& scratch = backend().scratch();
    const std::string root = scratch.substr(0, 3); // "C:\"
    const Listing listing = List(files(), root + "*.*");
    ASSERT_EQ(listing.code, 0u);
    EXPECT_EQ(listing.entries.count("."), 0u);
    EXPECT_EQ(listing.entries.count(".."), 0u);
    EXPECT_EQ(listing.entries.count(scratch.substr(3)), 1u)
        << testing::PrintToString(listing.names());
}

TEST_F(SearchContract, NamesKeepTheirBytes) {
    const std::string name = "Gr\xC3\xBC\xC3\x9F"
                             "e \xE2\x82\xAC.txt"; // "Grüße €.txt"
    Put(name, "u");
    const Listing listing = List(files(), At("Gr*.txt"));
    ASSERT_EQ(listing.code, 0u);
    EXPECT_EQ(listing.names(), Names{name});
}

} // namespace
} // namespace korvex::contract
