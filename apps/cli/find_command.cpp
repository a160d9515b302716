// sovrel find TABLE[,TABLE...] [FILE]: the rows that match condition XML, through Find.
#include <string>
#include <vector>

#include "commands.h"
#include "common/context.h"
#include "platform/text.h"
#include "service/iclscommon.h"
#include "session.h"
#include "tsv.h"

namespace sovrel::cli {

int RunFind(const GlobalOptions& options, std::span<const std::string> args) {
    std::string tables, file;
    bool tablesGiven = false;
    for (const auto& arg : args) {
        if (arg.starts_with("--")) throw UsageError("find: unknown option " + arg);
        if (!tablesGiven) {
            tables = arg;
            tablesGiven = true;
        } else if (file.empty()) {
            file = arg;
        } else {
            throw UsageError("find: too many arguments (the tables and one FILE at most)");
        }
    }
    if (!tablesGiven || platform::text::Trim(tables).empty()) throw UsageError("find: no TABLE given");
    std::string xml = ReadInput(file, "find");

    // Entries go to Find as written; it skips the blank ones itself.
    std::vector<std::string> findTables = platform::text::Split(tables, ","), showTables;
    ServiceSession session(options);
    std::string message;
    RowsetPtr rows = session.Service().Find(xml, findTables, showTables, message);
    PrintMessage(message.empty() ? Ctx().PendingMessage : message);
    if (!rows) return kFailed;
    PrintRowset(*rows);
    return kOk;
}

}  // namespace sovrel::cli
