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

// Each table's insert, update and the key of its row.
const struct { std::string name, insert, update, key; } kTables[] = {
    {"Ven_Contact", "INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) VALUES ('V0100000001', 'V01', 'a')",
     "UPDATE Ven_Contact SET cMemo = 'changed' WHERE cContactCode = 'V0100000001'", "cContactCode = 'V0100000001'"},
    {"vendor", "INSERT INTO vendor (cVenCode, cVenName, cVenAbbName) VALUES ('V01', 'n', 'n')",
     "UPDATE vendor SET cVenPerson = 'a' WHERE cVenCode = 'V01'", "cVenCode = 'V01'"},
};

// One counter for the database: each write of a row takes the next version, whatever the table.
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
    db->Execute(kTables[0].update);
    EXPECT_GT(Version(kTables[0].name, kTables[0].key), last);
    // Every row of a multi-row statement gets a version of its own.
    db->Execute("INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) VALUES ('V2', 'V01', 'b'), ('V3', 'V01', 'c')");
    EXPECT_EQ(Scalar(*db, "SELECT count(DISTINCT tkts) FROM Ven_Contact").ToInt(), 3);
    db->Execute("UPDATE Ven_Contact SET bMajor = 1");
    EXPECT_EQ(Scalar(*db, "SELECT count(DISTINCT tkts) FROM Ven_Contact").ToInt(), 3);
}

TEST_F(RowVersionTest, ClientCannotWriteTheVersion) {
    db->Execute(kTables[0].insert);
    const std::int64_t before = Version("Ven_Contact", kTables[0].key);
    try {
        db->Execute("UPDATE Ven_Contact SET cMemo = 'x', tkts = 12345");
        ADD_FAILURE() << "the row version was written";
    } catch (const platform::Error& e) {
        EXPECT_NE(std::string(e.what()).find("timestamp"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Version("Ven_Contact", kTables[0].key), before);
    EXPECT_TRUE(Scalar(*db, "SELECT cMemo FROM Ven_Contact").IsNull());
    // Writing it back unchanged, as a writer of whole rows does, is an ordinary update.
    db->Execute("UPDATE Ven_Contact SET cMemo = 'y', tkts = tkts");
    EXPECT_GT(Version("Ven_Contact", kTables[0].key), before);
}

}  // namespace
}  // namespace schema::test
