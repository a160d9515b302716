#pragma once
// clsContact: the public mail class. Gathers the e-mail addresses of contacts (falling back to
// their vendors' addresses) and hands them to the host's mail tool.
#include <memory>
#include <string>

#include "platform/object_factory.h"

namespace sovrel {

class ILogin;
class clsConn;

class clsContact : public platform::Object {
public:
    // Opens the connection holder on the login's account database (creating it first).
    void SetCnn(const std::shared_ptr<ILogin>& objLogin);
    // The trimmed, non-empty addresses of the vendors of sVendorCode (a SQL value list such as
    // N'V01',N'V02'), joined by ";"; "" when none, or on error (written to SrvTransLog.log).
    std::string GetVendorEmail(std::string& sVendorCode, const std::shared_ptr<ILogin>& objLogin = nullptr);
    // Opens the mail tool with sAddress; false, after its message, when no mail program started.
    bool InvokeMailTool(std::string& sAddress);
    // Opens the mail tool for the contacts of sContactCode (SQL value list): their own addresses
    // first, then their vendors' for contacts without one, then those of sComplCustCode's vendors
    // and finally sComplEmail.
    void GetContact(std::string& sContactCode, const std::shared_ptr<ILogin>& objLogin,
                    const std::string& sComplCustCode = "", const std::string& sComplEmail = "");
    // The addresses GetContact hands the mail tool, ";"-separated; "" when none. Errors reach
    // the caller.
    std::string ContactAddresses(const std::string& sContactCode, const std::shared_ptr<ILogin>& objLogin,
                                 const std::string& sComplCustCode = "", const std::string& sComplEmail = "");

private:
    std::shared_ptr<clsConn> conn_;
};

// The list's E-mail for the contacts of codeList (N'001',N'002'): the mail program through
// GetContact, or the send-mail window with their addresses, as the mail sender's route says
// (asking the user when it says so).
void MailToContacts(const std::string& codeList, const std::shared_ptr<ILogin>& login);

// Registers clsContact under "Sovrel.clsContact".
void RegisterContactMailClass();

}  // namespace sovrel
