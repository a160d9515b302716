// Filter, sort and locate on the contact list of a 100,000-contact account, offscreen, over the
// real host objects: a filter that narrows the list to 1,000 contacts and reloads it (the filter
// dialog answered by a presenter), sorting a page of 10,000 rows by name in the user's
// collation, and locating the next match in 10,000 rows when only the last row matches.
// SOVREL_BENCH_DIR keeps the account between runs (the same one as bench_list's).
#include <benchmark/benchmark.h>

#include "window_bench.h"

#include <QApplication>
#include <QLineEdit>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "common/context.h"
#include "entry/icontact.h"
#include "host/filter.h"
#include "host/locate.h"
#include "host/register.h"
#include "host/session.h"
#include "platform/db/rowset.h"
#include "schema/demo.h"
#include "ui/list/frm_contact_list.h"
#include "ui/qt_screen.h"

namespace {


void BM_FilterTo1000AndReload(benchmark::State& state) {
    bench::OpenList list("500");
    // The 1,001st contact code of the list (ordered by code): "code less than it" keeps 1,000.
    auto all = list.window->ListRowset()->Clone();
    all->SetAbsolutePosition(1001);
    const std::string bound = all->Get("cContactCode").ToText();
    auto previous = host::SetFilterPresenter([&](host::FilterDialogRequest& r) {
        r.conditions = {{false, "cContactCode", host::FilterOp::Less, bound, ""}};
        return true;
    });
    for (auto _ : state) {
        list.window->Operating("Filter");
        QCoreApplication::processEvents();
    }
    host::SetFilterPresenter(previous);
    state.counters["list rows"] = static_cast<double>(list.window->ListRowset()->RecordCount());
}

long NameColumn(sovrel::IFlexGrid& grid) {
    for (long c = 2; c < grid.Cols(); ++c)
        if (grid.TextMatrix(0, c) == "联系人姓名" || grid.TextMatrix(0, c) == "Contact Name") return c;
    return 3;
}

void BM_SortPageOf10000ByName(benchmark::State& state) {
    bench::OpenList list("10000");
    auto& grid = list.window->Grid();
    const long col = NameColumn(grid);
    bool descending = false;
    for (auto _ : state) {
        host::SortGridRows(grid, col, descending);
        descending = !descending;
    }
    state.counters["grid rows"] = static_cast<double>(grid.Rows() - 1);
}

void BM_LocateNextIn10000(benchmark::State& state) {
    bench::OpenList list("10000");
    auto& grid = list.window->Grid();
    const long last = grid.Rows() - 1;
    const std::string wanted = grid.TextMatrix(last, 2);  // the last row's code, in no other row
    long found = 0;
    for (auto _ : state) {
        found = host::FindNextRow(grid, 1, -1, wanted, {});
        benchmark::DoNotOptimize(found);
    }
    state.counters["found row"] = static_cast<double>(found);
    state.counters["grid rows"] = static_cast<double>(last);
    state.counters["columns"] = static_cast<double>(grid.Cols());
}

}  // namespace

BENCHMARK(BM_FilterTo1000AndReload)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SortPageOf10000ByName)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_LocateNextIn10000)->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv) { return bench::RunWindowBenchmarks(argc, argv); }
