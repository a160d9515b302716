// Locate (FindPos, FindSet) and in-place sort (GridSort) of the public-utility object.
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <numeric>

#include "../session/support.h"
#include "common/form.h"
#include "platform/db/field.h"
#include "platform/db/rowset.h"
#include "host/locate.h"
#include "host/pub_util.h"
#include "host/session.h"
#include "platform/text.h"

namespace host {

namespace txt = platform::text;

namespace {

constexpr const char* kLocateKey = "FindSet";

bool IsAscii(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string AsciiLower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string Fold(const std::string& s) {
    if (IsAscii(s)) return AsciiLower(s);
    return QString::fromStdString(s).toCaseFolded().toStdString();
}

// needle is folded; an ASCII needle is compared byte by byte without case (bytes of wider UTF-8
// characters never equal an ASCII one), so the common search copies nothing.
bool Matches(const std::string& cell, const std::string& needle, bool needleAscii, MatchMode mode) {
    const auto first = cell.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    const std::string_view v(cell.data() + first, cell.find_last_not_of(' ') - first + 1);
    if (needleAscii) {
        const auto same = [](char c, char n) { return (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) == n; };
        switch (mode) {
            case MatchMode::Exact: return v.size() == needle.size() && std::equal(v.begin(), v.end(), needle.begin(), same);
            case MatchMode::BeginsWith:
                return v.size() >= needle.size() && std::equal(needle.begin(), needle.end(), v.begin(), [&](char n, char c) { return same(c, n); });
            case MatchMode::Contains: break;
        }
        return std::search(v.begin(), v.end(), needle.begin(), needle.end(), same) != v.end();
    }
    const std::string folded = Fold(std::string(v));
    switch (mode) {
        case MatchMode::Exact: return folded == needle;
        case MatchMode::BeginsWith: return folded.rfind(needle, 0) == 0;
        case MatchMode::Contains: break;
    }
    return folded.find(needle) != std::string::npos;
}

// "yyyy-mm-dd" with an optional " hh:mm:ss": such texts order as their dates do.
bool IsDateText(const std::string& s) {
    auto digits = [&](std::size_t from, std::size_t n) {
        for (std::size_t i = from; i < from + n; ++i)
            if (i >= s.size() || s[i] < '0' || s[i] > '9') return false;
        return true;
    };
    if (s.size() != 10 && s.size() != 19) return false;
    if (!digits(0, 4) || s[4] != '-' || !digits(5, 2) || s[7] != '-' || !digits(8, 2)) return false;
    if (s.size() == 10) return true;
    return s[10] == ' ' && digits(11, 2) && s[13] == ':' && digits(14, 2) && s[16] == ':' && digits(17, 2);
}

bool ParseNumber(const std::string& s, double& out) {
    if (s.empty() || s.size() > 40) return false;
    const char first = s[0];
    if (!((first >= '0' && first <= '9') || first == '-' || first == '+' || first == '.')) return false;
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size();
}

}  // namespace

std::string LocateSettingsText(const LocateSettings& settings) {
    std::string text = std::to_string(static_cast<int>(settings.mode)) + "|";
    for (std::size_t i = 0; i < settings.columns.size(); ++i) text += (i ? "\t" : "") + settings.columns[i];
    return text;
}

LocateSettings ParseLocateSettings(const std::string& text) {
    LocateSettings s;
    const auto bar = text.find('|');
    if (bar != 1 || text[0] < '0' || text[0] > '2') return s;
    s.mode = static_cast<MatchMode>(text[0] - '0');
    std::string rest = text.substr(2);
    std::size_t start = 0;
    while (!rest.empty() && start <= rest.size()) {
        const auto tab = rest.find('\t', start);
        const std::string caption = rest.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
        if (!caption.empty()) s.columns.push_back(caption);
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return s;
}

namespace {

// The grid columns a search looks in: the one given, or the settings' (all data columns when
// they name none). Column 1, the selection marks, never.
std::vector<long> SearchedColumns(const sovrel::IFlexGrid& grid, long column, const LocateSettings& settings) {
    const long cols = grid.Cols();
    std::vector<long> searched;
    if (column >= 2 && column < cols) {
        searched.push_back(column);
        return searched;
    }
    for (long c = 2; c < cols; ++c) {
        const std::string caption = txt::Trim(grid.TextMatrix(0, c));
        if (settings.columns.empty() ||
            std::any_of(settings.columns.begin(), settings.columns.end(),
                        [&](const std::string& s) { return txt::EqualsNoCase(s, caption); }))
            searched.push_back(c);
    }
    return searched;
}

}  // namespace

long FindNextRow(const sovrel::IFlexGrid& grid, long from, long column, const std::string& text,
                 const LocateSettings& settings) {
    const long rows = grid.Rows();
    const std::string needle = Fold(txt::Trim(text));
    if (rows < 2 || needle.empty()) return -1;
    const std::vector<long> searched = SearchedColumns(grid, column, settings);
    if (searched.empty()) return -1;
    const bool ascii = IsAscii(needle);
    const long data = rows - 1;
    const long start = std::clamp(from, 0L, data);
    for (long step = 1; step <= data; ++step) {
        const long r = (start + step - 1) % data + 1;
        for (long c : searched)
            if (Matches(grid.TextMatrix(r, c), needle, ascii, settings.mode)) return r;
    }
    return -1;
}

long FindNextListRow(const sovrel::IFlexGrid& grid, const platform::db::Rowset& list, long firstShown, long from,
                     long column, const std::string& text, const LocateSettings& settings, const FlagTexts& flags,
                     const ShownText& shown) {
    const long count = list.RecordCount();
    const std::string needle = Fold(txt::Trim(text));
    if (count < 1 || needle.empty()) return -1;
    const std::vector<long> searched = SearchedColumns(grid, column, settings);
    if (searched.empty()) return -1;
    const bool ascii = IsAscii(needle);
    const long shownLast = firstShown + grid.Rows() - 2;
    std::vector<bool> flag;
    for (long c : searched) {
        const auto f = static_cast<std::size_t>(c - 1);
        flag.push_back(f < list.FieldCount() && list.Field(f).type == platform::db::adBoolean);
    }
    // One pass over a cursor of its own, from the row after `from` to the end and on from the
    // first row: the list keeps its place and no row is read twice.
    auto rows = list.Clone();
    const long start = std::clamp(from, 0L, count);
    long row = start % count + 1;
    rows->SetAbsolutePosition(row);
    for (long step = 1; step <= count; ++step) {
        if (row >= firstShown && row <= shownLast) {
            // The page on screen as the grid shows it (formatted, and perhaps sorted in place).
            for (long c : searched)
                if (Matches(grid.TextMatrix(row - firstShown + 1, c), needle, ascii, settings.mode)) return row;
        } else {
            for (std::size_t k = 0; k < searched.size(); ++k) {
                const auto f = static_cast<std::size_t>(searched[k] - 1);
                if (f >= rows->FieldCount()) continue;
                const platform::db::Value v = rows->Get(f);
                if (shown) {
                    if (Matches(shown(f, v), needle, ascii, settings.mode)) return row;
                    continue;
                }
                if (v.IsNull()) continue;
                const std::string cell = flag[k] ? (v.ToBool() ? flags.yes : flags.no) : v.ToText();
                if (Matches(cell, needle, ascii, settings.mode)) return row;
            }
        }
        if (row == count) {
            row = 1;
            rows->MoveFirst();
        } else {
            ++row;
            rows->MoveNext();
        }
    }
    return -1;
}

void SortGridRows(sovrel::IFlexGrid& grid, long column, bool descending) {
    const long rows = grid.Rows(), cols = grid.Cols();
    if (rows < 3 || column < 1 || column >= cols) return;
    const long n = rows - 1;
    std::vector<std::vector<std::string>> cells(static_cast<std::size_t>(n));
    for (long r = 1; r <= n; ++r) {
        auto& row = cells[static_cast<std::size_t>(r - 1)];
        row.reserve(static_cast<std::size_t>(cols));
        for (long c = 0; c < cols; ++c) row.push_back(grid.TextMatrix(r, c));
    }
    const auto key = [&](long i) -> const std::string& { return cells[static_cast<std::size_t>(i)][column]; };

    bool numbers = true, dates = true;
    std::vector<double> values(static_cast<std::size_t>(n), 0.0);
    for (long i = 0; i < n && (numbers || dates); ++i) {
        const std::string t = txt::Trim(key(i));
        if (t.empty()) continue;
        if (numbers && !ParseNumber(t, values[static_cast<std::size_t>(i)])) numbers = false;
        if (dates && !IsDateText(t)) dates = false;
    }
    std::vector<long> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0L);
    std::vector<bool> empty(static_cast<std::size_t>(n));
    for (long i = 0; i < n; ++i) empty[static_cast<std::size_t>(i)] = txt::Trim(key(i)).empty();

    // -1, 0, 1 for rows a and b in ascending order; empty cells first.
    std::function<int(long, long)> compare;
    if (numbers) {
        compare = [&](long a, long b) {
            const double x = values[static_cast<std::size_t>(a)], y = values[static_cast<std::size_t>(b)];
            return x < y ? -1 : (y < x ? 1 : 0);
        };
    } else if (dates) {
        compare = [&](long a, long b) { return txt::Trim(key(a)).compare(txt::Trim(key(b))); };
    } else {
        // The account's collation (Latin first, then Chinese by pinyin, case ignored), which the
        // list's query sorts by, rather than the user's locale: a page sorted here reads as the
        // header's sort of the whole list does, in either language.
        std::vector<std::string> texts(static_cast<std::size_t>(n));
        for (long i = 0; i < n; ++i) texts[static_cast<std::size_t>(i)] = txt::Trim(key(i));
        compare = [texts = std::move(texts)](long a, long b) {
            return txt::CollateNoCase(texts[static_cast<std::size_t>(a)], texts[static_cast<std::size_t>(b)]);
        };
    }
    std::stable_sort(order.begin(), order.end(), [&](long a, long b) {
        const bool ea = empty[static_cast<std::size_t>(a)], eb = empty[static_cast<std::size_t>(b)];
        if (ea || eb) return descending ? (!ea && eb) : (ea && !eb);
        const int c = compare(a, b);
        return descending ? c > 0 : c < 0;
    });

    const long current = grid.Row();
    long newCurrent = current;
    const bool redraw = grid.Redraw();
    grid.SetRedraw(false);
    for (long r = 1; r <= n; ++r) {
        const long from = order[static_cast<std::size_t>(r - 1)];
        if (from + 1 == current) newCurrent = r;
        const auto& row = cells[static_cast<std::size_t>(from)];
        // Column 0 numbers the rows where they stand and stays.
        for (long c = 1; c < cols; ++c) grid.SetTextMatrix(r, c, row[static_cast<std::size_t>(c)]);
    }
    grid.SetRedraw(redraw);
    if (current >= 1 && current < rows) grid.SetRow(newCurrent);
}

// ---- The public-utility object's operations ----------------------------------------------

void PubUtil::GridSort(sovrel::IForm& /*window*/, sovrel::IFlexGrid& grid, int order) {
    SortGridRows(grid, grid.Col(), order == sovrel::sortorder::Descending);
}

namespace {

LocateSettings LoadLocateSettings(PubUtil& pub, const std::string& section) {
    bool help = false;
    try {
        return ParseLocateSettings(pub.GetRegEdit(section, kLocateKey, help, ""));
    } catch (const std::exception&) {
        return {};  // no system database (a grid outside a login): the defaults
    }
}

std::string SectionOf(sovrel::IForm& window) {
    auto* w = dynamic_cast<QWidget*>(&window);
    return w && !w->objectName().isEmpty() ? w->objectName().toStdString() : std::string("Grid");
}

QComboBox* ModeBox(QWidget* parent, const std::string& language, MatchMode mode) {
    auto* box = new QComboBox(parent);
    box->setObjectName("cboMode");
    for (const char* key : {"Hx.AA.LOCATE.Contains", "Hx.AA.LOCATE.BeginsWith", "Hx.AA.LOCATE.Exact"})
        box->addItem(QString::fromStdString(detail::HostText(language, key)));
    box->setCurrentIndex(static_cast<int>(mode));
    return box;
}

}  // namespace

void PubUtil::FindPos(sovrel::IFlexGrid& grid, sovrel::IForm& window) {
    const std::string language = detail::CurrentLanguage();
    const std::string section = SectionOf(window);
    LocateSettings settings = LoadLocateSettings(*this, section);
    auto t = [&](const char* key) { return QString::fromStdString(detail::HostText(language, key)); };

    QDialog dialog(dynamic_cast<QWidget*>(&window));
    dialog.setObjectName("frmFindPos");
    dialog.setWindowTitle(t("Hx.AA.LOCATE.Title"));
    auto* form = new QFormLayout;
    auto* text = new QLineEdit(&dialog);
    text->setObjectName("EdtText");
    auto* column = new QComboBox(&dialog);
    column->setObjectName("cboColumn");
    column->addItem(t("Hx.AA.LOCATE.AnyColumn"), -1);
    for (long c = 2; c < grid.Cols(); ++c)
        column->addItem(QString::fromStdString(grid.TextMatrix(0, c)), static_cast<int>(c));
    auto* mode = ModeBox(&dialog, language, settings.mode);
    form->addRow(t("Hx.AA.LOCATE.Text"), text);
    form->addRow(t("Hx.AA.LOCATE.Column"), column);
    form->addRow(t("Hx.AA.LOCATE.Match"), mode);
    auto* status = new QLabel(&dialog);
    status->setObjectName("lblStatus");
    auto* buttons = new QDialogButtonBox(&dialog);
    auto* next = buttons->addButton(t("Hx.AA.LOCATE.FindNext"), QDialogButtonBox::ActionRole);
    next->setObjectName("cmdFindNext");
    next->setDefault(true);
    buttons->addButton(t("Hx.AA.LOCATE.Close"), QDialogButtonBox::RejectRole)->setObjectName("cmdClose");
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(status);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    // The whole list when the window pages one (a contact on page 8 is found from page 1), the
    // grid's rows otherwise.
    auto* list = dynamic_cast<sovrel::IListWindow*>(&window);
    const FlagTexts flags{detail::HostText(language, "Hx.CRM.COMMON.DispBoolTrue"),
                          detail::HostText(language, "Hx.CRM.COMMON.DispBoolFalse")};
    QObject::connect(next, &QPushButton::clicked, &dialog, [&] {
        LocateSettings now = settings;
        now.mode = static_cast<MatchMode>(mode->currentIndex());
        const long col = column->currentData().toInt();
        const std::string wanted = text->text().toStdString();
        const auto rows = list ? list->ListRows() : nullptr;
        bool wrapped = false;
        if (rows && rows->RecordCount() > 0) {
            const long first = list->FirstShownRow();
            const long current = grid.Row() >= 1 ? first + grid.Row() - 1 : first - 1;
            const long found = FindNextListRow(grid, *rows, first, current, col, wanted, now, flags, list->ShownTexts());
            if (found < 0 || !list->ShowListRow(found)) {
                status->setText(t("Hx.AA.LOCATE.NotFound"));
                return;
            }
            wrapped = found <= current;
        } else {
            const long found = FindNextRow(grid, grid.Row(), col, wanted, now);
            if (found < 0) {
                status->setText(t("Hx.AA.LOCATE.NotFound"));
                return;
            }
            wrapped = found <= grid.Row();
            grid.SetRow(found);
        }
        const long shown = grid.Row();
        if (shown < grid.TopRow() || shown > grid.TopRow() + 20) grid.SetTopRow(std::max(1L, shown - 3));
        status->setText(wrapped ? t("Hx.AA.LOCATE.Wrapped") : QString());
    });
    dialog.resize(420, dialog.sizeHint().height());
    dialog.exec();
}

void PubUtil::FindSet(sovrel::IForm& window, const std::string& title, const std::shared_ptr<sovrel::ILogin>& login) {
    const std::string language = detail::LanguageOf(login ? login.get() : CurrentLogin().get());
    const std::string section = SectionOf(window);
    LocateSettings settings = LoadLocateSettings(*this, section);
    auto t = [&](const char* key) { return QString::fromStdString(detail::HostText(language, key)); };

    // The columns offered are the header captions of the window's grid.
    std::vector<std::string> captions;
    if (auto* w = dynamic_cast<QWidget*>(&window))
        if (auto* view = w->findChild<QAbstractItemView*>("Grid"); view && view->model()) {
            // The model's column s is the grid's column s + 1; the selection column is not searched.
            const int count = view->model()->columnCount();
            for (int s = 1; s < count; ++s)
                captions.push_back(view->model()->headerData(s, Qt::Horizontal).toString().toStdString());
        }

    QDialog dialog(dynamic_cast<QWidget*>(&window));
    dialog.setObjectName("frmFindSet");
    dialog.setWindowTitle(t("Hx.AA.LOCATE.SettingsTitle") + " - " + QString::fromStdString(title));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(t("Hx.AA.LOCATE.SearchedColumns"), &dialog));
    auto* list = new QListWidget(&dialog);
    list->setObjectName("lstColumns");
    for (const auto& caption : captions) {
        auto* item = new QListWidgetItem(QString::fromStdString(caption), list);
        const bool on = settings.columns.empty() ||
                        std::any_of(settings.columns.begin(), settings.columns.end(),
                                    [&](const std::string& s) { return txt::EqualsNoCase(s, caption); });
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    layout->addWidget(list);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(t("Hx.AA.LOCATE.Match"), &dialog));
    auto* mode = ModeBox(&dialog, language, settings.mode);
    row->addWidget(mode, 1);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(t("Hx.AA.LOCATE.Ok"));
    buttons->button(QDialogButtonBox::Cancel)->setText(t("Hx.AA.LOCATE.Cancel"));
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.resize(360, 420);
    if (dialog.exec() != QDialog::Accepted) return;

    LocateSettings chosen;
    chosen.mode = static_cast<MatchMode>(mode->currentIndex());
    bool all = true;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked) chosen.columns.push_back(list->item(i)->text().toStdString());
        else all = false;
    if (all) chosen.columns.clear();
    bool help = false;
    SaveRegEdit(section, kLocateKey, LocateSettingsText(chosen), help, login ? login->cUserId() : "");
}

}  // namespace host
