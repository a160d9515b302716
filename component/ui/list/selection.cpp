// The selection marks of the list's column 1, used by delete, mail and SMS.
#include <QCheckBox>

#include "ui/list/frm_contact_list.h"
#include "ui/list/list_statement.h"

namespace sovrel {

namespace {

// Writes marks over many rows with one redraw at the end.
class NoRedraw {
public:
    explicit NoRedraw(IFlexGrid& grid) : grid_(grid), was_(grid.Redraw()) { grid_.SetRedraw(false); }
    ~NoRedraw() { grid_.SetRedraw(was_); }
    NoRedraw(const NoRedraw&) = delete;
    NoRedraw& operator=(const NoRedraw&) = delete;

private:
    IFlexGrid& grid_;
    bool was_;
};

}  // namespace

int frmContactList::SelectAllValue() const { return chkSelectAll_->isChecked() ? 1 : 0; }

void frmContactList::MarkAllRows() {
    chkSelectAll_->setChecked(true);
    if (grid_->Cols() < 2) return;
    NoRedraw once(*grid_);
    for (long r = 1; r < grid_->Rows(); ++r)
        if (!HoldsMark(grid_->TextMatrix(r, 1))) grid_->SetTextMatrix(r, 1, kRowMark);
}

void frmContactList::ClearAllRows() {
    chkSelectAll_->setChecked(false);
    if (grid_->Cols() < 2) return;
    NoRedraw once(*grid_);
    for (long r = 1; r < grid_->Rows(); ++r) grid_->SetTextMatrix(r, 1, "");
}

void frmContactList::MarkCurrentRow() {
    if (grid_->Rows() >= 2 && grid_->Row() == 0) grid_->SetRow(1);
    const long row = grid_->Row();
    if (row < 1 || grid_->Cols() < 2) return;
    if (!HoldsMark(grid_->TextMatrix(row, 1))) grid_->SetTextMatrix(row, 1, kRowMark);
}

void frmContactList::UnmarkCurrentRow() {
    const long row = grid_->Row();
    if (row >= 1 && grid_->Cols() >= 2) grid_->SetTextMatrix(row, 1, "");
}

void frmContactList::ToggleRowMark(long row) {
    if (grid_->Cols() < 2) return;
    grid_->SetTextMatrix(row, 1, HoldsMark(grid_->TextMatrix(row, 1)) ? "" : kRowMark);
}

}  // namespace sovrel
