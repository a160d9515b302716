// sovrel page SQL --size N --page P: one page of a query through OpenPage.
#include <cstdio>
#include <optional>
#include <string>

#include "commands.h"
#include "options.h"
#include "service/iclscommon.h"
#include "session.h"
#include "tsv.h"
#include "terminal.h"

namespace sovrel::cli {

int RunPage(const GlobalOptions& options, std::span<const std::string> args) {
    std::optional<std::string> sql;
    std::optional<long> size, page;
    for (std::size_t i = 0; i < args.size();) {
        if (auto v = TakeValue(args, i, "--size")) {
            size = static_cast<long>(ParseNumber(*v, "--size", 1, 2'147'483'647));
        } else if (auto v = TakeValue(args, i, "--page")) {
            page = static_cast<long>(ParseNumber(*v, "--page", 0, 2'147'483'647));
        } else if (args[i].starts_with("--")) {
            throw UsageError("page: unknown option " + args[i]);
        } else if (!sql) {
            sql = args[i++];
        } else {
            throw UsageError("page: give the statement as one argument (put it in quotes)");
        }
    }
    if (!sql) throw UsageError("page: no SQL statement given");
    if (!size) throw UsageError("page: --size N is missing (rows per page, 1 or more)");
    if (!page) throw UsageError("page: --page P is missing (1 for the first page, 0 for the last)");

    // Raw SQL reads past every row authority: an administrator's.
    ServiceSession session(options, {.rights = {right::Browse}, .administration = true});
    long pageSize = *size, currentPage = *page, pageCount = 0;
    RowsetPtr rows;
    std::string message;
    bool flag = false;
    session.Service().OpenPage(*sql, pageSize, currentPage, pageCount, rows, &message, &flag);
    PrintMessage(message);
    if (!flag || !rows) return kFailed;
    Print(stdout, "page %ld of %ld\n", currentPage, pageCount);
    PrintRowset(*rows);
    return kOk;
}

}  // namespace sovrel::cli
