// sovrel refed TABLE VALUE [--all]: whether anything refers to the value, through CheckRefed.
#include <string>

#include "commands.h"
#include "platform/db/value.h"
#include "service/iclscommon.h"
#include "session.h"

namespace sovrel::cli {

int RunRefed(const GlobalOptions& options, std::span<const std::string> args) {
    std::string table, value;
    bool all = false;
    int given = 0;
    for (const auto& arg : args) {
        if (arg == "--all") {
            all = true;
        } else if (arg.starts_with("--")) {
            throw UsageError("refed: unknown option " + arg);
        } else if (given == 0) {
            table = arg;
            ++given;
        } else if (given == 1) {
            value = arg;
            ++given;
        } else {
            throw UsageError("refed: too many arguments (TABLE and VALUE)");
        }
    }
    if (given < 2) throw UsageError("refed: give the referenced TABLE and the VALUE to look for");

    ServiceSession session(options, {.rights = {right::Browse}});
    platform::db::Value id(value);
    std::string objects;
    const bool free = session.Service().CheckRefed(id, table, all, &objects);
    PrintMessage(objects);
    return free ? kOk : kFailed;
}

}  // namespace sovrel::cli
