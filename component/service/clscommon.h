#pragma once
// ClsCommon: the data service behind IClsCommon.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "common/hosts/services.h"
#include "service/history.h"
#include "service/iclscommon.h"

namespace sovrel {

class ClsCommon : public IClsCommon {
public:
    ClsCommon();
    ~ClsCommon() override;

    bool Status() const override { return status_; }
    void SetStatus(bool status) override { status_ = status; }
    void Init(std::string& sCnnStr) override;
    bool Add(std::string& sXML, std::string& TableName, std::string& sMsg) override;
    bool Modify(std::string& sXML, std::string& TableName, std::string& sMsg) override;
    bool Delete(platform::db::Value& ID, std::string& IDName, std::string& TableName, std::string& sMsg,
                const std::string& sUserId = "") override;
    RowsetPtr OpenX(const std::string& strSql, bool* bFlag = nullptr, std::string* sMsg = nullptr) override;
    // Kept until a write finds the settings changed (every write reads them again in its own
    // round trip and compares), or this service writes through ExecuteX.
    RowsetPtr OpenKept(const std::string& strSql) override;
    void OpenPage(const std::string& strSql, long& lPageSize, long& lCurPage, long& lMaxPageCount, RowsetPtr& RsRef,
                  std::string* sMsg = nullptr, bool* bFlag = nullptr) override;
    RowsetPtr OpenForward(const std::string& strSql, bool* bFlag = nullptr, std::string* sMsg = nullptr) override;
    RowsetPtr OpenPaged(const std::string& strSql, bool* bFlag = nullptr, std::string* sMsg = nullptr) override;
    RowsetPtr Find(std::string& sXML, std::vector<std::string>& FindTables, std::vector<std::string>& ShowTables,
                   std::string& sMsg) override;
    bool ExecuteX(const std::string& StrExec) override;
    bool SetLogin(std::shared_ptr<ILogin>& oLogin) override;
    bool GetFunAuth(std::shared_ptr<ILogin> oLogin, const std::string& sArch, int bIsLock, std::string* sErr = nullptr,
                    int OptId = 0, const std::string& sAuth_Id = "", int iYear = 0) override;
    void Terminate() override;
    bool zy_ConvertDB(const std::string& CurDBName, std::string& sMsg) override;
    bool AddInDiffDB(const std::string& sXML, std::vector<std::string>& strSql, const std::string& CurDBName,
                     std::string& TableName, std::string& sMsg) override;
    std::string ReIdVal(const platform::db::Value& strTemp) override;
    ConnectionPtr m_cnn() override;
    std::string m_CnnString() const override { return cnnString_; }
    bool BArchIsUsed(std::string& cTableName, std::string& cField, platform::db::Value& cRetval) override;
    bool CheckRefed(platform::db::Value& IDValue, std::string& TableName, bool& bShowAll, std::string* RetMsg = nullptr,
                    const std::string& cUserId = "") override;
    void UTLCase(std::string& sXML, bool bConvertStr = false) override;
    RowsetPtr OpenRs(const std::string& strSql, ConnectionPtr& cnn, bool& bFlag, std::string& sMsg) override;

    // The operation mode: 1 while Add runs, 2 while Modify runs (the last value stays).
    std::int16_t OperationMode() const { return mode_; }
    // False writes contacts without their history: only for measuring what the history costs.
    void SetKeepHistory(bool keep) { keepHistory_ = keep; }

private:
    bool LoadXmlDocument(const std::string& text);
    // The common start of Add and Modify: clears the messages, normalises and loads the XML.
    bool StartWrite(std::string& sXML, std::string& sMsg);
    // The error handler's end of Add and Modify (called inside their catch blocks).
    void FailWrite(const char* procedure, long knownNumber, const char* knownKey, std::string& sMsg, bool& result,
                   RowsetPtr& rs);
    void ReportFailure(std::string& sMsg, bool& result, RowsetPtr& rs);
    bool SetFieldValue(RowsetPtr& rs, const pugi::xml_node& element);
    bool RunServiceRequest(const std::string& request, pugi::xml_node& element, const std::string& TableName);
    void TransCnn(ConnectionPtr& cnn, int mode);
    // False, with PendingMessage = XMLMSG003(name), when a column element of the record repeats.
    bool CheckColumnsOnce(const pugi::xml_node& element);
    bool CheckRecord(pugi::xml_node& element, RowsetPtr& rs, const std::string& TableName);
    std::vector<pugi::xml_node> RecordElements(const std::string& TableName);
    enum class Written { Yes, Duplicate, SettingsChanged };
    // Writes the contact the rowset holds and its history (before: its values as read; empty for
    // a new one) in one transaction, nested in the caller's when one is open. The settings the
    // record's checks read (OpenKept) are read again with the write and the contact code looked
    // for (duplicateCode, none when null), in the write's own round trip: SettingsChanged or Duplicate
    // roll the write back (and forget the kept settings). Throws the database's error otherwise.
    Written WriteChecked(RowsetPtr& rs, const history::Values& before, std::string_view kind,
                         const std::string* duplicateCode);
    // Whether the settings reads the current record's checks used still read the same; forgets
    // the kept ones when not.
    bool KeptReadsHold();
    // One record through prepare (which sets rs; false refuses, its message pending), the record's
    // checks, its values into rs and write. Refused by settings kept from before a change, or
    // written as SettingsChanged, it is tried once more from the record as it came. Nothing when
    // refused (the row cancelled).
    std::optional<Written> CheckAndWrite(pugi::xml_node& element, RowsetPtr& rs, const std::string& TableName,
                                         const std::function<bool()>& prepare, const std::function<Written()>& write);
    // An empty rowset to add a row of table to, its structure read once per service.
    RowsetPtr NewRow(const std::string& table);

    bool status_ = false;
    std::unique_ptr<pugi::xml_document> doc_;
    pugi::xml_node current_;
    std::shared_ptr<ILogin> login_;
    std::string cnnString_;
    ConnectionPtr cnn_;
    std::int16_t mode_ = 0;
    bool keepHistory_ = true;
    // The table structures and the settings reads this service keeps; the reads the current
    // record's checks were answered from.
    std::map<std::string, RowsetPtr> structures_, kept_;
    std::vector<std::pair<std::string, RowsetPtr>> keptUsed_;
    // Made at the first Delete and kept: it keeps its connection between the checks of many deletes.
    std::shared_ptr<IArchiveService> archive_;
};

// Registers ClsCommon under "Sovrel.IClsCommon".
void RegisterDataService();

}  // namespace sovrel
