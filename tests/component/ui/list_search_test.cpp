// The list's quick search on each backend against a plain full query read by the client library
// alone: the rows the search's index narrows to, a page at a time, are the rows six LIKEs over
// every contact give, after contacts were added, changed and deleted. Select All's mail reads
// the list's contacts by its own conditions: the same recipients as the contacts named by code.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <vector>

#include "backends.h"
#include "../support/fakes.h"
#include "common/hosts/login.h"
#include "common/sql_text.h"
#include "platform/db/connection.h"
#include "platform/db/dialect.h"
#include "platform/db/rowset.h"
#include "sqlite/functions.h"
#include "ui/list/list_statement.h"
#include "ui/messaging/cls_contact.h"

namespace sovrel::test {
namespace {

using platform::db::CursorKind;

// The codes (second column) a translated statement gives, read by sqlite3 (with Sovrel's functions, which the
// statement calls) or libpq alone.
std::vector<std::string> ClientLibraryCodes(const Place& place, const std::string& text, const std::string& tsql) {
    std::vector<std::string> codes;
    if (place.backend() == Backend::Sqlite) {
        const std::string sql = platform::db::SqliteDialect().Translate(tsql).at(0).sql;
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2((place.folder() + "/TKDATA_001_2024.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        RegisterSqlServerFunctions(db);
        sqlite3_stmt* s = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        while (s && sqlite3_step(s) == SQLITE_ROW) codes.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)));
        sqlite3_finalize(s);
        sqlite3_close(db);
        return codes;
    }
    const std::string sql = platform::db::PostgresDialect().Translate(tsql).at(0).sql;
    const auto info = platform::db::ConnectionInfo::Parse(text);
    PGconn* pg = PQconnectdb(("host='" + info.dataSource + "' port=" + info.port + " user='" + info.user +
                              "' dbname=tkdata_001_2024 client_encoding=UTF8").c_str());
    EXPECT_EQ(PQstatus(pg), CONNECTION_OK) << PQerrorMessage(pg);
    PGresult* r = PQexec(pg, sql.c_str());
    EXPECT_EQ(PQresultStatus(r), PGRES_TUPLES_OK) << PQerrorMessage(pg) << sql;
    for (int row = 0; row < PQntuples(r); ++row) codes.emplace_back(PQgetvalue(r, row, 1));
    PQclear(r);
    PQfinish(pg);
    return codes;
}

// Every code of a rowset, read a page at a time in pages of 2 (the first, then on).
std::vector<std::string> PagedCodes(platform::db::Connection& conn, const std::string& sql) {
    auto rs = conn.OpenRowset(sql, CursorKind::Paged);
    std::vector<std::string> codes;
    if (rs->RecordCount() == 0) return codes;
    rs->SetPageSize(2);
    for (long page = 1; page <= rs->PageCount(); ++page) {
        rs->SetAbsolutePage(page);
        for (long n = 0; n < 2 && !rs->Eof(); ++n, rs->MoveNext()) codes.push_back(rs->Get(1).ToText());
    }
    return codes;
}

class ListSearchTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        SOVREL_SKIP_UNLESS_AVAILABLE(place);
        text = CreateFixedAccount(place);
        conn.Open(text);
        // Written after the account was made: the index follows every add, change and delete.
        const char* writes[] = {
            "INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName, cEmail) VALUES "
            "(N'V0300000001', N'V03', N'Zoë O''Brien', N'OBrien@Example.cn')",
            "INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName, cOfficePhone) VALUES "
            "(N'V0300000002', N'V03', N'\u212Aelvin Lab', N'0571-8888')",  // the Kelvin sign folds to k
            "INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) VALUES (N'V0300000003', N'V03', N'ΟΔΟΣ Caſtle')",
            "INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName, cMobilePhone) VALUES "
            "(N'V0300000004', N'V03', N'欧阳子轩', N'13912345678')",
            "INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName, cHomePhone) VALUES "
            "(N'V0300000005', N'V03', N'50% _off_ [x]', N'0571-8888')",
            "INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) VALUES (N'V0300000006', N'V03', N'Dora Gone')",
            // Georgian capitals, which fold to the small letters (a full-text index of its own folds none).
            "INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) VALUES (N'V0300000008', N'V03', N'ᲐᲑᲒ Tbilisi')",
            "UPDATE Ven_Contact SET cMobilePhone = N'13800001111' WHERE cContactCode = N'V0300000004'",
            "UPDATE Ven_Contact SET cContactCode = N'V0300000007' WHERE cContactCode = N'V0300000002'",
            "DELETE FROM Ven_Contact WHERE cContactCode = N'V0300000006'",
        };
        for (const char* sql : writes) conn.Execute(sql);
    }
    // The list's statement for the typed text, and the same list with the six LIKEs alone.
    std::pair<std::string, std::string> Statements(const std::string& typed, const std::string& rowAuth = "(1=1)") const {
        ListQuery q{"'' AS cSelect, Ven_Contact.cContactCode AS cContactCode, vendor.cVenName AS cVenName", rowAuth, "", "", "",
                    "", typed};
        // A server has no table of search texts: the list goes without it after the first try.
        q.searchTexts = GetParam() == Backend::Sqlite;
        const std::string list = BuildListStatement(q);
        q.search.clear();
        std::string plain = BuildListStatement(q);
        std::string any;
        for (const char* column : {"cContactCode", "cContactName", "cOfficePhone", "cHomePhone", "cMobilePhone", "cEmail"})
            any += std::string(any.empty() ? "" : " OR ") + "Ven_Contact." + column + " LIKE " + SqlLikeContains(typed);
        const std::size_t order = plain.rfind(" ORDER BY");
        plain.insert(order, " AND (" + any + ")");
        return {list, plain};
    }
    Place place{GetParam()};
    std::string text;
    platform::db::Connection conn;
};

TEST_P(ListSearchTest, TheIndexNarrowsToTheRowsSixLikesOverEveryContactGive) {
    const bool sqlite = GetParam() == Backend::Sqlite;
    // Which table narrows the search: the trigrams, or (on SQLite) the texts read whole.
    constexpr const char* kTrigrams = "Ven_ContactSearch WHERE";
    constexpr const char* kTexts = "Ven_ContactSearchText WHERE";
    const struct {
        const char* typed;
        const char* narrowedBy;
        std::vector<std::string> codes;  // on SQLite; on PostgreSQL the plain query decides
    } cases[] = {
        {"obrien", kTrigrams, {"V0300000001"}},
        {"O'Brien", kTrigrams, {"V0300000001"}},
        {"OBRIEN@EXAMPLE", kTrigrams, {"V0300000001"}},
        {"kelvin", kTrigrams, {"V0300000007"}},
        {"V0300000002", kTrigrams, {}},  // the code it had
        {"V0300000007", kTrigrams, {"V0300000007"}},
        {"castle", kTrigrams, {"V0300000003"}},  // ſ folds to s
        {"caſtle", kTexts, {"V0300000003"}},
        {"οδοσ", kTrigrams, {"V0300000003"}},
        {"ΟΔΟΣ", kTexts, {"V0300000003"}},
        {"阳子轩", kTrigrams, {"V0300000004"}},
        {"აბგ", kTrigrams, {"V0300000008"}},
        {"13912345678", kTrigrams, {}},  // the number it had
        {"0000111", kTrigrams, {"V0300000004"}},
        {"Dora", kTrigrams, {}},
        {"571-8888", kTrigrams, {"V0300000005", "V0300000007"}},
        {"50%", kTexts, {"V0300000005"}},
        {"_off_", kTexts, {"V0300000005"}},
        {"[x]", kTexts, {"V0300000005"}},
        {"x'); DROP TABLE Ven_Contact; --", kTexts, {}},
        {"V01", kTrigrams, {"V0100000001", "V0100000002", "V0100000003", "V0100000004"}},
        // Too short for the trigrams: one or two characters, in either case, wildcards as typed.
        {"阳子", kTexts, {"V0300000004"}},
        {"阳", kTexts, {"V0300000004"}},
        {"Ë", kTexts, {"V0300000001"}},         // Zoë
        {"oË", kTexts, {"V0300000001"}},
        {"ΟΣ", kTexts, {"V0300000003"}},
        {"K", kTexts, {"V0200000002", "V0300000007"}},  // the Kelvin sign too
        {"Ა", kTexts, {"V0300000008"}},         // a Georgian capital
        {"ſ", kTexts, {"V0200000001", "V0200000002", "V0300000003", "V0300000008"}},  // long s finds every s
        {"'B", kTexts, {"V0300000001"}},
        {"11", kTexts, {"V0300000004"}},        // the number it has now
        {"%", kTexts, {"V0300000005"}},
        {"_", kTexts, {"V0300000005"}},
        {"[", kTexts, {"V0300000005"}},
        {"x]", kTexts, {"V0300000005"}},
        {"0%", kTexts, {"V0300000005"}},
        {"1\nZoË", kTexts, {}},                // not across a contact's two texts
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const auto [list, plain] = Statements(c.typed);
        if (sqlite || c.narrowedBy == kTrigrams) EXPECT_NE(list.find(c.narrowedBy), std::string::npos) << list;
        else EXPECT_EQ(list.find("Ven_ContactSearch"), std::string::npos) << list;
        const std::vector<std::string> expected = ClientLibraryCodes(place, text, plain);
        if (sqlite) {
            EXPECT_EQ(expected, c.codes);
        }
        EXPECT_EQ(PagedCodes(conn, list), expected);
    }
    // The row authority holds with the index: V03 is not the user's.
    const std::string id = conn.OpenRowset("SELECT iId FROM vendor WHERE cVenCode = N'V01'")->Get(std::size_t{0}).ToText();
    const auto [list, plain] = Statements("571-8888", "vendor.iId in (" + id + ")");
    EXPECT_EQ(PagedCodes(conn, list), ClientLibraryCodes(place, text, plain));
    EXPECT_EQ(PagedCodes(conn, list), std::vector<std::string>{});
}


std::vector<std::string> Sorted(const std::string& addresses) {
    std::vector<std::string> parts;
    for (std::size_t from = 0; from < addresses.size();) {
        const std::size_t semi = std::min(addresses.find(';', from), addresses.size());
        parts.push_back(addresses.substr(from, semi - from));
        from = semi + 1;
    }
    std::sort(parts.begin(), parts.end());
    return parts;
}

TEST_P(ListSearchTest, SelectAllMailsTheSameRecipientsAsTheListsCodesWithoutNamingThem) {
    const char* writes[] = {
        "UPDATE vendor SET cVenEmail = N' info@v01.test ' WHERE cVenCode = N'V01'",
        "UPDATE vendor SET cVenEmail = N'INFO@v01.test' WHERE cVenCode = N'V02'",
        "UPDATE Ven_Contact SET cEmail = N'  ' WHERE cContactCode = N'V0200000001'",  // V02's only one without
        "UPDATE vendor SET cVenEmail = N'o''brien@v03.test' WHERE cVenCode = N'V03'",
        "UPDATE Ven_Contact SET cEmail = N'   ' WHERE cContactCode = N'V0100000002'",
        "UPDATE Ven_Contact SET cEmail = NULL WHERE cContactCode = N'V0100000003'",
        "UPDATE Ven_Contact SET cEmail = N'dup@x.test' WHERE cContactCode IN (N'V0300000003', N'V0300000004')",
        "UPDATE Ven_Contact SET cEmail = N'' WHERE cContactCode = N'V0300000005'",
    };
    for (const char* sql : writes) conn.Execute(sql);
    const std::string v01 = conn.OpenRowset("SELECT iId FROM vendor WHERE cVenCode = N'V01'")->Get(std::size_t{0}).ToText();
    const std::string select = "'' AS cSelect, Ven_Contact.cContactCode AS cContactCode, vendor.cVenName AS cVenName";
    struct Case {
        const char* name;
        ListQuery query;
    } cases[] = {
        {"every contact", {select, "(1=1)"}},
        {"the user's vendors", {select, "vendor.iId in (" + v01 + ")"}},
        {"one vendor", {select, "(1=1)", "V03"}},
        {"a condition", {select, "(1=1)", "", " Ven_Contact.cVenCode <> N'V02' "}},
        {"a filter on a joined table", {select, "(1=1)", "", "", "vendor.cVenCode = N'V03' AND Ven_Contact.cContactName LIKE N'%O''Brien%'"}},
        {"an indexed search", {select, "(1=1)", "", "", "", "", "571-8888"}},
        {"a short search", {select, "(1=1)", "", "", "", "", "阳子"}},
        {"a search by initials", {select, "(1=1)", "", "", "", "", "zz", {"V0100000002", "V0300000004"}}},
        {"sorted by a joined column", {select, "(1=1)", "", "", "", "vendor.cVenName DESC"}},
        {"no contact", {select, "(1=1)", "", " 1=0 "}},
    };
    const auto login = std::make_shared<fakes::Login>();
    login->db = text;  // the mail class needs only the account's connection text
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.query.searchTexts = GetParam() == Backend::Sqlite;  // a server has no table of search texts
        const std::vector<std::string> codes = ClientLibraryCodes(place, text, BuildListStatement(c.query));
        const std::string byCode = clsContact().ContactAddresses(QuotedCodeList(codes), login);
        const MailRecipients all = ListMailRecipients(c.query);
        EXPECT_TRUE(all.codeList.empty());
        const std::string listed = clsContact().ContactAddresses(all, login);
        EXPECT_EQ(Sorted(listed), Sorted(byCode)) << listed;
        if (std::string(c.name) == "one vendor") {  // own addresses by code, each as often as held; then the vendor's
            EXPECT_EQ(listed, "OBrien@Example.cn;dup@x.test;dup@x.test;o'brien@v03.test");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, ListSearchTest, ::testing::ValuesIn(kBackends), BackendTestName);

}  // namespace
}  // namespace sovrel::test
