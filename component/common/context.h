#pragma once
// The context values every class and window of the component shares: one set per user-interface
// thread, created empty (texts empty, objects nothing, numbers 0, flags false).
#include <cstdint>
#include <memory>
#include <string>

#include "platform/object_factory.h"

namespace sovrel {

class ILogin;
class IBusiness;
class IClsCommon;
class IPubUtil;
class IColumnSetSvc;
class IRowAuthSvc;
class IColAuthSvc;
class IListWindow;
class IForm;
class ICrmCommonSvc;
class ITitleSvc;
class IRightChecker;
class clsLogin;
class IGenerals;

struct Context {
    std::shared_ptr<ILogin> Login;
    std::shared_ptr<IBusiness> Business;
    bool LoggedIn = false;
    std::string UserId, UserName, DbName, LoginDate;
    std::shared_ptr<platform::Object> Product, ActiveFrmMgr, ViewManager;
    bool ToolbarVisible = false;
    std::shared_ptr<IClsCommon> DataService;
    std::shared_ptr<IPubUtil> PubUtil;
    std::shared_ptr<IColumnSetSvc> ColumnSetSvc;
    std::shared_ptr<IRowAuthSvc> RowAuthSvc;
    std::shared_ptr<IColAuthSvc> ColAuthSvc;
    std::string VendorRowAuth, ColReadAuth, ColWriteAuth;
    std::shared_ptr<IListWindow> ListWindow;
    // The one contact card the list and the entry class share (created on first use).
    std::shared_ptr<IForm> ContactCard;
    std::shared_ptr<clsLogin> LoginInfo;
    // The overview library, created on its first use.
    std::shared_ptr<IGenerals> Overview;
    std::string VendorCode, VendorName;
    bool WebFrameOn = false;
    std::int32_t PageSize = 0;
    std::int32_t CurrentPage = 0;
    std::string ColumnInfo, ColumnSelectList, UnsavedColumnSet;
    bool HelpFlag = false;
    // The application's help file (set by Show from the host's text service).
    std::string HelpFile;
    bool DataChanged = false;
    std::string PendingMessage;
    std::string MsgTitle;
    // The data service's module variable: row version text of the contact the card loaded.
    std::string LoadedContactTs;

    // The host's global objects, created on first use (see common/host_objects.h).
    std::shared_ptr<ICrmCommonSvc> crmCommonSvc;
    std::shared_ptr<ITitleSvc> titleSvc;
    std::shared_ptr<IRightChecker> rightChecker;
};

// This thread's context.
Context& Ctx();
// Empties this thread's context (the host's log-off, and tests). What it held is released after
// the context is empty, so a window's destructor that looks at the context finds nothing.
void ResetContext();

// Empties this thread's context when it ends. A program makes one right after its application
// object: the windows and host objects the context holds then go before the application does,
// never at thread exit after it.
class ContextLifetime {
public:
    ContextLifetime() = default;
    ~ContextLifetime() { ResetContext(); }
    ContextLifetime(const ContextLifetime&) = delete;
    ContextLifetime& operator=(const ContextLifetime&) = delete;
};

}  // namespace sovrel
