// The contact card offscreen over the real host objects: opening it in modify mode on a
// 100,000-contact account (load of the window, then the contact of a list row read and filled),
// one "Next" move, the next contact code of a vendor with 10,000 contacts, and saving a new contact
// beside sqlite3 alone committing one row.
// SOVREL_BENCH_DIR keeps the 100,000-contact account between runs (the one bench_list uses).
#include <benchmark/benchmark.h>

#include "window_bench.h"

#include <QApplication>

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "common/context.h"
#include "entry/icontact.h"
#include "host/register.h"
#include "host/session.h"
#include "schema/demo.h"
#include "ui/card/frm_contact_edit.h"
#include "ui/list/frm_contact_list.h"
#include "ui/qt_screen.h"

namespace {

// The list opened as the portal opens it, and the shared card.
struct Session {
    std::shared_ptr<host::LoginSession> login;
    std::shared_ptr<sovrel::IContact> entry = std::make_shared<sovrel::IContact>();
    sovrel::frmContactList* list = nullptr;
    std::int16_t codeColumn = 0;

    explicit Session(const std::string& folder) {
        login = host::LoginSession::Login(folder, "demo", {.password = std::string(schema::kDemoPassword)});
        entry->Show(login, false, std::make_shared<platform::Object>(), std::make_shared<platform::Object>());
        list = dynamic_cast<sovrel::frmContactList*>(sovrel::Ctx().ListWindow.get());
        if (!list) throw std::runtime_error("the contact list did not open");
        list->FormActivate();
        if (!list->LocateCodeColumn(codeColumn)) throw std::runtime_error("no code column");
    }
    ~Session() {
        sovrel::ContactCard().close();
        list->close();
        QCoreApplication::processEvents();
        sovrel::ResetContext();
        login->Logout();
    }
};

void BM_OpenCardInModifyMode(benchmark::State& state) {
    Session s(bench::LargeAccountFolder());
    auto& card = sovrel::ContactCard();
    for (auto _ : state) {
        card.FormLoad();
        card.InitData(sovrel::cardmode::Modify, s.codeColumn, 250);
        state.PauseTiming();
        if (card.Edt(1).Text().empty()) state.SkipWithError("nothing was loaded");
        card.close();  // unloaded: the next opening loads the window again
        state.ResumeTiming();
    }
}

void BM_NextMove(benchmark::State& state) {
    Session s(bench::LargeAccountFolder());
    auto& card = sovrel::ContactCard();
    card.FormLoad();
    card.InitData(sovrel::cardmode::Modify, s.codeColumn, 1);
    for (auto _ : state) {
        if (!card.Operating("Next")) card.Operating("First");
    }
    state.counters["row"] = card.CurrentRow();
}

void BM_NextCodeOfAVendorWith10000Contacts(benchmark::State& state) {
    Session s(bench::KeptAccount(nullptr, "sovrel-bench-card-10k", {.contacts = 10000, .vendors = 1, .seed = 3}));
    auto& card = sovrel::ContactCard();
    card.FormLoad();
    card.InitData(sovrel::cardmode::Add, s.codeColumn, 1);
    card.Edt(0).SetTag("V001");
    for (auto _ : state) card.NewContactCode();
    if (card.Edt(1).Text() != "V00100010001") state.SkipWithError(("unexpected code " + card.Edt(1).Text()).c_str());
}

// A new contact saved through the card: the checks, the record XML, Add, the vendor's main-contact
// link, and the card cleared with the vendor's next code.
void BM_SaveNewContact(benchmark::State& state) {
    Session s(bench::LargeAccountFolder());
    auto& card = sovrel::ContactCard();
    card.FormLoad();
    card.InitData(sovrel::cardmode::Add, s.codeColumn, 1);
    card.Edt(0).SetText("V0001");  // the kept vendor is looked up again after every save
    card.Edt(0).SetTag("V0001");
    card.NewContactCode();
    long saved = 0;
    for (auto _ : state) {
        state.PauseTiming();
        card.Edt(2).SetText("测试联系人 O'Brien " + std::to_string(saved));
        state.ResumeTiming();
        if (!card.Operating("SaveRs")) {
            state.SkipWithError("the save was refused");
            break;
        }
        ++saved;
    }
    state.counters["saved"] = static_cast<double>(saved);
}

// The anchor for the save: one row inserted and committed durably (WAL, synchronous FULL, as the
// layer opens the account) by sqlite3 alone into the same account file.
void BM_RawDurableInsertOfOneRow(benchmark::State& state) {
    sqlite3* db = nullptr;
    const std::string file = bench::LargeAccountFolder() + "/TKDATA_001_2024.db";
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
        state.SkipWithError("cannot open the account");
        return;
    }
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; CREATE TABLE bench_anchor(x TEXT)", nullptr,
                 nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO bench_anchor VALUES (?1)", -1, &insert, nullptr);
    for (auto _ : state) {
        sqlite3_bind_text(insert, 1, "测试联系人 & Co", -1, SQLITE_STATIC);
        if (sqlite3_step(insert) != SQLITE_DONE) state.SkipWithError(sqlite3_errmsg(db));
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "DROP TABLE bench_anchor", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

}  // namespace

BENCHMARK(BM_RawDurableInsertOfOneRow)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(BM_SaveNewContact)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(BM_OpenCardInModifyMode)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_NextMove)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_NextCodeOfAVendorWith10000Contacts)->Unit(benchmark::kMillisecond)->Iterations(50);

int main(int argc, char** argv) { return bench::RunWindowBenchmarks(argc, argv); }
