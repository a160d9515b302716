#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <ctime>

#include "../crm/settings.h"
#include "host/session.h"
#include "platform/db/rowset.h"
#include "platform/diagnostics.h"
#include "platform/error.h"
#include "platform/guid.h"
#include "platform/password.h"
#include "platform/text.h"
#include "schema/demo.h"
#include "schema/schema.h"
#include "support.h"
#include "host/texts/text_table.h"

namespace host {

namespace txt = platform::text;
using detail::Sql;
using platform::db::DateTime;

namespace {

[[noreturn]] void Refuse(const std::string& why) { throw platform::Error(kLoginRefused, "Login", why); }

std::mutex currentMutex;
std::weak_ptr<LoginSession>& Current() {
    static std::weak_ptr<LoginSession> current;
    return current;
}

// Logins of processes of this machine that died never logged out: their locks go with them.
void ForgetDeadLogins(platform::db::Connection& db) {
    auto rs = db.OpenRowset("SELECT cLoginId, iProcessId, dLoginAt FROM UA_Login WHERE cHostName = " +
                            Sql(detail::HostName()));
    std::vector<std::string> dead;
    for (; !rs->Eof(); rs->MoveNext())
        if (!detail::ProcessAlive(static_cast<long>(rs->Get("iProcessId").ToInt()), rs->Get("dLoginAt").ToText()))
            dead.push_back(rs->Get("cLoginId").ToText());
    for (const auto& id : dead) {
        db.Execute("DELETE FROM UA_Lock WHERE cLoginId = " + Sql(id));
        db.Execute("DELETE FROM UA_Login WHERE cLoginId = " + Sql(id));
    }
}

std::atomic<long long>& HoldSeconds() {
    static std::atomic<long long> seconds{60};
    return seconds;
}

// Local time `seconds` from now, as NowText writes it.
std::string LaterText(long long seconds) {
    const std::time_t at = std::time(nullptr) + static_cast<std::time_t>(seconds);
    std::tm tm{};
    ::localtime_r(&at, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &tm);
    return buffer;
}

std::string SystemText(const std::string& systemDatabase) {
    if (systemDatabase.find('=') != std::string::npos) return detail::SystemConnectionText(systemDatabase);
    if (systemDatabase.find(';') != std::string::npos)
        Refuse("the data folder '" + systemDatabase + "' contains ';', which a connection text cannot hold");
    return "Provider=SQLite;Data Source=" + systemDatabase + ";Initial Catalog=" + std::string(detail::kSystemDatabase);
}

// Refuses a login in `language`, after writing the refusal to UA_LoginLog (and to the
// diagnostic channel, which also takes it when the log cannot be written).
class Refusals {
public:
    Refusals(platform::db::Connection& db, std::string userId) : db_(db), userId_(std::move(userId)) {}
    void SetLanguage(std::string language) { language_ = std::move(language); }

    // alreadyLogged: the server's login check wrote the refusal itself.
    [[noreturn]] void Refuse(std::string_view key, const std::vector<std::string>& params = {},
                             bool alreadyLogged = false) {
        const std::string text = detail::HostText(language_, key, params);
        platform::DebugOutput("login refused: user '" + userId_ + "': " + text);
        if (alreadyLogged) host::Refuse(text);
        try {
            db_.Execute("INSERT INTO UA_LoginLog (cLogId, dTime, cUser_Id, cHostName, iProcessId, cReason) VALUES (" +
                        Sql(platform::NewGuidText()) + ", " + Sql(detail::NowText()) + ", " + Sql(txt::Left(userId_, 60)) + ", " +
                        Sql(txt::Left(detail::HostName(), 100)) + ", " + std::to_string(static_cast<long>(::getpid())) +
                        ", " + Sql(txt::Left(text, 400)) + ")");
        } catch (const platform::Error& e) {
            platform::DebugOutput("login refusal not logged: " + e.Description());
        }
        host::Refuse(text);
    }

private:
    platform::db::Connection& db_;
    std::string userId_;
    std::string language_ = kDefaultLanguage;
};

// True when the server checks the passwords itself (its roles were installed): the hashes are then
// the server's alone, and the host only asks.
bool ServerChecksPasswords(platform::db::Connection& db) {
    if (!txt::EqualsNoCase(db.Provider(), "PostgreSQL")) return false;
    return db.OpenNativeRowset("SELECT to_regprocedure('sv_login(text,text,text,integer)') IS NOT NULL", {})
        ->Get(0)
        .ToBool();
}

std::string WithToken(const std::string& connectionText, const std::string& token) {
    if (token.empty()) return connectionText;
    std::string out;
    for (const std::string& part : txt::Split(connectionText, ";"))
        if (!txt::Trim(part).empty() && txt::LCase(txt::Trim(part.substr(0, part.find('=')))) != "login token")
            out += part + ";";
    return out + "Login Token=" + token;
}

// The password check where the host reads the hash itself (SQLite, where the file's permissions
// are the boundary, and a server whose roles are not installed).
void CheckHere(platform::db::Connection& connection, Refusals& refusals, platform::db::Rowset& user,
               const std::string& storedId, const std::string& password, const std::string& now) {
    platform::db::Connection* db = &connection;
    // A held user is refused before the password is looked at, so guessing on gains nothing.
    const std::string heldUntil = user.Get("dHeldUntil").ToText();
    if (!heldUntil.empty() && now < heldUntil)
        refusals.Refuse("Hx.AA.LOGIN.Held", {storedId, std::to_string(kTriesBeforeHold), heldUntil});
    const std::string storedHash = user.Get("cPasswordHash").ToText();
    if (storedHash.empty()) refusals.Refuse("Hx.AA.LOGIN.PasswordNotSet", {storedId});
    if (password.empty()) refusals.Refuse("Hx.AA.LOGIN.NoPassword");

    // The try is counted as wrong before the slow hash check, in the transaction that reads the
    // hold, and only while the user is not held: parallel guesses queue on the user's row and
    // no more of them than the limit reach the check. The try that reaches the limit sets the
    // hold itself; a right password then lifts it.
    const std::string until = LaterText(HoldSeconds().load());
    const std::string last = std::to_string(kTriesBeforeHold - 1);
    long counted = 0;
    std::string heldNow;  // an ended hold stays in the row until a right password clears it
    db->BeginTrans();
    try {
        const long admitted = db->Execute(
            "UPDATE UA_User SET iFailedLogins = CASE WHEN iFailedLogins >= " + last + " THEN 0 ELSE iFailedLogins + 1 END, "
            "dHeldUntil = CASE WHEN iFailedLogins >= " + last + " THEN " + Sql(until) + " ELSE dHeldUntil END "
            "WHERE cUser_Id = " + Sql(storedId) + " AND (dHeldUntil IS NULL OR dHeldUntil <= " + Sql(now) + ")");
        auto state = db->OpenRowset("SELECT iFailedLogins, dHeldUntil FROM UA_User WHERE cUser_Id = " + Sql(storedId));
        db->CommitTrans();
        if (state->Eof()) refusals.Refuse("Hx.AA.LOGIN.UnknownUser", {storedId});
        heldNow = state->Get("dHeldUntil").ToText();
        counted = static_cast<long>(state->Get("iFailedLogins").ToInt());
        if (admitted < 1) refusals.Refuse("Hx.AA.LOGIN.Held", {storedId, std::to_string(kTriesBeforeHold), heldNow});
    } catch (const platform::Error&) {
        if (db->TransactionLevel() > 0) db->RollbackTrans();
        throw;
    }
    if (!platform::PasswordMatches(storedHash, password)) {
        if (heldNow.empty() || heldNow <= now)
            refusals.Refuse("Hx.AA.LOGIN.WrongPassword", {storedId, std::to_string(kTriesBeforeHold - counted)});
        refusals.Refuse("Hx.AA.LOGIN.Held", {storedId, std::to_string(kTriesBeforeHold), heldNow});
    }
    db->Execute("UPDATE UA_User SET iFailedLogins = 0, dHeldUntil = NULL WHERE cUser_Id = " + Sql(storedId));
}

// A function's name in the user's language: the host's text of it where that language has one,
// else the name the system database keeps (in the system's own language), else its code.
std::string FunctionName(platform::db::Connection& db, const std::string& code, const std::string& language) {
    const std::string key = "Hx.AA.FUNC." + code;
    if (!txt::EqualsNoCase(language, "keys")) {
        const auto& table = texts::TextTable::For(language);
        if (table.Get(key)) return table.Format(key, {});
    }
    auto name = db.OpenRowset("SELECT cFuncName FROM UA_Function WHERE cFuncId = " + Sql(code));
    return name->Eof() ? code : name->Get(0).ToText();
}

}  // namespace

void SetLoginHold(std::chrono::seconds hold) { HoldSeconds() = std::max<long long>(0, hold.count()); }
std::chrono::seconds LoginHold() { return std::chrono::seconds(HoldSeconds().load()); }

std::vector<AccountChoice> Accounts(const std::string& systemDatabase) {
    auto db = detail::Open(SystemText(systemDatabase));
    auto rs = db->OpenRowset("SELECT cAcc_Id, cAcc_Name, iYear FROM UA_Account ORDER BY cAcc_Id, iYear DESC");
    std::vector<AccountChoice> out;
    for (; !rs->Eof(); rs->MoveNext())
        out.push_back({rs->Get("cAcc_Id").ToText(), rs->Get("cAcc_Name").ToText(),
                       static_cast<int>(rs->Get("iYear").ToInt())});
    return out;
}

std::string UserLanguage(const std::string& systemDatabase, const std::string& userId) {
    try {
        auto db = detail::Open(SystemText(systemDatabase));
        auto rs = db->OpenRowset("SELECT cLanguage FROM UA_User WHERE cUser_Id = " + Sql(txt::Trim(userId)));
        return rs->Eof() ? std::string() : txt::Trim(rs->Get(0).ToText());
    } catch (const platform::Error&) {
        return {};
    }
}

std::shared_ptr<LoginSession> LoginSession::Login(const std::string& systemDatabase, const std::string& userIdIn,
                                                  const LoginOptions& options) {
    const std::string userId = txt::Trim(userIdIn);
    if (systemDatabase.empty()) Refuse("no system database given: name the data folder or a connection text");
    const std::string systemText = SystemText(systemDatabase);
    auto db = detail::Open(systemText);

    Refusals refusals(*db, userId);
    std::string language = !options.language.empty() ? options.language : detail::LanguageOverride();
    refusals.SetLanguage(language.empty() ? kDefaultLanguage : language);
    if (userId.empty()) refusals.Refuse("Hx.AA.LOGIN.NoUser");

    const bool serverChecks = ServerChecksPasswords(*db);
    std::shared_ptr<platform::db::Rowset> user;
    try {
        // Where the server checks passwords, no role but its owner may read the hashes.
        user = db->OpenRowset("SELECT cUser_Id, cUser_Name, cEmployeeId, " +
                              std::string(serverChecks ? "" : "cPasswordHash, ") +
                              "cLanguage, bDisabled, iFailedLogins, dHeldUntil FROM UA_User WHERE cUser_Id = " + Sql(userId));
    } catch (const platform::Error& e) {
        refusals.Refuse("Hx.AA.LOGIN.OldDatabase", {e.Description()});
    }
    if (user->Eof()) refusals.Refuse("Hx.AA.LOGIN.UnknownUser", {userId});
    const std::string storedId = user->Get("cUser_Id").ToText();
    if (language.empty()) refusals.SetLanguage(user->Get("cLanguage").ToText());
    if (user->Get("bDisabled").ToBool()) refusals.Refuse("Hx.AA.LOGIN.Disabled", {storedId});

    const std::string now = detail::NowText();
    std::string token;
    if (serverChecks) {
        if (options.password.empty()) refusals.Refuse("Hx.AA.LOGIN.NoPassword");
        // The server counts the try, holds and logs; the password goes as a parameter.
        auto answer = db->OpenNativeRowset(
            "SELECT answer, tries_left, held_until, token FROM sv_login($1, $2, $3, $4)",
            {platform::db::Value(storedId), platform::db::Value(options.password), platform::db::Value(detail::HostName()),
             platform::db::Value(static_cast<long>(::getpid()))});
        const std::string said = answer->Get("answer").ToText();
        if (said == "held")
            refusals.Refuse("Hx.AA.LOGIN.Held", {storedId, std::to_string(kTriesBeforeHold), answer->Get("held_until").ToText()},
                            true);
        if (said != "yes") {
            if (answer->Get("tries_left").IsNullOrEmpty()) refusals.Refuse("Hx.AA.LOGIN.PasswordNotSet", {storedId}, true);
            refusals.Refuse("Hx.AA.LOGIN.WrongPassword", {storedId, answer->Get("tries_left").ToText()}, true);
        }
        token = answer->Get("token").ToText();
    } else {
        CheckHere(*db, refusals, *user, storedId, options.password, now);
    }

    std::string date;
    if (options.date.empty()) {
        date = now.substr(0, 10);
    } else {
        auto parsed = DateTime::Parse(options.date);
        if (!parsed) refusals.Refuse("Hx.AA.LOGIN.BadDate", {options.date});
        parsed->hour = parsed->minute = parsed->second = 0;
        date = parsed->ToText();
    }

    std::string accountQuery = "SELECT TOP 1 cAcc_Id, iYear, cDatabase, cDataSource FROM UA_Account";
    if (!options.accountId.empty()) {
        accountQuery += " WHERE cAcc_Id = " + Sql(options.accountId);
        if (options.year) accountQuery += " AND iYear = " + std::to_string(options.year);
    } else if (options.year) {
        accountQuery += " WHERE iYear = " + std::to_string(options.year);
    }
    accountQuery += " ORDER BY cAcc_Id, iYear DESC";
    auto account = db->OpenRowset(accountQuery);
    if (account->Eof()) {
        const std::string year = std::to_string(options.year);
        if (!options.accountId.empty() && options.year) refusals.Refuse("Hx.AA.LOGIN.NoAccountYear", {options.accountId, year});
        if (!options.accountId.empty()) refusals.Refuse("Hx.AA.LOGIN.NoAccountId", {options.accountId});
        if (options.year) refusals.Refuse("Hx.AA.LOGIN.NoYear", {year});
        refusals.Refuse("Hx.AA.LOGIN.NoAccount");
    }

    std::shared_ptr<LoginSession> session(new LoginSession());
    session->serverChecks_ = serverChecks;
    session->token_ = token;
    session->systemConnection_ = WithToken(systemText, token);
    session->userId_ = storedId;
    session->userName_ = user->Get("cUser_Name").ToText();
    session->employeeId_ = user->Get("cEmployeeId").ToText();
    session->language_ = user->Get("cLanguage").ToText();
    if (session->language_.empty()) session->language_ = "zh-CN";
    session->date_ = date;
    session->accountId_ = account->Get("cAcc_Id").ToText();
    session->year_ = static_cast<int>(account->Get("iYear").ToInt());
    std::string accountText = detail::WithCatalog(systemText, account->Get("cDatabase").ToText());
    const std::string dataSource = account->Get("cDataSource").ToText();
    if (!dataSource.empty()) accountText = detail::WithDataSource(accountText, dataSource);
    session->accountConnection_ = WithToken(accountText, token);
    session->loginId_ = platform::NewGuidText();
    if (!serverChecks) {
        // An account file from an earlier build gets the tables this one writes; on a server the
        // owner adds them (sovrel roles), the clerk may not.
        try {
            platform::db::Connection accountDb;
            accountDb.Open(accountText);
            schema::AddLaterAccountTables(accountDb);
        } catch (const platform::Error& e) {
            platform::DebugOutput("login: the account cannot be brought up to date: " + e.Description());
        }
    }

    ForgetDeadLogins(*db);
    db->Execute("INSERT INTO UA_Login (cLoginId, cUser_Id, cAcc_Id, iYear, cHostName, iProcessId, dLoginAt) VALUES (" +
                Sql(session->loginId_) + ", " + Sql(session->userId_) + ", " + Sql(session->accountId_) + ", " +
                std::to_string(session->year_) + ", " + Sql(detail::HostName()) + ", " +
                std::to_string(static_cast<long>(::getpid())) + ", " + Sql(detail::NowText()) + ")");
    {
        std::lock_guard lock(currentMutex);
        Current() = session;
    }
    return session;
}

LoginSession::~LoginSession() {
    try {
        Logout();
    } catch (...) {
        // The process is leaving anyway; a lock left behind is taken over once it is gone.
    }
}

void LoginSession::Logout() {
    {
        std::lock_guard lock(mutex_);
        if (loggedOut_) return;
    }
    auto db = detail::Open(systemConnection_);
    db->Execute("DELETE FROM UA_Lock WHERE cLoginId = " + Sql(loginId_));
    db->Execute("DELETE FROM UA_Login WHERE cLoginId = " + Sql(loginId_));
    std::lock_guard lock(mutex_);
    loggedOut_ = true;
}

std::string LoginSession::WithLoginToken(const std::string& connectionText) const {
    return WithToken(connectionText, token_);
}

void LoginSession::ChangePassword(const std::string& newPassword, platform::PasswordCost cost) {
    if (serverChecks_) {
        if (newPassword.empty())
            throw platform::Error(platform::errnum::InvalidOperation, "LoginSession.ChangePassword", "the new password is empty");
        detail::Open(systemConnection_)->OpenNativeRowset("SELECT sv_change_password($1)", {platform::db::Value(newPassword)});
        return;
    }
    const std::string hash = platform::HashPassword(newPassword, cost);
    auto db = detail::Open(systemConnection_);
    db->Execute("UPDATE UA_User SET cPasswordHash = " + Sql(hash) + " WHERE cUser_Id = " + Sql(userId_));
}

bool LoginSession::ChangePasswordOf(const std::string& userId, const std::string& newPassword,
                                    platform::PasswordCost cost) {
    constexpr const char* kSource = "LoginSession.ChangePasswordOf";
    RequireAdministration(kSource);
    if (serverChecks_) {
        if (newPassword.empty()) throw platform::Error(platform::errnum::InvalidOperation, kSource, "the new password is empty");
        try {
            return detail::Open(systemConnection_)
                ->OpenNativeRowset("SELECT sv_set_password($1, $2)",
                                   {platform::db::Value(userId), platform::db::Value(newPassword)})
                ->Get(0)
                .ToBool();
        } catch (const platform::Error& e) {
            if (platform::db::IsPermissionDenied(e)) RefuseAdministration(kSource, e.Description());
            throw;
        }
    }
    const std::string hash = platform::HashPassword(newPassword, cost);
    auto db = detail::Open(systemConnection_);
    return db->Execute("UPDATE UA_User SET cPasswordHash = " + Sql(hash) + " WHERE cUser_Id = " + Sql(userId)) > 0;
}

void LoginSession::RequireAdministration(const char* source) {
    std::string right(schema::kAdministrationFunction);
    int lockFlag = 1;
    if (!TaskExec(right, lockFlag)) throw platform::Error(kNoAdministrationRight, source, ShareString());
}

void LoginSession::RefuseAdministration(const char* source, const std::string& why) {
    const std::string code(schema::kAdministrationFunction);
    std::string function = code;
    try {
        function = FunctionName(*detail::Open(systemConnection_), code, detail::LanguageOf(this));
    } catch (const platform::Error&) {
        // The code stands for its name.
    }
    platform::DebugOutput(std::string(source) + ": the server refused: " + why);
    throw platform::Error(kNoAdministrationRight, source,
                          detail::HostText(detail::LanguageOf(this), "Hx.AA.PORTAL.NoFuncRight", {userName_, function, code}));
}

bool LoginSession::LoggedOut() const {
    std::lock_guard lock(mutex_);
    return loggedOut_;
}

int LoginSession::LastLockFlag() const {
    std::lock_guard lock(mutex_);
    return lastLockFlag_;
}

std::string LoginSession::ShareString() const {
    std::lock_guard lock(mutex_);
    return shareString_;
}

bool LoginSession::TaskExec(std::string& functionCode, int& lockFlag) {
    {
        std::lock_guard lock(mutex_);
        lastLockFlag_ = lockFlag;
    }
    std::string refusal;
    try {
        auto db = detail::Open(systemConnection_);
        auto rs = db->OpenRowset(
            "SELECT r.cFuncId FROM UA_FuncRight r JOIN UA_User u ON u.cUser_Id = r.cUser_Id "
            "WHERE r.cUser_Id = " + Sql(userId_) + " AND r.cFuncId = " + Sql(functionCode) + " AND u.bDisabled = 0");
        if (!rs->Eof()) {
            std::lock_guard lock(mutex_);
            shareString_.clear();
            return true;
        }
        const std::string functionName = FunctionName(*db, functionCode, detail::LanguageOf(this));
        refusal = detail::HostText(detail::LanguageOf(this), "Hx.AA.PORTAL.NoFuncRight", {userName_, functionName, functionCode});
    } catch (const platform::Error& e) {
        // Without the rights table nothing can be granted.
        refusal = detail::HostText(detail::LanguageOf(this), "Hx.AA.PORTAL.NoFuncRight", {userName_, functionCode, functionCode}) +
                  " (" + e.Description() + ")";
    }
    std::lock_guard lock(mutex_);
    shareString_ = refusal;
    return false;
}

std::shared_ptr<LoginSession> CurrentLogin() {
    std::lock_guard lock(currentMutex);
    auto session = Current().lock();
    if (session && session->LoggedOut()) return nullptr;
    return session;
}

// ---- Business object ---------------------------------------------------------------------

std::shared_ptr<platform::Object> Business::CreateFormEnv(const std::string& windowKey,
                                                          std::shared_ptr<sovrel::IForm>& window) {
    return std::make_shared<FormEnv>(windowKey, window);
}

void Business::ShowForm(std::shared_ptr<sovrel::IForm>& window, const std::string& subsystem,
                        const std::string& windowKey, bool flag, bool modal,
                        std::shared_ptr<platform::Object> formEnv) {
    if (!window)
        throw platform::Error(platform::errnum::InvalidOperation, "Business.ShowForm",
                              "no window to show for '" + windowKey + "': create the window first");
    ++shown_;
    if (modal) window->ShowModal();
    else window->ShowModeless();
}

}  // namespace host
