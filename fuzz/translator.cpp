// The T-SQL translator on any text, for both backends: a translation or platform::Error, nothing else.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/db/dialect.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view sql(reinterpret_cast<const char*>(data), size);
    for (const platform::db::Dialect* d : {&platform::db::SqliteDialect(), &platform::db::PostgresDialect()}) {
        try {
            d->Translate(sql);
        } catch (const platform::Error&) {
        }
    }
    return 0;
}
