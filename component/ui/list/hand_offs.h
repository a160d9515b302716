#pragma once
// The list's hand-offs to the messaging windows, the chart and the overview: the list gathers
// codes and values and passes them on.
#include <map>
#include <string>

#include "platform/db/rowset.h"
#include "ui/messaging/cls_contact.h"

namespace sovrel {

class frmContactList;

// "SendMail": the recipients to the mail class.
void MailContacts(frmContactList& list, const MailRecipients& recipients);
// "SendMsg": the SMS window with the current contact's mobile number.
void SmsCurrentContact(frmContactList& list);
// "Report": the organisation chart of the current contact's vendor.
void ShowVendorChart(frmContactList& list);
// "General": the overview of the current contact.
void OpenContactOverview(frmContactList& list);

// The chart query for the vendor of the contact code.
std::string ChartStatement(const std::string& contactCode);
// The chart description of the rows of the chart query (code, name, duty, superior, duty's ID)
// under title; a duty named in dutyNames (by ID) is written by that name; values are escaped, a
// null name or duty is written empty.
std::string GetReportXML(platform::db::Rowset& rows, const std::string& title,
                         const std::map<std::string, std::string>& dutyNames = {});

}  // namespace sovrel
