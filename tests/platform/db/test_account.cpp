#include "test_account.h"

#include <stdlib.h>

#include <filesystem>

namespace sovrel::test {

TempFolder::TempFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "sovrel-test-XXXXXX").string();
    path_ = mkdtemp(tmpl.data());
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string ConnectionText(const std::string& folder, const std::string& catalog) {
    return "Provider=SQLite;Data Source=" + folder + ";Initial Catalog=" + catalog;
}

std::shared_ptr<platform::db::Connection> Open(const std::string& connectionText) {
    auto c = std::make_shared<platform::db::Connection>();
    c->Open(connectionText);
    return c;
}

void CreateDatabase(const std::string& folder, const std::string& name, const std::string& script) {
    auto c = Open("Provider=SQLite;Data Source=" + folder);
    c->Execute("create database " + name);
    c->Execute("use " + name);
    c->ExecuteScript(script);
}

namespace {

const char* const kSmallAccountSqlite = R"sql(
        CREATE TABLE rowversion_counter (n INTEGER NOT NULL);
        INSERT INTO rowversion_counter VALUES (0);
        CREATE TABLE Contact (
            oid nvarchar(38) COLLATE NOCASE NOT NULL PRIMARY KEY,
            cCode nvarchar(20) COLLATE NOCASE NOT NULL UNIQUE,
            cName nvarchar(10) COLLATE NOCASE NOT NULL,
            cVenCode nvarchar(20) COLLATE NOCASE,
            bMajor bit,
            dBirthday datetime,
            nAmount money,
            nRate decimal(10,3),
            iCount smallint,
            cMemo ntext COLLATE NOCASE,
            tkts timestamp);
        CREATE TRIGGER Contact_ins AFTER INSERT ON Contact BEGIN
            UPDATE rowversion_counter SET n = n + 1;
            UPDATE Contact SET tkts = (SELECT n FROM rowversion_counter) WHERE rowid = NEW.rowid; END;
        CREATE TRIGGER Contact_upd AFTER UPDATE ON Contact BEGIN
            UPDATE rowversion_counter SET n = n + 1;
            UPDATE Contact SET tkts = (SELECT n FROM rowversion_counter) WHERE rowid = NEW.rowid; END;
        CREATE TABLE Vendor (cVenCode nvarchar(20) COLLATE NOCASE PRIMARY KEY, cVenName nvarchar(98) COLLATE NOCASE);
        INSERT INTO Vendor VALUES ('V01', '北京华信'), ('V02', 'Acme Trading');
    )sql";

// The same tables with PostgreSQL's spelling of the declared types (the support domains).
const char* const kSmallAccountPostgres = R"sql(
        CREATE TABLE Contact (
            oid varchar(38) COLLATE tsql_ci NOT NULL PRIMARY KEY,
            cCode varchar(20) COLLATE tsql_ci NOT NULL UNIQUE,
            cName varchar(10) COLLATE tsql_ci NOT NULL,
            cVenCode varchar(20) COLLATE tsql_ci,
            bMajor ts_bit,
            dBirthday datetime,
            nAmount ts_money,
            nRate decimal(10,3),
            iCount smallint,
            cMemo ntext,
            tkts ts_rowversion);
        CREATE TRIGGER Contact_tkts BEFORE INSERT OR UPDATE ON Contact FOR EACH ROW EXECUTE FUNCTION sv_tkts();
        CREATE TABLE Vendor (cVenCode varchar(20) COLLATE tsql_ci PRIMARY KEY, cVenName varchar(98) COLLATE tsql_ci);
        INSERT INTO Vendor VALUES ('V01', '北京华信'), ('V02', 'Acme Trading');
    )sql";

void FillSmallAccount(const std::string& text, int rows) {
    auto c = Open(text);
    auto insert = c->Prepare("INSERT INTO Contact (oid, cCode, cName, cVenCode, bMajor, dBirthday, nAmount, iCount) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    c->BeginTrans();
    for (int i = 1; i <= rows; ++i) {
        char code[32];
        snprintf(code, sizeof code, "V0%d%08d", i % 2 + 1, i);
        insert->Bind(1, "{oid-" + std::to_string(i) + "}");
        insert->Bind(2, code);
        insert->Bind(3, i % 3 == 0 ? "王小" + std::to_string(i) : "Li " + std::to_string(i));
        insert->Bind(4, i % 2 ? "V02" : "V01");
        insert->Bind(5, i == 1);
        insert->Bind(6, i % 5 == 0 ? platform::db::Value::Null() : platform::db::Value("1980-01-" + std::string(i % 28 < 9 ? "0" : "") + std::to_string(i % 28 + 1)));
        insert->Bind(7, i * 1.5);
        insert->Bind(8, i);
        insert->Execute();
    }
    c->CommitTrans();
}

}  // namespace

std::string SmallAccount(const std::string& folder, int rows) {
    CreateDatabase(folder, "TKDATA_001_2024", kSmallAccountSqlite);
    FillSmallAccount(ConnectionText(folder), rows);
    return ConnectionText(folder);
}

void CreateDatabase(const Place& place, const std::string& name, const std::string& sqliteScript,
                    const std::string& postgresScript) {
    auto c = Open(place.Server());
    c->Execute("create database " + name);
    c->Execute("use " + name);
    c->ExecuteScript(place.backend() == Backend::Sqlite ? sqliteScript : postgresScript);
}

std::string SmallAccount(const Place& place, int rows) {
    CreateDatabase(place, "TKDATA_001_2024", kSmallAccountSqlite, kSmallAccountPostgres);
    FillSmallAccount(place.ConnectionText("TKDATA_001_2024"), rows);
    return place.ConnectionText("TKDATA_001_2024");
}

}  // namespace sovrel::test
