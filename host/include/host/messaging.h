#pragma once
// The host's mail tool ("HxMail.MailTool"), mail sender ("HxMail.MailSender") and SMS client
// ("HxSMSClient.SMSClient"), configured in the system database (host/config.h).
#include <cstdint>
#include <string>

#include "common/hosts/mail.h"
#include "common/hosts/sms.h"

namespace host {

// Opens a new message: the configured mail.command (with %a replaced by the addresses, or the
// addresses appended), else a mailto: address through the desktop's handler. False when
// nothing could be started.
class MailTool final : public sovrel::IMailTool {
public:
    bool OpenForAddresses(std::string& addresses) override;
};

// SMTP through libcurl with the smtp.* settings: one message to every address, HTML in UTF-8.
// Answers 1 when the server accepted the message; otherwise 0 and resultText names the
// addresses the server refused and its last reply (or why no reply came). Never waits longer
// than smtp.timeout; keeps the user interface painted meanwhile.
class MailSender final : public sovrel::IMailSender {
public:
    std::int32_t Send(int mode, const std::string& addresses, const std::string& contentType, const std::string& body,
                      const std::string& subject, std::string& resultText) override;
    // Program without an SMTP server; else the setting mail.list: "program", "ask", or the window.
    ListRoute RouteForList() override;
};

// HTTP(S) POST to the gateway named in the configuration text ("Gateway=URL;Account=..;Key=..;
// Signature=..;Timeout=s"): form fields account, key, signature and data ("numbers,text").
// Answers 1 when the gateway answered 2xx; returnText is the gateway's answer (or why none came).
class SmsClient final : public sovrel::ISmsClient {
public:
    std::int32_t SMSCall(const std::string& configuration, std::string& returnText, const std::string& data) override;
};

// The SMS configuration text from the sms.* settings; "" when sms.gateway is not set.
std::string SmsConfigFromSettings();

}  // namespace host
