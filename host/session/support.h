#pragma once
// Helpers shared by the host's session objects, public utility and services (not for the
// component): connection texts, SQL literals, the host's own message texts, process identity.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/connection.h"

namespace sovrel {
class ILogin;
}

namespace host::detail {

inline constexpr std::string_view kSystemDatabase = "tksystem";

// A T-SQL Unicode literal: N'...' with quotes doubled.
std::string Sql(std::string_view text);

// A connection text naming `catalog` instead of the text's Initial Catalog (added when it has
// none); every other key is kept as written.
std::string WithCatalog(std::string_view connectionText, std::string_view catalog);
// The same with the Data Source (folder or server) replaced or added.
std::string WithDataSource(std::string_view connectionText, std::string_view dataSource);

// The system database on the same server (or folder) as the database of connectionText.
inline std::string SystemConnectionText(std::string_view connectionText) {
    return WithCatalog(connectionText, kSystemDatabase);
}

// An open connection. Throws platform::Error naming what could not be opened.
std::unique_ptr<platform::db::Connection> Open(const std::string& connectionText);

// This machine's name, and whether the process `pid` of this machine that took something at
// `takenAt` ("yyyy-mm-dd hh:mm:ss", local time) still runs. A running process that started
// after takenAt reuses the number of the one that died.
std::string HostName();
bool ProcessAlive(long pid, std::string_view takenAt);
// The local time now, "yyyy-mm-dd hh:mm:ss".
std::string NowText();

// A message of the host itself in `language`: the host text tables when they have the key,
// otherwise the host's built-in zh-CN / en-US texts; in the test language "keys", the key and
// its parameters as "key(p0,p1)".
std::string HostText(std::string_view language, std::string_view key,
                     const std::vector<std::string>& params = {});

// The names an account gives the rows of table (Crm_BaseCode by ID, userdef by class "." item)
// in language, by key, in one read; empty when it has none or was made before it could hold them.
std::map<std::string, std::string> LocalNames(platform::db::Connection& db, std::string_view table,
                                              std::string_view language);

// The language of a login: its own when it tells one (host::ILanguageSource), else "zh-CN".
std::string LanguageOf(const sovrel::ILogin* login);
// The language of the user logged in now, and a host text in it.
std::string CurrentLanguage();
std::string CurrentText(std::string_view key, const std::vector<std::string>& params = {});

}  // namespace host::detail
