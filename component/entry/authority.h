#pragma once
// The authority strings and the account of the login's connection text.
#include <string>

namespace sovrel {

// Fills VendorRowAuth, ColReadAuth and ColWriteAuth of the context from its row- and
// column-authority services.
void InitAuthStrings();

// The row-authority condition for an answer of the row-authority service: "1=2", "" (all) or a
// list of vendor ids; any other answer gives the condition that no row meets.
std::string VendorRowCondition(const std::string& rowAuthAnswer);

// A condition that keeps the rows whose vendor code column (such as "Ven_Contact.cVenCode") names a
// vendor the context's VendorRowAuth lets the user see; "" when no row authority was set.
std::string VendorCodeCondition(const std::string& vendorCodeColumn);

struct AccountOfConnection {
    std::string number;  // "001"
    std::string year;    // "2024"
};
// The account number and year that follow "catalog=tkdata_" in the connection text (both lower-cased
// for the search); empty texts when it has none.
AccountOfConnection AccountOf(const std::string& dbName);

}  // namespace sovrel
