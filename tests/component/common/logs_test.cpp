#include "common/logs.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <stdexcept>


namespace sovrel {
namespace {

namespace fs = std::filesystem;
using platform::db::DateTime;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ErrorRecord(const std::string& time, const std::string& position, const std::string& source,
                        const std::string& number, const std::string& description) {
    return "----------------------------------------------------------------------\r\n"
           "Time             : " + time + "\r\n"
           "[Program Information]\r\n"
           "  Name           : " + ModuleFileName() + "\r\n"
           "  Function       : " + position + "\r\n"
           "[VB Error]\r\n"
           "  Source         : " + source + "\r\n"
           "  Number         : " + number + "\r\n"
           "  Description    : " + description + "\r\n"
           "\r\n";
}

std::string SrvRecord(const std::string& time, const std::string& number, const std::string& description,
                      const std::string& procedure, const std::string& module) {
    return "*** Error Time " + time + "***\r\nError:" + number + "\r\nDiscript:" + description +
           "\r\nProcedure:" + procedure + "\r\nModule:" + module + "\r\n\r\n";
}

class LogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/sovrel-logs-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
        SetLogDirectory(dir.string());
        SetLogClock([this] { return now; });
    }
    void TearDown() override {
        SetLogDirectory("");
        SetLogClock({});
        fs::remove_all(dir);
    }

    fs::path dir;
    DateTime now{2024, 3, 5, 7, 8, 9};
    const platform::Error violated{-2147217873, "Sovrel.Db", "UNIQUE constraint failed: Ven_Contact.cContactCode"};
};

TEST_F(LogsTest, RecordsAreWrittenExactlyAndAppended) {
    // Linked statically into this test program, the component's file is the program.
    EXPECT_EQ(ModuleFileName(), "common_tests");
    WriteErrorLog("frmContactList.Operating()", false, violated);  // asked not to write: nothing
    WriteErrorLog("frmContactList.Operating()", true, violated);
    WriteSrvLog("IClsCommon", "Modify", -2147217864, "row changed");
    now = DateTime{2024, 12, 31, 23, 59, 58};
    WriteErrorLog("Pelorin.Common.sendSMS", true, platform::Error(5, "", "联系人不存在"));
    WriteSrvLog("clsContact", "GetContact", 0, "");
    EXPECT_EQ(ReadFile(dir / "error.log"),
              ErrorRecord("2024-03-05 07:08:09", "frmContactList.Operating()", "Sovrel.Db", "-2147217873",
                          "UNIQUE constraint failed: Ven_Contact.cContactCode") +
                  ErrorRecord("2024-12-31 23:59:58", "Pelorin.Common.sendSMS", "", "5", "联系人不存在"));
    EXPECT_EQ(ReadFile(dir / "SrvTransLog.log"),
              SrvRecord("2024-03-05 07:08:09", "-2147217864", "row changed", "Modify", "IClsCommon") +
                  SrvRecord("2024-12-31 23:59:58", "0", "", "GetContact", "clsContact"));
}

TEST_F(LogsTest, ALogIsStartedAfreshOnlyWhenLargerThanItsLimit) {
    const struct {
        const char* name;
        std::uintmax_t limit;
        void (*write)(const platform::Error&);
    } logs[] = {
        {"error.log", 2097152, [](const platform::Error& e) { WriteErrorLog("setCTBEnable()", true, e); }},
        {"SrvTransLog.log", 102400,
         [](const platform::Error& e) { WriteSrvLog("IClsCommon", "OpenX", e.Number(), e.Description()); }},
    };
    for (const auto& log : logs) {
        const fs::path path = dir / log.name;
        log.write(violated);
        const std::string record = ReadFile(path);
        for (const std::uintmax_t size : {log.limit, log.limit + 1}) {
            const std::string old(size, 'x');
            std::ofstream(path, std::ios::binary) << old;
            log.write(violated);
            const std::string after = ReadFile(path);
            if (size == log.limit)
                EXPECT_EQ(after, old + record) << log.name << " at its limit must be appended to";
            else
                EXPECT_EQ(after, record) << log.name << " past its limit must start afresh";
        }
    }
}

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
