// The selection marks of column 1: select all, clear, a click toggling one row, and rows whose
// mark is not at the start.
#include <QCheckBox>
#include <QTest>

#include "list_fixture.h"

namespace sovrel::test {
namespace {

class SelectionTest : public ListFixture {
protected:
    SelectionTest() { Load(ContactRows(4)); }
    std::vector<std::string> Marks() const {
        std::vector<std::string> out;
        for (long r = 1; r < window->Grid().Rows(); ++r) out.push_back(window->Grid().TextMatrix(r, 1));
        return out;
    }
    QCheckBox* SelectAll() const { return Child<QCheckBox>("chkSelectAll"); }
};

const std::string kMark = "\u221A ";

TEST_F(SelectionTest, SelectAllMarksEveryRowAndUntickingClearsThem) {
    window->Grid().SetTextMatrix(2, 1, "x\u221A");
    QTest::mouseClick(SelectAll(), Qt::LeftButton);
    EXPECT_EQ(window->SelectAllValue(), 1);
    // A row already holding the sign keeps its text: it counts as marked.
    EXPECT_EQ(Marks(), (std::vector<std::string>{kMark, "x\u221A", kMark, kMark}));
    QTest::mouseClick(SelectAll(), Qt::LeftButton);
    EXPECT_EQ(window->SelectAllValue(), 0);
    EXPECT_EQ(Marks(), (std::vector<std::string>{"", "", "", ""}));
}

TEST_F(SelectionTest, AClickTogglesItsRowUnlessAllAreSelected) {
    host.grid->Click(2, 3);
    EXPECT_EQ(Marks(), (std::vector<std::string>{"", kMark, "", ""}));
    host.grid->Click(2, 1);
    EXPECT_EQ(Marks(), (std::vector<std::string>{"", "", "", ""}));
    host.grid->Click(0, 2);  // the header row is no row to mark
    EXPECT_EQ(Marks(), (std::vector<std::string>{"", "", "", ""}));
    window->Grid().SetTextMatrix(3, 1, "x\u221A");
    host.grid->Click(3, 2);
    EXPECT_EQ(Marks()[2], "");

    window->MarkAllRows();
    host.grid->Click(1, 2);
    EXPECT_EQ(Marks(), (std::vector<std::string>{kMark, kMark, kMark, kMark}));
}

TEST_F(SelectionTest, DeleteCountsOnlyAMarkAtTheStartOfTheText) {
    window->Grid().SetTextMatrix(2, 1, "x\u221A");
    window->Operating("Del");
    EXPECT_EQ(Messages().back(), "Hx.CRM.TkContact.frmcontactlist.00029");
    window->Grid().SetTextMatrix(3, 1, kMark);
    std::int16_t column = 0;
    EXPECT_TRUE(window->CheckDelete(column));
    EXPECT_EQ(column, 2);
}

}  // namespace
}  // namespace sovrel::test
