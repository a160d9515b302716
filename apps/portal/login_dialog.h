#pragma once
// The portal's login dialog: user, password, account and login date. It speaks the chosen
// language, else that of the last user who logged in on this machine, else the locale's, and
// turns to the typed user's own language once the user is known. It logs the user in itself,
// shows a refusal in place (the password is cleared for the next try), and remembers the last
// user and that user's language for the next start.
#include <QDialog>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QSettings;

namespace host {
class LoginSession;
}

namespace portal {

struct LoginSetup {
    std::string system;    // data folder or connection text of the system database
    std::string language;  // of the dialog, kept whoever is typed; empty: as the user typed says
    std::string user;      // empty: the remembered user, else demo
    std::string password;  // filled in for the embedded demo account only
};

class LoginDialog final : public QDialog {
public:
    // settings keeps the last user ("login/user") and language ("login/language").
    LoginDialog(LoginSetup setup, QSettings& settings, QWidget* parent = nullptr);

    // The login made by the last successful try; nullptr until then.
    std::shared_ptr<host::LoginSession> Session() const { return session_; }
    const std::string& Language() const { return language_; }

    // The dialog's language for nobody known yet: the remembered one, else the locale's (localeName
    // as QLocale names it, "zh_CN").
    static std::string StartLanguage(const QSettings& settings, const std::string& localeName);

private:
    // Turns the dialog to the language of the user in the user box, when that user is known.
    void FollowUser();
    void Retranslate();
    void TryLogin();
    void Refused(const QString& message);
    QString Text(const char* key) const;

    LoginSetup setup_;
    QSettings& settings_;
    std::string language_;
    std::shared_ptr<host::LoginSession> session_;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QComboBox* account_ = nullptr;
    QDateEdit* date_ = nullptr;
    QLabel* message_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    std::vector<std::pair<const char*, QLabel*>> labels_;
};

}  // namespace portal
