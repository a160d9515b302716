// The connection text parser and the password hiding on any text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/db/connection.h"
#include "platform/error.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view s(reinterpret_cast<const char*>(data), size);
    try {
        platform::db::ConnectionInfo::Parse(s);
    } catch (const platform::Error&) {
    }
    // Hiding twice changes nothing more: what was hidden stays hidden, nothing else moves.
    const std::string once = platform::text::HidePasswords(s);
    if (platform::text::HidePasswords(once) != once) std::abort();
    return 0;
}
