#pragma once
// Small databases for the layer's own tests, on either backend.
#include <memory>
#include <string>

#include "backends.h"
#include "platform/db/connection.h"

namespace sovrel::test {

// Creates database `name` at the place with tables written once in SQL Server's words.
void CreateDatabase(const Place& place, const std::string& name, const std::string& tables);

// The account the rowset tests use: table Contact (oid key, code unique, name, vendor, flag,
// birthday, amount, tkts row version) with `rows` rows, and table Vendor; answers its
// connection text.
std::string SmallAccount(const Place& place, int rows = 25);

std::shared_ptr<platform::db::Connection> Open(const std::string& connectionText);

}  // namespace sovrel::test
