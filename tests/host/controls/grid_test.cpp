#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTableView>
#include <QTest>

#include "common/hosts/controls.h"
#include "common/prog_ids.h"
#include "host/register.h"
#include "platform/error.h"
#include "platform/object_factory.h"
#include "qt_app.h"
#include "ui/widget_host.h"

namespace host::test {
namespace {

using sovrel::IFlexGrid;

std::shared_ptr<IFlexGrid> NewGrid() {
    RegisterControls();
    return platform::Create<IFlexGrid>(sovrel::progid::FlexGrid);
}

QTableView* ViewOf(IFlexGrid& grid, QWidget* parent = nullptr) {
    TestApp();
    auto* host = dynamic_cast<sovrel::IWidgetHost*>(&grid);
    return host ? qobject_cast<QTableView*>(host->Widget(parent)) : nullptr;
}

std::string Cell(long r, long c) { return "r" + std::to_string(r) + "c" + std::to_string(c); }

void Fill(IFlexGrid& grid) {
    for (long r = 0; r < grid.Rows(); ++r)
        for (long c = 0; c < grid.Cols(); ++c) grid.SetTextMatrix(r, c, Cell(r, c));
}

// A grid in a window shown on the screen.
struct ShownGrid {
    explicit ShownGrid(int width, int height, long rows, long cols) {
        window.resize(width, height);
        view = ViewOf(*grid, &window);
        view->setGeometry(0, 0, width, height);
        grid->SetRows(rows);
        grid->SetCols(cols);
    }
    bool Show() {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }
    std::shared_ptr<IFlexGrid> grid = NewGrid();
    bool app = (TestApp(), true);  // before the window
    QWidget window;
    QTableView* view = nullptr;
};

TEST(GridTest, cellsSurviveShrinkingAndGrowing) {
    for (bool withView : {false, true}) {
        SCOPED_TRACE(withView ? "with a view" : "without a view");
        auto g = NewGrid();
        if (withView) {
            ASSERT_NE(ViewOf(*g), nullptr);
        }
        g->SetRows(6);
        g->SetCols(5);
        Fill(*g);
        g->SetRow(5);
        g->SetCol(4);
        g->SetRows(3);
        g->SetCols(2);
        EXPECT_EQ(g->Row(), 2);  // the current cell stays inside the grid
        EXPECT_EQ(g->Col(), 1);
        g->SetRows(7);
        g->SetCols(6);
        for (long r = 0; r < 7; ++r)
            for (long c = 0; c < 6; ++c)
                EXPECT_EQ(g->TextMatrix(r, c), r < 3 && c < 2 ? Cell(r, c) : "") << r << "," << c;
        if (withView) {
            auto* view = ViewOf(*g);
            EXPECT_EQ(view->model()->rowCount(), 6);
            EXPECT_EQ(view->model()->columnCount(), 5);
            EXPECT_EQ(view->model()->headerData(0, Qt::Horizontal).toString(), "r0c1");
        }
    }
}

TEST(GridTest, outOfRangeCellsAreRefusedAndChangeNothing) {
    auto grid = NewGrid();
    grid->SetRows(4);
    grid->SetCols(3);
    Fill(*grid);
    grid->SetRow(2);
    grid->SetCol(1);
    const std::pair<long, long> bad[] = {{-1, 0}, {4, 0}, {0, -1}, {0, 3}};
    for (const auto& [r, c] : bad) {
        EXPECT_THROW(grid->TextMatrix(r, c), platform::Error) << r << "," << c;
        EXPECT_THROW(grid->SetTextMatrix(r, c, "x"), platform::Error) << r << "," << c;
        EXPECT_THROW(grid->CellAlignment(r, c), platform::Error) << r << "," << c;
    }
    for (long i : {-1L, 4L}) {
        EXPECT_THROW(grid->SetRow(i), platform::Error) << i;
        EXPECT_THROW(grid->SetTopRow(i), platform::Error) << i;
        EXPECT_THROW(grid->SetCol(i - 1), platform::Error) << i - 1;
        EXPECT_THROW(grid->ColWidth(i - 1), platform::Error) << i - 1;
    }
    EXPECT_THROW(grid->SetRows(0), platform::Error);
    EXPECT_THROW(grid->SetCols(0), platform::Error);
    EXPECT_THROW(grid->SetColWidth(1, -2), platform::Error);
    EXPECT_THROW(grid->SetCellAlignment(10), platform::Error);
    EXPECT_EQ(grid->Rows(), 4);
    EXPECT_EQ(grid->Cols(), 3);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Col(), 1);
    for (long r = 0; r < 4; ++r)
        for (long c = 0; c < 3; ++c) EXPECT_EQ(grid->TextMatrix(r, c), Cell(r, c));
}

TEST(GridTest, redrawOffHoldsTheViewBackUntilTurnedOn) {
    auto grid = NewGrid();
    auto* view = ViewOf(*grid);
    ASSERT_NE(view, nullptr);
    grid->SetCols(4);
    grid->SetColWidth(2, 140);
    grid->SetRedraw(false);
    grid->SetRows(101);
    Fill(*grid);
    EXPECT_EQ(view->model()->rowCount(), 1) << "the view heard of the rows before redraw came back";
    grid->SetRow(40);
    grid->SetRedraw(true);
    EXPECT_EQ(view->model()->rowCount(), 100);
    EXPECT_EQ(view->model()->index(99, 2).data().toString(), "r100c3");
    EXPECT_EQ(view->currentIndex().row(), 39);
    EXPECT_EQ(view->horizontalHeader()->sectionSize(1), 140);

    // A refill with other columns: the widths set for them still apply.
    grid->SetRedraw(false);
    grid->SetCols(6);
    grid->SetColWidth(5, 61);
    grid->SetRows(3);
    Fill(*grid);
    grid->SetRedraw(true);
    EXPECT_EQ(view->model()->rowCount(), 2);
    EXPECT_EQ(view->model()->columnCount(), 5);
    EXPECT_EQ(view->horizontalHeader()->sectionSize(4), 61);
    EXPECT_EQ(view->horizontalHeader()->sectionSize(1), 140);
    EXPECT_EQ(grid->Row(), 2);
}

TEST(GridTest, mouseSetsTheCurrentCellBeforeTheEvents) {
    ShownGrid shown(640, 400, 8, 5);
    auto& grid = shown.grid;
    auto* view = shown.view;
    Fill(*grid);
    ASSERT_TRUE(shown.Show());

    std::vector<std::string> events;
    grid->OnClick([&] { events.push_back("click " + std::to_string(grid->Row()) + "," + std::to_string(grid->Col())); });
    grid->OnDblClick([&] { events.push_back("dbl " + std::to_string(grid->Row()) + "," + std::to_string(grid->Col())); });
    grid->OnMouseUp([&](int button) { events.push_back("up " + std::to_string(button)); });

    const QRect cell = view->visualRect(view->model()->index(3, 2));  // grid row 4, column 3
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(grid->Row(), 4);
    EXPECT_EQ(grid->Col(), 3);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    const QRect other = view->visualRect(view->model()->index(5, 1));
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, other.center());
    EXPECT_EQ(grid->Row(), 6);
    EXPECT_EQ(grid->Col(), 2);
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events[0], "up 1");
    EXPECT_EQ(events[1], "click 4,3");
    EXPECT_NE(std::find(events.begin(), events.end(), "dbl 4,3"), events.end());
    EXPECT_EQ(events.back(), "up 2");

    // The keyboard moves the current row; Space clicks it (marks the row in the list).
    view->setFocus();
    EXPECT_TRUE(grid->HasFocus());
    events.clear();
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 7);
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_EQ(events, std::vector<std::string>{"click 7,2"});
}

// Redraw coming back repaints the grid only when a changed cell is on screen: a long fill that
// shows its progress must not redraw the same screen again and again.
TEST(GridTest, redrawBackRepaintsOnlyForCellsOnScreen) {
    ShownGrid shown(400, 300, 1001, 4);
    auto& grid = shown.grid;
    auto* view = shown.view;
    Fill(*grid);
    ASSERT_TRUE(shown.Show());
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    view->viewport()->installEventFilter(&counter);
    const struct { long first, last; bool repaints; } cases[] = {{600, 800, false}, {2, 3, true}, {900, 1000, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE("rows " + std::to_string(c.first) + ".." + std::to_string(c.last));
        QCoreApplication::processEvents();
        counter.paints = 0;
        grid->SetRedraw(false);
        for (long r = c.first; r <= c.last; ++r) grid->SetTextMatrix(r, 2, "changed");
        grid->SetRedraw(true);
        QCoreApplication::processEvents();
        EXPECT_EQ(counter.paints > 0, c.repaints);
        EXPECT_EQ(view->model()->index(static_cast<int>(c.last - 1), 1).data().toString(), "changed");
    }
}

TEST(GridTest, autoSizeLeavesGivenWidthsAndTheCornerTitleFits) {
    auto grid = NewGrid();
    auto* view = ViewOf(*grid);
    grid->SetRows(3);
    grid->SetCols(6);
    for (long r = 1; r < 3; ++r)
        for (long c = 2; c < 6; ++c) grid->SetTextMatrix(r, c, "a text of some thirty characters");
    grid->SetColWidth(2, 400);  // given by the column settings
    grid->SetColWidth(3, 30);
    grid->SetColWidth(4, 120);
    grid->SetColWidth(4, -1);   // given back: sized again
    view->horizontalHeader()->resizeSection(4, 222);  // column 5 dragged by the user
    const QFontMetrics fm(view->font());
    for (int refill = 0; refill < 2; ++refill) {  // every fill sizes again; what was given holds
        grid->AutoSizeColumns();
        EXPECT_EQ(grid->ColWidth(2), 400);
        EXPECT_EQ(grid->ColWidth(3), 30);
        EXPECT_GE(grid->ColWidth(4), fm.horizontalAdvance("a text of some thirty characters"));
        EXPECT_EQ(grid->ColWidth(5), 222);
    }
    grid->SetTextMatrix(0, 0, "No.");  // the corner's title gets the room it needs
    EXPECT_GE(grid->ColWidth(0), fm.horizontalAdvance("No.") + 8);
}

}  // namespace
}  // namespace host::test
