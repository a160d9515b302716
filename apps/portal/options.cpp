#include "options.h"

namespace portal {

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
    Options o;
    bool haveData = false, haveConnection = false;
    std::string sort;
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
        else if (a == "--search") target = &o.search;
        else if (a == "--sort") target = &sort;
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
    if (!sort.empty()) {
        const std::size_t colon = sort.find(':');
        const std::string column = sort.substr(0, colon), order = colon == std::string::npos ? "" : sort.substr(colon + 1);
        const bool digits = !column.empty() && column.size() < 4 &&
                            column.find_first_not_of("0123456789") == std::string::npos;
        if (!digits || std::stol(column) < 2 || (!order.empty() && order != "desc") || o.screenshot.empty()) {
            error = "--sort takes a grid column from 2, optionally with :desc, with --screenshot";
            return std::nullopt;
        }
        o.sortColumn = std::stol(column);
        o.sortDescending = order == "desc";
    }
    if (!o.search.empty() && o.screenshot.empty()) {
        error = "--search goes with --screenshot";
        return std::nullopt;
    }
    o.defaultData = !haveData && !haveConnection;
    return o;
}

}  // namespace portal
