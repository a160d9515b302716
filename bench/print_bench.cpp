// Printing and export of a 10,000-row list (the largest page the list shows), offscreen: the
// three export formats beside a raw anchor each (the same cells through libxlsxwriter alone, the
// same CSV bytes through one fwrite, the same texts painted without layout), and the preview
// from the data text to its first page on screen.
#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <QApplication>
#include <QDialog>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/export.h"
#include "host/print_control.h"

namespace {

namespace fs = std::filesystem;
using host::print::Column;
using host::print::Sheet;

const fs::path& Folder() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("sovrel-print-bench-" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

// A list like the contact list's: codes, Chinese and Latin names, phones, mail, dates, numbers.
const Sheet& List() {
    static const Sheet sheet = [] {
        Sheet s;
        s.title = "联系人档案列表";
        s.user = "演示用户 (demo)";
        s.year = "2024";
        s.printDate = "2026-12-05 21:00";
        s.columns = {{"联系人编码", 202, 30, 2}, {"所属客户", 202, 40, 3}, {"联系人姓名", 202, 20, 4},
                     {"性别", 202, 4, 5},        {"直接上级", 202, 20, 6}, {"职务", 202, 10, 7},
                     {"主要联系人", 11, 10, 8},  {"办公电话", 202, 20, 9}, {"移动电话", 202, 20, 10},
                     {"电子邮件", 202, 40, 11},  {"生日", 135, 10, 12},    {"自定义项13", 131, 15, 13}};
        const char* surnames[] = {"王", "李", "张", "刘", "陈", "Schmidt", "Novak", "O'Brien"};
        const char* given[] = {"伟", "芳", "娜", "敏", "静", "Anna", "Lukas", "Marie, Jr."};
        char buf[64];
        for (int i = 0; i < 10000; ++i) {
            auto& row = s.rows.emplace_back();
            std::snprintf(buf, sizeof buf, "V%03d%08d", i / 50 + 1, i % 50 + 1);
            row.push_back(buf);
            row.push_back(i % 3 ? "宁波永盛电子材料厂" : "Nordwind Industrial Supplies GmbH");
            row.push_back(std::string(surnames[i % 8]) + (i % 8 < 5 ? "" : " ") + given[(i / 8) % 8]);
            row.push_back(i % 2 ? "男" : "女");
            row.push_back(i % 50 ? std::string(surnames[(i + 3) % 8]) + given[(i + 1) % 8] : "");
            row.push_back(i % 4 ? "销售经理" : "技术工程师");
            row.push_back(i % 50 ? "否" : "是");
            std::snprintf(buf, sizeof buf, "0574-%07d", 1000000 + i * 37);
            row.push_back(buf);
            std::snprintf(buf, sizeof buf, "1%010lld", 3500000000LL + i * 101LL);
            row.push_back(buf);
            std::snprintf(buf, sizeof buf, "contact%05d@yongsheng-em.com.cn", i);
            row.push_back(buf);
            std::snprintf(buf, sizeof buf, "19%02d-%02d-%02d", 50 + i % 50, 1 + i % 12, 1 + i % 28);
            row.push_back(buf);
            std::snprintf(buf, sizeof buf, "%d.%02d", i * 13, i % 100);
            row.push_back(buf);
        }
        return s;
    }();
    return sheet;
}

void Export(benchmark::State& state, host::print::Format format, const char* name) {
    const Sheet& sheet = List();
    const fs::path file = Folder() / name;
    for (auto _ : state) {
        const auto out = host::print::Export(sheet, file, format, host::print::DefaultStyle(sheet));
        if (out.result != host::print::result::Exported) state.SkipWithError(out.detail.c_str());
    }
    state.counters["bytes"] = static_cast<double>(fs::file_size(file));
}

void BM_ExportXlsx(benchmark::State& state) { Export(state, host::print::Format::Xlsx, "list.xlsx"); }
void BM_ExportCsv(benchmark::State& state) { Export(state, host::print::Format::Csv, "list.csv"); }
void BM_ExportPdf(benchmark::State& state) { Export(state, host::print::Format::Pdf, "list.pdf"); }

// Anchor: the same cells straight into libxlsxwriter, all as strings, no temporary file.
void BM_AnchorXlsxDirect(benchmark::State& state) {
    const Sheet& sheet = List();
    const std::string file = (Folder() / "anchor.xlsx").string();
    for (auto _ : state) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* book = workbook_new_opt(file.c_str(), &options);
        lxw_worksheet* ws = workbook_add_worksheet(book, nullptr);
        for (lxw_col_t c = 0; c < sheet.columns.size(); ++c) worksheet_write_string(ws, 0, c, sheet.columns[c].caption.c_str(), nullptr);
        for (std::size_t r = 0; r < sheet.rows.size(); ++r)
            for (lxw_col_t c = 0; c < sheet.rows[r].size(); ++c)
                worksheet_write_string(ws, static_cast<lxw_row_t>(r + 1), c, sheet.rows[r][c].c_str(), nullptr);
        workbook_close(book);
    }
}

// Anchor: the CSV file's bytes, already made, written with one fwrite.
void BM_AnchorCsvFwrite(benchmark::State& state) {
    host::print::Export(List(), Folder() / "list.csv", host::print::Format::Csv);
    std::FILE* in = std::fopen((Folder() / "list.csv").c_str(), "rb");
    std::string bytes(fs::file_size(Folder() / "list.csv"), '\0');
    if (std::fread(bytes.data(), 1, bytes.size(), in) != bytes.size()) state.SkipWithError("read");
    std::fclose(in);
    const std::string file = (Folder() / "anchor.csv").string();
    for (auto _ : state) {
        std::FILE* out = std::fopen(file.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
}

// Anchor: the same texts painted on PDF pages at fixed places, 40 rows a page, no measuring.
void BM_AnchorPdfPlainText(benchmark::State& state) {
    const Sheet& sheet = List();
    const QString file = QString::fromStdString((Folder() / "anchor.pdf").string());
    for (auto _ : state) {
        QPdfWriter writer(file);
        writer.setResolution(300);
        writer.setPageOrientation(QPageLayout::Landscape);
        QPainter p(&writer);
        QFont font;
        font.setFamilies({"DejaVu Sans", "Noto Sans CJK SC"});
        font.setPointSizeF(8);
        p.setFont(font);
        const double colWidth = writer.width() / double(sheet.columns.size()), rowHeight = writer.height() / 42.0;
        for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
            if (r && r % 40 == 0) writer.newPage();
            for (std::size_t c = 0; c < sheet.rows[r].size(); ++c)
                p.drawText(QPointF(c * colWidth, (r % 40 + 1) * rowHeight), QString::fromStdString(sheet.rows[r][c]));
        }
    }
}

// The print control from the data text to the preview showing its first page.
void BM_PreviewFirstPage(benchmark::State& state) {
    const std::string data = host::print::DataText(List());
    int pages = 0;
    for (auto _ : state) {
        host::print::PrintControl control;
        control.SetDataStyleXML(data, "", false, false, "Default");
        control.runDialog = [&](QDialog& d) {
            d.show();
            QApplication::processEvents();
            pages = d.findChild<QPrintPreviewWidget*>()->pageCount();
            return 0;
        };
        control.PrintPreview();
    }
    state.counters["pages"] = pages;
}

BENCHMARK(BM_ExportXlsx)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AnchorXlsxDirect)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_AnchorCsvFwrite)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ExportPdf)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AnchorPdfPlainText)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PreviewFirstPage)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!std::getenv("SOVREL_BENCH_KEEP")) fs::remove_all(Folder());
    return 0;
}
