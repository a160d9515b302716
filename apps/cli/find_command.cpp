// sovrel find TABLE[,TABLE...] [FILE]: the rows that match condition XML, through Find.
#include <string>
#include <vector>

#include "commands.h"
#include "common/context.h"
#include "entry/authority.h"
#include "platform/db/rowset.h"
#include "platform/text.h"
#include "service/iclscommon.h"
#include "session.h"
#include "tsv.h"

namespace sovrel::cli {

namespace {

// Filters rows that carry a vendor code down to the vendors the user may see; false when the
// vendors cannot be read.
bool KeepVisibleVendors(IClsCommon& service, platform::db::Rowset& rows) {
    if (rows.FieldIndex("cVenCode") < 0 || VendorCodeCondition("cVenCode").empty()) return true;
    RowsetPtr seen = service.OpenX("SELECT cVenCode FROM vendor WHERE " + Ctx().VendorRowAuth);
    if (!seen) return false;
    // No vendor at all: a criterion that no code meets.
    std::string criteria = "cVenCode = '' AND cVenCode <> ''";
    for (bool first = true; !seen->Eof(); seen->MoveNext(), first = false)
        criteria = (first ? "" : criteria + " OR ") + "cVenCode = '" +
                   platform::text::Replace(seen->Get(0).ToText(), "'", "''") + "'";
    rows.SetFilter(criteria);
    return true;
}

}  // namespace

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
    ServiceSession session(options, {.rights = {right::Browse}});
    std::string message;
    RowsetPtr rows = session.Service().Find(xml, findTables, showTables, message);
    PrintMessage(message.empty() ? Ctx().PendingMessage : message);
    if (!rows) return kFailed;
    if (!KeepVisibleVendors(session.Service(), *rows)) {
        PrintMessage(Ctx().PendingMessage);
        return kFailed;
    }
    PrintRowset(*rows);
    return kOk;
}

}  // namespace sovrel::cli
