// The list's query, its header and the grid it fills.
#include <QLineEdit>

#include "list_fixture.h"
#include "common/screen.h"
#include "ui/list/list_statement.h"

namespace sovrel::test {
namespace {

class GridFillTest : public ListFixture {};

TEST_F(GridFillTest, TheStatementWithAndWithoutVendorConditionFilterAndSort) {
    host.pub->selectList = "'' AS cSelect, Ven_Contact.cContactCode AS cContactCode";
    const std::string select = "SELECT '' AS cSelect, Ven_Contact.cContactCode AS cContactCode FROM Ven_Contact WHERE ";
    const struct {
        const char* vendor;
        const char* where;
        const char* filter;
        const char* sort;
        std::string tail;
    } cases[] = {
        {"", "", "", "", "((1=1))   ORDER BY cContactCode"},
        {"", " 1=1 ", "", "", "((1=1))   AND  1=1  ORDER BY cContactCode"},
        {"V02", "x=1", "y=2", "z ASC", "((1=1))   and Ven_Contact.cVenCode = 'V02'  AND x=1 AND y=2 Order by z ASC"},
        // A condition equal to the filter goes in twice.
        {"", "y=2", "y=2", "", "((1=1))   AND y=2 AND y=2 ORDER BY cContactCode"},
    };
    for (const auto& c : cases) {
        // The window keeps the vendor it was opened for from its load.
        Ctx().VendorCode = c.vendor;
        Reopen();
        Ctx().VendorCode.clear();
        host.pub->sortClause = "";
        Load(ContactRows(2));
        window->SetFilterClause(c.filter);
        host.pub->sortClause = c.sort;
        window->LoadHead();
        ClearLog();
        window->DataRefresh(c.where);
        const auto& calls = host.log.calls;
        auto query = std::find_if(calls.begin(), calls.end(), [](const std::string& s) { return s.rfind("OpenX ", 0) == 0; });
        ASSERT_EQ(host.log.Count("OpenX "), 1);
        EXPECT_EQ(*query, "OpenX " + select + c.tail);
    }
}

TEST_F(GridFillTest, JoinsComeBeforeTheConditionAndValuesStayLiterals) {
    const struct {
        ListQuery query;
        std::string expected;  // the whole statement, or a part of it when whole is false
        bool whole = true;
    } cases[] = {
        {{"vendor.cVenName AS cVenName", "(1=1)", "", "", "", "", ""},
         "SELECT vendor.cVenName AS cVenName FROM Ven_Contact  Left join vendor on vendor.cVenCode=Ven_Contact.cVenCode "
         "WHERE ((1=1))   ORDER BY cContactCode"},
        {{"cContactCode", "(1=1)", "O'B", "", "", "", ""},
         "SELECT cContactCode FROM Ven_Contact WHERE ((1=1))   and Ven_Contact.cVenCode = 'O''B'  ORDER BY cContactCode"},
        {{"cContactCode", "(1=1)", "", "", "cVenCode = N'V01'", "", " 5% "},
         "AND cVenCode = N'V01' AND (Ven_Contact.oid IN (SELECT oid FROM Ven_ContactSearchText WHERE cText LIKE N'%5[%]%') "
         "AND (Ven_Contact.cContactCode LIKE N'%5[%]%' OR ", false},
    };
    for (const auto& c : cases) {
        const std::string sql = BuildListStatement(c.query);
        EXPECT_TRUE(c.whole ? sql == c.expected : sql.find(c.expected) != std::string::npos) << sql;
    }
    EXPECT_EQ(QuotedCodeList({"a'b", "c"}), "N'a''b',N'c'");
    EXPECT_EQ(QuickSearchCondition("  "), "");
}

TEST_F(GridFillTest, AHeaderSortOrdersByItsFieldAheadOfTheSettingsAndInitialsCodesComeQuoted) {
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
        EXPECT_NE(sql.find("LIKE N'%zs%') OR Ven_Contact.cContactCode COLLATE Latin1_General_BIN IN (N'V01',N'O''B'))"), std::string::npos)
            << sql;
    }
}

TEST_F(GridFillTest, NewColumnsDropTheHeaderSortAndItsArrow) {
    host.pub->sortClause = "Ven_Contact.cContactName DESC";
    Load(ContactRows(2));
    ASSERT_EQ(host.grid->Cols(), 5);
    host.grid->HeaderClick(3);
    host.grid->HeaderClick(3);
    EXPECT_EQ(host.grid->sortIndicator, (std::pair<long, int>{3, 2}));
    window->LoadHead();  // the column settings changed
    EXPECT_EQ(host.grid->sortIndicator, (std::pair<long, int>{0, 0}));
    ClearLog();
    window->DataRefresh("");
    ASSERT_EQ(host.log.Count("OpenX "), 1);
    const auto& calls = host.log.calls;
    const std::string sql = *std::find_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("OpenX ", 0) == 0; });
    EXPECT_EQ(sql.substr(sql.find(" Order by")), " Order by Ven_Contact.cContactName DESC") << sql;
}

TEST_F(GridFillTest, ThePageSpanReadsAsTheStatusBarShowsIt) {
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

TEST_F(GridFillTest, FillsOneRowPerRecordAndFormatsFlagsAndDecimals) {
    host.columns->info = "<ColumnSet/>";
    host.pub->digits = {{"nAmount", "2"}};
    host.pub->formatNum = [](const std::string& v, int digits) {
        return v.empty() ? v : v + "|" + std::to_string(digits);
    };
    host.data->onOpenX = [&](const std::string& sql) -> RowsetPtr {
        if (sql.find("Userdef") == std::string::npos) return host.data->openResult;
        if (sql.find("自定义项14") != std::string::npos) return Rowset::CreateDetached({Field("iDecimalDigits", 3)});
        auto item = Rowset::CreateDetached({Field("iDecimalDigits", platform::db::adInteger)});
        item->AddNew();
        item->Set(0, 4);
        item->Update();
        item->MoveFirst();
        return item;
    };
    auto rows = ContactRows(3, {Field("cCondefine13", platform::db::adDouble),
                                Field("ccondefine14", platform::db::adDouble),
                                Field("nAmount", platform::db::adDouble)});
    rows->MoveFirst();
    rows->Set("cCondefine13", 1.5);
    rows->Set("ccondefine14", 2.5);
    rows->Set("nAmount", 7.0);
    rows->Update();
    Load(rows);

    IFlexGrid& g = window->Grid();
    ASSERT_EQ(g.Rows(), 4);
    ASSERT_EQ(g.Cols(), 8);
    EXPECT_EQ(g.TextMatrix(2, 2), "V0100000002");
    EXPECT_EQ(g.TextMatrix(2, 3), "Contact 2");
    EXPECT_EQ(g.TextMatrix(1, 4), "Hx.CRM.COMMON.DispBoolTrue");
    EXPECT_EQ(g.TextMatrix(2, 4), "Hx.CRM.COMMON.DispBoolFalse");
    EXPECT_EQ(g.TextMatrix(1, 5), "1.5|4");  // ccondefine13 with the Userdef query's digits
    EXPECT_EQ(g.TextMatrix(2, 5), "");       // a null stays empty
    EXPECT_EQ(g.TextMatrix(1, 6), "2.5");    // no Userdef row for item 14: left as it is
    EXPECT_EQ(g.TextMatrix(1, 7), "7|2");    // digits from the column settings
    EXPECT_EQ(window->StatusText(), "Hx.CRM.TkContact.frmcontactlist.00044(3)");
    EXPECT_TRUE(host.log.Has("getColInfo Ven_Contact 1"));
    EXPECT_TRUE(host.log.Has(std::string("OpenX SELECT * FROM Userdef WHERE cClass=N'联系人' and cItem=N'自定义项13' and "
                                         "(cItemName <>N'' and cItemName is not null )")));
}

TEST_F(GridFillTest, AFlagReadsTrueWhateverTheCaseOfItsText) {
    auto rows = ContactRows(0);
    window->FillGrid(rows);  // header only
    host.grid->SetRows(4);
    for (const char* text : {"TRUE", "true", "True"}) {
        host.grid->SetTextMatrix(1, 4, text);
        host.grid->SetTextMatrix(2, 4, "False");
        host.grid->SetTextMatrix(3, 4, "yes");
        window->RepairGrid(*rows, 3, 4);
        EXPECT_EQ(host.grid->TextMatrix(1, 4), "Hx.CRM.COMMON.DispBoolTrue") << text;
        EXPECT_EQ(host.grid->TextMatrix(2, 4), "Hx.CRM.COMMON.DispBoolFalse");
        EXPECT_EQ(host.grid->TextMatrix(3, 4), "Hx.CRM.COMMON.DispBoolFalse");
    }
}

TEST_F(GridFillTest, AnEmptyListLoadsTheHeaderAlone) {
    Load(ContactRows(0));
    EXPECT_EQ(window->Grid().Rows(), 1);
    EXPECT_EQ(window->Grid().TextMatrix(0, 2), kCodeCaption);
    EXPECT_EQ(window->StatusText(), "Hx.CRM.TkContact.frmcontactlist.00044(0)");
    EXPECT_TRUE(window->DataLoaded());
}

TEST_F(GridFillTest, FailuresShowTheirMessageAndKeepTheGrid) {
    Load(ContactRows(2));
    host.data->openResult = nullptr;
    window->DataRefresh("");
    EXPECT_EQ(Messages().back(), "Hx.CRM.TkContact.frmcontactlist.00051");
    EXPECT_EQ(window->Grid().Rows(), 3);
    EXPECT_EQ(window->Grid().TextMatrix(2, 2), "V0100000002");

    host.pub->colSetAnswer = false;
    window->LoadHead();
    EXPECT_EQ(Messages().back(), "Hx.CRM.TkContact.frmcontactlist.00043");
    EXPECT_EQ(window->Grid().TextMatrix(0, 2), kCodeCaption);
}

TEST_F(GridFillTest, TheFirstActivationLoadsTheFirstPageOnce) {
    Load(ContactRows(2));
    EXPECT_EQ(host.log.Count("OpenX"), 1);
    EXPECT_TRUE(host.log.Has("FlipPageFillGrid 500 1"));  // page 1 of 500 rows, not page 0
    EXPECT_EQ(Child<QLineEdit>("EdtiCurPage")->text(), "1");
    ClearLog();
    window->FormActivate();
    EXPECT_TRUE(host.log.calls.empty());
}

}  // namespace
}  // namespace sovrel::test
