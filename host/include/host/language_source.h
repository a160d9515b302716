#pragma once
// Implemented by a login object that knows its user's language; the host's text service asks
// it before looking the user up itself.
#include <string>

namespace host {

class ILanguageSource {
public:
    virtual ~ILanguageSource() = default;
    // The language code of the login's user: "zh-CN", "en-US" or the test language "keys".
    virtual const std::string& Language() const = 0;
};

}  // namespace host
