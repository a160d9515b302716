#pragma once
// The data service on a fresh copy of the fixed demo account, with scripted host objects whose
// texts are their resource keys.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "../support/fakes.h"
#include "backends.h"
#include "common/context.h"
#include "entry/icontact.h"
#include "platform/db/connection.h"
#include "schema/demo.h"
#include "service/clscommon.h"

namespace sovrel::test {

// Answers "referenced" for the values the test lists.
class ArchiveService : public IArchiveService {
public:
    std::vector<std::string> referenced;
    std::string connection;
    void Init(const std::string& cnn) override { connection = cnn; }
    bool CheckArchRefed(const platform::db::Value& value, const std::string&, const std::string&, std::string& message) override {
        for (const auto& r : referenced)
            if (r == value.ToText()) {
                message = "采购订单 PO2024000001";
                return false;
            }
        return true;
    }
};

// Runs on every backend: the account lives in a folder (SQLite) or on the test process's private
// server (PostgreSQL).
class ServiceTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        SOVREL_SKIP_UNLESS_AVAILABLE(place);
        connection = CreateFixedAccount(place);
        registrations.push_back(std::make_unique<platform::ScopedRegistration>(
            progid::IContact, [] { return std::make_shared<IContact>(); }));
        registrations.push_back(std::make_unique<platform::ScopedRegistration>(
            progid::ArchiveService, [this] { return archive; }));
        service = std::make_shared<ClsCommon>();
        std::string text = connection;
        service->Init(text);
    }
    void TearDown() override {
        service.reset();
        registrations.clear();
    }
    // A value of the account, read on a connection of its own.
    std::string Scalar(const std::string& sql) {
        platform::db::Connection c;
        c.Open(connection);
        auto rs = c.OpenRowset(sql);
        return rs->Eof() ? std::string("<none>") : rs->Get(0).ToText();
    }
    long Count(const std::string& from) { return std::stol(Scalar("SELECT count(*) FROM " + from)); }
    // Statements run on a connection of their own, as by another process.
    void Exec(const std::string& sql) {
        platform::db::Connection c;
        c.Open(connection);
        c.Execute(sql);
    }
    bool Add(std::string xml, std::string table = "Ven_Contact") { return service->Add(xml, table, msg); }
    bool Modify(std::string xml, std::string table = "Ven_Contact") { return service->Modify(xml, table, msg); }
    bool Delete(platform::db::Value id, std::string key = "cContactCode", std::string table = "Ven_Contact") {
        return service->Delete(id, key, table, msg);
    }

    fakes::Host host;  // first: it empties the context on both ends
    Place place{GetParam()};
    std::string connection;
    std::shared_ptr<ArchiveService> archive = std::make_shared<ArchiveService>();
    std::vector<std::unique_ptr<platform::ScopedRegistration>> registrations;
    std::shared_ptr<ClsCommon> service;
    std::string msg;  // the last operation's message
};

}  // namespace sovrel::test
