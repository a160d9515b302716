// The table definitions: both databases create, text compares as SQL Server does, and bad rows
// are refused.
#include <gtest/gtest.h>

#include <regex>

#include "platform/error.h"
#include "schema/schema.h"
#include "support.h"
#include "thrown.h"

namespace schema::test {
namespace {

using platform::db::Value;
namespace db = platform::db;

class SchemaTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto c = std::make_shared<db::Connection>();
        c->Open(SqliteConnectionText(folder.path(), ""));
        CreateSystemDatabase(*c);
        CreateAccountDatabase(*c, kDemoAccountDatabase);
    }
    TempFolder folder;
};

TEST_F(SchemaTest, TextKeysIgnoreCaseAndTrailingSpacesAndBadRowsAreRefused) {
    auto c = Open(folder.path());
    c->Execute("INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) "
               "VALUES ('VA0100000001', 'VA01', 'Anna')");
    auto update = c->Prepare("UPDATE Ven_Contact SET cMemo = ? WHERE cContactCode = ?");
    for (std::string_view spelling : {"va0100000001", "VA0100000001  ", "Va0100000001"}) {
        update->Bind(1, std::string(spelling));
        update->Bind(2, std::string(spelling));
        EXPECT_EQ(update->Execute(), 1) << "'" << spelling << "' did not find the contact";
    }
    const std::pair<std::string, std::string> refused[] = {
        {"INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) VALUES ('va0100000001', 'VA01', 'B')",
         "a code differing only in case"},
        {"INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) VALUES ('', 'V', 'a')", "empty code"},
        {"INSERT INTO Ven_Contact (cContactCode, cVenCode) VALUES ('V00000001', 'V')", "no name"},
        {"INSERT INTO Crm_BaseCode (cType, cName) VALUES ('Sex', 'x'), ('sex', 'X')", "duplicate list name"},
        {"INSERT INTO userdef (cClass, cItem, cItemType) VALUES ('c', 'i', 'money')", "unknown item type"},
    };
    for (const auto& [sql, what] : refused) {
        EXPECT_EQ(sovrel::test::Thrown([&] { c->Execute(sql); }).Number(), platform::errnum::ConstraintViolated) << what;
    }
    EXPECT_EQ(Scalar(*c, "SELECT count(*) FROM Ven_Contact").ToInt(), 1);
    EXPECT_EQ(Scalar(*c, "SELECT count(*) FROM Crm_BaseCode").ToInt(), 0);

    auto system = Open(folder.path(), kSystemDatabase);
    EXPECT_THROW(system->Execute("INSERT INTO UA_User (cUser_Id, cUser_Name, cLanguage) VALUES ('u', 'U', 'fr-FR')"),
                 platform::Error);
    EXPECT_THROW(system->Execute("INSERT INTO UA_ColAuth (cUser_Id, cBusObId, cFuncId, cColumns) VALUES ('u', 'vendor', 'X', '')"),
                 platform::Error);
}


TEST_F(SchemaTest, NewContactWithoutOidGetsAGuidText) {
    auto c = Open(folder.path());
    c->Execute("INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) VALUES ('X1', 'X', 'a'), "
               "('X2', 'X', 'b')");
    const auto oids = Column(*c, "SELECT oid FROM Ven_Contact");
    ASSERT_EQ(oids.size(), 2u);
    EXPECT_NE(oids[0], oids[1]);
    const std::regex guid("\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
    for (const auto& oid : oids) EXPECT_TRUE(std::regex_match(oid, guid)) << oid;
}

TEST_F(SchemaTest, CreatingAnExistingDatabaseFailsAndKeepsItsRows) {
    {
        auto c = Open(folder.path());
        c->Execute("INSERT INTO Department (cDepCode, cDepName) VALUES ('01', 'kept')");
    }
    auto c = std::make_shared<db::Connection>();
    c->Open(SqliteConnectionText(folder.path(), ""));
    EXPECT_THROW(CreateAccountDatabase(*c, kDemoAccountDatabase), platform::Error);
    EXPECT_THROW(CreateSystemDatabase(*c), platform::Error);
    EXPECT_EQ(Scalar(*Open(folder.path()), "SELECT cDepName FROM Department").ToText(), "kept");
}

TEST(SchemaScripts, UnknownProviderIsNamed) {
    for (auto script : {&AccountSql, &SystemSql}) {
        EXPECT_FALSE(script("sqlite").empty());
        const std::string refusal = sovrel::test::Thrown([&] { script("Oracle"); }).Description();
        EXPECT_NE(refusal.find("Oracle"), std::string::npos) << refusal;
    }
    EXPECT_THROW(SqliteConnectionText("/tmp/a;b"), platform::Error);
}

}  // namespace
}  // namespace schema::test
