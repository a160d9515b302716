#pragma once
// "CrmWorkLib.clsGenerals", the CRM overview library: shows everything the suite knows about one
// object (a contact) inside the portal.
#include <memory>
#include <string>

#include "platform/object_factory.h"

namespace sovrel {

class ILogin;

class IGenerals : public platform::Object {
public:
    // Opens the overview overviewKey ("CrmWorkLib.clsGenerals.Contact") for the contact code/name,
    // inside the portal when its objects (product, form manager, view manager, the form environment;
    // each may be nullptr) are given, on its own otherwise.
    virtual void IiniGenerals(const std::shared_ptr<ILogin>& login, std::shared_ptr<platform::Object> product,
                              std::shared_ptr<platform::Object> activeFrmMgr,
                              std::shared_ptr<platform::Object> viewManager,
                              std::shared_ptr<platform::Object> formEnv, const std::string& overviewKey,
                              const std::string& code, const std::string& name) = 0;
};

}  // namespace sovrel
