// The list's hand-offs on the host's real objects and the fixed demo account: chart, SMS, mail
// and overview from the current or marked rows; and the chart's links.
#include <gtest/gtest.h>

#include <QCheckBox>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

#include "common/hosts/ref_edit.h"
#include "common/prog_ids.h"
#include "demo_session.h"
#include "host/chart.h"
#include "host/contact_picker.h"
#include "host/overview.h"
#include "sink.h"
#include "ui/columns/frm_ui_chart.h"
#include "ui/help_window.h"
#include "ui/messaging/frm_send_email.h"
#include "ui/messaging/frm_send_sms.h"

namespace sovrel::test {
namespace {

std::string Description(const std::vector<std::vector<std::string>>& contacts) {
    std::string xml = "<?xml version=\"1.0\" encoding= \"UTF-8\"?><Chart Name = \"t\" Type = \"Organization\">"
                      "<Picture><ReportTrees><Report>";
    for (const auto& c : contacts)
        xml += "<Contract Code = \"" + c[0] + "\" Name = \"" + c[0] + "\" Duty = \"\" Superior =\"" + c[1] + "\"/>";
    return xml + "</Report></ReportTrees></Picture></Chart>";
}

// code -> (superior drawn above or "" for a root, cut circle)
std::map<std::string, std::pair<std::string, bool>> Links(const std::vector<host::ChartNode>& nodes) {
    std::map<std::string, std::pair<std::string, bool>> out;
    for (const auto& n : nodes) out[n.code] = {n.parent < 0 ? "" : nodes[n.parent].code, n.cutCycle};
    return out;
}

TEST(ChartLayout, rootsCirclesAndOrder) {
    using L = std::map<std::string, std::pair<std::string, bool>>;
    struct Case { const char* what; std::vector<std::vector<std::string>> contacts; L links; } cases[] = {
        {"NULL, missing and own code make roots",
         {{"A", "NULL"}, {"B", "A"}, {"C", "GONE"}, {"D", "D"}, {"E", ""}},
         {{"A", {"", false}}, {"B", {"A", false}}, {"C", {"", false}}, {"D", {"", false}}, {"E", {"", false}}}},
        {"a circle is cut once",
         {{"A", "C"}, {"B", "A"}, {"C", "B"}, {"X", "B"}},
         {{"A", {"", true}}, {"B", {"A", false}}, {"C", {"B", false}}, {"X", {"B", false}}}},
        {"a code given twice is drawn once", {{"A", "NULL"}, {"A", "B"}, {"B", "A"}},
         {{"A", {"", false}}, {"B", {"A", false}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Links(host::LayoutChart(Description(c.contacts))), c.links);
    }
    EXPECT_TRUE(host::LayoutChart("<Chart><Contract Code=").empty());
}

// The window is laid out after the chart is drawn: the chart follows the view's size until the
// user zooms.
TEST(ChartView, aChartDrawnBeforeItsWindowIsLaidOutIsFittedWhenShown) {
    host::ChartControl chart;
    QWidget* w = chart.Widget(nullptr);
    chart.Load(Description({{"A", "NULL"}, {"B", "A"}, {"C", "A"}}));
    chart.Draw();
    w->resize(1000, 700);
    w->show();
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(chart.Zoom(), 1.0);  // a small chart at its natural size, not shrunk to the unlaid view
    chart.ZoomBy(0.8);
    w->resize(900, 600);
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(chart.Zoom(), 0.8);  // the user's zoom stays
}

class HandOffTest : public DemoSessionTest {
protected:
    HandOffTest() { OpenList(); }
    // Runs command on row; inspect sees the modal window it opened, which is then closed.
    void RunOnRow(long row, const std::string& command, const std::function<void(QWidget*)>& inspect) {
        window->Grid().SetRow(row);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            seen = modal != nullptr && modal != window;
            if (seen) {
                inspect(modal);
                modal->close();
            }
        });
        window->Operating(command);
        EXPECT_TRUE(seen) << command;
    }
};

TEST_F(HandOffTest, reportChartsEveryContactOfTheCurrentContactsVendorByCode) {
    ASSERT_TRUE(window->DataLoaded());
    {
        platform::db::Connection db;
        db.Open(login->tkDBName());
        db.Execute("UPDATE Ven_Contact SET cContactName = N'O''Brien & \"Co\" <x>' WHERE cContactCode = N'V0100000004'");
    }
    RunOnRow(3, "Report", [](QWidget* w) {  // V0100000003
        auto* chart = dynamic_cast<frmUIChart*>(w);
        ASSERT_NE(chart, nullptr);
        const auto& xml = chart->ReportXml();
        EXPECT_NE(xml.find("<Contract Code = \"V0100000001\" Name = \"张伟\" Duty = \""), std::string::npos);
        auto* control = dynamic_cast<host::ChartControl*>(chart->Chart());
        ASSERT_NE(control, nullptr);
        std::vector<std::string> codes;
        for (const auto& n : control->Nodes()) codes.push_back(n.code + ">" + (n.parent < 0 ? "" : control->Nodes()[n.parent].code));
        ASSERT_EQ(codes, (std::vector<std::string>{"V0100000001>", "V0100000002>V0100000001", "V0100000003>V0100000002",
                                                   "V0100000004>V0100000002"}));
        EXPECT_EQ(control->Nodes().back().name, "O'Brien & \"Co\" <x>");
        // F1 opens the chart's own help page.
        QTest::keyClick(chart, Qt::Key_F1);
        auto* help = chart->findChild<sovrel::HelpWindow*>();
        ASSERT_NE(help, nullptr);
        EXPECT_EQ(help->Browser().source().fileName().toStdString(), "frmUIChart.html");
        help->close();
    });
    EXPECT_TRUE(shown.empty());
}

TEST_F(HandOffTest, sendMsgPutsTheCurrentContactsNumberInTheBox) {
    window->MarkAllRows();  // marks do not matter: the current row does
    RunOnRow(5, "SendMsg", [](QWidget* w) {  // V0200000001
        auto* sms = dynamic_cast<frmSendSMS*>(w);
        ASSERT_NE(sms, nullptr);
        EXPECT_EQ(sms->MobileBox().Text(), "+49 170 5550101");
    });
}

TEST_F(HandOffTest, generalOpensTheOverviewWithChainReportsAndDocuments) {
    window->Grid().SetRow(2);  // V0100000002, on a purchase order
    window->Operating("General");
    // The list keeps its own overview object; find its window among the top-level widgets.
    host::OverviewWindow* overview = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* o = dynamic_cast<host::OverviewWindow*>(w); o && o->isVisible()) overview = o;
    ASSERT_NE(overview, nullptr);
    auto items = [&](const char* name) {
        std::vector<std::string> out;
        auto* l = overview->findChild<QListWidget*>(name);
        for (int i = 0; l && i < l->count(); ++i) out.push_back(l->item(i)->text().toStdString());
        return out;
    };
    EXPECT_EQ(items("lstSuperiors"), std::vector<std::string>{"V0100000001  张伟"});
    EXPECT_EQ(items("lstReports"), (std::vector<std::string>{"V0100000003  王芳", "V0100000004  刘洋"}));
    auto* docs = overview->findChild<QTreeWidget*>("lstDocuments");
    ASSERT_TRUE(docs && docs->topLevelItemCount() >= 1);
    EXPECT_EQ(docs->topLevelItem(0)->text(1).toStdString(), "PO_Pomain");
    overview->close();
}

TEST_F(HandOffTest, handOffsWithoutACurrentRowSayNoRow) {
    for (const char* command : {"Report", "General", "SendMsg"}) {
        shown.clear();
        window->Grid().SetRow(0);
        window->Operating(command);
        EXPECT_EQ(shown.size(), 1u) << command;
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST_F(HandOffTest, pickerGivesOnlyVisibleContactsToTheNumberBox) {
    LoginAs("limited");  // sees V01, V03
    std::vector<std::string> offered;
    auto previous = host::SetContactPickPresenter([&](const std::vector<std::string>& codes) {
        offered = codes;
        return std::vector<std::string>{"V0200000001", "V0100000004", "V0100000003"};
    });
    frmSendSMS sms;
    sms.SetMobilePhone("13812340003");
    auto lookup = platform::Create<IRefLookup>(progid::RefLookup);
    lookup->Init(login, "Sovrel_Msg", false, "<Ref><RefSet bMultiSel='1' /></Ref>");
    lookup->OnRowsReturned([&](std::shared_ptr<platform::db::Rowset> rows) { sms.RowsReturned(rows); });
    EXPECT_TRUE(lookup->Show());
    host::SetContactPickPresenter(std::move(previous));
    EXPECT_EQ(offered, (std::vector<std::string>{"V0100000001", "V0100000002", "V0100000003", "V0100000004"}));
    EXPECT_EQ(sms.MobileBox().Text(), "13812340003;13812340004");  // V02 is not the user's to see
}

TEST_F(HandOffTest, sendMailHandsTheMarkedContactsToTheMailTool) {
    platform::ScopedRegistration tool(progid::MailTool, [] { return std::make_shared<RecordingMailTool>(); });
    RecordingMailTool::opened.clear();
    window->ClearAllRows();
    for (long row : {1, 4}) {  // V0100000001 (own address), V0100000004 (none: its vendor's)
        window->Grid().SetRow(row);
        window->MarkCurrentRow();
    }
    window->Operating("SendMail");
    EXPECT_EQ(RecordingMailTool::opened, std::vector<std::string>{"zhang.wei@hdem.com.cn;info@hdem.com.cn"});
    EXPECT_TRUE(shown.empty()) << shown.front();

    // Select All takes every contact of the list, read from the field the column settings give
    // the contact code.
    RecordingMailTool::opened.clear();
    window->findChild<QCheckBox*>("chkSelectAll")->click();
    window->Operating("SendMail");
    ASSERT_EQ(RecordingMailTool::opened.size(), 1u);
    EXPECT_NE(RecordingMailTool::opened[0].find("zhang.wei@hdem.com.cn"), std::string::npos) << RecordingMailTool::opened[0];
    EXPECT_TRUE(shown.empty()) << shown.front();
}

TEST_F(HandOffTest, pickButtonsAddTheFirstPickedContactsAddressOrNumber) {
    struct Case { const char* picked; const char* mailBefore; const char* mailAfter; const char* smsAfter; } cases[] = {
        {"V0100000001", "a@x.test ", "a@x.test;zhang.wei@hdem.com.cn", "13812340001"},
        {"V0100000004", "a@x.test", "a@x.test", "13812340004"},  // no address: recipients unchanged
        {"", "a@x.test", "a@x.test", ""},                        // cancelled
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picked);
        auto previous = host::SetContactPickPresenter([&](const std::vector<std::string>&) {
            return *c.picked ? std::vector<std::string>{c.picked} : std::vector<std::string>{};
        });
        frmSendEMail mail;
        auto* to = mail.findChild<QLineEdit*>("txtAddressed");
        to->setText(c.mailBefore);
        mail.CmdClick();
        EXPECT_EQ(to->text().toStdString(), c.mailAfter);
        frmSendSMS sms;
        sms.CmdClick();
        EXPECT_EQ(sms.MobileBox().Text(), c.smsAfter);
        host::SetContactPickPresenter(std::move(previous));
    }
}

}  // namespace
}  // namespace sovrel::test
