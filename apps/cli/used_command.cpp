// sovrel used TABLE FIELD VALUE: whether a row holds the value, through BArchIsUsed.
#include <string>

#include "commands.h"
#include "common/context.h"
#include "platform/db/value.h"
#include "service/iclscommon.h"
#include "session.h"

namespace sovrel::cli {

int RunUsed(const GlobalOptions& options, std::span<const std::string> args) {
    for (const auto& arg : args)
        if (arg.starts_with("--")) throw UsageError("used: unknown option " + arg);
    if (args.size() != 3) throw UsageError("used: give the TABLE, the FIELD and the VALUE to look for");

    ServiceSession session(options, {.rights = {right::Browse}});
    std::string table = args[0], field = args[1];
    platform::db::Value value(args[2]);
    Ctx().PendingMessage.clear();  // BArchIsUsed writes it only when it finds a row or fails
    const bool used = session.Service().BArchIsUsed(table, field, value);
    PrintMessage(Ctx().PendingMessage);
    return used ? kOk : kFailed;
}

}  // namespace sovrel::cli
