// One column of the contact at a time: read from the card, put back, loaded from the database.
#include "ui/card/card_fields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include "common/context.h"
#include "common/local_names.h"
#include "common/texts.h"
#include "platform/db/rowset.h"
#include "service/iclscommon.h"
#include "ui/card/frm_contact_edit.h"

namespace sovrel {

using namespace card;

namespace {

std::string CodeHint(const std::string& code) {
    return code.empty() ? std::string() : ResTextParams("Hx.CRM.TkContact.frmcontactedit.00095", {code});
}

// The user-defined item (1 to 16) a field holds; 0 for the contact's own columns.
int UserItem(const CardField& f) {
    if (f.holder == Holder::User) return f.index + 1;
    if (f.holder == Holder::Date && f.index >= 2) return f.index + 13;
    return 0;
}

std::string DateText(const platform::db::Value& v) {
    if (v.IsNullOrEmpty()) return {};
    const auto d = v.ToDate();
    return d ? platform::db::Value(*d).ToText().substr(0, 10) : v.ToText();
}

}  // namespace

QComboBox* frmContactEdit::ComboOf(const CardField& f) const { return f.index == 0 ? cboSex_ : cboMarriage_; }

IRefEdit& frmContactEdit::BoxOf(const CardField& f) {
    switch (f.holder) {
        case Holder::Date: return DTPicker1(f.index);
        case Holder::User: return EdtU(f.index);
        default: return Edt(f.index);
    }
}

FieldState frmContactEdit::TakeField(const CardField& f) {
    switch (f.holder) {
        case Holder::Reference: return {Edt(f.index).Tag(), Edt(f.index).Text()};
        case Holder::Combo: {
            const QComboBox* combo = ComboOf(f);
            const QVariant data = combo->currentIndex() < 0 ? QVariant() : combo->currentData();
            return {data.isValid() ? std::to_string(data.toLongLong()) : std::string(), combo->currentText().toStdString()};
        }
        case Holder::Check: {
            const bool on = chkbMajor_->isChecked();
            return {on ? "True" : "False", ResText(on ? "Hx.CRM.COMMON.DispBoolTrue" : "Hx.CRM.COMMON.DispBoolFalse")};
        }
        default: {
            const std::string text = BoxOf(f).Text();
            return {text, text};
        }
    }
}

void frmContactEdit::PutField(const CardField& f, const FieldState& state) {
    switch (f.holder) {
        case Holder::Reference: {
            IRefEdit& box = Edt(f.index);
            box.SetText(state.shown);
            box.SetTag(state.stored);
            box.SetDescription(CodeHint(state.stored));
            return;
        }
        case Holder::Combo: {
            QComboBox* combo = ComboOf(f);
            combo->setCurrentIndex(state.stored.empty() ? -1 : combo->findData(QVariant::fromValue<qlonglong>(
                                                                   platform::db::Value(state.stored).ToInt())));
            return;
        }
        case Holder::Check: chkbMajor_->setChecked(state.stored == "True"); return;
        default: BoxOf(f).SetText(state.stored); return;
    }
}

void frmContactEdit::LoadField(const CardField& f, platform::db::Rowset& record) {
    const bool baseCode = f.holder == Holder::Reference && (f.index == 6 || f.index == 7);
    LoadValue(f, record.Get(f.column), baseCode ? TxtValue(record.Get(f.index == 6 ? "DutyName" : "TasteName")) : "");
}

void frmContactEdit::LoadValue(const CardField& f, const platform::db::Value& v, const std::string& baseCodeName) {
    const std::string text = TxtValue(v);
    switch (f.holder) {
        case Holder::Reference: {
            IRefEdit& box = Edt(f.index);
            if (f.index == 6 || f.index == 7) {
                // The base code's name comes with the contact's row.
                box.SetText(LocalName(LocalNames("Crm_BaseCode"), text, baseCodeName));
                box.SetTag(text);
            } else {
                box.SetText(text);
                box.SetTag(text);
                const std::string q = Quote(text);
                if (f.index == 0)
                    ShowReferenceName("cvenCode", text, "cvenName",
                                      "SELECT top 1  cvenCode,cvenName FROM vendor WHERE cvenCode=N'" + q + "'", box);
                else if (f.index == 4)
                    ShowReferenceName("cContactCode", text, "cContactName",
                                      "SELECT top 1 cContactCode,cContactName FROM Ven_Contact WHERE cContactCode=N'" + q + "'",
                                      box);
                else
                    ShowReferenceName("cPersonCode", text, "cPersonName",
                                      "SELECT top 1 cPersonCode,cPersonName FROM Person WHERE cPersonCode=N'" + q + "'", box);
            }
            box.SetDescription(CodeHint(box.Tag()));
            return;
        }
        case Holder::Combo: PutField(f, {v.IsNullOrEmpty() ? std::string() : std::to_string(v.ToInt()), {}}); return;
        case Holder::Check: chkbMajor_->setChecked(v.ToBool()); return;
        case Holder::Date: DTPicker1(f.index).SetText(DateText(v)); return;
        case Holder::User: {
            const int item = f.index + 1;
            const int decimals = item >= 13 ? UserDecimals(item) : item >= 11 ? 0 : -1;
            EdtU(f.index).SetText(decimals >= 0 && !text.empty() ? FormatDecimal(text, decimals) : text);
            return;
        }
        case Holder::Text: Edt(f.index).SetText(text); return;
    }
}

std::string frmContactEdit::FieldCaption(const CardField& f) const {
    if (f.holder == Holder::Check) return chkbMajor_->text().toStdString();
    const QLabel* label = f.label ? Label(f.label) : LblD1(UserItem(f) - 1);
    const std::string caption = label ? label->text().toStdString() : std::string();
    if (!caption.empty()) return caption;
    if (f.label) return f.column;
    // An item no longer in use has no name of its own, and its column's name says nothing.
    return ResTextParams("Hx.CRM.TkContact.History.UnusedItem", {std::to_string(UserItem(f))});
}

bool frmContactEdit::FieldShown(const CardField& f) const {
    const int item = UserItem(f);
    return item == 0 || UserItemShown(item);
}

std::string frmContactEdit::ContactStatement(const std::string& code) const {
    return "SELECT top 1 convert(char, convert(money,Ven_Contact.tkts), 2) as contacttkts,Ven_Contact.*, BaseCodeDuty.cName "
           "as DutyName, BaseCodeTaste.cName as TasteName  From Ven_Contact LEFT JOIN Crm_BaseCode BaseCodeDuty ON "
           "BaseCodeDuty.ID = Ven_Contact.bcDutyID  LEFT JOIN Crm_BaseCode BaseCodeTaste ON BaseCodeTaste.ID = "
           "Ven_Contact.bcTasteID  WHERE cContactCode=N'" + Quote(code) + "'";
}

void frmContactEdit::KeepLoadedValues() {
    loadedValues_.clear();
    for (const auto& f : kCardFields) loadedValues_[f.column] = TakeField(f);
}

}  // namespace sovrel
