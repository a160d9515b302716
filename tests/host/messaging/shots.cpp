// Grabs the messaging windows, a four-level chart of 30 contacts and the contact overview to PNG
// files, offscreen, in zh-CN and en-US, for a person to look at. Not a test: shows nothing, asserts
// nothing. Usage: messaging_shots DIR
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <string>

#include "common/texts.h"
#include "demo_session.h"
#include "host/chart.h"
#include "host/overview.h"
#include "service/iclscommon.h"
#include "ui/columns/frm_ui_chart.h"
#include "ui/list/hand_offs.h"
#include "ui/messaging/frm_send_email.h"
#include "ui/messaging/frm_send_sms.h"

namespace {

// V03 gets 30 contacts in four levels: a head, 3 managers, 8 leads, 18 staff.
void AddVendorOf30(platform::db::Connection& db) {
    const char* names[] = {"周建国", "吴晓梅", "郑浩", "王磊", "冯静", "陈思远", "褚红", "卫东", "蒋丽", "沈涛",
                           "韩雪", "杨帆", "朱琳", "秦勇", "尤佳", "许明", "何平", "吕娟", "施强", "张敏",
                           "孔亮", "曹颖", "严峰", "华芳", "金鑫", "魏巍", "陶然", "姜华", "戚薇", "谢军"};
    for (int i = 0; i < 30; ++i) {
        const int parent = i == 0 ? -1 : i <= 3 ? 0 : i <= 11 ? 1 + (i - 4) % 3 : 4 + (i - 12) % 8;
        const int duty = i == 0 ? 3 : i <= 3 ? 4 : i <= 11 ? 5 + i % 2 : 7 + i % 4;
        char code[16], sup[16];
        std::snprintf(code, sizeof code, "V03000001%02d", i);
        std::snprintf(sup, sizeof sup, "V03000001%02d", parent);
        db.Execute(std::string("INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName, bcDutyID, cSuperiorID, "
                               "cMobilePhone) VALUES (N'") + code + "', N'V03', N'" + names[i] + "', " +
                   std::to_string(duty) + ", " + (parent < 0 ? std::string("NULL") : "N'" + std::string(sup) + "'") +
                   ", N'1390000" + std::to_string(1000 + i) + "')");
    }
}

void Save(QWidget& w, const std::string& path) {
    w.show();
    QCoreApplication::processEvents();
    w.grab().save(QString::fromStdString(path));
    std::printf("%s\n", path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: messaging_shots DIR\n");
        return 2;
    }
    const std::string out = argv[1];
    std::filesystem::create_directories(out);
    sovrel::test::DemoSession::RegisterAll();
    sovrel::test::DemoSession session;
    AddVendorOf30(*session.demo.Account());
    for (const char* user : {"demo", "demo_en"}) {
        const std::string lang = std::string(user) == "demo" ? "zh-CN" : "en-US";
        session.LoginAs(user);
        if (!session.OpenList()) return 1;
        {
            sovrel::frmSendEMail mail;
            mail.ShowModeless();
            mail.findChild<QLineEdit*>("txtAddressed")->setText("zhang.wei@hdem.com.cn;li.na@hdem.com.cn");
            mail.findChild<QLineEdit*>("txtSubject")->setText(lang == "zh-CN" ? "关于三月交货的说明" : "About the March delivery");
            mail.findChild<QPlainTextEdit*>("txtOpinion")->setPlainText(
                lang == "zh-CN" ? "张总：\n三月的货将推迟一周到达。\n谢谢！" : "Dear Mr Zhang,\nthe March goods arrive a week late.\nRegards");
            Save(mail, out + "/mail-" + lang + ".png");
            mail.close();
        }
        {
            sovrel::frmSendSMS sms;
            sms.ShowModeless();
            sms.SetMobilePhone("13812340001;13812340002");
            sms.findChild<QLineEdit*>("txtOpinion")->setText(lang == "zh-CN" ? "货物推迟一周到达，敬请谅解。" : "Your goods arrive a week late.");
            Save(sms, out + "/sms-" + lang + ".png");
            sms.close();
        }
        {
            auto rs = sovrel::Ctx().DataService->OpenX(sovrel::ChartStatement("V0300000105"));
            sovrel::frmUIChart chart;
            chart.SetReportXml(sovrel::GetReportXML(*rs, sovrel::ResText("Hx.CRM.VIEW.frmoppevalu.00363")));
            chart.resize(1400, 560);
            chart.ShowModeless();
            QCoreApplication::processEvents();
            if (auto* c = dynamic_cast<host::ChartControl*>(chart.Chart())) {
                c->Fit();
                if (lang == "zh-CN") {
                    c->ExportSvg(QString::fromStdString(out + "/chart.svg"));
                    c->ExportPng(QString::fromStdString(out + "/chart-export.png"));
                }
            }
            Save(chart, out + "/chart-" + lang + ".png");
            chart.close();
        }
        {
            host::Generals overview;
            overview.IiniGenerals(session.login, nullptr, nullptr, nullptr, nullptr, "CrmWorkLib.clsGenerals.Contact",
                                  "V0100000002", lang == "zh-CN" ? "李娜" : "Li Na");
            Save(*overview.Window(), out + "/overview-" + lang + ".png");
            overview.Window()->close();
        }
        session.CloseList();
        QCoreApplication::processEvents();
    }
    return 0;
}
