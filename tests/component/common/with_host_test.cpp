// The common procedures over the host's own text and title services.
#include <gtest/gtest.h>

#include "common/context.h"
#include "common/hosts/login.h"
#include "common/messages.h"
#include "common/texts.h"
#include "host/crm.h"
#include "host/language_source.h"
#include "host/register.h"
#include "host/texts/text_table.h"

namespace sovrel {
namespace {

class EnglishLogin : public ILogin, public host::ILanguageSource {
public:
    std::string cUserId() const override { return "demo2"; }
    std::string cUserName() const override { return "Demo User"; }
    std::string tkDBName() const override { return ""; }
    std::string CurDate() const override { return "2024-05-01"; }
    std::string cEmployeeId() const override { return "0002"; }
    bool TaskExec(std::string&, int&) override { return true; }
    std::string ShareString() const override { return ""; }
    const std::string& Language() const override { return language_; }

private:
    std::string language_ = "en-US";
};

class WithHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::RegisterCrmObjects();
        ResetContext();
        Ctx().Login = std::make_shared<EnglishLogin>();
        previous_ = host::SetMessageBoxPresenter([this](const host::MessageBoxRequest& r) {
            shown.push_back(r);
            return msgbox::No;
        });
    }
    void TearDown() override {
        host::SetMessageBoxPresenter(previous_);
        ResetContext();
    }
    std::vector<host::MessageBoxRequest> shown;

private:
    host::MessageBoxPresenter previous_;
};

TEST_F(WithHostTest, TextsComeInTheLoginsLanguageUnlessOneIsGiven) {
    const auto& en = host::texts::TextTable::For("en-US");
    const auto& zh = host::texts::TextTable::For("zh-CN");
    EXPECT_EQ(ResText("Hx.CRM.COMMON.DBMSG.HxLogin0001"), *en.Get("Hx.CRM.COMMON.DBMSG.HxLogin0001"));
    EXPECT_EQ(ResText("Hx.CRM.COMMON.DBMSG.HxLogin0001", "zh-CN"), *zh.Get("Hx.CRM.COMMON.DBMSG.HxLogin0001"));
    EXPECT_EQ(ResTextParams("Hx.CRM.COMMON.CheckLen02", {"Name", 10}, "keys"), "Hx.CRM.COMMON.CheckLen02(Name,10)");
    EXPECT_EQ(ResTextParams("Hx.CRM.COMMON.CheckLen02", {"Name", 10}),
              en.Format("Hx.CRM.COMMON.CheckLen02", {"Name", "10"}));
    // A key without a text shows itself, so the gap is visible on screen.
    EXPECT_EQ(ResText("Hx.CRM.COMMON.NoSuchKey"), "Hx.CRM.COMMON.NoSuchKey");
}

TEST_F(WithHostTest, InformationBoxesCarryTheProductTitleInTheLoginsLanguage) {
    ShowInfo("Saved");
    EXPECT_EQ(ShowMsgBox("Save?", msgbox::YesNoCancelQuestion, GetMsgTitle()), msgbox::No);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].prompt, "Saved");
    EXPECT_EQ(shown[0].style, 64);
    EXPECT_EQ(shown[0].title, *host::texts::TextTable::For("en-US").Get(host::kMessageTitleKey));
    EXPECT_EQ(shown[0].language, "en-US");
    EXPECT_EQ(shown[1].style, 35);
}

}  // namespace
}  // namespace sovrel
