#pragma once
// The contact card over the host's real objects and the fixed demo account, opened from a
// loaded contact list; texts in the test language "keys", message boxes and choice dialogs
// answered from scripts.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <deque>
#include <string>
#include <vector>

#include "demo_session.h"
#include "host/choice.h"
#include "platform/db/rowset.h"
#include "ui/card/frm_contact_edit.h"

namespace sovrel::test {

class CardTest : public DemoSessionTest {
protected:
    CardTest() {
        previousBox_ = host::SetMessageBoxPresenter([this](const host::MessageBoxRequest& r) {
            shown.push_back(r.prompt);
            styles.push_back(r.style);
            if (realBoxes) ShowRealBox(r.prompt);
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
    }

    // Closes the card and the list and logs out; a test may log in again after it.
    void CloseAll() {
        if (card) {
            answers.clear();
            card->close();
        }
        card = nullptr;
        CloseList();
        if (login) login->Logout();
        login.reset();
    }
    // The list as the portal embeds it, first page loaded, in the user's language (the list finds
    // its code column by its caption); from then on texts are their keys.
    void OpenList(const std::string& user = "demo", const std::string& vendorCode = "",
                  const std::string& vendorName = "") {
        if (login) login->Logout();
        login = host::LoginSession::Login(loginTarget_, user, DemoPassword());
        host::SetLanguageOverride("");
        ASSERT_NE(DemoSession::OpenList(vendorCode, vendorName), nullptr);
        ASSERT_TRUE(list->LocateCodeColumn(codeColumn));
        host::SetLanguageOverride("keys");
    }
    // The list row of the contact code, -1 for none.
    long RowOf(const std::string& code) const {
        for (long r = 1; r < list->Grid().Rows(); ++r)
            if (list->Grid().TextMatrix(r, codeColumn) == code) return r;
        return -1;
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
    // The user clicks the page's tab.
    void ClickTab(int index) {
        QTabBar* bar = card->SSTab1()->tabBar();
        ASSERT_TRUE(card->SSTab1()->isTabVisible(index)) << index;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        ASSERT_EQ(card->SSTab1()->currentIndex(), index);
    }
    // The card's box that has the focus ("?" for none); a reference box's line edit is its child.
    std::string FocusedBox() const {
        for (QWidget* w = QApplication::focusWidget(); w && w != card; w = w->parentWidget()) {
            const std::string name = w->objectName().toStdString();
            if (name.rfind("Edt", 0) == 0 || name.rfind("DTPicker", 0) == 0 || name.rfind("cbo", 0) == 0 || name == "ChkbMajor")
                return name;
        }
        return "?";
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
    const std::string& TempFolder() const { return demo.path(); }
    std::string LastShown() const { return shown.empty() ? std::string() : shown.back(); }
    std::vector<bool> Moves() const {
        std::vector<bool> out;
        for (const char* k : {"First", "Previous", "Next", "Last"}) out.push_back(card->Tlb()->ButtonEnabled(k));
        return out;
    }

    // A box that takes the focus from the card as a shown message does, then closes.
    static void ShowRealBox(const std::string& prompt) {
        QMessageBox box;
        box.setText(QString::fromStdString(prompt));
        box.show();
        QApplication::setActiveWindow(&box);
        box.activateWindow();
        box.setFocus();
        QApplication::processEvents();
        box.close();
    }

    frmContactList*& list = window;
    // Messages are real boxes that take the focus (answers still come from the script).
    bool realBoxes = false;
    frmContactEdit* card = nullptr;
    std::int16_t codeColumn = 0;
    std::vector<int> styles;
    std::deque<int> answers;
    long choice = -1, choicesAsked = 0, choiceRows = 0;

private:
    std::string account_ = demo.accountText(), loginTarget_ = demo.path();
    host::MessageBoxPresenter previousBox_;
    host::ChoicePresenter previousChoice_;
};

}  // namespace sovrel::test
