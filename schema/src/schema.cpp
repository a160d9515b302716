#include "schema/schema.h"

#include "platform/db/connection.h"
#include "platform/error.h"
#include "platform/text.h"

namespace schema {
namespace embedded {
extern const std::string_view account_sqlite;
extern const std::string_view system_sqlite;
extern const std::string_view account_postgres;
extern const std::string_view system_postgres;
}  // namespace embedded

namespace {

std::string_view ScriptFor(std::string_view provider, std::string_view sqlite,
                           std::string_view postgres, std::string_view what) {
    if (platform::text::EqualsNoCase(provider, "SQLite")) return sqlite;
    if (platform::text::EqualsNoCase(provider, "PostgreSQL")) return postgres;
    throw platform::Error(platform::errnum::InvalidOperation, "schema",
                          "no " + std::string(what) + " schema for provider '" +
                              std::string(provider) + "' (known: SQLite, PostgreSQL)");
}

void CreateDatabase(platform::db::Connection& connection, std::string_view name,
                    std::string_view script) {
    connection.Execute("create database " + std::string(name));
    connection.Execute("use " + std::string(name));
    try {
        connection.ExecuteScript(std::string(script));
    } catch (const platform::Error& e) {
        throw e.WithContext("while creating the tables of " + std::string(name));
    }
}

}  // namespace

std::string_view AccountSql(std::string_view provider) {
    return ScriptFor(provider, embedded::account_sqlite, embedded::account_postgres, "account database");
}

std::string_view SystemSql(std::string_view provider) {
    return ScriptFor(provider, embedded::system_sqlite, embedded::system_postgres, "system database");
}

std::string SqliteConnectionText(const std::string& folder, std::string_view catalog) {
    // The connection text has no quoting: a ';' would end the folder early.
    if (folder.find(';') != std::string::npos)
        throw platform::Error(platform::errnum::InvalidOperation, "schema",
                              "the data folder '" + folder + "' contains ';', which a connection "
                              "text cannot hold: choose another folder");
    std::string text = "Provider=SQLite;Data Source=" + folder;
    if (!catalog.empty()) text += ";Initial Catalog=" + std::string(catalog);
    return text;
}

std::string ServerConnectionText(const std::string& server, std::string_view catalog) {
    std::string text = server;
    while (!text.empty() && (text.back() == ';' || text.back() == ' ')) text.pop_back();
    return text + ";Initial Catalog=" + std::string(catalog);
}

void CreateAccountDatabase(platform::db::Connection& connection, std::string_view name) {
    CreateDatabase(connection, name, AccountSql(connection.Provider()));
}

void CreateSystemDatabase(platform::db::Connection& connection) {
    CreateDatabase(connection, kSystemDatabase, SystemSql(connection.Provider()));
}

}  // namespace schema
