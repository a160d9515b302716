#pragma once
// What every window benchmark shares: the offscreen application with the host's and the
// component's classes registered, and the 100,000-contact account (SOVREL_BENCH_DIR keeps it
// between runs).
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "entry/icontact.h"
#include "host/register.h"
#include "schema/demo.h"
#include "ui/list/frm_contact_list.h"
#include "ui/qt_screen.h"

namespace bench {

inline const std::string& LargeAccountFolder() {
    static std::string dir = [] {
        const char* env = std::getenv("SOVREL_BENCH_DIR");
        std::string d = env ? env : (std::filesystem::temp_directory_path() / "sovrel-bench-100k").string();
        if (!schema::AccountExists(d)) schema::CreateDemoAccount(d, {.contacts = 100000, .vendors = 2000, .seed = 7});
        return d;
    }();
    return dir;
}

inline int RunWindowBenchmarks(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    sovrel::InstallQtScreenHooks();
    host::RegisterHostObjects();
    sovrel::RegisterComponentClasses();
    sovrel::RegisterContactListWindow();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
