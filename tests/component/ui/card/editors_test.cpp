// The card's editors as the user types into them: references resolved into codes, hostile text,
// characters and lengths each box accepts, look-up buttons with scripted choosers, and the
// user-defined items.
#include <QAbstractButton>
#include <QDate>
#include <QTabWidget>

#include "card_fixture.h"
#include "common/hosts/pickers.h"
#include "common/prog_ids.h"
#include "platform/object_factory.h"

namespace sovrel::test {
namespace {

TEST_F(CardTest, ATypedVendorBecomesItsCodeWithTheNextContactCodeAndItsPrincipal) {
    OpenList();
    struct Case {
        std::string typed;
        long choose;  // the row picked when several vendors match
        std::string tag, code;
    };
    const Case cases[] = {
        {"华东", -1, "V01", "V0100000005"},
        {"v03", -1, "V03", "V0300000001"},        // no contact yet: the first serial
        {"V0", 1, "V02", "V0200000003"},           // three vendors match: the user picks the second
        {"Nordwind", -1, "V02", "V0200000003"},
    };
    for (const auto& c : cases) {
        OpenCard(cardmode::Add);
        card->Edt(0).SetText("");
        choice = c.choose;
        choicesAsked = 0;
        Type("Edt0", c.typed);
        EXPECT_EQ(card->Edt(0).Tag(), c.tag) << c.typed;
        EXPECT_EQ(card->Edt(1).Text(), c.code) << c.typed;
        EXPECT_EQ(card->Edt(0).Text(), Value("SELECT cVenName FROM vendor WHERE cVenCode = '" + c.tag + "'"));
        EXPECT_EQ(card->Edt(8).Tag(), Value("SELECT COALESCE(cVenPPerson, '') FROM vendor WHERE cVenCode = '" + c.tag + "'"));
        EXPECT_EQ(choicesAsked, c.choose >= 0 ? 1 : 0) << c.typed;
    }
    EXPECT_TRUE(shown.empty()) << shown.front();
}

TEST_F(CardTest, OfSeveralVendorsTheOneNamedExactlyIsTakenWithoutAsking) {
    Execute("INSERT INTO vendor (cVenCode, cVenName, cVenAbbName) VALUES ('V04', '上海华东电子材料有限公司南京分公司', '华东南京')");
    OpenList();
    OpenCard(cardmode::Add);
    Type("Edt0", "上海华东电子材料有限公司");
    EXPECT_EQ(card->Edt(0).Tag(), "V01");
    EXPECT_EQ(choicesAsked, 0);
    Type("Edt0", "华东");  // both contain it, neither is it: the user picks
    EXPECT_EQ(choicesAsked, 1);
    EXPECT_EQ(choiceRows, 2);
}

TEST_F(CardTest, AVendorNotFoundOrNotAllowedClearsVendorCodeAndPrincipal) {
    struct Case {
        std::string user, typed, message;
    };
    const Case cases[] = {
        {"demo", "nowhere", "Hx.CRM.TkContact.frmcontactedit.00064"},
        {"limited", "Nordwind", "Hx.CRM.BF.complaintquerybf.00071(Nordwind)"},
    };
    for (const auto& c : cases) {
        OpenList(c.user);
        OpenCard(cardmode::Add);
        Type("Edt0", "华东");
        ASSERT_EQ(card->Edt(0).Tag(), "V01") << c.user;
        Type("Edt0", c.typed);
        EXPECT_EQ(LastShown(), c.message);
        for (int i : {0, 1, 8}) {
            EXPECT_EQ(card->Edt(i).Text(), "") << c.user << " Edt(" << i << ")";
            EXPECT_EQ(card->Edt(i).Tag(), "") << c.user << " Edt(" << i << ")";
        }
        EXPECT_FALSE(card->Valid());
        CloseAll();
    }
}

TEST_F(CardTest, SuperiorDutyTasteAndPrincipalResolveWhenLeftAndANewDutyIsAdded) {
    OpenList();
    OpenCard(cardmode::Add);
    struct Case {
        std::string editor, typed, text, tag, message;
    };
    const Case cases[] = {
        {"Edt4", "V0100000002", "李娜", "V0100000002", ""},
        {"Edt4", "王芳", "王芳", "V0100000003", ""},
        {"Edt4", "nobody", "nobody", "", "Hx.CRM.TkContact.frmcontactedit.00066"},
        {"Edt6", "经理", "经理", "4", ""},
        {"Edt7", "旅游", "旅游", "14", ""},
        {"Edt8", "0003", "吴磊", "0003", ""},
        {"Edt8", "郑丽", "郑丽", "0004", ""},
        {"Edt8", "nobody", "nobody", "", "Hx.CRM.FrameCaption.Contact02"},
    };
    for (const auto& c : cases) {
        shown.clear();
        Type(c.editor, c.typed);
        const int index = std::stoi(c.editor.substr(3));
        EXPECT_EQ(card->Edt(index).Text(), c.text) << c.typed;
        EXPECT_EQ(card->Edt(index).Tag(), c.tag) << c.typed;
        EXPECT_EQ(LastShown(), c.message) << c.typed;
    }

    // A new duty name becomes a base code.
    Type("Edt6", "采购总监");
    const std::string id = Value("SELECT ID FROM Crm_BaseCode WHERE cType = 'Duty' AND cName = '采购总监'");
    ASSERT_NE(id, "<none>");
    EXPECT_EQ(card->Edt(6).Tag(), id);
    EXPECT_EQ(Value("SELECT bEdit FROM Crm_BaseCode WHERE ID = " + id), "True");
}

// Text that would change a statement's meaning if it went in unquoted; it can only arrive
// programmatically, since the boxes refuse the quote.
TEST_F(CardTest, HostileTextInEveryReferenceBoxIsLookedUpLiterally) {
    OpenList();
    OpenCard(cardmode::Add);
    const std::string hostile[] = {"x' or 1=1 or 'a'=N'a", "N'x' --", "a'; DELETE FROM Ven_Contact; --", "O'Brien"};
    for (const auto& text : hostile) {
        for (int index : {0, 4, 6, 7, 8}) {
            shown.clear();
            card->Edt(index).SetText(text);
            bool cancel = false;
            if (index == 0) card->ResolveReference(0, cancel);
            else card->OnEditorLeave(index);
            if (index == 6 || index == 7) {
                // Not found, so it becomes a base code of exactly that name.
                const std::string tag = card->Edt(index).Tag();
                ASSERT_FALSE(tag.empty()) << index << " " << text;
                EXPECT_EQ(Value("SELECT cName FROM Crm_BaseCode WHERE ID = " + tag), text);
            } else {
                EXPECT_EQ(card->Edt(index).Tag(), "") << index << " " << text;
                EXPECT_EQ(shown.size(), 1u) << index << " " << text;  // "not found", not a match of every row
            }
        }
    }
    EXPECT_EQ(Value("SELECT COUNT(*) FROM Ven_Contact"), "6");
    EXPECT_EQ(Value("SELECT COUNT(*) FROM vendor"), "3");
}

TEST_F(CardTest, EachBoxTakesOnlyItsCharactersAndLength) {
    OpenList();
    OpenCard(cardmode::Add);
    struct Case {
        std::string editor, typed, expected;
    };
    const Case cases[] = {
        {"Edt2", "O'Brien <x>, \"A\" | B & C", "OBrien x A  B  C"},   // the seven forbidden characters
        {"Edt10", "a(010)-1234/5b", "(010)-1234/5"},                 // phones: digits and -()/
        {"Edt14", "AB-12", "AB-12"},
        {"Edt14", "12 34", "12 "},                                   // zip: "12 3" restores the last good text
        {"Edt2", std::string(50, 'x'), std::string(40, 'x')},        // the column's size
        {"Edt4", std::string(50, 'x'), std::string(40, 'x')},        // the superior's name
        {"Edt6", std::string(70, 'x'), std::string(60, 'x')},        // the duty's name
        {"EdtU10", "12a3", "123"},                                   // whole numbers
        {"EdtU12", "3.14159", "3.14"},                               // two decimals
        {"DTPicker1_0", "2024-02-3x0", "2024-02-30"},
    };
    for (const auto& c : cases) {
        if (c.editor.rfind("EdtU", 0) == 0) card->SSTab1()->setCurrentIndex(2);
        else card->SSTab1()->setCurrentIndex(c.editor == "Edt10" || c.editor == "Edt14" ? 1 : 0);
        Type(c.editor, c.typed, false);
        EXPECT_EQ(Line(c.editor)->text().toStdString(), c.expected) << c.editor << " " << c.typed;
        Line(c.editor)->clear();
    }
    // A date the database cannot hold is refused when the box is left; an empty one is fine.
    card->SSTab1()->setCurrentIndex(0);
    std::vector<std::pair<std::string, bool>> dates = {
        {"2024-02-30", false}, {"1752-12-31", false}, {"1753-01-01", true}, {"2024/02/29", true}, {"2023-02-29", false}};
    // Each month's last day, and the day after it.
    for (int month = 1; month <= 12; ++month) {
        const int last = QDate(2023, month, 1).daysInMonth();
        for (int day : {last, last + 1})
            dates.emplace_back(QString::asprintf("2023-%02d-%02d", month, day).toStdString(), day == last);
    }
    for (const auto& [date, held] : dates) {
        shown.clear();
        Type("DTPicker1_0", date);
        EXPECT_EQ(LastShown(), held ? "" : "Hx.CRM.COMMON.CheckLegal02(Hx.CRM.LblCap.Birthday)") << date;
        EXPECT_EQ(card->DTPicker1(0).Text(), held ? date : "") << date;
    }
}

// The duty chooser as a scripted host object.
class ScriptedBaseCodes : public IBaseCodeRefer {
public:
    std::string askedType;
    void Show(const std::shared_ptr<ILogin>&, const std::string& type, const std::string&,
              std::shared_ptr<platform::db::Rowset>& result) override {
        askedType = type;
        platform::db::FieldInfo id, name;
        id.name = "ID";
        id.type = platform::db::adInteger;
        name.name = "cname";
        result = platform::db::Rowset::CreateDetached({id, name});
        result->AddNew();
        result->Set(0, 9);
        result->Set(1, "技术工程师");
        result->Update();
    }
};

TEST_F(CardTest, LookUpButtonsFillTheirBoxes) {
    auto chooser = std::make_shared<ScriptedBaseCodes>();
    platform::ScopedRegistration registration(progid::BaseCodeRefer, [chooser] { return chooser; });
    OpenList();
    OpenCard(cardmode::Add);
    // The reference boxes have a look-up button; the others none.
    for (int i = 0; i < 10; ++i) {
        QWidget* button = card->findChild<QWidget*>("Edt" + QString::number(i))->findChild<QWidget*>("Lookup");
        EXPECT_EQ(button && button->isVisible(), i == 0 || i == 4 || i == 6 || i == 7 || i == 8) << i;
    }
    card->CmdClick(2);
    EXPECT_EQ(chooser->askedType, "Duty");
    EXPECT_EQ(card->Edt(6).Text(), "技术工程师");
    EXPECT_EQ(card->Edt(6).Tag(), "9");
    EXPECT_EQ(card->CmdTag(2), "Refed");
    EXPECT_TRUE(card->Tlb()->ButtonEnabled("SaveRs"));

    choice = 2;  // the vendor list: the third vendor
    card->CmdClick(0);
    EXPECT_EQ(card->Edt(0).Tag(), "V03");
    EXPECT_EQ(card->Edt(1).Text(), "V0300000001");

    choice = 0;  // the superior list offers the chosen vendor's contacts only: none for V03
    choiceRows = -1;
    card->CmdClick(1);
    EXPECT_EQ(choiceRows, 0);

    choice = -1;  // the principal list, cancelled: the vendor's person in charge stays
    ASSERT_EQ(card->Edt(8).Tag(), "0002");
    card->CmdClick(4);
    EXPECT_EQ(card->Edt(8).Tag(), "0002");
    EXPECT_EQ(card->CmdTag(4), "");
}

// Typed text is not looked up while the focus goes to the box's own button: a clerk who typed
// part of a name and clicks "..." gets the list, not a "not found" first.
TEST_F(CardTest, ClickingABoxsButtonOpensItsListWithoutLookingUpWhatWasTyped) {
    OpenList();
    OpenCard(cardmode::Add);
    Type("Edt4", "nobody", false);
    auto* button = card->findChild<QWidget*>("Edt4")->findChild<QAbstractButton*>("Lookup");
    ASSERT_NE(button, nullptr);
    choice = -1;
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(choicesAsked, 1);
    EXPECT_TRUE(shown.empty()) << LastShown();
}

TEST_F(CardTest, UserDefinedItemsCheckTheirValuesAndHideWhenNoneIsInUse) {
    OpenList();
    OpenCard(cardmode::Add);
    EXPECT_FALSE(card->UserItemShown(3));  // no caption: not in use
    card->SSTab1()->setCurrentIndex(2);
    struct Case {
        std::string editor, typed, after, message;
    };
    const Case cases[] = {
        {"EdtU1", "A", "A级", ""},                                              // an alias becomes its value
        {"EdtU1", "Z", "", "Hx.CRM.TkContact.frmcontactedit.00071"},
        {"EdtU3", "财务部", "财务部", ""},                                      // found in the related archive
        {"EdtU3", "销售部", "", "Hx.CRM.TkContact.frmcontactedit.00070"},
        {"EdtU12", "3.5", "3.50", ""},
        {"EdtU5", "123", "123", "Hx.CRM.COMMON.CheckLen02(证件号码,18)"},  // and the focus stays there
    };
    for (const auto& c : cases) {
        shown.clear();
        Type(c.editor, c.typed);
        EXPECT_EQ(Line(c.editor)->text().toStdString(), c.after) << c.editor << " " << c.typed;
        EXPECT_EQ(LastShown(), c.message) << c.editor << " " << c.typed;
    }

    // Without any item in use, their tab is hidden.
    Execute("UPDATE userdef SET cItemName = '' WHERE cClass = '供应商联系人'");
    answers = {msgbox::No};
    card->close();
    OpenCard(cardmode::Add);
    EXPECT_FALSE(card->SSTab1()->isTabVisible(2));
    EXPECT_TRUE(card->DTPicker1(1).Visible());  // the first page's creation date is no user item
}

}  // namespace
}  // namespace sovrel::test
