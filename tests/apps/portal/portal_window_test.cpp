// The portal's vendor list offers only the vendors the user may see.
#include <gtest/gtest.h>

#include <QTableWidget>

#include "../../host/controls/qt_app.h"
#include "demo_session.h"
#include "entry/icontact.h"
#include "host/session.h"
#include "portal_window.h"

namespace portal {
namespace {

TEST(PortalWindowTest, listsOnlyTheVendorsTheUserMaySee) {
    host::test::TestApp();
    sovrel::test::DemoFolder demo;
    const struct {
        const char* user;
        std::vector<std::string> vendors;
    } cases[] = {{"demo", {"V01", "V02", "V03"}}, {"limited", {"V01", "V03"}}};
    for (const auto& c : cases) {
        auto login = host::LoginSession::Login(demo.path(), c.user, sovrel::test::DemoPassword());
        PortalWindow window(login, std::make_shared<sovrel::IContact>(), "zh-CN");
        auto* table = window.findChild<QTableWidget*>("tblVendors");
        ASSERT_NE(table, nullptr);
        std::vector<std::string> shown;
        for (int r = 0; r < table->rowCount(); ++r) shown.push_back(table->item(r, 0)->text().toStdString());
        EXPECT_EQ(shown, c.vendors) << c.user;
        login->Logout();
    }
}

}  // namespace
}  // namespace portal
