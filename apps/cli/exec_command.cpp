// sovrel exec SQL: one statement through ExecuteX.
#include <string>

#include "commands.h"
#include "common/context.h"
#include "service/iclscommon.h"
#include "session.h"

namespace sovrel::cli {

int RunExec(const GlobalOptions& options, std::span<const std::string> args) {
    if (args.empty()) throw UsageError("exec: no SQL statement given");
    if (args.size() > 1) throw UsageError("exec: give the statement as one argument (put it in quotes)");

    ServiceSession session(options, {.administration = true});
    Ctx().PendingMessage.clear();  // ExecuteX only writes it when it fails
    const bool ok = session.Service().ExecuteX(args[0]);
    PrintMessage(Ctx().PendingMessage);
    return ok ? kOk : kFailed;
}

}  // namespace sovrel::cli
