#pragma once
// The host's own settings (mail tool, mail sender, SMS gateway) in the system database: table
// UA_Setting, user "*", section "Sovrel". `sovrel config KEY VALUE` writes them.
#include <string>
#include <vector>

namespace host {

class LoginSession;

struct SettingInfo {
    const char* key;
    const char* meaning;
    bool secret;  // never printed: shown as ****
};

// Every setting the host reads, in the order `sovrel config` lists them.
const std::vector<SettingInfo>& KnownSettings();
// True for a key of KnownSettings.
bool IsKnownSetting(const std::string& key);
// What may be shown of value: **** for a secret one that is set.
std::string ShownSetting(const std::string& key, const std::string& value);

// The value of key in the system database of this process's current login, a secret opened;
// fallback when there is no login, no such row, the database cannot be read or a secret cannot
// be opened (the reason goes to the diagnostic channel).
std::string Setting(const std::string& key, const std::string& fallback = "");
// The same from the system database of systemConnectionText.
std::string SettingIn(const std::string& systemConnectionText, const std::string& key,
                      const std::string& fallback = "");
// True for a setting whose value is a secret (sealed in the database, never shown).
bool IsSecretSetting(const std::string& key);

// Writes (an empty value removes) key in the login's system database; a secret is sealed with
// the key file's key (platform/secret_box.h). Every setting makes the program run something or
// send somewhere, so only a login with the administration right changes one. Throws
// platform::Error: kNoAdministrationRight with the host's no-right message; InvalidOperation for
// an unknown key, a value holding a control character, or a key file that cannot be used; and
// the database's error when it cannot be written.
void SaveSetting(LoginSession& login, const std::string& key, const std::string& value);

}  // namespace host
