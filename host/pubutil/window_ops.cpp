// The public-utility object's window operations: paging into the list window, the grid header
// from the column description, and the window set-up calls.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

#include "../services/xml_tree.h"
#include "../session/support.h"
#include "common/form.h"
#include "common/hosts/controls.h"
#include "entry/small_classes.h"
#include "host/pub_util.h"
#include "host/session.h"
#include "platform/error.h"
#include "platform/text.h"
#include "service/iclscommon.h"

namespace host {

namespace txt = platform::text;

namespace {

constexpr long kDefaultPageSize = 500;
constexpr long kTradeClassHelp = 90100302;
constexpr const char* kSelectColumn = "cSelect";
constexpr const char* kKeyColumn = "cContactCode";
constexpr const char* kCjkFamily = "Noto Sans CJK SC";

[[noreturn]] void Fail(const char* who, const std::string& what) {
    throw platform::Error(platform::errnum::InvalidOperation, who, what);
}

bool IsIdentifier(const std::string& s) {
    if (s.empty() || (s[0] >= '0' && s[0] <= '9')) return false;
    return std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

bool ReadFlag(const std::string* v, bool fallback) {
    if (!v) return fallback;
    const std::string l = txt::LCase(txt::Trim(*v));
    if (l == "1" || l == "true" || l == "-1") return true;
    if (l == "0" || l == "false") return false;
    return fallback;
}

long ReadNumber(const std::string* v, long fallback) {
    if (!v) return fallback;
    const std::string t = txt::Trim(*v);
    if (t.empty() || t.size() > 6 || t.find_first_not_of("0123456789") != std::string::npos) return fallback;
    return std::stol(t);
}

QWidget* WidgetOf(sovrel::IForm& window) { return dynamic_cast<QWidget*>(&window); }

}  // namespace

struct PubUtil::ColumnDesc {
    std::string name, caption, expression;
    long width = -1;  // none given: the grid sizes the column to its content
    bool visible = true, fixed = false;
    std::string sort;  // "", "asc", "desc"
    long sortIndex = 0;
    std::string decimals;
};

std::shared_ptr<const std::vector<PubUtil::ColumnDesc>> PubUtil::Describe(const std::string& columnInfo) {
    {
        std::lock_guard lock(mutex_);
        if (described_ && describedText_ == columnInfo) return described_;
    }
    auto doc = detail::ParseXml(columnInfo);
    if (!doc.ok || !txt::EqualsNoCase(doc.root.name, "ColumnSet")) return nullptr;
    auto columns = std::make_shared<std::vector<ColumnDesc>>();
    for (const auto& e : doc.root.children) {
        if (!txt::EqualsNoCase(e.name, "Column")) return nullptr;
        ColumnDesc c;
        c.name = txt::Trim(e.AttrOr("alias", e.AttrOr("name", "")));
        c.expression = txt::Trim(e.AttrOr("expression", ""));
        // The alias and expression go into a statement: a description that does not name its
        // columns plainly is refused rather than run.
        if (!IsIdentifier(c.name) || c.expression.empty() || c.expression.find(';') != std::string::npos)
            return nullptr;
        c.caption = e.AttrOr("caption", "");
        c.width = ReadNumber(e.Attr("width"), -1);
        c.visible = ReadFlag(e.Attr("visible"), true);
        c.fixed = ReadFlag(e.Attr("fixed"), false);
        c.sort = txt::LCase(txt::Trim(e.AttrOr("sort", "")));
        if (c.sort != "asc" && c.sort != "desc") c.sort.clear();
        c.sortIndex = ReadNumber(e.Attr("sortIndex"), 0);
        c.decimals = txt::Trim(e.AttrOr("decimals", ""));
        columns->push_back(std::move(c));
    }
    if (columns->empty()) return nullptr;
    std::lock_guard lock(mutex_);
    describedText_ = columnInfo;
    described_ = columns;
    return described_;
}

void PubUtil::FlipPageFillGrid(sovrel::IListWindow& window, sovrel::IFlexGrid& /*grid*/,
                               std::shared_ptr<platform::db::Rowset>& listRs, long pageSize, long curPage,
                               std::int32_t& pageCount) {
    const char* who = "PubUtil.FlipPageFillGrid";
    if (!listRs) Fail(who, "there is no list to page: run the list's query first");
    if (listRs->IsForwardOnly()) Fail(who, "the list rowset is forward-only; paging needs a client rowset");
    if (pageSize < 1) pageSize = kDefaultPageSize;
    const long count = listRs->RecordCount();
    const long pages = std::max(1L, (count + pageSize - 1) / pageSize);
    const long page = std::clamp(curPage, 1L, pages);

    auto rows = listRs->StructureCopy();
    if (count > 0) {
        const long first = (page - 1) * pageSize + 1, last = std::min(count, page * pageSize);
        listRs->SetAbsolutePosition(first);
        // As stored, whatever another program wrote: the page is shown, not saved.
        for (long i = first; i <= last; ++i, listRs->MoveNext()) rows->AppendCopy(*listRs);
        rows->MoveFirst();
    }
    pageCount = static_cast<std::int32_t>(pages);
    window.FillGrid(rows);
    window.LblPageEnabled(page > 1, page < pages);
}

bool PubUtil::getColSet(std::string& columnInfo, std::string& selectList, std::string& sortClause,
                        sovrel::IFlexGrid& grid, std::int16_t& fixedCols, std::int16_t& keyCol, std::string& keyName) {
    const auto described = Describe(columnInfo);
    if (!described) return false;

    // The list relies on the selection column first and the contact code second.
    std::vector<ColumnDesc> shown;
    ColumnDesc select, key;
    bool haveSelect = false, haveKey = false;
    for (const auto& c : *described) {
        if (txt::EqualsNoCase(c.name, kSelectColumn)) select = c, haveSelect = true;
        else if (txt::EqualsNoCase(c.name, kKeyColumn)) key = c, haveKey = true;
        else if (c.visible) shown.push_back(c);
    }
    if (!haveSelect) {
        select.name = kSelectColumn;
        select.expression = "''";
        select.width = 28;
        select.fixed = true;
    }
    if (!haveKey) {
        key.name = kKeyColumn;
        key.expression = "Ven_Contact.cContactCode";
        key.caption = GetResString("Hx.CRM.TkContact.Column.cContactCode");
        key.width = -1;
    }
    select.caption.clear();
    shown.insert(shown.begin(), {select, key});

    std::string list;
    for (const auto& c : shown) list += (list.empty() ? "" : ", ") + c.expression + " AS " + c.name;

    // Sorted columns by their index; a hidden one only when it needs no join, since the
    // list joins the tables of the shown columns alone.
    std::vector<const ColumnDesc*> sorted;
    for (const auto& c : *described) {
        if (c.sort.empty()) continue;
        const bool onShown = std::any_of(shown.begin(), shown.end(),
                                         [&](const ColumnDesc& s) { return txt::EqualsNoCase(s.name, c.name); });
        const std::string lower = txt::LCase(c.expression);
        if (onShown || lower.rfind("ven_contact.", 0) == 0) sorted.push_back(&c);
    }
    std::stable_sort(sorted.begin(), sorted.end(), [](const ColumnDesc* a, const ColumnDesc* b) {
        const long ia = a->sortIndex > 0 ? a->sortIndex : 1L << 30, ib = b->sortIndex > 0 ? b->sortIndex : 1L << 30;
        return ia < ib;
    });
    std::string sort;
    for (const auto* c : sorted) sort += (sort.empty() ? "" : ", ") + c->expression + (c->sort == "desc" ? " DESC" : " ASC");

    const bool redraw = grid.Redraw();
    grid.SetRedraw(false);
    if (grid.Rows() < 1) grid.SetRows(1);
    grid.SetCols(static_cast<long>(shown.size()) + 1);
    std::int16_t fixed = 1;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const long col = static_cast<long>(i) + 1;
        grid.SetTextMatrix(0, col, shown[i].caption);
        grid.SetColWidth(col, shown[i].width);
        if (shown[i].fixed && fixed == col) ++fixed;
    }
    grid.SetRedraw(redraw);

    selectList = list;
    sortClause = sort;
    fixedCols = fixed;
    keyCol = 2;
    keyName = kKeyColumn;
    return true;
}

void PubUtil::SetGridRow(sovrel::IFlexGrid& grid, const std::string& key, const platform::db::Value& value,
                         long topRow) {
    const long rows = grid.Rows();
    if (rows < 2) return;
    if (txt::Trim(key).empty()) {
        const long row = std::clamp<long>(static_cast<long>(value.ToInt()), 1, rows - 1);
        if (topRow >= 1) grid.SetTopRow(std::min(topRow, rows - 1));
        grid.SetRow(row);
        return;
    }
    const long cols = grid.Cols();
    const std::string caption = txt::Trim(key);
    long col = -1;
    for (long c = 1; c < cols && col < 0; ++c)
        if (txt::EqualsNoCase(txt::Trim(grid.TextMatrix(0, c)), caption)) col = c;
    if (col < 0 || value.IsNullOrEmpty()) return;
    const std::string wanted = txt::Trim(value.ToText());
    for (long r = 1; r < rows; ++r)
        if (txt::EqualsNoCase(txt::Trim(grid.TextMatrix(r, col)), wanted)) {
            grid.SetRow(r);
            return;
        }
}

std::string PubUtil::GetEleVal(const std::string& fieldName, const std::string& columnInfo) {
    const auto described = Describe(columnInfo);
    if (!described) return "";
    const std::string name = txt::Trim(fieldName);
    for (const auto& c : *described)
        if (txt::EqualsNoCase(c.name, name)) return c.decimals;
    return "";
}

void PubUtil::FrmUniteFont(sovrel::IForm& window) {
    QWidget* w = WidgetOf(window);
    if (!w || !qApp) return;
    QFont font = QApplication::font();
    if (QFontDatabase::families().contains(QString::fromUtf8(kCjkFamily))) font.setFamily(QString::fromUtf8(kCjkFamily));
    w->setFont(font);
}

void PubUtil::FrmLoadInit(sovrel::IForm& window, std::shared_ptr<sovrel::clsLogin>& loginInfo,
                          std::shared_ptr<sovrel::IClsCommon>& /*dataService*/, const std::string& title) {
    if (!loginInfo) {
        loginInfo = std::make_shared<sovrel::clsLogin>();
        std::shared_ptr<sovrel::ILogin> login;
        {
            std::lock_guard lock(mutex_);
            login = lastLogin_.lock();
        }
        if (!login) login = CurrentLogin();
        if (login) {
            loginInfo->cUserId = login->cUserId();
            loginInfo->cUserName = login->cUserName();
            loginInfo->tkDBName = login->tkDBName();
            loginInfo->dCurDate = login->CurDate();
        }
    }
    window.SetCaption(title);
}

void PubUtil::FrmPreCompile(std::shared_ptr<sovrel::IClsCommon>& dataService) {
    if (!dataService) return;
    // Only opens the connection and readies the table; the rows are not wanted.
    dataService->OpenX("SELECT TOP 1 cContactCode FROM Ven_Contact");
}

void PubUtil::FrmResize(sovrel::IForm& window) {
    QWidget* w = WidgetOf(window);
    if (!w || !w->isWindow() || !w->isVisible()) return;
    QScreen* screen = w->screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    QRect frame = w->frameGeometry();
    if (area.contains(frame)) return;
    const QSize size = w->size().boundedTo(area.size());
    if (size != w->size()) w->resize(size);
    frame = w->frameGeometry();
    const int x = std::clamp(frame.x(), area.left(), std::max(area.left(), area.right() - frame.width() + 1));
    const int y = std::clamp(frame.y(), area.top(), std::max(area.top(), area.bottom() - frame.height() + 1));
    w->move(x, y);
}

void PubUtil::FrmOpt(sovrel::IForm& window, const std::string& key, const std::string& title,
                     const std::shared_ptr<sovrel::ILogin>& login, std::shared_ptr<sovrel::IClsCommon>& /*dataService*/) {
    if (key != "mStb") return;
    QWidget* w = WidgetOf(window);
    if (!w || !qApp) return;
    QStatusBar* bar = w->findChild<QStatusBar*>();
    if (!bar) return;
    const std::string language = detail::LanguageOf(login ? login.get() : CurrentLogin().get());
    auto text = [&](const char* k) { return QString::fromStdString(detail::HostText(language, k)); };

    QDialog dialog(w);
    dialog.setObjectName("frmWindowOptions");
    dialog.setWindowTitle(QString::fromStdString(title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* statusBar = new QCheckBox(text("Hx.AA.PUB.Options.StatusBar"), &dialog);
    statusBar->setObjectName("chkStatusBar");
    statusBar->setChecked(!bar->isHidden());
    layout->addWidget(statusBar);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(text("Hx.AA.MSGBOX.Ok"), QDialogButtonBox::AcceptRole)->setObjectName("cmdOk");
    buttons->addButton(text("Hx.AA.MSGBOX.Cancel"), QDialogButtonBox::RejectRole)->setObjectName("cmdCancel");
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() == QDialog::Accepted) bar->setVisible(statusBar->isChecked());
}

void PubUtil::HelpShow(const std::string& key, sovrel::IForm& window) {
    std::lock_guard lock(mutex_);
    help_.command = key;
    help_.window = window.Name();
}

long PubUtil::HelpX(bool& /*helpFlag*/, const std::shared_ptr<sovrel::ILogin>& /*login*/, sovrel::IForm& window,
                    const std::string& topic) {
    const long context = txt::EqualsNoCase(txt::Trim(topic), "TradeClass") ? kTradeClassHelp : 0;
    std::lock_guard lock(mutex_);
    help_.window = window.Name();
    help_.context = context;
    return context;
}

void PubUtil::HelpHide() {
    std::lock_guard lock(mutex_);
    help_ = {};
}

PubUtil::HelpState PubUtil::Help() {
    std::lock_guard lock(mutex_);
    return help_;
}

}  // namespace host
