// The list's ways into the other windows, driven as a clerk does: help, the contact overview and
// the send-mail window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <filesystem>
#include <fstream>

#include "common/host_objects.h"
#include "common/hosts/text_service.h"
#include "demo_session.h"
#include "host/config.h"
#include "host/texts/text_table.h"
#include "ui/help_window.h"

namespace sovrel::test {
namespace {

class DoorsTest : public DemoSessionTest {
protected:
    void Open(const std::string& user) {
        LoginAs(user);
        ASSERT_NE(OpenList(), nullptr);
        ASSERT_TRUE(window->DataLoaded());
        window->show();
        QApplication::setActiveWindow(window);
        window->activateWindow();
    }
    QAction* ToolbarAction(const char* key) const { return window->findChild<QToolBar*>()->findChild<QAction*>(key); }
    void ClickToolbar(const char* key) const {
        QAction* action = ToolbarAction(key);
        ASSERT_NE(action, nullptr) << key;
        auto* button = qobject_cast<QToolButton*>(window->findChild<QToolBar*>()->widgetForAction(action));
        ASSERT_NE(button, nullptr) << key;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // The top-level window named name that is on screen; null when none.
    static QWidget* Shown(const char* name) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == name && w->isVisible()) return w;
        return nullptr;
    }
    void MarkRow(long row) const {
        window->Grid().SetRow(row);
        window->Grid().SetTextMatrix(row, 1, "\u221A");
    }
};

// F1, the toolbar's Help and the menu's Help open one help window over the list, at the list's
// page in the user's language, found beside the program as the host names it.
TEST_F(DoorsTest, HelpOpensTheListsPageInTheUsersLanguage) {
    for (const auto& [user, folder, title] : {std::tuple{"demo_en", "en-US", "Vendor Contacts"},
                                              std::tuple{"demo", "zh-CN", "供应商联系人档案"}}) {
        Open(user);
        QTest::keyClick(window, Qt::Key_F1);
        auto* help = window->findChild<HelpWindow*>("frmHelp");
        ASSERT_NE(help, nullptr) << user;
        EXPECT_TRUE(help->isVisible());
        const QFileInfo page(help->Browser().source().toLocalFile());
        EXPECT_EQ(page.fileName().toStdString(), "frmContactList.html") << user;
        EXPECT_EQ(page.dir().dirName().toStdString(), folder);
        EXPECT_EQ(help->Browser().documentTitle().toStdString(), title);
        // A link away, then the toolbar's Help brings the same window back to the list's page.
        help->Browser().setSource(QUrl::fromLocalFile(page.dir().filePath("frmSendSMS.html")));
        ClickToolbar("Help");
        window->findChild<QAction*>("mHelp")->trigger();
        EXPECT_EQ(window->findChildren<HelpWindow*>().size(), 1);
        EXPECT_EQ(QFileInfo(help->Browser().source().toLocalFile()).fileName().toStdString(), "frmContactList.html");
        help->close();
        CloseList();
    }
}

// Every window that asks for help has its own page in both languages, with the commands the
// window's help context names.
TEST_F(DoorsTest, EveryWindowHasItsOwnHelpPageInBothLanguages) {
    LoginAs("demo");
    const std::string contents = CrmCommonSvc().GetHelpFile();
    for (const char* language : {"zh-CN", "en-US"})
        for (const char* name : {"frmContactList", "frmContactEdit", "frmItemSet", "frmUIChart", "frmSendEMail", "frmSendSMS"}) {
            const std::string index = std::filesystem::path(contents).parent_path().parent_path() / language / "index.html";
            const std::string page = HelpPage(index, helpcmd::Context, 90100302, name);
            EXPECT_EQ(std::filesystem::path(page).filename().string(), std::string(name) + ".html") << language;
            std::ifstream in(page);
            const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_NE(html.find("<table"), std::string::npos) << language << " " << name;
        }
    // A window without a page of its own opens the page of its context, else the contents.
    const std::string index = std::filesystem::path(contents).parent_path().parent_path() / "en-US" / "index.html";
    EXPECT_EQ(std::filesystem::path(HelpPage(index, helpcmd::Context, 90100189, "frmOther")).filename(), "frmSendEMail.html");
    EXPECT_EQ(std::filesystem::path(HelpPage(index, helpcmd::DisplayTopic, 0, "frmOther")).filename(), "index.html");
    EXPECT_EQ(HelpPage("/no/such/help/index.html", helpcmd::Context, 1, "frmContactList"), "");
}

// The toolbar's Overview button and the menu's Contact Overview show the current contact.
TEST_F(DoorsTest, TheOverviewOpensFromTheToolbarAndTheMenu) {
    Open("demo_en");
    ASSERT_NE(ToolbarAction("General"), nullptr);
    EXPECT_EQ(ToolbarAction("General")->text().toStdString(), "Overview");
    ASSERT_NE(window->findChild<QAction*>("mCRMGenerals"), nullptr);
    EXPECT_EQ(window->findChild<QAction*>("mCRMGenerals")->text().toStdString(), "Contact Overview");
    window->Grid().SetRow(2);
    ClickToolbar("General");
    QWidget* overview = Shown("frmGenerals");
    ASSERT_NE(overview, nullptr) << (shown.empty() ? "" : shown.back());
    EXPECT_NE(overview->windowTitle().toStdString().find("V0100000002"), std::string::npos);
    overview->close();
    window->Grid().SetRow(3);
    window->findChild<QAction*>("mCRMGenerals")->trigger();
    overview = Shown("frmGenerals");
    ASSERT_NE(overview, nullptr);
    EXPECT_NE(overview->windowTitle().toStdString().find("V0100000003"), std::string::npos);
    overview->close();
}

// Every control of the list that the texts name (labels, buttons, menus and their items) shows
// that text in the user's language.
TEST_F(DoorsTest, EveryControlTheTextsNameShowsItsTextInTheUsersLanguage) {
    const std::string prefix = "Hx.CRM.TkContactUI.frmContactList.";
    for (const auto& [user, language] : {std::pair{"demo_en", "en-US"}, std::pair{"demo", "zh-CN"}}) {
        Open(user);
        const auto& table = host::texts::TextTable::For(language);
        int controls = 0;
        for (const std::string& key : table.Keys()) {
            const std::string control = key.starts_with(prefix) ? key.substr(prefix.size()) : "";
            if (control.empty() || control.find('.') != std::string::npos) continue;
            QString shown = "(no control)";
            for (QObject* o : window->findChildren<QObject*>(QString::fromStdString(control))) {
                if (auto* label = qobject_cast<QLabel*>(o)) shown = label->text();
                else if (auto* button = qobject_cast<QAbstractButton*>(o)) shown = button->text();
                else if (auto* menu = qobject_cast<QMenu*>(o)) shown = menu->title();
                else if (auto* item = qobject_cast<QAction*>(o)) shown = item->text().section('\t', 0, 0);
                else continue;
                break;
            }
            EXPECT_EQ(shown.toStdString(), *table.Get(key)) << user << " " << control;
            ++controls;
        }
        EXPECT_GT(controls, 30) << user;
        CloseList();
    }
}

// The window options and the locate settings carry the list's title in the user's language.
TEST_F(DoorsTest, OptionsAndLocateSettingsAreTitledInTheUsersLanguage) {
    for (const auto& [user, title] : {std::pair{"demo_en", "Vendor Contacts"}, std::pair{"demo", "联系人档案"}}) {
        Open(user);
        for (const char* item : {"mStb", "mFindset"}) {
            std::string seen;
            QTimer::singleShot(50, [&] {
                if (QWidget* dialog = QApplication::activeModalWidget()) {
                    seen = dialog->windowTitle().toStdString();
                    dialog->close();
                }
            });
            window->findChild<QAction*>(item)->trigger();
            EXPECT_NE(seen.find(title), std::string::npos) << user << " " << item << ": " << seen;
            EXPECT_EQ(seen.find(std::string(user) == "demo_en" ? "联系" : "Vendor"), std::string::npos) << seen;
        }
        CloseList();
    }
}

// With an SMTP server the list's E-mail opens the send-mail window addressed to the marked
// contacts (the window, or the user's choice, as mail.list says); without one, and with
// mail.list "program", the mail program gets the addresses.
TEST_F(DoorsTest, EmailOpensTheSendMailWindowWhenSmtpIsSetElseTheMailProgram) {
    Open("demo_en");
    const auto dir = std::filesystem::path(demo.path());
    const std::string got = (dir / "mail-program.txt").string();
    auto admin = host::LoginSession::Login(demo.path(), "demo", DemoPassword());  // settings are an administrator's
    const auto script = dir / "mailer";
    std::ofstream(script) << "#!/bin/sh\nprintf %s \"$1\" > " << got << "\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    host::SaveSetting(*admin, "mail.command", script.string() + " %a");
    int answer = 0;  // to the question, when asked
    std::vector<std::string> asked;
    auto previous = host::SetMessageBoxPresenter([&](const host::MessageBoxRequest& r) {
        asked.push_back(r.prompt);
        return answer;
    });
    struct Case {
        const char* server;
        const char* route;
        int answer;  // 0: no question
        bool window;
    } cases[] = {
        {"", "", 0, false},
        {"smtp.example.invalid", "", 0, true},
        {"smtp.example.invalid", "program", 0, false},
        {"smtp.example.invalid", "ask", msgbox::Yes, true},
        {"smtp.example.invalid", "ask", msgbox::No, false},
    };
    for (const auto& c : cases) {
        const std::string name = std::string(c.server) + "/" + c.route;
        host::SaveSetting(*admin, "smtp.server", c.server);
        host::SaveSetting(*admin, "mail.list", c.route);
        std::filesystem::remove(got);
        asked.clear();
        answer = c.answer;
        MarkRow(1);
        MarkRow(5);
        std::string addressed;
        bool opened = false;
        QTimer::singleShot(50, [&] {
            if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                box && box->objectName() == "frmSendEMail") {
                opened = true;
                addressed = box->findChild<QLineEdit*>("txtAddressed")->text().toStdString();
                box->close();
            }
        });
        ClickToolbar("SendMail");
        EXPECT_EQ(opened, c.window) << name;
        EXPECT_EQ(asked.size(), c.answer ? 1u : 0u) << name;
        for (int i = 0; i < 100 && !c.window && !std::filesystem::exists(got); ++i) QTest::qWait(20);  // it runs on its own
        std::ifstream in(got);
        std::string program;
        std::getline(in, program);
        const std::string expected = "zhang.wei@hdem.com.cn;anna.schmidt@nordwind-supplies.de";  // rows 1 and 5
        EXPECT_EQ(c.window ? addressed : program, expected) << name;
        EXPECT_EQ(c.window ? program : addressed, "") << name;
    }
    host::SetMessageBoxPresenter(previous);
    admin->Logout();
}

// The list's SMS opens the send-SMS window addressed to the current contact's mobile.
TEST_F(DoorsTest, SmsOpensTheSendSmsWindowAtTheCurrentContactsMobile) {
    Open("demo_en");
    window->Grid().SetRow(2);
    std::string addressed = "<no window>";
    QTimer::singleShot(50, [&] {
        if (QWidget* box = QApplication::activeModalWidget(); box && box->objectName() == "frmSendSMS") {
            addressed = box->findChild<QWidget*>("txtMobilePhone")->findChild<QLineEdit*>("Text")->text().toStdString();
            box->close();
        }
    });
    ClickToolbar("SendMsg");
    EXPECT_EQ(addressed, "13812340002");  // 李娜's
}

}  // namespace
}  // namespace sovrel::test
