#pragma once
// The contact card over the host's real objects and the fixed demo account, opened from a
// loaded contact list; texts in the test language "keys", message boxes and choice dialogs
// answered from scripts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/context.h"
#include "common/logs.h"
#include "entry/icontact.h"
#include "host/choice.h"
#include "host/crm.h"
#include "host/register.h"
#include "host/session.h"
#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/password.h"
#include "schema/demo.h"
#include "ui/card/frm_contact_edit.h"
#include "ui/list/frm_contact_list.h"

namespace sovrel::test {

class CardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        host::RegisterHostObjects();
        RegisterComponentClasses();
        RegisterContactListWindow();
    }
    CardTest() {
        std::string pattern = (std::filesystem::temp_directory_path() / "sovrel-card-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
        account_ = schema::CreateFixedAccount(folder_, platform::PasswordCost::TestOnly).connectionText;
        loginTarget_ = folder_;
        SetLogDirectory(folder_);
        previousBox_ = host::SetMessageBoxPresenter([this](const host::MessageBoxRequest& r) {
            shown.push_back(r.prompt);
            styles.push_back(r.style);
            if (answers.empty()) return 1;
            const int a = answers.front();
            answers.pop_front();
            return a;
        });
        previousChoice_ = host::SetChoicePresenter([this](const host::ChoiceRequest&, platform::db::Rowset& rows) {
            ++choicesAsked;
            choiceRows = rows.RecordCount();
            return choice;
        });
    }
    ~CardTest() override {
        CloseAll();
        host::SetChoicePresenter(std::move(previousChoice_));
        host::SetMessageBoxPresenter(std::move(previousBox_));
        host::SetLanguageOverride("");
        SetLogDirectory("");
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // Closes the card and the list and logs out; a test may log in again after it.
    void CloseAll() {
        if (card) {
            answers.clear();
            card->close();
        }
        if (list) list->close();
        card = nullptr;
        list = nullptr;
        ResetContext();
        if (login) login->Logout();
        login.reset();
    }
    // The list as the portal embeds it, first page loaded, in the user's language (the list finds
    // its code column by its caption); from then on texts are their keys.
    void OpenList(const std::string& user = "demo", const std::string& vendorCode = "",
                  const std::string& vendorName = "") {
        login = host::LoginSession::Login(loginTarget_, user, {.password = std::string(schema::kDemoPassword)});
        Ctx().VendorCode = vendorCode;
        Ctx().VendorName = vendorName;
        host::SetLanguageOverride("");
        entry->Show(login, false, std::make_shared<platform::Object>(), std::make_shared<platform::Object>());
        list = dynamic_cast<frmContactList*>(Ctx().ListWindow.get());
        ASSERT_NE(list, nullptr);
        list->FormActivate();
        ASSERT_TRUE(list->LocateCodeColumn(codeColumn));
        host::SetLanguageOverride("keys");
    }
    // The shared card for mode and list row, shown (not modal) and active.
    void OpenCard(std::int16_t mode, std::int32_t row = 1) {
        card = &ContactCard();
        card->FormLoad();
        card->InitData(mode, codeColumn, row);
        card->show();
        QApplication::setActiveWindow(card);
        card->activateWindow();
        card->FormActivate();
        QApplication::processEvents();
    }
    QLineEdit* Line(const std::string& editor) const {
        auto* box = card->findChild<QWidget*>(QString::fromStdString(editor));
        return box ? box->findChild<QLineEdit*>("Text") : nullptr;
    }
    // The user clicks into the box, types and leaves it with Tab.
    void Type(const std::string& editor, const std::string& text, bool leave = true) {
        QLineEdit* line = Line(editor);
        ASSERT_NE(line, nullptr) << editor;
        line->setFocus();
        line->selectAll();
        // QTest types Latin-1 keys only; other characters arrive as a key event with just a text,
        // as an input method delivers them.
        for (const char32_t c : QString::fromStdString(text).toUcs4()) {
            if (c < 128) {
                QTest::keyClick(line, static_cast<char>(c));
                continue;
            }
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUcs4(&c, 1));
            QApplication::sendEvent(line, &press);
        }
        if (leave) QTest::keyClick(line, Qt::Key_Tab);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : card, key, modifiers);
    }
    std::string Value(const std::string& sql) const {
        platform::db::Connection db;
        db.Open(account_);
        auto rs = db.OpenRowset(sql);
        return rs->Eof() ? std::string("<none>") : rs->Get(0).ToText();
    }
    void Execute(const std::string& sql) const {
        platform::db::Connection db;
        db.Open(account_);
        db.Execute(sql);
    }
    // Work on another account (a database server's) instead of the folder's.
    void UseAccount(const std::string& connection) { account_ = loginTarget_ = connection; }
    const std::string& AccountText() const { return account_; }
    const std::string& TempFolder() const { return folder_; }
    std::string LastShown() const { return shown.empty() ? std::string() : shown.back(); }
    std::vector<bool> Moves() const {
        std::vector<bool> out;
        for (const char* k : {"First", "Previous", "Next", "Last"}) out.push_back(card->Tlb()->ButtonEnabled(k));
        return out;
    }

    std::shared_ptr<host::LoginSession> login;
    std::shared_ptr<IContact> entry = std::make_shared<IContact>();
    frmContactList* list = nullptr;
    frmContactEdit* card = nullptr;
    std::int16_t codeColumn = 0;
    std::vector<std::string> shown;
    std::vector<int> styles;
    std::deque<int> answers;
    long choice = -1, choicesAsked = 0, choiceRows = 0;

private:
    std::string folder_, account_, loginTarget_;
    host::MessageBoxPresenter previousBox_;
    host::ChoicePresenter previousChoice_;
};

}  // namespace sovrel::test
