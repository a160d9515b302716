// The demo accounts: the rows the component and the host services rely on are there and
// consistent, and bad requests change nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/error.h"
#include "schema/demo.h"
#include "support.h"
#include "thrown.h"

namespace schema::test {
namespace {

// Users are created by the dozen here; their password hashes need not resist guessing.
constexpr auto kCheap = platform::PasswordCost::TestOnly;

// Everything a generated account promises; reports each broken promise and answers the depth
// of the deepest superior chain.
int CheckInvariants(const std::string& folder, long vendors, long contacts) {
    auto db = Open(folder);
    EXPECT_EQ(Scalar(*db, "SELECT count(*) FROM vendor").ToInt(), vendors);
    EXPECT_EQ(Scalar(*db, "SELECT count(*) FROM Ven_Contact").ToInt(), contacts);
    // Each query counts the rows that break a promise.
    for (const char* broken : {
             // Codes: the vendor's code and an 8-digit serial, unique without regard to case.
             "SELECT count(*) FROM Ven_Contact WHERE len(cContactCode) <> len(cVenCode) + 8 OR left(cContactCode, "
             "len(cVenCode)) <> cVenCode OR substring(cContactCode, len(cVenCode) + 1, 8) LIKE '%[^0-9]%'",
             "SELECT count(*) - count(DISTINCT upper(cContactCode)) FROM Ven_Contact",
             // Superiors exist at the same vendor.
             "SELECT count(*) FROM Ven_Contact c WHERE cSuperiorID IS NOT NULL AND NOT EXISTS (SELECT 1 FROM "
             "Ven_Contact s WHERE s.cContactCode = c.cSuperiorID AND s.cVenCode = c.cVenCode)",
             // A vendor with contacts links one of its own as main contact, under its name.
             "SELECT count(*) FROM vendor v WHERE (cSovrelCode IS NULL AND EXISTS (SELECT 1 FROM Ven_Contact c WHERE "
             "c.cVenCode = v.cVenCode)) OR (cSovrelCode IS NOT NULL AND NOT EXISTS (SELECT 1 FROM Ven_Contact c "
             "WHERE c.oid = v.cSovrelCode AND c.cVenCode = v.cVenCode AND c.cContactName = v.cVenPerson))",
             "SELECT count(*) FROM vendor WHERE cVenPPerson NOT IN (SELECT cPersonCode FROM Person)"})
        EXPECT_EQ(Scalar(*db, broken).ToInt(), 0) << broken;
    // Superior chains end (no cycle) within six levels.
    std::map<std::string, std::string> superior;
    for (const auto& r : Rows(*db, "SELECT cContactCode, cSuperiorID FROM Ven_Contact"))
        superior[r[0].ToText()] = r[1].ToText();
    int deepest = 0;
    for (const auto& [code, up] : superior) {
        int depth = 1;
        for (std::string at = up; !at.empty() && depth <= 6; at = superior[at]) ++depth;
        deepest = std::max(deepest, depth);
    }
    EXPECT_LE(deepest, 6);
    return deepest;
}

TEST(DemoAccount, SizesAreKeptAndEveryPromiseHolds) {
    // Vendors default to one per ten contacts; the default account has hierarchies four deep.
    const struct { long contacts, vendors, expectedVendors; int minDepth; } sizes[] = {
        {0, 0, 1, 0}, {5, 2, 2, 1}, {3, 5, 5, 1}, {120, 0, 12, 4}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(std::to_string(s.contacts) + " contacts, " + std::to_string(s.vendors) + " vendors");
        TempFolder folder;
        const DemoSummary summary =
            CreateDemoAccount(folder.path(), {.contacts = s.contacts, .vendors = s.vendors, .passwordCost = kCheap});
        EXPECT_EQ(summary.vendors, s.expectedVendors);
        EXPECT_GE(CheckInvariants(folder.path(), s.expectedVendors, s.contacts), s.minDepth);
    }
}

TEST(DemoAccount, BadRequestsChangeNothing) {
    TempFolder folder;
    EXPECT_THROW(CreateDemoAccount(folder.path(), {.contacts = -1, .passwordCost = kCheap}), platform::Error);
    EXPECT_THROW(CreateDemoAccount(folder.path(), {.contacts = 10, .vendors = -2, .passwordCost = kCheap}), platform::Error);
    EXPECT_FALSE(AccountExists(folder.path()));

    CreateDemoAccount(folder.path(), {.contacts = 10, .passwordCost = kCheap});
    const std::string file = folder.path() + "/" + std::string(kDemoAccountDatabase) + ".db";
    const auto size = std::filesystem::file_size(file);
    const std::string refusal =
        sovrel::test::Thrown([&] { CreateDemoAccount(folder.path(), {.contacts = 30, .passwordCost = kCheap}); }).Description();
    EXPECT_NE(refusal.find("already exists"), std::string::npos) << refusal;
    EXPECT_EQ(std::filesystem::file_size(file), size);
    EXPECT_EQ(Scalar(*Open(folder.path()), "SELECT count(*) FROM Ven_Contact").ToInt(), 10);

    EXPECT_TRUE(RemoveAccount(folder.path()));
    EXPECT_FALSE(AccountExists(folder.path()));
    EXPECT_FALSE(RemoveAccount(folder.path()));
}

TEST(DemoAccount, UnusableOrOccupiedFolderIsRefused) {
    TempFolder folder;
    const std::string blocked = folder.path() + "/blocked";  // a file where the folder should be
    std::ofstream(blocked) << "not a folder";
    EXPECT_THROW(CreateDemoAccount(blocked, {.passwordCost = kCheap}), platform::Error);
    // A leftover system database alone counts as an account and is left as it is.
    const std::string partial = folder.path() + "/partial";
    std::filesystem::create_directories(partial);
    std::ofstream(partial + "/tksystem.db") << "left over";
    EXPECT_TRUE(AccountExists(partial));
    EXPECT_THROW(CreateDemoAccount(partial, {.passwordCost = kCheap}), platform::Error);
    EXPECT_EQ(std::filesystem::file_size(partial + "/tksystem.db"), 9u);
    EXPECT_FALSE(std::filesystem::exists(partial + "/" + std::string(kDemoAccountDatabase) + ".db"));
}

}  // namespace
}  // namespace schema::test
