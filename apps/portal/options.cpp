#include "options.h"

namespace portal {

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
    Options o;
    bool haveData = false, haveConnection = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-h" || a == "--help") {
            o.help = true;
            continue;
        }
        if (a == "-platform" && i + 1 < args.size()) {  // Qt's own: QApplication reads it
            ++i;
            continue;
        }
        std::string* target = nullptr;
        if (a == "--data") target = &o.dataDir, haveData = true;
        else if (a == "--connection") target = &o.connection, haveConnection = true;
        else if (a == "--user") target = &o.user;
        else if (a == "--language") target = &o.language;
        else if (a == "--screenshot") target = &o.screenshot;
        else if (a == "--card") target = &o.card;
        else {
            error = "unknown argument '" + a + "'";
            return std::nullopt;
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            error = a + " needs a value";
            return std::nullopt;
        }
        *target = args[++i];
    }
    if (haveData && haveConnection) {
        error = "give either --data or --connection, not both";
        return std::nullopt;
    }
    if (!o.language.empty() && o.language != "zh-CN" && o.language != "en-US" && o.language != "keys") {
        error = "unknown language '" + o.language + "': use zh-CN or en-US";
        return std::nullopt;
    }
    if (!o.card.empty() && ((o.card != "add" && o.card != "modify") || o.screenshot.empty())) {
        error = "--card takes add or modify, with --screenshot";
        return std::nullopt;
    }
    o.defaultData = !haveData && !haveConnection;
    return o;
}

}  // namespace portal
