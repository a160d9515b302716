#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QVBoxLayout>

#include "common/hosts/controls.h"
#include "common/hosts/portal.h"
#include "common/prog_ids.h"
#include "demo_session.h"
#include "host/register.h"
#include "platform/object_factory.h"
#include "qt_app.h"
#include "ui/widget_host.h"

namespace host::test {
namespace {

QStringList PopUpTitles(QWidget& window) {
    QStringList titles;
    if (auto* menu = window.findChild<QMenu*>("PopMenu", Qt::FindDirectChildrenOnly))
        for (QAction* a : menu->actions()) titles << a->text();
    return titles;
}

TEST(PopMenuMgrTest, aRightClickOnTheWindowOffersItsMenusButNotOverTheGrid) {
    TestApp();
    RegisterControls();
    sovrel::test::WidgetFormStub window("frmMenus");
    auto* layout = new QVBoxLayout(&window);
    auto* bar = new QMenuBar(&window);
    layout->setMenuBar(bar);
    bar->addMenu("File");
    bar->addMenu("Hidden")->menuAction()->setVisible(false);
    bar->addMenu("Help");
    auto grid = platform::Create<sovrel::IFlexGrid>(sovrel::progid::FlexGrid);
    ASSERT_NE(grid, nullptr);
    QWidget* view = dynamic_cast<sovrel::IWidgetHost&>(*grid).Widget(&window);
    layout->addWidget(view);
    window.resize(400, 300);
    window.show();

    auto manager = platform::Create<sovrel::IPopMenuMgr>(sovrel::progid::PopMenuMgr);
    ASSERT_NE(manager, nullptr);
    manager->Init(window);

    auto* viewport = qobject_cast<QTableView*>(view)->viewport();
    QContextMenuEvent onGrid(QContextMenuEvent::Mouse, QPoint(5, 5), viewport->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(viewport, &onGrid);
    EXPECT_TRUE(PopUpTitles(window).isEmpty()) << "the grid's right button is its owner's";

    emit window.customContextMenuRequested(QPoint(5, 5));
    EXPECT_EQ(PopUpTitles(window), (QStringList{"File", "Help"}));
    emit window.customContextMenuRequested(QPoint(6, 6));  // again: still one pop-up
    EXPECT_EQ(window.findChildren<QMenu*>("PopMenu", Qt::FindDirectChildrenOnly).size(), 1);
    window.findChild<QMenu*>("PopMenu")->close();
}

}  // namespace
}  // namespace host::test
