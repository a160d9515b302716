#include "host/config.h"

#include <algorithm>

#include "../session/support.h"
#include "host/session.h"
#include "platform/db/rowset.h"
#include "platform/diagnostics.h"
#include "platform/error.h"
#include "platform/secret_box.h"
#include "platform/text.h"

namespace host {

namespace {
constexpr const char* kUser = "*";
constexpr const char* kSection = "Sovrel";
}  // namespace

const std::vector<SettingInfo>& KnownSettings() {
    static const std::vector<SettingInfo> settings = {
        {"mail.list", "what the list's E-mail opens when smtp.server is set: window (default), program or ask", false},
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

bool IsSecretSetting(const std::string& key) {
    for (const auto& i : KnownSettings())
        if (key == i.key) return i.secret;
    return false;
}

std::string ShownSetting(const std::string& key, const std::string& value) {
    return IsSecretSetting(key) && !value.empty() ? "****" : value;
}

std::string SettingIn(const std::string& systemConnectionText, const std::string& key, const std::string& fallback) {
    std::string value;
    try {
        auto db = detail::Open(systemConnectionText);
        auto rs = db->OpenRowset("SELECT cValue FROM UA_Setting WHERE cUser_Id = " + detail::Sql(kUser) +
                                 " AND cSection = " + detail::Sql(kSection) + " AND cKey = " + detail::Sql(key));
        if (!rs->Eof()) {
            value = rs->Get(0).ToText();
        } else if (IsSecretSetting(key) && platform::text::EqualsNoCase(db->Provider(), "PostgreSQL")) {
            // A clerk's connection reads no secret; its logged-in user's process asks the server.
            value = db->OpenNativeRowset("SELECT sv_secret_setting($1)", {platform::db::Value(key)})->Get(0).ToText();
        }
        if (value.empty()) return fallback;
        // A secret of an earlier build, still in plain text, is read as it is until it is set again.
        if (IsSecretSetting(key) && platform::IsSealed(value)) value = platform::OpenSecret(value);
    } catch (const std::exception& e) {
        platform::DebugOutput("setting " + key + " not read: " + e.what());
        return fallback;
    }
    return value.empty() ? fallback : value;
}

std::string Setting(const std::string& key, const std::string& fallback) {
    auto login = CurrentLogin();
    return login ? SettingIn(login->SystemConnectionText(), key, fallback) : fallback;
}

void SaveSetting(LoginSession& login, const std::string& key, const std::string& value) {
    constexpr const char* kSource = "host.SaveSetting";
    login.RequireAdministration(kSource);
    if (!IsKnownSetting(key))
        throw platform::Error(platform::errnum::InvalidOperation, kSource,
                              "unknown setting '" + key + "' (sovrel config lists the settings)");
    // A line break would smuggle a second SMTP command or header line, a tab a second argument.
    if (platform::text::HasControlCharacters(value) || !platform::text::IsValidUtf8(value))
        throw platform::Error(platform::errnum::InvalidOperation, kSource,
                              detail::HostText(detail::LanguageOf(&login), "Hx.AA.CONFIG.ControlCharacter", {key}));
    const std::string stored = IsSecretSetting(key) && !value.empty() ? platform::SealSecret(value) : value;
    auto db = detail::Open(login.SystemConnectionText());
    std::string sql = "DELETE FROM UA_Setting WHERE cUser_Id = " + detail::Sql(kUser) + " AND cSection = " +
                      detail::Sql(kSection) + " AND cKey = " + detail::Sql(key);
    if (!stored.empty())
        sql += "; INSERT INTO UA_Setting (cUser_Id, cSection, cKey, cValue) VALUES (" + detail::Sql(kUser) + ", " +
               detail::Sql(kSection) + ", " + detail::Sql(key) + ", " + detail::Sql(stored) + ")";
    try {
        db->Execute(sql);
    } catch (const platform::Error& e) {
        // A clerk's connection: the server keeps the settings to the administrator role.
        if (platform::db::IsPermissionDenied(e)) login.RefuseAdministration(kSource, e.Description());
        throw;
    }
}

}  // namespace host
