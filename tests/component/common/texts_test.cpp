#include "common/texts.h"

#include <gtest/gtest.h>

#include <thread>

#include "../../support/thrown.h"
#include "../support/fakes.h"
#include "common/messages.h"
#include "platform/error.h"

namespace sovrel {
namespace {

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

TEST_F(TextsTest, WithoutTheHostServiceTheLookupFailsToTheCaller) {
    platform::ScopedRegistration withdrawn(progid::CrmCommonSvc, {});
    ResetContext();
    const std::string refusal = test::Thrown([] { ResText("Hx.CRM.COMMON.CheckNull02", "zh-CN"); }).Description();
    EXPECT_NE(refusal.find(progid::CrmCommonSvc), std::string::npos) << refusal;
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
