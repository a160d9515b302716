// Exports read back by real readers (openpyxl for XLSX, poppler for PDF), failed exports that leave
// nothing behind, the print control's dialogs, and its preview against the printed page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGraphicsView>
#include <QLineEdit>
#include <QPageSize>
#include <QPrintPreviewWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>

#include <array>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>

#include "host/export.h"
#include "host/print_control.h"
#include "platform/text.h"
#include "file_text.h"

namespace host::print::test {
namespace {

namespace fs = std::filesystem;
using sovrel::test::CommandOutput;
using sovrel::test::FileText;

const std::string kLong = [] {
    std::string s;
    for (int i = 0; i < 3000; ++i) s += "长值";
    return s + "END";
}();

// Texts that break naive writers: separators, quotes, line breaks, formulas, long values.
Sheet Hostile() {
    Sheet s;
    s.title = "联系人档案列表";
    s.user = "演示用户 (demo)";
    s.year = "2024";
    s.printDate = "2026-12-05 21:00";
    s.columns = {{"编码", 202, 12, 1}, {"Name, full", 202, 20, 2}, {"Amount", 5, 10, 3}, {"Born", 135, 10, 4},
                 {"Memo \"m\"", 202, 40, 5}};
    s.rows = {{"V001", "O'Brien, \"Bob\"", "1234.5", "1966-06-28", "=SUM(A1:A2)"},
              {"V002", "王小明\r\n第二行", "-0.25", "2024-01-02 03:04:05", "+cmd|' /C calc'!A0"},
              {"V003", "", "12abc", "not a date", kLong},
              {"V004", " spaced ", "", "", "-1+2"}};
    return s;
}

// A Python that reads XLSX files: the one on the path when it has openpyxl, else the system's,
// where the distribution's package puts it.
const std::string& Python() {
    static const std::string python = [] {
        for (const char* candidate : {"python3", "/usr/bin/python3"})
            if (std::system((std::string(candidate) + " -c 'import openpyxl' >/dev/null 2>&1").c_str()) == 0)
                return std::string(candidate);
        return std::string("python3");
    }();
    return python;
}

class ExportTest : public ::testing::Test {
protected:
    ExportTest() {
        std::string pattern = (fs::temp_directory_path() / "sovrel-export-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder: " + pattern);
        dir = pattern;
    }
    ~ExportTest() override { fs::remove_all(dir); }
    // Names in the folder that are not the given ones (left-over temporary files).
    std::vector<std::string> Strays(const std::set<std::string>& expected) const {
        std::vector<std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(dir))
            if (!expected.count(e.path().filename().string())) out.push_back(e.path().string());
        return out;
    }
    fs::path dir;
};

TEST_F(ExportTest, XlsxKeepsTypesAndTextsAsTheReaderSeesThem) {
    const Sheet sheet = Hostile();
    const fs::path file = dir / "list.xlsx";
    ASSERT_EQ(Export(sheet, file, Format::Xlsx).result, result::Exported);
    const std::string script =
        "import openpyxl,json,sys\n"
        "ws=openpyxl.load_workbook(sys.argv[1]).active\n"
        "print(ws.freeze_panes, ws['A1'].font.b, ws['B2'].font.b, ws['E1'].value)\n"
        "for row in ws.iter_rows(min_row=2):\n"
        "  print(json.dumps([[c.data_type, str(c.value) if c.value is not None else None] for c in row], ensure_ascii=False))\n";
    std::ofstream(dir / "read.py") << script;
    const std::string out = CommandOutput(Python() + " " + (dir / "read.py").string() + " " + file.string() + " 2>&1");
    std::istringstream lines(out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "A2 True False Memo \"m\"");  // frozen bold caption row only
    const char* rows[] = {
        R"x([["s", "V001"], ["s", "O'Brien, \"Bob\""], ["n", "1234.5"], ["d", "1966-06-28 00:00:00"], ["s", "=SUM(A1:A2)"]])x",
        R"x([["s", "V002"], ["s", "王小明\n第二行"], ["n", "-0.25"], ["d", "2024-01-02 03:04:05"], ["s", "+cmd|' /C calc'!A0"]])x",
        nullptr,  // the long value, checked below
        R"x([["s", "V004"], ["s", " spaced "], ["n", null], ["n", null], ["s", "-1+2"]])x",
    };
    for (const char* expected : rows) {
        ASSERT_TRUE(std::getline(lines, line)) << out;
        if (expected) EXPECT_EQ(line, expected);
        else EXPECT_NE(line.find(R"x(["s", "12abc"], ["s", "not a date"], ["s", ")x" + kLong + "\"]"), std::string::npos) << line;
    }
}

// A cell that a spreadsheet would take for a formula is kept as text behind an apostrophe; a plain
// number is not.
TEST_F(ExportTest, CsvIsUtf8WithBomQuotedAsRfc4180AndNeverAFormula) {
    const fs::path file = dir / "list.csv";
    ASSERT_EQ(Export(Hostile(), file, Format::Csv).result, result::Exported);
    EXPECT_EQ(FileText(file), "\xEF\xBB\xBF" "编码,\"Name, full\",Amount,Born,\"Memo \"\"m\"\"\"\r\n"
                              "V001,\"O'Brien, \"\"Bob\"\"\",1234.5,1966-06-28,'=SUM(A1:A2)\r\n"
                              "V002,\"王小明\r\n第二行\",-0.25,2024-01-02 03:04:05,'+cmd|' /C calc'!A0\r\n"
                              "V003,,12abc,not a date," + kLong + "\r\n"
                              "V004, spaced ,,,'-1+2\r\n");
    const std::pair<std::string, std::string> cases[] = {
        {"=1+2", "'=1+2"}, {"+1+1", "'+1+1"}, {"@SUM(1)", "'@SUM(1)"},
        {"-2+3+cmd|' /C calc'!A0", "'-2+3+cmd|' /C calc'!A0"}, {"\t=1", "'\t=1"},
        {"'=1", "''=1"}, {"-5", "-5"}, {"+1.5e3", "+1.5e3"}, {"plain", "plain"}, {"it's", "it's"}, {"-", "'-"},
    };
    Sheet sheet;
    sheet.columns = {{"Memo", 202, 10, 1}};
    std::string expected = "\xEF\xBB\xBF" "Memo\r\n";
    for (const auto& [text, cell] : cases) {
        sheet.rows.push_back({text});
        expected += cell + "\r\n";
    }
    ASSERT_EQ(Export(sheet, file, Format::Csv).result, result::Exported);
    EXPECT_EQ(FileText(file), expected);
}

TEST_F(ExportTest, AReadOnlyFileIsRefusedAndAReplacedOneKeepsItsMode) {
    for (Format format : {Format::Csv, Format::Xlsx, Format::Pdf}) {
        const std::string ext(FormatExtension(format));
        const fs::path locked = dir / ("locked." + ext), shared = dir / ("shared." + ext);
        std::ofstream(locked) << "old";
        std::ofstream(shared) << "old";
        fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read);
        fs::permissions(shared, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        EXPECT_EQ(Export(Hostile(), locked, format).result, result::CannotWrite) << ext;
        EXPECT_EQ(FileText(locked), "old") << ext;
        EXPECT_EQ(fs::status(locked).permissions(), fs::perms::owner_read | fs::perms::group_read) << ext;
        EXPECT_EQ(Export(Hostile(), shared, format).result, result::Exported) << ext;
        EXPECT_NE(FileText(shared), "old") << ext;
        EXPECT_EQ(fs::status(shared).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)
            << ext;
    }
}

TEST_F(ExportTest, XlsxCutsATextPastACellAndSizesColumnsByTheirContent) {
    Sheet sheet;
    sheet.columns = {{"性别", 202, 60, 1}, {"Memo", 202, 10, 2}};
    std::string memo;
    for (int i = 0; i < 40000; ++i) memo += "长";
    sheet.rows = {{"男", "short"}, {"女", memo}};
    const fs::path file = dir / "cut.xlsx";
    const Outcome out = Export(sheet, file, Format::Xlsx);
    ASSERT_EQ(out.result, result::Exported) << out.detail;
    EXPECT_EQ(out.cut, (std::vector<std::pair<long, std::string>>{{2, "Memo"}}));
    std::ofstream(dir / "read.py") << "import openpyxl,sys\n"
                                      "ws=openpyxl.load_workbook(sys.argv[1]).active\n"
                                      "v=ws['B3'].value\n"
                                      "print(len(v), v[-1]=='\\u2026', v[0]=='\\u957f')\n"
                                      "print(ws.column_dimensions['A'].width < 10, ws.column_dimensions['B'].width > 50)\n";
    EXPECT_EQ(CommandOutput(Python() + " " + (dir / "read.py").string() + " " + file.string() + " 2>&1"),
              "32767 True True\nTrue True\n");
}

int Pages(const fs::path& pdf) {
    const std::string info = CommandOutput("pdfinfo " + pdf.string());
    const auto at = info.find("Pages:");
    return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + 6);
}

// The text of a page (all pages for 0) as a reader copies it.
std::string PageText(const fs::path& pdf, int page = 0) {
    const std::string range = page ? "-f " + std::to_string(page) + " -l " + std::to_string(page) + " " : "";
    return CommandOutput("pdftotext " + range + pdf.string() + " -");
}

TEST_F(ExportTest, PdfTextIsTheTextPrintedAndALongColumnWrapsWithinItsWidth) {
    Sheet sheet;
    sheet.title = "联系人";
    sheet.columns = {{"编码", 202, 12, 1}, {"姓名", 202, 10, 2}, {"备注", 202, 80, 3}};
    const std::vector<std::string> names = {"马平", "王小明", "周八", "长文页胶", "一二八人入"};
    std::string memo;
    while (platform::text::Len(memo) < 420) memo += "供应商联系人备注 note ";
    for (int i = 0; i < 36; ++i)
        sheet.rows.push_back({"C" + std::to_string(i), names[static_cast<std::size_t>(i) % names.size()], memo});
    const fs::path file = dir / "names.pdf";
    ASSERT_EQ(Export(sheet, file, Format::Pdf).result, result::Exported);
    const std::string text = PageText(file);
    for (const auto& name : names) EXPECT_NE(text.find(name), std::string::npos) << name;
    EXPECT_NE(text.find("供应商联系人备注"), std::string::npos);
    // Among as many code columns as a whole table of contacts has, the memo still wraps in a
    // width of its own: about six lines a row, not a page.
    for (int extra : {10, 20, 40}) {
        Sheet wide = sheet;
        for (int k = 0; k < extra; ++k) {
            wide.columns.push_back({"列" + std::to_string(k), 202, 20, 4 + k});
            for (auto& r : wide.rows) r.push_back("V0100000001");
        }
        ASSERT_EQ(Export(wide, file, Format::Pdf).result, result::Exported);
        EXPECT_LE(Pages(file), 12) << extra << " code columns";
    }
}

// A list too wide for the page: the long columns share what the short ones leave, and a number
// among them keeps the width of its widest value while the words and the Chinese around it wrap.
TEST_F(ExportTest, PdfKeepsANumberWholeWhereTheTextsBesideItWrap) {
    Sheet sheet;
    sheet.columns = {{"编码", 202, 12, 1}, {"供应商", 202, 40, 2}, {"职务", 202, 20, 3}, {"手机", 202, 30, 4},
                     {"电子邮件", 202, 40, 5}};
    for (int k = 0; k < 8; ++k) sheet.columns.push_back({"列" + std::to_string(k), 202, 10, 6 + k});
    for (int i = 0; i < 20; ++i) {
        const std::string mobile = "1860947" + std::to_string(3650 + i);
        sheet.rows.push_back({"V01000000" + std::to_string(10 + i), "天津明辉精密模具制造有限公司第" + std::to_string(i) + "分厂",
                              "Sales Representative", i % 4 ? mobile : mobile + " / 139 0000 1111",
                              "person.number" + std::to_string(i) + "@minghui-mould.com.cn"});
        for (int k = 0; k < 8; ++k) sheet.rows.back().push_back("否否否否否");
    }
    const fs::path file = dir / "wide.pdf";
    ASSERT_EQ(Export(sheet, file, Format::Pdf).result, result::Exported);
    const std::string text = PageText(file);
    for (int i = 0; i < 20; ++i) EXPECT_NE(text.find("1860947" + std::to_string(3650 + i)), std::string::npos) << i << "\n" << text;
    EXPECT_NE(text.find("Representative"), std::string::npos) << text;
}

TEST_F(ExportTest, PdfPagesCarryTheTextsAndRepeatTheHeaderWhenAsked) {
    Sheet sheet = Hostile();
    for (int i = 0; i < 120; ++i) sheet.rows.push_back({"R" + std::to_string(i), "行" + std::to_string(i), "1", "", ""});
    const PageTexts texts{"用户", "年度", "打印日期", "Page {0} of {1}"};
    for (bool repeat : {true, false}) {
        PageStyle style;
        style.repeatHeader = repeat;
        style.columns = {{"Born", false, 0}};  // hidden on paper
        const fs::path file = dir / (repeat ? "repeat.pdf" : "once.pdf");
        ASSERT_EQ(Export(sheet, file, Format::Pdf, style, texts).result, result::Exported);
        const int pages = Pages(file);
        ASSERT_GE(pages, 3) << "the long memo and 120 rows take several pages";
        const std::string first = PageText(file, 1), second = PageText(file, 2);
        EXPECT_NE(CommandOutput("pdffonts " + file.string()).find("WenQuanYi"), std::string::npos);
        for (const char* expected : {"(demo)", ": 2024", "V001", "=SUM(A1:A2)", "O'Brien, \"Bob\"", "Amount", "-0.25"})
            EXPECT_NE(first.find(expected), std::string::npos) << expected << "\n" << first;
        EXPECT_EQ(first.find("1966-06-28"), std::string::npos) << "a hidden column is printed";
        EXPECT_NE(first.find("Page 1 of " + std::to_string(pages)), std::string::npos);
        EXPECT_NE(second.find("Page 2 of " + std::to_string(pages)), std::string::npos);
        EXPECT_EQ(second.find("Amount") != std::string::npos, repeat) << "caption row on page 2";
        EXPECT_NE(PageText(file).find("END"), std::string::npos) << "the long value is cut before its end";
    }
}

TEST_F(ExportTest, AFailedExportLeavesNoFileBehind) {
    std::ofstream(dir / "afile") << "x";
    fs::create_directory(dir / "taken.csv");
    fs::create_directory(dir / "taken.xlsx");
    fs::create_directory(dir / "taken.pdf");
    const std::pair<fs::path, Format> cases[] = {
        {dir / "missing" / "a.xlsx", Format::Xlsx},
        {dir / "afile" / "a.csv", Format::Csv},
        {dir / "taken.csv", Format::Csv},  // fails at the rename
        {dir / "taken.xlsx", Format::Xlsx},
        {dir / "taken.pdf", Format::Pdf},
    };
    for (const auto& [path, format] : cases) {
        const Outcome out = Export(Hostile(), path, format);
        EXPECT_EQ(out.result, result::CannotWrite) << path;
        EXPECT_FALSE(out.detail.empty()) << path;
        EXPECT_FALSE(fs::is_regular_file(path)) << path;
    }
    EXPECT_EQ(Strays({"afile", "taken.csv", "taken.xlsx", "taken.pdf"}), std::vector<std::string>{});
}

// Rows handed out one at a time, as the list's are; fails after `failAfter` rows when set.
class Rows final : public RowSource {
public:
    Rows(std::vector<std::vector<std::string>> rows, std::size_t failAfter = 0) : rows_(std::move(rows)), failAfter_(failAfter) {}
    bool Read(const std::function<bool(const std::vector<std::string>&)>& each) const override {
        for (std::size_t r = 0; r < rows_.size(); ++r) {
            if (failAfter_ && r == failAfter_) throw std::runtime_error("the list could not be read: connection lost");
            if (!each(rows_[r])) return false;
        }
        return true;
    }

private:
    std::vector<std::vector<std::string>> rows_;
    std::size_t failAfter_;
};

// A sheet whose rows come from a source is written as the same sheet holding them; a source
// that fails midway (the first megabyte of the CSV already on disk) leaves the old file.
TEST_F(ExportTest, RowsFromASourceWriteTheSameFilesAndAFailingOneLeavesTheOldFile) {
    const auto sheets = [](int rows) {
        Sheet held = Hostile();
        for (int i = 0; i < rows; ++i)
            held.rows.push_back({"R" + std::to_string(i), std::string(400, 'n') + std::to_string(i), std::to_string(i), "", "行"});
        Sheet streamed = held, failing = held;
        streamed.rows.clear();
        streamed.source = std::make_shared<Rows>(held.rows);
        failing.rows.clear();
        failing.source = std::make_shared<Rows>(held.rows, held.rows.size() - 50);
        return std::array<Sheet, 3>{held, streamed, failing};
    };
    const auto content = [](const fs::path& file, Format format) {
        switch (format) {
            case Format::Csv: return FileText(file);
            case Format::Xlsx: return CommandOutput("unzip -p " + file.string() + " xl/worksheets/sheet1.xml");
            case Format::Pdf: return PageText(file);
        }
        return std::string();
    };
    for (Format format : {Format::Csv, Format::Xlsx, Format::Pdf}) {
        const std::string ext(FormatExtension(format));
        // Pages are slow to lay out: fewer rows for the PDF.
        const auto [held, streamed, failing] = sheets(format == Format::Pdf ? 200 : 3000);
        const fs::path a = dir / ("held." + ext), b = dir / ("streamed." + ext), old = dir / ("old." + ext);
        ASSERT_EQ(Export(held, a, format).result, result::Exported) << ext;
        ASSERT_EQ(Export(streamed, b, format).result, result::Exported) << ext;
        const std::string expected = content(a, format);
        EXPECT_GT(expected.size(), format == Format::Pdf ? 80000u : 1000000u) << ext;
        EXPECT_TRUE(content(b, format) == expected) << ext;
        std::ofstream(old) << "old";
        const Outcome out = Export(failing, old, format);
        EXPECT_EQ(out.result, result::CannotWrite) << ext;
        EXPECT_EQ(out.detail, "the list could not be read: connection lost") << ext;
        EXPECT_EQ(FileText(old), "old") << ext;
    }
    EXPECT_EQ(Strays({"held.csv", "streamed.csv", "old.csv", "held.xlsx", "streamed.xlsx", "old.xlsx", "held.pdf",
                      "streamed.pdf", "old.pdf"}),
              std::vector<std::string>{});
}

TEST_F(ExportTest, TypeAndSizeListsApplyByFieldPosition) {
    Sheet s;
    s.columns = {{"a", 202, 10, 2}, {"b", 202, 10, 4}, {"c", 202, 10, 0}, {"d", 202, 10, 9}};
    ApplyTypeSize(s, ",11,3,202,135,", ",10,8,x,19,");
    EXPECT_EQ(std::vector<int>({s.columns[0].type, s.columns[1].type, s.columns[2].type, s.columns[3].type}),
              std::vector<int>({3, 135, 202, 202}));
    EXPECT_EQ(std::vector<int>({s.columns[0].size, s.columns[1].size, s.columns[2].size, s.columns[3].size}),
              std::vector<int>({8, 19, 10, 10}));
}

class PrintControlTest : public ExportTest {
protected:
    PrintControlTest() { EXPECT_EQ(control.SetDataStyleXML(DataText(Hostile()), "", false, false, "Default"), 0); }
    PrintControl control;
};

TEST_F(PrintControlTest, RefusesTextsThatAreNotDataOrStyle) {
    const PageStyle before = control.Style();
    EXPECT_EQ(control.SetDataStyleXML("<Rows/>", "", false, false, "Default"), 1);
    EXPECT_EQ(control.SetDataStyleXML(DataText(Hostile()), "<nope", false, false, "Default"), 2);
    EXPECT_EQ(control.Data().rows, Hostile().rows) << "data texts survive the round trip exactly";
    EXPECT_EQ(StyleText(control.Style()), StyleText(before));
}

TEST_F(PrintControlTest, PageSetupConfirmedComesBackThroughTheStyleEvent) {
    std::string first, second;
    control.OnStyleEvent([&](const std::string& a, const std::string& b) {
        first = a;
        second = b;
    });
    control.runDialog = [](QDialog& d) {
        d.findChild<QRadioButton*>("optLandscape")->setChecked(true);
        d.findChild<QLineEdit*>("txtHeader")->setText("机密 <内部>");
        d.findChild<QCheckBox*>("chkRepeatHeader")->setChecked(false);
        d.findChild<QTableWidget*>("grdColumns")->item(1, 0)->setCheckState(Qt::Unchecked);
        return int(QDialog::Accepted);
    };
    EXPECT_FALSE(control.PageSetup());
    control.TriggerEvent(0);
    const auto style = ParseStyle(first + second);
    ASSERT_TRUE(style);
    EXPECT_TRUE(style->landscape);
    EXPECT_FALSE(style->repeatHeader);
    EXPECT_EQ(style->headerText, "机密 <内部>");
    ASSERT_EQ(style->columns.size(), 5u);
    EXPECT_FALSE(style->columns[1].visible);
    EXPECT_TRUE(style->columns[0].visible);

    // The next load keeps the stored choices for the columns it still has.
    ASSERT_EQ(control.SetDataStyleXML(DataText(Hostile()), first + second, false, false, "Default"), 0);
    EXPECT_FALSE(control.Style().columns[1].visible);

    control.runDialog = [](QDialog& d) {
        d.findChild<QRadioButton*>("optPortrait")->setChecked(true);
        return int(QDialog::Rejected);
    };
    EXPECT_TRUE(control.PageSetup());
    EXPECT_TRUE(control.Style().landscape) << "a cancelled dialog changed the style";
}

TEST_F(PrintControlTest, TheSaveDialogAddsTheChosenFiltersExtensionAndTypesApply) {
    long result = -1;
    control.runDialog = [&](QDialog& d) {
        auto& files = dynamic_cast<QFileDialog&>(d);
        files.selectNameFilter(files.nameFilters().at(0));  // the workbook
        files.selectFile(QString::fromStdString((dir / "contacts").string()));
        return int(QDialog::Accepted);
    };
    control.ExportToFile("", "", ",202,202,5,135,202,", ",12,20,10,10,40,", result);
    EXPECT_EQ(result, result::Exported);
    EXPECT_EQ(LastOutcome().path, (dir / "contacts.xlsx").string());
    EXPECT_TRUE(fs::is_regular_file(dir / "contacts.xlsx"));

    control.runDialog = [](QDialog&) { return int(QDialog::Rejected); };
    control.ExportToFile("", "", "", "", result);
    EXPECT_EQ(result, result::Cancelled);
    control.ExportToFile((dir / "x.doc").string(), "", "", "", result);
    EXPECT_EQ(result, result::BadFormat);
    control.ExportToFile((dir / "x.csv").string(), "ods", "", "", result);
    EXPECT_EQ(result, result::BadFormat) << "an unknown type asked for is not replaced by the extension";
    EXPECT_FALSE(fs::exists(dir / "x.doc"));
    EXPECT_FALSE(fs::exists(dir / "x.csv"));
}


// Rows of ink (darker than mid grey) between columns left and right, as bands [top, bottom).
std::vector<std::pair<int, int>> InkBands(const QImage& image, int left, int right, int top, int bottom) {
    std::vector<std::pair<int, int>> bands;
    for (int y = top; y < bottom; ++y) {
        bool ink = false;
        for (int x = left; x < right && !ink; ++x) ink = qGray(image.pixel(x, y)) < 110;
        if (!ink) continue;
        if (!bands.empty() && bands.back().second == y) ++bands.back().second;
        else bands.emplace_back(y, y + 1);
    }
    return bands;
}

// The preview draws the title and the line of user, year and date whole at every zoom: their ink
// lies where the printed page (the PDF, drawn unclipped by poppler at the same size) has it.
TEST_F(PrintControlTest, ThePreviewShowsTheHeaderLinesWholeAtEveryZoom) {
    Sheet sheet = Hostile();
    sheet.rows.resize(2);
    ASSERT_EQ(control.SetDataStyleXML(DataText(sheet), "", false, false, "Default"), 0);
    const fs::path pdf = dir / "page.pdf";
    ASSERT_EQ(Export(control.Data(), pdf.string(), Format::Pdf, control.Style(), PrintControl::Texts()).result,
              result::Exported);
    int zooms = 0;
    auto check = [&](QPrintPreviewWidget* preview, QGraphicsView* view, double zoom) {
            preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
            preview->setZoomFactor(zoom);
            QApplication::processEvents();
            view->verticalScrollBar()->setValue(0);
            view->horizontalScrollBar()->setValue(0);
            QApplication::processEvents();
            const QImage shown = view->viewport()->grab().toImage();
            // The paper: the first row with a long white run, and that run.
            int top = -1, left = -1, right = -1;
            for (int y = 0; y < shown.height() && top < 0; ++y)
                for (int x = 0, run = 0; x <= shown.width(); ++x) {
                    if (x < shown.width() && shown.pixel(x, y) == qRgb(255, 255, 255)) {
                        ++run;
                        continue;
                    }
                    if (run > shown.width() / 4) top = y, left = x - run, right = x;
                    run = 0;
                }
            ASSERT_GE(top, 0) << zoom;
            const int width = right - left;
            const std::string png = (dir / "page").string();
            ASSERT_EQ(CommandOutput("pdftoppm -png -singlefile -f 1 -l 1 -scale-to-x " + std::to_string(width) +
                                    " -scale-to-y -1 " + pdf.string() + " " + png + " && echo ok"),
                      "ok\n");
            const QImage printed(QString::fromStdString(png + ".png"));
            ASSERT_FALSE(printed.isNull());
            const int height = std::min(printed.height(), shown.height() - top);
            auto seen = InkBands(shown, left + 2, right - 2, top, top + height);
            const auto expected = InkBands(printed, 2, printed.width() - 2, 0, height);
            ASSERT_GE(expected.size(), 2u);
            ASSERT_GE(seen.size(), 2u) << zoom;
            for (auto& [from, to] : seen) from -= top, to -= top;
            // The title, then the user, year and date: where the page has them, as tall, and (should
            // the page be cut as well) most of their type's size tall: Chinese ink fills ~0.85 em.
            const double points = control.Style().fontSize > 0 ? control.Style().fontSize : 9;
            const double pixelsPerPoint = width / QPageSize(QPageSize::A4).size(QPageSize::Point).width();
            const double em[] = {points * 1.6 * pixelsPerPoint, points * 0.85 * pixelsPerPoint};
            for (std::size_t band = 0; band < 2; ++band) {
                const auto [from, to] = seen[band];
                const auto [printedFrom, printedTo] = expected[band];
                const int tall = printedTo - printedFrom, slack = std::max(2, tall / 5);
                EXPECT_NEAR(from, printedFrom, slack) << "zoom " << zoom << " line " << band;
                EXPECT_NEAR(to - from, tall, slack) << "zoom " << zoom << " line " << band;
                EXPECT_GE(to - from, 0.7 * em[band]) << "zoom " << zoom << " line " << band;
            }
            ++zooms;
    };
    control.runDialog = [&](QDialog& d) {
        d.resize(1000, 1200);
        d.show();
        auto* preview = d.findChild<QPrintPreviewWidget*>();
        auto* view = preview ? preview->findChild<QGraphicsView*>() : nullptr;
        if (view)
            for (const double zoom : {0.726, 0.966}) check(preview, view, zoom);
        return int(QDialog::Rejected);
    };
    control.PrintPreview();
    EXPECT_EQ(zooms, 2);
}

}  // namespace
}  // namespace host::print::test
