// Base codes and user-defined items named in the user's language where the account has a name in
// it: shown in the card, typed into it, and stored as the same code.
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include "ui/columns/frm_ui_chart.h"

#include "card_fixture.h"

namespace sovrel::test {
namespace {

using AccountNamesTest = CardTest;

TEST_F(AccountNamesTest, TheCardShowsAndTakesTheNamesOfTheUsersLanguage) {
    const std::string row = "SELECT %s FROM Ven_Contact WHERE cContactCode = 'V0100000001'";
    auto field = [&](const char* column) {
        std::string sql = row;
        return Value(sql.replace(sql.find("%s"), 2, column));
    };
    const std::string codes = Value("SELECT COUNT(*) FROM Crm_BaseCode");
    for (const auto& [user, language, sales] : {std::tuple{"demo_en", "en-US", "sales manager"},
                                                std::tuple{"demo", "zh-CN", "销售经理"}}) {
        OpenList(user);
        host::SetLanguageOverride("");  // the user's own language
        OpenCard(cardmode::Modify, 1);
        auto name = [&](const std::string& table, const std::string& key, const std::string& own) {
            const std::string local = Value("SELECT cName FROM Crm_LocalName WHERE cTable = '" + table + "' AND cKey = '" +
                                            key + "' AND cLanguage = '" + language + "'");
            return local == "<none>" ? own : local;
        };
        const std::string sexId = field("bcSexID"), dutyId = field("bcDutyID");
        // The list's Gender column too (it carries the name, not the code).
        const std::string sex = name("Crm_BaseCode", sexId, Value("SELECT cName FROM Crm_BaseCode WHERE ID = " + sexId));
        bool shown = false;
        for (long col = 1; col < list->Grid().Cols(); ++col) shown = shown || list->Grid().TextMatrix(1, col) == sex;
        EXPECT_TRUE(shown) << user << " " << sex;
        EXPECT_EQ(card->findChild<QComboBox*>("cboSex")->currentText().toStdString(),
                  name("Crm_BaseCode", sexId, Value("SELECT cName FROM Crm_BaseCode WHERE ID = " + sexId)));
        EXPECT_EQ(card->Edt(6).Text(),
                  name("Crm_BaseCode", dutyId, Value("SELECT cName FROM Crm_BaseCode WHERE ID = " + dutyId)));
        EXPECT_EQ(card->findChild<QLabel*>("LblD1_0")->text().toStdString().find(
                      std::string(language) == "en-US" ? "WeChat ID" : "微信号"),
                  0u);
        // The name typed in the user's language is the code's: nothing new joins the list.
        Type("Edt6", sales);
        EXPECT_EQ(card->Edt(6).Tag(), "6") << user;
        EXPECT_EQ(card->Edt(6).Text(), std::string(language) == "en-US" ? "Sales Manager" : "销售经理");
        Key(Qt::Key_F6);
        EXPECT_EQ(field("bcDutyID"), "6") << user << ": " << LastShown();
        EXPECT_EQ(Value("SELECT COUNT(*) FROM Crm_BaseCode"), codes);
        Execute("UPDATE Ven_Contact SET bcDutyID = " + dutyId + " WHERE cContactCode = 'V0100000001'");
        CloseAll();
    }
}

// The duty chooser, the overview and the organisation chart name the duties as the card does;
// the name chosen in the chooser is stored as its code.
TEST_F(AccountNamesTest, ChooserOverviewAndChartNameDutiesInTheUsersLanguage) {
    host::SetChoicePresenter([](const host::ChoiceRequest& r, platform::db::Rowset& rows) {
        return host::ShowChoiceDialog(r, rows);
    });
    const std::string duty = Value("SELECT bcDutyID FROM Ven_Contact WHERE cContactCode = 'V0100000001'");
    for (const auto& [user, dutyName, sales] : {std::tuple{"demo_en", "General Manager", "Sales Manager"},
                                                std::tuple{"demo", "总经理", "销售经理"}}) {
        ASSERT_EQ(duty, "3");  // 总经理 / General Manager
        OpenList(user);
        host::SetLanguageOverride("");  // the user's own language

        // The overview from the menu.
        list->Grid().SetRow(1);
        list->findChild<QAction*>("mCRMGenerals")->trigger();
        QWidget* overview = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "frmGenerals" && w->isVisible()) overview = w;
        ASSERT_NE(overview, nullptr) << user << " " << LastShown();
        std::vector<std::string> values;
        for (auto* label : overview->findChild<QWidget*>("boxContact")->findChildren<QLabel*>())
            values.push_back(label->text().toStdString());
        EXPECT_NE(std::find(values.begin(), values.end(), dutyName), values.end()) << user;
        overview->close();

        // The chart from the menu: a modal window.
        std::string chartXml;
        QTimer::singleShot(0, [&] {
            if (auto* chart = dynamic_cast<frmUIChart*>(QApplication::activeModalWidget())) {
                chartXml = chart->ReportXml();
                chart->close();
            }
        });
        list->findChild<QAction*>("mCRMReport")->trigger();
        EXPECT_NE(chartXml.find("Code = \"V0100000001\" Name = \"张伟\" Duty = \"" + std::string(dutyName) + "\""),
                  std::string::npos)
            << user << " " << chartXml;

        // The chooser behind the duty's look-up button, searched and chosen by keyboard.
        OpenCard(cardmode::Modify, 1);
        std::vector<std::string> offered;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog->objectName() != "HostChoiceDialog") return;
            auto* table = dialog->findChild<QTableWidget*>("Rows");
            for (int r = 0; r < table->rowCount(); ++r) offered.push_back(table->item(r, 1)->text().toStdString());
            auto* search = dialog->findChild<QLineEdit*>("Search");
            search->setText(QString::fromStdString(sales));
            QTest::keyClick(search, Qt::Key_Return);
        });
        QTest::mouseClick(card->findChild<QWidget*>("Edt6")->findChild<QToolButton*>("Lookup"), Qt::LeftButton);
        EXPECT_NE(std::find(offered.begin(), offered.end(), dutyName), offered.end()) << user;
        EXPECT_EQ(card->Edt(6).Text(), sales) << user;
        EXPECT_EQ(card->Edt(6).Tag(), "6") << user;
        Key(Qt::Key_F6);
        EXPECT_EQ(Value("SELECT bcDutyID FROM Ven_Contact WHERE cContactCode = 'V0100000001'"), "6")
            << user << ": " << LastShown();
        Execute("UPDATE Ven_Contact SET bcDutyID = " + duty + " WHERE cContactCode = 'V0100000001'");
        CloseAll();
    }
}

}  // namespace
}  // namespace sovrel::test
