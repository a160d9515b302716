#include "entry/icontact.h"

#include "common/context.h"
#include "common/form.h"
#include "common/host_objects.h"
#include "common/hosts/pub_util.h"
#include "common/hosts/services.h"
#include "common/messages.h"
#include "common/prog_ids.h"
#include "common/screen.h"
#include "common/texts.h"
#include "common/window_utils.h"
#include "entry/authority.h"
#include "platform/diagnostics.h"
#include "service/iclscommon.h"

namespace sovrel {

namespace {

constexpr const char* kBrowseRight = "AS020302";

void TraceLine(const std::string& label, const std::string& text) {
    bool flag = true;
    CrmCommonSvc().Trace(label, text, flag);
}

// Gives the browse right back however Show ends; the host's error, if any, has already been
// raised by the call that failed and must not be hidden by this one.
class BrowseRightRelease {
public:
    ~BrowseRightRelease() {
        try {
            RightChecker().ReleaseRight(Ctx().Login, kBrowseRight);
        } catch (...) {
        }
    }
};

template <class T>
std::shared_ptr<T> CreateService(const char* progId, const char* missingKey) {
    auto service = platform::Create<T>(progId);
    if (!service) ShowInfo(ResText(missingKey));
    return service;
}

}  // namespace

IContact::IContact() = default;
IContact::~IContact() = default;

void IContact::showCalledByVendorArchive(std::shared_ptr<ILogin> oLogin, const std::string& VendorCode,
                                         const std::string& VendorName, bool bIsToolbarVisible, ObjectPtr oProduct,
                                         ObjectPtr oActiveFrmMgr, ObjectPtr oViewManager) {
    TraceLine("showCalledByVendorArchive Begin", "=========================");
    Ctx().VendorCode = VendorCode;
    Ctx().VendorName = VendorName;
    TraceLine("showCalledByVendorArchive", "vendorCode===============" + VendorCode);
    TraceLine("showCalledByVendorArchive", "vendorName===============" + VendorName);
    Show(std::move(oLogin), bIsToolbarVisible, std::move(oProduct), std::move(oActiveFrmMgr), std::move(oViewManager),
         nullptr);
    Ctx().VendorCode.clear();
    Ctx().VendorName.clear();
    TraceLine("showCalledByVendorArchive  End", "=========================");
}

void IContact::Show(std::shared_ptr<ILogin> oLogin, bool bIsToolbarVisible, ObjectPtr oProduct,
                    ObjectPtr oActiveFrmMgr, ObjectPtr oViewManager, std::shared_ptr<IBusiness> Business) {
    Context& c = Ctx();
    c.WebFrameOn = true;
    c.PageSize = 10000;
    if (ActivateOpenForm("frmContactList")) return;

    auto window = platform::Create<IListWindow>(progid::ContactListWindow);
    if (!window) {
        platform::DebugOutput("IContact.Show: no contact list window is registered under " +
                              std::string(progid::ContactListWindow));
        return;
    }
    c.ListWindow = window;
    window->SetEntryObject(std::weak_ptr<platform::Object>(std::static_pointer_cast<platform::Object>(weak_from_this().lock())));

    c.Login = std::move(oLogin);
    if (!c.Login) {
        ShowInfo(ResText("Hx.CRM.COMMON.DBMSG.HxLogin0001"));
        return;
    }
    BrowseRightRelease release;
    if (!RightChecker().AcquireRight(c.Login, kBrowseRight)) return;
    ShowAfterRight(bIsToolbarVisible, std::move(oProduct), std::move(oActiveFrmMgr), std::move(oViewManager),
                   std::move(Business));
}

void IContact::ShowAfterRight(bool bIsToolbarVisible, ObjectPtr oProduct, ObjectPtr oActiveFrmMgr,
                              ObjectPtr oViewManager, std::shared_ptr<IBusiness> Business) {
    Context& c = Ctx();
    c.Product = std::move(oProduct);
    c.ActiveFrmMgr = std::move(oActiveFrmMgr);
    c.ViewManager = std::move(oViewManager);
    c.ToolbarVisible = bIsToolbarVisible;

    c.DataService = platform::Create<IClsCommon>(progid::IClsCommon);
    if (!c.DataService) {
        ShowInfo(ResText("Hx.CRM.COMMON.DBMSG.0002"));
        return;
    }
    std::string connection = c.Login->tkDBName();
    c.DataService->Init(connection);
    c.UserId = c.Login->cUserId();
    c.UserName = c.Login->cUserName();
    c.DbName = c.Login->tkDBName();
    c.LoginDate = c.Login->CurDate();
    if (!c.DataService->Status()) {
        ShowInfo(ResText("Hx.CRM.COMMON.DBMSG.0003") + "\r\n" + ResText("Hx.CRM.COMMON.DBMSG.0004"));
        return;
    }
    if (!c.PubUtil) c.PubUtil = platform::Create<IPubUtil>(progid::PubUtil);
    if (!c.PubUtil) {
        ShowInfo(ResText("Hx.CRM.COMMON.DBMSG.0005"));
        return;
    }
    if (c.PubUtil->IsLockFun(c.DataService, c.Login, "Ven_Contact", 1)) return;

    c.ColumnSetSvc = CreateService<IColumnSetSvc>(progid::ColumnSetSvc, "Hx.CRM.TkCompetitor.icompetitor.00157");
    if (!c.ColumnSetSvc) return;
    c.ColumnSetSvc->Init(c.DbName, c.UserId);
    c.RowAuthSvc = CreateService<IRowAuthSvc>(progid::RowAuthSvc, "Hx.CRM.TkCompetitor.icompetitor.00158");
    if (!c.RowAuthSvc) return;
    c.RowAuthSvc->Init(c.DbName, c.UserId);
    c.ColAuthSvc = CreateService<IColAuthSvc>(progid::ColAuthSvc, "Hx.CRM.TkCompetitor.icompetitor.00159");
    if (!c.ColAuthSvc) return;
    c.ColAuthSvc->Init(c.DbName, c.UserId);
    InitAuthStrings();
    c.HelpFile = CrmCommonSvc().GetHelpFile();

    bool embedded = c.Product && c.ActiveFrmMgr;
    if (!Business) {
        c.Business = nullptr;
        if (embedded) c.ListWindow->ShowModeless();
        else c.ListWindow->ShowModal();
        return;
    }
    c.Business = Business;
    std::shared_ptr<IForm> form = c.ListWindow;
    auto env = Business->CreateFormEnv("frmContactList_Key", form);
    Business->ShowForm(form, "CS", "frmContactList_Key", false, !embedded, env);
    if (auto list = std::dynamic_pointer_cast<IListWindow>(form)) c.ListWindow = list;
}

bool IContact::CheckRefed(const platform::db::Value&, const std::string&, const std::string&,
                          std::shared_ptr<IClsCommon>, const std::string&) {
    return false;  // reference checks belong to the data service
}

void IContact::OpenPage(const std::string& strSql, std::int32_t&, std::int32_t&, std::int32_t&, RowsetPtr& RsRef,
                        std::string*, bool*, bool*) {
    Context& c = Ctx();
    SetScreenMousePointer(pointer::Hourglass);
    std::string before;
    if (c.ListWindow) {
        before = c.ListWindow->StatusText();
        c.ListWindow->SetStatusText(ResText("Hx.CRM.TkCompetitor.icompetitor.00161"));
    }
    bool flag = false;
    std::string message;
    RsRef = c.DataService ? c.DataService->OpenPaged(strSql, &flag, &message) : nullptr;
    if (c.ListWindow) c.ListWindow->SetStatusText(before);
    SetScreenMousePointer(pointer::Default);
}

std::string IContact::getColInfo(const std::string& cKey, std::uint8_t iReturnMode) {
    std::string sXML;
    if (events_.EventGetColInfo) events_.EventGetColInfo(cKey, iReturnMode, sXML);
    return sXML;
}

RowsetPtr IContact::getColSet(const std::string& cKey, std::uint8_t iReturnMode) {
    RowsetPtr rs;
    if (events_.EventGetColSet) events_.EventGetColSet(cKey, iReturnMode, rs);
    return rs;
}

bool IContact::DelCustomer(const std::string&) { return false; }

std::shared_ptr<IBusiness> IContact::Business() const { return Ctx().Business; }
void IContact::SetBusiness(std::shared_ptr<IBusiness> business) { Ctx().Business = std::move(business); }

bool IContact::Login(const std::shared_ptr<ILogin>& oLogin) { return oLogin != nullptr; }
bool IContact::LogOff() { return true; }

bool IContact::ILoginable_Login() {
    Context& c = Ctx();
    if (!c.Business) return c.LoggedIn;
    c.Login = c.Business->GetVBclsLogin();
    bool ok = Login(c.Login);
    if (ok) c.LoggedIn = true;
    return ok;
}

std::int32_t IContact::ILoginable_CallFunction(const std::string&, const std::string&, const std::string&,
                                               const std::string&) {
    Show(Ctx().Login, false, nullptr, nullptr, nullptr, nullptr);
    return 0;
}

bool IContact::ILoginable_LogOff() {
    Context& c = Ctx();
    if (!c.LoggedIn) return true;
    bool ok = LogOff();
    if (ok) c.LoggedIn = false;
    return ok;
}

}  // namespace sovrel
