#pragma once
// Shared pieces of the data service's error handling.
#include <string>

#include "platform/error.h"

namespace sovrel::service {

inline constexpr const char* kModule = "IClsCommon";

// Inside a catch block: logs the error under the procedure and answers it.
platform::Error LogCurrentError(const char* procedure, const std::string& appendToDescription = "");

// What the caller is told of a database error: the database's description, except that a
// server's refusal of a right the connection lacks reads as a missing right, in the user's
// language, whatever door the statement came through.
std::string MessageOf(const platform::Error& e);

}  // namespace sovrel::service
