// Who may change a directory, and links: a protected directory reads back as the
// administrators' alone, one opened to everyone reads back as such, and a link is seen as a link
// and never gone through.
#include "platform/Trust.h"
#include "platform/contract/Contract.h"

namespace korvex::contract {
namespace {

using ProtectionContract = ContractTest;

TEST_F(ProtectionContract, AProtectedDirectoryIsTheAdministratorsAlone) {
    ASSERT_TRUE(files().CreateProtectedDirectory(At("held")).ok());
    EXPECT_EQ(files().CreateProtectedDirectory(At("held")).code(), win::kAlreadyExists);
    const auto protection = files().GetProtection(At("held"));
    ASSERT_TRUE(protection.ok()) << protection.error().Describe();
    EXPECT_FALSE(protection.value().link);
    EXPECT_FALSE(protection.value().othersMayChange) << protection.value().who;
    EXPECT_TRUE(platform::RefuseUnprotected(files(), At("held")).ok());
    Put("held\\kept.cfg", "kept");
    EXPECT_EQ(files().ReadFile(At("held\\kept.cfg")).value_or(""), "kept");
    EXPECT_EQ(files().GetProtection(At("missing")).code(), win::kFileNotFound);
}

TEST_F(ProtectionContract, ADirectoryEveryoneMayChangeIsRefused) {
    MakeDirectory("open");
    ASSERT_TRUE(backend_->LetEveryoneChange(At("open")));
    const auto protection = files().GetProtection(At("open"));
    ASSERT_TRUE(protection.ok()) << protection.error().Describe();
    EXPECT_TRUE(protection.value().othersMayChange);
    const Status refused = platform::RefuseUnprotected(files(), At("open"));
    EXPECT_EQ(refused.code(), win::kAccessDenied);
    EXPECT_EQ(refused.error().path, At("open"));
}

TEST_F(ProtectionContract, ALinkIsSeenAndNotGoneThrough) {
    const auto planted = backend_->PlantedLink();
    if (!planted) {
        std::cout << "[ NOT CHECKED ] links: this machine cannot make one\n";
        return;
    }
    const auto& [link, target] = *planted;
    EXPECT_TRUE(platform::IsLink(files().GetAttributes(link).value_or(0)));
    const auto protection = files().GetProtection(link);
    ASSERT_TRUE(protection.ok()) << protection.error().Describe();
    EXPECT_TRUE(protection.value().link);
    for (const std::string below : {"", "\\sub\\file.map", "\\own.txt"}) {
        const Status refused = platform::RefuseLinks(files(), link + below);
        EXPECT_EQ(refused.code(), win::kStoppedOnSymlink) << below;
        EXPECT_EQ(refused.error().path, link) << below;
    }
    EXPECT_EQ(platform::RefuseUnprotected(files(), link).code(), win::kStoppedOnSymlink);
    EXPECT_TRUE(platform::RefuseLinks(files(), target + "\\missing\\file").ok());
    EXPECT_EQ(files().ReadFile(target + "\\own.txt").value_or(""), "own");
}

} // namespace
} // namespace korvex::contract
