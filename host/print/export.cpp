// The export writers: XLSX through libxlsxwriter, CSV by hand (the format is four rules), PDF
// through the page painter; and the page style's stored text.
#include "host/export.h"

#include <xlsxwriter.h>

#include <QFile>
#include <QPdfWriter>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <pugixml.hpp>
#include <sstream>

#include "platform/file_beside.h"
#include "platform/text.h"

namespace host::print {

namespace txt = platform::text;

// ---- Formats -------------------------------------------------------------------------------

std::optional<Format> FormatFromName(std::string_view name) {
    if (txt::EqualsNoCase(name, "xlsx")) return Format::Xlsx;
    if (txt::EqualsNoCase(name, "csv")) return Format::Csv;
    if (txt::EqualsNoCase(name, "pdf")) return Format::Pdf;
    return std::nullopt;
}

std::optional<Format> FormatOfPath(std::string_view path) {
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return std::nullopt;
    return FormatFromName(path.substr(dot + 1));
}

std::string_view FormatExtension(Format format) {
    switch (format) {
        case Format::Xlsx: return "xlsx";
        case Format::Csv: return "csv";
        case Format::Pdf: return "pdf";
    }
    return "";
}

int DisplayWidth(std::string_view text) {
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = txt::DecodeUtf8(text, i);
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
                          (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                          (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
        width += wide ? 2 : 1;
    }
    return width;
}

namespace {

Outcome Failed(const std::string& path, long result, std::string detail) { return {result, path, std::move(detail)}; }

// ---- CSV -----------------------------------------------------------------------------------

// Written to the file a piece at a time: a million rows need not be one text.
constexpr std::size_t kCsvChunk = 1 << 20;

Outcome WriteCsv(const Sheet& sheet, const std::string& path) {
    platform::FileBeside file(path);
    if (!file.Ok()) return Failed(path, result::CannotWrite, file.Error());
    std::string out = "\xEF\xBB\xBF";
    bool written = true;
    auto line = [&](const std::vector<std::string>& fields, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (i) out += ',';
            if (i < fields.size()) txt::AppendCsvField(out, fields[i]);
        }
        out += "\r\n";
        if (out.size() < kCsvChunk) return true;
        written = file.WriteAll(out.data(), out.size());
        out.clear();
        return written;
    };
    std::vector<std::string> captions;
    for (const auto& c : sheet.columns) captions.push_back(c.caption);
    line(captions, captions.size());
    EachRow(sheet, [&](const std::vector<std::string>& row) { return line(row, captions.size()); });
    if (!written || !file.WriteAll(out.data(), out.size()) || !file.Commit())
        return Failed(path, result::CannotWrite, file.Error());
    return {result::Exported, path, ""};
}

// ---- XLSX ----------------------------------------------------------------------------------

bool IsDateType(int type) { return type == 7 || type == 133 || type == 134 || type == 135; }

// The whole text as one decimal number; texts with spaces, hex, "inf" or "nan" are not numbers.
bool ReadNumber(const std::string& s, double& value) {
    if (s.empty() || s.find_first_not_of("0123456789+-.eE") != std::string::npos) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size() && errno == 0;
}

// "yyyy-mm-dd" with an optional " hh:mm:ss".
bool ReadDate(const std::string& s, lxw_datetime& d, bool& withTime) {
    int y, mo, da, h = 0, mi = 0, se = 0, n = 0;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &y, &mo, &da, &n) != 3) return false;
    withTime = false;
    if (static_cast<std::size_t>(n) != s.size()) {
        int m = 0;
        if (std::sscanf(s.c_str() + n, " %2d:%2d:%2d%n", &h, &mi, &se, &m) != 3 ||
            static_cast<std::size_t>(n + m) != s.size())
            return false;
        withTime = true;
    }
    if (y < 1900 || mo < 1 || mo > 12 || da < 1 || da > 31 || h > 23 || mi > 59 || se > 59) return false;
    d = {y, mo, da, h, mi, static_cast<double>(se)};
    return true;
}

// A worksheet name: at most 31 characters, none of []:*?/\ and no quote at either end.
std::string SheetName(const std::string& title) {
    std::string name;
    for (std::size_t i = 0; i < title.size();) {
        const std::size_t start = i;
        const char32_t c = txt::DecodeUtf8(title, i);
        if (c < 0x20 || std::u32string_view(U"[]:*?/\\").find(c) != std::u32string_view::npos) continue;
        if (txt::Len(name) == 31) break;
        name.append(title, start, i - start);
    }
    while (!name.empty() && name.front() == '\'') name.erase(0, 1);
    while (!name.empty() && name.back() == '\'') name.pop_back();
    return name.empty() ? "Sheet1" : name;
}

std::string LfBreaks(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\r') out += s[i];
        else if (i + 1 >= s.size() || s[i + 1] != '\n') out += '\n';
    }
    return out;
}

// The widest of the caption and the texts' lines, between 4 and 60 characters: the declared
// sizes say what a column may hold, not what it does (a one-character column declared 60 wide).
class ColumnWidths {
public:
    explicit ColumnWidths(const Sheet& sheet) {
        for (const auto& c : sheet.columns) widest_.push_back(DisplayWidth(c.caption));
    }
    void Add(const std::vector<std::string>& row) {
        for (std::size_t c = 0; c < row.size() && c < widest_.size(); ++c) {
            if (widest_[c] >= 60) continue;
            std::string_view text(row[c]);
            for (std::size_t start = 0; start <= text.size();) {
                const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
                widest_[c] = std::max(widest_[c], DisplayWidth(text.substr(start, std::min<std::size_t>(end - start, 240))));
                start = end + 1;
            }
        }
    }
    double Width(std::size_t column) const { return std::clamp(widest_[column], 4, 60) + 1.0; }

private:
    std::vector<int> widest_;
};

// A cell holds 32,767 characters.
constexpr std::size_t kCellChars = 32767;

// text cut to what a cell holds, its end marked; false when it fits as it is.
bool CutToCell(const std::string& text, std::string& cut) {
    if (text.size() <= kCellChars || txt::Len(text) <= kCellChars) return false;
    std::size_t at = 0;
    for (std::size_t n = 0; n + 1 < kCellChars; ++n) txt::DecodeUtf8(text, at);
    cut = text.substr(0, at) + "…";
    return true;
}

Outcome WriteXlsx(const Sheet& sheet, const std::string& path) {
    platform::FileBeside file(path);
    if (!file.Ok()) return Failed(path, result::CannotWrite, file.Error());
    file.CloseHandle();
    std::string tmpdir = std::filesystem::path(file.Path()).parent_path().string();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;  // rows go straight to disk: no memory for the whole sheet
    options.tmpdir = tmpdir.data();
    lxw_workbook* book = workbook_new_opt(file.Path().c_str(), &options);
    if (!book) return Failed(path, result::CannotWrite, "the workbook could not be created");
    lxw_worksheet* ws = workbook_add_worksheet(book, SheetName(sheet.title).c_str());
    if (!ws) ws = workbook_add_worksheet(book, nullptr);
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format* dateTime = workbook_add_format(book);
    format_set_num_format(dateTime, "yyyy-mm-dd hh:mm:ss");

    const auto cols = static_cast<lxw_col_t>(sheet.columns.size());
    ColumnWidths widths(sheet);
    worksheet_freeze_panes(ws, 1, 0);

    Outcome out{result::Exported, path, ""};
    auto check = [&](lxw_error e, std::size_t row, std::size_t col) {
        if (e == LXW_NO_ERROR || out.result != result::Exported) return;
        if (e == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED) {
            out = Failed(path, result::TooLong,
                         std::to_string(row) + "," + (col < sheet.columns.size() ? sheet.columns[col].caption : ""));
        } else {
            out = Failed(path, result::CannotWrite, lxw_strerror(e));
        }
    };
    for (lxw_col_t c = 0; c < cols; ++c) check(worksheet_write_string(ws, 0, c, sheet.columns[c].caption.c_str(), bold), 0, c);
    std::size_t r = 0;
    try {
        EachRow(sheet, [&](const std::vector<std::string>& row) {
            widths.Add(row);
            const auto xr = static_cast<lxw_row_t>(r + 1);
            for (lxw_col_t c = 0; c < cols && c < row.size(); ++c) {
                std::string shortened;
                const bool cut = CutToCell(row[c], shortened);
                if (cut) out.cut.emplace_back(static_cast<long>(r + 1), sheet.columns[c].caption);
                const std::string& text = cut ? shortened : row[c];
                if (text.empty()) continue;
                const int type = sheet.columns[c].type;
                double number = 0;
                lxw_datetime when{};
                bool withTime = false;
                if (IsNumberType(type) && ReadNumber(text, number)) check(worksheet_write_number(ws, xr, c, number, nullptr), r + 1, c);
                else if (IsDateType(type) && ReadDate(text, when, withTime))
                    check(worksheet_write_datetime(ws, xr, c, &when, withTime ? dateTime : date), r + 1, c);
                else if (text.find('\r') == std::string::npos)
                    check(worksheet_write_string(ws, xr, c, text.c_str(), nullptr), r + 1, c);
                else  // a line break in a cell is LF; a CR would be stored as the escape _x000D_
                    check(worksheet_write_string(ws, xr, c, LfBreaks(text).c_str(), nullptr), r + 1, c);
            }
            ++r;
            return out.result == result::Exported;
        });
    } catch (const std::exception& e) {
        out = Failed(path, result::CannotWrite, e.what());
    }
    // The widths are known once every row has been seen; the workbook writes them at its close.
    for (lxw_col_t c = 0; c < cols; ++c) worksheet_set_column(ws, c, c, widths.Width(c), nullptr);
    const lxw_error closed = workbook_close(book);
    if (out.result != result::Exported) return out;
    if (closed != LXW_NO_ERROR) return Failed(path, result::CannotWrite, lxw_strerror(closed));
    if (!file.Commit()) return Failed(path, result::CannotWrite, file.Error());
    return out;
}

// ---- PDF -----------------------------------------------------------------------------------

Outcome WritePdf(const Sheet& sheet, const std::string& path, const PageStyle& style, const PageTexts& texts) {
    platform::FileBeside file(path);
    if (!file.Ok()) return Failed(path, result::CannotWrite, file.Error());
    {
        QFile out;
        if (!out.open(file.Fd(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
            return Failed(path, result::CannotWrite, out.errorString().toStdString());
        {
            QPdfWriter writer(&out);
            writer.setResolution(300);
            writer.setCreator("Sovrel");
            writer.setTitle(QString::fromStdString(sheet.title));
            PrintPages(writer, sheet, style, texts);
        }
        if (!out.flush() || out.error() != QFileDevice::NoError)
            return Failed(path, result::CannotWrite, out.errorString().toStdString());
    }
    if (!file.Commit()) return Failed(path, result::CannotWrite, file.Error());
    return {result::Exported, path, ""};
}

}  // namespace

bool EachRow(const Sheet& sheet, const std::function<bool(const std::vector<std::string>&)>& each) {
    if (sheet.source) return sheet.source->Read(each);
    for (const auto& row : sheet.rows)
        if (!each(row)) return false;
    return true;
}

Outcome Export(const Sheet& sheet, const std::string& path, Format format, const PageStyle& style,
               const PageTexts& texts) {
    if (sheet.columns.empty()) return Failed(path, result::NoData, "");
    try {
        switch (format) {
            case Format::Xlsx: return WriteXlsx(sheet, path);
            case Format::Csv: return WriteCsv(sheet, path);
            case Format::Pdf: return WritePdf(sheet, path, style, texts);
        }
    } catch (const std::exception& e) {
        // Rows that could not be read: the file beside the target is gone, the target untouched.
        return Failed(path, result::CannotWrite, e.what());
    }
    return Failed(path, result::BadFormat, "");
}

// ---- Data text -----------------------------------------------------------------------------

std::string DataText(const Sheet& sheet) {
    pugi::xml_document doc;
    auto root = doc.append_child("PrintData");
    root.append_attribute("title") = sheet.title.c_str();
    root.append_attribute("user") = sheet.user.c_str();
    root.append_attribute("year") = sheet.year.c_str();
    root.append_attribute("printDate") = sheet.printDate.c_str();
    for (const auto& c : sheet.columns) {
        auto col = root.append_child("Column");
        col.append_attribute("caption") = c.caption.c_str();
        col.append_attribute("type") = c.type;
        col.append_attribute("size") = c.size;
        col.append_attribute("field") = c.field;
    }
    for (const auto& row : sheet.rows) {
        auto r = root.append_child("Row");
        for (const auto& cell : row) r.append_child("C").text() = cell.c_str();
    }
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw | pugi::format_no_declaration);
    return out.str();
}

std::optional<Sheet> ParseData(std::string_view text) {
    pugi::xml_document doc;
    // Cell texts keep their spaces and line breaks exactly.
    const unsigned flags = (pugi::parse_default | pugi::parse_ws_pcdata) & ~pugi::parse_eol;
    if (!doc.load_buffer(text.data(), text.size(), flags)) return std::nullopt;
    auto root = doc.child("PrintData");
    if (!root) return std::nullopt;
    Sheet s;
    s.title = root.attribute("title").as_string();
    s.user = root.attribute("user").as_string();
    s.year = root.attribute("year").as_string();
    s.printDate = root.attribute("printDate").as_string();
    for (auto col : root.children("Column"))
        s.columns.push_back({col.attribute("caption").as_string(), col.attribute("type").as_int(202),
                             col.attribute("size").as_int(10), col.attribute("field").as_int(0)});
    for (auto r : root.children("Row")) {
        auto& row = s.rows.emplace_back();
        row.reserve(s.columns.size());
        for (auto c : r.children("C")) row.emplace_back(c.text().as_string());
    }
    return s;
}

void ApplyTypeSize(Sheet& sheet, std::string_view types, std::string_view sizes) {
    auto entries = [](std::string_view list) {
        std::vector<std::string> out;
        std::string item;
        std::istringstream in{std::string(list)};
        if (!list.empty() && list.front() == ',') in.get();
        while (std::getline(in, item, ',')) out.push_back(item);
        return out;
    };
    auto number = [](const std::vector<std::string>& list, int field, int& value) {
        if (field < 1 || static_cast<std::size_t>(field) > list.size()) return;
        const std::string& s = list[static_cast<std::size_t>(field) - 1];
        char* end = nullptr;
        const long v = std::strtol(s.c_str(), &end, 10);
        if (!s.empty() && end == s.c_str() + s.size() && v >= 0 && v < 100000) value = static_cast<int>(v);
    };
    const auto t = entries(types), z = entries(sizes);
    for (auto& c : sheet.columns) {
        number(t, c.field, c.type);
        number(z, c.field, c.size);
    }
}

namespace {
thread_local Outcome lastOutcome;
}

const Outcome& LastOutcome() { return lastOutcome; }
void SetLastOutcome(Outcome outcome) { lastOutcome = std::move(outcome); }

// ---- Style text ----------------------------------------------------------------------------

std::string StyleText(const PageStyle& s) {
    pugi::xml_document doc;
    auto root = doc.append_child("PrintStyle");
    root.append_attribute("name") = s.name.c_str();
    auto page = root.append_child("Page");
    page.append_attribute("paper") = s.paper.c_str();
    page.append_attribute("orientation") = s.landscape ? "landscape" : "portrait";
    page.append_attribute("left") = s.marginLeft;
    page.append_attribute("top") = s.marginTop;
    page.append_attribute("right") = s.marginRight;
    page.append_attribute("bottom") = s.marginBottom;
    root.append_child("Header").text() = s.headerText.c_str();
    root.append_child("Footer").text() = s.footerText.c_str();
    auto font = root.append_child("Font");
    font.append_attribute("family") = s.fontFamily.c_str();
    font.append_attribute("size") = s.fontSize;
    root.append_child("RepeatHeader").text() = s.repeatHeader;
    auto cols = root.append_child("Columns");
    for (const auto& c : s.columns) {
        auto col = cols.append_child("Column");
        col.append_attribute("caption") = c.caption.c_str();
        col.append_attribute("visible") = c.visible;
        col.append_attribute("width") = c.width;
    }
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw | pugi::format_no_declaration);
    return out.str();
}

std::optional<PageStyle> ParseStyle(std::string_view text) {
    pugi::xml_document doc;
    if (!doc.load_buffer(text.data(), text.size())) return std::nullopt;
    auto root = doc.child("PrintStyle");
    if (!root) return std::nullopt;
    PageStyle s;
    s.name = root.attribute("name").as_string(s.name.c_str());
    auto page = root.child("Page");
    s.paper = page.attribute("paper").as_string(s.paper.c_str());
    s.landscape = txt::EqualsNoCase(page.attribute("orientation").as_string(), "landscape");
    auto margin = [](pugi::xml_attribute a, double d) { return std::clamp(a.as_double(d), 0.0, 100.0); };
    s.marginLeft = margin(page.attribute("left"), s.marginLeft);
    s.marginTop = margin(page.attribute("top"), s.marginTop);
    s.marginRight = margin(page.attribute("right"), s.marginRight);
    s.marginBottom = margin(page.attribute("bottom"), s.marginBottom);
    s.headerText = root.child("Header").text().as_string();
    s.footerText = root.child("Footer").text().as_string();
    s.fontFamily = root.child("Font").attribute("family").as_string();
    s.fontSize = std::clamp(root.child("Font").attribute("size").as_double(s.fontSize), 4.0, 72.0);
    s.repeatHeader = root.child("RepeatHeader").text().as_bool(true);
    for (auto col : root.child("Columns").children("Column"))
        s.columns.push_back({col.attribute("caption").as_string(), col.attribute("visible").as_bool(true),
                             std::clamp(col.attribute("width").as_double(0), 0.0, 1000.0)});
    return s;
}

bool IsNumberType(int type) {
    switch (type) {
        case 2: case 3: case 4: case 5: case 6: case 14: case 16: case 17: case 18: case 19: case 20: case 21:
        case 131: case 139:
            return true;
        default:
            return false;
    }
}

}  // namespace host::print
