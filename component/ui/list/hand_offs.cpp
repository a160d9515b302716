#include "ui/list/hand_offs.h"

#include <memory>

#include "common/context.h"
#include "common/host_objects.h"
#include "common/local_names.h"
#include "common/hosts/overview.h"
#include "common/logs.h"
#include "common/messages.h"
#include "common/prog_ids.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "xml/transxml.h"
#include "platform/text.h"
#include "service/iclscommon.h"
#include "ui/columns/frm_ui_chart.h"
#include "ui/list/frm_contact_list.h"
#include "ui/list/list_internal.h"
#include "ui/messaging/cls_contact.h"
#include "ui/messaging/frm_send_sms.h"

namespace sovrel {

using namespace list;
namespace txt = platform::text;

namespace {

constexpr const char* kNameCaptionKey = "Hx.CRM.CONTACT.iclscommon.00022";
constexpr const char* kOverviewKey = "CrmWorkLib.clsGenerals.Contact";

// Grid column whose caption is the text of key (case-insensitive); -1 when none.
long ColumnOf(frmContactList& list, const char* key) {
    const std::string caption = ResText(key);
    for (long c = 0; c < list.Grid().Cols(); ++c)
        if (txt::EqualsNoCase(list.Grid().TextMatrix(0, c), caption)) return c;
    return -1;
}

std::string CurrentCell(frmContactList& list, long column) {
    return column < 0 ? std::string() : list.Grid().TextMatrix(list.Grid().Row(), column);
}

std::string Xml(const platform::db::Value& v) { return XmlEscaped(v.IsNullOrEmpty() ? std::string() : v.ToText()); }

// One column of the current contact, read from the database by its code; "" when not found.
std::string GetContactField(frmContactList& list, const std::string& field) {
    try {
        std::int16_t column = 0;
        if (!list.LocateCodeColumn(column)) return {};
        const std::string code = CurrentCell(list, column);
        auto& service = Ctx().DataService;
        if (!service) return {};
        auto rs = service->OpenX("Select top 1 Ven_Contact.* from Ven_Contact where cContactCode = " + SqlText(code));
        if (rs && !rs->Eof()) return rs->Get(field).ToText();
    } catch (...) {
        WriteErrorLog("frmContactList.GetContactField", true, CurrentError());
    }
    return {};
}

}  // namespace

void MailContacts(frmContactList&, const MailRecipients& recipients) {
    // With an SMTP server the send-mail window is the way to use it; the mail class alone only
    // starts the mail program.
    MailToContacts(recipients, Ctx().Login);
}

void SmsCurrentContact(frmContactList& list) {
    const std::string mobile = GetContactField(list, "cMobilePhone");
    frmSendSMS window;
    window.SetMobilePhone(mobile);
    window.ShowModal();
}

std::string ChartStatement(const std::string& contactCode) {
    return "SELECT cContactCode,cContactName,Crm_BaseCode.cName as DutyName,coalesce(cSuperiorID,'NULL'),"
           "Ven_Contact.bcDutyID "
           " FROM Ven_Contact LEFT JOIN Crm_BaseCode ON Crm_BaseCode.ID = Ven_Contact.bcDutyID "
           " WHERE cVenCode = (SELECT cVenCode FROM Ven_Contact WHERE cContactCode = " +
           SqlText(contactCode) + ") Order by cContactCode";
}

std::string GetReportXML(platform::db::Rowset& rows, const std::string& title,
                         const std::map<std::string, std::string>& dutyNames) {
    const char q = '"';
    std::string xml = std::string("<?xml version=") + q + "1.0" + q + " encoding= " + q + "UTF-8" + q +
                      "?><Chart Name = " + q + Xml(platform::db::Value(title)) + q + " Type = " + q + "Organization" +
                      q + ">";
    xml += "<Picture><ReportTrees><Report>";
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
        const platform::db::Value superior = rows.Get(3);
        const platform::db::Value duty(LocalName(dutyNames, rows.Get(4).ToText(), rows.Get(2).ToText()));
        xml += std::string("<Contract Code = ") + q + Xml(rows.Get(0)) + q + " Name = " + q + Xml(rows.Get(1)) + q +
               " Duty = " + q + Xml(duty) + q + " Superior =" + q +
               (superior.IsNullOrEmpty() ? std::string("NULL") : Xml(superior)) + q + "/>";
    }
    xml += "</Report></ReportTrees></Picture></Chart>";
    return xml;
}

void ShowVendorChart(frmContactList& list) {
    if (!list.CurrentRowValid()) {
        ShowInfo(ResText(kNoRowKey));
        return;
    }
    const std::string code = list.Grid().TextMatrix(list.Grid().Row(), 2);
    std::shared_ptr<platform::db::Rowset> rs;
    if (auto& service = Ctx().DataService) rs = service->OpenPaged(ChartStatement(code));
    if (!platform::db::HasRows(rs)) {
        ShowInfo(ResText("Hx.CRM.TkContact.frmcontactlist.00057"));
        return;
    }
    std::string xml;
    try {
        xml = GetReportXML(*rs, ResText("Hx.CRM.VIEW.frmoppevalu.00363"), LocalNames("Crm_BaseCode"));
    } catch (...) {
        WriteErrorLog("frmContactList.GetReportXML()", true, CurrentError());
        return;
    }
    frmUIChart chart;
    chart.SetReportXml(xml);
    chart.ShowModal();
}

void OpenContactOverview(frmContactList& list) {
    if (!list.CurrentRowValid()) {
        ShowInfo(ResText(kNoRowKey));
        return;
    }
    std::int16_t codeColumn = 0;
    const std::string code = list.LocateCodeColumn(codeColumn) ? CurrentCell(list, codeColumn) : std::string();
    const std::string name = CurrentCell(list, ColumnOf(list, kNameCaptionKey));
    Context& c = Ctx();
    std::shared_ptr<IGenerals>& overview = c.Overview;
    if (!overview) overview = platform::CreateRequired<IGenerals>(progid::Generals, "frmContactList");
    std::shared_ptr<platform::Object> formEnv;
    overview->IiniGenerals(c.Login, c.Product, c.ActiveFrmMgr, c.ViewManager, formEnv, kOverviewKey, code, name);
}

}  // namespace sovrel
