// sovrel modify TABLE [FILE] [--loaded-ts TEXT]: changes the records of the XML through Modify.
#include <optional>
#include <string>

#include "commands.h"
#include "common/context.h"
#include "options.h"
#include "service/iclscommon.h"
#include "session.h"

namespace sovrel::cli {

int RunModify(const GlobalOptions& options, std::span<const std::string> args) {
    std::string table, file;
    std::optional<std::string> loadedTs;
    for (std::size_t i = 0; i < args.size();) {
        if (auto v = TakeValue(args, i, "--loaded-ts")) {
            loadedTs = *v;
        } else if (args[i].starts_with("--")) {
            throw UsageError("modify: unknown option " + args[i]);
        } else if (table.empty()) {
            table = args[i++];
        } else if (file.empty()) {
            file = args[i++];
        } else {
            throw UsageError("modify: too many arguments (TABLE and one FILE at most)");
        }
    }
    if (table.empty()) throw UsageError("modify: no TABLE given");
    std::string xml = ReadInput(file, "modify");

    ServiceSession session(options, {.rights = {right::Browse, right::Modify}});
    // The row version the caller read; without it Modify skips its conflict check.
    if (loadedTs) Ctx().LoadedContactTs = *loadedTs;
    std::string message;
    const bool ok = session.Service().Modify(xml, table, message);
    PrintMessage(message);
    // Modify is silent when it finds no record of the table.
    if (!ok && message.empty()) PrintError("modify: nothing was changed: the XML holds no <" + table + "> record");
    return ok ? kOk : kFailed;
}

}  // namespace sovrel::cli
