// Several processes on one account, as several users are: each test forks a second process.
#include <gtest/gtest.h>

#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "second_process.h"
#include "test_account.h"

namespace {

class TwoProcesses : public ::testing::TestWithParam<sovrel::test::Backend> {
protected:
    void SetUp() override {
        SOVREL_SKIP_UNLESS_AVAILABLE(place);
        text = sovrel::test::SmallAccount(place, 5);
    }
    long Count(const std::string& where) {
        return sovrel::test::Open(text)->OpenRowset("SELECT count(*) FROM Contact WHERE " + where)->Get(0).ToInt();
    }
    long Names(const std::string& name) { return Count("cName = N'" + name + "'"); }
    sovrel::test::Place place{GetParam()};
    std::string text;
};

// A writer waits for another user's transaction instead of failing, up to its time-out.
TEST_P(TwoProcesses, AWriterWaitsForTheOtherUsersTransactionAndATimeOutGivesAClearError) {
    const struct { int holdMs, timeoutSeconds; bool written; } cases[] = {{400, 0, true}, {1500, 1, false}};
    for (const auto& w : cases) {
        SCOPED_TRACE(w.holdMs);
        sovrel::test::SecondProcess other([&](sovrel::test::SecondProcess& self) {
            auto c = sovrel::test::Open(text);
            c->BeginTrans();
            c->Execute("update Contact set cName = N'child' where cCode = N'V0200000001'");
            self.Tell();
            usleep(w.holdMs * 1000);
            c->CommitTrans();
            return 0;
        });
        ASSERT_TRUE(other.Hear());
        platform::db::Connection c;
        if (w.timeoutSeconds) c.SetCommandTimeout(w.timeoutSeconds);
        c.Open(text);
        try {
            EXPECT_EQ(c.Execute("update Contact set iCount = " + std::to_string(w.holdMs)), 5);
            EXPECT_TRUE(w.written) << "wrote through another user's transaction";
        } catch (const platform::Error& e) {
            EXPECT_FALSE(w.written) << e.Description();
            EXPECT_NE(e.Description().find("locked by another user"), std::string::npos) << e.Description();
        }
        EXPECT_EQ(other.Finish(), 0);
        EXPECT_EQ(Names("child"), 1);
        EXPECT_EQ(Count("iCount = " + std::to_string(w.holdMs)), w.written ? 5 : 0);
    }
}

TEST_P(TwoProcesses, ACommittedWriteSurvivesAKilledProcessAndAnOpenOneVanishes) {
    sovrel::test::SecondProcess other([&](sovrel::test::SecondProcess& self) {
        auto c = sovrel::test::Open(text);
        c->Execute("update Contact set cName = N'kept' where cCode = N'V0200000001'");
        c->BeginTrans();
        c->Execute("update Contact set cName = N'lost' where cCode = N'V0100000002'");
        self.Tell();
        pause();  // killed here, holding the write lock
        return 0;
    });
    ASSERT_TRUE(other.Hear());
    other.Kill();
    EXPECT_EQ(other.Finish(), -1);
    EXPECT_EQ(Names("kept"), 1);
    EXPECT_EQ(Names("lost"), 0);
    auto c = sovrel::test::Open(text);  // the dead process's lock is gone
    EXPECT_EQ(c->Execute("update Contact set cName = N'after' where cCode = N'V0100000002'"), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, TwoProcesses, ::testing::ValuesIn(sovrel::test::kBackends),
                         sovrel::test::BackendTestName);

}  // namespace
