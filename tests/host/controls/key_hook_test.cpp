#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include "common/hosts/controls.h"
#include "common/prog_ids.h"
#include "host/controls.h"
#include "host/register.h"
#include "platform/object_factory.h"
#include "qt_app.h"
#include "ui/widget_host.h"

namespace host::test {
namespace {

using sovrel::IKeyHook;

TEST(KeyCodeTest, qtKeysMapToTheOriginalCodes) {
    struct Case { int key; bool keypad; int code; };
    const Case cases[] = {
        {Qt::Key_F1, false, 112},     {Qt::Key_F12, false, 123},    {Qt::Key_Z, false, 90},
        {Qt::Key_0, false, 48},       {Qt::Key_Delete, false, 46},  {Qt::Key_Enter, true, 13},
        {Qt::Key_PageUp, false, 33},  {Qt::Key_Backtab, false, 9},  {Qt::Key_Down, false, 40},
        {Qt::Key_7, true, 103},       {Qt::Key_Minus, true, 109},   {Qt::Key_Minus, false, 189},
        {Qt::Key_Exclam, false, 49},  {Qt::Key_Massyo, false, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(VirtualKeyCode(c.key, c.keypad), c.code) << std::hex << c.key;
    EXPECT_EQ(ShiftState(Qt::ShiftModifier | Qt::AltModifier), 5);
    EXPECT_EQ(ShiftState(Qt::ControlModifier | Qt::KeypadModifier), 2);
}

class Arrivals : public QObject {
public:
    std::vector<int> keys;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) keys.push_back(static_cast<QKeyEvent*>(e)->key());
        return false;
    }
};

class KeyHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterControls();
        hook = platform::Create<IKeyHook>(sovrel::progid::KeyHook);
        ASSERT_NE(hook, nullptr);
        auto* layout = new QVBoxLayout(&window);
        first = new QLineEdit(&window);
        second = new QLineEdit(&window);
        layout->addWidget(first);
        layout->addWidget(second);
        dynamic_cast<sovrel::IWindowHook&>(*hook).Attach(&window);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        first->installEventFilter(&arrivals);
        first->setFocus();
    }

    bool app_ = (TestApp(), true);  // before the window
    std::shared_ptr<IKeyHook> hook;
    QWidget window;
    QLineEdit* first = nullptr;
    QLineEdit* second = nullptr;
    Arrivals arrivals;
    std::vector<std::pair<int, int>> downs;
};

TEST_F(KeyHookTest, keysArriveWithCodeAndShiftAndAZeroedCodeIsConsumed) {
    hook->OnKeyDown([&](int& code, int shift) {
        downs.emplace_back(code, shift);
        if (code == 116 || code == 'Q') code = 0;  // F5 and Q are the window's
    });
    const std::pair<Qt::Key, Qt::KeyboardModifier> pressed[] = {{Qt::Key_F5, Qt::NoModifier},
        {Qt::Key_P, Qt::ControlModifier}, {Qt::Key_Delete, Qt::NoModifier}, {Qt::Key_F3, Qt::ShiftModifier},
        {Qt::Key_Q, Qt::NoModifier}, {Qt::Key_W, Qt::NoModifier}};
    for (const auto& [key, modifier] : pressed) QTest::keyClick(first, key, modifier);
    // The modifier keys are keys too, pressed before the key they modify.
    const std::vector<std::pair<int, int>> expected = {{116, 0}, {17, 2}, {80, 2}, {46, 0}, {16, 1},
                                                       {114, 1}, {'Q', 0}, {'W', 0}};
    EXPECT_EQ(downs, expected) << "each key is reported once, also one the line edit passes up to the window";
    EXPECT_EQ(first->text(), "w") << "the consumed Q reached the box";
    const std::vector<int> reached = {Qt::Key_Control, Qt::Key_P, Qt::Key_Delete, Qt::Key_Shift, Qt::Key_F3, Qt::Key_W};
    EXPECT_EQ(arrivals.keys, reached);
}

TEST_F(KeyHookTest, keysOfOtherWindowsAreNotSeen) {
    hook->OnKeyDown([&](int& code, int shift) { downs.emplace_back(code, shift); });
    QWidget other;
    auto* box = new QLineEdit(&other);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    QTest::keyClick(box, Qt::Key_F5);
    EXPECT_TRUE(downs.empty());
    // A widget added to the window after Attach is watched too.
    auto* late = new QLineEdit(&window);
    late->show();
    QTest::keyClick(late, Qt::Key_F9);
    EXPECT_EQ(downs, (std::vector<std::pair<int, int>>{{120, 0}}));
}

TEST_F(KeyHookTest, keyPressGivesTheCharacterAndCanReplaceOrEatIt) {
    std::vector<int> typed;
    hook->OnKeyPress([&](int& ascii) {
        typed.push_back(ascii);
        if (ascii == 13) ascii = 9;        // Enter moves on, as Tab
        else if (ascii == '#') ascii = 0;  // refused
        else if (ascii == 'x') ascii = 'y';
    });
    QTest::keyClicks(first, "a#x");
    EXPECT_EQ(first->text(), "ay");
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_EQ(typed, (std::vector<int>{'a', '#', 'x', 13}));
    EXPECT_TRUE(second->hasFocus()) << "Enter did not move to the next box";

    // KeyDown runs first; a key it consumes is not typed.
    hook->OnKeyDown([](int& code, int) {
        if (code == 'B') code = 0;
    });
    typed.clear();
    QTest::keyClicks(second, "bc");
    EXPECT_EQ(typed, std::vector<int>{'c'});
    EXPECT_EQ(second->text(), "c");
}

}  // namespace
}  // namespace host::test
