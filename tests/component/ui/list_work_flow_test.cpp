// The list as a clerk works in it, over the host's real objects and the fixed demo account:
// locate over every page, the two sorts in one order, the row numbers, and the menus and toolbar
// from the keyboard.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "demo_session.h"
#include "ui/list/pager_widgets.h"

namespace sovrel::test {
namespace {

using Texts = std::vector<std::string>;

class ListWorkFlowTest : public DemoSessionTest {
protected:
    void Open(const std::string& user = "demo") {
        LoginAs(user);
        ASSERT_NE(OpenList(), nullptr);
        ASSERT_TRUE(window->DataLoaded()) << (shown.empty() ? "" : shown.back());
        window->activateWindow();
        QApplication::setActiveWindow(window);
        view = window->findChild<QTableView*>("Grid");
        ASSERT_NE(view, nullptr);
    }
    void ApplyPageSize(const char* size) {
        window->findChild<QLineEdit*>("EdtPageSize")->setText(size);
        QTest::mouseClick(window->findChild<QPushButton*>("CmdRequest"), Qt::LeftButton);
    }
    std::string Page() const { return window->findChild<QLineEdit*>("EdtiCurPage")->text().toStdString(); }
    std::string CurrentCode() const { return window->Grid().TextMatrix(window->Grid().Row(), 2); }
    QRect CellRect(long row, long col) const {
        return view->visualRect(view->model()->index(static_cast<int>(row - 1), static_cast<int>(col - 1)));
    }
    // A right-click on the cell and the sort menu's item.
    void SortMenu(long row, long col, const char* item) {
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, CellRect(row, col).center());
        auto* menu = window->findChild<QMenu*>("mOrder");
        ASSERT_TRUE(menu && menu->isVisible());
        QAction* action = window->findChild<QAction*>(item);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    }

    QTableView* view = nullptr;
};

// The pager's arrows step the page size by five and the page by one, never past their bounds.
TEST_F(ListWorkFlowTest, ThePagersArrowsStepWithinTheirBounds) {
    Open();
    ApplyPageSize("2");
    auto* size = window->findChild<SpinButtons*>("UpDown1");
    auto* page = window->findChild<SpinButtons*>("UpDown2");
    ASSERT_TRUE(size && page);
    auto* sizeBox = window->findChild<QLineEdit*>("EdtPageSize");
    // Page size, then page, after each click; the size is not below five, the page not past the last.
    const std::pair<QToolButton*, const char*> steps[] = {
        {size->UpButton(), "7/1"},   {size->DownButton(), "7/1"}, {page->UpButton(), "7/2"},
        {page->UpButton(), "7/3"},   {page->UpButton(), "7/3"},   {page->DownButton(), "7/2"},
        {page->DownButton(), "7/1"}, {page->DownButton(), "7/1"}};
    for (const auto& [button, expected] : steps) {
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(sizeBox->text().toStdString() + "/" + Page(), expected);
    }
}

// On the last page, a larger page size leaves fewer pages: the page box shows the page now on
// screen, one that exists.
TEST_F(ListWorkFlowTest, ALargerPageSizeOnTheLastPageShowsAPageThatExists) {
    Open();
    ApplyPageSize("2");
    QTest::mouseClick(window->findChild<QWidget*>("LblPage3"), Qt::LeftButton);
    ASSERT_EQ(Page(), "3");
    ApplyPageSize("5");
    EXPECT_EQ(Page(), "2");
    EXPECT_EQ(Column(2), Texts{"V0200000002"});
    EXPECT_EQ(window->findChild<QLabel*>("LblTotalPage")->text().toStdString(), "/ 2");
}

// A contact on the last page is found from the first and its page turned to; "Find next" goes
// round to the first page. The columns at the left stay in sight: the grid is narrower than its
// columns and its current column (the last, after the header was laid out) is not scrolled to.
TEST_F(ListWorkFlowTest, LocateSearchesEveryPageAndTurnsToTheFoundRowsPageWithoutScrollingSideways) {
    Open();
    window->resize(420, 420);
    QApplication::processEvents();
    ApplyPageSize("2");
    ASSERT_EQ(Page(), "1");
    ASSERT_GT(view->horizontalScrollBar()->maximum(), 0);
    ASSERT_EQ(view->horizontalScrollBar()->value(), 0);
    struct Step {
        const char* text;
        std::string page, code, status;
    } steps[] = {{"Lukas", "3", "V0200000002", ""},
                 {"李娜", "1", "V0100000002", "已从头开始查找。"},
                 {"nobody", "1", "V0100000002", "没有找到匹配的行。"}};
    std::vector<std::string> seen;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        for (const auto& s : steps) {
            auto* text = dialog->findChild<QLineEdit*>("EdtText");
            text->clear();
            const QString typed = QString::fromUtf8(s.text);
            // QTest types Latin-1 keys only; Chinese arrives whole, as from an input method.
            if (typed.toLatin1() == typed.toUtf8()) QTest::keyClicks(text, typed);
            else text->insert(typed);
            QTest::mouseClick(dialog->findChild<QPushButton*>("cmdFindNext"), Qt::LeftButton);
            seen.push_back(Page() + " " + CurrentCode() + " " + dialog->findChild<QLabel*>("lblStatus")->text().toStdString() +
                           " x" + std::to_string(view->horizontalScrollBar()->value()));
        }
        dialog->reject();
    });
    QTest::keyClick(view, Qt::Key_F3, Qt::ControlModifier);
    ASSERT_EQ(seen.size(), 3u) << "the locate box did not open";
    for (std::size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], steps[i].page + " " + steps[i].code + " " + steps[i].status + " x0") << steps[i].text;
    EXPECT_TRUE(shown.empty()) << shown.back();
}

// Scrolled to the right, the user starts a delete: the code column becomes current, and the
// grid stays where the user left it.
TEST_F(ListWorkFlowTest, ADeleteStartingLeavesTheGridsSidewaysScrollAlone) {
    Open();
    window->resize(420, 420);
    QApplication::processEvents();
    QScrollBar* sideways = view->horizontalScrollBar();
    ASSERT_GT(sideways->maximum(), 0);
    sideways->setValue(sideways->maximum());
    int asked = 0;
    window->Actions().del = [&](frmContactList&, std::int16_t) {
        ++asked;
        return DeleteRun{};  // the user says no
    };
    window->Grid().SetTextMatrix(1, 1, "\u221A ");
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Delete);
    ASSERT_EQ(asked, 1);
    EXPECT_EQ(window->Grid().Col(), 2);
    EXPECT_EQ(sideways->value(), sideways->maximum());
}

// The sort menu sorts the page as the header sorts the whole list: Latin first, then pinyin, in
// either language.
TEST_F(ListWorkFlowTest, TheSortMenuAndTheHeaderSortOrderNamesAlike) {
    const Texts expected = {"Anna Schmidt", "Lukas Weber", "李娜", "刘洋", "王芳", "张伟"};
    for (const auto& [user, caption] : {std::pair<std::string, std::string>{"demo", "联系人姓名"}, {"demo_en", "Contact Name"}}) {
        Open(user);
        const long name = ColumnOf(caption);
        ASSERT_GT(name, 2) << user;
        SortMenu(1, name, "mAsc");
        EXPECT_EQ(Column(name), expected) << user << ": the sort menu";
        QHeaderView* header = view->horizontalHeader();
        SortMenu(1, 2, "mDesc");  // back out of name order first
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(static_cast<int>(name - 1)) + 6, header->height() / 2));
        EXPECT_EQ(Column(name), expected) << user << ": the header";
        CloseList();
    }
}

// The numbers go on from page to page and stay in place when the page is sorted; the current
// row keeps its arrow beside its number.
TEST_F(ListWorkFlowTest, TheFixedColumnNumbersTheRowsAndTheCurrentRowKeepsItsMark) {
    Open();
    ApplyPageSize("2");
    EXPECT_EQ(Column(0), (Texts{"1", "2"}));
    window->LblPageClick(2);
    ASSERT_EQ(Page(), "2");
    EXPECT_EQ(Column(0), (Texts{"3", "4"}));
    const Texts codes = Column(2);
    SortMenu(1, 2, "mDesc");
    EXPECT_EQ(Column(2), (Texts{codes[1], codes[0]}));
    EXPECT_EQ(Column(0), (Texts{"3", "4"}));

    window->Grid().SetRow(2);
    QApplication::processEvents();
    QHeaderView* numbers = view->verticalHeader();
    const QImage image = numbers->viewport()->grab().toImage();
    // Dark pixels at the left of a row's cell: the arrow (numbers stand at the right).
    auto marked = [&](int section) {
        const int top = numbers->sectionViewportPosition(section), height = numbers->sectionSize(section);
        for (int y = top + 2; y < top + height - 2; ++y)
            for (int x = 1; x < 10; ++x)
                if (qGray(image.pixel(x, y)) < 80) return true;
        return false;
    };
    EXPECT_TRUE(marked(1));
    EXPECT_FALSE(marked(0));
}

// Alt with a menu's letter and F10 open the menus; the toolbar's tooltips name the keys.
TEST_F(ListWorkFlowTest, TheMenusOpenFromTheKeyboardAndTheToolbarNamesItsKeys) {
    for (const std::string user : {"demo", "demo_en"}) {
        Open(user);
        const struct {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            const char* menu;
        } keys[] = {{Qt::Key_F, Qt::AltModifier, "mFile"},
                    {user == "demo" ? Qt::Key_O : Qt::Key_A, Qt::AltModifier, "mOperation"},  // 操作(&O), &Actions
                    {Qt::Key_H, Qt::AltModifier, "mH"},
                    {Qt::Key_F10, Qt::NoModifier, "mFile"}};
        for (const auto& k : keys) {
            view->setFocus();
            QTest::keyClick(view, k.key, k.modifiers);
            auto* menu = window->findChild<QMenu*>(k.menu);
            EXPECT_TRUE(menu->isVisible()) << user << " " << k.menu;
            menu->close();
            if (QMenu* open = qobject_cast<QMenu*>(QApplication::activePopupWidget())) open->close();
        }
        auto* bar = window->findChild<QToolBar*>();
        for (const auto& [button, shortcut] : {std::pair<const char*, const char*>{"Add", "F5"}, {"Pos", "Ctrl+F3"},
                                               {"Refresh", "F9"}, {"Print", "Ctrl+P"}}) {
            const QAction* action = bar->findChild<QAction*>(button);
            EXPECT_EQ(action->toolTip().toStdString(), action->text().toStdString() + " (" + shortcut + ")") << user;
        }
        CloseList();
    }
}

}  // namespace
}  // namespace sovrel::test
