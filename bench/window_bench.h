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
#include "host/session.h"
#include "schema/demo.h"
#include "ui/list/frm_contact_list.h"
#include "ui/qt_screen.h"

namespace bench {

// A kept demo account in the temporary folder (or where env names), made when missing and made
// again when an older build left it in a shape the login no longer reads.
inline std::string KeptAccount(const char* env, const char* name, const schema::DemoOptions& options) {
    const char* given = env ? std::getenv(env) : nullptr;
    const std::string dir = given ? given : (std::filesystem::temp_directory_path() / name).string();
    if (schema::AccountExists(dir)) {
        try {
            host::LoginSession::Login(dir, "demo", {.password = std::string(schema::kDemoPassword)})->Logout();
            return dir;
        } catch (const std::exception&) {
            std::filesystem::remove_all(dir);
        }
    }
    schema::CreateDemoAccount(dir, options);
    return dir;
}

inline const std::string& LargeAccountFolder() {
    static const std::string dir =
        KeptAccount("SOVREL_BENCH_DIR", "sovrel-bench-100k", {.contacts = 100000, .vendors = 2000, .seed = 7});
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
