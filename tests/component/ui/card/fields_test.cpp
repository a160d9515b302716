// Every box of the card as the clerk meets it: on its page, beside its own caption, and what is
// typed into it stored in its own column (a box wired to a neighbour's column saves silently wrong).
#include <QGridLayout>
#include <QLabel>
#include <QTabWidget>

#include "card_fixture.h"

namespace sovrel::test {
namespace {

struct FieldCase {
    const char* column;
    const char* box;
    int page;
    const char* caption;  // the label beside the box
    const char* typed;
    const char* stored;
};

// Values that pass each box's own checks, all different; the XML characters go where a box takes them.
const FieldCase kFields[] = {
    {"cAppellation", "Edt3", 0, "LblcAppellation", "ap3", "ap3"},
    {"cNative", "Edt5", 0, "lblcNative", "nat5", "nat5"},
    {"cOfficePhone", "Edt10", 1, "lblcOfficePhone", "1010", "1010"},
    {"cHomePhone", "Edt11", 1, "lblcHomePhone", "1011", "1011"},
    {"cMobilePhone", "Edt12", 1, "lblcMobilePhone", "1012", "1012"},
    {"cCall", "Edt13", 1, "lblcCall", "1013", "1013"},
    {"cZipcode", "Edt14", 1, "lblcZipcode", "1014", "1014"},
    {"cEmail", "Edt18", 1, "lblcEmail", "e18@x.cn", "e18@x.cn"},
    {"cHomePage", "Edt15", 1, "lblcHomePage", "www.x15.cn", "www.x15.cn"},
    {"cWorkAddress", "Edt16", 1, "lblcWorkAddress", "wa16", "wa16"},
    {"cHomeAddress", "Edt17", 1, "lblcHomeAddress", "ha17", "ha17"},
    {"cHomeMember", "Edt19", 1, "lblcHomeMember", "hm19", "hm19"},
    {"cMemo", "Edt20", 1, "lblcMemo", "m20", "m20"},
    {"cConDefine1", "EdtU0", 2, "LblD1_0", "R&D <1> 'x'", "R&D <1> 'x'"},
    {"cConDefine6", "EdtU5", 2, "LblD1_5", "110101199001011234", "110101199001011234"},
    {"cConDefine11", "EdtU10", 2, "LblD1_10", "7", "7"},
    {"cConDefine12", "EdtU11", 2, "LblD1_11", "42", "42"},
    {"cConDefine13", "EdtU12", 2, "LblD1_12", "3.5", "3.5"},
    {"cConDefine14", "EdtU13", 2, "LblD1_13", "0.9", "0.9"},
    {"cConDefine15", "DTPicker1_2", 2, "LblD1_14", "2025-03-04", "2025-03-04"},
    {"cConDefine16", "DTPicker1_3", 2, "LblD1_15", "2026-11-30", "2026-11-30"},
};

// The caption in the cell left of the box in its page's grid.
QString CaptionBeside(QWidget* box) {
    auto* grid = box ? qobject_cast<QGridLayout*>(box->parentWidget()->layout()) : nullptr;
    const int at = grid ? grid->indexOf(box) : -1;
    if (at < 0) return "<not laid out>";
    int row = 0, col = 0, rows = 0, cols = 0;
    grid->getItemPosition(at, &row, &col, &rows, &cols);
    QLayoutItem* item = col > 0 ? grid->itemAtPosition(row, col - 1) : nullptr;
    return item && item->widget() ? item->widget()->objectName() : "<no caption>";
}

TEST_F(CardTest, EveryBoxStandsBesideItsCaptionOnItsPageAndSavesIntoItsOwnColumn) {
    OpenList();
    OpenCard(cardmode::Modify, 1);
    const std::string code = card->Edt(1).Text();
    ASSERT_FALSE(code.empty());
    for (const auto& f : kFields) {
        card->SSTab1()->setCurrentIndex(f.page);
        auto* box = card->findChild<QWidget*>(f.box);
        ASSERT_NE(box, nullptr) << f.box;
        EXPECT_TRUE(box->isVisible()) << f.column;
        EXPECT_EQ(CaptionBeside(box).toStdString(), f.caption) << f.column;
        Type(f.box, f.typed);
    }
    // Each page names itself.
    for (int page = 0; page < 3; ++page) EXPECT_FALSE(card->SSTab1()->tabText(page).isEmpty()) << page;
    shown.clear();
    Key(Qt::Key_F6);
    ASSERT_TRUE(shown.empty()) << shown.front();
    // The card is cleared for the next contact: no date of this one stays behind.
    for (int date : {0, 2, 3}) EXPECT_EQ(card->DTPicker1(date).Text(), "") << date;
    for (const auto& f : kFields) {
        EXPECT_EQ(Value(std::string("SELECT ") + f.column + " FROM Ven_Contact WHERE cContactCode = '" + code + "'"),
                  f.stored)
            << f.column;
    }
    // Saved, the card is clean: leaving it asks nothing.
    Key(Qt::Key_Escape);
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(card->isVisible());
}

}  // namespace
}  // namespace sovrel::test
