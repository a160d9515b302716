#pragma once
// Names that account rows have in other languages than the account's own: a base code
// (Crm_BaseCode, keyed by its ID) or a user-defined item (userdef, keyed by class "." item), kept
// in Crm_LocalName. The row's own name stands wherever the user's language has none.
#include <map>
#include <string>
#include <string_view>

namespace sovrel {

// The statement that reads the names of table's rows in language: cKey, cName.
std::string LocalNamesStatement(std::string_view table, std::string_view language);

// The names of table's rows in the login's language, by key; empty when the language has none, or
// the account was made before it could hold them.
std::map<std::string, std::string> LocalNames(const std::string& table);

// Base codes' names in the login's language by their type and own name ("Sex", "男"), for texts
// that carry the name rather than the code (the list's columns); only codes that have one.
std::map<std::pair<std::string, std::string>, std::string> LocalBaseCodeNames();

// The name of key in names; fallback when it has none.
std::string LocalName(const std::map<std::string, std::string>& names, const std::string& key,
                      const std::string& fallback);

}  // namespace sovrel
