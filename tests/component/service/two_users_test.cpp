// Two users at once: a second process on the same account, as a second user's machine would be.
// (Two saves of one contact from two processes are tested through the card, on both backends.)
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "host/pub_util.h"
#include "host/session.h"
#include "schema/demo.h"
#include "service_fixture.h"

namespace sovrel::test {
namespace {

class TwoUsers : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        ASSERT_EQ(pipe(toParent), 0);
        ASSERT_EQ(pipe(toChild), 0);
    }
    void TearDown() override {
        for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) close(fd);
        ServiceTest::TearDown();
    }
    // Runs body in a second process; its exit status is body's answer (0: as expected).
    template <class F>
    pid_t Other(F body) {
        pid_t pid = fork();
        if (pid == 0) {
            int status = 9;
            try {
                status = body();
            } catch (...) {
                status = 8;
            }
            _exit(status);
        }
        return pid;
    }
    static void Tell(int fd) {
        char c = 1;
        (void)!write(fd, &c, 1);
    }
    static bool Hear(int fd) {
        char c;
        return read(fd, &c, 1) == 1;
    }
    int Finish(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int toParent[2] = {-1, -1}, toChild[2] = {-1, -1};
};

TEST_P(TwoUsers, ARecordLockTakenInOneProcessIsHeldForTheOther) {
    pid_t other = Other([&] {
        host::PubUtil util;
        std::shared_ptr<ILogin> login = host::LoginSession::Login(connection, "demo", {.password = std::string(schema::kDemoPassword)});
        std::shared_ptr<IClsCommon> none;
        if (util.IsLockFun(none, login, "Ven_Contact", 2)) return 1;  // it was free: now ours
        Tell(toParent[1]);
        Hear(toChild[0]);  // hold it while the other user tries
        return util.IsLockFun(none, login, "Ven_Contact", -2) ? 2 : 0;
    });
    ASSERT_TRUE(Hear(toParent[0]));
    host::PubUtil util;
    std::shared_ptr<ILogin> login = host::LoginSession::Login(connection, "demo_en", {.password = std::string(schema::kDemoPassword)});
    std::shared_ptr<IClsCommon> none;
    EXPECT_TRUE(util.IsLockFun(none, login, "Ven_Contact", 2));   // held by the first user
    EXPECT_FALSE(util.IsLockFun(none, login, "Ven_Contact", 1));  // browsing never conflicts
    Tell(toChild[1]);
    EXPECT_EQ(Finish(other), 0);
    EXPECT_FALSE(util.IsLockFun(none, login, "Ven_Contact", 2));  // released: ours now
}

INSTANTIATE_TEST_SUITE_P(Backends, TwoUsers, ::testing::ValuesIn(kBackends), BackendTestName);

}  // namespace
}  // namespace sovrel::test
