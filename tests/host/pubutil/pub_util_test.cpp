#include <gtest/gtest.h>
#include <unistd.h>

#include "demo_session.h"
#include "common/prog_ids.h"
#include "host/pub_util.h"
#include "host/register.h"
#include "host/session.h"
#include "platform/error.h"

namespace host::test {
namespace {

using sovrel::test::DemoFolder;
using sovrel::test::DemoPassword;
using sovrel::test::ShownMessages;

TEST(FormatNumberTest, roundsHalfAwayFromZeroAndLeavesOtherTextAlone) {
    struct Case { const char* value; int digits; const char* expected; };
    const Case cases[] = {
        {"2.675", 2, "2.68"}, {"-2.5", 0, "-3"}, {"9.995", 2, "10.00"}, {"-0.004", 2, "0.00"}, {" 12 ", 3, "12.000"},
        {".25", 1, "0.3"},    {"1.25E-1", 2, "0.13"}, {"12345678901234567890.5", 0, "12345678901234567891"},
        {"4.4", -1, "4"},     {"", 2, ""},          {"1,234.5", 2, "1,234.5"}, {"1e", 2, "1e"},
        {"1e99999", 2, "1e99999"},
        {"0.1", 1000, "0.100000000000000000000000000000"},
    };
    PubUtil util;
    for (const auto& c : cases)
        EXPECT_EQ(util.FormatNum(c.value, c.digits), c.expected) << c.value << " with " << c.digits;
}

class PubUtilTest : public ::testing::Test {
protected:
    DemoFolder demo;
    std::shared_ptr<sovrel::IClsCommon> noService;
};

TEST_F(PubUtilTest, settingsRoundTripPerUser) {
    bool help = true;
    EXPECT_THROW(PubUtil().GetRegEdit("Ven_Contact", "PageSize", help, "demo"), platform::Error)
        << "no login, so no system database";
    auto demoUser = LoginSession::Login(demo.path(), "demo", DemoPassword());
    PubUtil util;
    EXPECT_EQ(util.GetRegEdit("Ven_Contact", "PageSize", help, "demo"), "");
    util.SaveRegEdit("Ven_Contact", "PageSize", "500", help, "demo");
    util.SaveRegEdit("Ven_Contact", "PageSize", "20", help, "limited");
    util.SaveRegEdit("Ven_Contact", "PageSize", "50", help, "demo");  // replaces
    util.SaveRegEdit("Ven_Contact", "PrintStyle", "<style name='a'>“宽”</style>", help, "");
    EXPECT_TRUE(help);

    PubUtil other;  // another utility object on the same system database
    other.Init(demo.accountText());
    EXPECT_EQ(other.GetRegEdit("Ven_Contact", "PageSize", help, "demo"), "50");
    EXPECT_EQ(other.GetRegEdit("ven_contact", "pagesize", help, "limited"), "20");
    EXPECT_EQ(other.GetRegEdit("Ven_Contact", "PrintStyle", help, "demo"), "<style name='a'>“宽”</style>");

    const std::string before = demo.SystemValue("SELECT COUNT(*) FROM UA_Setting");
    struct Bad { std::string table, key, user; };
    const Bad bad[] = {{"", "PageSize", "demo"}, {"Ven_Contact", " ", "demo"},
                       {std::string(61, 'x'), "k", "demo"}, {"Ven_Contact", "k", std::string(21, 'u')}};
    for (const auto& b : bad)
        EXPECT_THROW(util.SaveRegEdit(b.table, b.key, "1", help, b.user), platform::Error) << b.table << b.key;
    EXPECT_EQ(demo.SystemValue("SELECT COUNT(*) FROM UA_Setting"), before);
}

TEST_F(PubUtilTest, resourceTextsFollowTheLoginLanguage) {
    RegisterPubUtil();
    auto util = platform::Create<sovrel::IPubUtil>(sovrel::progid::PubUtil);
    ASSERT_NE(util, nullptr);
    const std::string key = "Hx.AA.ARCHIVE.COMMON.del_success";
    std::shared_ptr<sovrel::ILogin> english = LoginSession::Login(demo.path(), "demo_en", DemoPassword());
    EXPECT_EQ(util->GetResString(key), "Deleted");  // the current login
    std::shared_ptr<sovrel::ILogin> chinese = LoginSession::Login(demo.path(), "demo", DemoPassword());
    EXPECT_EQ(util->GetResString(key), "删除成功");
    util->IsLockFun(noService, english, "Ven_Contact", 1);  // the login last handed in wins
    EXPECT_EQ(util->GetResString(key), "Deleted");
}

TEST_F(PubUtilTest, locksConflictPerCodeExceptBrowse) {
    PubUtil util;
    ShownMessages shown;
    std::shared_ptr<sovrel::ILogin> a = LoginSession::Login(demo.path(), "demo", DemoPassword());
    auto session = LoginSession::Login(demo.path(), "demo_en", DemoPassword());
    std::shared_ptr<sovrel::ILogin> b = session;
    auto service = std::shared_ptr<sovrel::IClsCommon>();
    auto handed = service;

    EXPECT_FALSE(util.IsLockFun(handed, a, "Ven_Contact", 2));
    EXPECT_FALSE(util.IsLockFun(handed, a, "Ven_Contact", 2));  // ours already
    EXPECT_FALSE(util.IsLockFun(handed, a, "Ven_Contact", 1));
    EXPECT_FALSE(util.IsLockFun(handed, b, "Ven_Contact", 1));  // browsing never conflicts
    EXPECT_FALSE(util.IsLockFun(handed, b, "Ven_Contact", 5));  // another code
    EXPECT_FALSE(util.IsLockFun(handed, b, "vendor", 2));       // another table
    EXPECT_TRUE(shown.prompts.empty());
    EXPECT_EQ(handed, service);

    EXPECT_TRUE(util.IsLockFun(handed, b, "ven_contact", 2));
    ASSERT_EQ(shown.prompts.size(), 1u);
    EXPECT_EQ(shown.titles[0], "Record lock");
    EXPECT_NE(shown.last().find("\"Modify\" of 供应商联系人 is in use by user \"演示用户 (demo)\""), std::string::npos)
        << shown.last();
    EXPECT_NE(shown.last().find("process " + std::to_string(::getpid())), std::string::npos) << shown.last();
    EXPECT_TRUE(util.IsLockFun(handed, a, "Ven_Contact", 5));  // b prints
    EXPECT_NE(shown.last().find("印"), std::string::npos) << shown.last();  // shown in a's language

    EXPECT_FALSE(util.IsLockFun(handed, a, "Ven_Contact", -2));
    EXPECT_FALSE(util.IsLockFun(handed, b, "Ven_Contact", 2));
    EXPECT_TRUE(util.IsLockFun(handed, a, "Ven_Contact", 2));

    // -1 releases every lock of b on the table, and only those.
    EXPECT_EQ(util.Locks("Ven_Contact", b).size(), 4u);
    EXPECT_FALSE(util.IsLockFun(handed, b, "Ven_Contact", -1));
    auto left = util.Locks("Ven_Contact", b);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].userId, "demo");
    EXPECT_EQ(left[0].code, 1);
    EXPECT_EQ(util.Locks("vendor", b).size(), 1u);
    EXPECT_FALSE(util.IsLockFun(handed, a, "Ven_Contact", 5));
    session->Logout();  // lets go of its locks
    EXPECT_TRUE(util.Locks("vendor", a).empty());

    EXPECT_THROW(util.IsLockFun(handed, nullptr, "Ven_Contact", 2), platform::Error);
    EXPECT_THROW(util.IsLockFun(handed, a, " ", 2), platform::Error);
}

TEST_F(PubUtilTest, locksOfVanishedProcessesAreTakenOver) {
    PubUtil util;
    ShownMessages shown;
    std::shared_ptr<sovrel::ILogin> a = LoginSession::Login(demo.path(), "demo", DemoPassword());
    std::shared_ptr<sovrel::IClsCommon> ds;
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const std::string self = std::to_string(::getpid());
    struct Holder { std::string host, pid, takenAt; bool held; };
    const Holder holders[] = {
        {host, self, "2999-01-01 00:00:00", true},         // a live process of this machine
        {host, "2147483000", "2024-01-01 00:00:00", false},  // no such process
        {host, self, "2001-01-01 00:00:00", false},        // the number now belongs to a later process
        {"another-machine", "1", "2001-01-01 00:00:00", true},  // cannot be checked from here
    };
    for (const auto& h : holders) {
        auto db = demo.System();
        db->Execute("DELETE FROM UA_Lock");
        db->Execute("INSERT INTO UA_Lock (cTableName, iLockCode, cLoginId, cUser_Id, iProcessId, cHostName, dTakenAt) "
                    "VALUES ('Ven_Contact', 8, 'other-login', 'limited', " + h.pid + ", N'" + h.host + "', '" +
                    h.takenAt + "')");
        EXPECT_EQ(util.IsLockFun(ds, a, "Ven_Contact", 8), h.held) << h.host << " " << h.pid << " " << h.takenAt;
        EXPECT_EQ(demo.SystemValue("SELECT COUNT(*) FROM UA_Lock WHERE cLoginId = 'other-login'"), h.held ? "1" : "0");
    }
    // A login of a process of this machine that died goes at the next login here, locks and all.
    auto db = demo.System();
    db->Execute("INSERT INTO UA_Login (cLoginId, cUser_Id, cAcc_Id, iYear, cHostName, iProcessId, dLoginAt) VALUES "
                "('dead-login', 'limited', '001', 2024, N'" + std::string(host) + "', 2147483000, '2024-01-01 00:00:00')");
    db->Execute("INSERT INTO UA_Lock (cTableName, iLockCode, cLoginId, cUser_Id, iProcessId, cHostName, dTakenAt) "
                "VALUES ('vendor', 2, 'dead-login', 'limited', 2147483000, N'" + std::string(host) + "', '2024-01-01 00:00:00')");
    LoginSession::Login(demo.path(), "demo_en", DemoPassword());
    EXPECT_EQ(demo.SystemValue("SELECT COUNT(*) FROM UA_Login WHERE cLoginId = 'dead-login'"), "0");
    EXPECT_EQ(demo.SystemValue("SELECT cLoginId FROM UA_Lock"), "other-login") << "another machine's lock is kept";
}

}  // namespace
}  // namespace host::test
