#pragma once
// The host's SMS client library and the reference lookup of the host's reference edit box, through
// which the SMS window's number box lets the user pick contacts.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/db/rowset.h"
#include "platform/object_factory.h"

namespace sovrel {

class ILogin;

class ISmsClient : public platform::Object {
public:
    // Sends data ("number;number,text") with the host's SMS configuration (ICrmCommonSvc::GetSmsConfig);
    // answers 1 when sent, another number when not. returnText receives the library's reply; what
    // it held on entry is only room for that reply and is replaced.
    virtual std::int32_t SMSCall(const std::string& configuration, std::string& returnText,
                                 const std::string& data) = 0;
};

class IRefLookup : public platform::Object {
public:
    // Sets up the lookup of reference key refKey ("Sovrel_Msg") with settings ("<Ref><RefSet .../></Ref>");
    // the SMS window passes flag false.
    virtual void Init(const std::shared_ptr<ILogin>& login, const std::string& refKey, bool flag,
                      const std::string& settings) = 0;
    // The user picked rows in the lookup (contacts with at least cMobilePhone); rows may be nullptr
    // or empty.
    virtual void OnRowsReturned(std::function<void(std::shared_ptr<platform::db::Rowset> rows)> handler) = 0;
    // Lets the user pick (the box's look-up button); the rows picked go to the handler. False
    // when the user cancelled or the lookup cannot be shown.
    virtual bool Show() = 0;
};

}  // namespace sovrel
