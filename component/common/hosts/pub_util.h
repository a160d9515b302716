#pragma once
// "HxPub.IPub", the host's public-utility object. The window operations are added by the windows
// that call them.
#include <memory>
#include <string>

#include "platform/object_factory.h"

namespace sovrel {

class IClsCommon;
class ILogin;

class IPubUtil : public platform::Object {
public:
    // Record locks of a table. code > 0 takes the lock of that function: answers true when
    // another login holds it (the utility tells the user), false when it is now ours. code < 0
    // releases lock -code; -1 releases every lock of this login on the table. The data service
    // is handed back (it may be replaced).
    virtual bool IsLockFun(std::shared_ptr<IClsCommon>& dataService, const std::shared_ptr<ILogin>& login,
                           const std::string& table, int code) = 0;
    // Text of a host resource key.
    virtual std::string GetResString(const std::string& key) = 0;
    // Diagnostic sink.
    virtual void DebugPrint(const std::string& text) = 0;
    // value formatted with that many decimal digits ("" stays "", a non-number is returned as is).
    virtual std::string FormatNum(const std::string& value, int decimalDigits) = 0;
    // Per-user stored settings.
    virtual std::string GetRegEdit(const std::string& table, const std::string& key, bool& helpFlag,
                                   const std::string& userId) = 0;
    virtual void SaveRegEdit(const std::string& table, const std::string& key, const std::string& value,
                             bool& helpFlag, const std::string& userId) = 0;
};

}  // namespace sovrel
