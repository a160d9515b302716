#pragma once
// "HxPub.IPub", the host's public-utility object: record locks, settings, texts, numbers.
//
// Record locks live in tksystem's UA_Lock, one row per holder, so every process and machine on
// the same system database sees them. A lock is (table, code) for the whole function: code 1
// (browse) never conflicts, since many users browse a list at once; any other code conflicts
// with the same code of the same table held by another login, even of the same user, and only
// with that (an add does not keep others from printing). A lock whose holder was a process of
// this machine that no longer runs is taken over; a lock held on another machine stays until
// that login releases it or logs out.
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/hosts/pub_util.h"

namespace host {

inline constexpr int kMaxDecimalDigits = 30;

// value with exactly `digits` decimals (clamped to 0..kMaxDecimalDigits), rounded half away
// from zero, without thousands separators ("1234.5", 2 gives "1234.50"; "-0.004", 2 gives
// "0.00"). A value that is not one decimal number (spaces around it and an exponent allowed)
// comes back unchanged.
std::string FormatNumber(std::string_view value, int digits);

class PubUtil final : public sovrel::IPubUtil {
public:
    struct LockHolder {
        std::string table, loginId, userId, userName, hostName, takenAt;
        int code = 0;
        long processId = 0;
    };

    // The system database for settings: a connection text of it or of a database beside it.
    // Without Init the utility uses the system database of the last login handed to IsLockFun,
    // else of this process's current login.
    void Init(const std::string& connectionText);

    bool IsLockFun(std::shared_ptr<sovrel::IClsCommon>& dataService, const std::shared_ptr<sovrel::ILogin>& login,
                   const std::string& table, int code) override;
    // The text of key in the language of the last login seen (else the current login, else zh-CN).
    std::string GetResString(const std::string& key) override;
    void DebugPrint(const std::string& text) override;
    std::string FormatNum(const std::string& value, int decimalDigits) override {
        return FormatNumber(value, decimalDigits);
    }
    // The user's stored value of (table, key); "" when none. userId "" means the login's user.
    // helpFlag is handed back unchanged. Throws platform::Error when no system database is known.
    std::string GetRegEdit(const std::string& table, const std::string& key, bool& helpFlag,
                           const std::string& userId) override;
    // Stores the value (replacing the previous one). Throws platform::Error for an empty or
    // over-long table, key or user (60, 60, 20 characters) and when no system database is known.
    void SaveRegEdit(const std::string& table, const std::string& key, const std::string& value, bool& helpFlag,
                     const std::string& userId) override;

    // Every holder of a lock of the table (compared without case), oldest first.
    std::vector<LockHolder> Locks(const std::string& table, const std::shared_ptr<sovrel::ILogin>& login);
    // The key a login's locks are stored under: a host login's id, otherwise one made of this
    // machine, this process and the login object.
    static std::string LockOwner(const sovrel::ILogin& login);

private:
    std::string SystemTextFor(const sovrel::ILogin* login);
    std::string SettingsDatabase(std::string& userId, const char* who);

    std::mutex mutex_;
    std::string initText_;
    std::weak_ptr<sovrel::ILogin> lastLogin_;
};

}  // namespace host
