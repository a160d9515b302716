// sovrel history CODE [--since DATE] | --user ID [--since DATE] | --deleted, and sovrel restore
// CODE: the contacts' history, and a deleted contact brought back through Add.
#include <optional>
#include <string>

#include "commands.h"
#include "common/context.h"
#include "options.h"
#include "platform/db/rowset.h"
#include "platform/db/value.h"
#include "service/history.h"
#include "service/iclscommon.h"
#include "session.h"
#include "tsv.h"

namespace sovrel::cli {

int RunHistory(const GlobalOptions& options, std::span<const std::string> args) {
    std::optional<std::string> code, user, since;
    bool deleted = false;
    for (std::size_t i = 0; i < args.size();) {
        if (auto v = TakeValue(args, i, "--since")) {
            const auto date = platform::db::DateTime::Parse(*v);
            if (!date) throw UsageError("history: --since takes a date (yyyy-mm-dd, or yyyy-mm-dd hh:mm:ss), not '" + *v + "'");
            since = date->ToText();
        } else if (auto v = TakeValue(args, i, "--user")) {
            user = *v;
        } else if (args[i] == "--deleted") {
            deleted = true;
            ++i;
        } else if (args[i].starts_with("--")) {
            throw UsageError("history: unknown option " + args[i]);
        } else if (!code) {
            code = args[i++];
        } else {
            throw UsageError("history: give one CODE (the contact's code)");
        }
    }
    if ((code ? 1 : 0) + (user ? 1 : 0) + (deleted ? 1 : 0) != 1)
        throw UsageError("history: give a contact's CODE, --user ID or --deleted (one of them)");
    if (deleted && since) throw UsageError("history: --deleted lists every deleted contact; it takes no --since");

    ServiceSession session(options, {.rights = {right::Browse}});
    // A code typed in another case finds the contact's history as it was stored.
    const std::string sql = deleted ? history::DeletedStatement()
                            : code  ? history::ContactStatement(history::StoredCode(session.Service(), *code),
                                                                since.value_or(""))
                                    : history::UserStatement(*user, since.value_or(""));
    bool ok = false;
    std::string message;
    RowsetPtr rows = session.Service().OpenX(sql, &ok, &message);
    if (!rows) {
        PrintMessage(message);
        return kFailed;
    }
    PrintRowset(*rows);
    return kOk;
}

int RunRestore(const GlobalOptions& options, std::span<const std::string> args) {
    for (const auto& arg : args)
        if (arg.starts_with("--")) throw UsageError("restore: unknown option " + arg);
    if (args.size() != 1) throw UsageError("restore: give one CODE (the deleted contact's code)");

    ServiceSession session(options, {.rights = {right::Browse, right::Add}, .administration = true});
    std::string message;
    const bool ok = history::Restore(session.Service(), args[0], message);
    PrintMessage(message);
    return ok ? kOk : kFailed;
}

}  // namespace sovrel::cli
