// The reference edit box and the choice dialog as a user types into them.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "../../../host/controls/ref_edit.h"
#include "host/choice.h"
#include "platform/db/field.h"
#include "platform/db/rowset.h"
#include "qt_app.h"

namespace host::test {
namespace {

using sovrel::refkind::Date;
using sovrel::refkind::Decimal;
using sovrel::refkind::Integer;
using sovrel::refkind::Text;

struct Box {
    controls::RefEdit edit;
    QWidget* widget;
    QLineEdit* line;
    int changes = 0;
    Box() {
        TestApp();
        widget = edit.Widget(nullptr);
        line = widget->findChild<QLineEdit*>("Text");
        edit.OnChange([this] { ++changes; });
    }
    ~Box() { delete widget; }
};

TEST(RefEdit, TypedTextKeepsOnlyWhatTheKindAndTheForbiddenCharactersAllow) {
    const struct { int kind, decimals; std::string bad, typed, expected; } cases[] = {
        {Text, 0, "<>'\"|&,", "O'Brien, <b> & \"co\"", "OBrien b  co"},
        {Integer, 0, "", "-12a.5", "-125"},
        {Integer, 0, "", "1-2", "12"},  // a sign only in front
        {Decimal, 2, "", "3.14159", "3.14"},
        {Decimal, 2, "", "1.2.3", "1.23"},
        {Decimal, 0, "", "7.5", "75"},  // no decimals: no point
        {Date, 0, "", "2024-0x2-29", "2024-02-29"},
    };
    for (const auto& c : cases) {
        Box box;
        box.edit.SetKind(c.kind, c.decimals);
        box.edit.SetBadStr(c.bad);
        QTest::keyClicks(box.line, QString::fromStdString(c.typed));
        EXPECT_EQ(box.edit.Text(), c.expected) << c.typed;
        EXPECT_GT(box.changes, 0);
    }
}

TEST(RefEdit, TheProgramsTextIsCutToTheMaximumAndReportsNoChange) {
    Box box;
    box.edit.SetMaxLength(4);
    box.edit.SetText("张三李四王五");
    EXPECT_EQ(box.edit.Text(), "张三李四");
    EXPECT_EQ(box.changes, 0);
    QTest::keyClicks(box.line, "x");
    EXPECT_EQ(box.edit.Text(), "张三李四");  // full
}

TEST(RefEdit, TheLookUpButtonGoesToItsHandlerAndIsOffWhenTheBoxIsLocked) {
    Box box;
    int clicks = 0;
    box.edit.SetButtonVisible(true);
    box.edit.OnButtonClick([&] { ++clicks; });
    auto* button = box.widget->findChild<QToolButton*>("Lookup");
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    box.edit.SetEnabled(false);
    EXPECT_FALSE(button->isEnabled());
    box.edit.SetEnabled(true);
    box.edit.SetReadOnly(true);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_TRUE(box.line->isReadOnly());
}

std::shared_ptr<platform::db::Rowset> Rows() {
    platform::db::FieldInfo code, name;
    code.name = "cCode";
    name.name = "cName";
    auto rs = platform::db::Rowset::CreateDetached({code, name});
    for (const auto& [c, n] : {std::pair<const char*, const char*>{"01", "总经理"}, {"02", "经理"}, {"03", "采购主管"}}) {
        rs->AddNew();
        rs->Set(0, c);
        rs->Set(1, n);
        rs->Update();
    }
    rs->MoveFirst();
    return rs;
}

// Plays the keys into the choice dialog's search box once the dialog is up.
long Choose(const std::string& search, const std::vector<Qt::Key>& keys) {
    TestApp();
    QTimer::singleShot(0, [keys] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QDialog*>(w); d && d->objectName() == "HostChoiceDialog" && d->isVisible())
                for (Qt::Key key : keys) QTest::keyClick(d->findChild<QLineEdit*>("Search"), key);
    });
    auto rows = Rows();
    ChoiceRequest request{"title", {"cCode", "cName"}, {"Code", "Name"}, search, "zh-CN"};
    const long chosen = ShowChoiceDialog(request, *rows);
    EXPECT_EQ(rows->AbsolutePosition(), 1);  // the caller's row stays current
    return chosen;
}

TEST(ChoiceDialog, TheKeyboardAloneSearchesAndChooses) {
    const struct { const char* search; std::vector<Qt::Key> keys; long chosen; } cases[] = {
        {"", {Qt::Key_Return}, 0},
        {"", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}, 2},
        {"采购", {Qt::Key_Return}, 2},  // the search keeps the rows that contain it; the first is chosen
        {"", {Qt::Key_Escape}, -1},
        {"nothing", {Qt::Key_Return}, -1},  // nothing left to choose
    };
    for (const auto& c : cases) EXPECT_EQ(Choose(c.search, c.keys), c.chosen) << c.search << " " << c.keys.size();
}

}  // namespace
}  // namespace host::test
