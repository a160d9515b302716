// Reading: rowsets for any caller, one page of a query, and finding records by condition XML.
#include <algorithm>

#include "common/context.h"
#include "common/logs.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "platform/text.h"
#include "service/clscommon.h"
#include "service/service_errors.h"
#include "xml/transxml.h"

namespace sovrel {

using platform::db::CursorKind;
namespace text = platform::text;

namespace {

// One query with the failure handling OpenX and OpenForward share.
RowsetPtr OpenOn(ClsCommon& self, const std::string& sql, CursorKind kind, const char* procedure, bool* bFlag,
                 std::string* sMsg) {
    try {
        auto rs = self.m_cnn()->OpenRowset(sql, kind);
        if (bFlag) *bFlag = true;
        return rs;
    } catch (...) {
        platform::Error e = service::LogCurrentError(procedure, sql);
        Ctx().PendingMessage = ResText("Hx.CRM.COMMON.DBMSG.Sel0511");
        if (bFlag) *bFlag = false;
        if (sMsg) *sMsg = service::MessageOf(e);
        return nullptr;
    }
}

// The query with "top 0" after its SELECT (or SELECT DISTINCT): its fields without its rows.
std::string StructureQuery(const std::string& s) {
    std::string r = text::Trim(text::Mid(s, 7));
    if (text::LCase(text::Left(r, 8)) == "distinct") return " SELECT distinct  top 0 " + text::Trim(text::Mid(r, 9));
    return text::Left(s, 6) + " top 0 " + text::Mid(s, 7);
}

}  // namespace

RowsetPtr ClsCommon::OpenX(const std::string& strSql, bool* bFlag, std::string* sMsg) {
    return OpenOn(*this, strSql, CursorKind::ClientStatic, "OpenX", bFlag, sMsg);
}

RowsetPtr ClsCommon::OpenForward(const std::string& strSql, bool* bFlag, std::string* sMsg) {
    return OpenOn(*this, strSql, CursorKind::ForwardOnly, "OpenForward", bFlag, sMsg);
}

RowsetPtr ClsCommon::OpenPaged(const std::string& strSql, bool* bFlag, std::string* sMsg) {
    return OpenOn(*this, strSql, CursorKind::Paged, "OpenPaged", bFlag, sMsg);
}

RowsetPtr ClsCommon::OpenRs(const std::string& strSql, ConnectionPtr& cnn, bool& bFlag, std::string& sMsg) {
    try {
        if (!cnn) cnn = m_cnn();
        auto rs = cnn->OpenRowset(strSql);
        bFlag = true;
        return rs;
    } catch (...) {
        platform::Error e = service::LogCurrentError("OpenRs");
        bFlag = false;
        sMsg = service::MessageOf(e);
        return nullptr;
    }
}

void ClsCommon::OpenPage(const std::string& strSql, long& lPageSize, long& lCurPage, long& lMaxPageCount,
                         RowsetPtr& RsRef, std::string* sMsg, bool* bFlag) {
    RsRef.reset();
    RowsetPtr data;
    RowsetPtr structure;
    try {
        std::string s = text::Trim(strSql);
        structure = m_cnn()->OpenRowset(StructureQuery(s))->StructureCopy();
        data = m_cnn()->OpenRowset(s, CursorKind::Paged);
        if (lPageSize <= 0) {
            RsRef = data;
            return;
        }
        data->SetPageSize(lPageSize);
        long pages = data->PageCount();
        lMaxPageCount = pages == 0 ? 1 : pages;
        lCurPage = lCurPage > 0 ? std::min(lCurPage, pages) : pages;
        if (lCurPage != 0) data->SetAbsolutePage(lCurPage);
        RsRef = structure;
    } catch (...) {
        service::LogCurrentError("OpenPage");
        if (sMsg) *sMsg = ResText("Hx.CRM.COMMON.DBMSG.Sel0511");
        if (bFlag) *bFlag = false;
        return;
    }
    if (lCurPage != 0) {
        // Errors from here on are ignored: the page keeps the rows copied so far.
        try {
            // Rows are shown as stored; one that another program wrote longer than its column
            // is noted once and the page goes on.
            std::string overlong;
            for (long n = 0; n < lPageSize && !data->Eof(); ++n) {
                RsRef->AppendCopy(*data);
                if (overlong.empty()) overlong = platform::db::OverlongField(*data);
                data->MoveNext();
            }
            if (!overlong.empty()) WriteSrvLog(service::kModule, "OpenPage", 0, overlong);
        } catch (...) {
            service::LogCurrentError("OpenPage");
        }
        data->Close();
        if (RsRef->RecordCount() > 0) RsRef->MoveFirst();
    }
    if (bFlag) *bFlag = true;
}

RowsetPtr ClsCommon::Find(std::string& sXML, std::vector<std::string>& FindTables, std::vector<std::string>&,
                          std::string& sMsg) {
    Ctx().PendingMessage.clear();
    sMsg = Ctx().PendingMessage;
    UTLCase(sXML, true);
    std::string tables;
    for (const auto& t : FindTables) {
        if (text::Trim(t).empty()) continue;
        if (!CheckSqlName(text::Trim(t))) return nullptr;
        tables += t + ",";
    }
    if (!tables.empty()) tables.pop_back();
    RowsetPtr fields = OpenX("SELECT * FROM " + tables + " WHERE 1=2");
    if (!LoadXmlDocument(sXML)) return nullptr;
    std::string where;
    pugi::xml_node condition = current_.first_child();
    if (!fields || !BuildWhereFromXml(condition, where, fields)) {
        Ctx().PendingMessage = ResText("Hx.CRM.COMMON.DBMSG.Sel0511");
        return nullptr;
    }
    return OpenX("SELECT * FROM " + tables + (text::Trim(where).empty() ? "" : " WHERE " + where));
}

}  // namespace sovrel
