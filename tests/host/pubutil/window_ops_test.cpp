#include <gtest/gtest.h>

#include "../controls/qt_app.h"
#include "demo_session.h"
#include "common/hosts/controls.h"
#include "common/prog_ids.h"
#include "entry/small_classes.h"
#include "host/pub_util.h"
#include "host/register.h"
#include "platform/error.h"
#include "platform/object_factory.h"

namespace host::test {
namespace {

using platform::db::Rowset;

struct AppFirst {
    AppFirst() { TestApp(); }
};

// The list window as the utility sees it: what it was asked to show.
class FakeList : private AppFirst, public QWidget, public sovrel::IListWindow {
public:
    std::string Name() const override { return "frmContactList"; }
    void BringToFront() override {}
    void ShowModal() override {}
    void ShowModeless() override {}
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& c) override { caption = c; }
    void FillGrid(std::shared_ptr<Rowset> rs) override {
        page.clear();
        ++fills;
        last = rs;
        for (; rs && !rs->Eof(); rs->MoveNext()) page.push_back(rs->Get("cContactCode").ToText());
    }
    void LblPageEnabled(bool a, bool b) override { labels = {a, b}; }
    void SetEntryObject(std::weak_ptr<platform::Object>) override {}
    std::string StatusText() const override { return ""; }
    void SetStatusText(const std::string&) override {}

    std::string caption;
    std::vector<std::string> page;
    std::shared_ptr<Rowset> last;
    std::pair<bool, bool> labels{false, false};
    int fills = 0;
};

std::shared_ptr<Rowset> List(int rows) {
    namespace db = platform::db;
    auto rs = Rowset::CreateDetached(
        {{"cSelect", db::adVarWChar, 2}, {"cContactCode", db::adVarWChar, 20}, {"iCount", db::adInteger, 4}});
    for (int i = 1; i <= rows; ++i) {
        rs->AddNew();
        rs->Set("cSelect", "");
        rs->Set("cContactCode", "C" + std::string(i < 10 ? "0" : "") + std::to_string(i));
        rs->Set("iCount", i);
        rs->Update();
    }
    if (rows > 0) rs->MoveFirst();
    return rs;
}

std::vector<std::string> Codes(int from, int to) {
    std::vector<std::string> codes;
    for (int i = from; i <= to; ++i) codes.push_back("C" + std::string(i < 10 ? "0" : "") + std::to_string(i));
    return codes;
}

std::shared_ptr<sovrel::IFlexGrid> NewGrid() {
    RegisterControls();
    return platform::Create<sovrel::IFlexGrid>(sovrel::progid::FlexGrid);
}

TEST(FlipPageTest, cutsThePageAndSetsTheLabels) {
    struct Case {
        int rows;
        long pageSize, page;
        std::vector<std::string> shown;
        std::pair<bool, bool> labels;
        int pages;
    };
    const Case cases[] = {
        {25, 10, 1, Codes(1, 10), {false, true}, 3},   {25, 10, 2, Codes(11, 20), {true, true}, 3},
        {25, 10, 3, Codes(21, 25), {true, false}, 3},  {25, 10, 9, Codes(21, 25), {true, false}, 3},
        {25, 10, 0, Codes(1, 10), {false, true}, 3},   {25, 0, 1, Codes(1, 25), {false, false}, 1},
        {10, 10, 1, Codes(1, 10), {false, false}, 1},  {11, 10, 2, Codes(11, 11), {true, false}, 2},
        {0, 10, 4, {}, {false, false}, 1},
    };
    PubUtil util;
    auto grid = NewGrid();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.rows) + " rows, page " + std::to_string(c.page) + "/" +
                     std::to_string(c.pageSize));
        FakeList window;
        auto list = List(c.rows);
        const auto original = list;
        std::int32_t pages = -1;
        util.FlipPageFillGrid(window, *grid, list, c.pageSize, c.page, pages);
        EXPECT_EQ(window.fills, 1);
        EXPECT_EQ(window.page, c.shown);
        EXPECT_EQ(window.labels, c.labels);
        EXPECT_EQ(pages, c.pages);
        EXPECT_EQ(list, original) << "the list was replaced";
        EXPECT_EQ(list->RecordCount(), c.rows) << "the list lost rows";
    }
}

TEST(FlipPageTest, thePageCarriesEveryFieldAndTheListStaysPut) {
    PubUtil util;
    auto grid = NewGrid();
    FakeList window;
    auto list = List(7);
    std::int32_t pages = 0;
    util.FlipPageFillGrid(window, *grid, list, 3, 2, pages);
    const auto page = window.last;
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->RecordCount(), 3);
    ASSERT_EQ(page->FieldCount(), 3u);
    EXPECT_EQ(page->Field(2).type, platform::db::adInteger);
    page->MoveFirst();
    for (int i = 4; i <= 6; ++i, page->MoveNext()) EXPECT_EQ(page->Get("iCount").ToInt(), i);
    // Changing the page does not change the list.
    page->MoveFirst();
    page->Set("cContactCode", "X");
    page->Update();
    list->SetAbsolutePosition(4);
    EXPECT_EQ(list->Get("cContactCode").ToText(), "C04");

    // A missing list is refused and fills nothing.
    std::shared_ptr<Rowset> none;
    EXPECT_THROW(util.FlipPageFillGrid(window, *grid, none, 10, 1, pages), platform::Error);
    EXPECT_EQ(window.fills, 1);
    EXPECT_EQ(pages, 3) << "the refused call changed the page count";
}

TEST(SetGridRowTest, findsTheRowByCaptionOrNumber) {
    PubUtil util;
    auto grid = NewGrid();
    grid->SetRows(31);
    grid->SetCols(4);
    grid->SetTextMatrix(0, 2, "联系人编码");
    grid->SetTextMatrix(0, 3, "姓名");
    for (long r = 1; r <= 30; ++r) {
        grid->SetTextMatrix(r, 2, "C" + std::to_string(r));
        grid->SetTextMatrix(r, 3, "name" + std::to_string(r));
    }
    struct Case { std::string key; platform::db::Value value; long topRow, row; };
    const Case cases[] = {
        {"联系人编码", std::string("C17"), -1, 17}, {"姓名", std::string(" NAME5 "), -1, 5},
        {"联系人编码", std::string("C99"), -1, 5},  {"地址", std::string("C3"), -1, 5},
        {"", 12, 8, 12},                            {"", 300, -1, 30},
        {"", 0, -1, 1},                             {"联系人编码", platform::db::Value::Null(), -1, 1},
    };
    for (const auto& c : cases) {
        util.SetGridRow(*grid, c.key, c.value, c.topRow);
        EXPECT_EQ(grid->Row(), c.row) << c.key << " " << c.value.ToText();
        if (c.topRow > 0) {
            EXPECT_EQ(grid->TopRow(), c.topRow);
        }
    }
}

using WindowStartTest = sovrel::test::DemoSessionTest;  // the window's start-up for the logged-in demo user

TEST_F(WindowStartTest, makesTheLoginValuesWhenMissingAndSetsTheTitle) {
    PubUtil util;
    FakeList window;
    std::shared_ptr<sovrel::clsLogin> info;
    std::shared_ptr<sovrel::IClsCommon> service;
    util.FrmLoadInit(window, info, service, "供应商联系人档案");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->cUserId, "demo");
    EXPECT_EQ(info->tkDBName, login->tkDBName());
    EXPECT_EQ(info->dCurDate, login->CurDate());
    EXPECT_EQ(window.Caption(), "供应商联系人档案");
    auto kept = std::make_shared<sovrel::clsLogin>();
    kept->cUserId = "someone";
    auto given = kept;
    util.FrmLoadInit(window, given, service, "t");
    EXPECT_EQ(given, kept);
    EXPECT_EQ(given->cUserId, "someone");
}

}  // namespace
}  // namespace host::test
