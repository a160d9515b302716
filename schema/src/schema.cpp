#include "schema/schema.h"

#include "schema/ddl.h"

#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "platform/text.h"

// What the database layer runs in every server database it creates.
namespace platform::db::postgres::embedded {
extern const std::string_view support_sql;
}

namespace schema {
namespace embedded {
extern const std::string_view account_source;
extern const std::string_view system_source;
extern const std::string_view search_sqlite_source;
extern const std::string_view search_postgres_source;
extern const std::string_view search_text_sqlite_source;
}  // namespace embedded

namespace {

// Derived once per process; the texts live as long as it does.
std::string_view ScriptFor(std::string_view provider, std::string_view source, std::string_view what) {
    // The quick search's index is each backend's own; its texts an SQLite account's alone (a
    // server reads the contacts themselves as fast).
    static const std::string accountSqlite = BackendDdl(embedded::account_source, Backend::Sqlite) + "\n" +
                                             std::string(embedded::search_sqlite_source) + "\n" +
                                             std::string(embedded::search_text_sqlite_source);
    static const std::string accountPostgres =
        BackendDdl(embedded::account_source, Backend::Postgres) + "\n" + std::string(embedded::search_postgres_source);
    static const std::string systemSqlite = BackendDdl(embedded::system_source, Backend::Sqlite);
    static const std::string systemPostgres = BackendDdl(embedded::system_source, Backend::Postgres);
    const bool account = source.data() == embedded::account_source.data();
    if (platform::text::EqualsNoCase(provider, "SQLite")) return account ? accountSqlite : systemSqlite;
    if (platform::text::EqualsNoCase(provider, "PostgreSQL")) return account ? accountPostgres : systemPostgres;
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

// A server database made before the identity trigger moved its sequence only forward gets the
// trigger's function as new databases have it.
void ForwardOnlyIdentity(platform::db::Connection& account) {
    const bool current = account.OpenNativeRowset("SELECT COUNT(*) FROM pg_proc WHERE proname = 'sv_identity' "
                                                  "AND prosrc LIKE '%is_called%'", {})
                             ->Get(std::size_t{0})
                             .ToInt() > 0;
    if (current) return;
    const std::string_view support = platform::db::postgres::embedded::support_sql;
    const std::size_t begin = support.find("CREATE FUNCTION sv_identity()");
    const std::size_t end = support.find("END $$;", begin);
    if (begin == std::string_view::npos || end == std::string_view::npos)
        throw platform::Error(platform::errnum::InvalidOperation, "schema", "the server's support script has no identity function");
    try {
        account.ExecuteScript("CREATE OR REPLACE " + std::string(support.substr(begin + 7, end + 7 - (begin + 7))));
    } catch (const platform::Error& e) {
        throw e.WithContext("while bringing an older account's identity function up to date");
    }
}

// An upgrade in one transaction, so that a failure leaves the account as it was.
void InOneTransaction(platform::db::Connection& account, const std::string& script, const std::string& doing) {
    try {
        account.BeginTrans();
        account.ExecuteScript(script);
        account.CommitTrans();
    } catch (const platform::Error& e) {
        try {
            account.RollbackTrans();
        } catch (const platform::Error&) {
            // Nothing was begun.
        }
        throw e.WithContext("while " + doing);
    }
}

}  // namespace

bool AddLaterAccountTables(platform::db::Connection& account) {
    try {
        // The index on the contacts' row versions came later too; both backends take this text.
        account.ExecuteScript("CREATE INDEX IF NOT EXISTS Ven_Contact_tkts ON Ven_Contact (tkts)");
    } catch (const platform::Error& e) {
        throw e.WithContext("while indexing the row versions of an older account's contacts");
    }
    const bool postgres = platform::text::EqualsNoCase(account.Provider(), "PostgreSQL");
    if (postgres) ForwardOnlyIdentity(account);
    bool added = false;
    // An account from before the quick search's index (made and filled in half a minute for a
    // million contacts), or, on SQLite, before its texts for a short search (a few seconds).
    if (!account.HasTable("Ven_ContactSearch")) {
        InOneTransaction(account, std::string(postgres ? embedded::search_postgres_source : embedded::search_sqlite_source),
                         "indexing an older account's contacts for the quick search");
        added = true;
    }
    if (!postgres && !account.HasTable("Ven_ContactSearchText")) {
        InOneTransaction(account, std::string(embedded::search_text_sqlite_source),
                         "adding the quick search's texts to an older account");
        added = true;
    }
    // The history's table and its one index, as the account's own script has them.
    const std::string_view source = embedded::account_source;
    const std::size_t begin = source.find("CREATE TABLE Ven_ContactHistory");
    const std::size_t index = source.find("CREATE INDEX Ven_ContactHistory_Contact", begin);
    const std::size_t end = source.find(';', index);
    if (begin == std::string_view::npos || index == std::string_view::npos || end == std::string_view::npos)
        throw platform::Error(platform::errnum::InvalidOperation, "schema", "the account script has no history table");
    const Backend backend = postgres ? Backend::Postgres : Backend::Sqlite;
    const std::string history = BackendDdl(source.substr(begin, end + 1 - begin), backend);
    if (!account.HasTable("Ven_ContactHistory")) {
        // An account from before the history.
        try {
            account.ExecuteScript(history);
        } catch (const platform::Error& e) {
            throw e.WithContext("while adding the contacts' history to an older account");
        }
        return true;
    }
    // Up to date when the one index is there and compares the contact's code byte for byte (and,
    // on a server, the ID has no key of its own).
    const bool current =
        (postgres ? account.OpenNativeRowset(
                        "SELECT COUNT(*) FROM pg_index i JOIN pg_class x ON x.oid = i.indexrelid "
                           "JOIN pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = i.indkey[0] "
                           "JOIN pg_collation c ON c.oid = a.attcollation "
                        "WHERE x.relname = 'ven_contacthistory_contact' AND a.attname = 'ccontactcode' AND c.collname = 'C' "
                        "AND NOT EXISTS (SELECT 1 FROM pg_constraint WHERE conrelid = i.indrelid AND contype = 'p')",
                        {})
                  : account.OpenRowset("SELECT COUNT(*) - 1 FROM sqlite_master WHERE (type = 'index' AND name = "
                                       "'Ven_ContactHistory_Contact') OR (type = 'table' AND name = 'Ven_ContactHistory' "
                                       "AND sql LIKE '%cContactCode %COLLATE BINARY%')"))
            ->Get(std::size_t{0})
            .ToInt() > 0;
    if (current) return added;
    // The code's type as a new account has it ("varchar(30) COLLATE ..." between name and NOT NULL).
    const std::size_t codeAt = history.find("cContactCode");
    const std::size_t typeAt = history.find_first_not_of(' ', codeAt + std::string_view("cContactCode").size());
    const std::size_t typeEnd = history.find(" NOT NULL", typeAt);
    if (codeAt == std::string::npos || typeEnd == std::string::npos)
        throw platform::Error(platform::errnum::InvalidOperation, "schema", "the account script's history has no contact code");
    const std::string codeType = history.substr(typeAt, typeEnd - typeAt);
    // The history as earlier builds made it: an index for each question asked of it, an identity
    // that cost a write of its own with every change (SQLite's AUTOINCREMENT counter row,
    // PostgreSQL's trigger), a contact code compared case-insensitively. SQLite can change neither
    // AUTOINCREMENT nor a collation in place: the table is made anew and its rows copied, their IDs
    // kept. One transaction, so that a failure leaves it as it was.
    const std::string columns =
        "ID, cContactCode, cVenCode, cColumn, cOldValue, cNewValue, cUserId, cUserName, dChanged, cKind";
    const std::string upgrade =
        postgres ? "DROP TRIGGER IF EXISTS ven_contacthistory_identity ON ven_contacthistory;\n"
                   "ALTER TABLE ven_contacthistory ALTER COLUMN id SET GENERATED ALWAYS;\n"
                   "ALTER TABLE ven_contacthistory DROP CONSTRAINT IF EXISTS ven_contacthistory_pkey;\n"
                   "DROP INDEX IF EXISTS ven_contacthistory_ccontactcode;\n"
                   "DROP INDEX IF EXISTS ven_contacthistory_cuserid;\n"
                   "DROP INDEX IF EXISTS ven_contacthistory_contact;\n"
                   "ALTER TABLE ven_contacthistory ALTER COLUMN ccontactcode TYPE " + codeType + ";\n" +
                       history.substr(history.find("CREATE INDEX Ven_ContactHistory_Contact"))
                 : "DROP INDEX IF EXISTS Ven_ContactHistory_cContactCode;\n"
                   "DROP INDEX IF EXISTS Ven_ContactHistory_cUserId;\n"
                   "DROP INDEX IF EXISTS Ven_ContactHistory_Contact;\n"
                   "ALTER TABLE Ven_ContactHistory RENAME TO Ven_ContactHistory_older;\n" +
                       history + "\nINSERT INTO Ven_ContactHistory (" + columns + ") SELECT " + columns +
                       " FROM Ven_ContactHistory_older ORDER BY ID;\nDROP TABLE Ven_ContactHistory_older;";
    InOneTransaction(account, upgrade, "bringing an older account's contact history up to date");
    return true;
}

std::string_view AccountSql(std::string_view provider) {
    return ScriptFor(provider, embedded::account_source, "account database");
}

std::string_view SystemSql(std::string_view provider) {
    return ScriptFor(provider, embedded::system_source, "system database");
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
