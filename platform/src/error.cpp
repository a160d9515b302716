#include "platform/error.h"

#include <utility>

namespace platform {

Error::Error(long number, std::string source, std::string description, long nativeCode)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)),
      nativeCode_(nativeCode) {}

Error Error::WithContext(const std::string& context) const {
    if (context.empty()) return *this;
    return Error(number_, source_, context + ": " + description_, nativeCode_);
}

}  // namespace platform
