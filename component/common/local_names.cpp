#include "common/local_names.h"

#include <set>

#include "common/context.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "service/iclscommon.h"

namespace sovrel {

std::string LocalNamesStatement(std::string_view table, std::string_view language) {
    return "SELECT cKey, cName FROM Crm_LocalName WHERE cTable = " + SqlText(table) + " AND cLanguage = " +
           SqlText(language);
}

std::map<std::string, std::string> LocalNames(const std::string& table) {
    std::map<std::string, std::string> names;
    auto& service = Ctx().DataService;
    // An account made before it could hold such names is asked once, not at every card it shows
    // (each refusal is a line in the service's log).
    static std::set<std::string> without;
    if (!service || without.count(Ctx().DbName)) return names;
    bool ok = true;
    std::string message;
    auto rs = service->OpenX(LocalNamesStatement(table, LoginLanguage()), &ok, &message);
    if (!rs) {
        without.insert(Ctx().DbName);
        return names;
    }
    for (; !rs->Eof(); rs->MoveNext()) names[rs->Get("cKey").ToText()] = rs->Get("cName").ToText();
    return names;
}

std::map<std::pair<std::string, std::string>, std::string> LocalBaseCodeNames() {
    std::map<std::pair<std::string, std::string>, std::string> byName;
    const auto names = LocalNames("Crm_BaseCode");
    if (names.empty()) return byName;
    auto rs = Ctx().DataService->OpenX("SELECT ID, cType, cName FROM Crm_BaseCode");
    if (!rs) return byName;
    for (; !rs->Eof(); rs->MoveNext()) {
        const auto it = names.find(rs->Get("ID").ToText());
        if (it != names.end() && !it->second.empty())
            byName[{rs->Get("cType").ToText(), rs->Get("cName").ToText()}] = it->second;
    }
    return byName;
}

std::string LocalName(const std::map<std::string, std::string>& names, const std::string& key,
                      const std::string& fallback) {
    const auto it = names.find(key);
    return it == names.end() || it->second.empty() ? fallback : it->second;
}

}  // namespace sovrel
