#pragma once
// The host's print and export core, shared by the print control and `sovrel export`: a sheet of
// texts with typed columns, the page style that lays it out on paper, and writers for XLSX, CSV
// and PDF. A writer puts its bytes in a temporary file beside the target and renames it at the
// end, so a failed export leaves no file (and no half-written one) under the chosen name.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QPagedPaintDevice;

namespace host::print {

// One column: its caption, the type code of the field behind it (the data layer's type
// numbers: 3 integer, 5 double, 135 timestamp, 202 text ...) and its width in characters.
struct Column {
    std::string caption;
    int type = 202;
    int size = 10;
    int field = 0;  // 1-based position of its field in the list's type and size lists; 0 none
};

// True for the data layer's number types (integers, floating, decimal, money): the column's
// texts are numbers, written as numbers and aligned right.
bool IsNumberType(int type);

// Rows read in order, as often as asked, without all of them in memory (a list of a million
// contacts is printed and exported through one of these).
class RowSource {
public:
    virtual ~RowSource() = default;
    // Calls row with each row's texts, one per column of the sheet, in order, until it answers
    // false; answers false when it stopped early. Throws what reading the rows throws.
    virtual bool Read(const std::function<bool(const std::vector<std::string>&)>& row) const = 0;
};

// What is printed or exported: the page texts and the rows, one text per column.
struct Sheet {
    std::string title, user, year, printDate;
    std::vector<Column> columns;
    std::vector<std::vector<std::string>> rows;
    // When set, the rows come from here instead of `rows`, read anew by every print and export.
    std::shared_ptr<const RowSource> source;
};

// The sheet's rows in order (its source's, else its own) handed to each until it answers false;
// answers false when stopped early.
bool EachRow(const Sheet& sheet, const std::function<bool(const std::vector<std::string>&)>& each);

// The print data text (without a source's rows) ("<PrintData title=.. user=.. year=.. printDate=..><Column .../>...<Row><C>
// text</C>...</Row>...</PrintData>"), and back; nullopt for a text that is not one.
std::string DataText(const Sheet& sheet);
std::optional<Sheet> ParseData(std::string_view text);

// Applies the type and size lists of the list's fields (",202,3,", ",20,10,") to the columns by
// their field positions; entries that are missing or not numbers leave a column as it was.
void ApplyTypeSize(Sheet& sheet, std::string_view types, std::string_view sizes);

// The layout of printed pages. Lengths in millimetres, the font size in points.
struct PageStyle {
    std::string name = "Default";
    std::string paper = "A4";  // A3, A4, A5, B5, Letter, Legal
    bool landscape = false;
    double marginLeft = 12, marginTop = 12, marginRight = 12, marginBottom = 12;
    std::string headerText, footerText;  // printed above the title and at the foot of each page
    std::string fontFamily;              // "" = the host's default
    double fontSize = 9;
    bool repeatHeader = true;  // the column captions on every page, not only the first
    struct ColumnStyle {
        std::string caption;
        bool visible = true;
        double width = 0;  // mm; 0 = from the column's size
    };
    std::vector<ColumnStyle> columns;  // matched to the sheet's columns by caption
};

// The style as its stored text ("<PrintStyle ...>"), and back. Reading a text that is not a
// style answers nullopt; missing attributes keep their defaults.
std::string StyleText(const PageStyle& style);
std::optional<PageStyle> ParseStyle(std::string_view text);

// The words printed around the rows, in the reader's language ("Page {0} of {1}" style
// patterns with {0} the page and {1} the count).
struct PageTexts {
    std::string user = "User", year = "Year", printed = "Printed", pageOf = "Page {0} of {1}";
};

enum class Format { Xlsx, Csv, Pdf };
// "xlsx", "csv", "pdf" without regard to case; nullopt for others.
std::optional<Format> FormatFromName(std::string_view name);
// The format a file name's extension names; nullopt without a known one.
std::optional<Format> FormatOfPath(std::string_view path);
std::string_view FormatExtension(Format format);

// Outcome numbers of an export, as the print control hands them to PrintMsg.
namespace result {
constexpr long Exported = 0;
constexpr long Cancelled = 1;    // the user closed the save dialog
constexpr long CannotWrite = 2;  // folder missing, no permission, disk full ...
constexpr long NoData = 3;       // nothing loaded to export
constexpr long TooLong = 4;      // a text longer than a spreadsheet cell holds
constexpr long BadFormat = 5;    // no known format asked for
}  // namespace result

struct Outcome {
    long result = result::Exported;
    std::string path;    // the file written or attempted
    std::string detail;  // why it failed (system error text, row and column ...)
    // Exported: the row (1 for the first data row) and caption of each text cut to fit a cell.
    std::vector<std::pair<long, std::string>> cut;
};

// Writes the sheet to path. XLSX: numbers as numbers, dates as dates, texts as texts (never
// formulas; one longer than a cell holds is cut, ending in "…", and listed in Outcome::cut),
// widths from the content, a bold frozen caption row. CSV: UTF-8 with a byte-order mark,
// RFC 4180 quoting, CR LF line ends. PDF: pages as PrintPages lays them out (needs a
// QGuiApplication). Rows are written as they are read; a source that fails to read gives
// CannotWrite with its message, and no file.
Outcome Export(const Sheet& sheet, const std::string& path, Format format, const PageStyle& style = {},
               const PageTexts& texts = {});

// The outcome of this thread's last export through the print control, for PrintMsg.
const Outcome& LastOutcome();
void SetLastOutcome(Outcome outcome);

// Lays the sheet out on the device's pages (its page layout is set from the style first unless
// keepLayout) and paints them; answers the page count. Each page carries the header text, the
// title, the user, year and print date, the captions (on every page with repeatHeader), the rows
// (long texts wrap inside their column; the columns are narrowed together to fit the page) and
// "page n of m". A source's rows are read three times (the columns' widths from the first rows,
// the page breaks, the painting), one page's rows held at a time.
int PrintPages(QPagedPaintDevice& device, const Sheet& sheet, const PageStyle& style, const PageTexts& texts,
               bool keepLayout = false);

// Character width of a text on a fixed-pitch grid: East Asian wide characters count two.
int DisplayWidth(std::string_view text);

}  // namespace host::print
