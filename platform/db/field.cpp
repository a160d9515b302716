#include "platform/db/field.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace platform::db {

namespace {

struct TypeRule {
    const char* name;
    int type;
    long size;  // fixed size for non-text types; -1: from the declaration, with this default
};

// Declared SQL Server types and what the data-access layer reported for them.
constexpr TypeRule kRules[] = {
    {"nvarchar", adVarWChar, -1},   {"varchar", adVarChar, -1},     {"nchar", adWChar, -1},
    {"char", adChar, -1},           {"ntext", adLongVarWChar, 1073741823},
    {"text", adLongVarChar, 2147483647},
    {"int", adInteger, 4},          {"integer", adInteger, 4},      {"smallint", adSmallInt, 2},
    {"tinyint", adUnsignedTinyInt, 1}, {"bigint", adBigInt, 8},     {"bit", adBoolean, 2},
    {"float", adDouble, 8},         {"real", adSingle, 4},          {"money", adCurrency, 8},
    {"smallmoney", adCurrency, 8},  {"decimal", adNumeric, 19},     {"numeric", adNumeric, 19},
    {"datetime", adDBTimeStamp, 16}, {"smalldatetime", adDBTimeStamp, 16},
    {"date", adDBTimeStamp, 16},    {"datetime2", adDBTimeStamp, 16},
    {"timestamp", adBinary, 8},     {"rowversion", adBinary, 8},
    {"uniqueidentifier", adGUID, 16}, {"binary", adBinary, -1},      {"varbinary", adVarBinary, -1},
    {"image", adLongVarBinary, 2147483647},
};

}  // namespace

bool ApplyDeclaredType(std::string_view declared, FieldInfo& info) {
    std::string base;
    std::size_t i = 0;
    while (i < declared.size() && std::isspace(static_cast<unsigned char>(declared[i]))) ++i;
    while (i < declared.size() && (std::isalnum(static_cast<unsigned char>(declared[i])) || declared[i] == '_'))
        base += static_cast<char>(std::tolower(static_cast<unsigned char>(declared[i++])));
    long args[2] = {-1, -1};
    bool isMax = false;
    std::size_t open = declared.find('(', i);
    if (open != std::string_view::npos) {
        std::string inside(declared.substr(open + 1, declared.find(')', open) - open - 1));
        for (auto& ch : inside) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (inside.find("max") != std::string::npos) isMax = true;
        char* end = nullptr;
        args[0] = std::strtol(inside.c_str(), &end, 10);
        if (end && *end == ',') args[1] = std::strtol(end + 1, nullptr, 10);
        if (end == inside.c_str()) args[0] = -1;
    }
    for (const auto& rule : kRules) {
        if (base != rule.name) continue;
        info.type = rule.type;
        if (rule.size >= 0) {
            info.definedSize = rule.size;
        } else if (isMax) {
            info.definedSize = 1073741823;
            info.type = rule.type == adVarWChar ? adLongVarWChar
                      : rule.type == adVarChar  ? adLongVarChar
                                                : adLongVarBinary;
        } else {
            info.definedSize = args[0] > 0 ? args[0] : 1;
        }
        if (rule.type == adNumeric) {
            info.precision = args[0] > 0 ? static_cast<int>(args[0]) : 18;
            info.scale = args[1] > 0 ? static_cast<int>(args[1]) : 0;
        } else if (rule.type == adCurrency) {
            info.precision = 19;
            info.scale = 4;
        }
        return true;
    }
    info.type = adVarWChar;
    info.definedSize = 0;
    return false;
}

}  // namespace platform::db
