// The database layer and the data service on both backends, side by side, on the same demo
// account (20,000 contacts): the contact list into a client and a forward-only rowset, a lookup
// by code, a write through a rowset, and the service's Add, Modify and OpenPage. The PostgreSQL
// account lives on SOVREL_BENCH_PG (a server's connection text without a catalog) or on a
// private server started for the run, with PostgreSQL's default durability (fsync and
// synchronous_commit on), so writes on both backends are synced commits. Beside each read and
// write through the layer runs its raw anchor: the same statement through the client library
// alone (libpq or sqlite3), copying every value. The service's Add and Modify run with the
// contacts' history and without it, and count their round trips; then both take turns with each
// other and the raw insert iteration by iteration, so that the disk's drifting sync time weighs
// on each alike. Last, on 100,000 contacts, the quick search's check whether the contacts moved,
// as it was and as it is. SOVREL_BENCH_EXPLAIN=1 prints the server's plan of the translated list
// and lookup statements first.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include "raw_sqlite.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <filesystem>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "backends.h"
#include "common/prog_ids.h"
#include "entry/icontact.h"
#include "host/register.h"
#include "platform/db/connection.h"
#include "platform/db/dialect.h"
#include "platform/db/rowset.h"
#include "schema/demo.h"
#include "service/clscommon.h"
#include "sqlite/functions.h"
#include "ui/list/list_statement.h"

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

PGconn* ConnectRaw(const std::string& connectionText) {
    const auto info = platform::db::ConnectionInfo::Parse(connectionText);
    std::string db;
    for (char c : info.catalog) db += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return PQconnectdb(("host=" + info.dataSource + " port=" + info.port + " user=" + info.user + " dbname=" + db +
                        " client_encoding=UTF8").c_str());
}

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
            // The planner's statistics, as autovacuum leaves them a minute after the load.
            PGconn* c = ConnectRaw(text);
            PQclear(PQexec(c, "ANALYZE"));
            PQfinish(c);
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

using bench::Cell;

// The account database through its client library alone.
class Raw {
public:
    explicit Raw(Backend backend) {
        const auto info = platform::db::ConnectionInfo::Parse(Account(backend));
        if (backend == Backend::Sqlite) {
            sqlite3_open_v2((info.dataSource + "/" + info.catalog + ".db").c_str(), &lite_, SQLITE_OPEN_READWRITE, nullptr);
            RegisterSqlServerFunctions(lite_);
            // As the layer opens it: every commit synced.
            sqlite3_exec(lite_, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
            dialect_ = &platform::db::SqliteDialect();
        } else {
            pg_ = ConnectRaw(Account(backend));
            dialect_ = &platform::db::PostgresDialect();
        }
    }
    ~Raw() {
        if (lite_) sqlite3_close(lite_);
        if (pg_) PQfinish(pg_);
    }
    Raw(const Raw&) = delete;
    Raw& operator=(const Raw&) = delete;

    std::string Native(const std::string& tsql) const { return dialect_->Translate(tsql).at(0).sql; }

    // Runs a native query and copies every value (PostgreSQL's as the text it sends); answers
    // the rows.
    long Copy(const std::string& sql, std::vector<Cell>& cells) {
        cells.clear();
        if (pg_) {
            PGresult* r = PQexecParams(pg_, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0);
            const int rows = PQntuples(r), cols = PQnfields(r);
            cells.reserve(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
            for (int i = 0; i < rows; ++i)
                for (int c = 0; c < cols; ++c) {
                    if (PQgetisnull(r, i, c)) cells.emplace_back();
                    else cells.emplace_back(std::string(PQgetvalue(r, i, c), static_cast<std::size_t>(PQgetlength(r, i, c))));
                }
            PQclear(r);
            return rows;
        }
        return bench::CopyRows(lite_, sql, cells);
    }

    // One contact inserted on its own (so committed, and synced, alone); false on failure.
    bool Insert(const std::string& code) {
        if (pg_) {
            const char* values[] = {code.c_str(), "V0002", "联系人"};
            PGresult* r = PQexecParams(pg_, "INSERT INTO ven_contact (ccontactcode, cvencode, ccontactname) VALUES ($1, $2, $3)",
                                       3, nullptr, values, nullptr, nullptr, 0);
            const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
            PQclear(r);
            return ok;
        }
        if (!insert_)
            sqlite3_prepare_v2(lite_, "INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) VALUES (?, ?, ?)", -1,
                               &insert_, nullptr);
        sqlite3_reset(insert_);
        sqlite3_bind_text(insert_, 1, code.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert_, 2, "V0002", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert_, 3, "联系人", -1, SQLITE_STATIC);
        return sqlite3_step(insert_) == SQLITE_DONE;
    }

    // The server's plan of a statement; `setting` (e.g. "work_mem = '32MB'") applies to it alone,
    // `edit` rewrites the translated text (to see what one of its parts costs).
    void Explain(const std::string& tsql, const std::string& setting = {},
                 const std::function<std::string(std::string)>& edit = {}) {
        if (!pg_) return;
        std::fprintf(stderr, "---- %s%s\n", setting.empty() ? "as translated" : setting.c_str(), edit ? " (edited)" : "");
        if (!setting.empty()) PQclear(PQexec(pg_, ("SET " + setting).c_str()));
        const std::string sql = edit ? edit(Native(tsql)) : Native(tsql);
        PGresult* r = PQexec(pg_, ("EXPLAIN (ANALYZE, BUFFERS) " + sql).c_str());
        if (!setting.empty()) PQclear(PQexec(pg_, ("RESET " + setting.substr(0, setting.find(' '))).c_str()));
        for (int i = 0; i < PQntuples(r); ++i) std::fprintf(stderr, "%s\n", PQgetvalue(r, i, 0));
        if (PQresultStatus(r) != PGRES_TUPLES_OK) std::fprintf(stderr, "%s", PQerrorMessage(pg_));
        PQclear(r);
    }

private:
    PGconn* pg_ = nullptr;
    sqlite3* lite_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    const platform::db::Dialect* dialect_ = nullptr;

public:
    void Finish() {
        if (insert_) sqlite3_finalize(insert_);
        insert_ = nullptr;
    }
};

std::string LookupQuery(long n) {
    return "SELECT TOP 1 cContactCode, cContactName FROM Ven_Contact WHERE cContactCode = N'" + Code(n % 5 + 1) + "'";
}

void RawList(benchmark::State& state, Backend backend) {
    if (!Ready(state, backend)) return;
    Raw raw(backend);
    const std::string sql = raw.Native(kListQuery);
    std::vector<Cell> cells;
    long rows = 0;
    for (auto _ : state) rows = raw.Copy(sql, cells);
    state.counters["rows"] = static_cast<double>(rows);
}

void RawLookup(benchmark::State& state, Backend backend) {
    if (!Ready(state, backend)) return;
    Raw raw(backend);
    std::vector<std::string> sql;
    for (long i = 0; i < 5; ++i) sql.push_back(raw.Native(LookupQuery(i)));
    std::vector<Cell> cells;
    long n = 0, rows = 0;
    for (auto _ : state) rows = raw.Copy(sql[static_cast<std::size_t>(n++ % 5)], cells);
    if (rows != 1) state.SkipWithError("the lookup found no contact");
}

void RawInsert(benchmark::State& state, Backend backend) {
    if (!Ready(state, backend)) return;
    Raw raw(backend);
    static long next = 10000000;
    for (auto _ : state)
        if (!raw.Insert("V0002R" + std::to_string(++next) + std::to_string(static_cast<int>(backend))))
            state.SkipWithError("the raw insert failed");
    raw.Finish();
}

// The layer's single-row insert: an empty rowset, AddNew, three fields, Update.
void InsertThroughARowset(benchmark::State& state, Backend backend) {
    if (!Ready(state, backend)) return;
    platform::db::Connection conn;
    conn.Open(Account(backend));
    static long next = 20000000;
    for (auto _ : state) {
        auto rs = conn.OpenRowset("SELECT TOP 0 * FROM Ven_Contact");
        rs->AddNew();
        rs->Set("cContactCode", "V0002L" + std::to_string(++next));
        rs->Set("cVenCode", "V0002");
        rs->Set("cContactName", "联系人");
        rs->Update();
    }
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
        auto rs = conn.OpenRowset(LookupQuery(n++));
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

// The record of the contact number n that the service's Add adds, with eight of its columns set.
std::string AddedContact(long n, Backend backend) {
    const std::string code = "V0002" + std::to_string(n);
    return "<Ven_Contact><cVenCode>V0002</cVenCode><cContactCode>" + code +
           "</cContactCode><cContactName>联系人</cContactName><bcSexID>1</bcSexID>"
           "<bMajor>False</bMajor><dBirthday>1985-06-01</dBirthday><cConDefine2>A级</cConDefine2>"
           "<oid>{" + code + "-" + std::to_string(static_cast<int>(backend)) + "}</oid></Ven_Contact>";
}

// A Modify of contact Code(contact) that gives it another name each time.
std::string RenamedContact(long contact, long n) {
    return "<Ven_Contact><cContactCode>" + Code(contact) + "</cContactCode><cContactName>改名" + std::to_string(n % 100) +
           "</cContactName></Ven_Contact>";
}

// Add and Modify run with the contacts' history and, beside them, with its write skipped (the
// same service otherwise): what the history costs.
void ServiceAdd(benchmark::State& state, Backend backend, bool history) {
    if (!Ready(state, backend)) return;
    sovrel::RegisterComponentClasses();
    host::RegisterCrmObjects();
    sovrel::ClsCommon service;
    service.SetKeepHistory(history);
    std::string cnn = Account(backend);
    service.Init(cnn);
    static long next = 90000000;
    const long trips = service.m_cnn()->RoundTrips();
    for (auto _ : state) {
        std::string xml = AddedContact(++next, backend), table = "Ven_Contact", msg;
        if (!service.Add(xml, table, msg)) state.SkipWithError(msg.c_str());
    }
    // The first Add reads the table's structure and the settings once.
    state.counters["round trips"] = static_cast<double>(service.m_cnn()->RoundTrips() - trips) / static_cast<double>(state.iterations());
}

void ServiceModify(benchmark::State& state, Backend backend, bool history) {
    if (!Ready(state, backend)) return;
    sovrel::RegisterComponentClasses();
    host::RegisterCrmObjects();
    sovrel::ClsCommon service;
    service.SetKeepHistory(history);
    std::string cnn = Account(backend);
    service.Init(cnn);
    long n = 0;
    const long trips = service.m_cnn()->RoundTrips();
    for (auto _ : state) {
        std::string xml = RenamedContact(2, n++), table = "Ven_Contact", msg;
        if (!service.Modify(xml, table, msg)) state.SkipWithError(msg.c_str());
    }
    state.counters["round trips"] = static_cast<double>(service.m_cnn()->RoundTrips() - trips) / static_cast<double>(state.iterations());
}

// Add (or Modify) with the history and without it, and the raw insert beside them, taking turns
// every iteration: a synced write here takes from under one to several milliseconds as other
// programs use the disk, a drift that runs of each in turn cannot tell from what the history costs.
// Counters: each one's median in microseconds, the history's ratio, Add's ratio to the raw insert,
// and the round trips of one write with the history.
void HistoryTakingTurns(benchmark::State& state, Backend backend, bool modify) {
    if (!Ready(state, backend)) return;
    sovrel::RegisterComponentClasses();
    host::RegisterCrmObjects();
    sovrel::ClsCommon with, without;
    with.SetKeepHistory(true);
    without.SetKeepHistory(false);
    std::string cnn = Account(backend);
    with.Init(cnn);
    without.Init(cnn);
    Raw raw(backend);
    static long next = 95000000, rawNext = 40000000;
    long n = 0;
    auto write = [&](sovrel::ClsCommon& service, long contact) {
        std::string xml = modify ? RenamedContact(contact, n) : AddedContact(++next, backend), table = "Ven_Contact", msg;
        if (!(modify ? service.Modify(xml, table, msg) : service.Add(xml, table, msg))) state.SkipWithError(msg.c_str());
    };
    auto timed = [](auto&& f) {
        const auto start = std::chrono::steady_clock::now();
        f();
        return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    };
    // The first write of each reads the table's structure and the settings.
    write(with, 3);
    write(without, 4);
    std::vector<double> withTimes, withoutTimes, rawTimes;
    long trips = 0;
    for (auto _ : state) {
        ++n;
        // Every other turn in the other order, so that neither always follows the same write.
        for (int i = 0; i < 2; ++i) {
            if ((i == 0) == (n % 2 == 0)) {
                const long before = with.m_cnn()->RoundTrips();
                withTimes.push_back(timed([&] { write(with, 3); }));
                trips += with.m_cnn()->RoundTrips() - before;
            } else {
                withoutTimes.push_back(timed([&] { write(without, 4); }));
            }
        }
        if (!modify)
            rawTimes.push_back(timed([&] {
                if (!raw.Insert("V0002T" + std::to_string(++rawNext) + std::to_string(static_cast<int>(backend))))
                    state.SkipWithError("the raw insert failed");
            }));
    }
    raw.Finish();
    auto median = [](std::vector<double> v) {
        if (v.empty()) return 0.0;
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    const double w = median(withTimes), wo = median(withoutTimes);
    state.counters["with us"] = w;
    state.counters["without us"] = wo;
    state.counters["with/without"] = wo > 0 ? w / wo : 0;
    if (!modify) {
        state.counters["raw us"] = median(rawTimes);
        state.counters["with/raw"] = median(rawTimes) > 0 ? w / median(rawTimes) : 0;
    }
    state.counters["round trips"] = static_cast<double>(trips) / static_cast<double>(state.iterations());
}

// Deletes contacts made for it beforehand (the reference checks and the vendor link clearing
// included), one per iteration.
void ServiceDelete(benchmark::State& state, Backend backend) {
    if (!Ready(state, backend)) return;
    sovrel::RegisterComponentClasses();
    host::RegisterCrmObjects();
    host::RegisterServices();
    static long next = 30000000;
    std::vector<std::string> codes;
    {
        platform::db::Connection conn;
        conn.Open(Account(backend));
        conn.BeginTrans();
        for (long i = 0; i < state.max_iterations; ++i) {
            codes.push_back("V0002D" + std::to_string(++next));
            conn.Execute("INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) VALUES (N'" + codes.back() +
                         "', N'V0002', N'删除')");
        }
        conn.CommitTrans();
    }
    sovrel::ClsCommon service;
    std::string cnn = Account(backend);
    service.Init(cnn);
    std::size_t i = 0;
    for (auto _ : state) {
        platform::db::Value id(codes.at(i++));
        std::string idName = "cContactCode", table = "Ven_Contact", msg;
        if (!service.Delete(id, idName, table, msg)) {
            state.SkipWithError(msg.c_str());
            break;
        }
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

// A demo account of options per backend, made once, its SQLite folder named by name. The
// server's account is replaced by it: the benchmarks that use one run last.
const std::string& DemoAccount(Backend backend, const std::string& name, const schema::DemoOptions& options) {
    static std::map<std::pair<Backend, std::string>, std::string> texts;
    auto it = texts.find({backend, name});
    if (it != texts.end()) return it->second;
    std::string text;
    if (backend == Backend::Sqlite) {
        const std::string dir = (fs::temp_directory_path() / name).string();
        schema::RemoveAccount(dir);
        text = schema::CreateDemoAccount(dir, options).connectionText;
    } else if (!Account(backend).empty()) {
        const std::string server = Account(backend).substr(0, Account(backend).rfind(";Initial Catalog="));
        text = schema::ReplaceDemoAccountOn(server, options).connectionText;
        PGconn* c = ConnectRaw(text);
        PQclear(PQexec(c, "ANALYZE"));
        PQfinish(c);
    }
    return texts[{backend, name}] = text;
}

// A 100,000-contact account per backend for the quick search's check whether the contacts moved.
const std::string& LargeAccount(Backend backend) {
    return DemoAccount(backend, "sovrel-bench-side-by-side-large", {.contacts = 100000, .vendors = 0, .seed = 7});
}

// The check as it was (row count and newest version, the table read whole, no index on tkts)
// and as it is (the newest version, one step down the index). RawLookup is its yardstick: any
// one-row read costs that much.
void ContactsMovedCheck(benchmark::State& state, Backend backend, bool indexed) {
    if (!Ready(state, backend) || LargeAccount(backend).empty()) return;
    platform::db::Connection conn;
    conn.Open(LargeAccount(backend));
    conn.ExecuteScript(indexed ? "CREATE INDEX IF NOT EXISTS Ven_Contact_tkts ON Ven_Contact (tkts)"
                               : "DROP INDEX IF EXISTS Ven_Contact_tkts");
    if (backend == Backend::Postgres) conn.ExecuteScript("ANALYZE ven_contact");
    const std::string sql = indexed ? "SELECT MAX(tkts) AS v FROM Ven_Contact" : "SELECT COUNT(*) AS n, MAX(tkts) AS v FROM Ven_Contact";
    for (auto _ : state) benchmark::DoNotOptimize(conn.OpenRowset(sql)->Get(std::size_t{0}));
}

// The quick search of a text too short for the trigrams ("张伟", two characters), on an account
// of SOVREL_BENCH_SEARCH_CONTACTS contacts (100,000 unless given; the server's account is
// replaced by it, so it runs last): the list's statement opened a page at a time, its count and
// first page of 500 (Arg 0), beside the six LIKEs over every contact read by the client library
// alone (Arg 1).
const std::string& SearchAccount(Backend backend) {
    const char* given = std::getenv("SOVREL_BENCH_SEARCH_CONTACTS");
    const schema::DemoOptions options{.contacts = given ? std::atoi(given) : 100000, .seed = 1};
    return DemoAccount(backend, "sovrel-bench-search-" + std::to_string(options.contacts), options);
}

void ShortSearch(benchmark::State& state, Backend backend) {
    if (!Ready(state, backend) || SearchAccount(backend).empty()) return;
    const std::string typed = "\u5F20\u4F1F";
    const std::string list = "SELECT Ven_Contact.cContactCode, Ven_Contact.cContactName, vendor.cVenName, Ven_Contact.cMobilePhone, "
                             "Ven_Contact.cEmail FROM Ven_Contact LEFT JOIN vendor ON vendor.cVenCode = Ven_Contact.cVenCode WHERE ";
    long rows = 0;
    if (state.range(0) == 0) {
        platform::db::Connection conn;
        conn.Open(SearchAccount(backend));
        // As the list writes it once it knows the account: a server's has no table of texts.
        const std::string sql = list + sovrel::QuickSearchCondition(typed, {}, true, backend == Backend::Sqlite) +
                                " ORDER BY Ven_Contact.cContactCode";
        for (auto _ : state) {
            auto rs = conn.OpenRowset(sql, platform::db::CursorKind::Paged);
            rows = rs->RecordCount();
            rs->SetPageSize(500);
            rs->SetAbsolutePage(1);
            long cells = 0;
            for (long n = 0; n < 500 && !rs->Eof(); ++n, rs->MoveNext()) cells += rs->Get(std::size_t{0}).IsNull() ? 0 : 1;
            benchmark::DoNotOptimize(cells);
        }
    } else {
        // Raw on the search account: its own client connection.
        const auto info = platform::db::ConnectionInfo::Parse(SearchAccount(backend));
        std::string any;
        for (const char* column : {"cContactCode", "cContactName", "cOfficePhone", "cHomePhone", "cMobilePhone", "cEmail"})
            any += std::string(any.empty() ? "" : " OR ") + "Ven_Contact." + column + " LIKE N'%" + typed + "%'";
        const std::string tsql = list + "(" + any + ") ORDER BY Ven_Contact.cContactCode";
        std::vector<Cell> cells;
        if (backend == Backend::Sqlite) {
            sqlite3* db = nullptr;
            sqlite3_open_v2((info.dataSource + "/" + info.catalog + ".db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
            RegisterSqlServerFunctions(db);
            const std::string sql = platform::db::SqliteDialect().Translate(tsql).at(0).sql;
            for (auto _ : state) rows = bench::CopyRows(db, sql, cells);
            sqlite3_close(db);
        } else {
            PGconn* pg = ConnectRaw(SearchAccount(backend));
            const std::string sql = platform::db::PostgresDialect().Translate(tsql).at(0).sql;
            for (auto _ : state) {
                PGresult* r = PQexec(pg, sql.c_str());
                rows = PQntuples(r);
                PQclear(r);
            }
            PQfinish(pg);
        }
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void Register() {
    for (Backend b : sovrel::test::kBackends) {
        const std::string name = b == Backend::Sqlite ? "/SQLite" : "/PostgreSQL";
        // Each figure beside its raw anchor.
        benchmark::RegisterBenchmark(("RawList" + name).c_str(), RawList, b)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("ListIntoClientRowset" + name).c_str(), ListIntoClientRowset, b)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("ListForwardOnly" + name).c_str(), ListForwardOnly, b)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("RawLookup" + name).c_str(), RawLookup, b)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("LookupByCode" + name).c_str(), LookupByCode, b)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("RawInsert" + name).c_str(), RawInsert, b)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("InsertThroughARowset" + name).c_str(), InsertThroughARowset, b)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("UpdateThroughARowset" + name).c_str(), UpdateThroughARowset, b)->Unit(benchmark::kMicrosecond);
        for (bool history : {true, false}) {
            const std::string kept = history ? "/history" : "/no-history";
            benchmark::RegisterBenchmark(("ServiceAdd" + name + kept).c_str(), ServiceAdd, b, history)->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("ServiceModify" + name + kept).c_str(), ServiceModify, b, history)->Unit(benchmark::kMicrosecond);
        }
        benchmark::RegisterBenchmark(("HistoryTakingTurns/Add" + name).c_str(), HistoryTakingTurns, b, false)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("HistoryTakingTurns/Modify" + name).c_str(), HistoryTakingTurns, b, true)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("ServiceDelete" + name).c_str(), ServiceDelete, b)->Iterations(300)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("ServiceOpenPage" + name).c_str(), ServiceOpenPage, b)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);  // 0: the last page
    }
    for (Backend b : sovrel::test::kBackends) {
        const std::string name = b == Backend::Sqlite ? "/SQLite" : "/PostgreSQL";
        benchmark::RegisterBenchmark(("ContactsMovedCheck" + name + "/before").c_str(), ContactsMovedCheck, b, false)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("ContactsMovedCheck" + name + "/after").c_str(), ContactsMovedCheck, b, true)->Unit(benchmark::kMicrosecond);
    }
    for (Backend b : sovrel::test::kBackends) {
        const std::string name = b == Backend::Sqlite ? "/SQLite" : "/PostgreSQL";
        benchmark::RegisterBenchmark(("ShortSearch" + name).c_str(), ShortSearch, b)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);
    }
}

}  // namespace

int main(int argc, char** argv) {
    sovrel::test::pg::KeepDefaultDurability();
    if (std::getenv("SOVREL_BENCH_EXPLAIN")) {
        Raw raw(Backend::Postgres);
        raw.Explain(kListQuery);
        raw.Explain(kListQuery, "work_mem = '32MB'");
        // What the case-insensitive collation costs: the same joins and order compared bytewise.
        raw.Explain(kListQuery, "work_mem = '32MB'", [](std::string sql) {
            for (std::size_t at; (at = sql.find("tsql_ci")) != std::string::npos;) sql.replace(at, 7, "\"C\"");
            for (const char* key : {"vendor.cVenCode", "Ven_Contact.cVenCode", "Contact1.cContactCode", "Ven_Contact.cSuperiorID",
                                    "Person3.cPersonCode", "Ven_Contact.cPrincipal"}) {
                const std::string side = std::string(key) + " = ", last = std::string(" = ") + key + " ";
                for (std::size_t at = sql.find(side); at != std::string::npos; at = sql.find(side, at + 1))
                    sql.insert(at + std::strlen(key), " COLLATE \"C\"");
                for (std::size_t at = sql.find(last); at != std::string::npos; at = sql.find(last, at + 1))
                    sql.insert(at + last.size() - 1, " COLLATE \"C\"");
            }
            const std::size_t order = sql.rfind("ORDER BY");
            if (order != std::string::npos && sql.find("COLLATE", order) == std::string::npos) sql += " COLLATE \"C\"";
            std::fprintf(stderr, "%s\n", sql.c_str());
            return sql;
        });
        raw.Explain(LookupQuery(0));
    }
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
