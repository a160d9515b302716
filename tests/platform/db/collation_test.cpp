// Accounts made by earlier builds declared their text NOCASE (or TSQL_CI) and kept their indexes
// in the layer's order under that name; the layer converts them once, on the first opening for
// writing, to the collation of the account's own name, or leaves them untouched and says why.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "backends.h"
#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "schema/demo.h"
#include "schema/schema.h"
#include "stock_sqlite.h"
#include "thrown.h"

namespace {

using sovrel::test::IntegrityCheck;
using sovrel::test::StockSqlite;

void RawExec(const std::string& file, const std::string& sql) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(raw);
}

// Plain reads, which every tool can do without the extension.
std::string Plain(const std::string& file, const std::string& sql) { return StockSqlite(file, sql, false).output; }

// The file as an earlier build left it: the same indexes in the same order, under `name`.
void MakeEarlier(const std::string& file, const std::string& name) {
    RawExec(file, "PRAGMA writable_schema=ON; UPDATE sqlite_schema SET sql = replace(sql, 'SOVREL_CI', '" + name +
                      "'); PRAGMA user_version=1");
}

std::string Open(const std::string& folder) {
    platform::db::Connection c;
    c.Open(schema::SqliteConnectionText(folder));
    return c.OpenRowset("select count(*) from Ven_Contact")->Get(0).ToText();
}

TEST(EarlierAccount, IsConvertedOnceAndThenChecksOk) {
    for (const std::string name : {"NOCASE", "TSQL_CI"}) {
        sovrel::test::Place place(sovrel::test::Backend::Sqlite);
        schema::CreateFixedAccount(place.folder(), platform::PasswordCost::TestOnly);
        const std::string file = place.folder() + "/" + std::string(schema::kDemoAccountDatabase) + ".db";
        MakeEarlier(file, name);
        const std::string declared = "SELECT count(*) FROM sqlite_schema WHERE sql LIKE '%COLLATE " + name + "%'";
        ASSERT_NE(Plain(file, declared), "0\n");

        Open(place.folder());
        EXPECT_EQ(Plain(file, declared), "0\n") << name;
        EXPECT_EQ(Plain(file, "PRAGMA user_version"), "2\n");
        EXPECT_EQ(IntegrityCheck(file), "ok\n") << name;
        const std::string version = Plain(file, "PRAGMA schema_version");
        Open(place.folder());
        EXPECT_EQ(Plain(file, "PRAGMA schema_version"), version) << "converted a second time";
    }
}

// A stock tool's own NOCASE (or the first build's) put the indexes in code-point order: 周 < 张 < 李.
TEST(EarlierAccount, IndexesInAnotherOrderAreRebuiltInTheCollationsOrder) {
    sovrel::test::Place place(sovrel::test::Backend::Sqlite);
    RawExec(place.folder() + "/names.db",
            "CREATE TABLE t(c TEXT COLLATE NOCASE); CREATE INDEX t_c ON t(c);"
            "INSERT INTO t VALUES ('Anna'), ('周八'), ('张伟'), ('李娜')");
    platform::db::Connection c;
    c.Open("Provider=SQLite;Data Source=" + place.folder() + ";Initial Catalog=names");
    std::string found;
    for (auto rs = c.OpenRowset("select c from t where c > N'李娜' order by c"); !rs->Eof(); rs->MoveNext())
        found += rs->Get(0).ToText() + " ";
    EXPECT_EQ(found, "张伟 周八 ");
    EXPECT_EQ(IntegrityCheck(place.folder() + "/names.db"), "ok\n");
}

// Under SQLite's NOCASE 'ß' and 'ss' differ; under the account's collation they are one value,
// which a unique index cannot hold twice.
TEST(EarlierAccount, AFailedConversionLeavesTheFileAsItWasAndSaysSo) {
    sovrel::test::Place place(sovrel::test::Backend::Sqlite);
    const std::string file = place.folder() + "/names.db";
    RawExec(file, "CREATE TABLE t(c TEXT COLLATE NOCASE UNIQUE); INSERT INTO t VALUES ('Strauß'), ('STRAUSS')");
    const std::string schemaBefore = Plain(file, "SELECT sql FROM sqlite_schema; PRAGMA user_version");
    platform::db::Connection c;
    const std::string refusal =
        sovrel::test::Thrown([&] { c.Open("Provider=SQLite;Data Source=" + place.folder() + ";Initial Catalog=names"); })
            .Description();
    for (const char* part : {"could not be converted", "the file is unchanged", "UNIQUE"})
        EXPECT_NE(refusal.find(part), std::string::npos) << refusal;
    EXPECT_EQ(Plain(file, "SELECT sql FROM sqlite_schema; PRAGMA user_version"), schemaBefore);
    EXPECT_EQ(Plain(file, "PRAGMA integrity_check"), "ok\n");
}

}  // namespace
