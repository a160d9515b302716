// sovrel delete VALUE [--id-name NAME] [--table NAME]: one contact through Delete.
#include <optional>
#include <string>

#include "commands.h"
#include "options.h"
#include "platform/db/value.h"
#include "service/iclscommon.h"
#include "session.h"

namespace sovrel::cli {

int RunDelete(const GlobalOptions& options, std::span<const std::string> args) {
    std::optional<std::string> value;
    std::string idName = "cContactCode", table = "Ven_Contact";
    for (std::size_t i = 0; i < args.size();) {
        if (auto v = TakeValue(args, i, "--id-name")) {
            idName = *v;
        } else if (auto v = TakeValue(args, i, "--table")) {
            table = *v;
        } else if (args[i].starts_with("--")) {
            throw UsageError("delete: unknown option " + args[i]);
        } else if (!value) {
            value = args[i++];
        } else {
            throw UsageError("delete: give one VALUE (the key of the contact)");
        }
    }
    if (!value) throw UsageError("delete: no VALUE given (the key of the contact)");

    ServiceSession session(options, {.rights = {right::Browse, right::Delete}});
    platform::db::Value id(*value);
    std::string message;
    const bool ok = session.Service().Delete(id, idName, table, message);
    PrintMessage(message);
    return ok ? kOk : kFailed;
}

}  // namespace sovrel::cli
