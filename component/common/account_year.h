#pragma once
// The accounting year a connection text names: its catalog is "TKDATA_" + a three-character
// account + "_" + the year (TKDATA_001_2024).
#include <string>

namespace sovrel {

// The part of a connection text after "CATALOG=TKDATA_" (found without regard to case); "" when
// the text has no such marker.
std::string AccountPart(const std::string& dbName);
// The year: the four characters that start four characters into the account part ("001_2024"
// gives "2024"); false, with year "", when the part is too short for one.
bool ReadYear(const std::string& accountPart, std::string& year);

}  // namespace sovrel
