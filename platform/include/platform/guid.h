#pragma once
#include <string>

namespace platform {

// A new random (version 4) GUID as 38 upper-case characters "{XXXXXXXX-XXXX-4XXX-YXXX-XXXXXXXXXXXX}",
// drawn from the kernel's random source. Throws platform::Error when no random source answers.
std::string NewGuidText();

}  // namespace platform
