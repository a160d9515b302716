#pragma once
// The fixed demo account in a temporary folder of its own, a demo user logged in as the portal
// does it, what the host shows that user collected, and the contact list opened on it.
#include <gtest/gtest.h>

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "common/context.h"
#include "common/form.h"
#include "entry/icontact.h"
#include "host/crm.h"
#include "host/session.h"
#include "platform/db/connection.h"
#include "schema/demo.h"
#include "ui/list/frm_contact_list.h"

namespace sovrel::test {

// A window that only keeps what it is told.
class FormStub : public IForm {
public:
    explicit FormStub(std::string name = "frmContactList") : name_(std::move(name)) {}
    std::string Name() const override { return name_; }
    void BringToFront() override {}
    void ShowModal() override { calls += "modal;"; }
    void ShowModeless() override { calls += "modeless;"; }
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& c) override { caption = c; }

    std::string caption = "unchanged", calls;

private:
    std::string name_;
};

// The same as a widget, for code that puts its dialogs over the window.
class WidgetFormStub : public QWidget, public FormStub {
public:
    using FormStub::FormStub;
};

// Options that log a demo user in: the demo account's password, the rest as given.
host::LoginOptions DemoPassword(host::LoginOptions options = {});

class DemoFolder {
public:
    DemoFolder();
    ~DemoFolder();
    DemoFolder(const DemoFolder&) = delete;
    DemoFolder& operator=(const DemoFolder&) = delete;

    const std::string& path() const { return path_; }
    const std::string& accountText() const { return summary_.connectionText; }
    std::string systemText() const;
    std::unique_ptr<platform::db::Connection> System() const;
    std::unique_ptr<platform::db::Connection> Account() const;
    // The only value of a one-value query on the system database ("<none>" without a row).
    std::string SystemValue(const std::string& sql) const;

private:
    std::string path_;
    schema::DemoSummary summary_;
};

// Collects what the host shows while it lives, and answers every message with its first button.
class ShownMessages {
public:
    ShownMessages();
    ~ShownMessages();
    ShownMessages(const ShownMessages&) = delete;
    ShownMessages& operator=(const ShownMessages&) = delete;
    std::string last() const { return prompts.empty() ? std::string() : prompts.back(); }

    std::vector<std::string> prompts, titles;  // oldest first

private:
    host::MessageBoxPresenter previous_;
};

// The log directory points into the folder while the session lives. Usable outside a test.
class DemoSession {
public:
    explicit DemoSession(const std::string& user = "demo");
    ~DemoSession();
    // Registers what the host and the component create by name (once per program is enough).
    static void RegisterAll();
    // Logs the current user out and user in; the login is the thread's.
    void LoginAs(const std::string& user);
    // Opens the list as the portal embeds it (modeless) and loads its first page; columns, when
    // given, stand for the user's column settings. Null when no list window opened.
    frmContactList* OpenList(const std::string& vendorCode = "", const std::string& vendorName = "",
                             const std::string& columns = "");
    // Closes the list and forgets the thread's context.
    void CloseList();
    // The open list's column col below its header; the column under caption, -1 for none.
    std::vector<std::string> Column(long col) const;
    long ColumnOf(const std::string& caption) const;

    DemoFolder demo;
    ShownMessages messages;
    std::vector<std::string>& shown = messages.prompts;
    std::shared_ptr<host::LoginSession> login;
    std::shared_ptr<IContact> entry = std::make_shared<IContact>();
    frmContactList* window = nullptr;
};

class DemoSessionTest : public ::testing::Test, public DemoSession {
protected:
    static void SetUpTestSuite() { RegisterAll(); }
};

}  // namespace sovrel::test
