#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTimer>

#include "host/controls.h"
#include "host/crm.h"
#include "host/presenter.h"
#include "qt_app.h"

namespace host::test {
namespace {

TEST(MessageBoxTest, stylesGiveTheirButtonsAndAnswers) {
    struct Case { int style; std::vector<int> answers; int escape, first; };
    const Case cases[] = {
        {0, {1}, 1, 1},          {64, {1}, 1, 1},            {1, {1, 2}, 2, 1},         {2, {3, 4, 5}, 0, 3},
        {35, {6, 7, 2}, 2, 6},   {35 + 256, {6, 7, 2}, 2, 7}, {35 + 512, {6, 7, 2}, 2, 2}, {4 + 32, {6, 7}, 0, 6},
        {4 + 512, {6, 7}, 0, 6}, {5 + 48, {4, 2}, 2, 4},     {15, {1}, 1, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MessageBoxAnswers(c.style), c.answers) << c.style;
        EXPECT_EQ(MessageBoxEscapeAnswer(c.style), c.escape) << c.style;
        EXPECT_EQ(MessageBoxDefaultAnswer(c.style), c.first) << c.style;
    }
}

// Presses a button of the message box once it is up, and notes what it showed.
struct Clicker {
    std::string title, text, pressed;
    QStringList buttons;
    int width = 0, titleWidth = 0;

    void PressWhenShown(const QString& caption) {
        QTimer::singleShot(10, [this, caption] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return PressWhenShown(caption);
            title = box->windowTitle().toStdString();
            width = box->width();
            QFont bold = box->font();
            bold.setBold(true);
            titleWidth = QFontMetrics(bold).horizontalAdvance(box->windowTitle());
            text = box->text().toStdString();
            for (auto* b : box->buttons()) buttons << b->text();
            for (auto* b : box->buttons())
                if (b->text() == caption) {
                    pressed = caption.toStdString();
                    b->click();
                    return;
                }
            if (caption == "<escape>") box->reject();
            else box->done(-1);  // the caption is not on the box: close it anyway
        });
    }
};

TEST(MessageBoxTest, qtBoxesAnswerTheButtonPressed) {
    TestApp();
    InstallQtMessageBoxes();
    CrmCommonService crm;
    struct Case { int style; const char* language; const char* press; int answer; QStringList buttons; };
    const Case cases[] = {
        {35, "zh-CN", "否", 7, {"取消", "否", "是"}},
        {35, "en-US", "Cancel", 2, {"Cancel", "No", "Yes"}},
        {35, "en-US", "<escape>", 2, {"Cancel", "No", "Yes"}},
        {64, "en-US", "<escape>", 1, {"OK"}},
    };
    for (const auto& c : cases) {
        Clicker clicker;
        clicker.PressWhenShown(QString::fromUtf8(c.press));
        const int answer = crm.ShowMessage("保存修改吗？<b>x</b>", c.style, "供应商联系人档案", c.language, 0, 0);
        EXPECT_EQ(answer, c.answer) << c.style << " " << c.press;
        EXPECT_EQ(clicker.title, "供应商联系人档案");
        EXPECT_EQ(clicker.text, "保存修改吗？<b>x</b>");
        clicker.buttons.sort();
        EXPECT_EQ(clicker.buttons, c.buttons) << c.style << " in " << c.language;
    }
    SetMessageBoxPresenter(nullptr);
}

// A host message (the export's "done") speaks the login's language on its button too, and a
// short text leaves the box wide enough for its whole title.
TEST(MessageBoxTest, hostMessagesSpeakTheLoginsLanguageAndShowTheirWholeTitle) {
    TestApp();
    InstallQtMessageBoxes();
    for (const auto& [language, ok] : {std::pair{"en-US", "OK"}, std::pair{"zh-CN", "确定"}}) {
        SetLanguageOverride(language);
        Clicker clicker;
        clicker.PressWhenShown(QString::fromUtf8(ok));
        PresentMessage("供应商联系人档案 — Vendor Contacts", "OK");
        EXPECT_EQ(clicker.pressed, ok) << language;
        EXPECT_GE(clicker.width, clicker.titleWidth + 100) << language;
    }
    SetLanguageOverride("");
    SetMessageBoxPresenter(nullptr);
}

}  // namespace
}  // namespace host::test
