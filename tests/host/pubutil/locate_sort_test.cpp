#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "../controls/qt_app.h"
#include "demo_session.h"
#include "common/prog_ids.h"
#include "host/locate.h"
#include "host/pub_util.h"
#include "host/register.h"
#include "platform/object_factory.h"

namespace host::test {
namespace {

// A grid of the list's shape: column 1 the marks, column 2 a row id, the values from column 3.
std::shared_ptr<sovrel::IFlexGrid> Grid(const std::vector<std::vector<std::string>>& values) {
    TestApp();
    RegisterControls();
    auto grid = platform::Create<sovrel::IFlexGrid>(sovrel::progid::FlexGrid);
    const long cols = values.empty() ? 3 : static_cast<long>(values[0].size()) + 3;
    grid->SetRows(static_cast<long>(values.size()) + 1);
    grid->SetCols(cols);
    for (long c = 3; c < cols; ++c) grid->SetTextMatrix(0, c, "Col" + std::to_string(c));
    grid->SetTextMatrix(0, 2, "Id");
    for (std::size_t r = 0; r < values.size(); ++r) {
        grid->SetTextMatrix(static_cast<long>(r) + 1, 2, std::to_string(r));
        for (std::size_t c = 0; c < values[r].size(); ++c)
            grid->SetTextMatrix(static_cast<long>(r) + 1, static_cast<long>(c) + 3, values[r][c]);
    }
    return grid;
}

std::vector<std::string> Column(sovrel::IFlexGrid& grid, long col) {
    std::vector<std::string> out;
    for (long r = 1; r < grid.Rows(); ++r) out.push_back(grid.TextMatrix(r, col));
    return out;
}

TEST(GridSort, ordersNumbersDatesAndNamesAsAClerkExpects) {
    struct Case { const char* what; std::vector<std::string> cells; bool descending; std::vector<std::string> expected; };
    const Case cases[] = {
        // The account's collation, as the list's query sorts: Latin first, then Han by pinyin.
        {"Latin, then pinyin", {"张三", "Adams", "李四", "阿明", "bob", "王五", "", "Zoe"}, false,
         {"", "Adams", "bob", "Zoe", "阿明", "李四", "王五", "张三"}},
        {"numbers as numbers", {"10", "9", "-2", "100", "", "2.3", "-10", "2.25"}, false,
         {"", "-10", "-2", "2.25", "2.3", "9", "10", "100"}},
        {"numbers descending, empty last", {"10", "9", "100", ""}, true, {"100", "10", "9", ""}},
        {"one text makes the column text", {"10", "9", "x1", "100"}, false, {"10", "100", "9", "x1"}},
        {"dates, with and without time", {"2024-01-05", "2023-12-31 08:00:00", "2024-01-05 00:00:01", "2023-02-01"},
         false, {"2023-02-01", "2023-12-31 08:00:00", "2024-01-05", "2024-01-05 00:00:01"}},
        {"Latin without case", {"beta", "Alpha", "alpha2", "Gamma"}, false, {"Alpha", "alpha2", "beta", "Gamma"}},
    };
    for (const auto& k : cases) {
        std::vector<std::vector<std::string>> rows;
        for (const auto& c : k.cells) rows.push_back({c});
        auto grid = Grid(rows);
        SortGridRows(*grid, 3, k.descending);
        EXPECT_EQ(Column(*grid, 3), k.expected) << k.what;
        EXPECT_EQ(grid->TextMatrix(0, 3), "Col3") << "the header row moved: " << k.what;
    }
}

TEST(GridSort, rowsMoveWholeStableAndTheCurrentRowFollows) {
    auto grid = Grid({{"b", "1"}, {"a", "2"}, {"b", "3"}, {"a", "4"}});
    grid->SetTextMatrix(3, 1, "√ ");
    grid->SetRow(3);  // id 2, "b", "3"
    grid->SetCol(3);
    PubUtil util;
    sovrel::test::FormStub form("f");
    util.GridSort(form, *grid, sovrel::sortorder::Ascending);
    EXPECT_EQ(Column(*grid, 2), (std::vector<std::string>{"1", "3", "0", "2"}));
    EXPECT_EQ(Column(*grid, 4), (std::vector<std::string>{"2", "4", "1", "3"}));
    EXPECT_EQ(Column(*grid, 1), (std::vector<std::string>{"", "", "", "√ "}));
    EXPECT_EQ(grid->Row(), 4);
    util.GridSort(form, *grid, sovrel::sortorder::Descending);
    EXPECT_EQ(Column(*grid, 2), (std::vector<std::string>{"0", "2", "1", "3"}));
}

TEST(Locate, findsTheNextMatchAndWrapsRound) {
    auto grid = Grid({{"O'Brien", "北京"}, {"Smith", "上海"}, {"obrien", "北京分公司"}, {"张三", "BEIJING"}});
    grid->SetTextMatrix(2, 1, "√ ");
    LocateSettings any;
    LocateSettings exact{{}, MatchMode::Exact};
    LocateSettings begins{{}, MatchMode::BeginsWith};
    LocateSettings onlyCol4{{"col4"}, MatchMode::Contains};
    struct Case { long from, column; const char* text; const LocateSettings& settings; long expected; };
    const Case cases[] = {
        {1, -1, "北京", any, 3},     {3, -1, "北京", any, 1},  // wraps
        {1, -1, "O'BRIEN", any, 1},  // its only match: itself
        {1, -1, "obrien", exact, 3}, {0, -1, "bri", begins, -1},     {0, 3, "北京", any, -1},
        {0, 4, "beijing", any, 4},   {0, -1, "smith", onlyCol4, -1}, {0, -1, "√", any, -1},
        {0, -1, "  ", any, -1},      {4, -1, "2", any, 3},
    };
    for (const auto& k : cases)
        EXPECT_EQ(FindNextRow(*grid, k.from, k.column, k.text, k.settings), k.expected)
            << k.text << " from " << k.from << " column " << k.column;

    // Settings survive their text; a damaged one gives the defaults.
    const LocateSettings stored{{"联系人", "Col4"}, MatchMode::BeginsWith};
    const auto back = ParseLocateSettings(LocateSettingsText(stored));
    EXPECT_EQ(back.columns, stored.columns);
    EXPECT_EQ(back.mode, MatchMode::BeginsWith);
    for (const char* bad : {"7|x", "garbage"}) {
        const auto d = ParseLocateSettings(bad);
        EXPECT_TRUE(d.columns.empty()) << bad;
        EXPECT_EQ(d.mode, MatchMode::Contains) << bad;
    }
}

TEST(Locate, theLocateBoxFindsAgainAndAgain) {
    auto grid = Grid({{"Li Lei"}, {"Han Meimei"}, {"li ming"}});
    grid->SetRow(1);
    sovrel::test::WidgetFormStub form;
    std::vector<long> rows;
    QTimer::singleShot(10, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        dialog->findChild<QLineEdit*>("EdtText")->setText("li");
        auto* next = dialog->findChild<QPushButton*>("cmdFindNext");
        for (int i = 0; i < 3; ++i) {
            next->click();
            rows.push_back(grid->Row());
        }
        dialog->reject();
    });
    PubUtil util;
    util.FindPos(*grid, form);
    EXPECT_EQ(rows, (std::vector<long>{3, 1, 3}));
}

}  // namespace
}  // namespace host::test
