#include "common/account_year.h"

#include "platform/text.h"

namespace sovrel {

namespace txt = platform::text;

std::string AccountPart(const std::string& dbName) {
    static const std::string marker = "CATALOG=TKDATA_";
    const long at = txt::InStr(txt::UCase(dbName), marker);
    if (at == 0) return "";
    return txt::Mid(dbName, at + static_cast<long>(marker.size()));
}

bool ReadYear(const std::string& accountPart, std::string& year) {
    year = txt::Mid(accountPart, 5, 4);
    if (txt::Len(year) == 4) return true;
    year.clear();
    return false;
}

}  // namespace sovrel
