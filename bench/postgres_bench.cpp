// The database layer and the data service on both backends, side by side, on the same demo
// account (20,000 contacts): the contact list into a client and a forward-only rowset, a lookup
// by code, a write through a rowset, and the service's Add, Modify and OpenPage. The PostgreSQL
// account lives on SOVREL_BENCH_PG (a server's connection text without a catalog) or on a
// private server started for the run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "backends.h"
#include "common/prog_ids.h"
#include "entry/icontact.h"
#include "host/register.h"
#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "schema/demo.h"
#include "service/clscommon.h"

namespace {

namespace fs = std::filesystem;
using sovrel::test::Backend;

constexpr long kContacts = 20000;

const char* kListQuery =
    "SELECT Ven_Contact.cContactCode, Ven_Contact.cContactName, vendor.cVenName, Ven_Contact.cAppellation, "
    "BaseCodeSex.cName AS SexName, Contact1.cContactName AS SuperiorName, BaseCodeDuty.cName AS DutyName, "
    "Ven_Contact.dBirthday, Ven_Contact.bMajor, Person3.cPersonName, Ven_Contact.cMobilePhone, Ven_Contact.cEmail "
    "FROM Ven_Contact LEFT JOIN vendor ON vendor.cVenCode = Ven_Contact.cVenCode "
    "LEFT JOIN Ven_Contact Contact1 ON Contact1.cContactCode = Ven_Contact.cSuperiorID "
    "LEFT JOIN Crm_BaseCode BaseCodeSex ON BaseCodeSex.ID = Ven_Contact.bcSexID "
    "LEFT JOIN Crm_BaseCode BaseCodeDuty ON BaseCodeDuty.ID = Ven_Contact.bcDutyID "
    "LEFT JOIN Person Person3 ON Person3.cPersonCode = Ven_Contact.cPrincipal "
    "ORDER BY Ven_Contact.cContactCode";

// The account of a backend, made once per run.
const std::string& Account(Backend backend) {
    static std::map<Backend, std::string> texts;
    auto it = texts.find(backend);
    if (it != texts.end()) return it->second;
    std::string text;
    if (backend == Backend::Sqlite) {
        const std::string dir = (fs::temp_directory_path() / "sovrel-bench-side-by-side").string();
        schema::RemoveAccount(dir);
        text = schema::CreateDemoAccount(dir, {.contacts = kContacts, .vendors = 0, .seed = 7}).connectionText;
    } else {
        std::string server = std::getenv("SOVREL_BENCH_PG") ? std::getenv("SOVREL_BENCH_PG") : "";
        std::string why;
        if (server.empty()) server = sovrel::test::pg::Server(why);
        if (!server.empty()) {
            if (!std::getenv("SOVREL_BENCH_PG")) sovrel::test::pg::DropDatabases({});
            text = schema::CreateDemoAccountOn(server, {.contacts = kContacts, .vendors = 0, .seed = 7}).connectionText;
        }
    }
    return texts[backend] = text;
}

bool Ready(benchmark::State& state, Backend backend) {
    if (!Account(backend).empty()) return true;
    state.SkipWithError("no PostgreSQL server could start");
    return false;
}

std::string Code(long n) {
    // Contacts are coded vendor + 8 digits; the first vendors' first contacts exist on both.
    return "V0001" + std::string(8 - std::to_string(n).size(), '0') + std::to_string(n);
}

void ListIntoClientRowset(benchmark::State& state, Backend backend) {
    if (!Ready(state, backend)) return;
    platform::db::Connection conn;
    conn.Open(Account(backend));
    long rows = 0;
    for (auto _ : state) rows = conn.OpenRowset(kListQuery)->RecordCount();
    state.counters["rows"] = static_cast<double>(rows);
}

void ListForwardOnly(benchmark::State& state, Backend backend) {
    if (!Ready(state, backend)) return;
    platform::db::Connection conn;
    conn.Open(Account(backend));
    long rows = 0;
    for (auto _ : state) {
        auto rs = conn.OpenRowset(kListQuery, platform::db::CursorKind::ForwardOnly);
        for (rows = 0; !rs->Eof(); rs->MoveNext()) {
            benchmark::DoNotOptimize(rs->Get(1));
            ++rows;
        }
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void LookupByCode(benchmark::State& state, Backend backend) {
    if (!Ready(state, backend)) return;
    platform::db::Connection conn;
    conn.Open(Account(backend));
    long n = 0;
    for (auto _ : state) {
        auto rs = conn.OpenRowset("SELECT TOP 1 cContactCode, cContactName FROM Ven_Contact WHERE cContactCode = N'" +
                                  Code(n++ % 5 + 1) + "'");
        benchmark::DoNotOptimize(rs->RecordCount());
    }
}

void UpdateThroughARowset(benchmark::State& state, Backend backend) {
    if (!Ready(state, backend)) return;
    platform::db::Connection conn;
    conn.Open(Account(backend));
    long n = 0;
    for (auto _ : state) {
        auto rs = conn.OpenRowset("SELECT * FROM Ven_Contact WHERE cContactCode = N'" + Code(1) + "'");
        rs->Set("cMemo", "memo " + std::to_string(n++));
        rs->Update();
    }
}

void ServiceAdd(benchmark::State& state, Backend backend) {
    if (!Ready(state, backend)) return;
    sovrel::RegisterComponentClasses();
    host::RegisterCrmObjects();
    sovrel::ClsCommon service;
    std::string cnn = Account(backend);
    service.Init(cnn);
    static long next = 90000000;
    for (auto _ : state) {
        const std::string code = "V0002" + std::to_string(++next);
        std::string xml = "<Ven_Contact><cVenCode>V0002</cVenCode><cContactCode>" + code +
                          "</cContactCode><cContactName>联系人</cContactName><bcSexID>1</bcSexID>"
                          "<bMajor>False</bMajor><dBirthday>1985-06-01</dBirthday><cConDefine2>A级</cConDefine2>"
                          "<oid>{" + code + "-" + std::to_string(static_cast<int>(backend)) + "}</oid></Ven_Contact>";
        std::string table = "Ven_Contact", msg;
        if (!service.Add(xml, table, msg)) state.SkipWithError(msg.c_str());
    }
}

void ServiceModify(benchmark::State& state, Backend backend) {
    if (!Ready(state, backend)) return;
    sovrel::RegisterComponentClasses();
    host::RegisterCrmObjects();
    sovrel::ClsCommon service;
    std::string cnn = Account(backend);
    service.Init(cnn);
    long n = 0;
    for (auto _ : state) {
        std::string xml = "<Ven_Contact><cContactCode>" + Code(2) + "</cContactCode><cContactName>改名" +
                          std::to_string(n++ % 100) + "</cContactName></Ven_Contact>";
        std::string table = "Ven_Contact", msg;
        if (!service.Modify(xml, table, msg)) state.SkipWithError(msg.c_str());
    }
}

void ServiceOpenPage(benchmark::State& state, Backend backend) {
    if (!Ready(state, backend)) return;
    sovrel::RegisterComponentClasses();
    sovrel::ClsCommon service;
    std::string cnn = Account(backend);
    service.Init(cnn);
    long rows = 0;
    for (auto _ : state) {
        long size = 500, page = state.range(0), pages = 0;
        sovrel::RowsetPtr rs;
        service.OpenPage("SELECT cContactCode, cContactName, cVenCode, cMobilePhone, cEmail, dBirthday FROM Ven_Contact "
                         "ORDER BY cContactCode",
                         size, page, pages, rs);
        rows = rs ? rs->RecordCount() : -1;
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void Register() {
    for (Backend b : sovrel::test::kBackends) {
        const std::string name = b == Backend::Sqlite ? "/SQLite" : "/PostgreSQL";
        benchmark::RegisterBenchmark(("ListIntoClientRowset" + name).c_str(), ListIntoClientRowset, b)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("ListForwardOnly" + name).c_str(), ListForwardOnly, b)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("LookupByCode" + name).c_str(), LookupByCode, b)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("UpdateThroughARowset" + name).c_str(), UpdateThroughARowset, b)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("ServiceAdd" + name).c_str(), ServiceAdd, b)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("ServiceModify" + name).c_str(), ServiceModify, b)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("ServiceOpenPage" + name).c_str(), ServiceOpenPage, b)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);  // 0: the last page
    }
}

}  // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
