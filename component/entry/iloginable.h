#pragma once
// The portal's login interface, implemented by the component's entry class.
#include <cstdint>
#include <string>

namespace sovrel {

class ILoginable {
public:
    virtual ~ILoginable() = default;
    virtual bool ILoginable_Login() = 0;
    // The four texts are not used; answers 0.
    virtual std::int32_t ILoginable_CallFunction(const std::string& a, const std::string& b, const std::string& c,
                                                 const std::string& d) = 0;
    virtual bool ILoginable_LogOff() = 0;
};

}  // namespace sovrel
