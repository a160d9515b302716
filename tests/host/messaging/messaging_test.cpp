// Mail and SMS end to end: the windows send through the host's libcurl sender and SMS client to
// sinks the tests start on 127.0.0.1, and the sinks say what arrived.
#include <gtest/gtest.h>

#include <QApplication>
#include <QJsonArray>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <fstream>

#include "common/hosts/ref_edit.h"
#include "common/prog_ids.h"
#include "demo_session.h"
#include "file_text.h"
#include "host/config.h"
#include "host/messaging.h"
#include "platform/db/field.h"
#include "platform/diagnostics.h"
#include "sink.h"
#include "ui/messaging/cls_contact.h"
#include "ui/messaging/frm_send_email.h"
#include "ui/messaging/frm_send_sms.h"
#include "ui/messaging/send.h"

namespace sovrel::test {
namespace {

using Clock = std::chrono::steady_clock;

class MessagingTest : public DemoSessionTest {
protected:
    MessagingTest() {
        host::SetLanguageOverride("keys");
        ::setenv("SOVREL_KEY_FILE", (folder_ + "/secret.key").c_str(), 1);
    }
    ~MessagingTest() override {
        host::SetLanguageOverride("");
        ::unsetenv("SOVREL_KEY_FILE");
    }
    void Set(const std::string& key, const std::string& value) { host::SaveSetting(*login, key, value); }
    void UseSmtp(const Sink& sink, int timeout = 2) {
        Set("smtp.server", "127.0.0.1");
        Set("smtp.port", std::to_string(sink.Port()));
        Set("smtp.sender", "clerk@sovrel.test");
        Set("smtp.timeout", std::to_string(timeout));
    }
    void UseGateway(const Sink& sink, int timeout = 2) {
        Set("sms.gateway", "http://127.0.0.1:" + std::to_string(sink.Port()) + "/send");
        Set("sms.account", "acme");
        Set("sms.key", "K3y-s3cret");
        Set("sms.signature", "ACME");
        Set("sms.timeout", std::to_string(timeout));
    }
    std::string ErrorLog() const { return FileText(folder_ + "/error.log"); }
    // Fills the mail window and presses Send; answers the seconds it took.
    double SendMail(frmSendEMail& w, const std::string& to, const std::string& subject, const std::string& text) {
        w.findChild<QLineEdit*>("txtAddressed")->setText(QString::fromStdString(to));
        w.findChild<QLineEdit*>("txtSubject")->setText(QString::fromStdString(subject));
        w.findChild<QPlainTextEdit*>("txtOpinion")->setPlainText(QString::fromStdString(text));
        const auto start = Clock::now();
        w.CmdSendClick();
        return std::chrono::duration<double>(Clock::now() - start).count();
    }
    double SendSms(frmSendSMS& w, const std::string& numbers, const std::string& sender, const std::string& text) {
        w.SetMobilePhone(numbers);
        w.findChild<QLineEdit*>("txtSender")->setText(QString::fromStdString(sender));
        w.findChild<QLineEdit*>("txtOpinion")->setText(QString::fromStdString(text));
        const auto start = Clock::now();
        w.CmdSendClick();
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    const std::string folder_ = demo.path(), system_ = login->SystemConnectionText();
};

TEST_F(MessagingTest, mailWindowSendsOneHtmlMessageToEveryRecipient) {
    Sink smtp("smtp", "accept", folder_);
    UseSmtp(smtp);
    frmSendEMail w;
    w.ShowModeless();
    SendMail(w, " wang@v01.test;li@v01.test ", "交货延期 12", "第一行\n<b>second</b> line");
    const auto got = smtp.Received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0]["rcpt"].toArray(), (QJsonArray{"<wang@v01.test>", "<li@v01.test>"}));
    EXPECT_EQ(got[0]["from"].toString(), "<clerk@sovrel.test>");
    const std::string data = got[0]["data"].toString().toStdString();
    const auto split = data.find("\r\n\r\n");
    ASSERT_NE(split, std::string::npos);
    const std::string headers = data.substr(0, split);
    EXPECT_NE(headers.find("To: wang@v01.test, li@v01.test"), std::string::npos) << headers;
    EXPECT_NE(headers.find("Content-Type: text/html; charset=UTF-8"), std::string::npos) << headers;
    const std::string subject = "Subject: =?UTF-8?B?" + QByteArray("交货延期 12").toBase64().toStdString() + "?=";
    EXPECT_NE(headers.find(subject), std::string::npos) << headers;
    const std::string body =
        QByteArray::fromBase64(QByteArray::fromStdString(data.substr(split + 4))).toStdString();
    EXPECT_EQ(body, "<html><body>第一行</br>\n<b>second</b> line</body></html>");
    EXPECT_EQ(shown, std::vector<std::string>{"Hx.CRM.COMMON.MailSendSuccParam(wang@v01.test;li@v01.test)"});
    w.close();
}

// No recipient, or a line break in an address (a second SMTP command at the server): one message, nothing sent.
TEST_F(MessagingTest, mailStopsAtAMissingOrBadAddressBeforeAnythingGoesOut) {
    Sink smtp("smtp", "accept", folder_);
    UseSmtp(smtp);
    const std::pair<const char*, const char*> cases[] = {
        {"   ", "Hx.CRM.TkContact.frmsendemail.00012"},
        {"ok@v01.test;evil@v01.test\r\nRCPT TO:<spy@else.test>",
         "Hx.CRM.COMMON.BadEmail(evil@v01.test\\x0D\\x0ARCPT TO:<spy@else.test>)"},
    };
    for (const auto& [to, message] : cases) {
        shown.clear();
        frmSendEMail w;
        w.ShowModeless();
        SendMail(w, to, "s", "text");
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_NE(shown[0].find(message), std::string::npos) << shown[0];
        w.close();
    }
    EXPECT_TRUE(smtp.Received().empty());
}

// Each way an SMTP server can fail: the window shows the failure message naming the recipients
// with the reason, the password is in neither it nor error.log, and nothing waits past the time-out.
TEST_F(MessagingTest, mailFailuresAreShownRecordedAndBounded) {
    struct Case { const char* mode; const char* to; const char* reason; } cases[] = {
        {"refuse", "ok@v01.test;nobody-refuse@v01.test", "Hx.AA.MESSAGING.Refused(<nobody-refuse@v01.test>,"},
        {"reject", "ok@v01.test", "554 5.7.1 message rejected as spam"},
        {"drop", "ok@v01.test", ""},
        {"silent", "ok@v01.test", "Hx.AA.MESSAGING.NoAnswer(127.0.0.1,1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        shown.clear();
        std::filesystem::remove(std::filesystem::path(folder_) / "error.log");
        Sink smtp("smtp", c.mode, folder_);
        UseSmtp(smtp, 1);
        Set("smtp.user", "clerk");
        Set("smtp.password", "Pa55-w0rd");
        frmSendEMail w;
        w.ShowModeless();
        // The window is kept painted while the server is waited for: a timer due meanwhile runs.
        bool ran = false;
        QTimer::singleShot(300, &w, [&ran] { ran = true; });
        const double seconds = SendMail(w, c.to, "s", "text");
        EXPECT_LT(seconds, 3.0);
        if (std::string(c.mode) == "silent") {
            EXPECT_TRUE(ran);
        }
        EXPECT_TRUE(smtp.Received().empty());
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].rfind("Hx.CRM.COMMON.MailSendFailParam(" + std::string(c.to) + ") (", 0), 0u) << shown[0];
        EXPECT_NE(shown[0].find(c.reason), std::string::npos) << shown[0];
        EXPECT_EQ((ErrorLog() + shown[0]).find("Pa55-w0rd"), std::string::npos);
        w.close();
    }
}

TEST_F(MessagingTest, sendMailReportsEachColumnJoinedByCommas) {
    std::string result;
    sendMail({MailColumn{"a@v.test", "s", "<p>x</p>", ""}}, result);
    EXPECT_EQ(result, "Hx.CRM.COMMON.MailSendFailParam(a@v.test) (Hx.AA.MESSAGING.NoSmtpServer)");
    Sink smtp("smtp", "accept", folder_);
    UseSmtp(smtp);
    result.clear();
    sendMail({MailColumn{"a@v.test", "s", "<p>x</p>", "A"}, MailColumn{" ", "s", "<p>x</p>", "B"},
              MailColumn{"c@v.test", "s", "  ", "C"}},
             result);
    EXPECT_EQ(result,
              "Hx.CRM.COMMON.MailSendSuccParam(a@v.test),Hx.CRM.COMMON.MailNullAddr(B),"
              "Hx.CRM.COMMON.MailNullComment(C)");
    EXPECT_EQ(smtp.Received().size(), 1u);
}

TEST_F(MessagingTest, getContactListsContactAddressesThenVendorAddresses) {
    auto db = std::make_unique<platform::db::Connection>();
    db->Open(login->tkDBName());
    db->Execute("UPDATE vendor SET cVenEmail = N' info@hdem.test ' WHERE cVenCode = N'V01'");
    db->Execute("UPDATE vendor SET cVenEmail = N'' WHERE cVenCode = N'V02'");
    platform::ScopedRegistration tool(progid::MailTool, [] { return std::make_shared<RecordingMailTool>(); });
    struct Case { std::string codes, complVendors, complMail, expected; } cases[] = {
        {"N'V0100000001'", "", "boss@x.test", "zhang.wei@hdem.com.cn;boss@x.test"},
        {"", "N'V01'", "", "info@hdem.test"},
        {"N'NOSUCH'", "N'V02'", "", ""},  // nobody has an address: the tool still opens
    };
    for (const Case& c : cases) {
        RecordingMailTool::opened.clear();
        clsContact mail;
        std::string codes = c.codes;
        mail.GetContact(codes, login, c.complVendors, c.complMail);
        EXPECT_EQ(RecordingMailTool::opened, std::vector<std::string>{c.expected}) << c.codes;
    }
    EXPECT_TRUE(shown.empty());
    RecordingMailTool::answer = false;
    clsContact mail;
    std::string codes = "N'V0100000001'";
    mail.GetContact(codes, login);
    RecordingMailTool::answer = true;
    EXPECT_EQ(shown, (std::vector<std::string>{"Hx.CRM.COMMON.MailSenderNotExist", "Hx.CRM.COMMON.MailSendFail"}));
}

TEST_F(MessagingTest, mailToolRunsTheConfiguredCommandOrAnswersFalse) {
    const auto out = std::filesystem::path(folder_) / "mailto.txt";
    const auto script = std::filesystem::path(folder_) / "mailer";
    std::ofstream(script) << "#!/bin/sh\nprintf %s \"$1\" > " << out.string() << "\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    Set("mail.command", script.string() + " %a");
    host::MailTool tool;
    std::string addresses = "a@v.test; b@v.test";
    ASSERT_TRUE(tool.OpenForAddresses(addresses));
    for (int i = 0; i < 100 && (!std::filesystem::exists(out) || std::filesystem::file_size(out) == 0); ++i)
        QTest::qWait(20);
    std::ifstream in(out);
    std::string got;
    std::getline(in, got);
    EXPECT_EQ(got, "a@v.test;b@v.test");
    Set("mail.command", "/no/such/mail-program %a");
    EXPECT_FALSE(tool.OpenForAddresses(addresses));
}

TEST_F(MessagingTest, smsWindowPostsNumbersCommaTextWithAccountKeyAndSignature) {
    Sink gateway("http", "accept", folder_);
    UseGateway(gateway);
    platform::DebugCapture traces;
    frmSendSMS w;
    w.ShowModeless();
    SendSms(w, "13812340001;13812340002", "Li", "Hello");
    const auto got = gateway.Received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0]["data"].toString().toStdString(),
              "13812340001;13812340002,Hello" "Hx.CRM.TkContact.frmsendsms.00016" "Li");
    EXPECT_EQ(got[0]["account"].toString(), "acme");
    EXPECT_EQ(got[0]["key"].toString(), "K3y-s3cret");
    EXPECT_EQ(got[0]["signature"].toString(), "ACME");
    EXPECT_EQ(shown, std::vector<std::string>{"Hx.CRM.COMMON.SMSSendSucc"});
    EXPECT_FALSE(traces.Contains("K3y-s3cret"));
    w.close();
}

TEST_F(MessagingTest, smsFailuresAreShownRecordedAndBounded) {
    struct Case { const char* mode; const char* reason; } cases[] = {
        {"error", "HTTP 500: ERR 17 bad key"},
        {"silent", "Hx.AA.MESSAGING.NoAnswer(http://127.0.0.1:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        shown.clear();
        Sink gateway("http", c.mode, folder_);
        UseGateway(gateway, 1);
        frmSendSMS w;
        w.ShowModeless();
        bool ran = false;  // as for mail
        QTimer::singleShot(300, &w, [&ran] { ran = true; });
        EXPECT_LT(SendSms(w, "13812340001", "", "Hello"), 3.0);
        if (std::string(c.mode) == "silent") {
            EXPECT_TRUE(ran);
        }
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].rfind("Hx.CRM.COMMON.SMSSendFail (" + std::string(c.reason), 0), 0u) << shown[0];
        EXPECT_EQ(ErrorLog().find("K3y-s3cret"), std::string::npos);
        w.close();
    }
}

TEST_F(MessagingTest, smsWindowChecksNumberThenText) {
    struct Case { const char* numbers; const char* text; const char* message; const char* focus; } cases[] = {
        {"  ", "Hello", "Hx.CRM.TkContact.frmsendsms.00014", "txtMobilePhone"},
        {"13812340001", "  ", "Hx.CRM.TkContact.frmsendsms.00015", "txtOpinion"},
    };
    for (const Case& c : cases) {
        shown.clear();
        frmSendSMS w;
        w.show();
        QApplication::setActiveWindow(&w);
        SendSms(w, c.numbers, "", c.text);
        EXPECT_EQ(shown, std::vector<std::string>{c.message});
        EXPECT_TRUE(w.LastRequest().empty());
        QWidget* box = w.findChild<QWidget*>(c.focus);
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box == QApplication::focusWidget() || box->isAncestorOf(QApplication::focusWidget())) << c.focus;
        w.close();
    }
}

TEST_F(MessagingTest, lookupRowsAddNumbersUntilOneIsBlank) {
    auto rows = [](std::vector<std::string> numbers) {
        auto rs = platform::db::Rowset::CreateDetached({{"cMobilePhone", platform::db::adVarWChar, 20}});
        for (const auto& n : numbers) {
            rs->AddNew();
            rs->Set(0, n);
            rs->Update();
        }
        return rs;
    };
    struct Case { const char* box; std::vector<std::string> picked; const char* expected; } cases[] = {
        {"13812340001", {"1381234000"}, "13812340001"},
        {"", {" 13812340003 "}, "13812340003"},
        // A blank number stops the adding and leaves the repeats.
        {"13812340001", {"13812340001", "", "13812340009"}, "13812340001;13812340001"},
    };
    frmSendSMS w;
    for (const Case& c : cases) {
        w.SetMobilePhone(c.box);
        w.RowsReturned(rows(c.picked));
        EXPECT_EQ(w.MobileBox().Text(), c.expected) << c.box;
        EXPECT_EQ(w.MobileList(), c.expected);
    }
}

TEST_F(MessagingTest, typingKeepsNumbersOnlyAndTheMessageOnOneLine) {
    frmSendSMS w;
    w.show();
    auto* numbers = w.findChild<QWidget*>("txtMobilePhone")->findChild<QLineEdit*>();
    ASSERT_NE(numbers, nullptr);
    QTest::keyClicks(numbers, "138a;+86 139-x,9");
    QTest::keyClick(numbers, Qt::Key_Backspace);
    EXPECT_EQ(numbers->text(), "138;86 139-");
    EXPECT_EQ(w.MobileList(), "138;86 139-");
    auto* text = w.findChild<QLineEdit*>("txtOpinion");
    QTest::keyClicks(text, "ab");
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClicks(text, "c");
    text->insert("d\r\ne");
    EXPECT_EQ(text->text(), "abcde");
    EXPECT_TRUE(shown.empty());  // Enter did not send either
    w.close();
}

}  // namespace
}  // namespace sovrel::test
