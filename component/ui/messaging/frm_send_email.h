#pragma once
// frmSendEMail: the user types or picks recipients, a subject and a text, and sends one HTML
// message through the host's mail sender.
#include <memory>
#include <string>

#include "ui/messaging/messaging_window.h"
#include "ui/messaging/send.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace sovrel {

class frmSendEMail final : public MessagingWindow {
public:
    frmSendEMail();
    ~frmSendEMail() override;

    // The pick button: the first contact picked in the host's contact picker is added to the
    // recipients when it has an address.
    void CmdClick() override;
    // Sends the message; shows the outcome (or why nothing was sent).
    void CmdSendClick() override;
    // What the last send answered.
    const std::string& ResultText() const { return result_; }
    const std::vector<MailColumn>& LastRequest() const { return request_; }
    EditBox& AddressBox() { return *addressBox_; }
    // Puts addresses (";"-separated) in the recipients box, as the list's E-mail does.
    void SetAddresses(const std::string& addresses);

protected:
    void FormLoad() override;

private:
    QLineEdit* txtAddressed_;
    QLineEdit* txtSubject_;
    QPlainTextEdit* txtOpinion_;
    std::unique_ptr<EditBox> addressBox_;
    std::vector<MailColumn> request_;
    std::string address_, subject_, body_, result_;
};

}  // namespace sovrel
