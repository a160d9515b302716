#pragma once
// clsContact: the public mail class. Gathers the e-mail addresses of contacts (falling back to
// their vendors' addresses) and hands them to the host's mail tool.
#include <memory>
#include <string>

#include "platform/object_factory.h"

namespace sovrel {

class ILogin;
class clsConn;

// The contacts a mail goes to: those of codeList (N'001',N'002'), or, when addressSql is given,
// every contact the two statements read, a list of any length that is never named code by code.
struct MailRecipients {
    std::string codeList;
    std::string addressSql;  // SELECT whose first column is each contact's cEmail, in order
    std::string vendorSql;   // SELECT of the vendor codes of those contacts whose cEmail is blank
};

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
    // The same addresses for recipients given by code or by statements; statements are read a
    // page at a time, so the contacts are never held all at once. Errors reach the caller.
    std::string ContactAddresses(const MailRecipients& recipients, const std::shared_ptr<ILogin>& objLogin);

private:
    // The contact addresses e (each followed by ";"), then the addresses of the vendors
    // vendorCodes names (a value list or a subquery; "" for none), then the complements.
    std::string JoinAddresses(std::string e, const std::string& vendorCodes, const std::shared_ptr<ILogin>& objLogin,
                              const std::string& sComplCustCode, const std::string& sComplEmail);

    std::shared_ptr<clsConn> conn_;
};

// The list's E-mail for the recipients: the mail program with their addresses (as GetContact),
// or the send-mail window with them, as the mail sender's route says (asking the user when it
// says so).
void MailToContacts(const MailRecipients& recipients, const std::shared_ptr<ILogin>& login);

// Registers clsContact under "Sovrel.clsContact".
void RegisterContactMailClass();

}  // namespace sovrel
