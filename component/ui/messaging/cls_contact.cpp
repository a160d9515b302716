#include "ui/messaging/cls_contact.h"

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

void clsContact::GetContact(std::string& sContactCode, const std::shared_ptr<ILogin>& objLogin,
                            const std::string& sComplCustCode, const std::string& sComplEmail) {
    std::shared_ptr<platform::db::Rowset> rs;
    try {
        SetCnn(objLogin);
        std::string e, v, f;
        if (!sContactCode.empty()) {
            rs = conn_->Conn()->OpenRowset("SELECT * FROM Ven_Contact WHERE [cContactCode] IN ( " + sContactCode + ")");
            for (; !rs->Eof(); rs->MoveNext()) {
                const std::string mail = txt::Trim(rs->Get("cEmail").ToText());
                if (!mail.empty()) e += mail + ";";
                else v += "N'" + txt::Replace(rs->Get("cVenCode").ToText(), "'", "''") + "',";
            }
        }
        if (!v.empty()) v = DropLast(v);
        if (!sComplCustCode.empty()) v = v.empty() ? sComplCustCode : v + "," + sComplCustCode;
        // An empty list would make "IN ( )", which no database reads.
        const std::string ve = v.empty() ? std::string() : GetVendorEmail(v, objLogin);
        if (e.empty()) f = !ve.empty() && ve.back() == ';' ? DropLast(ve) : ve;
        else if (ve.empty()) f = DropLast(e);
        else f = e + ve;
        if (!sComplEmail.empty()) f = f.empty() ? sComplEmail : f + ";" + sComplEmail;
        if (!InvokeMailTool(f)) ShowInfo(ResText("Hx.CRM.COMMON.MailSendFail"));
    } catch (...) {
        LogCurrent("GetContact");
    }
    if (rs && rs->IsOpen()) rs->Close();
    conn_.reset();
}

void RegisterContactMailClass() {
    platform::Register("Sovrel.clsContact", [] { return std::make_shared<clsContact>(); });
}

}  // namespace sovrel
