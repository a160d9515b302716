// The list's quick search on a 100,000-contact account, offscreen, over the real host objects:
// each keystroke runs the list's query with the search (the pinyin initials' names looked up
// first), clones the result and fills its first page of 500. Beside it, in the same run, the raw
// anchor: the very statement that keystroke ran, translated once and stepped with sqlite3 alone,
// every value copied. SOVREL_BENCH_DIR keeps the account between runs (bench_list's one).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include "raw_sqlite.h"

#include "window_bench.h"

#include <QApplication>
#include <QLineEdit>

#include <chrono>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "common/context.h"
#include "entry/icontact.h"
#include "host/session.h"
#include "platform/db/dialect.h"
#include "platform/db/rowset.h"
#include "schema/demo.h"
#include "sqlite/functions.h"
#include "ui/list/frm_contact_list.h"

namespace {

// What a clerk types: initials (one letter, then two), a Chinese surname, the start of a mobile
// number, a Latin name, and a text of quotes and wildcards that must match literally.
const char* const kTyped[] = {"z", "zw", "王", "138", "anna", "o'b%_["};

// One keystroke: the box's text changes and the search runs at once (no typing pause).
void Search(bench::OpenList& list, const std::string& typed) {
    list.window->SearchBox()->setText(QString::fromStdString(typed));
    list.window->SearchNow();
    QCoreApplication::processEvents();  // the grid is drawn
}

void BM_QuickSearchKeystroke(benchmark::State& state) {
    bench::OpenList list("500");
    const std::string typed = kTyped[state.range(0)];
    // The account's names are read for their initials once per process; that first read is
    // shown apart, the keystrokes after it are what a clerk waits for.
    const auto start = std::chrono::steady_clock::now();
    Search(list, "q");
    const double firstMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    bool blank = false;
    for (auto _ : state) {
        // A trailing blank changes the box, not the condition: every iteration is the same query.
        Search(list, blank ? typed + " " : typed);
        blank = !blank;
    }
    state.SetLabel(typed);
    state.counters["list rows"] = static_cast<double>(list.window->ListRowset()->RecordCount());
    state.counters["grid rows"] = static_cast<double>(list.window->Grid().Rows() - 1);
    state.counters["first search ms"] = firstMs;
}

void BM_RawSqliteSameStatement(benchmark::State& state) {
    std::string sql;
    {
        bench::OpenList list("500");
        Search(list, kTyped[state.range(0)]);
        sql = platform::db::SqliteDialect().Translate(list.window->ListStatement("")).at(0).sql;
    }
    sqlite3* db = nullptr;
    sqlite3_open_v2((bench::LargeAccountFolder() + "/TKDATA_001_2024.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    RegisterSqlServerFunctions(db);
    long rows = 0;
    for (auto _ : state) {
        std::vector<bench::Cell> cells;
        const long copied = bench::CopyRows(db, sql, cells);
        if (copied < 0) {
            state.SkipWithError(sqlite3_errmsg(db));
            break;
        }
        rows = copied;
        benchmark::DoNotOptimize(cells);
    }
    sqlite3_close(db);
    state.SetLabel(kTyped[state.range(0)]);
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["statement KB"] = static_cast<double>(sql.size()) / 1024.0;
}

}  // namespace

BENCHMARK(BM_QuickSearchKeystroke)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_RawSqliteSameStatement)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char** argv) { return bench::RunWindowBenchmarks(argc, argv); }
