#pragma once
// The data service on a fresh copy of the fixed demo account, with scripted host objects whose
// texts are their resource keys.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "../support/fakes.h"
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

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = (std::filesystem::temp_directory_path() / ("sovrel-svc-" + std::to_string(::getpid()) + "-" +
                                                            ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                     .string();
        std::filesystem::remove_all(folder);
        connection = schema::CreateFixedAccount(folder).connectionText;
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
        std::filesystem::remove_all(folder);
    }
    // A value of the account, read on a connection of its own.
    std::string Scalar(const std::string& sql) {
        platform::db::Connection c;
        c.Open(connection);
        auto rs = c.OpenRowset(sql);
        return rs->Eof() ? std::string("<none>") : rs->Get(0).ToText();
    }
    long Count(const std::string& from) { return std::stol(Scalar("SELECT count(*) FROM " + from)); }

    fakes::Host host;  // first: it empties the context on both ends
    std::string folder, connection;
    std::shared_ptr<ArchiveService> archive = std::make_shared<ArchiveService>();
    std::vector<std::unique_ptr<platform::ScopedRegistration>> registrations;
    std::shared_ptr<ClsCommon> service;
};

}  // namespace sovrel::test
