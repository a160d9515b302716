#pragma once
// The host tests' demo account: the fixed demo account in a folder of its own, connections to
// its two databases, and a capture of what the host shows the user.
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/crm.h"
#include "host/presenter.h"
#include "host/session.h"
#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "schema/demo.h"
#include "schema/schema.h"

namespace host::test {

// Options that log a demo user in: the demo account's password, the rest as given.
inline LoginOptions DemoPassword(LoginOptions options = {}) {
    options.password = std::string(schema::kDemoPassword);
    return options;
}

class DemoFolder {
public:
    DemoFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "sovrel-host-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
        summary_ = schema::CreateFixedAccount(path_, platform::PasswordCost::TestOnly);
    }
    ~DemoFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    DemoFolder(const DemoFolder&) = delete;
    DemoFolder& operator=(const DemoFolder&) = delete;

    const std::string& path() const { return path_; }
    const std::string& accountText() const { return summary_.connectionText; }
    std::string systemText() const { return schema::SqliteConnectionText(path_, schema::kSystemDatabase); }

    std::unique_ptr<platform::db::Connection> System() const { return OpenText(systemText()); }
    std::unique_ptr<platform::db::Connection> Account() const { return OpenText(accountText()); }

    // The only value of a one-value query on the system database.
    std::string SystemValue(const std::string& sql) const {
        auto rs = System()->OpenRowset(sql);
        return rs->Eof() ? std::string("<none>") : rs->Get(0).ToText();
    }

private:
    static std::unique_ptr<platform::db::Connection> OpenText(const std::string& text) {
        auto c = std::make_unique<platform::db::Connection>();
        c->Open(text);
        return c;
    }
    std::string path_;
    schema::DemoSummary summary_;
};

// Collects what the host shows while it lives.
class ShownMessages {
public:
    ShownMessages() {
        previous_ = SetMessageBoxPresenter([this](const MessageBoxRequest& r) {
            shown_.emplace_back(r.title, r.prompt);
            return 1;
        });
    }
    ~ShownMessages() { SetMessageBoxPresenter(std::move(previous_)); }
    const std::vector<std::pair<std::string, std::string>>& all() const { return shown_; }
    std::string last() const { return shown_.empty() ? std::string() : shown_.back().second; }

private:
    std::vector<std::pair<std::string, std::string>> shown_;
    MessageBoxPresenter previous_;
};

}  // namespace host::test
