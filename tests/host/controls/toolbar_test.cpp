#include <gtest/gtest.h>

#include <QAction>
#include <QFontDatabase>
#include <QToolBar>

#include <set>

#include "demo_session.h"
#include "common/hosts/controls.h"
#include "common/prog_ids.h"
#include "platform/object_factory.h"
#include "qt_app.h"
#include "ui/widget_host.h"

namespace host::test {
namespace {

using sovrel::IToolbar;

const std::vector<std::string> kListKeys = {"SetUp",  "Print",   "Preview", "SaveFile", "|",        "Add",     "Modify",
                                            "Del",    "|",       "Filter",  "Pos",      "Refresh",  "|",       "ItemSet",
                                            "Report", "General", "SendMail", "SendMsg", "|",        "Help",     "Exit"};

class ToolbarTest : public sovrel::test::DemoSessionTest {
protected:
    std::shared_ptr<IToolbar> NewToolbar() { return platform::Create<IToolbar>(sovrel::progid::Toolbar); }
    QToolBar* BarOf(IToolbar& toolbar) {
        TestApp();
        return qobject_cast<QToolBar*>(dynamic_cast<sovrel::IWidgetHost&>(toolbar).Widget(nullptr));
    }
};

TEST_F(ToolbarTest, listButtonsFollowTheDefinitionAndTheLanguage) {
    const std::pair<const char*, const char*> cases[] = {{"demo", "删除"}, {"demo_en", "Delete"}};
    for (const auto& [user, del] : cases) {
        LoginAs(user);
        auto toolbar = NewToolbar();
        ASSERT_NE(toolbar, nullptr);
        ASSERT_TRUE(toolbar->Init(nullptr, login, "Archives_Sovrel_List", "AS"));
        EXPECT_EQ(toolbar->ButtonKeys(), kListKeys);
        EXPECT_EQ(toolbar->ButtonCaption("Del"), del);
        QToolBar* bar = BarOf(*toolbar);
        ASSERT_NE(bar, nullptr);
        const auto actions = bar->actions();
        ASSERT_EQ(actions.size(), static_cast<qsizetype>(kListKeys.size()));
        // Every command its own icon of the installed theme (Qt's fallbacks once shared them), and
        // the whole bar fits a 1024-pixel screen in the portal's font.
        std::set<QString> icons;
        for (qsizetype i = 0; i < actions.size(); ++i) {
            const std::string& key = kListKeys[static_cast<std::size_t>(i)];
            EXPECT_EQ(actions[i]->isSeparator(), key == "|");
            if (actions[i]->isSeparator()) continue;
            EXPECT_EQ(actions[i]->text().toStdString(), toolbar->ButtonCaption(key));
            EXPECT_FALSE(toolbar->ButtonCaption(key).empty() || toolbar->ButtonCaption(key).starts_with("Hx.")) << key;
            EXPECT_TRUE(!actions[i]->icon().name().isEmpty() && icons.insert(actions[i]->icon().name()).second) << key;
        }
        if (QFontDatabase::families().contains("Noto Sans CJK SC")) bar->setFont(QFont("Noto Sans CJK SC"));
        EXPECT_LE(bar->sizeHint().width(), 1024) << user;
    }
}

TEST_F(ToolbarTest, rightsEnableButtonsAndCountAtOnce) {
    LoginAs("limited");  // AS020302 and AS020304 only
    auto toolbar = NewToolbar();
    QToolBar* bar = BarOf(*toolbar);  // the widget first: Init fills it
    ASSERT_TRUE(toolbar->Init(nullptr, login, "archives_sovrel_list", "as"));
    const std::map<std::string, bool> expected = {{"Print", true},  {"Add", false},      {"Modify", false},
                                                  {"Del", false},   {"Filter", true},   {"SendMail", false}};
    auto actionOf = [&](const std::string& key) { return bar->findChild<QAction*>(QString::fromStdString(key)); };
    for (const auto& [key, enabled] : expected) {
        EXPECT_EQ(toolbar->ButtonEnabled(key), enabled) << key;
        ASSERT_NE(actionOf(key), nullptr) << key;
        EXPECT_EQ(actionOf(key)->isEnabled(), enabled) << key;
    }
    auto system = demo.System();
    system->Execute("INSERT INTO UA_FuncRight (cUser_Id, cFuncId) VALUES (N'limited', N'AS020305')");
    EXPECT_FALSE(toolbar->ButtonEnabled("Add")) << "rights are read when asked, not on every look";
    toolbar->RefreshStates();
    EXPECT_TRUE(toolbar->ButtonEnabled("Add"));
    EXPECT_TRUE(actionOf("Add")->isEnabled());
    EXPECT_FALSE(toolbar->ButtonEnabled("Del"));

    toolbar->SetButtonVisible("Exit", false);
    EXPECT_FALSE(actionOf("Exit")->isVisible());
    toolbar->SetButtonEnabled("NoSuchKey", true);  // nothing to change
}

TEST_F(ToolbarTest, anUnknownDefinitionLoadsNothing) {
    const std::pair<const char*, const char*> unknown[] = {{"Archives_Other_List", "AS"},
                                                           {"Archives_Sovrel_List", "SA"}};
    for (const auto& [definition, subsystem] : unknown) {
        auto toolbar = NewToolbar();
        ASSERT_TRUE(toolbar->Init(nullptr, login, "Archives_Sovrel_List", "AS"));
        EXPECT_FALSE(toolbar->Init(nullptr, login, definition, subsystem)) << definition << "/" << subsystem;
        EXPECT_TRUE(toolbar->ButtonKeys().empty()) << "the earlier buttons stayed";
        EXPECT_TRUE(BarOf(*toolbar)->actions().isEmpty());
    }
}

}  // namespace
}  // namespace host::test
