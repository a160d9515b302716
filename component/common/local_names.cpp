#include "common/local_names.h"

#include "common/context.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "service/iclscommon.h"

namespace sovrel {

std::map<std::string, std::string> LocalNames(const std::string& table) {
    std::map<std::string, std::string> names;
    auto& service = Ctx().DataService;
    if (!service) return names;
    bool ok = true;
    std::string message;
    auto rs = service->OpenX("SELECT cKey, cName FROM " + std::string(kLocalNameTable) + " WHERE cTable = " +
                                 SqlText(table) + " AND cLanguage = " + SqlText(LoginLanguage()),
                             &ok, &message);
    if (!rs) return names;
    for (; !rs->Eof(); rs->MoveNext()) names[rs->Get("cKey").ToText()] = rs->Get("cName").ToText();
    return names;
}

std::string LocalName(const std::map<std::string, std::string>& names, const std::string& key,
                      const std::string& fallback) {
    const auto it = names.find(key);
    return it == names.end() || it->second.empty() ? fallback : it->second;
}

}  // namespace sovrel
