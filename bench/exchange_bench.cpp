// The import of contact files: 10,000 contacts from a CSV file through the data service's Add
// with every check, beside the same rows put in by one prepared INSERT through sqlite3 alone;
// and a 100,000-row file read through, to show that reading costs one row's memory.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "exchange/contact_exchange.h"
#include "exchange/csv.h"
#include "exchange/record.h"
#include "entry/icontact.h"
#include "host/register.h"
#include "platform/db/connection.h"
#include "schema/demo.h"
#include "service/clscommon.h"

namespace {

namespace fs = std::filesystem;
namespace ex = sovrel::exchange;

fs::path Folder(const std::string& name) { return fs::temp_directory_path() / ("sovrel-bench-exchange-" + name); }

std::string FreshAccount(const std::string& name) {
    fs::remove_all(Folder(name));
    return schema::CreateFixedAccount(Folder(name).string()).connectionText;
}

// Contact n of V03 as a file carries it: base codes by name, no code (the import numbers it).
ex::Record Row(long n) {
    const std::string s = std::to_string(n);
    ex::Record r;
    const std::pair<const char*, std::string> values[] = {
        {"cVenCode", "V03"}, {"cContactName", "联系人" + s}, {"cAppellation", "先生"}, {"cNative", "浙江杭州"},
        {"bcDutyID", "经理"}, {"bcTasteID", "运动"}, {"cPrincipal", "0002"}, {"cCreator", "demo"},
        {"cOfficePhone", "0571-88880000"}, {"cMobilePhone", "139" + std::to_string(10000000 + n)},
        {"cEmail", "c" + s + "@example.cn"}, {"cMemo", "备注 & 说明\n第二行"}, {"bcSexID", "男"},
        {"bcMarriageID", "已婚"}, {"bMajor", "False"}, {"dBirthday", "1985-06-01"}, {"dCreateDate", "2024-05-01"},
        {"cConDefine1", "wx" + s}, {"cConDefine2", "A级"}, {"cConDefine11", "3"}, {"cConDefine13", "1000.5"},
        {"cConDefine15", "2020-01-01"}};
    for (const auto& [f, v] : values) r.Set(f, v);
    return r;
}

fs::path CsvFile(long rows) {
    const fs::path file = fs::temp_directory_path() / ("sovrel-bench-exchange-" + std::to_string(rows) + ".csv");
    if (fs::exists(file)) return file;
    std::ofstream out(file, std::ios::binary);
    out << ex::CsvHeader();
    for (long n = 1; n <= rows; ++n) out << ex::CsvRow(Row(n));
    return file;
}

long PeakKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:")) return std::stol(line.substr(6));
    return 0;
}

void ImportThroughTheService(benchmark::State& state) {
    host::RegisterHostObjects();
    sovrel::RegisterComponentClasses();
    const fs::path file = CsvFile(state.range(0));
    long added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string cnn = FreshAccount("import");
        sovrel::ClsCommon service;
        service.Init(cnn);
        std::ifstream in(file, std::ios::binary);
        state.ResumeTiming();
        ex::ImportSummary summary;
        ex::ImportContacts(service, in, {}, [](const ex::RowReport&) {}, summary);
        if (summary.refused > 0 || !summary.written) state.SkipWithError("rows were refused");
        added += summary.added;
    }
    state.counters["contacts/s"] = benchmark::Counter(static_cast<double>(added), benchmark::Counter::kIsRate);
}

void InsertThroughSqliteAlone(benchmark::State& state) {
    long added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const auto info = platform::db::ConnectionInfo::Parse(FreshAccount("raw"));
        sqlite3* db = nullptr;
        sqlite3_open_v2((info.dataSource + "/" + info.catalog + ".db").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db,
                           "insert into Ven_Contact (oid, cVenCode, cContactCode, cContactName, cAppellation, cNative, "
                           "bcDutyID, bcTasteID, cPrincipal, cCreator, cOfficePhone, cMobilePhone, cEmail, cMemo, "
                           "bcSexID, bcMarriageID, bMajor, dBirthday, dCreateDate, cConDefine1, cConDefine2, "
                           "cConDefine11, cConDefine13, cConDefine15) values "
                           "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                           -1, &insert, nullptr);
        state.ResumeTiming();
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (long n = 1; n <= state.range(0); ++n) {
            const ex::Record r = Row(n);
            char code[32], oid[48];
            std::snprintf(code, sizeof code, "V03%08ld", n);
            std::snprintf(oid, sizeof oid, "{00000000-0000-4000-8000-%012ld}", n);
            int i = 0;
            auto text = [&](const std::string& v) { sqlite3_bind_text(insert, ++i, v.c_str(), -1, SQLITE_TRANSIENT); };
            text(oid);
            text("V03");
            text(code);
            for (const char* f : {"cContactName", "cAppellation", "cNative"}) text(r.Get(f));
            sqlite3_bind_int(insert, ++i, 4);
            sqlite3_bind_int(insert, ++i, 11);
            for (const char* f : {"cPrincipal", "cCreator", "cOfficePhone", "cMobilePhone", "cEmail", "cMemo"}) text(r.Get(f));
            sqlite3_bind_int(insert, ++i, 1);
            sqlite3_bind_int(insert, ++i, 17);
            sqlite3_bind_int(insert, ++i, 0);
            for (const char* f : {"dBirthday", "dCreateDate", "cConDefine1", "cConDefine2"}) text(r.Get(f));
            sqlite3_bind_int(insert, ++i, 3);
            sqlite3_bind_double(insert, ++i, 1000.5);
            text(r.Get("cConDefine15"));
            if (sqlite3_step(insert) != SQLITE_DONE) state.SkipWithError(sqlite3_errmsg(db));
            sqlite3_reset(insert);
            ++added;
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        state.PauseTiming();
        sqlite3_finalize(insert);
        sqlite3_close(db);
        state.ResumeTiming();
    }
    state.counters["contacts/s"] = benchmark::Counter(static_cast<double>(added), benchmark::Counter::kIsRate);
}

// Reading only: the rows of a 100,000-row file one after another, and the process's peak memory
// before and after (the file is about 30 MB).
void ReadALargeFile(benchmark::State& state) {
    const fs::path file = CsvFile(state.range(0));
    const long before = PeakKilobytes();  // the file is written a row at a time, so this is the start
    long rows = 0;
    for (auto _ : state) {
        std::ifstream in(file, std::ios::binary);
        ex::LineReader lines(in, ex::DetectEncoding(in));
        ex::CsvReader reader(lines);
        ex::Record r;
        while (reader.Next(r)) ++rows;
    }
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
    state.counters["file_MB"] = static_cast<double>(fs::file_size(file)) / 1e6;
    state.counters["peak_growth_MB"] = static_cast<double>(PeakKilobytes() - before) / 1e3;
}

}  // namespace

// The read first, while the process is small: its peak is the reader's.
BENCHMARK(ReadALargeFile)->Arg(100000)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(ImportThroughTheService)->Arg(10000)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(InsertThroughSqliteAlone)->Arg(10000)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
