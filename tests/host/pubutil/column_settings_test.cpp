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

TEST_F(ColumnSettings, sortsAndMissingColumnsAreMadeGood) {
    // The user's choices: sorted by vendor, then name descending; a hidden own column sorts too,
    // a hidden joined one cannot (its table is not joined); the contact code was taken out.
    const std::string info =
        "<ColumnSet key=\"Ven_Contact\" version=\"1\">"
        "<Column name=\"cVenName\" caption=\"供应商\" expression=\"vendor.cVenName\" alias=\"cVenName\" width=\"150\" "
        "visible=\"1\" sort=\"asc\" sortIndex=\"1\"/>"
        "<Column name=\"cContactName\" caption=\"姓名\" expression=\"Ven_Contact.cContactName\" alias=\"cContactName\" "
        "width=\"90\" visible=\"1\" sort=\"desc\" sortIndex=\"2\"/>"
        "<Column name=\"cNative\" caption=\"籍贯\" expression=\"Ven_Contact.cNative\" alias=\"cNative\" visible=\"0\" "
        "sort=\"asc\" sortIndex=\"3\"/>"
        "<Column name=\"cTasteName\" caption=\"爱好\" expression=\"BaseCodeTaste.cName\" alias=\"cTasteName\" "
        "visible=\"0\" sort=\"desc\" sortIndex=\"4\"/>"
        "</ColumnSet>";
    auto grid = platform::Create<sovrel::IFlexGrid>(sovrel::progid::FlexGrid);
    std::string in = info, select, sort, key;
    std::int16_t fixed = 0, keyCol = 0;
    ASSERT_TRUE(util.getColSet(in, select, sort, *grid, fixed, keyCol, key));
    EXPECT_EQ(select,
              "'' AS cSelect, Ven_Contact.cContactCode AS cContactCode, vendor.cVenName AS cVenName, "
              "Ven_Contact.cContactName AS cContactName");
    EXPECT_EQ(sort, "vendor.cVenName ASC, Ven_Contact.cContactName DESC, Ven_Contact.cNative ASC");
    EXPECT_EQ(fixed, 2);
    EXPECT_EQ(keyCol, 2);
    EXPECT_EQ(key, "cContactCode");
    EXPECT_EQ(grid->Cols(), 5);
    EXPECT_EQ(grid->TextMatrix(0, 2), "联系人编码");
    EXPECT_EQ(grid->TextMatrix(0, 3), "供应商");
    EXPECT_EQ(grid->ColWidth(3), 150);
    EXPECT_EQ(in, info) << "the description was changed";
}

TEST_F(ColumnSettings, aDescriptionThatIsNotOneChangesNothing) {
    const std::string bad[] = {
        "not xml",
        "<ColumnSet/>",
        "<ColumnSet><Column name=\"a b\" expression=\"Ven_Contact.x\"/></ColumnSet>",
        "<ColumnSet><Column name=\"a\" expression=\"1; DROP TABLE Ven_Contact\"/></ColumnSet>",
        "<ColumnSet><Column name=\"a\"/></ColumnSet>",
    };
    auto grid = platform::Create<sovrel::IFlexGrid>(sovrel::progid::FlexGrid);
    grid->SetCols(4);
    grid->SetTextMatrix(0, 3, "kept");
    for (std::string info : bad) {
        std::string select = "s", sort = "o", key = "k";
        std::int16_t fixed = 9, keyCol = 9;
        EXPECT_FALSE(util.getColSet(info, select, sort, *grid, fixed, keyCol, key)) << info;
        EXPECT_EQ(select + sort + key, "sok") << info;
        EXPECT_EQ(fixed + keyCol, 18) << info;
        EXPECT_EQ(grid->Cols(), 4) << info;
        EXPECT_EQ(grid->TextMatrix(0, 3), "kept") << info;
        EXPECT_EQ(util.GetEleVal("a", info), "") << info;
    }
}

TEST(GetEleValTest, answersTheDigitsOfTheNamedColumn) {
    PubUtil util;
    const std::string first =
        "<ColumnSet><Column name=\"cConDefine13\" expression=\"Ven_Contact.cConDefine13\" decimals=\"2\"/>"
        "<Column name=\"cContactName\" expression=\"Ven_Contact.cContactName\" decimals=\"\"/></ColumnSet>";
    const std::string second =
        "<ColumnSet><Column name=\"cConDefine13\" expression=\"Ven_Contact.cConDefine13\" decimals=\"4\"/></ColumnSet>";
    const std::tuple<std::string, const std::string*, std::string> cases[] = {
        {"ccondefine13", &first, "2"}, {"cContactName", &first, ""}, {"cMissing", &first, ""},
        {"cConDefine13", &second, "4"}, {"cConDefine13", &first, "2"}};  // no answer kept from another text
    for (const auto& [field, info, digits] : cases) EXPECT_EQ(util.GetEleVal(field, *info), digits) << field;
}

}  // namespace
}  // namespace host::test
