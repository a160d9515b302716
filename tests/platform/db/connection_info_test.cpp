#include <gtest/gtest.h>

#include "platform/db/connection.h"
#include "platform/error.h"
#include "test_account.h"
#include "thrown.h"

using platform::Error;
using platform::db::Connection;
using platform::db::ConnectionInfo;

TEST(ConnectionInfo, ReadsKeysWithoutRegardToCaseAndSkipsUnknownAndMalformedParts) {
    auto info = ConnectionInfo::Parse(
        " provider = SQLite ;Persist Security Info=False; DATA SOURCE=/srv/acc; initial catalog=TKDATA_007_2016;"
        "User ID=sa;Password='p;w'");
    EXPECT_EQ(info.provider, "SQLite");
    EXPECT_EQ(info.dataSource, "/srv/acc");
    EXPECT_EQ(info.catalog, "TKDATA_007_2016");
    EXPECT_EQ(info.user, "sa");
    EXPECT_EQ(info.other.count("persist security info"), 1u);
    info = ConnectionInfo::Parse(";;novalue;Provider=SQLite;=x;");
    EXPECT_EQ(info.provider, "SQLite");
    EXPECT_TRUE(info.dataSource.empty());
}

TEST(ConnectionOpen, ReportsWhatIsMissingInTheConnectionText) {
    const sovrel::test::Place place(sovrel::test::Backend::Sqlite);
    const std::string dir = place.folder();
    const struct { std::string text, expected; } cases[] = {
        {"Data Source=" + dir, "names no Provider"},
        {"Provider=SQLOLEDB;Data Source=" + dir, "'SQLOLEDB' is not available"},
        {"Provider=SQLite", "names no Data Source"},
        {"Provider=SQLite;Data Source=" + dir + "/nowhere", "folder '" + dir + "/nowhere' does not exist"},
        {place.ConnectionText("TKDATA_009_2030"), "database 'TKDATA_009_2030' does not exist"},
    };
    for (const auto& c : cases) {
        Connection conn;
        const Error e = sovrel::test::Thrown([&] { conn.Open(c.text); });
        EXPECT_EQ(e.Number(), platform::errnum::ConnectionFailed) << c.text;
        EXPECT_NE(e.Description().find(c.expected), std::string::npos) << e.Description();
        EXPECT_EQ(conn.State(), 0);
    }
    // Database names ignore case.
    sovrel::test::CreateDatabase(place, "TKDATA_001_2024", "CREATE TABLE t (a int);");
    Connection conn;
    conn.Open(place.ConnectionText("tkdata_001_2024"));
    EXPECT_EQ(conn.CurrentDatabase(), "TKDATA_001_2024");
    EXPECT_EQ(conn.State(), 1);
}
