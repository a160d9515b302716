// The organisation chart of a vendor with 2,000 contacts, offscreen, over the real host objects:
// from the list's chart query through the data service to the chart window drawn on screen.
#include <benchmark/benchmark.h>

#include "window_bench.h"

#include <QApplication>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "common/context.h"
#include "common/host_objects.h"
#include "common/texts.h"
#include "entry/icontact.h"
#include "host/chart.h"
#include "host/register.h"
#include "host/session.h"
#include "platform/db/connection.h"
#include "schema/demo.h"
#include "service/iclscommon.h"
#include "ui/columns/frm_ui_chart.h"
#include "ui/list/frm_contact_list.h"
#include "ui/list/hand_offs.h"

namespace {

constexpr int kContacts = 2000;

// V03 gets kContacts contacts: one head, then each contact heads the next twelve (four levels).
const std::string& AccountFolder() {
    static std::string dir = [] {
        std::string d = (std::filesystem::temp_directory_path() / "sovrel-bench-chart").string();
        std::filesystem::remove_all(d);
        schema::CreateFixedAccount(d);
        platform::db::Connection db;
        db.Open("Provider=SQLite;Data Source=" + d + ";Initial Catalog=TKDATA_001_2024");
        db.BeginTrans();
        for (int i = 1; i <= kContacts; ++i) {
            char code[16], superior[16];
            std::snprintf(code, sizeof code, "V03%08d", i);
            std::snprintf(superior, sizeof superior, "V03%08d", (i - 2) / 12 + 1);
            db.Execute(std::string("INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName, bcDutyID, "
                                   "cSuperiorID) VALUES (N'") + code + "', N'V03', N'联系人" + std::to_string(i) +
                       "', " + std::to_string(3 + i % 8) + ", " + (i == 1 ? std::string("NULL") : "N'" + std::string(superior) + "'") +
                       ")");
        }
        db.CommitTrans();
        return d;
    }();
    return dir;
}

void BM_ChartOfAVendorWith2000Contacts(benchmark::State& state) {
    auto login = host::LoginSession::Login(AccountFolder(), "demo", {.password = std::string(schema::kDemoPassword)});
    auto entry = std::make_shared<sovrel::IContact>();
    entry->Show(login, false, std::make_shared<platform::Object>(), std::make_shared<platform::Object>());
    auto* list = dynamic_cast<sovrel::frmContactList*>(sovrel::Ctx().ListWindow.get());
    list->FormActivate();
    const std::string title = sovrel::ResText("Hx.CRM.VIEW.frmoppevalu.00363");
    for (auto _ : state) {
        auto rs = sovrel::Ctx().DataService->OpenX(sovrel::ChartStatement("V0300000777"));
        sovrel::frmUIChart chart;
        chart.SetReportXml(sovrel::GetReportXML(*rs, title));
        chart.ShowModeless();
        QCoreApplication::processEvents();
        chart.repaint();  // drawn, not only laid out
        benchmark::DoNotOptimize(chart.grab());
        if (auto* control = dynamic_cast<host::ChartControl*>(chart.Chart()))
            state.counters["boxes"] = static_cast<double>(control->Nodes().size());
        chart.close();
    }
    list->close();
    login->Logout();
}
BENCHMARK(BM_ChartOfAVendorWith2000Contacts)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace

int main(int argc, char** argv) { return bench::RunWindowBenchmarks(argc, argv); }
