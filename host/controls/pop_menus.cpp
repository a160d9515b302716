#include "pop_menus.h"

#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace host::controls {

void PopMenuMgr::Init(sovrel::IForm& window) {
    auto* widget = dynamic_cast<QWidget*>(&window);
    if (!widget) return;
    auto* bar = widget->findChild<QMenuBar*>();
    if (!bar) return;
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(widget, &QWidget::customContextMenuRequested, widget, [widget, bar](const QPoint& at) {
        // One pop-up at a time, built when asked: the menus' texts and visibility are the
        // window's as they are now.
        delete widget->findChild<QMenu*>("PopMenu", Qt::FindDirectChildrenOnly);
        auto* menu = new QMenu(widget);
        menu->setObjectName("PopMenu");
        menu->setAttribute(Qt::WA_DeleteOnClose);
        for (QAction* entry : bar->actions())
            if (entry->menu() && entry->isVisible()) menu->addMenu(entry->menu());
        menu->popup(widget->mapToGlobal(at));
    });
}

}  // namespace host::controls
