#pragma once
// The portal's login and business objects: only the members the component uses.
#include <memory>
#include <string>

#include "common/form.h"
#include "platform/object_factory.h"

namespace sovrel {

class ILogin : public platform::Object {
public:
    virtual std::string cUserId() const = 0;
    virtual std::string cUserName() const = 0;
    // Connection text of the account database.
    virtual std::string tkDBName() const = 0;
    // The login date, "yyyy-mm-dd".
    virtual std::string CurDate() const = 0;
    // The user's employee (person) code.
    virtual std::string cEmployeeId() const = 0;
    // True when the user may run the function; lockFlag is handed on to the rights system.
    virtual bool TaskExec(std::string& functionCode, int& lockFlag) = 0;
    // The host's explanation of the last refused function right.
    virtual std::string ShareString() const = 0;
};

class IBusiness : public platform::Object {
public:
    virtual std::shared_ptr<ILogin> GetVBclsLogin() = 0;
    // A form-environment object for the window; the window may be replaced.
    virtual std::shared_ptr<platform::Object> CreateFormEnv(const std::string& windowKey,
                                                            std::shared_ptr<IForm>& window) = 0;
    // Shows the window inside the portal; the window may be replaced.
    virtual void ShowForm(std::shared_ptr<IForm>& window, const std::string& subsystem,
                          const std::string& windowKey, bool flag, bool modal,
                          std::shared_ptr<platform::Object> formEnv) = 0;
};

// The function-permission checker, a global object of the host.
class IRightChecker : public platform::Object {
public:
    // True when the user may run the function now; on a refusal the checker itself tells the user.
    virtual bool AcquireRight(const std::shared_ptr<ILogin>& login, const std::string& functionCode) = 0;
    virtual void ReleaseRight(const std::shared_ptr<ILogin>& login, const std::string& functionCode) = 0;
};

}  // namespace sovrel
