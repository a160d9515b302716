// sovrel add TABLE [FILE]: writes the records of the XML through Add.
#include <string>

#include "commands.h"
#include "service/iclscommon.h"
#include "session.h"

namespace sovrel::cli {

int RunAdd(const GlobalOptions& options, std::span<const std::string> args) {
    std::string table, file;
    for (const auto& arg : args) {
        if (arg.starts_with("--")) throw UsageError("add: unknown option " + arg);
        if (table.empty()) table = arg;
        else if (file.empty()) file = arg;
        else throw UsageError("add: too many arguments (TABLE and one FILE at most)");
    }
    if (table.empty()) throw UsageError("add: no TABLE given");
    std::string xml = ReadInput(file, "add");

    ServiceSession session(options, {.rights = {right::Browse, right::Add}});
    std::string message;
    const bool ok = session.Service().Add(xml, table, message);
    PrintMessage(message);
    // Add is silent when it finds no record of the table, and for a base code that exists.
    if (!ok && message.empty())
        PrintError("add: nothing was added: the XML holds no <" + table +
                   "> record, or that record exists already");
    return ok ? kOk : kFailed;
}

}  // namespace sovrel::cli
