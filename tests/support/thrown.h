#pragma once
// The platform::Error a call throws, so that a refusal reads as one value; a call that throws
// none gives an error numbered 0 that says "accepted", which no expected refusal matches.
#include <functional>

#include "platform/error.h"

namespace sovrel::test {

inline platform::Error Thrown(const std::function<void()>& call) {
    try {
        call();
    } catch (const platform::Error& e) {
        return e;
    }
    return platform::Error(0, "", "accepted");
}

}  // namespace sovrel::test
