// Delete of one contact after the host's reference check, and the general reference tests.
#include "common/context.h"
#include "common/logs.h"
#include "common/hosts/services.h"
#include "common/prog_ids.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "platform/error.h"
#include "platform/text.h"
#include "service/clscommon.h"
#include "service/history.h"
#include "service/service_errors.h"

namespace sovrel {

namespace text = platform::text;
using platform::db::Value;

bool ClsCommon::Delete(Value& ID, std::string& IDName, std::string& TableName, std::string& sMsg, const std::string&) {
    Context& c = Ctx();
    c.PendingMessage.clear();
    sMsg.clear();
    bool result = false;
    RowsetPtr rs;
    auto fail = [&] {
        ReportFailure(sMsg, result, rs);
        return result;
    };
    // Up to the link clearing, errors reach the caller, as the list's own handler expects.
    if (ID.IsNull() || (ID.AsText() && ID.AsText()->empty()) || ID.IsEmpty()) {
        c.PendingMessage = ResText("Hx.CRM.COMMON.DBMSG.NoKeyID");
        return fail();
    }
    if (text::LCase(TableName) != "ven_contact") {
        c.PendingMessage = ResText("Hx.CRM.TkBaseCodeRefer.clscommon.00083");
        return fail();
    }
    if (text::Trim(IDName).empty()) {
        c.PendingMessage = ResText("Hx.CRM.TkCompetitor.iclscommon.00059");
        return fail();
    }
    if (!CheckSqlName(IDName)) return fail();
    const std::string value = SqlText(ID.ToText());
    // The whole row, read once: its values are the history of the delete.
    rs = m_cnn()->OpenRowset("SELECT * FROM Ven_Contact WHERE " + IDName + "= " + value);
    if (rs->RecordCount() == 0) {
        c.PendingMessage = ResText("Hx.CRM.COMMON.DBMSG.Sel0512");
        return fail();
    }
    if (!archive_) archive_ = platform::CreateRequired<IArchiveService>(progid::ArchiveService, "IClsCommon");
    const auto& archive = archive_;
    archive->Init(m_cnn()->ConnectionString());
    std::string caption = ResText("Hx.AA.ARCHIVE.COMMON.vendorcontactmanagement");
    for (const char* key : {"oid", "cContactCode"}) {
        if (!archive->CheckArchRefed(rs->Get(key), "ven_contact", caption, sMsg)) {
            sMsg = ResTextParams("Hx.CRM.COMMON.CheckRef02", {Value(caption), Value(sMsg)});
            return fail();
        }
    }
    m_cnn()->Execute(
        "update Vendor set csovrelcode=null,cvenPerson='' where cSovrelCode in (select oid from ven_contact where " +
        IDName + "=" + value + ")");
    // The delete and its history stand or fall together.
    ConnectionPtr cnn = m_cnn();
    const int level = cnn->BeginTrans();
    auto rollback = [&] {
        if (cnn->TransactionLevel() >= level) cnn->RollbackTrans();
    };
    try {
        bool whole = ID.kind() == Value::Kind::Integer && ID.ToInt() >= -2147483648LL && ID.ToInt() <= 2147483647LL;
        std::string sql = "Delete FROM " + TableName + " WHERE " + IDName +
                          (whole ? "=" + ID.ToText() : "=" + value);
        if (cnn->Execute(sql) == 1) {
            // Sent with the commit, in its round trip.
            history::Statement change = history::ChangeStatement(history::kind::Delete, *rs, history::RowValues(*rs), {});
            if (!change.sql.empty())
                cnn->ExecuteAhead(change.sql, std::move(change.params),
                                  platform::db::Connection::AheadFailure::RollsBackTheLevel);
            cnn->CommitTrans();
            return true;
        }
        rollback();
        c.PendingMessage = ResText("Hx.CRM.COMMON.DBMSG.Sel0512");
        return fail();
    } catch (...) {
        service::LogCurrentError("Delete");
        rollback();
        c.PendingMessage = ResText("Hx.CRM.COMMON.DBMSG.Del01") + "\r\n" + ResText("Hx.CRM.COMMON.DBMSG.Del02");
        return fail();
    }
}

bool ClsCommon::CheckRefed(Value& IDValue, std::string& TableName, bool& bShowAll, std::string* RetMsg,
                           const std::string&) {
    std::string local;
    std::string& message = RetMsg ? *RetMsg : local;
    try {
        auto relations = m_cnn()->OpenRowset(
            "SELECT creferencedtablekey,creferencingtablecolumn,creferencingtablename,cwherepart,cObjName"
            " FROM crm_ref_relation WHERE creferencedtablename=" + SqlText(TableName));
        for (; !relations->Eof(); relations->MoveNext()) {
            const std::string table = relations->Get("cReferencingTableName").ToText();
            const std::string column = relations->Get("cReferencingTableColumn").ToText();
            // A relation row naming no plain table or column cannot be asked: "referenced".
            if (!IsSqlName(table) || !IsSqlName(column)) return false;
            // cwherepart is a condition of the administrator's relation table, SQL by design.
            std::string sql = "select top 1 * from " + table + " where " + column + " = " + SqlText(IDValue.ToText());
            std::string extra = relations->Get("cwherepart").ToText();
            if (text::Len(extra) > 0) sql += " and " + extra;
            if (m_cnn()->OpenRowset(sql)->RecordCount() > 0) {
                std::string name = relations->Get("cObjName").ToText();
                message = message.empty() ? name : message + "、" + name;
                if (!bShowAll) return false;
            }
        }
        return message.empty();
    } catch (...) {
        return false;  // the reference test answers "referenced" when it cannot tell
    }
}

bool ClsCommon::BArchIsUsed(std::string& cTableName, std::string& cField, Value& cRetval) {
    if (!CheckSqlName(cTableName) || !CheckSqlName(cField)) return false;
    std::string error;
    // Through OpenX, whose log entry carries the statement that failed.
    auto rs = OpenX("SELECT TOP 1 * FROM " + cTableName + " WHERE " + cField + " = " + SqlText(cRetval.ToText()), nullptr,
                    &error);
    if (!rs) {
        WriteSrvLog(service::kModule, "BArchIsUsed", platform::errnum::CommandFailed, error);
        Ctx().PendingMessage = ResText("Hx.CRM.COMMON.DBMSG.0008");
        return false;
    }
    if (rs->RecordCount() > 0) {
        Ctx().PendingMessage = ResText("Hx.CRM.COMMON.DBMSG.Ref01");
        return true;
    }
    return false;
}

}  // namespace sovrel
