// "SaveRs": the checks before a save, the record element in the card's order, Add or Modify
// through the data service, the vendor's main-contact link, and clearing for the next contact.
#include <QComboBox>
#include <QCheckBox>
#include <QLabel>
#include <QTabWidget>

#include <set>

#include "common/context.h"
#include "common/host_objects.h"
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

using platform::db::HasRows;

bool frmContactEdit::SuperiorRuleHolds() {
    const std::string self = Edt(1).Text();
    std::string s = Edt(4).Tag();
    if (s.empty()) return true;
    if (s == self) return false;
    // A circle already in the table that does not pass through this contact ends the walk.
    std::set<std::string> seen{s};
    for (;;) {
        auto rs = Ctx().DataService->OpenX("SELECT cSuperiorID FROM Ven_Contact WHERE  cContactCode=N'" + Quote(s) + "'");
        if (!HasRows(rs)) return true;
        s = TxtValue(rs->Get("cSuperiorID"));
        if (s.empty()) return true;
        if (s == self) return false;
        if (!seen.insert(s).second) return true;
    }
}

bool frmContactEdit::RunChecks() {
    Context& c = Ctx();
    MarkDirty();
    bValid_ = true;
    // A toolbar button takes no focus: the box being edited still has to be checked.
    if (Edt(0).HasFocus() && pendingVendor_ && !txt::Trim(Edt(0).Text()).empty()) {
        bool cancel = false;
        pendingVendor_ = false;
        ResolveReference(0, cancel);
    }
    for (int i : {4, 6, 7, 8})
        if (Edt(i).HasFocus()) OnEditorLeave(i);
    for (int i : {0, 2, 3})
        if (DTPicker1(i).HasFocus()) DateLeave(i);
    if (!bValid_) return false;

    auto stop = [this](int tab, IRefEdit* focus, const std::string& message) {
        if (tab >= 0) ssTab1_->setCurrentIndex(tab);
        if (focus) focus->SetFocus();
        ShowInfo(message);
        return false;
    };
    const std::string vendorCaption = ResText("Hx.AA.ARCHIVE.FIELD.refvendor");
    if (txt::Trim(Edt(0).Text()).empty() && Edt(0).Enabled()) return stop(0, &Edt(0), GetNotNullMsg(vendorCaption));
    if (txt::Trim(Edt(1).Text()).empty()) return stop(-1, nullptr, ResText("Hx.CRM.TkContact.frmcontactedit.00079"));
    if (txt::Trim(Edt(2).Text()).empty()) return stop(0, &Edt(2), ResText("Hx.CRM.TkContact.frmcontactedit.00080"));
    // The address goes to the mail sender as an SMTP command: a line break would be a second one.
    if (const std::string bad = txt::FirstBadMailAddress(Edt(18).Text()); !bad.empty())
        return stop(1, &Edt(18), ResTextParams("Hx.CRM.COMMON.BadEmail", {platform::db::Value(bad)}));
    if (iOpMode_ == cardmode::Add) {
        auto rs = c.DataService->OpenX("Select top 1 * FROM Ven_Contact WHERE cContactCode = N'" +
                                       Quote(txt::Trim(Edt(1).Text())) + "'");
        if (HasRows(rs)) {
            ShowInfo(ResText("Hx.CRM.TkContact.frmcontactedit.00087"));
            NewContactCode();
            return false;
        }
    }
    if (!SuperiorRuleHolds()) {
        RefuseSuperior();
        return false;
    }
    if (!Edt(0).Text().empty()) {
        auto rs = c.DataService->OpenX("Select cvenCode FROM vendor WHERE cvenCode = N'" + Quote(Edt(0).Tag()) + "'");
        if (rs && !HasRows(rs)) {  // a query that failed proves nothing either way
            Edt(0).SetTag("");
            Edt(0).SetDescription("");
            return stop(0, &Edt(0), GetNotNullMsg(vendorCaption));
        }
    }
    if (!Edt(8).Text().empty()) {
        auto rs = c.DataService->OpenX("Select cPersonCode From Person Where cPersonCode = N'" + Quote(Edt(8).Tag()) + "'");
        if (rs && !HasRows(rs)) {
            const std::string text = Edt(8).Text();
            Edt(8).SetTag("");
            Edt(8).SetDescription("");
            return stop(0, &Edt(8), ResTextParams("Hx.CRM.BO.SurveyAcitve.surveyaction.00027", {text}));
        }
    }
    return true;
}

void frmContactEdit::WriteXML(std::string& xml, std::int16_t mode) {
    // A duty or taste typed but never resolved is stored (and created when new).
    for (const auto& [editor, type] : {std::pair<int, const char*>{6, "Duty"}, {7, "Taste"}})
        if (!Edt(editor).Text().empty()) Edt(editor).SetTag(GetBaseCodeId(type, Edt(editor).Text()));
    xml = "<Ven_Contact>";
    for (const auto& f : kCardFields) {
        std::string value = TakeField(f).stored;
        if (f.escaped) {
            std::string out;
            CrmCommonSvc().EscapeXmlText(value, out);
            value = std::move(out);
        }
        xml += std::string("<") + f.column + ">" + value + "</" + f.column + ">";
    }
    if (mode == cardmode::Add) xml += "<oid>" + GUIDGenerator().CreateGUID() + "</oid>";
    xml += "</Ven_Contact>";
}

bool frmContactEdit::SaveRecord() {
    Context& c = Ctx();
    // The list checked the right of the card's first mode only; moving and clearing change the
    // mode, so the save asks again for the one it is about to use.
    if (!HasRight(iOpMode_ == cardmode::Add ? kAddRight : kModifyRight)) {
        ShowInfo(c.Login ? c.Login->ShareString() : ResText("Hx.CRM.COMMON.DBMSG.HxLogin0001"));
        return false;
    }
    std::string xml, table = "Ven_Contact", message;
    WriteXML(xml, iOpMode_);
    const bool saved = iOpMode_ == cardmode::Add ? c.DataService->Add(xml, table, message)
                                                 : c.DataService->Modify(xml, table, message);
    if (!saved) {
        ShowInfo(message);
        if (iOpMode_ == cardmode::Add) NewContactCode();
        else if (message == ResText("Hx.CRM.COMMON.DBMSG.Upt01")) return ResolveConflict();
        return false;
    }
    if (frmContactList* list = List()) list->SetCurrentContactCode(Edt(1).Text());
    ClearCard();
    SetModeCaption(false);  // the cleared card takes a new contact
    if (!txt::Trim(Edt(0).Text()).empty()) {
        bool cancel = false;
        ResolveReference(0, cancel);
    }
    FillCombos();
    ssTab1_->setCurrentIndex(0);
    if (change_) change_->bExist = false;
    SetButton("SaveRs", false);
    if (change_) change_->bEdit = false;
    return true;
}

bool frmContactEdit::Save() {
    if (!RunChecks()) return false;
    if (!SaveRecord()) {
        bValid_ = false;
        NewContactCode();
        return false;
    }
    const std::string v = Edt(0).Tag();
    const std::string relink =
        "if (not exists( select * from Ven_Contact where oid in (select Vendor.cSovrelCode  from vendor where cVenCode='" +
        Quote(v) + "'))) begin update vendor set csovrelcode=t.oid,cVenPerson=t.cContactName from (select top 1 "
        "oid,vendor.cvencode,cContactName from Ven_Contact left join vendor on Vendor.cVenCode=Ven_Contact.cVenCode "
        "where Ven_Contact.cVenCode='" + Quote(v) + "' order by cContactCode desc) t WHERE vendor.cvencode = t.cvencode End";
    if (!Ctx().DataService->ExecuteX(relink)) ShowInfo(ResText("Hx.CRM.TkContact.frmcontactedit.00077"));
    return true;
}

}  // namespace sovrel
