#pragma once
// frmSendSMS: one short text to one or more mobile numbers through the host's SMS client.
#include <memory>
#include <string>

#include "platform/db/rowset.h"
#include "ui/messaging/messaging_window.h"
#include "ui/messaging/send.h"

class QLabel;
class QLineEdit;

namespace sovrel {

class IRefEdit;
class IRefLookup;

// The number box's typing rule: control keys pass, and of the characters only digits, ";" and
// the space. keyAscii becomes 0 when the character is dropped.
void FilterMobileKey(int& keyAscii);
// numbers (";"-separated) rebuilt in order from the parts that do not already occur in what was
// rebuilt so far (a number inside a longer one counts as present).
std::string RemoveRepeatedNumbers(const std::string& numbers);

class frmSendSMS final : public MessagingWindow {
public:
    frmSendSMS();
    ~frmSendSMS() override;

    // The number box (the list puts the current contact's number in before showing the window).
    IRefEdit& MobileBox() { return *txtMobilePhone_; }
    void SetMobilePhone(const std::string& numbers);
    // The trimmed content of the number box, kept on every change.
    const std::string& MobileList() const { return mobileList_; }
    // The contacts the number box's lookup returned: their numbers added, then repeats removed.
    void RowsReturned(const std::shared_ptr<platform::db::Rowset>& rows);
    void CmdClick() override;
    void CmdSendClick() override;
    // Empties the number, sender and text boxes.
    void ClearForm();
    const std::string& ResultText() const { return result_; }
    const std::vector<SmsColumn>& LastRequest() const { return request_; }

protected:
    void FormLoad() override;

private:
    void AppendNumber(const std::string& number);

    std::shared_ptr<IRefEdit> txtMobilePhone_;
    std::shared_ptr<IRefLookup> lookup_;
    QLineEdit* txtSender_;
    QLineEdit* txtOpinion_;
    std::unique_ptr<EditBox> senderBox_;
    std::string mobileList_, sender_, content_, configuration_, result_;
    std::vector<SmsColumn> request_;
};

}  // namespace sovrel
