#include "ui/qt_screen.h"

#include <QApplication>
#include <QCoreApplication>

#include "common/screen.h"

namespace sovrel {

namespace {
// Whether the wait cursor on Qt's stack is ours (others may push their own).
thread_local bool waitCursorShown = false;
}  // namespace

void InstallQtScreenHooks() {
    SetMousePointerHook([](int p) {
        if (!qApp) return;
        if (p == pointer::Hourglass && !waitCursorShown) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            waitCursorShown = true;
        } else if (p != pointer::Hourglass && waitCursorShown) {
            QApplication::restoreOverrideCursor();
            waitCursorShown = false;
        }
    });
    SetDoEventsHook([] {
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
    });
}

}  // namespace sovrel
