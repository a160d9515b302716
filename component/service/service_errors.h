#pragma once
// Shared pieces of the data service's error handling.
#include <string>

#include "platform/error.h"

namespace sovrel::service {

inline constexpr const char* kModule = "IClsCommon";

// Inside a catch block: logs the error under the procedure and answers it.
platform::Error LogCurrentError(const char* procedure, const std::string& appendToDescription = "");

}  // namespace sovrel::service
