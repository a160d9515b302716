#pragma once
// What every window benchmark shares: the offscreen application with the host's and the
// component's classes registered, and the 100,000-contact account (SOVREL_BENCH_DIR keeps it
// between runs).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "common/context.h"
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

// The list opened as the portal opens it (modeless, so the benchmark keeps control) on the large
// account; pageSize, when given, is typed into the page-size box before the first activation.
struct OpenList {
    std::shared_ptr<host::LoginSession> login;
    std::shared_ptr<sovrel::IContact> entry = std::make_shared<sovrel::IContact>();
    sovrel::frmContactList* window = nullptr;

    explicit OpenList(const char* pageSize = nullptr) {
        login = host::LoginSession::Login(LargeAccountFolder(), "demo", {.password = std::string(schema::kDemoPassword)});
        auto product = std::make_shared<platform::Object>(), frames = std::make_shared<platform::Object>();
        entry->Show(login, false, product, frames);
        window = dynamic_cast<sovrel::frmContactList*>(sovrel::Ctx().ListWindow.get());
        if (!window) throw std::runtime_error("the contact list did not open");
        if (pageSize) PageSize(pageSize);
        window->FormActivate();
        QCoreApplication::processEvents();
    }
    ~OpenList() {
        if (window) window->close();
        QCoreApplication::processEvents();
        login->Logout();
    }
    OpenList(const OpenList&) = delete;
    OpenList& operator=(const OpenList&) = delete;
    void PageSize(const char* rows) { window->findChild<QLineEdit*>("EdtPageSize")->setText(rows); }
};

inline int RunWindowBenchmarks(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    sovrel::ContextLifetime context;
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
