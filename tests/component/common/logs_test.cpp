#include "common/logs.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <new>
#include <stdexcept>

#include "../../support/file_text.h"
#include "../../support/thrown.h"

namespace sovrel {
namespace {

namespace fs = std::filesystem;
using sovrel::test::FileText;

class LogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "sovrel-logs-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
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
    const platform::Error e = sovrel::test::Thrown([&] { WriteErrorLog("frmSendSMS.cmdSend_Click", true, violated); });
    EXPECT_EQ(e.Number(), 75);
    EXPECT_NE(e.Description().find((dir / "missing" / "error.log").string()), std::string::npos);
    EXPECT_NO_THROW(WriteSrvLog("IClsCommon", "Init", 1, "x"));
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(LogsTest, EachUserLogsToTheirOwnStateFolderWithoutSecretsAndKeepsTheRecordsBeforeARotation) {
    const char* before = std::getenv("XDG_STATE_HOME");
    const std::string saved = before ? before : "";
    ::setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
    SetLogDirectory("");
    const fs::path logs = dir / "state" / "sovrel";
    WriteErrorLog("frmLogin.cmdOK_Click", true, platform::Error(1, "Sovrel.Db", "Host=db;Password=hunter2;"));
    const std::string big(60 * 1024, 'x');
    for (int i = 0; i < 3; ++i) WriteSrvLog("IClsCommon", "Init", i, "Server=db;Pwd=secret1;" + big);
    if (before) ::setenv("XDG_STATE_HOME", saved.c_str(), 1);
    else ::unsetenv("XDG_STATE_HOME");

    const auto owner = fs::perms::owner_read | fs::perms::owner_write;
    EXPECT_EQ(fs::status(logs).permissions(), owner | fs::perms::owner_exec);
    for (const char* name : {"error.log", "SrvTransLog.log", "SrvTransLog.log.1"}) {
        ASSERT_TRUE(fs::is_regular_file(logs / name)) << name;
        EXPECT_EQ(fs::status(logs / name).permissions(), owner) << name;
        const std::string text = FileText(logs / name);
        EXPECT_EQ(text.find("hunter2"), std::string::npos) << name;
        EXPECT_EQ(text.find("secret1"), std::string::npos) << name;
    }
    // The third record rotated the two before it away, whole.
    EXPECT_NE(FileText(logs / "SrvTransLog.log").find("Error:2\r\n"), std::string::npos);
    EXPECT_NE(FileText(logs / "SrvTransLog.log.1").find("Error:1\r\n"), std::string::npos);
    EXPECT_EQ(FileText(logs / "SrvTransLog.log").find("Error:1\r\n"), std::string::npos);
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
