#pragma once
// Small databases for the layer's own tests, on either backend.
#include <memory>
#include <string>

#include "backends.h"
#include "platform/db/connection.h"
#include "platform/db/rowset.h"

namespace sovrel::test {

// Creates database `name` at the place with tables written once in SQL Server's words.
void CreateDatabase(const Place& place, const std::string& name, const std::string& tables);

// The account the rowset tests use: table Contact (oid key, code unique, name, vendor, flag,
// birthday, amount, tkts row version) with `rows` rows, and table Vendor; answers its
// connection text.
std::string SmallAccount(const Place& place, int rows = 25);

std::shared_ptr<platform::db::Connection> Open(const std::string& connectionText);

// The small account of 25 contacts on the test's backend, opened.
class SmallAccountTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        SOVREL_SKIP_UNLESS_AVAILABLE(place);
        conn = Open(SmallAccount(place, 25));
    }
    long Count(const std::string& where = "1=1") {
        return conn->OpenRowset("SELECT count(*) AS n FROM Contact WHERE " + where)->Get(0).ToInt();
    }
    Place place{GetParam()};
    std::shared_ptr<platform::db::Connection> conn;
};

}  // namespace sovrel::test
