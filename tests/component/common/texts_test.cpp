#include "common/texts.h"

#include <gtest/gtest.h>

#include <thread>

#include "common/messages.h"
#include "common/traces.h"
#include "platform/diagnostics.h"
#include "platform/error.h"
#include "recording_host.h"

namespace sovrel {
namespace {

using platform::db::Value;
using testing::RecordingHost;
using testing::RecordingLogin;

class TextsTest : public ::testing::Test {
protected:
    void SetUp() override { Ctx().Login = login; }
    RecordingHost host;
    std::shared_ptr<ILogin> login = std::make_shared<RecordingLogin>();
};

TEST_F(TextsTest, AnExplicitLanguageIsUsedWithoutAskingTheLoginAndParametersGoUnchanged) {
    for (const char* language : {"zh-CN", "en-US", "keys"}) {
        EXPECT_EQ(ResText("Hx.CRM.COMMON.CheckNull02", language),
                  std::string("[") + language + "] Hx.CRM.COMMON.CheckNull02");
        ResTextParams("Hx.CRM.COMMON.CheckLen02", {"联系人姓名", 10, Value::Null()}, language);
        EXPECT_EQ(host.crm->textLanguages.back(), language);
    }
    EXPECT_EQ(host.crm->languageCalls, 0);
    const std::vector<Value> expected{"联系人姓名", 10, Value::Null()};
    EXPECT_EQ(host.crm->textParams.back(), expected);
}

TEST_F(TextsTest, NoLanguageOrAnEmptyOneAsksTheLanguageOfThisThreadsLogin) {
    host.crm->language = "en-US";
    EXPECT_EQ(ResText("Hx.CRM.COMMON.CheckNull02"), "[en-US] Hx.CRM.COMMON.CheckNull02");
    EXPECT_EQ(ResText("Hx.CRM.COMMON.CheckNull02", ""), "[en-US] Hx.CRM.COMMON.CheckNull02");
    EXPECT_EQ(ResTextParams("Hx.CRM.COMMON.CheckNull03", {"Name"}), "[en-US] Hx.CRM.COMMON.CheckNull03");
    EXPECT_EQ(host.crm->languageCalls, 3);
    for (const auto& asked : host.crm->languageLogins) EXPECT_EQ(asked, login);
}

TEST_F(TextsTest, WithoutTheHostServiceTheLookupFailsToTheCaller) {
    platform::ScopedRegistration withdrawn(progid::CrmCommonSvc, {});
    ResetContext();
    try {
        ResText("Hx.CRM.COMMON.CheckNull02", "zh-CN");
        FAIL() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_NE(e.Description().find(progid::CrmCommonSvc), std::string::npos) << e.Description();
    }
}

// The title is asked once per thread and kept when the language changes; messages follow it.
TEST_F(TextsTest, InformationBoxesAskTheTitleOncePerThread) {
    ShowInfo("first");
    host.crm->language = "zh-CN";
    ShowInfo("second");
    ASSERT_EQ(host.title->asked, std::vector<std::string>{"en-US"});
    ASSERT_EQ(host.crm->shown.size(), 2u);
    for (const auto& box : host.crm->shown) {
        EXPECT_EQ(box.style, 64);
        EXPECT_EQ(box.title, "Title in en-US");
    }
    EXPECT_EQ(host.crm->shown[0].prompt, "first");
    EXPECT_EQ(host.crm->shown[0].language, "en-US");
    EXPECT_EQ(host.crm->shown[1].prompt, "second");
    EXPECT_EQ(host.crm->shown[1].language, "zh-CN");
    EXPECT_EQ(GetMsgTitle(), "Title in en-US");
    std::thread other([] { ShowInfo("other thread"); });
    other.join();
    EXPECT_EQ(host.title->asked.size(), 2u);
}

TEST_F(TextsTest, MessageBoxesAnswerWhatTheUserPressed) {
    for (const int answer : {msgbox::Yes, msgbox::No, msgbox::Cancel}) {
        host.crm->answer = answer;
        EXPECT_EQ(ShowMsgBox("Save the changes?", msgbox::YesNoCancelQuestion, "Card"), answer);
        EXPECT_EQ(host.crm->shown.back().style, 35);
        EXPECT_EQ(host.crm->shown.back().title, "Card");
    }
    EXPECT_TRUE(host.title->asked.empty());
}

TEST_F(TextsTest, TracesGoToTheHostWithTheFlagSetAndDebugLinesToTheChannel) {
    Trace("showCalledByVendorArchive  End", "=========================");
    EXPECT_EQ(host.crm->traces, std::vector<std::string>{"showCalledByVendorArchive  End|=========================|true"});
    platform::DebugCapture capture;
    DebugTrace("开始 替换特殊字符");
    EXPECT_EQ(capture.Lines(), std::vector<std::string>{"开始 替换特殊字符"});
}

}  // namespace
}  // namespace sovrel
