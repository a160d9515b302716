#pragma once
// Sending mail and text messages through the host's mail sender and SMS client. Both procedures
// report through their result text only: nothing is thrown and nothing is shown.
#include <array>
#include <string>
#include <vector>

namespace sovrel {

// One message of a mail request: field 0 recipients (";"-separated), 1 subject, 2 HTML body,
// 3 the name shown for this message in the result.
using MailColumn = std::array<std::string, 4>;
// One message of an SMS request: field 0 mobile list (";"-separated), 1 text, 2 a title.
using SmsColumn = std::array<std::string, 3>;

// Sends each column as one message and appends one line per column to result, the lines joined
// by "," (no trailing one). A column without recipients or body is not sent and says why. A
// sender that refuses adds its reason in brackets; the reason is also written to error.log.
// An unexpected error appends its description and is written to error.log.
void sendMail(const std::vector<MailColumn>& request, std::string& result);

// Sends each column with SMSCall ("numbers,text") and appends the success or failure text per
// column, without separator. A refusal's gateway answer is written to error.log; the traces
// never show the configuration's secrets.
void sendSMS(const std::string& configuration, const std::vector<SmsColumn>& request, std::string& result);

// The configuration text with the values of its Key=, Password=, Pwd=, Secret= and Token= items
// replaced by ****.
std::string HideSecrets(const std::string& configuration);

}  // namespace sovrel
