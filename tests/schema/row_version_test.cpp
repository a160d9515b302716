// Row versions (tkts) of the account's tables: one counter for the whole database, a version of
// its own for every row a statement writes, and not writable by clients.
#include <gtest/gtest.h>

#include "platform/error.h"
#include "support.h"

namespace schema::test {
namespace {

class RowVersionTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto c = std::make_shared<platform::db::Connection>();
        c->Open(SqliteConnectionText(folder.path(), ""));
        CreateAccountDatabase(*c, kDemoAccountDatabase);
        db = Open(folder.path());
    }
    std::int64_t Version(const std::string& table, const std::string& where) {
        const platform::db::Value v = Scalar(*db, "SELECT tkts FROM " + table + " WHERE " + where);
        EXPECT_FALSE(v.IsNullOrEmpty()) << table << " " << where << " has no row version";
        return v.ToInt();
    }
    TempFolder folder;
    std::shared_ptr<platform::db::Connection> db;
};

struct Table {
    std::string name, insert, update, key;
};
const Table kTables[] = {
    {"Ven_Contact",
     "INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) VALUES ('V0100000001', 'V01', 'a')",
     "UPDATE Ven_Contact SET cMemo = 'changed' WHERE cContactCode = 'V0100000001'",
     "cContactCode = 'V0100000001'"},
    {"vendor", "INSERT INTO vendor (cVenCode, cVenName, cVenAbbName) VALUES ('V01', 'n', 'n')",
     "UPDATE vendor SET cVenPerson = 'a' WHERE cVenCode = 'V01'", "cVenCode = 'V01'"},
    {"Crm_BaseCode", "INSERT INTO Crm_BaseCode (cType, cName) VALUES ('Sex', 'x')",
     "UPDATE Crm_BaseCode SET cCode = '01' WHERE cName = 'x'", "cName = 'x'"},
};

TEST_F(RowVersionTest, InsertAndUpdateGiveNewIncreasingVersionsAcrossTables) {
    std::int64_t last = 0;
    for (const auto& t : kTables) {
        db->Execute(t.insert);
        const std::int64_t inserted = Version(t.name, t.key);
        EXPECT_GT(inserted, last) << t.name << " insert";
        db->Execute(t.update);
        last = Version(t.name, t.key);
        EXPECT_GT(last, inserted) << t.name << " update";
    }
    // The first table again: its next version follows the others' (one counter per database).
    db->Execute(kTables[0].update);
    EXPECT_GT(Version(kTables[0].name, kTables[0].key), last);
}

TEST_F(RowVersionTest, EveryRowOfAMultiRowStatementGetsItsOwnVersion) {
    db->Execute("INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) VALUES "
                "('V0100000001', 'V01', 'a'), ('V0100000002', 'V01', 'b'), ('V0100000003', 'V01', 'c')");
    for (int round = 0; round < 2; ++round) {
        const auto versions = Column(*db, "SELECT tkts FROM Ven_Contact ORDER BY tkts");
        ASSERT_EQ(versions.size(), 3u);
        EXPECT_NE(versions[0], versions[1]);
        EXPECT_NE(versions[1], versions[2]);
        db->Execute("UPDATE Ven_Contact SET bMajor = 1");
    }
}

TEST_F(RowVersionTest, ClientCannotWriteTheVersion) {
    db->Execute(kTables[0].insert);
    const std::int64_t before = Version("Ven_Contact", kTables[0].key);
    for (const std::string sql : {"UPDATE Ven_Contact SET tkts = 5",
                                  "UPDATE Ven_Contact SET cMemo = 'x', tkts = 12345"}) {
        try {
            db->Execute(sql);
            ADD_FAILURE() << "accepted: " << sql;
        } catch (const platform::Error& e) {
            EXPECT_NE(std::string(e.what()).find("timestamp"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(Version("Ven_Contact", kTables[0].key), before);
    EXPECT_TRUE(Scalar(*db, "SELECT cMemo FROM Ven_Contact").IsNull());
    // Writing it back unchanged, as a writer of whole rows does, is an ordinary update.
    db->Execute("UPDATE Ven_Contact SET cMemo = 'y', tkts = tkts");
    EXPECT_GT(Version("Ven_Contact", kTables[0].key), before);
}

}  // namespace
}  // namespace schema::test
