// The SMS client: one HTTP(S) POST per call to the configured gateway.
#include <curl/curl.h>

#include <map>
#include <memory>

#include "../mail/transfer.h"
#include "../session/support.h"
#include "host/config.h"
#include "host/messaging.h"
#include "platform/text.h"

namespace host {

namespace txt = platform::text;

namespace {

// Items "Name=value" of the configuration text, names lower-cased.
std::map<std::string, std::string> Items(const std::string& configuration) {
    std::map<std::string, std::string> out;
    for (const auto& item : txt::Split(configuration, ";")) {
        const std::size_t eq = item.find('=');
        if (eq == std::string::npos) continue;
        out[txt::LCase(txt::Trim(item.substr(0, eq)))] = txt::Trim(item.substr(eq + 1));
    }
    return out;
}

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* user) {
    auto* out = static_cast<std::string*>(user);
    // A gateway that talks on and on is cut: its answer is shown in a message box.
    if (out->size() < 4096) out->append(data, std::min<std::size_t>(size * count, 4096 - out->size()));
    return size * count;
}

}  // namespace

std::string SmsConfigFromSettings() {
    const std::string gateway = Setting("sms.gateway");
    if (gateway.empty()) return {};
    return "Gateway=" + gateway + ";Account=" + Setting("sms.account") + ";Key=" + Setting("sms.key") +
           ";Signature=" + Setting("sms.signature") + ";Timeout=" + Setting("sms.timeout", "20");
}

std::int32_t SmsClient::SMSCall(const std::string& configuration, std::string& returnText, const std::string& data) {
    returnText.clear();
    auto items = Items(configuration);
    const std::string gateway = items["gateway"];
    if (gateway.rfind("http://", 0) != 0 && gateway.rfind("https://", 0) != 0) {
        returnText = detail::CurrentText("Hx.AA.MESSAGING.NoSmsGateway");
        return 0;
    }
    long timeout = 20;
    try {
        if (!items["timeout"].empty()) timeout = std::stol(items["timeout"]);
    } catch (...) {
    }
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        returnText = detail::CurrentText("Hx.AA.MESSAGING.NoLibrary");
        return 0;
    }
    CURL* c = curl.get();
    auto field = [c](const char* name, const std::string& value) {
        char* escaped = curl_easy_escape(c, value.c_str(), static_cast<int>(value.size()));
        std::string out = std::string(name) + "=" + (escaped ? escaped : "");
        curl_free(escaped);
        return out;
    };
    const std::string form = field("account", items["account"]) + "&" + field("key", items["key"]) + "&" +
                             field("signature", items["signature"]) + "&" + field("data", data);
    std::string answer;
    char error[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(c, CURLOPT_URL, gateway.c_str());
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, form.c_str());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE, static_cast<long>(form.size()));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &answer);
    BoundTransfer(c, timeout, error);
    const CURLcode rc = curl_easy_perform(c);
    if (rc == CURLE_OPERATION_TIMEDOUT) {
        returnText = detail::CurrentText("Hx.AA.MESSAGING.NoAnswer", {gateway, std::to_string(timeout)});
        return 0;
    }
    if (rc != CURLE_OK) {
        returnText = *error ? error : curl_easy_strerror(rc);
        return 0;
    }
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    answer = txt::Trim(answer);
    if (status >= 200 && status < 300) {
        returnText = answer;
        return 1;
    }
    returnText = "HTTP " + std::to_string(status) + (answer.empty() ? "" : ": " + answer);
    return 0;
}

}  // namespace host
