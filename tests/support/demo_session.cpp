#include "demo_session.h"

#include <stdlib.h>

#include <filesystem>

#include "common/logs.h"
#include "host/register.h"
#include "schema/schema.h"

namespace sovrel::test {

host::LoginOptions DemoPassword(host::LoginOptions options) {
    options.password = std::string(schema::kDemoPassword);
    return options;
}

DemoFolder::DemoFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sovrel-demo-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
    summary_ = schema::CreateFixedAccount(path_, platform::PasswordCost::TestOnly);
}

DemoFolder::~DemoFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string DemoFolder::systemText() const { return schema::SqliteConnectionText(path_, schema::kSystemDatabase); }

static std::unique_ptr<platform::db::Connection> OpenText(const std::string& text) {
    auto c = std::make_unique<platform::db::Connection>();
    c->Open(text);
    return c;
}

std::unique_ptr<platform::db::Connection> DemoFolder::System() const { return OpenText(systemText()); }
std::unique_ptr<platform::db::Connection> DemoFolder::Account() const { return OpenText(accountText()); }

std::string DemoFolder::SystemValue(const std::string& sql) const {
    auto rs = System()->OpenRowset(sql);
    return rs->Eof() ? std::string("<none>") : rs->Get(0).ToText();
}

ShownMessages::ShownMessages() {
    previous_ = host::SetMessageBoxPresenter([this](const host::MessageBoxRequest& r) {
        titles.push_back(r.title);
        prompts.push_back(r.prompt);
        return 1;
    });
}

ShownMessages::~ShownMessages() { host::SetMessageBoxPresenter(std::move(previous_)); }

DemoSession::DemoSession(const std::string& user) {
    SetLogDirectory(demo.path());
    LoginAs(user);
}

DemoSession::~DemoSession() {
    CloseList();
    if (login) login->Logout();
    SetLogDirectory("");
}

void DemoSession::RegisterAll() {
    host::RegisterHostObjects();
    RegisterComponentClasses();
    RegisterContactListWindow();
}

void DemoSession::LoginAs(const std::string& user) {
    if (login) login->Logout();
    login = host::LoginSession::Login(demo.path(), user, DemoPassword());
    Ctx().Login = login;
}

frmContactList* DemoSession::OpenList(const std::string& vendorCode, const std::string& vendorName,
                                      const std::string& columns) {
    Ctx().VendorCode = vendorCode;
    Ctx().VendorName = vendorName;
    entry->Show(login, false, std::make_shared<platform::Object>(), std::make_shared<platform::Object>());
    window = dynamic_cast<frmContactList*>(Ctx().ListWindow.get());
    if (!window) return nullptr;
    if (!columns.empty()) Ctx().ColumnInfo = columns;
    window->FormActivate();
    return window;
}

void DemoSession::CloseList() {
    if (window) window->close();
    window = nullptr;
    ResetContext();
}

std::vector<std::string> DemoSession::Column(long col) const {
    std::vector<std::string> out;
    for (long r = 1; r < window->Grid().Rows(); ++r) out.push_back(window->Grid().TextMatrix(r, col));
    return out;
}

long DemoSession::ColumnOf(const std::string& caption) const {
    for (long c = 0; c < window->Grid().Cols(); ++c)
        if (window->Grid().TextMatrix(0, c) == caption) return c;
    return -1;
}

}  // namespace sovrel::test
