#include "common/logs.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <new>
#include <stdexcept>

namespace sovrel {
namespace {

namespace fs = std::filesystem;

class LogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/sovrel-logs-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
        SetLogDirectory(dir.string());
    }
    void TearDown() override {
        SetLogDirectory("");
        fs::remove_all(dir);
    }

    fs::path dir;
    const platform::Error violated{-2147217873, "Sovrel.Db", "UNIQUE constraint failed: Ven_Contact.cContactCode"};
};

TEST_F(LogsTest, AnUnwritableErrorLogFailsToTheCallerAndTheServiceLogIgnoresIt) {
    SetLogDirectory((dir / "missing").string());
    try {
        WriteErrorLog("frmSendSMS.cmdSend_Click", true, violated);
        FAIL() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.Number(), 75);
        EXPECT_NE(e.Description().find((dir / "missing" / "error.log").string()), std::string::npos);
    }
    EXPECT_NO_THROW(WriteSrvLog("IClsCommon", "Init", 1, "x"));
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST(CurrentError, TurnsTheHandledExceptionIntoNumberSourceAndDescription) {
    auto caught = [](auto thrower) {
        try {
            thrower();
        } catch (...) {
            return CurrentError();
        }
        return platform::Error(0, "", "nothing thrown");
    };
    const platform::Error own = caught([] { throw platform::Error(-2147217864, "Sovrel.Db", "row changed"); });
    EXPECT_EQ(own.Number(), -2147217864);
    EXPECT_EQ(own.Source(), "Sovrel.Db");
    EXPECT_EQ(own.Description(), "row changed");

    const platform::Error fromStd = caught([] { throw std::runtime_error("bad input"); });
    EXPECT_EQ(fromStd.Number(), 440);
    EXPECT_EQ(fromStd.Description(), "bad input");
    EXPECT_EQ(caught([] { throw std::bad_alloc(); }).Number(), 7);
    EXPECT_EQ(caught([] { throw 42; }).Number(), 440);
    EXPECT_EQ(CurrentError().Number(), 440);  // outside a handler it must not end the program
}

}  // namespace
}  // namespace sovrel
