// The contact list on 10,000, 100,000 and 1,000,000 contacts (Arg: contacts): the portal from
// process start to the first page saved, with its peak memory; opening the list's query and
// reading its first page, read whole (as before) and a page at a time; turning to page 1,000; a
// filter of 500 rows; the quick search; the list sorted by the vendor's name; the whole list
// exported to XLSX and CSV by sovrel export, with its peak memory. Each beside the raw client loop:
// the same translated statement stepped by sqlite3 alone, copying every value (for the export,
// writing it as CSV). Select All's e-mail addresses of the whole list, as the list gathered them
// before (every code, named in one statement) and as it reads them now (the list's statement), in
// a process of its own, beside sqlite3 reading the same column. The accounts are kept under the temporary folder
// (SOVREL_BENCH_PAGED_DIR names another), made once: 1,000,000 contacts take a minute and 500 MB.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/db/connection.h"
#include "platform/db/dialect.h"
#include "platform/db/rowset.h"
#include "platform/text.h"
#include "raw_sqlite.h"
#include "schema/demo.h"
#include "schema/schema.h"
#include "sqlite/functions.h"
#include "common/hosts/login.h"
#include "host/session.h"
#include "ui/list/list_statement.h"
#include "ui/messaging/cls_contact.h"

namespace {

// The list as the window asks it with the demo's column settings.
const char* kList =
    "SELECT '' AS cSelect, Ven_Contact.cContactCode AS cContactCode, vendor.cVenName AS cVenName, "
    "Ven_Contact.cContactName AS cContactName, Ven_Contact.cAppellation AS cAppellation, BaseCodeSex.cName AS cSexName, "
    "Contact1.cContactName AS cSuperiorName, BaseCodeDuty.cName AS cDutyName, Ven_Contact.bMajor AS bMajor, "
    "Person.cPersonName AS cPersonName, Ven_Contact.cOfficePhone AS cOfficePhone, Ven_Contact.cMobilePhone AS cMobilePhone, "
    "Ven_Contact.cEmail AS cEmail FROM Ven_Contact Left join vendor on vendor.cVenCode=Ven_Contact.cVenCode "
    "Left join Ven_Contact Contact1 on Contact1.cContactCode=Ven_Contact.cSuperiorID "
    "Left join Crm_BaseCode BaseCodeDuty on BaseCodeDuty.ID=Ven_Contact.bcDutyID "
    "Left join Person on Person.cPersonCode=Ven_Contact.cPrincipal "
    "Left join Crm_BaseCode BaseCodeSex on BaseCodeSex.ID=Ven_Contact.bcSexID WHERE ((1=1)) ";

std::string Statement(const std::string& condition = {}) {
    return kList + (condition.empty() ? std::string() : " AND " + condition) + " ORDER BY cContactCode";
}

// Five vendors' contacts: about 500 rows at every size (a vendor has a hundred).
std::string FiveVendors(long contacts) {
    const long vendors = contacts / 100;
    std::string in;
    const int width = static_cast<int>(std::to_string(vendors).size());  // V001 of 100, V00001 of 10,000
    for (long k = 1; k <= 5; ++k) {
        char code[24];
        std::snprintf(code, sizeof code, "N'V%0*ld'", width, k * vendors / 6);
        in += (k > 1 ? "," : "") + std::string(code);
    }
    return "Ven_Contact.cVenCode IN (" + in + ")";
}

const std::string& Account(long contacts) {
    static std::map<long, std::string> made;
    auto& dir = made[contacts];
    if (!dir.empty()) return dir;
    const char* given = std::getenv("SOVREL_BENCH_PAGED_DIR");
    const std::filesystem::path base = given ? given : std::filesystem::temp_directory_path().string();
    dir = (base / ("sovrel-bench-paged-" + std::to_string(contacts))).string();
    if (!schema::AccountExists(dir)) {
        schema::CreateDemoAccount(dir, {.contacts = static_cast<int>(contacts), .vendors = static_cast<int>(contacts / 100), .seed = 1});
    } else {
        // One kept from an earlier build gets what a login would give it (the search's index).
        platform::db::Connection c;
        c.Open("Provider=SQLite;Data Source=" + dir + ";Initial Catalog=TKDATA_001_2024");
        schema::AddLaterAccountTables(c);
    }
    return dir;
}

std::shared_ptr<platform::db::Connection> Open(long contacts) {
    auto c = std::make_shared<platform::db::Connection>();
    c->Open("Provider=SQLite;Data Source=" + Account(contacts) + ";Initial Catalog=TKDATA_001_2024");
    return c;
}

long ReadPage(platform::db::Rowset& rs, long page, long size = 500) {
    long cells = 0;
    if (rs.RecordCount() == 0) return 0;
    rs.SetPageSize(size);
    rs.SetAbsolutePage(std::min(page, rs.PageCount()));
    for (long n = 0; n < size && !rs.Eof(); ++n, rs.MoveNext())
        for (std::size_t f = 0; f < rs.FieldCount(); ++f) cells += rs.Get(f).IsNull() ? 0 : 1;
    return cells;
}

// The raw client: the statement translated once, stepped by sqlite3 with every value copied.
struct Raw {
    sqlite3* db = nullptr;
    explicit Raw(long contacts) {
        sqlite3_open_v2((Account(contacts) + "/TKDATA_001_2024.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        RegisterSqlServerFunctions(db);
    }
    ~Raw() { sqlite3_close(db); }
    long Copy(const std::string& tsql, const std::string& tail = {}) {
        std::vector<bench::Cell> cells;
        const long rows = bench::CopyRows(db, platform::db::SqliteDialect().Translate(tsql).at(0).sql + tail, cells);
        benchmark::DoNotOptimize(cells);
        return rows;
    }
};

// sovrel-portal --screenshot on the account: wall time from the start of the process to the
// first page saved, and the process's peak resident memory.
void PortalToFirstPage(benchmark::State& state) {
    const std::string dir = Account(state.range(0));
    const std::string shot = (std::filesystem::temp_directory_path() / "sovrel-bench-paged.png").string();
    double peak = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("SOVREL_PASSWORD", "demo123", 1);
            if (!std::freopen("/dev/null", "w", stderr)) _exit(126);
            // SOVREL_BENCH_PORTAL: another build's portal, to compare with.
            const char* portal = std::getenv("SOVREL_BENCH_PORTAL") ? std::getenv("SOVREL_BENCH_PORTAL") : SOVREL_PORTAL;
            execl(portal, portal, "--data", dir.c_str(), "--screenshot", shot.c_str(), nullptr);
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("the portal failed");
        state.SetIterationTime(seconds);
        peak = std::max(peak, usage.ru_maxrss / 1024.0);
    }
    state.counters["peak MB"] = peak;
}

// Arg 1: 0 read whole (as the list was read before), 1 a page at a time.
void OpenListFirstPage(benchmark::State& state) {
    auto c = Open(state.range(0));
    const auto kind = state.range(1) ? platform::db::CursorKind::Paged : platform::db::CursorKind::ClientStatic;
    long rows = 0;
    for (auto _ : state) {
        auto rs = c->OpenRowset(Statement(), kind);
        benchmark::DoNotOptimize(ReadPage(*rs, 1));
        rows = rs->RecordCount();
    }
    state.counters["rows"] = static_cast<double>(rows);
}

// The raw anchor: the statement counted as the layer counts it (without the select list, and
// without the joins that look one row up by a unique key) and its first page stepped.
void RawFirstPage(benchmark::State& state) {
    Raw raw(state.range(0));
    const platform::db::PagingPlan plan = platform::db::PlanPaging(Statement());
    const std::string count = plan.countWithoutLookups.empty() ? plan.count : plan.countWithoutLookups;
    for (auto _ : state) {
        raw.Copy(count);
        raw.Copy(Statement(), " LIMIT 500");
    }
}

// From the first page of sql's open list to page, timing the turn alone.
void TurnFromFirstPage(benchmark::State& state, const std::string& sql, long page) {
    auto c = Open(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto rs = c->OpenRowset(sql, platform::db::CursorKind::Paged);
        ReadPage(*rs, 1);
        state.ResumeTiming();
        benchmark::DoNotOptimize(ReadPage(*rs, page));
    }
}

// From the first page of an open list to page 1,000 (the last at 10,000 contacts).
void TurnToPage1000(benchmark::State& state) { TurnFromFirstPage(state, Statement(), 1000); }

void RawPage1000(benchmark::State& state) {
    Raw raw(state.range(0));
    const long offset = std::min(999L, state.range(0) / 500 - 1) * 500;
    for (auto _ : state) raw.Copy(Statement(), " LIMIT 500 OFFSET " + std::to_string(offset));
}

// The list filtered to five vendors (about 500 contacts), its first page read.
void FilterOf500(benchmark::State& state) {
    auto c = Open(state.range(0));
    const std::string sql = Statement(FiveVendors(state.range(0)));
    long rows = 0;
    for (auto _ : state) {
        auto rs = c->OpenRowset(sql, platform::db::CursorKind::Paged);
        benchmark::DoNotOptimize(ReadPage(*rs, 1));
        rows = rs->RecordCount();
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void RawFilterOf500(benchmark::State& state) {
    Raw raw(state.range(0));
    const std::string sql = Statement(FiveVendors(state.range(0)));
    long rows = 0;
    for (auto _ : state) rows = raw.Copy(sql);
    state.counters["rows"] = static_cast<double>(rows);
}

// Every row of the list read through a clone, as Select All gathers the codes for an e-mail and
// a search goes through the list: the heap the rowset holds afterwards (its cached pages).
void WalkWholeList(benchmark::State& state) {
    auto c = Open(state.range(0));
    double held = 0;
    long codes = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        auto rs = c->OpenRowset(Statement(), platform::db::CursorKind::Paged);
        auto all = rs->Clone();
        codes = 0;
        for (all->MoveFirst(); !all->Eof(); all->MoveNext()) codes += all->Get(1).ToText().empty() ? 0 : 1;
        held = static_cast<double>(mallinfo2().uordblks - before) / (1024.0 * 1024.0);
    }
    state.counters["codes"] = static_cast<double>(codes);
    state.counters["held MB"] = held;
}

// The quick search as the window writes it (codes, names, phones, e-mail containing the text).
// Arg 1: the text: 0 "9999" (digits in phones, 1,700 contacts of a million), 1 "zixuan.ouyang"
// (e-mail, 530), 2 "欧阳子" (names, 620), 3 "张伟" (two characters, too short for the trigrams:
// 567), 4 "É" (one character in upper case, as rare as one gets in the demo's names: 7,009).
const char* const kSearches[] = {"9999", "zixuan.ouyang", "\u6B27\u9633\u5B50", "\u5F20\u4F1F", "\u00C9"};

std::string SearchStatement(long text) { return Statement(sovrel::QuickSearchCondition(kSearches[text])); }

void SearchFirstPage(benchmark::State& state) {
    auto c = Open(state.range(0));
    const std::string sql = SearchStatement(state.range(1));
    long rows = 0;
    for (auto _ : state) {
        auto rs = c->OpenRowset(sql, platform::db::CursorKind::Paged);
        benchmark::DoNotOptimize(ReadPage(*rs, 1));
        rows = rs->RecordCount();
    }
    state.counters["rows"] = static_cast<double>(rows);
}

// A child process's wall time and peak resident memory (MB); false when it failed.
bool InChild(const std::function<int()>& child, double& seconds, double& peakMb) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) _exit(child());
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    peakMb = usage.ru_maxrss / 1024.0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The whole list written by `sovrel export` (Arg 1: 0 XLSX, 1 CSV) in a process of its own: its
// time and peak memory. SOVREL_BENCH_CLI names another build's program (to compare with one
// from before a change).
void ExportWholeList(benchmark::State& state) {
    const std::string dir = Account(state.range(0));
    const char* given = std::getenv("SOVREL_BENCH_CLI");
    const std::string cli = given ? given : SOVREL_CLI;
    const std::string file = (std::filesystem::temp_directory_path() /
                              (state.range(1) ? "sovrel-bench-export.csv" : "sovrel-bench-export.xlsx")).string();
    const std::string sql = Statement();
    double peak = 0;
    for (auto _ : state) {
        double seconds = 0, mb = 0;
        const bool ok = InChild([&] {
            setenv("SOVREL_PASSWORD", "demo123", 1);
            if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr)) return 126;
            execl(cli.c_str(), cli.c_str(), "--data", dir.c_str(), "export", sql.c_str(), file.c_str(), nullptr);
            return 127;
        }, seconds, mb);
        if (!ok) state.SkipWithError("sovrel export failed");
        state.SetIterationTime(seconds);
        peak = std::max(peak, mb);
    }
    state.counters["peak MB"] = peak;
    state.counters["file MB"] = static_cast<double>(std::filesystem::file_size(file)) / (1024.0 * 1024.0);
    std::filesystem::remove(file);
}

// sqlite3 alone, as a raw anchor: every row of sql on the account file db handed to each; 0, or
// 1 when the file does not open, 2 when the statement does not prepare.
template <class Each>
int RawRows(const std::string& db, const std::string& sql, Each each) {
    sqlite3* h = nullptr;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return 1;
    RegisterSqlServerFunctions(h);
    if (sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return 2;
    while (sqlite3_step(st) == SQLITE_ROW) each(st);
    sqlite3_finalize(st);
    sqlite3_close(h);
    return 0;
}

// The raw anchor of the export: the statement stepped by sqlite3 and written as CSV as the rows
// come, in a process of its own.
void RawExportCsv(benchmark::State& state) {
    const std::string db = Account(state.range(0)) + "/TKDATA_001_2024.db";
    const std::string file = (std::filesystem::temp_directory_path() / "sovrel-bench-raw.csv").string();
    const std::string sql = platform::db::SqliteDialect().Translate(Statement()).at(0).sql;
    double peak = 0;
    for (auto _ : state) {
        double seconds = 0, mb = 0;
        const bool ok = InChild([&] {
            std::FILE* out = std::fopen(file.c_str(), "wb");
            if (!out) return 3;
            std::string line;
            const int failed = RawRows(db, sql, [&](sqlite3_stmt* st) {
                line.clear();
                for (int c = 0, n = sqlite3_column_count(st); c < n; ++c) {
                    if (c) line += ',';
                    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                    if (text) platform::text::AppendCsvField(line, std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(st, c))));
                }
                line += "\r\n";
                std::fwrite(line.data(), 1, line.size(), out);
            });
            const bool closed = std::fclose(out) == 0;
            return failed ? failed : closed ? 0 : 4;
        }, seconds, mb);
        if (!ok) state.SkipWithError("the raw export failed");
        state.SetIterationTime(seconds);
        peak = std::max(peak, mb);
    }
    state.counters["peak MB"] = peak;
    std::filesystem::remove(file);
}

// The raw anchor: the six LIKEs alone (no index), every row stepped by sqlite3.
void RawSearch(benchmark::State& state) {
    Raw raw(state.range(0));
    std::string any;
    for (const char* column : {"cContactCode", "cContactName", "cOfficePhone", "cHomePhone", "cMobilePhone", "cEmail"})
        any += std::string(any.empty() ? "" : " OR ") + "Ven_Contact." + column + " LIKE N'%" + kSearches[state.range(1)] + "%'";
    const std::string sql = Statement("(" + any + ")");
    long rows = 0;
    for (auto _ : state) rows = raw.Copy(sql);
    state.counters["rows"] = static_cast<double>(rows);
}

// Select All's addresses of the whole list (Arg 1: 0 every code of the list read through a clone
// and named in one IN list, as before; 1 the list's own statement read a page at a time), in a
// process of its own: its time and peak memory, and the addresses' length.
void SelectAllMail(benchmark::State& state) {
    const std::string text = "Provider=SQLite;Data Source=" + Account(state.range(0)) + ";Initial Catalog=TKDATA_001_2024";
    const bool streamed = state.range(1) != 0;
    // Logged in once, outside the measured child: the mail class reads the account through it.
    const auto login = host::LoginSession::Login(Account(state.range(0)), "demo", {.password = std::string(schema::kDemoPassword)});
    double peak = 0;
    for (auto _ : state) {
        double seconds = 0, mb = 0;
        const bool ok = InChild([&] {
            sovrel::MailRecipients to;
            if (streamed) {
                to = sovrel::ListMailRecipients({"Ven_Contact.cContactCode", "(1=1)"});
            } else {
                platform::db::Connection c;
                c.Open(text);
                auto rs = c.OpenRowset(Statement(), platform::db::CursorKind::Paged);
                std::vector<std::string> codes;
                for (auto all = rs->Clone(); !all->Eof(); all->MoveNext()) codes.push_back(all->Get(1).ToText());
                to.codeList = sovrel::QuotedCodeList(codes);
            }
            const std::string addresses = sovrel::clsContact().ContactAddresses(to, login);
            std::printf("addresses: %zu bytes\n", addresses.size());
            std::fflush(stdout);
            return addresses.empty() ? 1 : 0;
        }, seconds, mb);
        if (!ok) state.SkipWithError("the addresses could not be read");
        state.SetIterationTime(seconds);
        peak = std::max(peak, mb);
    }
    state.counters["peak MB"] = peak;
}

// The raw anchor: sqlite3 alone steps the contacts' addresses in the list's order and joins
// the trimmed ones, in a process of its own.
void RawSelectAllMail(benchmark::State& state) {
    const std::string db = Account(state.range(0)) + "/TKDATA_001_2024.db";
    const std::string sql =
        platform::db::SqliteDialect().Translate("SELECT cEmail FROM Ven_Contact ORDER BY cContactCode").at(0).sql;
    double peak = 0;
    for (auto _ : state) {
        double seconds = 0, mb = 0;
        const bool ok = InChild([&] {
            std::string addresses;
            if (const int failed = RawRows(db, sql, [&](sqlite3_stmt* st) {
                    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
                    const std::string mail = t ? platform::text::Trim(t) : std::string();
                    if (!mail.empty()) addresses += mail + ";";
                }))
                return failed;
            std::printf("addresses: %zu bytes\n", addresses.size());
            std::fflush(stdout);
            return addresses.empty() ? 3 : 0;
        }, seconds, mb);
        if (!ok) state.SkipWithError("the raw read failed");
        state.SetIterationTime(seconds);
        peak = std::max(peak, mb);
    }
    state.counters["peak MB"] = peak;
}

// The list sorted by a click on the vendor name's header (a joined column no index orders), as
// the window writes it: its first page, and from there the next.
std::string SortedStatement() {
    std::string sql = Statement();
    return sql.substr(0, sql.rfind(" ORDER BY")) + " Order by 3 ASC, cContactCode";
}

void SortByVendorName(benchmark::State& state) {
    auto c = Open(state.range(0));
    long rows = 0;
    for (auto _ : state) {
        auto rs = c->OpenRowset(SortedStatement(), platform::db::CursorKind::Paged);
        benchmark::DoNotOptimize(ReadPage(*rs, 1));
        rows = rs->RecordCount();
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void SortedNextPage(benchmark::State& state) { TurnFromFirstPage(state, SortedStatement(), 2); }

// The raw anchor: the sorted statement's first 500 rows stepped by sqlite3 (the server's top-N).
void RawSortedFirstPage(benchmark::State& state) {
    Raw raw(state.range(0));
    for (auto _ : state) raw.Copy(SortedStatement(), " LIMIT 500");
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (long n : {10000L, 100000L, 1000000L}) b->Arg(n);
}

}  // namespace

BENCHMARK(PortalToFirstPage)->Apply(Sizes)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(OpenListFirstPage)->ArgsProduct({{10000, 100000, 1000000}, {0, 1}})->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(RawFirstPage)->Apply(Sizes)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(TurnToPage1000)->Apply(Sizes)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(RawPage1000)->Apply(Sizes)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(FilterOf500)->Apply(Sizes)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(RawFilterOf500)->Apply(Sizes)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK(WalkWholeList)->Apply(Sizes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(SearchFirstPage)->ArgsProduct({{10000, 100000, 1000000}, {0, 1, 2, 3, 4}})->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(RawSearch)->ArgsProduct({{10000, 100000, 1000000}, {0, 1, 2, 3, 4}})->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SortByVendorName)->Apply(Sizes)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SortedNextPage)->Apply(Sizes)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(RawSortedFirstPage)->Apply(Sizes)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK(ExportWholeList)->ArgsProduct({{10000, 100000, 1000000}, {0, 1}})->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(SelectAllMail)->ArgsProduct({{10000, 100000, 1000000}, {0, 1}})->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(RawSelectAllMail)->Apply(Sizes)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(RawExportCsv)->Apply(Sizes)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
