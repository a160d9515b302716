// Base codes and user-defined items named in the user's language where the account has a name in
// it: shown in the card, typed into it, and stored as the same code.
#include <QComboBox>
#include <QLabel>

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

}  // namespace
}  // namespace sovrel::test
