// A rowset read a page at a time against the same query read whole: the pages are cut where the
// cache's pages end, and more rows than it keeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "test_account.h"

using platform::db::Connection;
using platform::db::CursorKind;
using platform::db::Rowset;
using sovrel::test::Backend;

namespace {

constexpr int kContacts = 9000;  // eighteen pages of the cache's 500 rows: it keeps eight and reads them ahead

std::string Line(const Rowset& rs) {
    std::string line;
    for (std::size_t i = 0; i < rs.FieldCount(); ++i) {
        const auto v = rs.Get(i);
        line += (i ? "|" : "") + (v.IsNull() ? std::string("<null>") : v.ToText());
    }
    return line;
}

// Every row from the current one on.
std::vector<std::string> Rest(Rowset& rs) {
    std::vector<std::string> lines;
    for (; !rs.Eof(); rs.MoveNext()) lines.push_back(Line(rs));
    return lines;
}

std::vector<std::string> All(Rowset& rs) {
    if (rs.RecordCount() > 0) rs.MoveFirst();
    return Rest(rs);
}

std::vector<std::string> Page(Rowset& rs, long page) {
    std::vector<std::string> lines;
    rs.SetAbsolutePage(page);
    for (long n = 0; n < rs.PageSize() && !rs.Eof(); ++n, rs.MoveNext()) lines.push_back(Line(rs));
    return lines;
}

class PagedRowsetTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        SOVREL_SKIP_UNLESS_AVAILABLE(place);
        text = sovrel::test::SmallAccount(place, kContacts);
        conn = sovrel::test::Open(text);
    }
    sovrel::test::Place place{GetParam()};
    std::string text;
    std::shared_ptr<Connection> conn;
};

TEST_P(PagedRowsetTest, BehavesAsTheSameQueryReadWhole) {
    const struct {
        const char* sql;
        const char* filter;
    } cases[] = {
        {"SELECT cCode, cName, nAmount, dBirthday FROM Contact ORDER BY cCode", "cName LIKE '王*'"},
        // Joined lookups, an ORDER BY by position and a condition.
        {"SELECT c.cCode, v.cVenName, c.iCount FROM Contact c LEFT JOIN Vendor v ON v.cVenCode = c.cVenCode "
         "WHERE c.iCount > 100 ORDER BY 2 DESC, c.cCode",
         "cVenName = 'Acme Trading' AND iCount < 2000"},
        // By an alias, in an order whose ties the key settles.
        {"SELECT cName AS who, cCode, bMajor FROM Contact WHERE cName LIKE N'王%' OR bMajor = 1 ORDER BY who DESC, cCode",
         "bMajor = True"},
        // Not cut by the key: read on from the start.
        {"SELECT DISTINCT cVenCode, iCount FROM Contact WHERE iCount < 1300 ORDER BY iCount, cVenCode", "cVenCode = 'V01'"},
        {"SELECT TOP 2100 cCode FROM Contact ORDER BY cCode DESC", "cCode LIKE '*7'"},
        {"SELECT cVenCode, COUNT(*) AS n FROM Contact GROUP BY cVenCode ORDER BY cVenCode", "n > 0"},
        // Looked up by a column that is no key: each contact once per contact of its vendor, so
        // the count keeps the join.
        {"SELECT c.cCode, d.cCode AS other FROM Contact c LEFT JOIN Contact d ON d.cVenCode = c.cVenCode "
         "LEFT JOIN Vendor v ON v.cVenCode = c.cVenCode WHERE c.iCount <= 2 ORDER BY c.cCode, d.cCode",
         "other LIKE '*1'"},
        // Each contact twice: the base table's key is not the rows' key.
        {"SELECT c.cCode, v.cVenName FROM Contact c, Vendor v WHERE c.iCount <= 4500 ORDER BY v.cVenName, c.cCode",
         "cVenName = 'Acme Trading'"},
        // Ordered by a joined column and by a column no index orders.
        {"SELECT c.cCode, v.cVenName FROM Contact c LEFT JOIN Vendor v ON v.cVenCode = c.cVenCode "
         "ORDER BY v.cVenName DESC, c.cCode", "cVenName = 'Acme Trading'"},
        {"SELECT cName, cCode FROM Contact WHERE iCount > 10 ORDER BY cName, cCode", "cName LIKE 'Li*'"},
        // Sorted whole, a row per key: as many rows as the cache keeps, one more, fewer.
        {"SELECT c.cCode, v.cVenName, c.cName FROM Contact c LEFT JOIN Vendor v ON v.cVenCode = c.cVenCode "
         "WHERE c.iCount <= 4000 ORDER BY c.cName DESC, c.cCode", "cVenName = 'Acme Trading'"},
        {"SELECT cName, cCode FROM Contact WHERE iCount <= 4001 ORDER BY cName, cCode", "cName LIKE 'Li*'"},
        {"SELECT cName, cCode FROM Contact WHERE iCount BETWEEN 10 AND 709 ORDER BY cName, cCode", "cName LIKE 'Li*'"},
        // ... but a key of several rows, some of which the condition drops.
        {"SELECT c.cCode, d.cName FROM Contact c LEFT JOIN Contact d ON d.cVenCode = c.cVenCode "
         "WHERE c.iCount <= 2 AND d.iCount <= 3 ORDER BY d.cName, c.cCode", "cName LIKE 'Li*'"},
        {"SELECT c.cCode, v.cVenName FROM Contact c, Vendor v WHERE v.cVenName = 'Acme Trading' AND c.iCount <= 300 "
         "ORDER BY c.cName, c.cCode", "cCode LIKE '*7'"},
        {"SELECT cCode FROM Contact WHERE 1 = 0 ORDER BY cCode", "cCode = 'x'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        auto whole = conn->OpenRowset(c.sql);
        auto paged = conn->OpenRowset(c.sql, CursorKind::Paged);
        ASSERT_EQ(paged->RecordCount(), whole->RecordCount());
        ASSERT_EQ(paged->FieldCount(), whole->FieldCount());
        for (std::size_t i = 0; i < whole->FieldCount(); ++i) {
            EXPECT_EQ(paged->Field(i).name, whole->Field(i).name);
            EXPECT_EQ(paged->Field(i).type, whole->Field(i).type) << whole->Field(i).name;
        }
        const long count = whole->RecordCount();
        if (count > 0) {
            // Pages of 300 cut across the cache's pages of 500: the last first, far past the
            // pages read at the start, then one between, then the first pages, lost by then.
            paged->SetPageSize(300);
            whole->SetPageSize(300);
            ASSERT_EQ(paged->PageCount(), whole->PageCount());
            const long pages = whole->PageCount();
            for (long page : {pages, std::min(17L, pages), std::min(2L, pages), 1L}) {
                EXPECT_EQ(Page(*paged, page), Page(*whole, page)) << "page " << page;
                EXPECT_EQ(paged->AbsolutePage(), whole->AbsolutePage());
            }
            // Moving over the edge of a cached page, and a clone that keeps its own place.
            const long edge = std::min(count, 500L);
            paged->SetAbsolutePosition(edge);
            whole->SetAbsolutePosition(edge);
            auto clone = paged->Clone();
            clone->MoveLast();
            paged->MoveNext();
            whole->MoveNext();
            EXPECT_EQ(paged->Eof(), whole->Eof());
            if (!whole->Eof()) {
                EXPECT_EQ(Line(*paged), Line(*whole));
            }
            paged->Move(-2);
            whole->Move(-2);
            EXPECT_EQ(Line(*paged), Line(*whole));
            whole->MoveLast();
            EXPECT_EQ(Line(*clone), Line(*whole));
            EXPECT_EQ(clone->AbsolutePosition(), count);
            // On from the middle to the end, as a search through the list reads.
            clone->SetAbsolutePosition(count / 2 + 1);
            whole->SetAbsolutePosition(count / 2 + 1);
            EXPECT_EQ(Rest(*clone), Rest(*whole));
        }
        EXPECT_EQ(All(*paged), All(*whole));
        paged->SetFilter(c.filter);
        whole->SetFilter(c.filter);
        EXPECT_EQ(paged->RecordCount(), whole->RecordCount()) << c.filter;
        EXPECT_EQ(Rest(*paged), Rest(*whole)) << c.filter;
    }
}

TEST_P(PagedRowsetTest, AnotherUsersWritesBetweenPagesNeitherRepeatNorDropARow) {
    // Pages found by their keys, and pages read on from the start again (a TOP is not cut by key).
    const char* queries[] = {"SELECT cCode, cName FROM Contact ORDER BY cCode",
                             "SELECT TOP 100000 cCode, cName FROM Contact ORDER BY cCode"};
    auto other = sovrel::test::Open(text);
    for (int q = 0; q < 2; ++q) {
        SCOPED_TRACE(queries[q]);
        const std::vector<std::string> expected = All(*conn->OpenRowset(queries[q]));
        auto paged = conn->OpenRowset(queries[q], CursorKind::Paged);
        paged->SetPageSize(500);
        // Read to the end once: the first pages leave the cache and are read again below.
        ASSERT_EQ(All(*paged), expected);

        // Another process adds a row ahead of every page, deletes one on the second and renames
        // one on the third while the list is open.
        auto code = [&](std::size_t row) { return expected[row].substr(0, expected[row].find('|')); };
        other->Execute("INSERT INTO Contact (oid, cCode, cName) VALUES (N'{new" + std::to_string(q) + "}', N'V000" +
                       std::to_string(q) + "', N'O''Brien')");
        EXPECT_EQ(other->Execute("DELETE FROM Contact WHERE cCode = N'" + code(700) + "'"), 1);
        other->Execute("UPDATE Contact SET cName = N'changed' WHERE cCode = N'" + code(1200) + "'");

        EXPECT_EQ(paged->RecordCount(), static_cast<long>(expected.size()));
        // From the last page back, each page read again where the cache lost it.
        std::vector<std::vector<std::string>> pages(static_cast<std::size_t>(paged->PageCount()));
        for (long page = paged->PageCount(); page >= 1; --page) pages[static_cast<std::size_t>(page - 1)] = Page(*paged, page);
        std::vector<std::string> seen;
        for (const auto& rows : pages) seen.insert(seen.end(), rows.begin(), rows.end());
        EXPECT_EQ(seen, expected);

        // Opened again, the list is the database's rows now.
        auto now = conn->OpenRowset(queries[q]);
        auto again = conn->OpenRowset(queries[q], CursorKind::Paged);
        EXPECT_EQ(again->RecordCount(), now->RecordCount());
        EXPECT_EQ(All(*again), All(*now));
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, PagedRowsetTest, ::testing::ValuesIn(sovrel::test::kBackends),
                         sovrel::test::BackendTestName);

}  // namespace
