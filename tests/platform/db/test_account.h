#pragma once
// A throw-away folder with small SQLite databases for the layer's own tests.
#include <memory>
#include <string>

#include "backends.h"
#include "platform/db/connection.h"

namespace sovrel::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Creates database `name` in folder with the native script run on it.
void CreateDatabase(const std::string& folder, const std::string& name, const std::string& script);

// The account the rowset tests use: table Contact (oid key, code unique, name, vendor, flag,
// birthday, amount, tkts row version bumped by triggers) with `rows` rows, and table Vendor.
std::string SmallAccount(const std::string& folder, int rows = 25);

// The same database at a place of either backend, with the backend's script; answers the
// account's connection text.
void CreateDatabase(const Place& place, const std::string& name, const std::string& sqliteScript,
                    const std::string& postgresScript);
std::string SmallAccount(const Place& place, int rows = 25);

std::string ConnectionText(const std::string& folder, const std::string& catalog = "TKDATA_001_2024");

std::shared_ptr<platform::db::Connection> Open(const std::string& connectionText);

}  // namespace sovrel::test
