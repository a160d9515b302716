// The table definitions: both databases create, every table has a key, text compares as SQL
// Server does, and the declared types give the fields the component relies on.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <regex>
#include <set>

#include "platform/db/field.h"
#include "platform/error.h"
#include "schema/schema.h"
#include "support.h"

namespace schema::test {
namespace {

using platform::db::Value;
namespace db = platform::db;

struct ColumnMeta {
    std::string table, name, declared, collation;
    bool primaryKey = false;
};

// Reads the tables and columns straight from the file: structure, not behaviour.
std::vector<ColumnMeta> ReadColumns(const std::string& file) {
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(raw);
        throw std::runtime_error("cannot open " + file);
    }
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, sqlite3_close);
    std::vector<ColumnMeta> columns;
    sqlite3_stmt* tables = nullptr;
    sqlite3_prepare_v2(raw,
                       "SELECT m.name, c.name FROM sqlite_master m, pragma_table_info(m.name) c "
                       "WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite%' ORDER BY m.name, c.cid",
                       -1, &tables, nullptr);
    while (sqlite3_step(tables) == SQLITE_ROW) {
        ColumnMeta m;
        m.table = reinterpret_cast<const char*>(sqlite3_column_text(tables, 0));
        m.name = reinterpret_cast<const char*>(sqlite3_column_text(tables, 1));
        const char* type = nullptr;
        const char* collation = nullptr;
        int notNull = 0, pk = 0, autoinc = 0;
        if (sqlite3_table_column_metadata(raw, nullptr, m.table.c_str(), m.name.c_str(), &type,
                                          &collation, &notNull, &pk, &autoinc) == SQLITE_OK) {
            m.declared = type ? type : "";
            m.collation = collation ? collation : "";
            m.primaryKey = pk != 0;
        }
        columns.push_back(m);
    }
    sqlite3_finalize(tables);
    return columns;
}

class SchemaTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto c = std::make_shared<db::Connection>();
        c->Open(SqliteConnectionText(folder.path(), ""));
        CreateSystemDatabase(*c);
        CreateAccountDatabase(*c, kDemoAccountDatabase);
    }
    std::string File(std::string_view name) const { return folder.path() + "/" + std::string(name) + ".db"; }
    TempFolder folder;
};

// Rows are written back by key, text must compare without case, and the layer must know
// every declared type to report field types and sizes.
TEST_F(SchemaTest, BothDatabasesHoldTheirTablesEachWithAKeyTheCollationAndKnownTypes) {
    const std::pair<std::string_view, std::set<std::string>> expected[] = {
        {kDemoAccountDatabase,
         {"Crm_BaseCode", "Crm_VisitLog", "Department", "PO_Pomain", "Person", "RowVersionCounter",
          "Rpt_GRPDef", "Ven_Contact", "crm_ref_relation", "userdef", "userdefine", "vendor"}},
        {kSystemDatabase,
         {"UA_Account", "UA_Account_Sub", "UA_ColAuth", "UA_ColumnSet", "UA_FuncRight",
          "UA_Function", "UA_Lock", "UA_Login", "UA_LoginLog", "UA_PrintStyle", "UA_RowAuth", "UA_Setting", "UA_User"}},
    };
    for (const auto& [database, tables] : expected) {
        std::map<std::string, int> keyColumns;
        std::set<std::string> found;
        for (const auto& c : ReadColumns(File(database))) {
            found.insert(c.table);
            keyColumns[c.table] += c.primaryKey;
            db::FieldInfo info;
            EXPECT_TRUE(db::ApplyDeclaredType(c.declared, info))
                << c.table << "." << c.name << " has type '" << c.declared << "'";
            const bool text = info.type == db::adVarWChar || info.type == db::adWChar ||
                              info.type == db::adLongVarWChar;
            if (text) {
                EXPECT_EQ(c.collation, "NOCASE") << c.table << "." << c.name;
            }
        }
        EXPECT_EQ(found, tables) << database;
        for (const auto& [table, keys] : keyColumns) {
            EXPECT_GT(keys, 0) << table << " has no primary key";
        }
    }
}

TEST_F(SchemaTest, ContactFieldsHaveTheTypesTheComponentReadsThem) {
    auto c = Open(folder.path());
    struct Expect {
        std::string_view table, column;
        int type;
        long size;  // 0: not checked
    };
    const Expect expected[] = {
        {"Ven_Contact", "oid", db::adVarWChar, 38},
        {"Ven_Contact", "cContactCode", db::adVarWChar, 30},
        {"Ven_Contact", "cContactName", db::adVarWChar, 40},
        {"Ven_Contact", "bcSexID", db::adInteger, 0},
        {"Ven_Contact", "bcDutyID", db::adInteger, 0},
        {"Ven_Contact", "bcTasteID", db::adInteger, 0},
        {"Ven_Contact", "bcMarriageID", db::adInteger, 0},
        {"Ven_Contact", "bMajor", db::adBoolean, 0},
        {"Ven_Contact", "dBirthday", db::adDBTimeStamp, 0},
        {"Ven_Contact", "dCreateDate", db::adDBTimeStamp, 0},
        {"Ven_Contact", "cConDefine1", db::adVarWChar, 120},
        {"Ven_Contact", "cConDefine11", db::adInteger, 0},
        {"Ven_Contact", "cConDefine13", db::adNumeric, 0},
        {"Ven_Contact", "cConDefine15", db::adDBTimeStamp, 0},
        {"Ven_Contact", "tkts", db::adBinary, 8},
        {"Crm_BaseCode", "ID", db::adInteger, 0},
        {"vendor", "iId", db::adInteger, 0},
        {"vendor", "cSovrelCode", db::adVarWChar, 38},
        {"userdef", "bInput", db::adBoolean, 0},
        {"userdef", "iDecimalDigits", db::adUnsignedTinyInt, 0},
    };
    std::map<std::string, std::shared_ptr<db::Rowset>> opened;
    for (const auto& e : expected) {
        auto& rs = opened[std::string(e.table)];
        if (!rs) rs = c->OpenRowset("SELECT * FROM " + std::string(e.table) + " WHERE 1=2");
        const int i = rs->FieldIndex(e.column);
        ASSERT_GE(i, 0) << e.table << "." << e.column;
        EXPECT_EQ(rs->Field(i).type, e.type) << e.table << "." << e.column;
        if (e.size) {
            EXPECT_EQ(rs->Field(i).definedSize, e.size) << e.table << "." << e.column;
        }
    }
}

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
        try {
            c->Execute(sql);
            ADD_FAILURE() << what << " was accepted";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.Number(), platform::errnum::ConstraintViolated) << what << ": " << e.what();
        }
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
    c->Execute("INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) VALUES ('X00000001', 'X', 'a')");
    c->Execute("INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) VALUES ('X00000002', 'X', 'b')");
    const auto oids = Column(*c, "SELECT oid FROM Ven_Contact ORDER BY cContactCode");
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
        try {
            script("Oracle");
            ADD_FAILURE() << "no error for an unknown provider";
        } catch (const platform::Error& e) {
            EXPECT_NE(std::string(e.what()).find("Oracle"), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(SqliteConnectionText("/tmp/a;b"), platform::Error);
}

}  // namespace
}  // namespace schema::test
