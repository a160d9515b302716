// The portal's login dialog as a user meets it, off screen, in both languages.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLocale>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include "../../host/controls/qt_app.h"
#include "demo_session.h"
#include "host/texts/text_table.h"
#include "login_dialog.h"
#include "qt_translations.h"

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
    auto* user = Child<QLineEdit>(dialog, "txtUser");
    auto* password = Child<QLineEdit>(dialog, "txtPassword");
    auto* account = Child<QComboBox>(dialog, "cboAccount");
    auto* ok = Child<QPushButton>(dialog, "cmdOk");
    auto* message = Child<QLabel>(dialog, "lblMessage");
    ASSERT_TRUE(label && user && password && account && ok && message);
    EXPECT_EQ(label->text().toStdString(), Text(language, "Hx.AA.LOGIN.Password"));
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

// Nobody chose a language: the dialog starts in the remembered one, else the locale's, and turns
// to the typed user's own when the box is left or the login is tried, refusals included.
TEST(LoginDialogLanguageTest, followsTheLastUserTheLocaleAndTheTypedUser) {
    host::test::TestApp();
    sovrel::test::DemoFolder demo;
    QSettings settings(QString::fromStdString(demo.path() + "/portal.ini"), QSettings::IniFormat);
    EXPECT_EQ(LoginDialog::StartLanguage(settings, "en_US"), "en-US");
    EXPECT_EQ(LoginDialog::StartLanguage(settings, "zh_CN"), "zh-CN");
    EXPECT_EQ(LoginDialog::StartLanguage(settings, "C"), "en-US");
    settings.setValue("login/language", "zh-CN");
    EXPECT_EQ(LoginDialog::StartLanguage(settings, "en_US"), "zh-CN");  // the last user's, whatever the locale

    settings.setValue("login/user", "demo_en");
    settings.setValue("login/language", "");
    LoginDialog dialog({demo.path(), "", "", ""}, settings);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.activateWindow();
    EXPECT_EQ(dialog.Language(), "en-US");  // the remembered user's own
    EXPECT_EQ(dialog.windowTitle().toStdString(), Text("en-US", "Hx.AA.LOGIN.Title"));
    auto* user = dialog.findChild<QLineEdit*>("txtUser");
    auto* password = dialog.findChild<QLineEdit*>("txtPassword");
    auto* ok = dialog.findChild<QPushButton*>("cmdOk");
    auto* message = dialog.findChild<QLabel*>("lblMessage");
    ASSERT_TRUE(user && password && ok && message);
    const struct {
        const char* typed;
        bool leave;  // Tab out of the box before the login is tried
        const char* language;
    } cases[] = {{"demo", true, "zh-CN"}, {"demo_en", false, "en-US"}, {"nobody", true, "en-US"}, {"limited", false, "zh-CN"}};
    for (const auto& c : cases) {
        user->clear();
        user->setFocus();
        QTest::keyClicks(user, c.typed);
        if (c.leave) {
            QTest::keyClick(user, Qt::Key_Tab);
            EXPECT_EQ(dialog.Language(), c.language) << c.typed;
            EXPECT_EQ(dialog.findChild<QLabel*>("lblPassword")->text().toStdString(), Text(c.language, "Hx.AA.LOGIN.Password"));
        }
        password->setText("wrong");
        ok->click();
        EXPECT_EQ(dialog.Language(), c.language) << c.typed;
        EXPECT_EQ(ok->text().toStdString(), Text(c.language, "Hx.AA.LOGIN.Ok")) << c.typed;
        const std::string refusal = std::string(c.typed) == "nobody"
                                        ? Text(c.language, "Hx.AA.LOGIN.UnknownUser", {"nobody"})
                                        : Text(c.language, "Hx.AA.LOGIN.WrongPassword", {c.typed, "4"});
        EXPECT_EQ(message->text().toStdString(), refusal) << c.typed;
    }
}

// Qt's own texts (a standard button, the calendar's month names) follow the user's language.
TEST(QtTranslationsTest, standardButtonsAndTheCalendarSpeakTheUsersLanguage) {
    host::test::TestApp();
    for (const auto& [language, cancel, month] :
         {std::tuple{"zh-CN", "取消", "一月"}, std::tuple{"en-US", "Cancel", "January"}, std::tuple{"zh-CN", "取消", "一月"}}) {
        ASSERT_TRUE(UseQtTranslations(language)) << language;
        QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().remove('&').toStdString(), cancel) << language;
        EXPECT_EQ(QLocale().standaloneMonthName(1).toStdString(), month) << language;
    }
    UseQtTranslations("en-US");
}

INSTANTIATE_TEST_SUITE_P(Languages, LoginDialogTest, ::testing::Values("zh-CN", "en-US"),
                         [](const auto& info) { return info.param == "zh-CN" ? std::string("zh") : std::string("en"); });

}  // namespace
}  // namespace portal
