// The pager strip: page labels on each kind of page, the spin buttons' bounds, the boxes'
// corrections, and paging without a new query.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "list_fixture.h"

namespace sovrel::test {
namespace {

class PagingTest : public ListFixture {
protected:
    // Which of the four page labels (first, previous, next, last) can be clicked.
    std::string Labels() const {
        std::string s;
        for (int i = 0; i < 4; ++i)
            s += Child<QLabel>(("LblPage" + std::to_string(i)).c_str())->isEnabled() ? '1' : '0';
        return s;
    }
    QLineEdit* Size() const { return Child<QLineEdit>("EdtPageSize"); }
    QLineEdit* Page() const { return Child<QLineEdit>("EdtiCurPage"); }
    void Click(int label) {
        QTest::mouseClick(Child<QLabel>(("LblPage" + std::to_string(label)).c_str()), Qt::LeftButton);
    }
};

TEST_F(PagingTest, PageLabelsOnTheFirstMiddleAndLastPage) {
    Load(ContactRows(1200));  // 500 a page: three pages
    EXPECT_EQ(Ctx().CurrentPage, 3);
    EXPECT_EQ(Child<QLabel>("LblTotalPage")->text(), "/ 3");
    EXPECT_EQ(Labels(), "0011");
    const int queries = host.log.Count("OpenX");

    Click(2);  // next
    EXPECT_EQ(Page()->text(), "2");
    EXPECT_EQ(Labels(), "1111");
    EXPECT_EQ(window->Grid().TextMatrix(1, 2), "V0100000501");

    Click(3);  // last
    EXPECT_EQ(Page()->text(), "3");
    EXPECT_EQ(Labels(), "1100");
    EXPECT_EQ(window->Grid().Rows(), 201);

    Click(1);  // previous
    EXPECT_EQ(Page()->text(), "2");
    Click(0);  // first
    EXPECT_EQ(Page()->text(), "1");
    EXPECT_EQ(Labels(), "0011");
    EXPECT_EQ(host.log.Count("OpenX"), queries);  // pages come from the list, not the database
}

TEST_F(PagingTest, APageLabelOnAOnePageListLeavesNextAndLastEnabled) {
    Load(ContactRows(10));
    EXPECT_EQ(Labels(), "0000");
    // Labels are disabled, so the click arrives as the pager's own call.
    window->LblPageClick(0);
    EXPECT_EQ(Page()->text(), "1");
    EXPECT_EQ(Labels(), "0011");
    window->LblPageClick(2);  // beyond the last page: the box corrects itself to it
    EXPECT_EQ(Page()->text(), "1");
}

TEST_F(PagingTest, SpinButtonsStepWithinTheirBounds) {
    const struct {
        int which;
        const char* start;
        bool up;
        const char* end;
    } steps[] = {
        {1, "500", true, "505"}, {1, "500", false, "495"}, {1, "9998", true, "9998"}, {1, "7", false, "7"},
        {2, "1", false, "1"}, {2, "1", true, "1"},
    };
    for (const auto& s : steps) {
        QLineEdit* box = s.which == 1 ? Size() : Page();
        box->setText(s.start);
        window->UpDownStep(s.which, s.up);
        EXPECT_EQ(box->text().toStdString(), s.end) << s.which << " " << s.start << (s.up ? " up" : " down");
    }
    Size()->setText("500");
    Load(ContactRows(1200));
    Page()->setText("2");
    window->UpDownStep(2, true);
    EXPECT_EQ(Page()->text(), "3");
    window->UpDownStep(2, true);
    EXPECT_EQ(Page()->text(), "3");
}

TEST_F(PagingTest, TheBoxesCorrectWhatIsOutOfRange) {
    Load(ContactRows(1200));
    Size()->setText("20000");
    EXPECT_EQ(Size()->text(), "10000");
    Page()->setText("9");
    EXPECT_EQ(Page()->text(), "3");
    Page()->setText("0");
    EXPECT_EQ(Page()->text(), "1");
    Page()->setText("");
    EXPECT_EQ(Page()->text(), "");  // left empty while the user types
}

TEST_F(PagingTest, ApplyRepagesTheListAndSavesThePageSize) {
    Load(ContactRows(1200));
    const int queries = host.log.Count("OpenX");
    Size()->setText("100");
    Page()->setText("3");
    QTest::mouseClick(Child<QPushButton>("CmdRequest"), Qt::LeftButton);
    EXPECT_EQ(host.log.Count("OpenX"), queries);
    EXPECT_EQ(Ctx().CurrentPage, 12);
    EXPECT_EQ(window->Grid().Rows(), 101);
    EXPECT_EQ(window->Grid().TextMatrix(1, 2), "V0100000201");
    EXPECT_TRUE(host.log.Has("SaveRegEdit Ven_Contact PageSize 100"));

    // Enter in a pager box applies too; the arrow keys step the focused box.
    Page()->setFocus();
    QTest::keyClick(Page(), Qt::Key_Up);
    EXPECT_EQ(Page()->text(), "4");
    QTest::keyClick(Page(), Qt::Key_Return);
    EXPECT_EQ(window->Grid().TextMatrix(1, 2), "V0100000301");
}

TEST_F(PagingTest, NothingPagesBeforeTheListIsLoaded) {
    window->CmdRequestClick();
    window->LblPageClick(3);
    EXPECT_FALSE(host.log.Has("FlipPageFillGrid"));
    EXPECT_FALSE(host.log.Has("SaveRegEdit"));
}

}  // namespace
}  // namespace sovrel::test
