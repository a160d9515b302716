// sovrel query SQL: the rowset of OpenX as tab-separated text.
#include <string>

#include "commands.h"
#include "common/context.h"
#include "service/iclscommon.h"
#include "session.h"
#include "tsv.h"

namespace sovrel::cli {

int RunQuery(const GlobalOptions& options, std::span<const std::string> args) {
    if (args.empty()) throw UsageError("query: no SQL statement given");
    if (args.size() > 1) throw UsageError("query: give the statement as one argument (put it in quotes)");

    ServiceSession session(options, {.administration = true});
    bool flag = false;
    std::string error;
    RowsetPtr rows = session.Service().OpenX(args[0], &flag, &error);
    if (!rows) {
        // The service's own text says that the query failed; the database's says why.
        PrintMessage(Ctx().PendingMessage);
        if (error != Ctx().PendingMessage) PrintMessage(error);
        return kFailed;
    }
    PrintRowset(*rows);
    return kOk;
}

}  // namespace sovrel::cli
