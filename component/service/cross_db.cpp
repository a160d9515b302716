// Operations that reach other databases of the server: switching the shared connection, and
// writing account sub-system rows into the system database.
#include "common/context.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "platform/error.h"
#include "platform/text.h"
#include "service/clscommon.h"
#include "service/service_errors.h"
#include "xml/transxml.h"

namespace sovrel {

namespace text = platform::text;
using platform::db::Value;

bool ClsCommon::zy_ConvertDB(const std::string& CurDBName, std::string& sMsg) {
    Ctx().PendingMessage.clear();
    sMsg.clear();
    try {
        if (CurDBName.empty()) {
            Ctx().PendingMessage = ResText("Hx.CRM.COMMON.DBMSG.NoDB");
            return false;
        }
        if (!CheckSqlName(CurDBName)) return false;
        m_cnn()->Execute("use " + CurDBName);
        return true;
    } catch (...) {
        platform::Error e = service::LogCurrentError("zy_ConvertDB");
        Ctx().PendingMessage = service::MessageOf(e);
        return false;
    }
}

bool ClsCommon::AddInDiffDB(const std::string& sXMLIn, std::vector<std::string>& strSql, const std::string& CurDBName,
                            std::string& TableName, std::string& sMsg) {
    Context& c = Ctx();
    c.PendingMessage.clear();
    bool result = false;
    RowsetPtr rs;
    std::string sXML = sXMLIn;
    UTLCase(sXML, true);
    if (!LoadXmlDocument(sXML) || !CheckSqlName(CurDBName)) {
        ReportFailure(sMsg, result, rs);
        return result;
    }
    DecodeEscapedText(current_);
    ConnectionPtr system, account;
    auto closeBoth = [&] {
        TransCnn(system, 2);
        TransCnn(account, 3);  // closing rolls back what was not committed
    };
    try {
        TransCnn(system, 1);
        TransCnn(account, 1);
        system->Execute("use tksystem");
        auto elements = RecordElements(TableName);
        for (pugi::xml_node element : elements) {
            if (!IsSqlName(TableName) || text::LCase(TableName) != "ua_account_sub") {
                c.PendingMessage = ResTextParams("Hx.CRM.COMMON.DBMSG.NoTableParam", {Value(TableName)});
                ReportFailure(sMsg, result, rs);
                closeBoth();
                return result;
            }
            if (!CheckColumnsOnce(element)) {
                ReportFailure(sMsg, result, rs);
                closeBoth();
                return result;
            }
            bool flag = false;
            std::string message;
            // The year goes in bare only as a whole number; anything else as text, which the
            // database refuses to compare with a number rather than run as SQL.
            const std::string year = text::Trim(GetEleVal(element, "iyear", ""));
            const bool wholeYear = !year.empty() && year.find_first_not_of("0123456789") == std::string::npos;
            rs = OpenRs("SELECT TOP 1 * FROM " + TableName + " WHERE cAcc_Id=" + SqlText(GetEleVal(element, "cAcc_Id", "")) +
                            "  AND iyear=" + (wholeYear ? year : SqlText(year)) +
                            " AND cSub_Id=" + SqlText(GetEleVal(element, "cSub_Id", "")) + " ",
                        system, flag, message);
            if (!rs) throw platform::Error(platform::errnum::CommandFailed, "IClsCommon", message);
            if (rs->RecordCount() == 0) rs->AddNew();
            if (!SetFieldValue(rs, element)) {
                rs->CancelUpdate();
                ReportFailure(sMsg, result, rs);
                closeBoth();
                return result;
            }
            rs->Update();
            rs.reset();
        }
        // Nothing runs on the account connection before this point, so its transaction starts
        // here, after the switch: a file database cannot change files inside a transaction.
        account->Execute("use " + CurDBName);
        account->BeginTrans();
        for (const auto& sql : strSql)
            if (!sql.empty()) account->Execute(sql);
        account->CommitTrans();
        closeBoth();
        return true;
    } catch (...) {
        platform::Error e = service::LogCurrentError("AddInDiffDB");
        c.PendingMessage = service::MessageOf(e);
        if (rs) rs->CancelUpdate();
        ReportFailure(sMsg, result, rs);
        closeBoth();
        return result;
    }
}

}  // namespace sovrel
