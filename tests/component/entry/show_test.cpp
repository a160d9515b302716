// IContact.Show and the portal's login interface, against scripted host objects.
#include <gtest/gtest.h>

#include <functional>

#include "common/context.h"
#include "entry/icontact.h"
#include "../support/fakes.h"

namespace sovrel {
namespace {

class ShowTest : public ::testing::Test {
protected:
    fakes::Host host;
    std::shared_ptr<IContact> entry = std::make_shared<IContact>();
    void Show() { entry->Show(host.login); }
};

TEST_F(ShowTest, OpensTheListModalAfterSettingUpTheContext) {
    host.rowAuth->answer = "5,7";
    host.colAuth->read = "cVenName,CVENADDRESS";
    Show();
    const Context& c = Ctx();
    EXPECT_TRUE(host.crm->messages.empty());
    EXPECT_EQ(c.DbName, host.login->db);
    EXPECT_EQ(c.VendorRowAuth, "vendor.iId in (5,7)");
    EXPECT_EQ(c.ColReadAuth, "cvenname,cvenaddress");
    EXPECT_EQ(host.log.Count("DataService.Init " + host.login->db), 1);
    EXPECT_TRUE(host.log.Has("IsLockFun Ven_Contact 1"));
    EXPECT_EQ(host.window->entry.lock().get(), entry.get());
    // The right is released after the modal window closed.
    auto& calls = host.log.calls;
    auto shown = std::find(calls.begin(), calls.end(), "ShowModal");
    auto released = std::find(calls.begin(), calls.end(), "ReleaseRight AS020302");
    ASSERT_NE(shown, calls.end());
    ASSERT_NE(released, calls.end());
    EXPECT_LT(shown, released);
    EXPECT_EQ(host.log.Count("AcquireRight AS020302"), 1);
}

// Each early exit: its message (none for a refused right or a held lock), the window never shown,
// the right given back exactly once when it was taken, and the step after the exit never reached.
TEST_F(ShowTest, EachEarlyExitShowsItsMessageAndReleasesTheRightItTook) {
    auto withdraw = [](const char* id) { return [id](fakes::Host& h) { h.Withdraw(id); }; };
    struct Case {
        const char* name;
        std::function<void(fakes::Host&)> arrange;
        const char* message;  // "" = none shown
        int style;            // 0 = not checked
        bool withLogin = true;
        const char* notReached = "ShowModal";
    } cases[] = {
        {"no data service", withdraw(progid::IClsCommon), "Hx.CRM.COMMON.DBMSG.0002", 64},
        {"no pub util", withdraw(progid::PubUtil), "Hx.CRM.COMMON.DBMSG.0005", 64},
        {"no column set", withdraw(progid::ColumnSetSvc), "Hx.CRM.TkCompetitor.icompetitor.00157", 64},
        {"no row auth", withdraw(progid::RowAuthSvc), "Hx.CRM.TkCompetitor.icompetitor.00158", 64},
        {"no col auth", withdraw(progid::ColAuthSvc), "Hx.CRM.TkCompetitor.icompetitor.00159", 64},
        {"service not started", [](fakes::Host& h) { h.data->status = false; },
         "Hx.CRM.COMMON.DBMSG.0003\r\nHx.CRM.COMMON.DBMSG.0004", 0},
        {"right refused", [](fakes::Host& h) { h.rights->answer = false; }, "", 0, true, "DataService.Init"},
        {"lock held", [](fakes::Host& h) { h.pub->lockHeld = true; }, "", 0, true, "ColumnSet.Init"},
        {"no login", [](fakes::Host&) {}, "Hx.CRM.COMMON.DBMSG.HxLogin0001", 0, false, "AcquireRight"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fakes::Host h;
        c.arrange(h);
        std::make_shared<IContact>()->Show(c.withLogin ? h.login : nullptr);
        EXPECT_EQ(h.crm->messages, *c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
        if (c.style) {
            EXPECT_EQ(h.crm->lastStyle, c.style);
        }
        EXPECT_FALSE(h.log.Has("ShowModal"));
        EXPECT_FALSE(h.log.Has(c.notReached));
        EXPECT_EQ(h.log.Count(c.withLogin ? "ReleaseRight AS020302" : "ReleaseRight"), c.withLogin ? 1 : 0);
    }
}

TEST_F(ShowTest, AnOpenListIsOnlyBroughtToTheFront) {
    fakes::ListWindow open(host.log);
    RegisterOpenForm(&open);
    Show();
    UnregisterOpenForm(&open);
    EXPECT_TRUE(host.log.Has("BringToFront"));
    EXPECT_FALSE(host.log.Has("AcquireRight"));
    EXPECT_FALSE(host.log.Has("ReleaseRight"));
    EXPECT_EQ(Ctx().DataService, nullptr);
}

TEST_F(ShowTest, InsideThePortalTheListIsModeless) {
    auto product = std::make_shared<platform::Object>();
    auto manager = std::make_shared<platform::Object>();
    entry->Show(host.login, true, product, manager);
    EXPECT_TRUE(host.log.Has("ShowModeless"));
    EXPECT_FALSE(host.log.Has("ShowModal"));
    EXPECT_TRUE(Ctx().ToolbarVisible);
}

class Business : public IBusiness {
public:
    explicit Business(fakes::CallLog& log, std::shared_ptr<ILogin> login) : log_(log), login_(std::move(login)) {}
    std::shared_ptr<ILogin> GetVBclsLogin() override { return login_; }
    std::shared_ptr<platform::Object> CreateFormEnv(const std::string& key, std::shared_ptr<IForm>& w) override {
        log_.Add("CreateFormEnv " + key + " " + w->Name());
        return env;
    }
    void ShowForm(std::shared_ptr<IForm>& w, const std::string& sub, const std::string& key, bool flag, bool modal,
                  std::shared_ptr<platform::Object> e) override {
        log_.Add("ShowForm " + sub + " " + key + (flag ? " flag" : "") + (modal ? " modal" : " modeless") +
                 (e == env ? " env" : ""));
    }
    std::shared_ptr<platform::Object> env = std::make_shared<platform::Object>();

private:
    fakes::CallLog& log_;
    std::shared_ptr<ILogin> login_;
};

TEST_F(ShowTest, WithABusinessObjectThePortalShowsTheWindow) {
    auto business = std::make_shared<Business>(host.log, host.login);
    entry->Show(host.login, false, nullptr, nullptr, nullptr, business);
    EXPECT_TRUE(host.log.Has("CreateFormEnv frmContactList_Key frmContactList"));
    EXPECT_TRUE(host.log.Has("ShowForm CS frmContactList_Key modal env"));
    EXPECT_EQ(Ctx().Business, business);
}

TEST_F(ShowTest, TheVendorArchiveSeesOnlyItsVendorAndTheVendorIsClearedAfter) {
    entry->showCalledByVendorArchive(host.login, "V001", "北京华信");
    EXPECT_EQ(host.window->statusDuringShow, "V001");
    EXPECT_TRUE(Ctx().VendorCode.empty());
    EXPECT_TRUE(Ctx().VendorName.empty());
}

TEST_F(ShowTest, PortalLoginInterface) {
    EXPECT_TRUE(entry->ILoginable_LogOff());  // before any login
    EXPECT_FALSE(entry->ILoginable_Login());  // no business object: the current state
    entry->SetBusiness(std::make_shared<Business>(host.log, host.login));
    EXPECT_TRUE(entry->ILoginable_Login());
    EXPECT_TRUE(Ctx().LoggedIn);
    EXPECT_EQ(Ctx().Login, host.login);
    EXPECT_EQ(entry->ILoginable_CallFunction("a", "b", "c", "d"), 0);
    EXPECT_TRUE(host.log.Has("ShowModal"));  // modal, and the business object was cleared
    EXPECT_EQ(Ctx().Business, nullptr);
    EXPECT_TRUE(entry->ILoginable_LogOff());
    EXPECT_FALSE(Ctx().LoggedIn);
}

}  // namespace
}  // namespace sovrel
