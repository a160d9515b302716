#pragma once
// The portal's login, business and function-right objects, on the system database "tksystem".
//
// A login reads its user from UA_User, checks the password against the user's Argon2id hash,
// picks an account year from UA_Account, and records itself in UA_Login (machine, process, time)
// so that its record locks can be traced back to it. Wrong passwords in a row are counted in
// UA_User, so every process sees the same count and hold; each refusal is written to
// UA_LoginLog. Rights come from UA_FuncRight each time they are asked, so a grant or a
// withdrawal counts at once.
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/hosts/login.h"
#include "host/language_source.h"
#include "platform/password.h"

namespace host {

// Number of the platform::Error a refused login throws.
inline constexpr long kLoginRefused = -2147220991;  // 0x80040201
// Number of the platform::Error thrown for an administrator's work asked by a login without the
// administration right (schema::kAdministrationFunction); its description is the host's
// no-right message.
inline constexpr long kNoAdministrationRight = -2147220990;  // 0x80040202

struct LoginOptions {
    std::string password;   // the user's password
    std::string accountId;  // three characters; empty: the first account
    int year = 0;           // 0: the account's latest year
    std::string date;       // login date; empty: today
    std::string language;   // of a refusal; empty: the language override, else the user's own
};

// Wrong passwords in a row after which a user is held.
inline constexpr int kTriesBeforeHold = 5;
// How long a user is held (a minute unless set; process-wide, for tests that cannot wait).
void SetLoginHold(std::chrono::seconds hold);
std::chrono::seconds LoginHold();

// An account year a user may log in to.
struct AccountChoice {
    std::string id, name;
    int year = 0;
};
// The account years of the system database (a data folder or a connection text, as for Login),
// by account and latest year first. Throws platform::Error when the database cannot be read.
std::vector<AccountChoice> Accounts(const std::string& systemDatabase);
// The language of user userId (trimmed, as Login finds it) in the system database; "" when there
// is no such user or the database cannot be read: a login dialog then keeps the language it has.
std::string UserLanguage(const std::string& systemDatabase, const std::string& userId);

class LoginSession final : public sovrel::ILogin, public ILanguageSource {
public:
    // Logs userId in. systemDatabase is a data folder (which holds tksystem.db) or the connection
    // text of the system database or of any database beside it. Throws platform::Error number
    // kLoginRefused for an unknown or disabled user, a user without a password, a wrong or
    // missing password, a held user, an unknown account or year, or a date that is not a date;
    // other platform::Errors when the database cannot be
    // reached. A refusal's description is in the language options.language names (see
    // LoginOptions) and is written to UA_LoginLog. The new session becomes this process's
    // current login.
    static std::shared_ptr<LoginSession> Login(const std::string& systemDatabase, const std::string& userId,
                                               const LoginOptions& options = {});
    ~LoginSession() override;
    LoginSession(const LoginSession&) = delete;
    LoginSession& operator=(const LoginSession&) = delete;

    std::string cUserId() const override { return userId_; }
    std::string cUserName() const override { return userName_; }
    std::string tkDBName() const override { return accountConnection_; }
    std::string CurDate() const override { return date_; }
    std::string cEmployeeId() const override { return employeeId_; }
    // True when the user holds functionCode in UA_FuncRight. A refusal (or a database failure,
    // which also refuses) leaves its explanation in ShareString. lockFlag is kept as given
    // (LastLockFlag): the rights themselves do not depend on it.
    bool TaskExec(std::string& functionCode, int& lockFlag) override;
    std::string ShareString() const override;

    // "zh-CN", "en-US" or "keys" (UA_User.cLanguage); the host's text service asks for it.
    const std::string& Language() const override { return language_; }
    // The login's key in UA_Login and UA_Lock.
    const std::string& LoginId() const { return loginId_; }
    const std::string& SystemConnectionText() const { return systemConnection_; }
    const std::string& AccountId() const { return accountId_; }
    int Year() const { return year_; }
    int LastLockFlag() const;

    // Replaces the user's password with newPassword (its Argon2id hash in UA_User). Throws
    // platform::Error for an empty password or when the database refuses the change.
    void ChangePassword(const std::string& newPassword,
                        platform::PasswordCost cost = platform::PasswordCost::Interactive);
    // The same for another user, which only a login with the administration right may do;
    // false when there is no such user. Throws platform::Error kNoAdministrationRight, and as
    // ChangePassword.
    bool ChangePasswordOf(const std::string& userId, const std::string& newPassword,
                          platform::PasswordCost cost = platform::PasswordCost::Interactive);
    // Throws platform::Error kNoAdministrationRight with the host's no-right message unless this
    // login holds the administration right.
    void RequireAdministration(const char* source);

    // Throws platform::Error kNoAdministrationRight with the host's no-right message: for the
    // server's refusal (why, kept for the diagnostic channel) of an administrator's work asked
    // through a connection whose role may not do it.
    [[noreturn]] void RefuseAdministration(const char* source, const std::string& why);
    // connectionText carrying this login's token (unchanged when the server does not check
    // passwords): a connection opened with it works for this login's user on the server.
    std::string WithLoginToken(const std::string& connectionText) const;

    // Releases every record lock of this login and ends it in UA_Login; a second call does
    // nothing. Throws platform::Error when the database cannot be reached.
    void Logout();
    bool LoggedOut() const;

private:
    LoginSession() = default;

    std::string systemConnection_, accountConnection_;
    std::string userId_, userName_, employeeId_, language_, date_, loginId_, accountId_;
    int year_ = 0;
    mutable std::mutex mutex_;
    std::string shareString_;
    int lastLockFlag_ = 0;
    bool serverChecks_ = false;
    std::string token_;
    bool loggedOut_ = false;
};

// The most recent login of this process that has not logged out; nullptr when none.
std::shared_ptr<LoginSession> CurrentLogin();

// What ShowForm was given for a window.
class FormEnv final : public platform::Object {
public:
    FormEnv(std::string windowKey, std::shared_ptr<sovrel::IForm> window)
        : windowKey_(std::move(windowKey)), window_(std::move(window)) {}
    const std::string& WindowKey() const { return windowKey_; }
    std::shared_ptr<sovrel::IForm> Window() const { return window_.lock(); }

private:
    std::string windowKey_;
    std::weak_ptr<sovrel::IForm> window_;
};

// The portal's business object of one login.
class Business final : public sovrel::IBusiness {
public:
    explicit Business(std::shared_ptr<sovrel::ILogin> login) : login_(std::move(login)) {}

    std::shared_ptr<sovrel::ILogin> GetVBclsLogin() override { return login_; }
    // A FormEnv for the window; the window is kept as given.
    std::shared_ptr<platform::Object> CreateFormEnv(const std::string& windowKey,
                                                    std::shared_ptr<sovrel::IForm>& window) override;
    // Shows the window: modal (returns when it closed) or modeless. Throws platform::Error for
    // a missing window.
    void ShowForm(std::shared_ptr<sovrel::IForm>& window, const std::string& subsystem,
                  const std::string& windowKey, bool flag, bool modal,
                  std::shared_ptr<platform::Object> formEnv) override;

    // How many windows ShowForm has shown.
    int ShownCount() const { return shown_; }

private:
    std::shared_ptr<sovrel::ILogin> login_;
    int shown_ = 0;
};

// The function-permission checker ("HxPortal.FunctionRight"): a right is granted when the
// login's TaskExec answers true; a refusal is shown to the user (PresentMessage) with the
// login's ShareString. Held rights are counted per login and function code.
class RightChecker final : public sovrel::IRightChecker {
public:
    bool AcquireRight(const std::shared_ptr<sovrel::ILogin>& login, const std::string& functionCode) override;
    // Gives back one acquisition; releasing a right not held does nothing.
    void ReleaseRight(const std::shared_ptr<sovrel::ILogin>& login, const std::string& functionCode) override;

    // Acquisitions of functionCode by login not yet released (code compared without case).
    int HeldCount(const sovrel::ILogin* login, const std::string& functionCode) const;
    // All rights the login holds.
    int HeldTotal(const sovrel::ILogin* login) const;

private:
    mutable std::mutex mutex_;
    std::map<const sovrel::ILogin*, std::map<std::string, int>> held_;
};

}  // namespace host
