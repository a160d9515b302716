#include <string>

#include "platform/db/connection.h"
#include "platform/text.h"

namespace platform::db {

ConnectionInfo ConnectionInfo::Parse(std::string_view textIn) {
    ConnectionInfo info;
    for (const std::string& part : text::Split(textIn, ";")) {
        auto eq = part.find('=');
        if (eq == std::string::npos) continue;
        std::string key = text::LCase(text::Trim(part.substr(0, eq)));
        std::string value = text::Trim(part.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        if (key == "provider") info.provider = value;
        else if (key == "data source" || key == "server" || key == "host") info.dataSource = value;
        else if (key == "initial catalog" || key == "database") info.catalog = value;
        else if (key == "user id" || key == "uid" || key == "user") info.user = value;
        else if (key == "password" || key == "pwd") info.password = value;
        else if (key == "port") info.port = value;
        else if (!key.empty()) info.other[key] = value;
    }
    return info;
}

}  // namespace platform::db
