#include "ui/messaging/cls_contact.h"

#include "common/hosts/text_service.h"

#include "common/hosts/login.h"
#include "common/hosts/mail.h"
#include "common/logs.h"
#include "common/messages.h"
#include "common/prog_ids.h"
#include "common/texts.h"
#include "entry/small_classes.h"
#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "platform/text.h"
#include "ui/messaging/frm_send_email.h"

namespace sovrel {

namespace txt = platform::text;

namespace {

constexpr const char* kModule = "clsContact";

void LogCurrent(const char* procedure) {
    const platform::Error e = CurrentError();
    WriteSrvLog(kModule, procedure, e.Number(), e.Description());
}

std::string DropLast(const std::string& s) { return txt::Left(s, static_cast<long>(txt::Len(s)) - 1); }

}  // namespace

void clsContact::SetCnn(const std::shared_ptr<ILogin>& objLogin) {
    if (!objLogin) throw platform::Error(91, kModule, "no login object: the connection cannot be opened");
    if (!conn_) conn_ = std::make_shared<clsConn>();
    std::string text = objLogin->tkDBName();
    conn_->OpenCon(text);
}

std::string clsContact::GetVendorEmail(std::string& sVendorCode, const std::shared_ptr<ILogin>& objLogin) {
    std::string result;
    try {
        SetCnn(objLogin);
        auto rs = conn_->Conn()->OpenRowset("SELECT DISTINCT [cVenEmail] FROM vendor WHERE cVenCode IN ( " +
                                            sVendorCode + ")");
        for (; !rs->Eof(); rs->MoveNext()) {
            const std::string address = txt::Trim(rs->Get("cVenEmail").ToText());
            if (address.empty()) continue;
            result += result.empty() ? address : ";" + address;
        }
        rs->Close();
    } catch (...) {
        LogCurrent("GetVendorEmail");
    }
    conn_.reset();
    return result;
}

bool clsContact::InvokeMailTool(std::string& sAddress) {
    auto tool = platform::Create<IMailTool>(progid::MailTool);
    if (!tool || !tool->OpenForAddresses(sAddress)) {
        ShowInfo(ResText("Hx.CRM.COMMON.MailSenderNotExist"));
        return false;
    }
    return true;
}

std::string clsContact::ContactAddresses(const std::string& sContactCode, const std::shared_ptr<ILogin>& objLogin,
                                         const std::string& sComplCustCode, const std::string& sComplEmail) {
    SetCnn(objLogin);
    std::string e, v;
    if (!sContactCode.empty()) {
        auto rs = conn_->Conn()->OpenRowset("SELECT * FROM Ven_Contact WHERE [cContactCode] IN ( " + sContactCode + ")");
        for (; !rs->Eof(); rs->MoveNext()) {
            const std::string mail = txt::Trim(rs->Get("cEmail").ToText());
            if (!mail.empty()) e += mail + ";";
            else v += "N'" + txt::Replace(rs->Get("cVenCode").ToText(), "'", "''") + "',";
        }
        rs->Close();
    }
    if (!v.empty()) v = DropLast(v);
    return JoinAddresses(std::move(e), v, objLogin, sComplCustCode, sComplEmail);
}

std::string clsContact::ContactAddresses(const MailRecipients& recipients, const std::shared_ptr<ILogin>& objLogin) {
    if (recipients.addressSql.empty()) return ContactAddresses(recipients.codeList, objLogin);
    SetCnn(objLogin);
    std::string e;
    bool blank = false;
    auto rs = conn_->Conn()->OpenRowset(recipients.addressSql, platform::db::CursorKind::Paged);
    for (; !rs->Eof(); rs->MoveNext()) {
        const std::string mail = txt::Trim(rs->Get(0).ToText());
        if (mail.empty()) {
            blank = true;
            continue;
        }
        e += mail;
        e += ';';
    }
    rs->Close();
    // The vendors are looked up by the server from the same contacts, however many there are.
    return JoinAddresses(std::move(e), blank ? recipients.vendorSql : std::string(), objLogin, "", "");
}

std::string clsContact::JoinAddresses(std::string e, const std::string& vendorCodes,
                                      const std::shared_ptr<ILogin>& objLogin, const std::string& sComplCustCode,
                                      const std::string& sComplEmail) {
    std::string v = vendorCodes, f;
    if (!sComplCustCode.empty()) v = v.empty() ? sComplCustCode : v + "," + sComplCustCode;
    // An empty list would make "IN ( )", which no database reads.
    const std::string ve = v.empty() ? std::string() : GetVendorEmail(v, objLogin);
    // The addresses of a long list run to megabytes: appended in place rather than copied.
    if (e.empty()) {
        f = !ve.empty() && ve.back() == ';' ? DropLast(ve) : ve;
    } else {
        if (ve.empty()) e.pop_back();  // the last address's ";"
        else e += ve;
        f = std::move(e);
    }
    if (!sComplEmail.empty()) {
        if (!f.empty()) f += ';';
        f += sComplEmail;
    }
    return f;
}

void clsContact::GetContact(std::string& sContactCode, const std::shared_ptr<ILogin>& objLogin,
                            const std::string& sComplCustCode, const std::string& sComplEmail) {
    try {
        std::string f = ContactAddresses(sContactCode, objLogin, sComplCustCode, sComplEmail);
        if (!InvokeMailTool(f)) ShowInfo(ResText("Hx.CRM.COMMON.MailSendFail"));
    } catch (...) {
        LogCurrent("GetContact");
    }
    conn_.reset();
}

void MailToContacts(const MailRecipients& recipients, const std::shared_ptr<ILogin>& login) {
    auto sender = platform::Create<IMailSender>(progid::MailSender);
    auto route = sender ? sender->RouteForList() : IMailSender::ListRoute::Program;
    if (route == IMailSender::ListRoute::Ask) {
        const int answer = ShowMsgBox(ResText("Hx.CRM.TkContact.frmcontactlist.MailAsk"), msgbox::YesNoCancelQuestion,
                                      GetMsgTitle());
        if (answer == msgbox::Cancel) return;
        route = answer == msgbox::Yes ? IMailSender::ListRoute::Window : IMailSender::ListRoute::Program;
    }
    clsContact mail;
    if (route == IMailSender::ListRoute::Program && recipients.addressSql.empty()) {
        std::string codes = recipients.codeList;
        mail.GetContact(codes, login, "", "");
        return;
    }
    std::string addresses;
    try {
        addresses = mail.ContactAddresses(recipients, login);
    } catch (...) {
        LogCurrent("MailToContacts");
        if (route == IMailSender::ListRoute::Program) return;
    }
    if (route == IMailSender::ListRoute::Program) {
        if (!mail.InvokeMailTool(addresses)) ShowInfo(ResText("Hx.CRM.COMMON.MailSendFail"));
        return;
    }
    frmSendEMail window;
    window.SetAddresses(addresses);
    window.ShowModal();
}

void RegisterContactMailClass() {
    platform::Register("Sovrel.clsContact", [] { return std::make_shared<clsContact>(); });
}

}  // namespace sovrel
