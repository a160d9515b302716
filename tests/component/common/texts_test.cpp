#include "common/texts.h"

#include <gtest/gtest.h>

#include <thread>

#include "../support/fakes.h"
#include "common/messages.h"
#include "platform/error.h"

namespace sovrel {
namespace {

using platform::db::Value;

class TextsTest : public ::testing::Test {
protected:
    void SetUp() override { Ctx().Login = host.login; }
    std::vector<std::string> TitlesAsked() const {
        std::vector<std::string> out;
        for (const auto& c : host.log.calls)
            if (c.rfind("GetTitle ", 0) == 0) out.push_back(c.substr(9));
        return out;
    }
    fakes::Host host;  // texts come back as their keys
};

TEST_F(TextsTest, AnExplicitLanguageIsUsedWithoutAskingTheLoginAndParametersGoUnchanged) {
    for (const char* language : {"zh-CN", "en-US", "keys"}) {
        EXPECT_EQ(ResText("Hx.CRM.COMMON.CheckNull02", language), "Hx.CRM.COMMON.CheckNull02");
        EXPECT_EQ(host.crm->textLanguages.back(), language);
        ResTextParams("Hx.CRM.COMMON.CheckLen02", {"联系人姓名", 10, Value::Null()}, language);
        EXPECT_EQ(host.crm->textLanguages.back(), language);
    }
    EXPECT_EQ(host.log.Count("GetLanguage"), 0);
    EXPECT_EQ(host.crm->textFlags, (std::vector<bool>{true, true, true}));
    const std::vector<Value> expected{"联系人姓名", 10, Value::Null()};
    EXPECT_EQ(host.crm->textParams.back(), expected);
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

TEST_F(TextsTest, InformationBoxesAskTheTitleOncePerThread) {
    host.crm->language = "en-US";
    ShowInfo("first");
    host.crm->language = "zh-CN";
    ShowInfo("second");
    ASSERT_EQ(TitlesAsked(), std::vector<std::string>{"en-US"});
    ASSERT_EQ(host.crm->boxes.size(), 2u);
    EXPECT_EQ(host.crm->boxes[1].title, "Sovrel");
    EXPECT_EQ(host.crm->boxes[1].language, "zh-CN");
    std::thread other([] { ShowInfo("other thread"); });
    other.join();
    EXPECT_EQ(TitlesAsked().size(), 2u);
}

}  // namespace
}  // namespace sovrel
