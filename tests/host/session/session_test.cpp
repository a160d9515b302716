#include <gtest/gtest.h>

#include <chrono>
#include <set>

#include "common/prog_ids.h"
#include "backends.h"
#include "demo_session.h"
#include "host/register.h"
#include "host/session.h"
#include "host/texts/text_table.h"
#include "platform/error.h"
#include "platform/password.h"
#include "platform/text.h"

namespace host::test {
namespace {

using sovrel::test::DemoFolder;
using sovrel::test::DemoPassword;
using sovrel::test::ShownMessages;

LoginOptions Options(std::string password, std::string account = "", int year = 0, std::string date = "",
                     std::string language = "keys") {
    return {std::move(password), std::move(account), year, std::move(date), std::move(language)};
}

// Why a login was refused; "" when it was not.
std::string Refusal(const std::string& folder, const std::string& user, const LoginOptions& options) {
    try {
        LoginSession::Login(folder, user, options);
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.Number(), kLoginRefused) << e.Description();
        return e.Description();
    }
    return "";
}

class SessionTest : public ::testing::Test {
protected:
    DemoFolder demo;
};

TEST_F(SessionTest, loginReadsTheUserAndReachesTheAccount) {
    auto login = LoginSession::Login(demo.path(), "demo", DemoPassword());
    EXPECT_EQ(login->cEmployeeId(), "0001");
    EXPECT_EQ(login->Language(), "zh-CN");

    // The same user through a connection text of the account database, with a given date.
    auto english = LoginSession::Login(demo.accountText(), "DEMO_EN", DemoPassword(Options("", "", 0, "2024/3/5")));
    EXPECT_EQ(english->cUserId(), "demo_en");
    EXPECT_EQ(english->Language(), "en-US");
    EXPECT_EQ(english->CurDate(), "2024-03-05");
    EXPECT_EQ(english->tkDBName(), login->tkDBName());
    EXPECT_EQ(CurrentLogin(), english);
    english->Logout();
    english->Logout();  // a second logout does nothing
    EXPECT_EQ(CurrentLogin(), nullptr);
}

TEST_F(SessionTest, refusedLoginsSayWhyAreLoggedAndRecordNothing) {
    demo.System()->Execute(
        "INSERT INTO UA_User (cUser_Id, cUser_Name, cEmployeeId, cPasswordHash, cLanguage, bDisabled) VALUES "
        "('gone', N'离职用户', '0005', N'" + platform::HashPassword("pw", platform::PasswordCost::TestOnly) +
        "', 'zh-CN', 1), ('fresh', N'新用户', '0006', '', 'zh-CN', 0)");
    const std::string pw(schema::kDemoPassword);
    struct Case { std::string user; LoginOptions options; std::string reason; };
    const Case cases[] = {
        {"nobody", Options(pw), "Hx.AA.LOGIN.UnknownUser(nobody)"},
        {"  ", Options(pw), "Hx.AA.LOGIN.NoUser"},
        {"gone", Options("pw"), "Hx.AA.LOGIN.Disabled(gone)"},
        {"fresh", Options(""), "Hx.AA.LOGIN.PasswordNotSet(fresh)"},
        {"limited", Options(""), "Hx.AA.LOGIN.NoPassword"},
        {"LIMITED", Options(pw + " "), "Hx.AA.LOGIN.WrongPassword(limited,4)"},
        {"demo", Options(pw, "999"), "Hx.AA.LOGIN.NoAccountId(999)"},
        {"demo", Options(pw, "001", 2019), "Hx.AA.LOGIN.NoAccountYear(001,2019)"},
        {"demo", Options(pw, "", 2019), "Hx.AA.LOGIN.NoYear(2019)"},
        {"demo", Options(pw, "", 0, "2024-02-30"), "Hx.AA.LOGIN.BadDate(2024-02-30)"},
    };
    for (const auto& c : cases) EXPECT_EQ(Refusal(demo.path(), c.user, c.options), c.reason) << c.user;
    EXPECT_EQ(demo.SystemValue("SELECT COUNT(*) FROM UA_Login"), "0");
    // Each refusal is in the log with its reason, and no password is.
    auto log = demo.System()->OpenRowset("SELECT cUser_Id, cReason FROM UA_LoginLog");
    std::multiset<std::string> logged, expected;
    for (; !log->Eof(); log->MoveNext()) {
        logged.insert(log->Get("cUser_Id").ToText() + ": " + log->Get("cReason").ToText());
        EXPECT_EQ(log->Get("cReason").ToText().find(pw), std::string::npos);
    }
    for (const auto& c : cases) expected.insert(platform::text::Trim(c.user) + ": " + c.reason);
    EXPECT_EQ(logged, expected);

    // Without a language of its own a refusal speaks the user's, and the default before a user is known.
    const auto& zh = texts::TextTable::For("zh-CN");
    const auto& en = texts::TextTable::For("en-US");
    EXPECT_EQ(Refusal(demo.path(), "limited", Options("x", "", 0, "", "")), zh.Format("Hx.AA.LOGIN.WrongPassword", {"limited", "3"}));
    EXPECT_EQ(Refusal(demo.path(), "demo_en", Options("x", "", 0, "", "")), en.Format("Hx.AA.LOGIN.WrongPassword", {"demo_en", "4"}));
    EXPECT_EQ(Refusal(demo.path(), "nobody", Options("x", "", 0, "", "")), zh.Format("Hx.AA.LOGIN.UnknownUser", {"nobody"}));
    EXPECT_THROW(LoginSession::Login(demo.path() + "/missing", "demo", DemoPassword()), platform::Error);
}

// The count, the hold and the log live in the system database, on either backend.
class LoginOnBackend : public ::testing::TestWithParam<sovrel::test::Backend> {};

TEST_P(LoginOnBackend, fiveWrongPasswordsInARowHoldTheUserUntilTheHoldEnds) {
    sovrel::test::Place place(GetParam());
    SOVREL_SKIP_UNLESS_AVAILABLE(place);
    const std::string account = sovrel::test::CreateFixedAccount(place);
    platform::db::Connection system;
    system.Open(place.ConnectionText(std::string(schema::kSystemDatabase)));
    auto value = [&](const std::string& sql) { return system.OpenRowset(sql)->Get(0).ToText(); };
    SetLoginHold(std::chrono::seconds(2));
    // On a server the hold is the server's own rule.
    if (GetParam() == sovrel::test::Backend::Postgres) system.ExecuteScript("UPDATE sv_login_rule SET hold_seconds = 2");
    struct Restore {
        ~Restore() { SetLoginHold(std::chrono::seconds(60)); }
    } restore;
    const std::string pw(schema::kDemoPassword);
    for (int i = 1; i < kTriesBeforeHold; ++i)
        EXPECT_EQ(Refusal(account, "limited", Options("guess")),
                  "Hx.AA.LOGIN.WrongPassword(limited," + std::to_string(kTriesBeforeHold - i) + ")");
    const std::string held = Refusal(account, "limited", Options("guess"));
    EXPECT_EQ(held, "Hx.AA.LOGIN.Held(limited,5," + value("SELECT dHeldUntil FROM UA_User WHERE cUser_Id = 'limited'") + ")");
    // Held: even the right password is refused, and other users are not held.
    EXPECT_EQ(Refusal(account, "limited", Options(pw)), held);
    EXPECT_EQ(Refusal(account, "demo", Options(pw)), "");
    EXPECT_EQ(value("SELECT COUNT(*) FROM UA_LoginLog WHERE cUser_Id = 'limited'"), "6");

    // The hold's end passes (moved back rather than waited for).
    system.Execute("UPDATE UA_User SET dHeldUntil = DATEADD(second, -3, dHeldUntil) WHERE cUser_Id = N'limited'");
    // The count starts again: one wrong password leaves four tries.
    EXPECT_EQ(Refusal(account, "limited", Options("guess")), "Hx.AA.LOGIN.WrongPassword(limited,4)");
    EXPECT_EQ(Refusal(account, "limited", Options(pw)), "");
    EXPECT_EQ(value("SELECT COUNT(*) FROM UA_User WHERE iFailedLogins <> 0 OR dHeldUntil IS NOT NULL"), "0");
}

INSTANTIATE_TEST_SUITE_P(Backends, LoginOnBackend, ::testing::ValuesIn(sovrel::test::kBackends),
                         sovrel::test::BackendTestName);

TEST_F(SessionTest, taskExecAnswersFromTheRightsTable) {
    auto demoUser = LoginSession::Login(demo.path(), "demo", DemoPassword());
    auto limited = LoginSession::Login(demo.path(), "limited", DemoPassword());
    int flag = 1;
    for (std::string code : {"AS020301", "AS020302", "AS020303", "AS020304", "AS020305", "AS020306"}) {
        EXPECT_TRUE(demoUser->TaskExec(code, flag)) << code;
        const bool granted = code == "AS020302" || code == "AS020304";
        EXPECT_EQ(limited->TaskExec(code, flag), granted) << code;
    }
    std::string add = "AS020305";
    int zero = 0;
    EXPECT_FALSE(limited->TaskExec(add, zero));
    EXPECT_EQ(limited->LastLockFlag(), 0);
    EXPECT_EQ(limited->ShareString(),
              "用户“受限用户”没有“供应商联系人-增加”（AS020305）的功能权限，请与系统管理员联系。");
    // The function is named in the user's language, not the system database's.
    auto english = LoginSession::Login(demo.path(), "demo_en", DemoPassword());
    std::string administration = "AA000001";
    EXPECT_FALSE(english->TaskExec(administration, flag));
    EXPECT_EQ(english->ShareString(), "User \"Demo User\" has no right to \"System administration\" (AA000001). "
                                      "Ask your system administrator to grant it.");

    // A grant counts at once, and a granted function clears the explanation.
    demo.System()->Execute("INSERT INTO UA_FuncRight (cUser_Id, cFuncId) VALUES ('limited', 'AS020305')");
    EXPECT_TRUE(limited->TaskExec(add, flag));
    EXPECT_EQ(limited->ShareString(), "");
    // A disabled user holds nothing.
    demo.System()->Execute("UPDATE UA_User SET bDisabled = 1 WHERE cUser_Id = 'limited'");
    EXPECT_FALSE(limited->TaskExec(add, flag));
}

TEST_F(SessionTest, rightCheckerCountsGrantsAndShowsRefusals) {
    RegisterSessionObjects();
    auto checker = platform::Create<sovrel::IRightChecker>(sovrel::progid::RightChecker);
    ASSERT_NE(checker, nullptr);
    auto& counts = dynamic_cast<RightChecker&>(*checker);
    std::shared_ptr<sovrel::ILogin> english = LoginSession::Login(demo.path(), "demo_en", DemoPassword());
    std::shared_ptr<sovrel::ILogin> limited = LoginSession::Login(demo.path(), "limited", DemoPassword());
    ShownMessages shown;

    EXPECT_TRUE(checker->AcquireRight(english, "AS020302"));
    EXPECT_TRUE(checker->AcquireRight(english, "as020302"));
    EXPECT_TRUE(checker->AcquireRight(limited, "AS020302"));
    EXPECT_EQ(counts.HeldCount(english.get(), "AS020302"), 2);
    EXPECT_TRUE(shown.prompts.empty());

    EXPECT_FALSE(checker->AcquireRight(limited, "AS020306"));
    EXPECT_EQ(shown.prompts, std::vector<std::string>{limited->ShareString()});
    EXPECT_EQ(counts.HeldTotal(limited.get()), 1);

    // Releasing what was never acquired (the list releases all six rights) does nothing.
    checker->ReleaseRight(limited, "AS020306");
    checker->ReleaseRight(english, "AS020302");
    EXPECT_EQ(counts.HeldCount(english.get(), "AS020302"), 1);
    checker->ReleaseRight(english, "AS020302");
    checker->ReleaseRight(english, "AS020302");
    EXPECT_EQ(counts.HeldTotal(english.get()), 0);
    EXPECT_EQ(counts.HeldTotal(limited.get()), 1);

    EXPECT_FALSE(checker->AcquireRight(nullptr, "AS020302"));
    EXPECT_EQ(shown.prompts.size(), 2u);
}

TEST_F(SessionTest, businessObjectHandsOutTheLoginAndShowsWindows) {
    std::shared_ptr<sovrel::ILogin> login = LoginSession::Login(demo.path(), "demo", DemoPassword());
    Business business(login);

    auto form = std::make_shared<sovrel::test::FormStub>();
    std::shared_ptr<sovrel::IForm> window = form;
    auto env = business.CreateFormEnv("frmContactList_Key", window);
    business.ShowForm(window, "CS", "frmContactList_Key", false, true, env);
    business.ShowForm(window, "CS", "frmContactList_Key", false, false, env);
    EXPECT_EQ(form->calls, "modal;modeless;");

    std::shared_ptr<sovrel::IForm> none;
    EXPECT_THROW(business.ShowForm(none, "CS", "x", false, true, env), platform::Error);
    EXPECT_EQ(business.ShownCount(), 2);
}

}  // namespace
}  // namespace host::test
