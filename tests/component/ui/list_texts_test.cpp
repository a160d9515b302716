// The list's texts: its statement (the joins before the condition, values kept literal, a header
// sort ahead of the settings' order), the range the status bar reads, and what its print hands
// the public utility (the year, the parameter and the widened sizes).
#include <gtest/gtest.h>

#include "common/account_year.h"
#include "ui/list/list_statement.h"
#include "ui/list/print.h"

namespace sovrel::test {
namespace {

TEST(ListStatementTest, JoinsComeBeforeTheConditionAndValuesStayLiterals) {
    const struct {
        ListQuery query;
        std::string expected;
    } cases[] = {
        {{"vendor.cVenName AS cVenName", "(1=1)", "", "", "", "", ""},
         "SELECT vendor.cVenName AS cVenName FROM Ven_Contact  Left join vendor on vendor.cVenCode=Ven_Contact.cVenCode "
         "WHERE ((1=1))   ORDER BY cContactCode"},
        {{"cContactCode", "(1=1)", "O'B", " 1=1 ", "y=2", "z ASC", ""},
         "SELECT cContactCode FROM Ven_Contact WHERE ((1=1))   and Ven_Contact.cVenCode = 'O''B'  AND  1=1  AND y=2 "
         "Order by z ASC"},
    };
    for (const auto& c : cases) EXPECT_EQ(BuildListStatement(c.query), c.expected);
    EXPECT_EQ(QuotedCodeList({"a'b", "c"}), "N'a''b',N'c'");
}

TEST(ListStatementTest, AHeaderSortOrdersByItsFieldAheadOfTheSettingsAndInitialsCodesComeQuoted) {
    const struct {
        long field;
        bool descending;
        const char* settings;
        const char* tail;
    } cases[] = {
        {3, false, "", " Order by 3 ASC, cContactCode"},
        {3, true, "Ven_Contact.cContactName DESC", " Order by 3 DESC, cContactCode"},
        {2, true, "", " Order by 2 DESC"},  // the code itself: named once
        {0, true, "x ASC", " Order by x ASC"},
    };
    for (const auto& c : cases) {
        ListQuery q{"a, b, c", "(1=1)", "", "", "", c.settings, "zs"};
        q.sortField = c.field;
        q.sortDescending = c.descending;
        q.searchCodes = {"V01", "O'B"};
        const std::string sql = BuildListStatement(q);
        EXPECT_EQ(sql.substr(sql.size() - std::string(c.tail).size()), c.tail) << sql;
        EXPECT_NE(sql.find("LIKE N'%zs%') OR Ven_Contact.cContactCode COLLATE Latin1_General_BIN IN (N'V01',N'O''B'))"),
                  std::string::npos)
            << sql;
    }
}

TEST(ListStatementTest, ThePageSpanReadsAsTheStatusBarShowsIt) {
    const struct {
        long total, size, page, first, last;
        const char* grouped;
    } cases[] = {
        {20000, 500, 99, 19501, 20000, "20,000"}, {6, 4, 2, 5, 6, "6"}, {1234567, 10, 0, 1, 10, "1,234,567"},
        {0, 500, 1, 0, 0, "0"},
    };
    for (const auto& c : cases) {
        const PageSpan span = PageRange(c.total, c.size, c.page);
        EXPECT_EQ(span.first, c.first) << c.total << "/" << c.page;
        EXPECT_EQ(span.last, c.last) << c.total << "/" << c.page;
        EXPECT_EQ(GroupedNumber(c.total), c.grouped);
    }
}

TEST(PrintTextsTest, YearParameterAndSizes) {
    const struct {
        const char *dbName, *year;
    } years[] = {
        {"Provider=SQLite;Data Source=/d;Initial CATALOG=TKDATA_001_2024", "2024"},
        {"provider=x;initial catalog=tkdata_002_1999;timeout=5", "1999"},
        {"Initial Catalog=TKDATA_001_20", ""},      // too short for a year
        {"Initial Catalog = TKDATA_001_2024", ""},  // the marker has no spaces
        {"", ""},
    };
    for (const auto& y : years) {
        std::string year = "stale";
        EXPECT_EQ(ReadYear(AccountPart(y.dbName), year), *y.year != '\0') << y.dbName;
        EXPECT_EQ(year, y.year) << y.dbName;
    }
    EXPECT_EQ(list::PrintParameterText("2024"), "<TableName><g_bPrnNo>true</g_bPrnNo><g_Year>2024</g_Year></TableName>");

    const std::pair<const char*, const char*> sizes[] = {
        {",1,8,1,", ",10,8,10,"}, {",11,21,", ",11,21,"}, {",", ","}, {",202,1,", ",202,10,"},
    };
    for (const auto& [in, out] : sizes) EXPECT_EQ(list::WidenSizes(in), out) << in;
}

}  // namespace
}  // namespace sovrel::test
