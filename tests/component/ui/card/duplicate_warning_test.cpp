// The duplicate warning while a new contact is typed: what it names, that typing alone brings
// it, that it never blocks the save, and the view its button opens.
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include "card_fixture.h"

namespace sovrel::test {
namespace {

TEST_F(CardTest, ATypedContactLikeAnExistingOneIsNamedUnderTheFieldsAndStillSaved) {
    OpenList();
    Execute("UPDATE Ven_Contact SET cContactName = 'O''Neil', cMobilePhone = '139-1111 2222', "
            "cEmail = 'Neil@Example.com' WHERE cContactCode = 'V0200000001'");
    OpenCard(cardmode::Add);
    QWidget* bar = card->findChild<QWidget*>("DuplicateBar");
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isHidden());
    Type("Edt0", "华东");
    const std::string vendor = card->Edt(0).Tag();
    const std::string sameName = Value("SELECT cContactName FROM Ven_Contact WHERE cVenCode = '" + vendor +
                                       "' ORDER BY cContactCode");
    const std::string firstCode = Value("SELECT cContactCode FROM Ven_Contact WHERE cVenCode = '" + vendor +
                                        "' ORDER BY cContactCode");
    // Typing alone brings the warning, after the pause.
    card->CheckDuplicates();  // settles the check the vendor's resolution started
    EXPECT_TRUE(bar->isHidden());
    Type("Edt2", sameName, false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !bar->isHidden(); }, 3000));
    EXPECT_EQ(card->DuplicateCode(), firstCode);
    // The warning is read beside its button, not under it.
    EXPECT_FALSE(card->DuplicateLabel()->geometry().intersects(card->DuplicateButton()->geometry()));
    EXPECT_EQ(card->DuplicateLabel()->text().toStdString(), "Hx.CRM.TkContact.frmcontactedit.DupName(" + firstCode +
                                                                "," + sameName + ")");

    struct Case {
        const char* name;
        const char* mobile;
        const char* email;
        std::string code, key;
        bool more = false;  // a second contact alike
    };
    Execute("UPDATE Ven_Contact SET cEmail = 'zhou@v02.cn' WHERE cContactCode = 'V0200000002'");
    const Case cases[] = {
        {"Zhou", "13911112222", "", "V0200000001", "DupMobile"},
        {"Zhou", "", " NEIL@example.com", "V0200000001", "DupEmail"},
        {"O'Neil", "", "", "", ""},  // the name only counts at the same vendor
        {"Zhou", "1391111", "neil@example.cn", "", ""},
        // Two contacts alike: the first is named and the others counted in.
        {"Zhou", "13911112222", "zhou@v02.cn", "V0200000001", "DupMobile", true},
    };
    for (const auto& c : cases) {
        card->Edt(2).SetText(c.name);
        card->Edt(12).SetText(c.mobile);
        card->Edt(18).SetText(c.email);
        card->CheckDuplicates();
        EXPECT_EQ(card->DuplicateCode(), c.code) << c.name << c.mobile << c.email;
        EXPECT_EQ(bar->isHidden(), c.code.empty()) << c.name << c.mobile << c.email;
        if (!c.code.empty()) {
            EXPECT_EQ(card->DuplicateLabel()->text().toStdString(),
                      "Hx.CRM.TkContact.frmcontactedit." + c.key + "(V0200000001,O'Neil)" +
                          (c.more ? " Hx.CRM.TkContact.frmcontactedit.DupMore" : ""));
        }
    }

    // The button shows the contact without touching what was typed.
    card->Edt(12).SetText("139 1111 2222");
    card->CheckDuplicates();
    std::string viewed = "|";
    card->openDuplicateHook = [&viewed](QDialog& view) {
        for (auto* l : view.findChildren<QLabel*>()) viewed += l->text().toStdString() + "|";
    };
    card->DuplicateButton()->click();
    card->openDuplicateHook = nullptr;
    EXPECT_NE(viewed.find("|V0200000001|"), std::string::npos) << viewed;
    EXPECT_NE(viewed.find("|O'Neil|"), std::string::npos) << viewed;
    EXPECT_NE(viewed.find("|Neil@Example.com|"), std::string::npos) << viewed;
    EXPECT_EQ(card->Edt(2).Text(), "Zhou");

    const std::string code = card->Edt(1).Text();
    Key(Qt::Key_F6);
    EXPECT_TRUE(shown.empty()) << LastShown();
    EXPECT_EQ(Value("SELECT cMobilePhone FROM Ven_Contact WHERE cContactCode = '" + code + "'"), "139 1111 2222");
    EXPECT_TRUE(bar->isHidden());  // cleared for the next contact

    OpenCard(cardmode::Modify, 1);  // a contact being changed is not warned about
    card->Edt(12).SetText("13911112222");
    card->CheckDuplicates();
    EXPECT_TRUE(bar->isHidden());
}

}  // namespace
}  // namespace sovrel::test
