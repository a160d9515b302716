#include <gtest/gtest.h>
#include <sys/wait.h>
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
    EXPECT_EQ(other.GetRegEdit("Ven_Contact", "PageSize", help, "demo_en"), "");

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
    std::shared_ptr<sovrel::ILogin> b = LoginSession::Login(demo.path(), "demo_en", DemoPassword());
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
}

// A login in another process: it takes a lock when started and then obeys commands sent
// through a pipe ('q' logs out and reports, 'x' dies holding the lock).
class OtherProcess {
public:
    OtherProcess(const std::string& folder, int code) {
        int down[2], up[2];
        if (::pipe(down) != 0 || ::pipe(up) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(down[1]);
            ::close(up[0]);
            char answer = 'e';
            try {
                auto login = LoginSession::Login(folder, "demo_en", DemoPassword());
                std::shared_ptr<sovrel::ILogin> asLogin = login;
                std::shared_ptr<sovrel::IClsCommon> ds;
                PubUtil util;
                answer = util.IsLockFun(ds, asLogin, "Ven_Contact", code) ? '1' : '0';
                (void)!::write(up[1], &answer, 1);
                char command = 0;
                while (::read(down[0], &command, 1) == 1) {
                    if (command == 'x') ::_exit(0);  // dies without releasing anything
                    if (command == 'q') login->Logout();
                    (void)!::write(up[1], &command, 1);
                }
            } catch (...) {
                (void)!::write(up[1], &answer, 1);
            }
            ::_exit(0);
        }
        ::close(down[0]);
        ::close(up[1]);
        toChild_ = down[1];
        fromChild_ = up[0];
    }
    ~OtherProcess() {
        ::close(toChild_);
        ::close(fromChild_);
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    }
    char Read() {
        char c = 0;
        return ::read(fromChild_, &c, 1) == 1 ? c : '?';
    }
    char Send(char command) {
        (void)!::write(toChild_, &command, 1);
        if (command != 'x') return Read();
        ::waitpid(pid_, nullptr, 0);  // it died holding the lock
        pid_ = -1;
        return 'x';
    }
    long pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int toChild_ = -1, fromChild_ = -1;
};

TEST_F(PubUtilTest, locksAreSeenAcrossProcesses) {
    PubUtil util;
    ShownMessages shown;
    std::shared_ptr<sovrel::ILogin> mine = LoginSession::Login(demo.path(), "demo", DemoPassword());
    std::shared_ptr<sovrel::IClsCommon> ds;
    {
        OtherProcess other(demo.path(), 8);
        ASSERT_EQ(other.Read(), '0');  // the lock is the other process's now
        EXPECT_TRUE(util.IsLockFun(ds, mine, "Ven_Contact", 8));
        EXPECT_NE(shown.last().find("“删除”功能正被用户“Demo User (demo_en)”使用"), std::string::npos) << shown.last();
        EXPECT_NE(shown.last().find("进程 " + std::to_string(other.pid())), std::string::npos) << shown.last();
        ASSERT_EQ(other.Send('q'), 'q');  // logging out releases its locks
        EXPECT_FALSE(util.IsLockFun(ds, mine, "Ven_Contact", 8));
        EXPECT_FALSE(util.IsLockFun(ds, mine, "Ven_Contact", -1));
    }
    {
        OtherProcess other(demo.path(), 11);
        ASSERT_EQ(other.Read(), '0');
        EXPECT_TRUE(util.IsLockFun(ds, mine, "Ven_Contact", 11));
        other.Send('x');  // gone, lock and all
        EXPECT_EQ(demo.SystemValue("SELECT COUNT(*) FROM UA_Lock WHERE iLockCode = 11"), "1");
        EXPECT_FALSE(util.IsLockFun(ds, mine, "Ven_Contact", 11));
        auto locks = util.Locks("Ven_Contact", mine);
        ASSERT_EQ(locks.size(), 1u);
        EXPECT_EQ(locks[0].userId, "demo");
        EXPECT_EQ(locks[0].code, 11);
        // Its login is forgotten at the next login on this machine.
        LoginSession::Login(demo.path(), "limited", DemoPassword());
        EXPECT_EQ(demo.SystemValue("SELECT COUNT(*) FROM UA_Login WHERE cUser_Id = 'demo_en'"), "0");
    }
}

}  // namespace
}  // namespace host::test
