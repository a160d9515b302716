#pragma once
// Each backend's script is derived from one definition of the tables, written as SQL Server
// declares them (schema/account.sql, schema/tksystem.sql), so that a column is written once.
#include <string>
#include <string_view>

namespace schema {

enum class Backend { Sqlite, Postgres };

// The source's statements as `backend` runs them: text columns get the case-insensitive
// collation, SQL Server's types and identities their backend's forms, and every table with a
// `timestamp` column its row-version triggers (SQLite also the counter they share). On
// PostgreSQL every UNIQUE over text also holds without trailing spaces, as in SQL Server.
std::string BackendDdl(std::string_view source, Backend backend);

}  // namespace schema
