// The mail tool and the mail sender.
#include <curl/curl.h>

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "common/prog_ids.h"
#include "../session/support.h"
#include "host/config.h"
#include "host/session.h"
#include "host/messaging.h"
#include "transfer.h"
#include "host/register.h"
#include "platform/diagnostics.h"
#include "platform/object_factory.h"
#include "platform/text.h"

namespace host {

namespace txt = platform::text;

namespace {

std::vector<std::string> AddressList(const std::string& addresses) {
    std::vector<std::string> out;
    for (const auto& part : txt::Split(txt::Replace(addresses, ",", ";"), ";"))
        if (const std::string a = txt::Trim(part); !a.empty()) out.push_back(a);
    return out;
}

// The host's message naming the first entry of addresses that is no mail address; "" when all are.
std::string BadAddressMessage(const std::string& addresses) {
    const std::string bad = txt::FirstBadMailAddress(addresses);
    if (bad.empty()) return {};
    // A control character is shown by its code, so the message stays on its line.
    std::string shown;
    for (std::size_t i = 0; i < bad.size();) {
        const std::size_t from = i;
        const char32_t c = txt::DecodeUtf8(bad, i);
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            char code[12];
            std::snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned>(c));
            shown += code;
        } else {
            shown.append(bad, from, i - from);
        }
    }
    return detail::CurrentText("Hx.CRM.COMMON.BadEmail", {shown});
}

std::string Join(const std::vector<std::string>& parts, const std::string& sep) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? sep : "") + parts[i];
    return out;
}

std::string Base64(const std::string& data) {
    return QByteArray::fromStdString(data).toBase64().toStdString();
}

// A header value in UTF-8 (RFC 2047) when it is not plain ASCII.
std::string HeaderText(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80 || c < 0x20) return "=?UTF-8?B?" + Base64(s) + "?=";
    return s;
}

std::string DateHeader() {
    char buffer[64];
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    std::strftime(buffer, sizeof buffer, "%a, %d %b %Y %H:%M:%S %z", &tm);
    return buffer;
}

struct Upload {
    std::string data;
    std::size_t at = 0;
};

std::size_t ReadUpload(char* buffer, std::size_t size, std::size_t count, void* user) {
    auto* u = static_cast<Upload*>(user);
    const std::size_t n = std::min(size * count, u->data.size() - u->at);
    std::memcpy(buffer, u->data.data() + u->at, n);
    u->at += n;
    return n;
}

// What the server said, command by command; the AUTH exchange is never kept.
struct Transcript {
    std::string pendingRcpt;
    std::vector<std::string> refused;
    std::string lastReply;
    bool inAuth = false;
};

int OnDebug(CURL*, curl_infotype type, char* data, std::size_t size, void* user) {
    auto* t = static_cast<Transcript*>(user);
    const std::string line = txt::Trim(txt::Replace(std::string(data, size), "\r\n", " "));
    if (type == CURLINFO_HEADER_OUT) {
        t->inAuth = line.rfind("AUTH", 0) == 0 || (t->inAuth && line.find(' ') == std::string::npos);
        t->pendingRcpt = line.rfind("RCPT TO:", 0) == 0 ? line.substr(8) : "";
    } else if (type == CURLINFO_HEADER_IN) {
        if (!t->inAuth) t->lastReply = line;
        if (!t->pendingRcpt.empty() && !line.empty() && (line[0] == '4' || line[0] == '5'))
            t->refused.push_back(t->pendingRcpt);
    }
    return 0;
}

long Number(const std::string& text, long fallback) {
    try {
        return text.empty() ? fallback : std::stol(text);
    } catch (...) {
        return fallback;
    }
}

}  // namespace

bool MailTool::OpenForAddresses(std::string& addresses) {
    if (const std::string bad = BadAddressMessage(addresses); !bad.empty()) {
        platform::DebugOutput("mail tool not started: " + bad);
        return false;
    }
    const std::string list = Join(AddressList(addresses), ";");
    const std::string command = Setting("mail.command");
    if (!command.empty()) {
        QStringList args = QProcess::splitCommand(QString::fromStdString(command));
        if (args.isEmpty()) return false;
        bool placed = false;
        for (auto& a : args)
            if (a.contains("%a")) {
                a.replace("%a", QString::fromStdString(list));
                placed = true;
            }
        if (!placed) args << QString::fromStdString(list);
        const QString program = args.takeFirst();
        return QProcess::startDetached(program, args);
    }
    QUrl url;
    url.setScheme("mailto");
    url.setPath(QString::fromStdString(txt::Replace(list, ";", ",")));
    return QDesktopServices::openUrl(url);
}

MailSender::ListRoute MailSender::RouteForList() {
    if (txt::Trim(Setting("smtp.server")).empty()) return ListRoute::Program;
    const std::string route = txt::LCase(txt::Trim(Setting("mail.list")));
    if (route == "program") return ListRoute::Program;
    if (route == "ask") return ListRoute::Ask;
    return ListRoute::Window;
}

std::int32_t MailSender::Send(int, const std::string& addresses, const std::string& contentType,
                              const std::string& body, const std::string& subject, std::string& resultText) {
    resultText.clear();
    const std::string server = Setting("smtp.server");
    if (server.empty()) {
        resultText = detail::CurrentText("Hx.AA.MESSAGING.NoSmtpServer");
        return 0;
    }
    resultText = BadAddressMessage(addresses);
    if (!resultText.empty()) return 0;
    const std::vector<std::string> to = AddressList(addresses);
    if (to.empty()) {
        resultText = detail::CurrentText("Hx.AA.MESSAGING.NoRecipient");
        return 0;
    }
    const std::string security = txt::LCase(Setting("smtp.security", "none"));
    const long port = Number(Setting("smtp.port"), security == "tls" ? 465 : security == "starttls" ? 587 : 25);
    const long timeout = Number(Setting("smtp.timeout"), 30);
    const std::string user = Setting("smtp.user"), password = Setting("smtp.password");
    const std::string sender = Setting("smtp.sender", user);

    Upload upload;
    upload.data = "Date: " + DateHeader() + "\r\nFrom: " + sender + "\r\nTo: " + Join(to, ", ") +
                  "\r\nSubject: " + HeaderText(subject) + "\r\nMIME-Version: 1.0\r\nContent-Type: " +
                  (contentType.empty() ? std::string("text/plain") : contentType) +
                  "; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    const std::string encoded = Base64(body);
    for (std::size_t i = 0; i < encoded.size(); i += 76) upload.data += encoded.substr(i, 76) + "\r\n";

    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        resultText = detail::CurrentText("Hx.AA.MESSAGING.NoLibrary");
        return 0;
    }
    CURL* c = curl.get();
    const std::string url = (security == "tls" ? "smtps://" : "smtp://") + server + ":" + std::to_string(port);
    curl_slist* rcpt = nullptr;
    for (const auto& a : to) rcpt = curl_slist_append(rcpt, ("<" + a + ">").c_str());
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> rcptGuard(rcpt, curl_slist_free_all);
    char error[CURL_ERROR_SIZE] = {0};
    Transcript transcript;
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    if (security == "starttls") curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    if (!user.empty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, user.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, password.c_str());
    }
    const std::string from = "<" + sender + ">";
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, ReadUpload);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    BoundTransfer(c, timeout, error);
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, OnDebug);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &transcript);
    const CURLcode rc = curl_easy_perform(c);
    if (rc == CURLE_OK) return 1;
    std::string reason;
    if (rc == CURLE_OPERATION_TIMEDOUT)
        reason = detail::CurrentText("Hx.AA.MESSAGING.NoAnswer", {server, std::to_string(timeout)});
    else if (!transcript.lastReply.empty() && transcript.lastReply[0] >= '4')
        reason = transcript.lastReply;
    else
        reason = *error ? std::string(error) : curl_easy_strerror(rc);
    resultText = transcript.refused.empty()
                     ? reason
                     : detail::CurrentText("Hx.AA.MESSAGING.Refused", {Join(transcript.refused, ", "), reason});
    return 0;
}

void RegisterMessaging() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    platform::Register(sovrel::progid::MailTool, [] { return std::make_shared<MailTool>(); });
    platform::Register(sovrel::progid::MailSender, [] { return std::make_shared<MailSender>(); });
    platform::Register(sovrel::progid::SmsClient, [] { return std::make_shared<SmsClient>(); });
}

}  // namespace host
