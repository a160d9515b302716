#pragma once
// IClsCommon: the component's data service, the only class that talks to the account database.
// Operations report by result and message and never throw. ClsCommon implements it.
// Values handed in reach statements only as quoted literals; the names handed in (IDName,
// FindTables, cTableName, cField, CurDBName) must be plain names, or the call is refused with
// Hx.CRM.COMMON.DBMSG.BadName before any statement runs.
#include <memory>
#include <string>
#include <vector>

#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/db/value.h"
#include "platform/object_factory.h"

namespace sovrel {

class ILogin;
using RowsetPtr = std::shared_ptr<platform::db::Rowset>;
using ConnectionPtr = std::shared_ptr<platform::db::Connection>;

class IClsCommon : public platform::Object {
public:
    // In the order of the class's interface.
    virtual bool Status() const = 0;
    virtual void SetStatus(bool status) = 0;
    virtual void Init(std::string& sCnnStr) = 0;
    virtual bool Add(std::string& sXML, std::string& TableName, std::string& sMsg) = 0;
    virtual bool Modify(std::string& sXML, std::string& TableName, std::string& sMsg) = 0;
    virtual bool Delete(platform::db::Value& ID, std::string& IDName, std::string& TableName, std::string& sMsg,
                        const std::string& sUserId = "") = 0;
    // No rowset on failure; bFlag and sMsg are optional out-arguments.
    virtual RowsetPtr OpenX(const std::string& strSql, bool* bFlag = nullptr, std::string* sMsg = nullptr) = 0;
    // A read of the account's settings (the user-defined items' definitions and value lists),
    // which a service may keep and answer from while they stand; as OpenX otherwise.
    virtual RowsetPtr OpenKept(const std::string& strSql) { return OpenX(strSql); }
    virtual void OpenPage(const std::string& strSql, long& lPageSize, long& lCurPage, long& lMaxPageCount,
                          RowsetPtr& RsRef, std::string* sMsg = nullptr, bool* bFlag = nullptr) = 0;
    virtual RowsetPtr OpenForward(const std::string& strSql, bool* bFlag = nullptr, std::string* sMsg = nullptr) = 0;
    // As OpenX, for a list that may be long: the rows are read a page at a time as they are
    // reached, so opening costs a count and one page whatever the list's length.
    virtual RowsetPtr OpenPaged(const std::string& strSql, bool* bFlag = nullptr, std::string* sMsg = nullptr) {
        return OpenX(strSql, bFlag, sMsg);
    }
    virtual RowsetPtr Find(std::string& sXML, std::vector<std::string>& FindTables,
                           std::vector<std::string>& ShowTables, std::string& sMsg) = 0;
    virtual bool ExecuteX(const std::string& StrExec) = 0;
    virtual bool SetLogin(std::shared_ptr<ILogin>& oLogin) = 0;
    virtual bool GetFunAuth(std::shared_ptr<ILogin> oLogin, const std::string& sArch, int bIsLock,
                            std::string* sErr = nullptr, int OptId = 0, const std::string& sAuth_Id = "",
                            int iYear = 0) = 0;
    virtual void Terminate() = 0;
    virtual bool zy_ConvertDB(const std::string& CurDBName, std::string& sMsg) = 0;
    virtual bool AddInDiffDB(const std::string& sXML, std::vector<std::string>& strSql, const std::string& CurDBName,
                             std::string& TableName, std::string& sMsg) = 0;
    virtual std::string ReIdVal(const platform::db::Value& strTemp) = 0;
    // The shared connection; created (unopened) when absent.
    virtual ConnectionPtr m_cnn() = 0;
    virtual std::string m_CnnString() const = 0;
    virtual bool BArchIsUsed(std::string& cTableName, std::string& cField, platform::db::Value& cRetval) = 0;
    virtual bool CheckRefed(platform::db::Value& IDValue, std::string& TableName, bool& bShowAll,
                            std::string* RetMsg = nullptr, const std::string& cUserId = "") = 0;
    virtual void UTLCase(std::string& sXML, bool bConvertStr = false) = 0;

    // Reachable only from inside the component: a query on a connection of the caller's choice
    // (the shared one, handed back, when cnn is empty).
    virtual RowsetPtr OpenRs(const std::string& strSql, ConnectionPtr& cnn, bool& bFlag, std::string& sMsg) = 0;
};

}  // namespace sovrel
