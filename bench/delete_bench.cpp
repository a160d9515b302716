// The list's "Del" on 1,000 marked contacts of a 10,000-contact SQLite account: for each, the
// superior check, the reference checks and delete of the data service and the vendor relink; then
// the reload. The account is made afresh for every run (the deletes use it up); the confirmation
// is answered yes and the result list is counted instead of shown.
#include <benchmark/benchmark.h>

#include "window_bench.h"

#include <QApplication>
#include <QLineEdit>

#include <filesystem>
#include <memory>
#include <string>

#include "common/context.h"
#include "entry/icontact.h"
#include "host/crm.h"
#include "host/register.h"
#include "host/result_list.h"
#include "host/session.h"
#include "schema/demo.h"
#include "ui/list/frm_contact_list.h"
#include "ui/qt_screen.h"

namespace {

void BM_DeleteThousandMarkedContacts(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::string pattern = (std::filesystem::temp_directory_path() / "sovrel-bench-del-XXXXXX").string();
        const std::string folder = ::mkdtemp(pattern.data());
        schema::CreateDemoAccount(folder, {.contacts = 10000, .vendors = 200, .seed = 11});
        auto login = host::LoginSession::Login(folder, "demo", {.password = std::string(schema::kDemoPassword)});
        auto entry = std::make_shared<sovrel::IContact>();
        entry->Show(login, false, std::make_shared<platform::Object>(), std::make_shared<platform::Object>());
        auto* list = dynamic_cast<sovrel::frmContactList*>(sovrel::Ctx().ListWindow.get());
        list->FormActivate();
        list->findChild<QLineEdit*>("EdtPageSize")->setText("2000");
        list->DataRefresh("");
        for (long r = 1; r <= 1000; ++r) list->Grid().SetTextMatrix(r, 1, "√");
        long rows = 0, deleted = 0;
        host::SetMessageBoxPresenter([](const host::MessageBoxRequest&) { return 6; });
        host::SetResultListPresenter([&](const host::ResultListRequest& r) {
            rows = static_cast<long>(r.rows.size());
            for (const auto& row : r.rows) deleted += row.size() > 1 && row[1] == "删除成功";
        });
        state.ResumeTiming();

        list->Operating("Del");

        state.PauseTiming();
        state.counters["result rows"] = static_cast<double>(rows);
        state.counters["deleted"] = static_cast<double>(deleted);
        if (rows != 1000) state.SkipWithError("not every marked contact was tried");
        list->close();
        QCoreApplication::processEvents();
        sovrel::ResetContext();
        login->Logout();
        host::SetMessageBoxPresenter(nullptr);
        host::SetResultListPresenter(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(BM_DeleteThousandMarkedContacts)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

int main(int argc, char** argv) { return bench::RunWindowBenchmarks(argc, argv); }
