// Reading the whole contact list into a client rowset, next to the same statement stepped with
// the raw sqlite3 API copying every value: the layer's overhead and its memory per list. Then the
// same reload under a smaller page cache, and under the allocator's thresholds raised (mallopt;
// last, as it changes the process for good), with the page faults each reload pays.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include "raw_sqlite.h"
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "platform/db/connection.h"
#include "platform/db/dialect.h"
#include "platform/db/rowset.h"
#include "schema/demo.h"
#include "sqlite/functions.h"

namespace {

const char* kListQuery =
    "SELECT Ven_Contact.cContactCode, Ven_Contact.cContactName, vendor.cVenName, vendor.cVenAbbName, "
    "Ven_Contact.cAppellation, BaseCodeSex.cName AS SexName, Contact1.cContactName AS SuperiorName, "
    "Ven_Contact.cNative, BaseCodeDuty.cName AS DutyName, Ven_Contact.dBirthday, BaseCodeTaste.cName AS TasteName, "
    "BaseCodeMarriage.cName AS MarriageName, Ven_Contact.bMajor, Person3.cPersonName, Department.cDepName, "
    "Ven_Contact.cOfficePhone, Ven_Contact.cMobilePhone, Ven_Contact.cEmail, Ven_Contact.cWorkAddress, "
    "Ven_Contact.dCreateDate "
    "FROM Ven_Contact LEFT JOIN vendor ON vendor.cVenCode = Ven_Contact.cVenCode "
    "LEFT JOIN Ven_Contact Contact1 ON Contact1.cContactCode = Ven_Contact.cSuperiorID "
    "LEFT JOIN Crm_BaseCode BaseCodeSex ON BaseCodeSex.ID = Ven_Contact.bcSexID "
    "LEFT JOIN Crm_BaseCode BaseCodeDuty ON BaseCodeDuty.ID = Ven_Contact.bcDutyID "
    "LEFT JOIN Crm_BaseCode BaseCodeTaste ON BaseCodeTaste.ID = Ven_Contact.bcTasteID "
    "LEFT JOIN Crm_BaseCode BaseCodeMarriage ON BaseCodeMarriage.ID = Ven_Contact.bcMarriageID "
    "LEFT JOIN Person Person3 ON Person3.cPersonCode = Ven_Contact.cPrincipal "
    "LEFT JOIN Department ON Department.cDepCode = Person3.cDepCode "
    "ORDER BY Ven_Contact.cContactCode";

// One account of 100,000 contacts for the whole run (SOVREL_BENCH_DIR keeps it between runs).
const std::string& Account() {
    static std::string text = [] {
        std::string dir = std::getenv("SOVREL_BENCH_DIR") ? std::getenv("SOVREL_BENCH_DIR")
                                                          : (std::filesystem::temp_directory_path() / "sovrel-bench-100k").string();
        if (!schema::AccountExists(dir)) schema::CreateDemoAccount(dir, {.contacts = 100000, .vendors = 2000, .seed = 7});
        return "Provider=SQLite;Data Source=" + dir + ";Initial Catalog=TKDATA_001_2024";
    }();
    return text;
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

long MinorFaults() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_minflt;
}

// The list read again and again, the previous one freed first as a reload does. Argument: the
// connection's page cache in KiB (0: as the layer opens it).
void ListIntoClientRowset(benchmark::State& state) {
    platform::db::Connection conn;
    conn.Open(Account());
    if (state.range(0) > 0) conn.ExecuteScript("PRAGMA cache_size=-" + std::to_string(state.range(0)));
    long rows = 0;
    std::size_t bytes = 0;
    const long faults = MinorFaults();
    for (auto _ : state) {
        std::size_t before = HeapInUse();
        auto rs = conn.OpenRowset(kListQuery);
        bytes = HeapInUse() - before;
        rows = rs->RecordCount();
        benchmark::DoNotOptimize(rs);
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["MB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
    state.counters["faults"] = benchmark::Counter(static_cast<double>(MinorFaults() - faults), benchmark::Counter::kAvgIterations);
}

// As the portal and the CLI would set them at start: freed memory kept for the next reload.
void RaiseAllocatorThresholds(const benchmark::State&) {
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
}

void ListRawSqliteCopy(benchmark::State& state) {
    std::string dir = Account().substr(Account().find("Data Source=") + 12);
    dir = dir.substr(0, dir.find(';'));
    sqlite3* db = nullptr;
    sqlite3_open_v2((dir + "/TKDATA_001_2024.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    RegisterSqlServerFunctions(db);
    std::string sql = platform::db::SqliteDialect().Translate(kListQuery).at(0).sql;
    long rows = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::size_t before = HeapInUse();
        std::vector<bench::Cell> cells;
        rows = bench::CopyRows(db, sql, cells);
        bytes = HeapInUse() - before;
        benchmark::DoNotOptimize(cells);
    }
    sqlite3_close(db);
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["MB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// 100,000 names sorted through the case-insensitive collation, in a fresh in-memory table. Arg 0:
// ASCII names only; arg 1: one name in two with Chinese or accented letters.
void OrderByThroughCollation(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    RegisterSqlServerFunctions(db);
    sqlite3_exec(db, "CREATE TABLE t (c nvarchar(40) COLLATE SOVREL_CI)", nullptr, nullptr, nullptr);
    const char* latin[] = {"Smith", "o'brien", "MILLER", "Zhang", "garcia", "Lee", "Muller", "Rossi"};
    const char* wide[] = {"张伟", "Müller", "李娜", "Ærø", "王芳", "Łukasz", "Ἀθηνᾶ", "Иванов"};
    sqlite3_stmt* ins = nullptr;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?)", -1, &ins, nullptr);
    unsigned x = 12345;
    for (int i = 0; i < 100000; ++i) {
        x = x * 1103515245u + 12345u;
        const bool mixed = state.range(0) == 1 && (x >> 16) % 2;
        const std::string name = std::string(mixed ? wide[(x >> 8) % 8] : latin[(x >> 8) % 8]) + " " +
                                 std::to_string((x >> 4) % 100000);
        sqlite3_bind_text(ins, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    for (auto _ : state) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "SELECT c FROM t ORDER BY c", -1, &s, nullptr);
        long rows = 0;
        while (sqlite3_step(s) == SQLITE_ROW) ++rows;
        sqlite3_finalize(s);
        benchmark::DoNotOptimize(rows);
    }
    sqlite3_close(db);
}

}  // namespace

BENCHMARK(ListRawSqliteCopy)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(ListIntoClientRowset)->Arg(0)->Arg(32000)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(ListIntoClientRowset)->Name("ListIntoClientRowset/mallopt")->Arg(0)->Setup(RaiseAllocatorThresholds)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(OrderByThroughCollation)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
