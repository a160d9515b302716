#include <algorithm>
#include <map>

#include "../session/support.h"
#include "host/services.h"
#include "host/session.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "platform/text.h"

namespace host {

namespace txt = platform::text;
using detail::Sql;

namespace {

// Table and column names come from crm_ref_relation; only plain (optionally dotted) names are
// put into a statement.
bool PlainName(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.'))
            return false;
    return true;
}

}  // namespace

void ArchiveService::Init(const std::string& connectionText) {
    if (connectionText != accountText_) db_.reset();
    accountText_ = connectionText;
}

bool ArchiveService::CheckArchRefed(const platform::db::Value& value, const std::string& tableName,
                                    const std::string& archiveCaption, std::string& message) {
    message.clear();
    if (accountText_.empty())
        throw platform::Error(platform::errnum::InvalidOperation, "HxSrvTrans.CheckArchRefed",
                              "the archive service was not initialised: call Init with the account's connection text");
    if (value.IsNullOrEmpty() || (value.AsText() && value.AsText()->empty())) return true;
    if (!db_) db_ = detail::Open(accountText_);
    // A failed statement may have left the connection unusable: the next check opens a new one.
    struct DropOnFailure {
        std::unique_ptr<platform::db::Connection>& db;
        bool done = false;
        ~DropOnFailure() {
            if (!done) db.reset();
        }
    } guard{db_};
    auto& db = db_;
    auto relations = db->OpenRowset(
        "SELECT creferencingtablename, creferencingtablecolumn, cwherepart, cObjName FROM crm_ref_relation "
        "WHERE creferencedtablename = " + Sql(txt::Trim(tableName)) + " ORDER BY ID");
    // Objects in the order first met, with their rows.
    std::vector<std::pair<std::string, long>> objects;
    for (; !relations->Eof(); relations->MoveNext()) {
        const std::string table = txt::Trim(relations->Get(0).ToText());
        const std::string column = txt::Trim(relations->Get(1).ToText());
        const std::string where = txt::Trim(relations->Get(2).ToText());
        const std::string object = relations->Get(3).ToText();
        if (!PlainName(table) || !PlainName(column))
            throw platform::Error(platform::errnum::InvalidOperation, "HxSrvTrans.CheckArchRefed",
                                  "the reference relation " + table + "." + column + " of " + tableName +
                                      " does not name a table and a column");
        std::string query = "SELECT COUNT(*) FROM " + table + " WHERE " + column + " = " + Sql(value.ToText());
        if (!where.empty()) query += " AND (" + where + ")";
        long rows = 0;
        try {
            rows = static_cast<long>(db->OpenRowset(query)->Get(0).ToInt());
        } catch (const platform::Error& e) {
            throw e.WithContext("while counting the references of " + tableName + " in " + table);
        }
        if (rows == 0) continue;
        auto it = std::find_if(objects.begin(), objects.end(), [&](const auto& o) { return o.first == object; });
        if (it == objects.end()) objects.emplace_back(object, rows);
        else it->second += rows;
    }
    guard.done = true;
    if (objects.empty()) return true;
    auto login = CurrentLogin();
    const std::string language = detail::LanguageOf(login.get());
    const std::string separator = detail::HostText(language, "Hx.AA.SRVTRANS.RefSeparator");
    for (const auto& [object, rows] : objects) {
        if (!message.empty()) message += separator;
        message += detail::HostText(language, "Hx.AA.SRVTRANS.RefObject", {object, std::to_string(rows)});
    }
    return false;
}

bool SysStartService::GetAllStartedSys(const std::string& connectionText, const std::string& accountId,
                                       std::string& started) {
    started.clear();
    try {
        const std::string account = txt::Trim(accountId);
        // TKDATA_001_2024: the year of the account database the caller works in.
        const std::string catalog = platform::db::ConnectionInfo::Parse(connectionText).catalog;
        std::string year;
        if (txt::EqualsNoCase(txt::Left(catalog, 7), "TKDATA_") && txt::Len(catalog) == 15 &&
            txt::EqualsNoCase(txt::Mid(catalog, 8, 3), account)) {
            year = txt::Right(catalog, 4);
            if (year.find_first_not_of("0123456789") != std::string::npos) year.clear();
        }
        auto db = detail::Open(detail::SystemConnectionText(connectionText));
        std::string known = "SELECT cAcc_Id FROM UA_Account WHERE cAcc_Id = " + Sql(account);
        if (!year.empty()) known += " AND iYear = " + year;
        if (db->OpenRowset(known)->Eof()) return false;
        std::string query = "SELECT DISTINCT cSub_Id FROM UA_Account_Sub WHERE cAcc_Id = " + Sql(account);
        if (!year.empty()) query += " AND iYear = " + year;
        auto rs = db->OpenRowset(query + " ORDER BY cSub_Id");
        for (; !rs->Eof(); rs->MoveNext()) started += (started.empty() ? "" : ",") + rs->Get(0).ToText();
        return true;
    } catch (const platform::Error&) {
        started.clear();
        return false;
    }
}

}  // namespace host
