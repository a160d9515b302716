#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QTimer>

#include "../../../host/controls/column_set_control.h"
#include "../controls/qt_app.h"
#include "demo_session.h"
#include "common/hosts/controls.h"
#include "common/prog_ids.h"
#include "host/pub_util.h"
#include "host/services.h"
#include "platform/object_factory.h"
#include "ui/widget_host.h"

namespace host::test {
namespace {

class ColumnSettings : public sovrel::test::DemoSessionTest {
protected:
    void SetUp() override {
        TestApp();
        service.Init(demo.accountText(), "demo");
    }
    // The header the list lays out from a description.
    std::vector<std::string> Header(const std::string& info) {
        auto grid = platform::Create<sovrel::IFlexGrid>(sovrel::progid::FlexGrid);
        std::string copy = info, select, sort, key;
        std::int16_t fixed = 0, keyCol = 0;
        EXPECT_TRUE(util.getColSet(copy, select, sort, *grid, fixed, keyCol, key));
        std::vector<std::string> out;
        for (long c = 2; c < grid->Cols(); ++c) out.push_back(grid->TextMatrix(0, c));
        return out;
    }

    ColumnSetService service;
    PubUtil util;
};

TEST_F(ColumnSettings, theControlHidesMovesAndRenamesAndTheSavedSettingsComeBack) {
    controls::ColumnSetControl control;
    control.Widget(nullptr);
    std::vector<int> reloads;
    std::string confirmed;
    bool saved = false;
    control.OnReload([&](int mode) {
        reloads.push_back(mode);
        control.Load(service.getColInfo("Ven_Contact", mode));
    });
    control.OnConfirm([&](bool save, const std::string& info) {
        saved = save;
        confirmed = info;
    });
    control.Load(service.getColInfo("Ven_Contact", 1));
    const auto before = Header(service.getColInfo("Ven_Contact", 1));
    auto caption = [&](const char* name) {
        for (const auto& c : service.Columns("Ven_Contact", 0))
            if (c.name == name) return c.caption;
        return std::string("?");
    };
    ASSERT_GE(before.size(), 6u);

    control.SetVisible("cSexName", false);
    control.SetVisible("cSuperiorName", false);
    const auto names = control.Names();
    const int email = static_cast<int>(std::find(names.begin(), names.end(), "cEmail") - names.begin());
    ASSERT_TRUE(control.MoveRow(email, 1));
    control.SetCaption("cAppellation", "称呼 <&\">");
    control.Confirm(true);
    ASSERT_TRUE(saved);
    std::string message;
    ASSERT_TRUE(service.Save("Ven_Contact", confirmed, message)) << message;

    // What the list shows, this time (the confirmed text) and next time (the server's).
    for (const auto& info : {util.GetUnSavedColSet(confirmed), service.getColInfo("Ven_Contact", 1)}) {
        const auto header = Header(info);
        EXPECT_EQ(header.at(1), caption("cEmail")) << "moved to second after the code";
        EXPECT_EQ(std::count(header.begin(), header.end(), "称呼 <&\">"), 1);
        EXPECT_EQ(header.size(), before.size() - 2);
        for (const char* hidden : {"cSexName", "cSuperiorName"})
            EXPECT_EQ(std::count(header.begin(), header.end(), caption(hidden)), 0) << hidden;
    }

    // Reload modes: the default, then the saved one.
    control.Reload(0);
    control.Confirm(false);
    EXPECT_EQ(Header(confirmed), Header(service.getColInfo("Ven_Contact", 0)));
    control.Reload(2);
    control.Confirm(false);
    EXPECT_EQ(Header(confirmed), Header(service.getColInfo("Ven_Contact", 1)));
    EXPECT_EQ(reloads, (std::vector<int>{0, 2}));
}

TEST_F(ColumnSettings, aDamagedDescriptionFallsBackToTheDefault) {
    const std::string fallback = service.getColInfo("Ven_Contact", 0);
    demo.System()->Execute(
        "INSERT INTO UA_ColumnSet (cUser_Id, cKey, cColumnInfo) VALUES ('demo', 'Ven_Contact', "
        "N'<ColumnSet><Column name=\"cGone\" width=\"9\"/></ColumnSet>')");
    EXPECT_EQ(service.getColInfo("Ven_Contact", 1), fallback);
    EXPECT_EQ(util.GetUnSavedColSet("<ColumnSet><Column name=\"x;\"/>"), fallback);
    // A text that is no description leaves the control as it was.
    controls::ColumnSetControl control;
    control.Load(fallback);
    const auto names = control.Names();
    control.Load("<nonsense");
    EXPECT_EQ(control.Names(), names);
}

TEST_F(ColumnSettings, locateSettingsAreKeptPerUserAndUsedByTheLocateBox) {
    sovrel::test::WidgetFormStub window;
    window.setObjectName("frmContactList");
    auto grid = platform::Create<sovrel::IFlexGrid>(sovrel::progid::FlexGrid);
    dynamic_cast<sovrel::IWidgetHost&>(*grid).Widget(&window)->setObjectName("Grid");
    grid->SetRows(3);
    grid->SetCols(5);
    for (long c = 2; c < 5; ++c) grid->SetTextMatrix(0, c, "Col" + std::to_string(c));
    QTimer::singleShot(10, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        auto* list = dialog->findChild<QListWidget*>("lstColumns");
        if (list && list->count() == 3) list->item(1)->setCheckState(Qt::Unchecked);
        dialog->findChild<QComboBox*>("cboMode")->setCurrentIndex(1);
        dialog->accept();
    });
    util.FindSet(window, "联系人档案", login);
    bool help = false;
    EXPECT_EQ(util.GetRegEdit("frmContactList", "FindSet", help, "demo"), "1|Col2\tCol4");
    EXPECT_EQ(util.GetRegEdit("frmContactList", "FindSet", help, "limited"), "");
}

}  // namespace
}  // namespace host::test
