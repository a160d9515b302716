#pragma once
// The one QApplication of a test program, made on first use (tests without widgets need none).
#include <QApplication>

namespace host::test {

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "sovrel-host-tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: widgets of finished tests may still be queued for deletion at exit.
    static auto* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace host::test
