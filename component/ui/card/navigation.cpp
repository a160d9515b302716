// The list's grid is the card's record set: the current row's code is read from the grid, the
// contact loaded from the database, and the move buttons set from the row's place.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>

#include <cmath>
#include <cstdio>

#include "common/context.h"
#include "common/host_objects.h"
#include "common/hosts/controls.h"
#include "common/messages.h"
#include "common/texts.h"
#include "entry/small_classes.h"
#include "platform/text.h"
#include "service/iclscommon.h"
#include "ui/card/card_internal.h"
#include "ui/card/frm_contact_edit.h"
#include "ui/list/frm_contact_list.h"

namespace sovrel {

using namespace card;
namespace txt = platform::text;

std::string frmContactEdit::TxtValue(const platform::db::Value& value, const std::string& defaultText) {
    return value.IsNull() ? defaultText : value.ToText();
}

std::string frmContactEdit::FormatDecimal(const std::string& value, int decimals) {
    const std::string t = txt::Trim(value);
    char* end = nullptr;
    const double number = std::strtod(t.c_str(), &end);
    if (t.empty() || end == t.c_str() || *end != '\0') return value;
    char out[64];
    if (decimals > 0) std::snprintf(out, sizeof out, "%.*f", std::min(decimals, 30), number);
    else std::snprintf(out, sizeof out, "%.0f", std::round(number));
    return out;
}

void frmContactEdit::SetNavButtons() {
    IFlexGrid* grid = ListGrid();
    if (!tlb_) return;
    const long rows = grid ? grid->Rows() : 0;
    auto set = [this](bool first, bool previous, bool next, bool last) {
        tlb_->SetButtonEnabled("First", first);
        tlb_->SetButtonEnabled("Previous", previous);
        tlb_->SetButtonEnabled("Next", next);
        tlb_->SetButtonEnabled("Last", last);
    };
    if (rows < 2) set(false, false, false, false);
    // A single contact: no move leads anywhere.
    else if (rows == 2 && lCurRow_ == 1) set(false, false, false, false);
    else if (lCurRow_ <= 1) set(false, false, true, true);
    else if (lCurRow_ >= rows - 1) set(true, true, false, false);
    else set(true, true, true, true);
    ApplyToolbarStyle();
}

std::shared_ptr<platform::db::Rowset> frmContactEdit::GetCurrentRecord() {
    SetNavButtons();
    IFlexGrid* grid = ListGrid();
    if (!grid) return nullptr;
    const long rows = grid->Rows();
    if (iOpMode_ == cardmode::Add) {
        if (rows == 1) return nullptr;
        SetModeCaption(true);
    }
    if (rows < 2) return nullptr;
    if (lCurRow_ < 1) lCurRow_ = 1;
    if (lCurRow_ > rows - 1) lCurRow_ = static_cast<std::int32_t>(rows - 1);
    return Ctx().DataService->OpenX(ContactStatement(grid->TextMatrix(lCurRow_, iCodeCol_)));
}

bool frmContactEdit::ShowReferenceName(const std::string& codeColumn, const std::string& code,
                                       const std::string& nameColumn, const std::string& sql, IRefEdit& editor) {
    if (code.empty()) {
        editor.SetTag("");
        editor.SetDescription("");
        return true;
    }
    auto rs = Ctx().DataService->OpenX(sql);
    if (!platform::db::HasRows(rs)) {
        editor.SetTag("");
        editor.SetDescription("");
        return false;
    }
    editor.SetText(TxtValue(rs->Get(nameColumn)));
    editor.SetTag(TxtValue(rs->Get(codeColumn)));
    return true;
}

void frmContactEdit::Fillallfields() {
    Context& c = Ctx();
    auto rs = GetCurrentRecord();
    if (!rs) return;
    if (!platform::db::HasRows(rs)) {
        IFlexGrid* grid = ListGrid();
        if (grid && grid->Rows() >= 2) ShowInfo(ResText("Hx.CRM.TkContact.frmcontactedit.00094"));
        if (frmContactList* list = List()) list->DataRefresh("");
        return;
    }
    iOpMode_ = cardmode::Modify;
    if (change_) change_->bExist = true;
    // The identity of a loaded contact stays as it is.
    Edt(0).SetEnabled(false);
    if (QLabel* l = Label("lblcVenCode")) l->setStyleSheet(QString("color:#%1;").arg(kGrey, 6, 16, QChar('0')));
    Edt(1).SetEnabled(false);
    Edt(9).SetEnabled(false);
    DTPicker1(1).SetEnabled(false);
    SetCmdVisible(0, false);

    for (const auto& f : kCardFields) LoadField(f, *rs);
    c.LoadedContactTs = TxtValue(rs->Get("contacttkts"));  // compared as the service reads it, padding and all
    KeepLoadedValues();
    ssTab1_->setTabVisible(kHistoryTab, true);
    // The history is read when its tab is looked at, not with every contact.
    if (ssTab1_->currentIndex() == kHistoryTab) FillHistory();
    SetButton("SaveRs", false);
    if (change_) change_->bEdit = false;
}

}  // namespace sovrel
