#include "common/sql_text.h"

#include "common/context.h"
#include "common/texts.h"

namespace sovrel {

std::string SqlText(std::string_view value, bool unicode) {
    std::string out;
    out.reserve(value.size() + 3);
    if (unicode) out += 'N';
    out += '\'';
    for (char c : value) {
        if (c == '\'') out += '\'';
        out += c;
    }
    out += '\'';
    return out;
}

std::string SqlLikeContains(std::string_view value) {
    std::string pattern = "%";
    for (char c : value) {
        if (c == '%' || c == '_' || c == '[') pattern += std::string("[") + c + "]";
        else pattern += c;
    }
    return SqlText(pattern + "%");
}

bool IsSqlName(std::string_view name) {
    if (name.empty() || name.size() > 128) return false;
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (!letter(name.front())) return false;
    for (char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

bool CheckSqlName(std::string_view name) {
    if (IsSqlName(name)) return true;
    Ctx().PendingMessage = ResTextParams("Hx.CRM.COMMON.DBMSG.BadName", {platform::db::Value(name)});
    return false;
}

}  // namespace sovrel
