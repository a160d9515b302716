#include "entry/authority.h"

#include "common/context.h"
#include "common/hosts/services.h"
#include "platform/text.h"

namespace sovrel {

std::string VendorRowCondition(const std::string& r) {
    if (r == "1=2") return "(1=2)";
    if (r.empty()) return "(1=1)";
    // The answer goes into the list's statement as it stands: anything but a list of vendor ids
    // shows no vendor rather than run as SQL.
    if (r.find_first_not_of("0123456789, ") != std::string::npos) return "(1=2)";
    return "vendor.iId in (" + r + ")";
}

void InitAuthStrings() {
    Context& c = Ctx();
    c.ColReadAuth = platform::text::LCase(c.ColAuthSvc->GetAuthString("<hxColAuth cBusObId='vendor' cFuncId='R'/>"));
    c.ColWriteAuth = platform::text::LCase(c.ColAuthSvc->GetAuthString("<hxColAuth cBusObId='vendor' cFuncId='W'/>"));
    c.VendorRowAuth = VendorRowCondition(c.RowAuthSvc->GetAuthString("vendor"));
}

std::string VendorCodeCondition(const std::string& vendorCodeColumn) {
    const std::string& rows = Ctx().VendorRowAuth;
    if (rows.empty() || rows == "(1=1)") return {};
    return vendorCodeColumn + " IN (SELECT vendor.cVenCode FROM vendor WHERE " + rows + ")";
}

AccountOfConnection AccountOf(const std::string& dbName) {
    using namespace platform::text;
    long at = InStr(LCase(dbName), "catalog=tkdata_");
    if (at == 0) return {};
    long after = at + static_cast<long>(Len("catalog=tkdata_"));
    return {Mid(dbName, after, 3), Mid(dbName, after + 4, 4)};
}

}  // namespace sovrel
