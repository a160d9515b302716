#include "platform/error.h"

#include <utility>

#include "platform/text.h"

namespace platform {

Error::Error(long number, std::string source, std::string description, long nativeCode)
    // A connection text quoted in a message must not carry its password anywhere.
    : std::runtime_error(text::HidePasswords(description)),
      number_(number),
      source_(std::move(source)),
      description_(text::HidePasswords(description)),
      nativeCode_(nativeCode) {}

Error Error::WithContext(const std::string& context) const {
    if (context.empty()) return *this;
    return Error(number_, source_, context + ": " + description_, nativeCode_);
}

}  // namespace platform
