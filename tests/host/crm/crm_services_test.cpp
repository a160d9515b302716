#include <gtest/gtest.h>
#include <stdlib.h>

#include <set>

#include "common/context.h"
#include "common/controls.h"
#include "common/hosts/login.h"
#include "common/prog_ids.h"
#include "demo_session.h"
#include "host/crm.h"
#include "host/language_source.h"
#include "host/register.h"
#include "host/texts/text_table.h"
#include "platform/db/connection.h"
#include "schema/schema.h"

namespace host {
namespace {

using platform::db::DateTime;
using platform::db::Value;
using texts::TextTable;

class PlainLogin : public sovrel::ILogin {
public:
    PlainLogin(std::string user, std::string db) : user_(std::move(user)), db_(std::move(db)) {}
    std::string cUserId() const override { return user_; }
    std::string cUserName() const override { return user_; }
    std::string tkDBName() const override { return db_; }
    std::string CurDate() const override { return "2024-05-01"; }
    std::string cEmployeeId() const override { return ""; }
    bool TaskExec(std::string&, int&) override { return true; }
    std::string ShareString() const override { return ""; }

private:
    std::string user_, db_;
};

class SpeakingLogin : public PlainLogin, public ILanguageSource {
public:
    explicit SpeakingLogin(std::string language) : PlainLogin("demo", ""), language_(std::move(language)) {}
    const std::string& Language() const override { return language_; }

private:
    std::string language_;
};

using Window = sovrel::test::FormStub;

// A window with a few controls; it is asked about others too, and says it has none of them.
class WindowWithControls : public Window, public sovrel::IControlTexts {
public:
    WindowWithControls() : Window("frmSendEMail") {}
    bool SetControlText(const std::string& control, const std::string& text) override {
        asked.insert(control);
        if (control != "cmdSend" && control != "Label1") return false;
        texts[control] = text;
        return true;
    }
    std::set<std::string> asked;
    std::map<std::string, std::string> texts;
};

std::string Text(const char* language, const std::string& key) { return TextTable::For(language).Get(key).value(); }

TEST(CrmTexts, ParametersArePutInByTheirTextForms) {
    CrmCommonService svc;
    std::vector<Value> params{"联系人姓名", 10};
    std::string zh = "zh-CN", keys = "keys";
    EXPECT_EQ(svc.GetTextWithParams("Hx.CRM.COMMON.CheckLen02", params, zh), "联系人姓名的长度必须为10个字符。");
    std::vector<Value> mixed{2.5, Value::Null(), DateTime{2024, 2, 29}, true};
    EXPECT_EQ(svc.GetTextWithParams("Hx.CRM.COMMON.CheckLen02", mixed, keys),
              "Hx.CRM.COMMON.CheckLen02(2.5,,2024-02-29,True)");
}

class SystemDatabase : public ::testing::Test {
protected:
    void TearDown() override { SetLanguageOverride(""); }
    std::shared_ptr<sovrel::ILogin> Login(const std::string& user) {
        return std::make_shared<PlainLogin>(user, demo.accountText());
    }
    sovrel::test::DemoFolder demo;
};

TEST_F(SystemDatabase, APlainLoginGetsItsUsersLanguageFromTheSystemDatabase) {
    demo.System()->Execute("INSERT INTO UA_User (cUser_Id, cUser_Name, cLanguage) VALUES (N'o''neil', N'O', N'keys')");
    CrmCommonService svc;
    const struct { std::shared_ptr<sovrel::ILogin> login; const char* language; } cases[] = {
        {Login("DEMO_EN"), "en-US"},  // user codes compare as the database does, without case
        {Login("o'neil"), "keys"},
        {Login("demo"), "zh-CN"},
        {Login("nobody"), kDefaultLanguage},
        {std::make_shared<PlainLogin>("demo_en", schema::SqliteConnectionText(demo.path() + "/gone", "TKDATA_1_2")),
         kDefaultLanguage},
        {nullptr, kDefaultLanguage},
    };
    for (const auto& c : cases) EXPECT_EQ(svc.GetLanguage(c.login), c.language) << (c.login ? c.login->cUserId() : "no login");
}

TEST_F(SystemDatabase, ALoginThatKnowsItsLanguageIsAskedAndTheOverrideBeatsEverything) {
    CrmCommonService svc;
    EXPECT_EQ(svc.GetLanguage(std::make_shared<SpeakingLogin>("keys")), "keys");
    SetLanguageOverride("en-US");
    EXPECT_EQ(svc.GetLanguage(std::make_shared<SpeakingLogin>("keys")), "en-US");
    EXPECT_EQ(svc.GetLanguage(Login("demo")), "en-US");
    EXPECT_EQ(svc.GetLanguage(nullptr), "en-US");
    SetLanguageOverride("");
    EXPECT_EQ(svc.GetLanguage(Login("demo")), "zh-CN");
}

TEST(CrmWindows, LocalizeFormSetsTheCaptionAndEveryControlWithATextInTheLoginsLanguage) {
    // The thread's login speaks en-US; a question about another login does not change the
    // window's language.
    sovrel::Ctx().Login = std::make_shared<SpeakingLogin>("en-US");
    struct Reset {
        ~Reset() { sovrel::ResetContext(); }
    } reset;
    CrmCommonService svc;
    const std::string key = "Hx.CRM.TkContactUI.frmSendEMail";
    svc.GetLanguage(std::make_shared<SpeakingLogin>("zh-CN"));
    WindowWithControls window, prefixed;
    svc.LocalizeForm(key, window);
    EXPECT_EQ(window.caption, Text("en-US", key));
    EXPECT_EQ(window.asked, (std::set<std::string>{"Label1", "Label2", "Label3", "cmdExit", "cmdHelp", "cmdSend"}));
    EXPECT_EQ(window.texts["cmdSend"], Text("en-US", key + ".cmdSend"));
    EXPECT_EQ(window.texts["Label1"], Text("en-US", key + ".Label1"));

    Window plain("frmSendEMail");  // no controls to set: the caption still is
    svc.LocalizeForm(key, plain);
    EXPECT_EQ(plain.caption, Text("en-US", key));

    svc.LocalizeForm("Hx.CRM.TkContactUI.frmSend", prefixed);  // only the beginning of a window's key
    EXPECT_EQ(prefixed.caption, "unchanged");
    EXPECT_TRUE(prefixed.asked.empty());
}

TEST(CrmUtilities, QuotingAndEscapingMakeTextsSafe) {
    CrmCommonService svc;
    const struct { bool xml; std::string in, out; } cases[] = {
        {false, "", ""},  {false, "''", "''''"}, {false, "张'三'", "张''三''"}, {false, "a\"b", "a\"b"},
        {true, "a&b<c>d\"e'f", "a&amp;b&lt;c&gt;d\"e'f"}, {true, "&amp;", "&amp;amp;"},
    };
    for (const auto& c : cases) {
        std::string result = "stale";
        if (c.xml) svc.EscapeXmlText(c.in, result);
        else svc.QuoteSqlText(c.in, result);
        EXPECT_EQ(result, c.out) << c.in;
    }
}

TEST(CrmSettings, AnOverrideBeatsTheEnvironmentWhichBeatsTheDefault) {
    CrmCommonService svc;
    const std::string sms = "Gateway=Http;Url=http://sms.example.cn";
    ::unsetenv("SOVREL_SMS_CONFIG");
    ::setenv("SOVREL_TOOLBAR_STYLE", "one", 1);  // not a number: the default
    EXPECT_EQ(svc.GetToolbarStyle(), 0);
    EXPECT_EQ(svc.GetSmsConfig(), kDefaultSmsConfig);
    ::setenv("SOVREL_TOOLBAR_STYLE", "1", 1);
    ::setenv("SOVREL_SMS_CONFIG", sms.c_str(), 1);
    EXPECT_EQ(svc.GetToolbarStyle(), 1);
    EXPECT_EQ(svc.GetSmsConfig(), sms);
    SetToolbarStyle(2);
    SetSmsConfig("Gateway=Outbox");
    EXPECT_EQ(svc.GetToolbarStyle(), 2);
    EXPECT_EQ(svc.GetSmsConfig(), "Gateway=Outbox");
    SetToolbarStyle(std::nullopt);
    SetSmsConfig("");
    EXPECT_EQ(svc.GetSmsConfig(), sms) << "a cleared override still counted";
    ::unsetenv("SOVREL_TOOLBAR_STYLE");
    ::unsetenv("SOVREL_SMS_CONFIG");
}

TEST(CrmRegistration, EachUserInterfaceThreadGetsAServiceOfItsOwn) {
    RegisterCrmObjects();
    auto first = platform::Create<sovrel::ICrmCommonSvc>(sovrel::progid::CrmCommonSvc);
    auto second = platform::Create<sovrel::ICrmCommonSvc>(sovrel::progid::CrmCommonSvc);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
}

}  // namespace
}  // namespace host
