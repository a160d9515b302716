#pragma once
// Texts the user sees, named by resource key and turned into the user's language by the host's
// CRM common service.
#include <string>
#include <vector>

#include "platform/db/value.h"

namespace sovrel {

// The text of key in language; an empty language means the login's own, asked of the host.
// A key the host does not know gives whatever the host answers for it; host errors reach the
// caller.
std::string ResText(const std::string& key, const std::string& language = "");

// The text of key with params put in its placeholders, in the order the text expects them
// (for example item name, then length). Language as for ResText.
std::string ResTextParams(const std::string& key, std::vector<platform::db::Value> params,
                          const std::string& language = "");

// The language code of this thread's login, asked of the host each time.
std::string LoginLanguage();

}  // namespace sovrel
