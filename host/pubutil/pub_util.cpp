#include "host/pub_util.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "../session/support.h"
#include "common/prog_ids.h"
#include "host/presenter.h"
#include "host/register.h"
#include "host/session.h"
#include "platform/db/rowset.h"
#include "platform/diagnostics.h"
#include "platform/error.h"
#include "platform/text.h"

namespace host {

namespace txt = platform::text;
using detail::Sql;

// ---- Numbers -----------------------------------------------------------------------------

std::string FormatNumber(std::string_view value, int digits) {
    // No stored number has more decimals; a wild definition must not build a huge text.
    digits = std::clamp(digits, 0, kMaxDecimalDigits);
    const std::string s = txt::Trim(value);
    if (s.empty()) return std::string(value);
    std::size_t i = 0;
    bool negative = false;
    if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
    std::string mantissa;  // every digit, the point dropped
    long pointAt = -1;      // digits before the point
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9') mantissa += s[i];
        else if (s[i] == '.' && pointAt < 0) pointAt = static_cast<long>(mantissa.size());
        else break;
    }
    if (mantissa.empty()) return std::string(value);
    if (pointAt < 0) pointAt = static_cast<long>(mantissa.size());
    long exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) negativeExponent = s[i++] == '-';
        const std::size_t start = i;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
            exponent = exponent * 10 + (s[i] - '0');
            if (exponent > 4000) return std::string(value);  // beyond any number a column holds
        }
        if (i == start) return std::string(value);
        if (negativeExponent) exponent = -exponent;
    }
    if (i != s.size()) return std::string(value);

    // mantissa holds the digits, intDigits of them before the decimal point.
    long intDigits = pointAt + exponent;
    if (intDigits < 0) {
        mantissa.insert(0, static_cast<std::size_t>(-intDigits), '0');
        intDigits = 0;
    }
    const std::size_t keep = static_cast<std::size_t>(intDigits) + static_cast<std::size_t>(digits);
    const bool roundUp = mantissa.size() > keep && mantissa[keep] >= '5';  // half away from zero
    mantissa.resize(keep, '0');
    if (roundUp) {
        std::size_t k = keep;
        while (k > 0 && mantissa[k - 1] == '9') mantissa[--k] = '0';
        if (k == 0) {
            mantissa.insert(mantissa.begin(), '1');
            ++intDigits;
        } else {
            ++mantissa[k - 1];
        }
    }
    std::string whole = mantissa.substr(0, static_cast<std::size_t>(intDigits));
    const std::size_t firstDigit = whole.find_first_not_of('0');
    whole = firstDigit == std::string::npos ? "0" : whole.substr(firstDigit);
    const std::string fraction = mantissa.substr(static_cast<std::size_t>(intDigits));
    const bool zero = mantissa.find_first_not_of('0') == std::string::npos;
    std::string out = (negative && !zero) ? "-" : "";
    out += whole;
    if (digits > 0) out += "." + fraction;
    return out;
}

// ---- Record locks ------------------------------------------------------------------------

namespace {

std::string Caption(const sovrel::ILogin& login, const std::string& table) {
    try {
        auto db = detail::Open(login.tkDBName());
        auto rs = db->OpenRowset("SELECT TOP 1 TableDefine FROM Rpt_GRPDef WHERE TableName = " + Sql(table) +
                                 " AND TableDefine IS NOT NULL ORDER BY SystemId");
        if (!rs->Eof()) return rs->Get(0).ToText();
    } catch (const platform::Error&) {
        // The caption only decorates the message; the table's own name will do.
    }
    return table;
}

std::string LockName(const std::string& language, int code) {
    switch (code) {
        case 1: case 2: case 3: case 5: case 8: case 11:
            return detail::HostText(language, "Hx.AA.PUB.Lock" + std::to_string(code));
        default:
            return detail::HostText(language, "Hx.AA.PUB.LockN", {std::to_string(code)});
    }
}

PubUtil::LockHolder ReadHolder(platform::db::Rowset& rs) {
    PubUtil::LockHolder h;
    h.table = rs.Get("cTableName").ToText();
    h.code = static_cast<int>(rs.Get("iLockCode").ToInt());
    h.loginId = rs.Get("cLoginId").ToText();
    h.userId = rs.Get("cUser_Id").ToText();
    h.userName = rs.Get("cUser_Name").ToText();
    h.processId = static_cast<long>(rs.Get("iProcessId").ToInt());
    h.hostName = rs.Get("cHostName").ToText();
    h.takenAt = rs.Get("dTakenAt").ToText();
    return h;
}

const char* kHolderColumns =
    "SELECT l.cTableName, l.iLockCode, l.cLoginId, l.cUser_Id, u.cUser_Name, l.iProcessId, l.cHostName, l.dTakenAt "
    "FROM UA_Lock l LEFT JOIN UA_User u ON u.cUser_Id = l.cUser_Id ";

}  // namespace

std::string PubUtil::LockOwner(const sovrel::ILogin& login) {
    if (auto session = dynamic_cast<const LoginSession*>(&login)) return session->LoginId();
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(&login));
    return detail::HostName() + ":" + std::to_string(static_cast<long>(::getpid())) + ":" + address;
}

std::string PubUtil::SystemTextFor(const sovrel::ILogin* login) {
    if (auto session = dynamic_cast<const LoginSession*>(login)) return session->SystemConnectionText();
    if (login) return detail::SystemConnectionText(login->tkDBName());
    return "";
}

bool PubUtil::IsLockFun(std::shared_ptr<sovrel::IClsCommon>& dataService, const std::shared_ptr<sovrel::ILogin>& login,
                        const std::string& table, int code) {
    if (!login)
        throw platform::Error(platform::errnum::InvalidOperation, "PubUtil.IsLockFun",
                              "no login object: record locks belong to a login");
    if (txt::Trim(table).empty())
        throw platform::Error(platform::errnum::InvalidOperation, "PubUtil.IsLockFun", "no table named for the lock");
    {
        std::lock_guard lock(mutex_);
        lastLogin_ = login;
    }
    if (code == 0) return false;
    const std::string owner = LockOwner(*login);
    auto db = detail::Open(SystemTextFor(login.get()));
    const std::string where = " WHERE cTableName = " + Sql(table) + " AND cLoginId = " + Sql(owner);
    if (code < 0) {
        db->Execute("DELETE FROM UA_Lock" + where + (code == -1 ? "" : " AND iLockCode = " + std::to_string(-code)));
        return false;
    }

    std::vector<LockHolder> others;
    db->BeginTrans();  // taken immediately: two processes cannot both find the lock free
    try {
        if (code != 1) {
            auto rs = db->OpenRowset(std::string(kHolderColumns) + "WHERE l.cTableName = " + Sql(table) +
                                     " AND l.iLockCode = " + std::to_string(code) + " AND l.cRecordKey = N''" +
                                     " AND l.cLoginId <> " + Sql(owner) + " ORDER BY l.dTakenAt");
            for (; !rs->Eof(); rs->MoveNext()) others.push_back(ReadHolder(*rs));
        }
        const std::string here = detail::HostName();
        std::vector<LockHolder> alive;
        for (const auto& h : others) {
            if (txt::EqualsNoCase(h.hostName, here) && !detail::ProcessAlive(h.processId, h.takenAt))
                db->Execute("DELETE FROM UA_Lock WHERE cTableName = " + Sql(h.table) + " AND iLockCode = " +
                            std::to_string(h.code) + " AND cRecordKey = N'' AND cLoginId = " + Sql(h.loginId));
            else
                alive.push_back(h);
        }
        others = std::move(alive);
        if (others.empty()) {
            auto mine = db->OpenRowset("SELECT iLockCode FROM UA_Lock" + where + " AND iLockCode = " +
                                       std::to_string(code) + " AND cRecordKey = N''");
            if (mine->Eof())
                db->Execute("INSERT INTO UA_Lock (cTableName, iLockCode, cRecordKey, cLoginId, cUser_Id, iProcessId, "
                            "cHostName, dTakenAt) VALUES (" + Sql(table) + ", " + std::to_string(code) + ", N'', " +
                            Sql(owner) + ", " + Sql(login->cUserId()) + ", " +
                            std::to_string(static_cast<long>(::getpid())) + ", " + Sql(here) + ", " +
                            Sql(detail::NowText()) + ")");
        }
        db->CommitTrans();
    } catch (...) {
        db->RollbackTrans();
        throw;
    }
    if (others.empty()) return false;

    const LockHolder& h = others.front();
    const std::string language = detail::LanguageOf(login.get());
    const std::string who = (h.userName.empty() ? h.userId : h.userName + " (" + h.userId + ")");
    PresentMessage(detail::HostText(language, "Hx.AA.PUB.LockTitle"),
                   detail::HostText(language, "Hx.AA.PUB.LockHeld",
                                    {Caption(*login, table), LockName(language, code), who, h.hostName,
                                     std::to_string(h.processId), h.takenAt}));
    return true;
}

std::vector<PubUtil::LockHolder> PubUtil::Locks(const std::string& table,
                                                const std::shared_ptr<sovrel::ILogin>& login) {
    std::string text = SystemTextFor(login.get());
    if (text.empty()) {
        std::string user;
        text = SettingsDatabase(user, "PubUtil.Locks");
    }
    auto db = detail::Open(text);
    auto rs = db->OpenRowset(std::string(kHolderColumns) + "WHERE l.cTableName = " + Sql(table) +
                             " ORDER BY l.dTakenAt, l.iLockCode");
    std::vector<LockHolder> out;
    for (; !rs->Eof(); rs->MoveNext()) out.push_back(ReadHolder(*rs));
    return out;
}

// ---- Texts, diagnostics, settings --------------------------------------------------------

std::string PubUtil::GetResString(const std::string& key) {
    std::shared_ptr<sovrel::ILogin> login;
    {
        std::lock_guard lock(mutex_);
        login = lastLogin_.lock();
    }
    if (!login) login = CurrentLogin();
    return detail::HostText(detail::LanguageOf(login.get()), key);
}

void PubUtil::DebugPrint(const std::string& text) { platform::DebugOutput(text); }

void PubUtil::Init(const std::string& connectionText) {
    std::lock_guard lock(mutex_);
    initText_ = connectionText.empty() ? "" : detail::SystemConnectionText(connectionText);
}

// The system database for settings; fills userId with the login's user when empty.
std::string PubUtil::SettingsDatabase(std::string& userId, const char* who) {
    std::shared_ptr<sovrel::ILogin> login;
    std::string text;
    {
        std::lock_guard lock(mutex_);
        text = initText_;
        login = lastLogin_.lock();
    }
    if (!login) login = CurrentLogin();
    if (text.empty()) text = SystemTextFor(login.get());
    if (text.empty())
        throw platform::Error(platform::errnum::InvalidOperation, who,
                              "no system database known: log in, or call Init with a connection text");
    if (userId.empty() && login) userId = login->cUserId();
    return text;
}

std::string PubUtil::GetRegEdit(const std::string& table, const std::string& key, bool& helpFlag,
                                const std::string& userIdIn) {
    std::string userId = txt::Trim(userIdIn);
    auto db = detail::Open(SettingsDatabase(userId, "PubUtil.GetRegEdit"));
    auto rs = db->OpenRowset("SELECT cValue FROM UA_Setting WHERE cUser_Id = " + Sql(userId) +
                             " AND cSection = " + Sql(table) + " AND cKey = " + Sql(key));
    return rs->Eof() ? std::string() : rs->Get(0).ToText();
}

void PubUtil::SaveRegEdit(const std::string& table, const std::string& key, const std::string& value, bool& helpFlag,
                          const std::string& userIdIn) {
    std::string userId = txt::Trim(userIdIn);
    const std::string text = SettingsDatabase(userId, "PubUtil.SaveRegEdit");
    auto check = [](const std::string& what, const std::string& v, std::size_t limit) {
        if (txt::Trim(v).empty() || txt::Len(v) > limit)
            throw platform::Error(platform::errnum::InvalidOperation, "PubUtil.SaveRegEdit",
                                  "the setting's " + what + " '" + v + "' must be 1 to " + std::to_string(limit) +
                                      " characters");
    };
    check("section", table, 60);
    check("key", key, 60);
    check("user", userId, 20);
    auto db = detail::Open(text);
    db->Execute("DELETE FROM UA_Setting WHERE cUser_Id = " + Sql(userId) + " AND cSection = " + Sql(table) +
                " AND cKey = " + Sql(key) + "; INSERT INTO UA_Setting (cUser_Id, cSection, cKey, cValue) VALUES (" +
                Sql(userId) + ", " + Sql(table) + ", " + Sql(key) + ", " + Sql(value) + ")");
}

void RegisterPubUtil() {
    platform::Register(sovrel::progid::PubUtil,
                       [] { return std::static_pointer_cast<sovrel::IPubUtil>(std::make_shared<PubUtil>()); });
}

}  // namespace host
