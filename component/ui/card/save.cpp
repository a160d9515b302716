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

namespace {

bool Empty(const RowsetPtr& rs) { return !rs || (rs->Bof() && rs->Eof()); }

}  // namespace

bool frmContactEdit::SuperiorRuleHolds() {
    const std::string self = Edt(1).Text();
    std::string s = Edt(4).Tag();
    if (s.empty()) return true;
    if (s == self) return false;
    // A circle already in the table that does not pass through this contact ends the walk.
    std::set<std::string> seen{s};
    for (;;) {
        auto rs = Ctx().DataService->OpenX("SELECT cSuperiorID FROM Ven_Contact WHERE  cContactCode=N'" + Quote(s) + "'");
        if (Empty(rs)) return true;
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
        if (!Empty(rs)) {
            ShowInfo(ResText("Hx.CRM.TkContact.frmcontactedit.00087"));
            NewContactCode();
            return false;
        }
    }
    if (!SuperiorRuleHolds()) {
        Edt(4).SetTag("");
        Edt(4).SetDescription("");
        return stop(0, &Edt(4), ResText("Hx.CRM.FrameCaption.Contact01"));
    }
    if (!Edt(0).Text().empty()) {
        auto rs = c.DataService->OpenX("Select cvenCode FROM vendor WHERE cvenCode = N'" + Quote(Edt(0).Tag()) + "'");
        if (rs && Empty(rs)) {  // a query that failed proves nothing either way
            Edt(0).SetTag("");
            Edt(0).SetDescription("");
            return stop(0, &Edt(0), GetNotNullMsg(vendorCaption));
        }
    }
    if (!Edt(8).Text().empty()) {
        auto rs = c.DataService->OpenX("Select cPersonCode From Person Where cPersonCode = N'" + Quote(Edt(8).Tag()) + "'");
        if (rs && Empty(rs)) {
            const std::string text = Edt(8).Text();
            Edt(8).SetTag("");
            Edt(8).SetDescription("");
            return stop(0, &Edt(8), ResTextParams("Hx.CRM.BO.SurveyAcitve.surveyaction.00027", {text}));
        }
    }
    return true;
}

void frmContactEdit::WriteXML(std::string& xml, std::int16_t mode) {
    auto escaped = [](const std::string& text) {
        std::string out;
        CrmCommonSvc().EscapeXmlText(text, out);
        return out;
    };
    auto element = [&xml](const std::string& name, const std::string& value) {
        xml += "<" + name + ">" + value + "</" + name + ">";
    };
    auto comboId = [](const QComboBox* combo) {
        const QVariant data = combo->currentIndex() < 0 ? QVariant() : combo->currentData();
        return data.isValid() ? std::to_string(data.toLongLong()) : std::string();
    };
    xml = "<Ven_Contact>";
    element("cVenCode", Edt(0).Tag());
    element("cContactCode", Edt(1).Text());
    element("cContactName", escaped(Edt(2).Text()));
    element("cAppellation", escaped(Edt(3).Text()));
    element("cSuperiorID", escaped(Edt(4).Tag()));
    element("cNative", escaped(Edt(5).Text()));
    if (!Edt(6).Text().empty()) Edt(6).SetTag(GetBaseCodeId("Duty", Edt(6).Text()));
    element("bcDutyID", escaped(Edt(6).Tag()));
    if (!Edt(7).Text().empty()) Edt(7).SetTag(GetBaseCodeId("Taste", Edt(7).Text()));
    element("bcTasteID", escaped(Edt(7).Tag()));
    element("cPrincipal", Edt(8).Tag());
    static const char* const plain[] = {"cCreator", "cOfficePhone", "cHomePhone", "cMobilePhone",
                                        "cCall",    "cZipcode",     "cHomePage"};
    for (int i = 0; i < 7; ++i) element(plain[i], Edt(9 + i).Text());
    static const char* const texts[] = {"cWorkAddress", "cHomeAddress", "cEmail", "cHomeMember", "cMemo"};
    for (int i = 0; i < 5; ++i) element(texts[i], escaped(Edt(16 + i).Text()));
    element("bcSexID", comboId(cboSex_));
    element("bcMarriageID", comboId(cboMarriage_));
    element("bMajor", chkbMajor_->isChecked() ? "True" : "False");
    element("dBirthday", DTPicker1(0).Text());
    element("dCreateDate", DTPicker1(1).Text());
    for (int i = 0; i < 14; ++i) element("cConDefine" + std::to_string(i + 1), escaped(EdtU(i).Text()));
    element("cConDefine15", escaped(DTPicker1(2).Text()));
    element("cConDefine16", escaped(DTPicker1(3).Text()));
    if (mode == cardmode::Add) element("oid", GUIDGenerator().CreateGUID());
    xml += "</Ven_Contact>";
}

bool frmContactEdit::SaveRecord() {
    Context& c = Ctx();
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
