#include "ui/messaging/send.h"

#include <memory>

#include "common/hosts/mail.h"
#include "common/hosts/sms.h"
#include "common/logs.h"
#include "common/prog_ids.h"
#include "common/texts.h"
#include "common/traces.h"
#include "platform/error.h"
#include "platform/text.h"

namespace sovrel {

namespace txt = platform::text;

namespace {

constexpr const char* kMailPosition = "Pelorin.Common.sendMail()";
constexpr const char* kSmsPosition = "Pelorin.Common.sendSMS";
constexpr const char* kTraceLabel = "Contact-Common";

bool Blank(const std::string& s) { return txt::Trim(s).empty(); }

// A refusal is no exception, but its reason belongs in the error record all the same.
void RecordRefusal(const char* position, const char* source, long code, const std::string& reason) {
    try {
        WriteErrorLog(position, true, platform::Error(code, source, reason.empty() ? "no answer" : reason));
    } catch (...) {
        DebugTrace(std::string(position) + ": the refusal could not be written to error.log");
    }
}

void RecordCurrentError(const char* position, std::string& result) {
    const platform::Error error = CurrentError();
    result += error.Description();
    try {
        WriteErrorLog(position, true, error);
    } catch (...) {
        DebugTrace(std::string(position) + ": the error could not be written to error.log");
    }
}

}  // namespace

std::string HideSecrets(const std::string& configuration) {
    std::string out;
    const auto items = txt::Split(configuration, ";");
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out += ';';
        const std::string& item = items[i];
        const std::size_t eq = item.find('=');
        const std::string name = eq == std::string::npos ? "" : txt::LCase(txt::Trim(item.substr(0, eq)));
        const bool secret = name == "key" || name == "password" || name == "pwd" || name == "secret" || name == "token";
        out += secret ? item.substr(0, eq + 1) + "****" : item;
    }
    return out;
}

void sendMail(const std::vector<MailColumn>& request, std::string& result) {
    std::shared_ptr<IMailSender> sender;
    try {
        for (const MailColumn& column : request) {
            std::string message;
            if (Blank(column[0])) {
                message = ResTextParams("Hx.CRM.COMMON.MailNullAddr", {column[3]});
            } else if (Blank(column[2])) {
                message = ResTextParams("Hx.CRM.COMMON.MailNullComment", {column[3]});
            } else {
                if (!sender) sender = platform::CreateRequired<IMailSender>(progid::MailSender, progid::MailSender);
                std::string reason;
                const std::int32_t sent = sender->Send(3, column[0], "text/html", column[2], column[1], reason);
                if (sent == 1) {
                    message = ResTextParams("Hx.CRM.COMMON.MailSendSuccParam", {column[0]});
                } else {
                    message = ResTextParams("Hx.CRM.COMMON.MailSendFailParam", {column[0]});
                    if (!Blank(reason)) message += " (" + txt::Trim(reason) + ")";
                    RecordRefusal(kMailPosition, progid::MailSender, sent, reason);
                }
            }
            result += message + ",";
        }
        sender.reset();
        if (!Blank(result)) result = txt::Left(result, static_cast<long>(txt::Len(result)) - 1);
    } catch (...) {
        sender.reset();
        RecordCurrentError(kMailPosition, result);
    }
}

void sendSMS(const std::string& configuration, const std::vector<SmsColumn>& request, std::string& result) {
    try {
        std::shared_ptr<ISmsClient> client;
        for (const SmsColumn& column : request) {
            if (Blank(column[1])) {
                result += ResTextParams("Hx.CRM.COMMON.SMSNullContent", {std::string()});
                continue;
            }
            if (Blank(column[0])) {
                result += ResTextParams("Hx.CRM.COMMON.SMSNullMobil", {std::string()});
                continue;
            }
            if (!client) client = platform::Create<ISmsClient>(progid::SmsClient);
            if (!client)
                throw platform::Error(53, progid::SmsClient, std::string("no SMS client: ") + progid::SmsClient +
                                                                  " could not be loaded");
            const std::string data = column[0] + "," + column[1];
            std::string answer(255, ' ');
            const std::int32_t sent = client->SMSCall(configuration, answer, data);
            Trace(kTraceLabel, "显示发送短信后的返回信息===============" + std::to_string(sent));
            Trace(kTraceLabel, "发送的手机号===============" + column[0]);
            Trace(kTraceLabel, "配置中心信息===============" + HideSecrets(configuration));
            if (sent == 1) {
                result += ResText("Hx.CRM.COMMON.SMSSendSucc");
            } else {
                result += ResText("Hx.CRM.COMMON.SMSSendFail");
                const std::string reason = txt::Trim(answer);
                if (!reason.empty()) result += " (" + reason + ")";
                RecordRefusal(kSmsPosition, progid::SmsClient, sent, reason);
            }
        }
    } catch (...) {
        RecordCurrentError(kSmsPosition, result);
    }
}

}  // namespace sovrel
