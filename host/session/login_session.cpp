#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>

#include "host/session.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "platform/guid.h"
#include "platform/text.h"
#include "support.h"

namespace host {

namespace txt = platform::text;
using detail::Sql;
using platform::db::DateTime;

namespace {

// ---- SHA-256 (FIPS 180-4), for password hashes -------------------------------------------

std::array<std::uint8_t, 32> Sha256(const std::string& message) {
    static constexpr std::uint32_t k[64] = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
        0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
        0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
        0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
        0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
        0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
        0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
        0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
    std::uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                          0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    auto rotr = [](std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); };

    std::string data = message;
    const std::uint64_t bits = static_cast<std::uint64_t>(message.size()) * 8;
    data += static_cast<char>(0x80);
    while (data.size() % 64 != 56) data += '\0';
    for (int i = 7; i >= 0; --i) data += static_cast<char>((bits >> (8 * i)) & 0xff);

    for (std::size_t block = 0; block < data.size(); block += 64) {
        std::uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = (std::uint32_t(std::uint8_t(data[block + 4 * i])) << 24) |
                   (std::uint32_t(std::uint8_t(data[block + 4 * i + 1])) << 16) |
                   (std::uint32_t(std::uint8_t(data[block + 4 * i + 2])) << 8) |
                   std::uint32_t(std::uint8_t(data[block + 4 * i + 3]));
        for (int i = 16; i < 64; ++i) {
            std::uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            std::uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
        for (int i = 0; i < 64; ++i) {
            std::uint32_t t1 = hh + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + k[i] + w[i];
            std::uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            hh = g; g = f; f = e; e = d + t1; d = c; c = b; b = a; a = t1 + t2;
        }
        h[0] += a; h[1] += b; h[2] += c; h[3] += d; h[4] += e; h[5] += f; h[6] += g; h[7] += hh;
    }
    std::array<std::uint8_t, 32> out{};
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 4; ++j) out[4 * i + j] = static_cast<std::uint8_t>(h[i] >> (24 - 8 * j));
    return out;
}

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

}  // namespace

std::string PasswordHash(const std::string& userId, const std::string& password) {
    if (password.empty()) return "";
    // The user id salts the hash, so equal passwords of two users differ.
    const auto digest = Sha256(txt::LCase(userId) + ":" + password);
    std::string out = "sha256:";
    char hex[3];
    for (auto byte : digest) {
        std::snprintf(hex, sizeof hex, "%02x", byte);
        out += hex;
    }
    return out;
}

std::shared_ptr<LoginSession> LoginSession::Login(const std::string& systemDatabase, const std::string& userIdIn,
                                                  const LoginOptions& options) {
    const std::string userId = txt::Trim(userIdIn);
    if (userId.empty()) Refuse("no user given: name the user to log in");
    if (systemDatabase.empty()) Refuse("no system database given: name the data folder or a connection text");

    std::string systemText;
    if (systemDatabase.find('=') != std::string::npos) {
        systemText = detail::SystemConnectionText(systemDatabase);
    } else {
        if (systemDatabase.find(';') != std::string::npos)
            Refuse("the data folder '" + systemDatabase + "' contains ';', which a connection text cannot hold");
        systemText = "Provider=SQLite;Data Source=" + systemDatabase + ";Initial Catalog=" +
                     std::string(detail::kSystemDatabase);
    }

    std::string date;
    if (options.date.empty()) {
        date = detail::NowText().substr(0, 10);
    } else {
        auto parsed = DateTime::Parse(options.date);
        if (!parsed) Refuse("the login date '" + options.date + "' is not a date; write it as yyyy-mm-dd");
        parsed->hour = parsed->minute = parsed->second = 0;
        date = parsed->ToText();
    }

    auto db = detail::Open(systemText);
    auto user = db->OpenRowset(
        "SELECT cUser_Id, cUser_Name, cEmployeeId, cPasswordHash, cLanguage, bDisabled FROM UA_User "
        "WHERE cUser_Id = " + Sql(userId));
    if (user->Eof()) Refuse("unknown user '" + userId + "': the system database has no such user");
    if (user->Get("bDisabled").ToBool()) Refuse("the user '" + userId + "' is disabled");
    const std::string storedHash = user->Get("cPasswordHash").ToText();
    if (!storedHash.empty() && PasswordHash(user->Get("cUser_Id").ToText(), options.password) != storedHash)
        Refuse("wrong password for the user '" + userId + "'");
    if (storedHash.empty() && !options.password.empty())
        Refuse("wrong password for the user '" + userId + "': the user has no password");

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
        std::string what =
            options.accountId.empty() ? std::string("no account") : "no account '" + options.accountId + "'";
        if (options.year) what += " of the year " + std::to_string(options.year);
        Refuse(what + " exists in the system database");
    }

    std::shared_ptr<LoginSession> session(new LoginSession());
    session->systemConnection_ = systemText;
    session->userId_ = user->Get("cUser_Id").ToText();
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
    session->accountConnection_ = accountText;
    session->loginId_ = platform::NewGuidText();

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
        auto name = db->OpenRowset("SELECT cFuncName FROM UA_Function WHERE cFuncId = " + Sql(functionCode));
        const std::string functionName = name->Eof() ? functionCode : name->Get("cFuncName").ToText();
        refusal = detail::HostText(language_, "Hx.AA.PORTAL.NoFuncRight", {userName_, functionName, functionCode});
    } catch (const platform::Error& e) {
        // Without the rights table nothing can be granted.
        refusal = detail::HostText(language_, "Hx.AA.PORTAL.NoFuncRight", {userName_, functionCode, functionCode}) +
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
