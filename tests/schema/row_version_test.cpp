// Row versions (tkts) of the account's tables: one counter for the whole database, a version of
// its own for every row a statement writes, and not writable by clients.
#include <gtest/gtest.h>

#include "platform/error.h"
#include "support.h"
#include "thrown.h"

namespace schema::test {
namespace {

class RowVersionTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto c = std::make_shared<platform::db::Connection>();
        c->Open(SqliteConnectionText(folder.path(), ""));
        CreateAccountDatabase(*c, kDemoAccountDatabase);
        db = Open(folder.path());
        db->Execute("INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) VALUES ('V1', 'V01', 'a'), "
                    "('V2', 'V01', 'b')");
    }
    std::int64_t Version(const std::string& from) { return Scalar(*db, "SELECT tkts FROM " + from).ToInt(); }
    TempFolder folder;
    std::shared_ptr<platform::db::Connection> db;
};

TEST_F(RowVersionTest, EveryRowWrittenTakesTheNextVersionOfTheDatabasesOneCounter) {
    EXPECT_EQ(Scalar(*db, "SELECT count(DISTINCT tkts) FROM Ven_Contact WHERE tkts > 0").ToInt(), 2);
    const std::int64_t contact = Version("Ven_Contact WHERE cContactCode = 'V2'");
    db->Execute("INSERT INTO vendor (cVenCode, cVenName, cVenAbbName) VALUES ('V01', 'n', 'n')");
    const std::int64_t vendor = Version("vendor");
    EXPECT_GT(vendor, contact);
    db->Execute("UPDATE Ven_Contact SET bMajor = 1");
    EXPECT_EQ(Scalar(*db, "SELECT count(*) FROM Ven_Contact WHERE tkts > " + std::to_string(vendor)).ToInt(), 2);
    EXPECT_EQ(Scalar(*db, "SELECT count(DISTINCT tkts) FROM Ven_Contact").ToInt(), 2);
}

TEST_F(RowVersionTest, ClientCannotWriteTheVersion) {
    const std::int64_t before = Version("Ven_Contact WHERE cContactCode = 'V1'");
    const std::string refusal = sovrel::test::Thrown([&] {
        db->Execute("UPDATE Ven_Contact SET cMemo = 'x', tkts = 12345 WHERE cContactCode = 'V1'");
    }).Description();
    EXPECT_NE(refusal.find("timestamp"), std::string::npos) << refusal;
    EXPECT_EQ(Version("Ven_Contact WHERE cContactCode = 'V1'"), before);
    EXPECT_EQ(Scalar(*db, "SELECT count(cMemo) FROM Ven_Contact").ToInt(), 0);
    // Writing it back unchanged, as a writer of whole rows does, is an ordinary update.
    db->Execute("UPDATE Ven_Contact SET cMemo = 'y', tkts = tkts WHERE cContactCode = 'V1'");
    EXPECT_GT(Version("Ven_Contact WHERE cContactCode = 'V1'"), before);
}

}  // namespace
}  // namespace schema::test
