// Two users at once: a second process on the same account, as a second user's machine would be.
// (Two saves of one contact from two processes are tested through the card, on both backends.)
#include "host/pub_util.h"
#include "host/session.h"
#include "schema/demo.h"
#include "second_process.h"
#include "service_fixture.h"

namespace sovrel::test {
namespace {

using TwoUsers = ServiceTest;

TEST_P(TwoUsers, ARecordLockTakenInOneProcessIsHeldForTheOther) {
    SecondProcess other([&](SecondProcess& self) {
        host::PubUtil util;
        std::shared_ptr<ILogin> login = host::LoginSession::Login(connection, "demo", {.password = std::string(schema::kDemoPassword)});
        std::shared_ptr<IClsCommon> none;
        if (util.IsLockFun(none, login, "Ven_Contact", 2)) return 1;  // it was free: now ours
        self.Tell();
        self.Hear();  // hold it while the other user tries
        return util.IsLockFun(none, login, "Ven_Contact", -2) ? 2 : 0;
    });
    ASSERT_TRUE(other.Hear());
    host::PubUtil util;
    std::shared_ptr<ILogin> login = host::LoginSession::Login(connection, "demo_en", {.password = std::string(schema::kDemoPassword)});
    std::shared_ptr<IClsCommon> none;
    EXPECT_TRUE(util.IsLockFun(none, login, "Ven_Contact", 2));   // held by the first user
    EXPECT_FALSE(util.IsLockFun(none, login, "Ven_Contact", 1));  // browsing never conflicts
    other.Tell();
    EXPECT_EQ(other.Finish(), 0);
    EXPECT_FALSE(util.IsLockFun(none, login, "Ven_Contact", 2));  // released: ours now
}

INSTANTIATE_TEST_SUITE_P(Backends, TwoUsers, ::testing::ValuesIn(kBackends), BackendTestName);

}  // namespace
}  // namespace sovrel::test
