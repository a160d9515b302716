// The pager strip: page size and current page boxes with their spin buttons, the apply
// button, the four page labels, and paging from the list rowset without a new query.
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

#include "common/context.h"
#include "common/hosts/pub_util.h"
#include "common/hosts/pub_util_lists.h"
#include "common/texts.h"
#include "platform/db/value.h"
#include "platform/text.h"
#include "ui/list/frm_contact_list.h"
#include "ui/list/list_internal.h"
#include "ui/list/list_statement.h"
#include "ui/list/pager_widgets.h"

namespace sovrel {

using namespace list;
namespace txt = platform::text;

namespace {

constexpr long kLargestPageSize = 10000;

long NumberIn(const QLineEdit* box) { return static_cast<long>(platform::db::Value(box->text().toStdString()).ToInt()); }

// The entry class sets the largest page size before the window opens.
long LargestPageSize() { return Ctx().PageSize > 0 ? Ctx().PageSize : kLargestPageSize; }

}  // namespace

void frmContactList::InitPager() {
    const long largest = LargestPageSize();
    upDown1_->step = 5;
    upDown1_->lower = 5;
    upDown1_->upper = static_cast<int>(largest);
    upDown2_->step = 1;
    upDown2_->lower = 1;
    upDown2_->upper = 1;
    edtPageSize_->setMaxLength(static_cast<int>(std::to_string(largest).size()));
    // The page size the user applied last time, where one is stored and within the pager's
    // range; otherwise 500. (Always 500 would drop the user's own choice at every opening.)
    long pageSize = 500;
    try {
        Context& c = Ctx();
        if (c.PubUtil) {
            const long stored = static_cast<long>(
                platform::db::Value(Pub().GetRegEdit(kTable, "PageSize", c.HelpFlag, c.UserId)).ToInt());
            if (stored >= 5 && stored <= largest) pageSize = stored;
        }
    } catch (...) {
        // An unreadable setting is no reason to keep the list from opening.
    }
    edtPageSize_->setText(QString::number(pageSize));
    // The page box corrects itself against the last page as soon as its text changes, so the
    // last page must be known before the box gets its first page.
    Ctx().CurrentPage = 1;
    edtCurPage_->setText("1");
}

void frmContactList::UpDownStep(int which, bool up) {
    QLineEdit* box = which == 1 ? edtPageSize_ : edtCurPage_;
    const SpinButtons* spin = which == 1 ? upDown1_ : upDown2_;
    long value = NumberIn(box) + (up ? spin->step : -spin->step);
    if (up && value > spin->upper) value -= spin->step;
    if (!up && value < spin->lower) value += spin->step;
    box->setText(QString::number(value));
}

void frmContactList::PageSizeEdited() {
    if (editing_) return;
    if (NumberIn(edtPageSize_) > LargestPageSize()) {
        editing_ = true;
        edtPageSize_->setText(QString::number(LargestPageSize()));
        editing_ = false;
    }
}

void frmContactList::CurPageEdited() {
    // An empty box is left for the user to type into; the utility reads it as no page.
    if (editing_ || edtCurPage_->text().isEmpty()) return;
    const long value = NumberIn(edtCurPage_), last = Ctx().CurrentPage;
    QString corrected;
    if (value > last) corrected = QString::number(last);
    else if (value < 1) corrected = "1";
    if (corrected.isEmpty()) return;
    editing_ = true;
    edtCurPage_->setText(corrected);
    editing_ = false;
}

void frmContactList::CmdRequestClick() {
    if (!loaded_) return;
    Repage(true);
}

void frmContactList::Repage(bool savePageSize) {
    if (busy_ > 0 || !listRs_) return;
    Context& c = Ctx();
    if (SortedInPlaceOnly()) {
        // The sort menu sorted the shown page alone: its other pages come from the list asked
        // again in the order the header shows.
        DataRefresh(lastWhere_);
        if (savePageSize)
            Pub().SaveRegEdit(kTable, "PageSize", edtPageSize_->text().toStdString(), c.HelpFlag, c.UserId);
        return;
    }
    BusyScope busy(*this);
    loaded_ = false;
    try {
        Pub().FlipPageFillGrid(*this, *grid_, listRs_, NumberIn(edtPageSize_), NumberIn(edtCurPage_), c.CurrentPage);
    } catch (...) {
        loaded_ = listRs_ != nullptr;  // the list is still there to page
        throw;
    }
    loaded_ = true;
    AfterPaging();
    if (savePageSize)
        Pub().SaveRegEdit(kTable, "PageSize", edtPageSize_->text().toStdString(), c.HelpFlag, c.UserId);
}

void frmContactList::AfterPaging() {
    const long last = Ctx().CurrentPage;
    upDown2_->upper = static_cast<int>(last);
    lblTotalPage_->setText(QString("/ %1").arg(last));
    CurPageEdited();
    stbRange_->setText(QString::fromStdString(RangeText()));
    ShowFilterMark();
}

void frmContactList::ShowFilterMark() {
    const bool filtered = !txt::Trim(filterClause_).empty();
    if (filtered) {
        stbFilter_->setText(QString::fromStdString(ResText("Hx.CRM.TkContact.frmcontactlist.Filtered")));
        cmdClearFilter_->setText(QString::fromStdString(ResText("Hx.CRM.TkContact.frmcontactlist.ClearFilter")));
    }
    stbFilter_->setVisible(filtered);
    cmdClearFilter_->setVisible(filtered);
}

void frmContactList::ClearFilter() {
    if (busy_ > 0 || filterClause_.empty()) return;
    filterClause_.clear();
    DataRefresh("");
}

std::string frmContactList::RangeText() const {
    if (!listRs_) return {};
    const long total = listRs_->RecordCount();
    const PageSpan span = PageRange(total, NumberIn(edtPageSize_), NumberIn(edtCurPage_));
    return ResTextParams("Hx.CRM.TkContact.frmcontactlist.Range",
                         {platform::db::Value(GroupedNumber(span.first)), platform::db::Value(GroupedNumber(span.last)),
                          platform::db::Value(GroupedNumber(total))});
}

void frmContactList::SearchNow() {
    searchTimer_->stop();
    const std::string typed = edtSearch_->text().toStdString();
    if (typed == searchText_) return;
    searchText_ = typed;
    edtCurPage_->setText("1");
    DataRefresh("");
}

void frmContactList::HeaderClick(long col) {
    if (busy_ > 0 || col < 2 || col >= grid_->Cols()) return;
    sortDescending_ = col == sortColumn_ && !sortDescending_;
    sortColumn_ = col;
    grid_->SetSortIndicator(col, SortOrder());
    edtCurPage_->setText("1");
    DataRefresh(lastWhere_);
}

void frmContactList::SortedInPlace(int order) {
    const long col = grid_->Col();
    if (col < 2 || col >= grid_->Cols()) return;
    sortColumn_ = col;
    sortDescending_ = order == sortorder::Descending;
    grid_->SetSortIndicator(col, SortOrder());
}

long frmContactList::RowsPerPage() const {
    const long size = NumberIn(edtPageSize_);
    return size >= 1 ? size : 500;
}

long frmContactList::FirstShownRow() const {
    const long total = listRs_ ? listRs_->RecordCount() : 0;
    const PageSpan span = PageRange(total, RowsPerPage(), NumberIn(edtCurPage_));
    return span.first > 0 ? span.first : 1;
}

bool frmContactList::ShowListRow(long row) {
    if (busy_ > 0 || !loaded_ || !listRs_ || row < 1 || row > listRs_->RecordCount()) return false;
    if (SortedInPlaceOnly()) {
        // The page on screen was sorted in place: the list is asked again in the order the
        // header shows, and the contact is looked for there by its code.
        auto at = listRs_->Clone();
        at->SetAbsolutePosition(row);
        const std::string code = at->Get(keyField_).ToText();
        DataRefresh(lastWhere_);
        if (!listRs_) return false;
        row = -1;
        auto all = listRs_->Clone();
        for (long r = 1; !all->Eof(); all->MoveNext(), ++r)
            if (all->Get(keyField_).ToText() == code) {
                row = r;
                break;
            }
        if (row < 0) return false;
    }
    const long page = (row - 1) / RowsPerPage() + 1;
    if (row < FirstShownRow() || row > FirstShownRow() + grid_->Rows() - 2) {
        edtCurPage_->setText(QString::number(page));
        Repage(false);
    }
    const long gridRow = row - FirstShownRow() + 1;
    if (gridRow < 1 || gridRow >= grid_->Rows()) return false;
    grid_->SetRow(gridRow);
    return true;
}

void frmContactList::LblPageClick(int index) {
    if (!loaded_) return;
    const long current = NumberIn(edtCurPage_), last = Ctx().CurrentPage;
    long target = current;
    switch (index) {
        case 0: target = 1; break;
        case 1: target = std::max(current - 1, 1L); break;
        case 2: target = current + 1; break;
        case 3: target = last; break;
        default: return;
    }
    edtCurPage_->setText(QString::number(target));
    Repage(false);
    const QString shown = edtCurPage_->text();
    if (shown == "1") LblPageEnabled(false, true);
    else if (shown == QString::number(Ctx().CurrentPage)) LblPageEnabled(true, false);
    else LblPageEnabled(true, true);
}

void frmContactList::LblPageEnabled(bool first, bool second) {
    lblPage_[0]->setEnabled(first);
    lblPage_[1]->setEnabled(first);
    lblPage_[2]->setEnabled(second);
    lblPage_[3]->setEnabled(second);
}

void frmContactList::TurnPage(const std::string& key) {
    const QWidget* focus = focusWidget();
    const int which = focus == edtPageSize_ ? 1 : focus == edtCurPage_ ? 2 : 0;
    if (which == 0) return;
    QLineEdit* box = which == 1 ? edtPageSize_ : edtCurPage_;
    const SpinButtons* spin = which == 1 ? upDown1_ : upDown2_;
    if (key == "previous") UpDownStep(which, true);
    else if (key == "next") UpDownStep(which, false);
    else if (key == "enter") CmdRequestClick();
    else if (key == "first") box->setText(QString::number(spin->lower));
    else if (key == "last") box->setText(QString::number(which == 1 ? spin->upper : Ctx().CurrentPage));
}

bool frmContactList::PagerKey(QObject* /*box*/, int key) {
    switch (key) {
        case Qt::Key_Up: TurnPage("previous"); return true;
        case Qt::Key_Down: TurnPage("next"); return true;
        case Qt::Key_PageUp: TurnPage("first"); return true;
        case Qt::Key_PageDown: TurnPage("last"); return true;
        case Qt::Key_Return:
        case Qt::Key_Enter: TurnPage("enter"); return true;
        default: return false;
    }
}

}  // namespace sovrel
