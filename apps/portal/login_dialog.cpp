#include "login_dialog.h"

#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "host/session.h"
#include "host/texts/text_table.h"
#include "platform/error.h"
#include "qt_translations.h"

namespace portal {

namespace {

constexpr const char* kUserKey = "login/user";
constexpr const char* kLanguageKey = "login/language";

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

LoginDialog::LoginDialog(LoginSetup setup, QSettings& settings, QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)), settings_(settings) {
    language_ = setup_.language.empty() ? StartLanguage(settings_, QLocale::system().name().toStdString())
                                        : setup_.language;
    if (language_ != "en-US" && language_ != "keys") language_ = "zh-CN";
    std::string user = setup_.user;
    if (user.empty()) user = settings_.value(kUserKey).toString().toStdString();
    if (user.empty()) user = "demo";

    setObjectName("frmLogin");
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(20, 18, 20, 16);
    root->setSpacing(12);

    auto* form = new QFormLayout;
    form->setHorizontalSpacing(14);
    form->setVerticalSpacing(8);
    user_ = new QLineEdit(Q(user), this);
    user_->setObjectName("txtUser");
    user_->setMaxLength(20);
    password_ = new QLineEdit(Q(setup_.password), this);
    password_->setObjectName("txtPassword");
    password_->setEchoMode(QLineEdit::Password);
    account_ = new QComboBox(this);
    account_->setObjectName("cboAccount");
    date_ = new QDateEdit(QDate::currentDate(), this);
    date_->setObjectName("dtpDate");
    date_->setDisplayFormat("yyyy-MM-dd");
    date_->setCalendarPopup(true);
    const std::pair<const char*, QWidget*> rows[] = {{"Hx.AA.LOGIN.User", user_},
                                                    {"Hx.AA.LOGIN.Password", password_},
                                                    {"Hx.AA.LOGIN.Account", account_},
                                                    {"Hx.AA.LOGIN.Date", date_}};
    for (const auto& [key, field] : rows) {
        auto* label = new QLabel(this);
        label->setObjectName("lbl" + field->objectName().mid(3));
        label->setBuddy(field);
        form->addRow(label, field);
        labels_.emplace_back(key, label);
    }
    root->addLayout(form);

    message_ = new QLabel(this);
    message_->setObjectName("lblMessage");
    message_->setWordWrap(true);
    message_->setStyleSheet("color:#b3261e;");
    message_->setMinimumWidth(360);
    message_->hide();
    root->addWidget(message_);

    ok_ = new QPushButton(this);
    ok_->setObjectName("cmdOk");
    ok_->setDefault(true);
    cancel_ = new QPushButton(this);
    cancel_->setObjectName("cmdCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    root->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, [this] { TryLogin(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    if (setup_.language.empty()) {
        connect(user_, &QLineEdit::editingFinished, this, [this] { FollowUser(); });
        FollowUser();
    }
    Retranslate();

    try {
        for (const auto& a : host::Accounts(setup_.system)) {
            account_->addItem(Q(a.id + "  " + a.name + "  " + std::to_string(a.year)),
                              QStringList{Q(a.id), QString::number(a.year)});
        }
    } catch (const platform::Error& e) {
        Refused(Q(host::texts::TextTable::For(language_).Format("Hx.AA.LOGIN.AccountsUnreadable", {e.Description()})));
    }
    // A filled-in password leaves nothing to type but Enter.
    (setup_.password.empty() ? static_cast<QWidget*>(password_) : ok_)->setFocus();
}

std::string LoginDialog::StartLanguage(const QSettings& settings, const std::string& localeName) {
    const std::string remembered = settings.value(kLanguageKey).toString().toStdString();
    if (!remembered.empty()) return remembered;
    return localeName.rfind("zh", 0) == 0 ? "zh-CN" : "en-US";
}

void LoginDialog::FollowUser() {
    const std::string language = host::UserLanguage(setup_.system, user_->text().toStdString());
    if (language.empty() || language == language_) return;
    language_ = language;
    Retranslate();
}

void LoginDialog::Retranslate() {
    UseQtTranslations(language_);
    date_->setLocale(QLocale());
    setWindowTitle(Text("Hx.AA.LOGIN.Title"));
    for (const auto& [key, label] : labels_) label->setText(Text(key));
    ok_->setText(Text("Hx.AA.LOGIN.Ok"));
    cancel_->setText(Text("Hx.AA.LOGIN.Cancel"));
}

QString LoginDialog::Text(const char* key) const { return Q(host::texts::TextTable::For(language_).Format(key)); }

void LoginDialog::Refused(const QString& message) {
    message_->setText(message);
    message_->show();
}

void LoginDialog::TryLogin() {
    host::LoginOptions options;
    options.password = password_->text().toStdString();
    options.date = date_->date().toString("yyyy-MM-dd").toStdString();
    if (const QStringList account = account_->currentData().toStringList(); account.size() == 2) {
        options.accountId = account[0].toStdString();
        options.year = account[1].toInt();
    }
    const std::string user = user_->text().trimmed().toStdString();
    // A refusal speaks the typed user's language, whether or not the box was left first.
    if (setup_.language.empty()) FollowUser();
    options.language = language_;
    try {
        session_ = host::LoginSession::Login(setup_.system, user, options);
    } catch (const platform::Error& e) {
        Refused(Q(e.Description()));
        password_->clear();
        password_->setFocus();
        return;
    }
    settings_.setValue(kUserKey, Q(session_->cUserId()));
    settings_.setValue(kLanguageKey, Q(session_->Language()));
    accept();
}

}  // namespace portal
