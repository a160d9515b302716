#pragma once
// IContact: the class the portal and other modules create to use the vendor-contact archive.
// Shared state lives in the context values (common/context.h), not in the instance.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "entry/iloginable.h"
#include "service/record_check.h"
#include "platform/db/rowset.h"
#include "platform/db/value.h"
#include "platform/object_factory.h"

namespace sovrel {

class IBusiness;
class IClsCommon;
class ILogin;
using RowsetPtr = std::shared_ptr<platform::db::Rowset>;
using ObjectPtr = std::shared_ptr<platform::Object>;

// The event interface __IContact: handlers the host may set. Only EventGetColInfo and
// EventGetColSet are raised by the component; the others are declared for hosts.
struct IContactEvents {
    std::function<void(const std::string& strSql, platform::db::Value& rst, platform::db::Value& sMsg)> EventOpenX;
    std::function<void(const std::string& strSql, std::int32_t& iPageSize, std::int32_t& lCurPage,
                       std::int32_t& lMaxPageCount, platform::db::Value& RsRef, std::string& sMsg, bool& bFlag)>
        EventOpenPage;
    std::function<void(const platform::db::Value& oLogin, const std::string& sArch, std::int16_t bIsLock,
                       std::string& sErr, std::int16_t OptId, const std::string& sAuth_Id, std::int16_t iYear,
                       bool& bFlag)>
        EventGetFunAuth;
    std::function<void(const std::string& sXML, const std::string& TableName, platform::db::Value& sMsg,
                       platform::db::Value& bErr)>
        EventAdd, EventModify;
    std::function<void(const platform::db::Value& ID, const std::string& IDName, const std::string& TableName,
                       platform::db::Value& sMsg, const std::string& cUserId, platform::db::Value& bErr)>
        EventDelete;
    std::function<void(const std::string& sXML, std::vector<std::string>& FindTableName,
                       std::vector<std::string>& ShowTableName, platform::db::Value& sMsg, platform::db::Value& rst)>
        EventFind;
    std::function<void(const std::string& strSql, platform::db::Value& bFlag)> EventExecuteX;
    std::function<void(const std::string& cKey, std::uint8_t iReturnMode, std::string& sXML)> EventGetColInfo;
    std::function<void(const std::string& cKey, std::uint8_t iReturnMode, RowsetPtr& Rs)> EventGetColSet;
    std::function<void(std::string& sXML, platform::db::Value& bFlag)> EventSaveRs;
    std::function<void(const std::string& sXML, platform::db::Value& strSql)> EventGetSqlString;
    std::function<void(const std::string& sXML, std::string& str)> EventGetOrderString;
    std::function<void(platform::db::Value& col)> EventiCols;
    std::function<void(platform::db::Value& fixCol)> EventGetFixedCols;
    std::function<void(const std::string& TableName, platform::db::Value& sId)> EventGetAuthString;
};

class IContact : public platform::Object,
                 public ILoginable,
                 public IRecordCheck,
                 public std::enable_shared_from_this<IContact> {
public:
    IContact();
    ~IContact() override;

    // Handlers of __IContact.
    IContactEvents& Events() { return events_; }

    // In the order of the class's interface.
    void showCalledByVendorArchive(std::shared_ptr<ILogin> oLogin, const std::string& VendorCode,
                                   const std::string& VendorName, bool bIsToolbarVisible = false,
                                   ObjectPtr oProduct = nullptr, ObjectPtr oActiveFrmMgr = nullptr,
                                   ObjectPtr oViewManager = nullptr);
    void Show(std::shared_ptr<ILogin> oLogin, bool bIsToolbarVisible = false, ObjectPtr oProduct = nullptr,
              ObjectPtr oActiveFrmMgr = nullptr, ObjectPtr oViewManager = nullptr,
              std::shared_ptr<IBusiness> Business = nullptr);
    // Checks and completes the sixteen user-defined fields of a contact record before it is
    // written; other tables pass. False leaves the reason in the context's PendingMessage.
    bool Trans(std::int16_t tOpt, pugi::xml_node& Ele, RowsetPtr& rst, const std::string& TableName,
               IClsCommon& ICom) override;
    bool CheckComUserDef(pugi::xml_node Ele, std::int16_t Opt, IClsCommon& ICom, const std::string& sArch,
                         const std::string& sUserDefField);
    bool CheckRefed(const platform::db::Value& ID, const std::string& IDName, const std::string& TableName,
                    std::shared_ptr<IClsCommon> ICom, const std::string& cUserId = "");
    void OpenPage(const std::string& strSql, std::int32_t& lPageSize, std::int32_t& lCurPage,
                  std::int32_t& lMaxPageCount, RowsetPtr& RsRef, std::string* sMsg = nullptr, bool* bFlag = nullptr,
                  bool* bRef = nullptr);
    std::string getColInfo(const std::string& cKey, std::uint8_t iReturnMode = 0);
    RowsetPtr getColSet(const std::string& cKey, std::uint8_t iReturnMode = 0);
    bool DelCustomer(const std::string& strCusCode);
    std::shared_ptr<IBusiness> Business() const;
    void SetBusiness(std::shared_ptr<IBusiness> business);
    bool Login(const std::shared_ptr<ILogin>& oLogin);
    bool LogOff();

    // ILoginable
    bool ILoginable_Login() override;
    std::int32_t ILoginable_CallFunction(const std::string& a, const std::string& b, const std::string& c,
                                         const std::string& d) override;
    bool ILoginable_LogOff() override;

    // The operation code last passed to Trans.
    std::int16_t CurrentOpt = 0;

private:
    void ShowAfterRight(bool bIsToolbarVisible, ObjectPtr oProduct, ObjectPtr oActiveFrmMgr,
                        ObjectPtr oViewManager, std::shared_ptr<IBusiness> Business);

    IContactEvents events_;
};

// Registers the component's own classes under their program identifiers ("Sovrel.IContact", ...).
void RegisterComponentClasses();

}  // namespace sovrel
