// Typed references resolved into stored codes (vendor, superior, duty, taste, principal), the
// look-up buttons, base codes created on the fly, and the next contact code of a vendor.
#include <QTabWidget>

#include <cstdio>

#include "common/context.h"
#include "common/local_names.h"
#include "common/host_objects.h"
#include "common/hosts/login.h"
#include "common/hosts/pickers.h"
#include "common/hosts/pub_util_editors.h"
#include "common/hosts/pub_util_lists.h"
#include "common/messages.h"
#include "common/prog_ids.h"
#include "common/texts.h"
#include "common/window_utils.h"
#include "platform/text.h"
#include "service/iclscommon.h"
#include "ui/card/card_internal.h"
#include "ui/card/frm_contact_edit.h"

namespace sovrel {

using namespace card;
namespace txt = platform::text;

namespace {

std::string CodeHint(const std::string& code) { return ResTextParams("Hx.CRM.TkContact.frmcontactedit.00095", {code}); }

using platform::db::HasRows;

// The row of rows the text names; without the utility's FindMatch a single row is taken.
bool Match(const RowsetPtr& rows, const std::string& text, const char* code, const char* name) {
    if (!HasRows(rows)) return false;
    if (auto* lists = PubLists()) return lists->FindMatch(rows, text, code, name);
    rows->MoveFirst();
    return rows->RecordCount() == 1;
}

void Clear(IRefEdit& box, bool text) {
    if (text) box.SetText("");
    box.SetTag("");
    box.SetDescription("");
}

}  // namespace

void frmContactEdit::ResolveReference(int index, bool& /*cancel*/) {
    if (index == 8) {
        OnEditorLeave(8);
        return;
    }
    if (index != 0) return;
    Context& c = Ctx();
    IRefEdit& vendor = Edt(0);
    if (vendor.ButtonHasFocus()) return;
    const std::string typed = vendor.Text();
    const std::string t = Quote(typed);
    const std::string sql =
        "SELECT cVenCode,cVenName,cVenAbbName,cVenPPerson,Person.cPersonName FROM vendor left join Person on "
        "vendor.cVenPPerson = Person.cPersonCode WHERE  (cVenCode like N'%" +
        t + "%' or cVenName like N'%" + t + "%' or cVenAbbName like N'%" + t + "%')";
    auto fail = [&](const std::string& message) {
        ShowInfo(message);
        ssTab1_->setCurrentIndex(0);
        Clear(Edt(0), true);
        Clear(Edt(1), true);
        Clear(Edt(8), true);
        bValid_ = false;
    };
    auto rows = c.DataService->OpenX(sql);
    if (!HasRows(rows)) {
        fail(ResText("Hx.CRM.TkContact.frmcontactedit.00064"));
        return;
    }
    rows = c.DataService->OpenX(sql + " and (" + c.VendorRowAuth + ")");
    if (!HasRows(rows)) {
        fail(ResTextParams("Hx.CRM.BF.complaintquerybf.00071", {typed}));
        return;
    }
    if (Match(rows, typed, "cVenCode", "cVenName")) {
        const std::string code = rows->Get("cvencode").ToText();
        vendor.SetText(rows->Get("cVenName").ToText());
        vendor.SetTag(code);
        vendor.SetDescription(CodeHint(code));
        Edt(8).SetText(TxtValue(rows->Get("cPersonName")));
        Edt(8).SetTag(TxtValue(rows->Get("cVenPPerson")));
    }
    NewContactCode();
    if (auto* editors = PubEditors()) editors->FormatCon(*this);
}

void frmContactEdit::OnEditorLeave(int index) {
    if (index < 4 || index > 8 || index == 5) return;
    Context& c = Ctx();
    IRefEdit& box = Edt(index);
    const std::string text = box.Text();
    if (text.empty()) {
        box.SetTag("");
        box.SetDescription("");
    } else if (index == 4) {
        const std::string t = Quote(text);
        auto rows = c.DataService->OpenX("SELECT cContactCode,cContactName FROM Ven_Contact WHERE  (cContactCode=N'" + t +
                                         "' or  cContactName=N'" + t + "')");
        if (!HasRows(rows)) {
            ShowInfo(ResText("Hx.CRM.TkContact.frmcontactedit.00066"));
            Clear(box, false);
            bValid_ = false;
        } else if (Match(rows, text, "cContactCode", "cContactName")) {
            const std::string code = rows->Get("cContactCode").ToText();
            box.SetText(rows->Get("cContactName").ToText());
            box.SetTag(code);
            box.SetDescription(CodeHint(code));
            if (!SuperiorRuleHolds()) RefuseSuperior();
        }
    } else if (index == 6 || index == 7) {
        const std::string type = index == 6 ? "Duty" : "Taste";
        auto rows = c.DataService->OpenX("SELECT ID,cName FROM Crm_BaseCode WHERE  (cName=N'" + Quote(text) +
                                         "' AND  cType=N'" + type + "')");
        if (const std::string local = LocalBaseCodeId(type, text); !local.empty()) {
            // Typed in the user's language: shown as the list names it there.
            box.SetText(LocalName(LocalNames("Crm_BaseCode"), local, text));
            box.SetTag(local);
        } else if (HasRows(rows)) {
            rows->MoveFirst();
            box.SetText(rows->Get("cName").ToText());
            box.SetTag(rows->Get("ID").ToText());
        } else {
            box.SetTag(GetBaseCodeId(type, text));
        }
    } else if (index == 8) {
        const std::string t = Quote(text);
        auto rows = c.DataService->OpenX("SELECT cPersonCode,cPersonName FROM Person WHERE  (cPersonCode=N'" + t +
                                         "' or  cPersonName=N'" + t + "')");
        if (!HasRows(rows)) {
            ShowInfo(ResText("Hx.CRM.FrameCaption.Contact02"));
            Clear(box, false);
            bValid_ = false;
        } else if (Match(rows, text, "cPersonCode", "cPersonName")) {
            const std::string code = rows->Get("cPersonCode").ToText();
            box.SetText(rows->Get("cPersonName").ToText());
            box.SetTag(code);
            box.SetDescription(CodeHint(code));
        }
    }
    if (auto* editors = PubEditors()) editors->FormatCon(*this);
}

void frmContactEdit::RefuseSuperior() {
    // The name goes with the code: a box still showing the refused contact would be saved as no
    // superior without the user seeing it.
    Clear(Edt(4), true);
    bValid_ = false;
    ssTab1_->setCurrentIndex(0);
    Edt(4).SetFocus();
    ShowInfo(ResText("Hx.CRM.FrameCaption.Contact01"));
}

std::string frmContactEdit::LocalBaseCodeId(const std::string& type, const std::string& name) {
    for (const auto& [id, local] : LocalNames("Crm_BaseCode")) {
        if (!txt::EqualsNoCase(local, name) || id.empty() || id.find_first_not_of("0123456789") != std::string::npos)
            continue;
        auto own = Ctx().DataService->OpenX("SELECT ID FROM Crm_BaseCode WHERE ID = " + id + " AND cType = N'" +
                                            Quote(type) + "'");
        if (HasRows(own)) return id;
    }
    return {};
}

std::string frmContactEdit::GetBaseCodeId(const std::string& type, const std::string& name) {
    // A name in the user's language is its code's as the account's own name is: nothing new.
    if (std::string local = LocalBaseCodeId(type, name); !local.empty()) return local;
    Context& c = Ctx();
    const std::string sql =
        "Select ID FROM Crm_BaseCode WHERE cType = N'" + Quote(type) + "' AND cName = N'" + Quote(name) + "'";
    auto rows = c.DataService->OpenX(sql);
    if (HasRows(rows)) return rows->Get("ID").ToText();
    std::string escaped;
    CrmCommonSvc().EscapeXmlText(name, escaped);
    std::string typeText;
    CrmCommonSvc().EscapeXmlText(type, typeText);
    std::string xml = "<Crm_BaseCode><cCode></cCode><cType>" + typeText + "</cType><cName>" + escaped +
                      "</cName><bEdit>True</bEdit></Crm_BaseCode>";
    std::string table = "Crm_BaseCode", message;
    if (!c.DataService->Add(xml, table, message)) return {};
    rows = c.DataService->OpenX(sql);
    return HasRows(rows) ? rows->Get("ID").ToText() : std::string();
}

void frmContactEdit::NewContactCode() {
    if (iOpMode_ != cardmode::Add) return;
    const std::string v = Edt(0).Tag();
    if (txt::Trim(v).empty()) return;
    const std::string q = Quote(v);
    auto rs = Ctx().DataService->OpenX("Select max(RIGHT(cContactCode,8)) FROM Ven_Contact WHERE left(cContactCode," +
                                       std::to_string(txt::Len(v)) + ") = N'" + q +
                                       "' and LEN(cContactCode)-LEN(cVenCode )=8 ");
    if (!rs) return;
    const platform::db::Value max = HasRows(rs) ? rs->Get(0) : platform::db::Value::Null();
    if (max.IsNullOrEmpty()) {
        Edt(1).SetText(v + "00000001");
        return;
    }
    char serial[32];
    std::snprintf(serial, sizeof serial, "%08lld", static_cast<long long>(max.ToInt() + 1));
    Edt(1).SetText(v + serial);
}

void frmContactEdit::DefaultPrincipal() {
    const std::string tag = Edt(0).Tag();
    if (txt::Trim(tag).empty()) return;
    // The vendor's person in charge (cVenPPerson), as the typed vendor gives it. cVenPerson is the
    // vendor's contact-person name that the main-contact link writes: joined to Person it stored
    // a contact's name as the principal, which no later save could find again.
    auto rs = Ctx().DataService->OpenX(
        "Select cVenPPerson,Person.cPersonName FROM vendor left join person on vendor.cVenPPerson = Person.cPersonCode  "
        "WHERE cvenCode = N'" + Quote(tag) + "'");
    if (!HasRows(rs)) return;
    if (rs->Get("cVenPPerson").IsNull() || rs->Get("cPersonName").IsNull()) {
        Clear(Edt(8), true);
        return;
    }
    Edt(8).SetText(TxtValue(rs->Get("cPersonName")));
    Edt(8).SetTag(rs->Get("cVenPPerson").ToText());
    Edt(8).SetDescription(CodeHint(Edt(8).Tag()));
}

void frmContactEdit::CmdClick(int index) {
    if (index < 0 || index > 4) return;
    Context& c = Ctx();
    MarkChanged();
    cmdTag_[static_cast<std::size_t>(index)].clear();
    auto chosen = [this, index] { cmdTag_[static_cast<std::size_t>(index)] = "Refed"; };
    // The shared reference routine makes no choice; the boxes' own reference lists do.
    std::string code, name;
    bool picked = false;
    switch (index) {
        case 0: {
            code = "cVenCode", name = "cVenName";
            GetRef("cVenCode", code, name, picked, &Edt(0), this, platform::db::Value(""));
            if (!Edt(0).ShowReference()) return;
            chosen();
            pendingVendor_ = false;
            Edt(0).SetDescription(CodeHint(Edt(0).Tag()));
            NewContactCode();
            DefaultPrincipal();
            return;
        }
        case 1: {
            code = "cContactCode", name = "cContactName";
            const std::string vendor = Edt(0).Tag();
            GetRef("cSuperiorID", code, name, picked, &Edt(4), this,
                   platform::db::Value(vendor.empty() ? std::string() : " vendor.cvenCode = '" + vendor + "'"));
            const std::string vendorName = txt::Trim(Edt(0).Text());
            if (!vendorName.empty())
                Edt(4).SetRefCondition("<RefConditions><Condition paramName='@cvenName' paramValue='" + Edt(0).Text() +
                                           "' /></RefConditions>",
                                       "#FN[cVenCode] in (select cVenCode from vendor where cvenName= @cvenName)");
            else
                Edt(4).SetRefCondition("", "");
            if (!Edt(4).ShowReference()) return;
            chosen();
            // Chosen as typed: a superior the rule refuses does not stay in the box until the save.
            if (!SuperiorRuleHolds()) {
                RefuseSuperior();
                return;
            }
            Edt(4).SetDescription(CodeHint(Edt(4).Tag()));
            return;
        }
        case 2:
        case 3: {
            const std::string type = index == 2 ? "Duty" : "Taste";
            IRefEdit& box = Edt(index == 2 ? 6 : 7);
            auto chooser = platform::Create<IBaseCodeRefer>(progid::BaseCodeRefer);
            if (!chooser) {
                ShowInfo(ResText("Hx.CRM.TkContact.frmcontactedit.00100"));
                return;
            }
            RowsetPtr result;
            chooser->Show(c.Login, type, "", result);
            if (!HasRows(result)) return;
            result->MoveFirst();
            box.SetText(result->Get("cname").ToText());
            box.SetTag(result->Get("ID").ToText());
            box.SetDescription(CodeHint(box.Tag()));
            chosen();
            return;
        }
        case 4: {
            code = "cPersonCode", name = "cPersonName";
            GetRef("cPrincipal", code, name, picked, &Edt(8), this, platform::db::Value(""));
            if (!Edt(8).ShowReference()) return;
            chosen();
            Edt(8).SetDescription(CodeHint(Edt(8).Tag()));
            return;
        }
        default: return;
    }
}

void frmContactEdit::CmdLostFocus(int index) {
    static const int editorOf[] = {0, 4, 6, 7};
    if (index < 0 || index > 3 || cmdTag_[static_cast<std::size_t>(index)] != "Refed") return;
    IRefEdit& box = Edt(editorOf[index]);
    if (box.HasFocus()) return;
    if (index > 0) OnEditorLeave(editorOf[index]);
}

}  // namespace sovrel
