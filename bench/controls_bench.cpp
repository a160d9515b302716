// The host's grid offscreen: a 10,000-row page of 20 columns written cell by cell with redraw
// off and shown once, as the list window fills it; the same page cut from a 30,000-row list by
// the public-utility object; and AutoSizeColumns over the full page.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/form.h"
#include "common/hosts/controls.h"
#include "common/prog_ids.h"
#include "host/pub_util.h"
#include "host/register.h"
#include "platform/db/rowset.h"
#include "platform/object_factory.h"
#include "ui/widget_host.h"

namespace {

constexpr long kRows = 10000, kCols = 20;

struct Shown {
    std::shared_ptr<sovrel::IFlexGrid> grid;
    QWidget window;
    Shown() {
        grid = platform::Create<sovrel::IFlexGrid>(sovrel::progid::FlexGrid);
        auto* view = dynamic_cast<sovrel::IWidgetHost&>(*grid).Widget(&window);
        window.resize(1200, 800);
        view->setGeometry(0, 0, 1200, 800);
        window.show();
        QCoreApplication::processEvents();
    }
};

std::vector<std::string> RowTexts(long r) {
    std::vector<std::string> texts;
    for (long c = 1; c <= kCols; ++c)
        texts.push_back(c == 1 ? "" : c == 2 ? "V01" + std::to_string(10000000 + r) : "联系人资料" + std::to_string(r * c));
    return texts;
}

void FillPage(sovrel::IFlexGrid& grid, const std::vector<std::vector<std::string>>& cells) {
    grid.SetRedraw(false);
    grid.SetRows(static_cast<long>(cells.size()) + 1);
    grid.SetCols(kCols + 1);
    for (std::size_t r = 0; r < cells.size(); ++r)
        for (long c = 1; c <= kCols; ++c) grid.SetTextMatrix(static_cast<long>(r) + 1, c, cells[r][static_cast<std::size_t>(c - 1)]);
    grid.SetRedraw(true);
    QCoreApplication::processEvents();  // the one repaint
}

void BM_FillTenThousandRows(benchmark::State& state) {
    Shown shown;
    std::vector<std::vector<std::string>> cells;
    for (long r = 1; r <= kRows; ++r) cells.push_back(RowTexts(r));
    for (auto _ : state) {
        shown.grid->SetRedraw(false);
        shown.grid->SetRows(1);
        shown.grid->SetRedraw(true);
        FillPage(*shown.grid, cells);
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}
BENCHMARK(BM_FillTenThousandRows)->Unit(benchmark::kMillisecond);

// The list window's part in paging: FillGrid writes the page it is handed.
class PageWindow : public QWidget, public sovrel::IListWindow {
public:
    explicit PageWindow(sovrel::IFlexGrid& grid) : grid_(grid) {}
    std::string Name() const override { return "frmContactList"; }
    void BringToFront() override {}
    void ShowModal() override {}
    void ShowModeless() override {}
    std::string Caption() const override { return ""; }
    void SetCaption(const std::string&) override {}
    void FillGrid(std::shared_ptr<platform::db::Rowset> rs) override {
        const long fields = static_cast<long>(rs->FieldCount());
        grid_.SetRedraw(false);
        grid_.SetRows(rs->RecordCount() + 1);
        grid_.SetCols(fields + 1);
        for (long r = 1; !rs->Eof(); rs->MoveNext(), ++r)
            for (long f = 0; f < fields; ++f) grid_.SetTextMatrix(r, f + 1, rs->Get(static_cast<std::size_t>(f)).ToText());
        grid_.SetRedraw(true);
    }
    void LblPageEnabled(bool, bool) override {}
    void SetEntryObject(std::weak_ptr<platform::Object>) override {}
    std::string StatusText() const override { return ""; }
    void SetStatusText(const std::string&) override {}

private:
    sovrel::IFlexGrid& grid_;
};

void BM_FlipPageFillGrid(benchmark::State& state) {
    Shown shown;
    std::vector<platform::db::FieldInfo> fields;
    for (long c = 1; c <= kCols; ++c) {
        platform::db::FieldInfo f;
        f.name = "f" + std::to_string(c);
        f.definedSize = 60;
        fields.push_back(f);
    }
    auto list = platform::db::Rowset::CreateDetached(fields);
    for (long r = 1; r <= 3 * kRows; ++r) {
        const auto texts = RowTexts(r);
        list->AddNew();
        for (long c = 0; c < kCols; ++c) list->Set(static_cast<std::size_t>(c), texts[static_cast<std::size_t>(c)]);
    }
    list->Update();
    host::PubUtil util;
    PageWindow window(*shown.grid);
    std::int32_t pages = 0;
    for (auto _ : state) {
        util.FlipPageFillGrid(window, *shown.grid, list, kRows, 3, pages);  // the last page
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_FlipPageFillGrid)->Unit(benchmark::kMillisecond);

void BM_AutoSizeColumns(benchmark::State& state) {
    Shown shown;
    std::vector<std::vector<std::string>> cells;
    for (long r = 1; r <= kRows; ++r) cells.push_back(RowTexts(r));
    FillPage(*shown.grid, cells);
    for (auto _ : state) shown.grid->AutoSizeColumns();
}
BENCHMARK(BM_AutoSizeColumns)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    host::RegisterControls();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
