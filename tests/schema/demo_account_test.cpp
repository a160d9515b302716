// The demo accounts: the rows the component and the host services rely on are there and
// consistent, the same seed gives the same account, and bad requests change nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/error.h"
#include "schema/demo.h"
#include "support.h"

namespace schema::test {
namespace {

using platform::db::Value;
// Users are created by the dozen here; their password hashes need not resist guessing.
constexpr auto kCheap = platform::PasswordCost::TestOnly;

bool IsDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Everything a generated or fixed account promises; reports each broken promise and answers
// the depth of the deepest superior chain in *depth.
void CheckInvariants(const std::string& folder, long vendors, long contacts, int* depth = nullptr) {
    auto db = Open(folder);
    EXPECT_EQ(Scalar(*db, "SELECT count(*) FROM vendor").ToInt(), vendors);
    EXPECT_EQ(Scalar(*db, "SELECT count(*) FROM Ven_Contact").ToInt(), contacts);

    // Codes: the vendor's code and an 8-digit serial; unique without regard to case.
    struct C {
        std::string vendor, superior, oid, name;
    };
    std::map<std::string, C> byCode;
    std::set<std::string> lowerCodes;
    for (const auto& r : Rows(*db, "SELECT cContactCode, cVenCode, cSuperiorID, oid, cContactName FROM Ven_Contact")) {
        const std::string code = r[0].ToText(), vendor = r[1].ToText();
        EXPECT_EQ(code.substr(0, vendor.size()), vendor) << code;
        EXPECT_EQ(code.size(), vendor.size() + 8) << code;
        EXPECT_TRUE(IsDigits(code.substr(std::min(code.size(), vendor.size())))) << code;
        std::string lower = code;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        EXPECT_TRUE(lowerCodes.insert(lower).second) << "duplicate code " << code;
        byCode[code] = {vendor, r[2].ToText(), r[3].ToText(), r[4].ToText()};
    }

    // Superiors exist, belong to the same vendor, and form trees (no cycle) of a bounded depth.
    int deepest = 0;
    for (const auto& [code, c] : byCode) {
        int depth = 1;
        std::string at = code;
        while (!byCode[at].superior.empty()) {
            const std::string up = byCode[at].superior;
            ASSERT_TRUE(byCode.count(up)) << code << ": superior " << up << " does not exist";
            EXPECT_EQ(byCode[up].vendor, c.vendor) << code << ": superior of another vendor";
            at = up;
            ASSERT_LE(++depth, 64) << code << ": the superior chain loops";
        }
        deepest = std::max(deepest, depth);
    }
    EXPECT_LE(deepest, 6);
    if (depth) *depth = deepest;

    // Main-contact links point to a contact of the same vendor and carry its name.
    for (const auto& r : Rows(*db, "SELECT cVenCode, cSovrelCode, cVenPerson, iId FROM vendor")) {
        const std::string vendor = r[0].ToText();
        const long owned = static_cast<long>(std::count_if(byCode.begin(), byCode.end(),
                                                           [&](const auto& e) { return e.second.vendor == vendor; }));
        if (r[1].IsNull()) {
            EXPECT_EQ(owned, 0) << vendor << " has contacts but no main contact";
            continue;
        }
        auto it = std::find_if(byCode.begin(), byCode.end(), [&](const auto& e) { return e.second.oid == r[1].ToText(); });
        ASSERT_NE(it, byCode.end()) << vendor << ": main contact " << r[1].ToText() << " does not exist";
        EXPECT_EQ(it->second.vendor, vendor);
        EXPECT_EQ(r[2].ToText(), it->second.name);
    }

    // Base codes: the four lists as published, and every contact's codes in the right list.
    std::vector<std::string> listed;
    for (const auto& b : kBaseCodes)
        listed.push_back(std::to_string(b.id) + " " + std::string(b.type) + " " + std::string(b.name));
    std::vector<std::string> stored;
    for (const auto& r : Rows(*db, "SELECT ID, cType, cName FROM Crm_BaseCode ORDER BY ID"))
        stored.push_back(r[0].ToText() + " " + r[1].ToText() + " " + r[2].ToText());
    EXPECT_EQ(stored, listed);
    for (std::string_view list : {"Sex", "Duty", "Taste", "Marriage"}) {
        const std::string column = "bc" + std::string(list) + "ID";
        EXPECT_EQ(Scalar(*db, "SELECT count(*) FROM Ven_Contact c WHERE c." + column + " IS NOT NULL AND NOT EXISTS "
                              "(SELECT 1 FROM Crm_BaseCode b WHERE b.ID = c." + column + " AND b.cType = '" +
                              std::string(list) + "')").ToInt(), 0) << column;
    }

    // Employees and departments referred to exist; referring rows name existing contacts.
    for (const char* orphans : {
             "Ven_Contact WHERE cPrincipal IS NOT NULL AND cPrincipal NOT IN (SELECT cPersonCode FROM Person)",
             "vendor WHERE cVenPPerson NOT IN (SELECT cPersonCode FROM Person)",
             "Person WHERE cDepCode NOT IN (SELECT cDepCode FROM Department)",
             "PO_Pomain WHERE cContactCode NOT IN (SELECT cContactCode FROM Ven_Contact)",
             "Crm_VisitLog WHERE cContactID NOT IN (SELECT oid FROM Ven_Contact)"})
        EXPECT_EQ(Scalar(*db, std::string("SELECT count(*) FROM ") + orphans).ToInt(), 0) << orphans;
    // Every relation's column exists.
    for (const auto& r : Rows(*db, "SELECT creferencingtablename, creferencingtablecolumn, cwherepart FROM crm_ref_relation")) {
        std::string sql = "SELECT count(" + r[1].ToText() + ") FROM " + r[0].ToText();
        if (!r[2].ToText().empty()) sql += " WHERE " + r[2].ToText();
        EXPECT_NO_THROW(Scalar(*db, sql)) << sql;
    }

    // User-defined items of the contact archive: sixteen, with the kinds the card expects.
    const std::string items = "SELECT cItem, cItemType FROM userdef WHERE cClass = '" + std::string(kContactUserDefClass) + "'";
    std::map<std::string, std::string> kinds;
    for (const auto& r : Rows(*db, items)) kinds[r[0].ToText()] = r[1].ToText();
    ASSERT_EQ(kinds.size(), 16u);
    for (int n = 1; n <= 16; ++n) {
        const std::string expected = n <= 10 ? "text" : n <= 12 ? "int" : n <= 14 ? "decimal" : "date";
        EXPECT_EQ(kinds["自定义项" + std::to_string(n)], expected) << "item " << n;
    }
    EXPECT_EQ(Scalar(*db, "SELECT count(*) FROM userdef u WHERE cClass = '供应商联系人' AND bCheckVal = 1 AND iDataSource = 0 "
                          "AND NOT EXISTS (SELECT 1 FROM userdefine d WHERE d.cId = u.cId)").ToInt(), 0);
    EXPECT_EQ(Scalar(*db, "SELECT count(*) FROM userdef WHERE cClass = '供应商联系人' AND bArchive = 1").ToInt(), 1);
    EXPECT_EQ(Scalar(*db, "SELECT TableDefine FROM Rpt_GRPDef WHERE TableName = 'Ven_Contact'").ToText(), "供应商联系人");

    // System database: the account, its sub-systems, the users' rights and restriction.
    auto system = Open(folder, kSystemDatabase);
    EXPECT_EQ(Scalar(*system, "SELECT cDatabase FROM UA_Account WHERE cAcc_Id = '001' AND iYear = 2024").ToText(),
              kDemoAccountDatabase);
    EXPECT_GE(Scalar(*system, "SELECT count(*) FROM UA_Account_Sub WHERE cAcc_Id = '001' AND iYear = 2024").ToInt(), 1);
    std::vector<std::string> all(std::begin(kFunctionCodes), std::end(kFunctionCodes));
    for (auto user : {kDemoUser, kDemoEnglishUser})
        EXPECT_EQ(Column(*system, "SELECT cFuncId FROM UA_FuncRight WHERE cUser_Id = '" + std::string(user) + "' ORDER BY cFuncId"), all)
            << user;
    EXPECT_EQ(Scalar(*system, "SELECT cLanguage FROM UA_User WHERE cUser_Id = 'demo'").ToText(), "zh-CN");
    EXPECT_EQ(Column(*system, "SELECT cFuncId FROM UA_FuncRight WHERE cUser_Id = 'limited' ORDER BY cFuncId"),
              (std::vector<std::string>{"AS020302", "AS020304"}));
    const std::string allowed = Scalar(*system, "SELECT cAuthString FROM UA_RowAuth WHERE cUser_Id = 'limited' AND cBusObId = 'vendor'").ToText();
    EXPECT_EQ(Scalar(*db, "SELECT count(*) FROM vendor WHERE iId IN (" + allowed + ")").ToInt(),
              static_cast<std::int64_t>(std::count(allowed.begin(), allowed.end(), ',') + 1))
        << "restricted to vendors " << allowed;
    EXPECT_LT(Scalar(*db, "SELECT count(*) FROM vendor WHERE iId IN (" + allowed + ")").ToInt(), vendors > 1 ? vendors : 2);
}

TEST(DemoAccount, TheDefaultKeepsEveryPromiseWithDeepHierarchiesReferencesAndBothKindsOfNames) {
    TempFolder folder;
    const DemoSummary summary = CreateDemoAccount(folder.path(), {.passwordCost = kCheap});
    EXPECT_EQ(summary.vendors, 12);
    EXPECT_EQ(summary.contacts, 120);
    int depth = 0;
    CheckInvariants(folder.path(), 12, 120, &depth);
    EXPECT_GE(depth, 4);
    auto db = Open(folder.path());
    EXPECT_GT(summary.purchaseOrders, 0);
    EXPECT_GT(summary.visits, 0);
    EXPECT_EQ(Scalar(*db, "SELECT count(*) FROM PO_Pomain").ToInt(), summary.purchaseOrders);
    // The last vendor was just taken on: no contacts, no link.
    EXPECT_EQ(Scalar(*db, "SELECT count(*) FROM Ven_Contact WHERE cVenCode = 'V012'").ToInt(), 0);
    EXPECT_TRUE(Scalar(*db, "SELECT cSovrelCode FROM vendor WHERE cVenCode = 'V012'").IsNull());
    // Chinese and Latin vendors and contacts both occur.
    const auto names = Column(*db, "SELECT cVenName FROM vendor");
    auto latin = [](const std::string& s) { return std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; }); };
    EXPECT_TRUE(std::any_of(names.begin(), names.end(), latin));
    EXPECT_TRUE(std::any_of(names.begin(), names.end(), [&](const std::string& s) { return !latin(s); }));
    EXPECT_EQ(Scalar(*db, "SELECT count(*) FROM Ven_Contact WHERE bMajor = 1").ToInt(), 11);
}

TEST(DemoAccount, SizesAreKeptAndEveryPromiseHolds) {
    struct Size {
        long contacts, vendors, expectedVendors;
    };
    const Size sizes[] = {{0, 0, 1}, {5, 2, 2}, {3, 5, 5}, {37, 4, 4}, {250, 0, 25}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(std::to_string(s.contacts) + " contacts, " + std::to_string(s.vendors) + " vendors");
        TempFolder folder;
        const DemoSummary summary = CreateDemoAccount(folder.path(), {.contacts = s.contacts, .vendors = s.vendors, .seed = 3, .passwordCost = kCheap});
        EXPECT_EQ(summary.vendors, s.expectedVendors);
        CheckInvariants(folder.path(), s.expectedVendors, s.contacts);
    }
}

TEST(DemoAccount, SameSeedSameRowsOtherSeedOtherRows) {
    TempFolder a, b, c;
    CreateDemoAccount(a.path(), {.contacts = 60, .vendors = 0, .seed = 7, .passwordCost = kCheap});
    CreateDemoAccount(b.path(), {.contacts = 60, .vendors = 0, .seed = 7, .passwordCost = kCheap});
    CreateDemoAccount(c.path(), {.contacts = 60, .vendors = 0, .seed = 8, .passwordCost = kCheap});
    const std::pair<std::string, std::string> tables[] = {
        {"vendor", "iId"}, {"Ven_Contact", "cContactCode"}, {"PO_Pomain", "POID"}, {"Crm_VisitLog", "ID"}};
    auto da = Open(a.path()), db = Open(b.path()), dc = Open(c.path());
    for (const auto& [table, order] : tables) EXPECT_EQ(Dump(*da, table, order), Dump(*db, table, order)) << table;
    EXPECT_NE(Dump(*da, "Ven_Contact", "cContactCode"), Dump(*dc, "Ven_Contact", "cContactCode"));
}

TEST(DemoAccount, BadRequestsChangeNothing) {
    TempFolder folder;
    EXPECT_THROW(CreateDemoAccount(folder.path(), {.contacts = -1, .passwordCost = kCheap}), platform::Error);
    EXPECT_THROW(CreateDemoAccount(folder.path(), {.contacts = 10, .vendors = -2, .passwordCost = kCheap}), platform::Error);
    EXPECT_FALSE(AccountExists(folder.path()));

    CreateDemoAccount(folder.path(), {.contacts = 10, .passwordCost = kCheap});
    const std::string file = folder.path() + "/" + std::string(kDemoAccountDatabase) + ".db";
    const auto size = std::filesystem::file_size(file);
    try {
        CreateDemoAccount(folder.path(), {.contacts = 30, .passwordCost = kCheap});
        ADD_FAILURE() << "an existing account was overwritten";
    } catch (const platform::Error& e) {
        EXPECT_NE(std::string(e.what()).find("already exists"), std::string::npos) << e.what();
    }
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

// The rows themselves are what the statement corpus reads and checks.
TEST(FixedAccount, HoldsThePublishedRows) {
    TempFolder folder;
    const DemoSummary summary = CreateFixedAccount(folder.path(), kCheap);
    int depth = 0;
    CheckInvariants(folder.path(), std::size(fixed::kVendors), std::size(fixed::kContacts), &depth);
    EXPECT_EQ(depth, 3);
    auto db = Open(folder.path());
    EXPECT_EQ(Column(*db, "SELECT cContactCode FROM PO_Pomain"), (std::vector<std::string>{std::string(fixed::kOrderedContact)}));
    EXPECT_EQ(summary.purchaseOrders, 1);
    EXPECT_EQ(Column(*db, "SELECT c.cContactCode FROM Crm_VisitLog v JOIN Ven_Contact c ON c.oid = v.cContactID "
                          "WHERE v.bDeleted = 0"),
              (std::vector<std::string>{std::string(fixed::kVisitedContact)}));
}

}  // namespace
}  // namespace schema::test
