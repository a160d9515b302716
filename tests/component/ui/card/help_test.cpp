// The card's help: F1 and the toolbar's Help open the card's own page, in the user's language.
#include <QAction>
#include <QFileInfo>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

#include "card_fixture.h"
#include "ui/help_window.h"

namespace sovrel::test {
namespace {

using CardHelpTest = CardTest;

TEST_F(CardHelpTest, F1AndTheToolbarsHelpOpenTheCardsPage) {
    OpenList("demo_en");
    OpenCard(cardmode::Modify, 1);
    host::SetLanguageOverride("en-US");
    Key(Qt::Key_F1);
    auto* help = card->findChild<HelpWindow*>("frmHelp");
    ASSERT_NE(help, nullptr);
    const QFileInfo page(help->Browser().source().toLocalFile());
    EXPECT_EQ(page.fileName().toStdString(), "frmContactEdit.html");
    EXPECT_EQ(page.dir().dirName().toStdString(), "en-US");
    help->close();
    QApplication::processEvents();

    // The test language has no pages of its own: the default language's are shown.
    host::SetLanguageOverride("keys");
    auto* bar = card->findChild<QToolBar*>();
    ASSERT_NE(bar, nullptr);
    QAction* action = bar->findChild<QAction*>("Help");
    ASSERT_NE(action, nullptr);
    QTest::mouseClick(bar->widgetForAction(action), Qt::LeftButton);
    help = card->findChild<HelpWindow*>("frmHelp");
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(QFileInfo(help->Browser().source().toLocalFile()).fileName().toStdString(), "frmContactEdit.html");
    EXPECT_EQ(QFileInfo(help->Browser().source().toLocalFile()).dir().dirName().toStdString(), "zh-CN");
    EXPECT_TRUE(card->isVisible());  // help is no command that closes or moves the card
}

}  // namespace
}  // namespace sovrel::test
