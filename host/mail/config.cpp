#include "host/config.h"

#include <algorithm>

#include "../session/support.h"
#include "host/session.h"
#include "platform/db/rowset.h"
#include "platform/error.h"

namespace host {

namespace {
constexpr const char* kUser = "*";
constexpr const char* kSection = "Sovrel";
}  // namespace

const std::vector<SettingInfo>& KnownSettings() {
    static const std::vector<SettingInfo> settings = {
        {"mail.command", "mail program for new messages; %a stands for the addresses (else mailto:)", false},
        {"smtp.server", "SMTP server name or address", false},
        {"smtp.port", "SMTP port (25; 465 with tls; 587 with starttls)", false},
        {"smtp.security", "none, starttls or tls", false},
        {"smtp.user", "SMTP user name (empty: no login)", false},
        {"smtp.password", "SMTP password", true},
        {"smtp.sender", "sender address of sent mail", false},
        {"smtp.timeout", "seconds to wait for the SMTP server (30)", false},
        {"sms.gateway", "SMS gateway URL (http:// or https://)", false},
        {"sms.account", "SMS gateway account", false},
        {"sms.key", "SMS gateway key", true},
        {"sms.signature", "signature the gateway adds to each text", false},
        {"sms.timeout", "seconds to wait for the SMS gateway (20)", false},
    };
    return settings;
}

bool IsKnownSetting(const std::string& key) {
    const auto& s = KnownSettings();
    return std::any_of(s.begin(), s.end(), [&](const SettingInfo& i) { return key == i.key; });
}

std::string ShownSetting(const std::string& key, const std::string& value) {
    for (const auto& i : KnownSettings())
        if (key == i.key && i.secret && !value.empty()) return "****";
    return value;
}

std::string SettingIn(const std::string& systemConnectionText, const std::string& key, const std::string& fallback) {
    try {
        auto db = detail::Open(systemConnectionText);
        auto rs = db->OpenRowset("SELECT cValue FROM UA_Setting WHERE cUser_Id = " + detail::Sql(kUser) +
                                 " AND cSection = " + detail::Sql(kSection) + " AND cKey = " + detail::Sql(key));
        if (rs->Eof()) return fallback;
        const std::string value = rs->Get(0).ToText();
        return value.empty() ? fallback : value;
    } catch (const std::exception&) {
        return fallback;
    }
}

std::string Setting(const std::string& key, const std::string& fallback) {
    auto login = CurrentLogin();
    return login ? SettingIn(login->SystemConnectionText(), key, fallback) : fallback;
}

void SaveSetting(const std::string& systemConnectionText, const std::string& key, const std::string& value) {
    if (!IsKnownSetting(key))
        throw platform::Error(platform::errnum::InvalidOperation, "host.SaveSetting",
                              "unknown setting '" + key + "' (sovrel config lists the settings)");
    auto db = detail::Open(systemConnectionText);
    std::string sql = "DELETE FROM UA_Setting WHERE cUser_Id = " + detail::Sql(kUser) + " AND cSection = " +
                      detail::Sql(kSection) + " AND cKey = " + detail::Sql(key);
    if (!value.empty())
        sql += "; INSERT INTO UA_Setting (cUser_Id, cSection, cKey, cValue) VALUES (" + detail::Sql(kUser) + ", " +
               detail::Sql(kSection) + ", " + detail::Sql(key) + ", " + detail::Sql(value) + ")";
    db->Execute(sql);
}

}  // namespace host
