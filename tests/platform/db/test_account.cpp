#include "test_account.h"

#include "schema/ddl.h"

namespace sovrel::test {

std::shared_ptr<platform::db::Connection> Open(const std::string& connectionText) {
    auto c = std::make_shared<platform::db::Connection>();
    c->Open(connectionText);
    return c;
}

void CreateDatabase(const Place& place, const std::string& name, const std::string& tables) {
    auto c = Open(place.Server());
    c->Execute("create database " + name);
    c->Execute("use " + name);
    c->ExecuteScript(schema::BackendDdl(
        tables, place.backend() == Backend::Sqlite ? schema::Backend::Sqlite : schema::Backend::Postgres));
}

std::string SmallAccount(const Place& place, int rows) {
    CreateDatabase(place, "TKDATA_001_2024", R"sql(
        CREATE TABLE Contact (
            oid        nvarchar(38) NOT NULL PRIMARY KEY,
            cCode      nvarchar(20) NOT NULL UNIQUE,
            cName      nvarchar(10) NOT NULL,
            cVenCode   nvarchar(20),
            bMajor     bit,
            dBirthday  datetime,
            nAmount    money,
            nRate      decimal(10,3),
            iCount     smallint,
            cMemo      ntext,
            tkts       timestamp
        );
        CREATE TABLE Vendor (
            cVenCode   nvarchar(20) PRIMARY KEY,
            cVenName   nvarchar(98)
        );
        INSERT INTO Vendor VALUES ('V01', '北京华信'), ('V02', 'Acme Trading');
    )sql");
    const std::string text = place.ConnectionText("TKDATA_001_2024");
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
    return text;
}

}  // namespace sovrel::test
