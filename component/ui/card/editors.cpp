// The card's editors: lengths from the schema, the base-code combos, clearing for a new contact
// with its defaults, and what typing in each box does.
#include <QTimer>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>

#include "common/context.h"
#include "common/local_names.h"
#include "common/hosts/pub_util_editors.h"
#include "common/messages.h"
#include "common/texts.h"
#include "entry/small_classes.h"
#include "platform/text.h"
#include "service/iclscommon.h"
#include "ui/card/card_internal.h"
#include "ui/card/frm_contact_edit.h"

namespace sovrel {

using namespace card;
namespace txt = platform::text;

namespace {

// Whether a text names a date, "yyyy-mm-dd" (also with / or . between the parts) that the
// database can hold.
bool IsDate(const std::string& text) {
    const std::string t = txt::Trim(text);
    int y = 0, m = 0, d = 0;
    char s1 = 0, s2 = 0;
    if (std::sscanf(t.c_str(), "%d%c%d%c%d", &y, &s1, &m, &s2, &d) != 5) return false;
    if (s1 != s2 || (s1 != '-' && s1 != '/' && s1 != '.')) return false;
    if (y < 1753 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= days[m - 1] + (m == 2 && leap ? 1 : 0);
}

}  // namespace

void frmContactEdit::SetSchemaLengths() {
    auto rs = Ctx().DataService->OpenX(
        "SELECT Ven_Contact.*, vendor.cvenName,Crm_BaseCode.cName,Person.cPersonName FROM Ven_Contact,vendor,Crm_BaseCode,Person WHERE 1=2");
    if (!rs) return;
    auto size = [&rs](const char* field) -> int {
        const int i = rs->FieldIndex(field);
        return i < 0 ? 0 : static_cast<int>(rs->Field(static_cast<std::size_t>(i)).definedSize);
    };
    struct Length {
        int editor;
        const char* field;
    };
    static const Length lengths[] = {
        {0, "cvenName"},      {1, "cContactCode"},  {2, "cContactName"}, {3, "cAppellation"}, {4, "cContactName"},
        {5, "cNative"},       {6, "cName"},         {7, "cName"},        {8, "cPersonName"},  {10, "cOfficePhone"},
        {11, "cHomePhone"},   {12, "cMobilePhone"}, {13, "cCall"},       {15, "cHomePage"},   {16, "cWorkAddress"},
        {17, "cHomeAddress"}, {19, "cHomeMember"},  {20, "cMemo"},
    };
    for (const auto& l : lengths) Edt(l.editor).SetMaxLength(size(l.field));
    // The zip code and the e-mail have limits of their own, never beyond their columns: a text
    // longer than its column could not be saved.
    auto capped = [&](int limit, const char* field) {
        const int column = size(field);
        return column > 0 ? std::min(limit, column) : limit;
    };
    Edt(14).SetMaxLength(capped(20, "cZipcode"));
    Edt(18).SetMaxLength(capped(100, "cEmail"));
    for (int i = 0; i < 14; ++i) EdtU(i).SetMaxLength(size(("cConDefine" + std::to_string(i + 1)).c_str()));
    auto* editors = PubEditors();
    if (editors) {
        editors->SetIntLen(EdtU(10));
        editors->SetIntLen(EdtU(11));
    }
}

void frmContactEdit::SetReadOnlyColours() {
    const long colour = Edt(0).Enabled() ? Edt(0).BackColor() : kWhite;
    Edt(1).SetBackColor(colour);
    Edt(9).SetBackColor(colour);
    DTPicker1(1).SetBackColor(colour);
}

void frmContactEdit::FillCombos() {
    const std::string unknown = ResText("Hx.CRM.TkContact.frmcontactedit.00092");
    const auto names = LocalNames("Crm_BaseCode");
    for (auto [type, combo] : {std::pair<const char*, QComboBox*>{"Sex", cboSex_}, {"Marriage", cboMarriage_}}) {
        combo->clear();
        auto rs = Ctx().DataService->OpenX("SELECT ID,cName FROM Crm_BaseCode WHERE cType = N'" + std::string(type) +
                                           "' order by ID ");
        if (platform::db::HasRows(rs))
            for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
                combo->addItem(QString::fromStdString(LocalName(names, rs->Get("ID").ToText(), rs->Get("cName").ToText())),
                               QVariant::fromValue<qlonglong>(rs->Get("ID").ToInt()));
        combo->setCurrentIndex(combo->findText(QString::fromStdString(unknown), Qt::MatchExactly));
    }
}

void frmContactEdit::ClearCard() {
    Context& c = Ctx();
    // 1: the vendor stays; a loaded window empties its box itself.
    for (int i = 1; i < 21; ++i) {
        Edt(i).SetText("");
        Edt(i).SetTag("");
        Edt(i).SetDescription("");
    }
    // 2
    chkbMajor_->setChecked(false);
    // 3: defaults of the user-defined items.
    auto defaults = c.DataService->OpenX("SELECT cItem,cDefaultVal FROM userdef  WHERE cClass=N'" + std::string(kUserDefClass) +
                                         "' AND cDefaultval<>N'' AND bArchive=0");
    auto defaultOf = [&defaults](int item) -> std::string {
        if (!defaults) return {};
        defaults->SetFilter("cItem='自定义项" + std::to_string(item) + "'");
        const bool one = defaults->RecordCount() == 1;
        std::string value = one ? TxtValue(defaults->Get("cDefaultVal")) : std::string();
        defaults->SetFilter("");
        return value;
    };
    for (int i = 0; i < 14; ++i) EdtU(i).SetText(defaultOf(i + 1));
    DTPicker1(2).SetText(defaultOf(15));
    DTPicker1(3).SetText(defaultOf(16));
    // 4, 5
    DTPicker1(0).SetText("");
    DTPicker1(1).SetText(c.LoginDate);
    Edt(9).SetText(c.UserName);
    // 6: a new contact has no history.
    ssTab1_->setCurrentIndex(0);
    ssTab1_->setTabVisible(kHistoryTab, false);
    iOpMode_ = cardmode::Add;
    // 7, 8
    Edt(1).SetBackColor(Edt(2).BackColor());
    Edt(0).SetBackColor(Edt(2).BackColor());
    Edt(0).SetEnabled(true);
    if (QLabel* l = Label("lblcVenCode")) l->setStyleSheet(QString("color:#%1;").arg(kNavy, 6, 16, QChar('0')));
    Edt(1).SetEnabled(false);
    SetCmdVisible(0, true);
    if (isActiveWindow()) {
        ssTab1_->setCurrentIndex(0);
        Edt(0).SetFocus();
    }
    // 9
    Edt(9).SetReadOnly(true);
    DTPicker1(1).SetReadOnly(true);
    Edt(9).SetEnabled(true);
    Edt(2).SetEnabled(true);
    DTPicker1(1).SetEnabled(true);
    lastGoodZip_.clear();
    CheckDuplicates();
}

void frmContactEdit::SetCmdVisible(int index, bool visible) {
    static const int editorOf[] = {0, 4, 6, 7, 8};
    Edt(editorOf[index]).SetButtonVisible(visible);
}

void frmContactEdit::MarkChanged() { SetButton("SaveRs", true); }

void frmContactEdit::MarkDirty() {
    if (change_) change_->bEdit = true;
}

void frmContactEdit::WireEditor(int index) {
    IRefEdit& box = Edt(index);
    box.OnKeyPress([this, index](int& key) {
        Guarded("frmContactEdit.Edt_KeyPress()", [&] { EditorKeyPress(index, key); });
    });
    box.OnChange([this, index] { Guarded("frmContactEdit.Edt_Change()", [&] { EditorChanged(index); }); });
    box.OnLostFocus([this, index] {
        LeaveEvent("frmContactEdit.Edt_LostFocus()", [&] {
            IRefEdit& e = Edt(index);
            // The check waits while the user is on the box's own look-up button.
            if (e.ButtonHasFocus()) return;
            if (index == 0) {
                bool cancel = false;
                if (pendingVendor_ && !txt::Trim(e.Text()).empty()) ResolveReference(0, cancel);
                pendingVendor_ = false;
                duplicateTimer_->start();  // the name's match needs the resolved vendor
            } else if (index >= 4 && index <= 8 && index != 5) {
                OnEditorLeave(index);
            }
        });
    });
}

void frmContactEdit::LeaveEvent(const char* position, const std::function<void()>& check) {
    // A box also loses the focus to the message a running check or command shows, or to the
    // chooser it opens: that is no leave of the user's, and checking again would show a second
    // message over the first.
    if (checking_ > 0) return;
    CheckScope scope(checking_);
    Guarded(position, check);
}

void frmContactEdit::EditorKeyPress(int index, int& key) {
    MarkDirty();
    if (index >= 10 && index <= 13) {
        static const std::string allowed = "0123456789-()/";
        const bool control = key == 13 || key == 10 || key == 8 || key == 3 || key == 22;
        if (!control && (key > 127 || allowed.find(static_cast<char>(key)) == std::string::npos)) key = 0;
    } else if (index == 14) {
        lastGoodZip_ = Edt(14).Text();
    }
}

void frmContactEdit::EditorChanged(int index) {
    // A change the user made in a box is a key event as well: the card holds unsaved changes.
    MarkDirty();
    MarkChanged();
    auto* editors = PubEditors();
    if (index == 0 || index == 8 || index == 4) {
        if (editors) editors->SetRefEdt(*this, Edt(index));
        // The typed name is resolved when the user leaves the box (or chooses in its list).
        if (index == 0) pendingVendor_ = true;
    } else if (index == 14) {
        ZipCheck();
    }
    if (index == 0 || index == 2 || index == 12 || index == 18) duplicateTimer_->start();
}

void frmContactEdit::ZipCheck() {
    const std::string text = txt::LCase(txt::Trim(Edt(14).Text()));
    for (const char ch : text) {
        const bool ok = (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || ch == '-';
        if (!ok) {
            Edt(14).SetText(lastGoodZip_);
            Edt(14).SetSelStart(-1);
            return;
        }
    }
    lastGoodZip_ = Edt(14).Text();
}

void frmContactEdit::DateLeave(int index) {
    IRefEdit& box = DTPicker1(index);
    if (index == 1 || txt::Trim(box.Text()).empty() || IsDate(box.Text())) return;
    const QLabel* caption = index == 0 ? Label("lbldBirthday") : LblD1(index + 12);
    box.SetText("");
    ShowInfo(ResTextParams("Hx.CRM.COMMON.CheckLegal02", {caption ? caption->text().toStdString() : std::string()}));
    bValid_ = false;
    ssTab1_->setCurrentIndex(index == 0 ? 0 : 2);
    box.SetFocus();
}

}  // namespace sovrel
