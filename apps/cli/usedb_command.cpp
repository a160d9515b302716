// sovrel usedb NAME: switches the data service's connection to another database
// (zy_ConvertDB) and reports the answer; the switch ends with the program.
#include <cstdio>
#include <string>

#include "commands.h"
#include "common/context.h"
#include "service/iclscommon.h"
#include "session.h"

namespace sovrel::cli {

int RunUseDb(const GlobalOptions& options, std::span<const std::string> args) {
    for (const auto& arg : args)
        if (arg.starts_with("--")) throw UsageError("usedb: unknown option " + arg);
    if (args.size() != 1) throw UsageError("usedb: give one database NAME");

    // Another database may be the system database: an administrator's.
    ServiceSession session(options, {.administration = true});
    std::string message;
    const bool ok = session.Service().zy_ConvertDB(args[0], message);
    std::puts(ok ? "True" : "False");
    PrintMessage(message.empty() ? Ctx().PendingMessage : message);
    return ok ? kOk : kFailed;
}

}  // namespace sovrel::cli
