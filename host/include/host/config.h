#pragma once
// The host's own settings (mail tool, mail sender, SMS gateway) in the system database: table
// UA_Setting, user "*", section "Sovrel". `sovrel config KEY VALUE` writes them.
#include <string>
#include <vector>

namespace host {

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

// The value of key in the system database of this process's current login; fallback when
// there is no login, no such row, or the database cannot be read.
std::string Setting(const std::string& key, const std::string& fallback = "");
// The same from the system database of systemConnectionText.
std::string SettingIn(const std::string& systemConnectionText, const std::string& key,
                      const std::string& fallback = "");
// Writes (an empty value removes) key. Throws platform::Error for an unknown key or when the
// database cannot be written.
void SaveSetting(const std::string& systemConnectionText, const std::string& key, const std::string& value);

}  // namespace host
