// The contact list window on a 100,000-contact account, offscreen, over the real host objects:
// opening the list (the query through IContact.OpenPage, the clone, the first page of 500 cut,
// filled and repaired), and filling one page of 10,000 rows into the grid.
// SOVREL_BENCH_DIR keeps the account between runs (the same one as bench_rowset's).
#include <benchmark/benchmark.h>

#include "window_bench.h"

#include <QApplication>
#include <QLineEdit>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/context.h"
#include "entry/icontact.h"
#include "host/register.h"
#include "host/session.h"
#include "platform/db/rowset.h"
#include "schema/demo.h"
#include "ui/list/frm_contact_list.h"
#include "ui/qt_screen.h"

namespace {


void BM_OpenListFirstPageOf500(benchmark::State& state) {
    bench::OpenList list;
    list.PageSize("500");
    for (auto _ : state) {
        list.window->DataRefresh("");
        QCoreApplication::processEvents();  // the grid is drawn
    }
    state.counters["list rows"] = static_cast<double>(list.window->ListRowset()->RecordCount());
    state.counters["grid rows"] = static_cast<double>(list.window->Grid().Rows() - 1);
}

void BM_FillPageOf10000(benchmark::State& state) {
    bench::OpenList list;
    // One page of 10,000 rows cut from the list, as the utility hands it to FillGrid.
    auto all = list.window->ListRowset()->Clone();
    auto page = all->StructureCopy();
    all->MoveFirst();
    for (long n = 0; n < 10000 && !all->Eof(); ++n, all->MoveNext()) {
        page->AddNew();
        for (std::size_t f = 0; f < all->FieldCount(); ++f) page->Set(f, all->Get(f));
    }
    page->Update();
    for (auto _ : state) {
        list.window->FillGrid(page);
        QCoreApplication::processEvents();
    }
    state.counters["grid rows"] = static_cast<double>(list.window->Grid().Rows() - 1);
    state.counters["columns"] = static_cast<double>(page->FieldCount());
}

// The anchor of the two above: the same page's texts copied into memory, no grid.
void BM_CopyPageOf10000Texts(benchmark::State& state) {
    bench::OpenList list;
    auto all = list.window->ListRowset()->Clone();
    std::vector<std::string> texts;
    for (auto _ : state) {
        texts.clear();
        all->MoveFirst();
        for (long n = 0; n < 10000 && !all->Eof(); ++n, all->MoveNext())
            for (std::size_t f = 0; f < all->FieldCount(); ++f) texts.push_back(all->Get(f).ToText());
        benchmark::DoNotOptimize(texts);
    }
    state.counters["cells"] = static_cast<double>(texts.size());
}

void BM_TurnToAPageOf10000(benchmark::State& state) {
    bench::OpenList list;
    list.PageSize("10000");
    for (auto _ : state) {
        list.window->CmdRequestClick();  // cut from the list and filled, no query
        QCoreApplication::processEvents();
    }
    state.counters["grid rows"] = static_cast<double>(list.window->Grid().Rows() - 1);
}

}  // namespace

BENCHMARK(BM_OpenListFirstPageOf500)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CopyPageOf10000Texts)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FillPageOf10000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TurnToAPageOf10000)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) { return bench::RunWindowBenchmarks(argc, argv); }
