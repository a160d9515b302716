// The portal's login dialog as a user meets it, off screen, in both languages.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include "../../host/controls/qt_app.h"
#include "demo_session.h"
#include "host/texts/text_table.h"
#include "login_dialog.h"

namespace portal {
namespace {

std::string Text(const std::string& language, const char* key, const std::vector<std::string>& params = {}) {
    return host::texts::TextTable::For(language).Format(key, params);
}

class LoginDialogTest : public ::testing::TestWithParam<std::string> {
protected:
    LoginDialogTest() { host::test::TestApp(); }
    template <class T>
    static T* Child(const LoginDialog& d, const char* name) {
        auto* w = d.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    sovrel::test::DemoFolder demo;
    const std::string folder_ = demo.path();
    QSettings settings_{QString::fromStdString(folder_ + "/portal.ini"), QSettings::IniFormat};
};

TEST_P(LoginDialogTest, speaksTheLanguageRefusesInPlaceAndRemembersTheUser) {
    const std::string language = GetParam();
    LoginDialog dialog({folder_, language, "", ""}, settings_);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle().toStdString(), Text(language, "Hx.AA.LOGIN.Title"));
    auto* label = Child<QLabel>(dialog, "lblPassword");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text().toStdString(), Text(language, "Hx.AA.LOGIN.Password"));
    auto* user = Child<QLineEdit>(dialog, "txtUser");
    auto* password = Child<QLineEdit>(dialog, "txtPassword");
    auto* account = Child<QComboBox>(dialog, "cboAccount");
    auto* ok = Child<QPushButton>(dialog, "cmdOk");
    auto* message = Child<QLabel>(dialog, "lblMessage");
    ASSERT_TRUE(user && password && account && ok && message);
    EXPECT_EQ(user->text(), "demo");  // nobody remembered yet
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_EQ(account->count(), 1);

    password->setText("wrong");
    ok->click();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Session(), nullptr);
    EXPECT_TRUE(message->isVisibleTo(&dialog));
    EXPECT_EQ(message->text().toStdString(), Text(language, "Hx.AA.LOGIN.WrongPassword", {"demo", "4"}));
    EXPECT_EQ(password->text(), "");

    user->setText(" DEMO_EN ");
    password->setText(QString::fromStdString(std::string(schema::kDemoPassword)));
    ok->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_NE(dialog.Session(), nullptr);
    EXPECT_EQ(dialog.Session()->cUserId(), "demo_en");
    EXPECT_EQ(dialog.Session()->AccountId(), "001");
    dialog.Session()->Logout();

    // The next start offers the last user, in that user's language unless one is chosen.
    LoginDialog next({folder_, "", "", ""}, settings_);
    EXPECT_EQ(Child<QLineEdit>(next, "txtUser")->text(), "demo_en");
    EXPECT_EQ(next.Language(), "en-US");
    LoginDialog chosen({folder_, language, "limited", ""}, settings_);
    EXPECT_EQ(Child<QLineEdit>(chosen, "txtUser")->text(), "limited");
    EXPECT_EQ(chosen.Language(), language);
}

TEST_P(LoginDialogTest, aFilledInDemoPasswordLogsInWithEnter) {
    const std::string language = GetParam();
    LoginDialog dialog({folder_, language, "", std::string(schema::kDemoPassword)}, settings_);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Return);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Session()->cUserId(), "demo");
    dialog.Session()->Logout();
}

INSTANTIATE_TEST_SUITE_P(Languages, LoginDialogTest, ::testing::Values("zh-CN", "en-US"),
                         [](const auto& info) { return info.param == "zh-CN" ? std::string("zh") : std::string("en"); });

}  // namespace
}  // namespace portal
