#pragma once
// The account and system database definitions, kept in the library so that a program needs no
// schema file at run time.
#include <string>
#include <string_view>

namespace platform::db {
class Connection;
}

namespace schema {

// Name of the host's system database (users, rights, locks, settings, account sub-systems).
inline constexpr std::string_view kSystemDatabase = "tksystem";
// The account database every demo account gets: account "001", year 2024.
inline constexpr std::string_view kDemoAccountId = "001";
inline constexpr int kDemoAccountYear = 2024;
inline constexpr std::string_view kDemoAccountDatabase = "TKDATA_001_2024";

// Native table definitions of a backend ("SQLite" or "PostgreSQL", compared without regard to case).
// Throws platform::Error naming the provider when there is none for it.
std::string_view AccountSql(std::string_view provider = "SQLite");
std::string_view SystemSql(std::string_view provider = "SQLite");

// Connection text of an SQLite database in `folder` (each database is <folder>/<name>.db); no
// catalog gives a connection to the folder alone. Throws platform::Error for a folder with a
// ';' in its name.
std::string SqliteConnectionText(const std::string& folder,
                                 std::string_view catalog = kDemoAccountDatabase);

// A server's connection text (one without Initial Catalog) with the catalog set.
std::string ServerConnectionText(const std::string& server, std::string_view catalog);

// Creates database `name` on an open connection, makes it the connection's current database
// and creates its tables. Throws platform::Error when the database exists already or the
// backend refuses; the connection's current database is then unspecified.
void CreateAccountDatabase(platform::db::Connection& connection, std::string_view name);
// Creates in an open account database the tables a later build added to the account (the
// contacts' history, the quick search's index and (SQLite) texts, filled with the contacts there), when it has not
// got them; true when it created any. Needs the right to
// create tables (an SQLite file's owner, a server's owner role).
bool AddLaterAccountTables(platform::db::Connection& account);
void CreateSystemDatabase(platform::db::Connection& connection);

}  // namespace schema
