// sovrel query SQL: runs one query and prints its rows as tab-separated text.
#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "schema/schema.h"
#include "tsv.h"

namespace sovrel::cli {

int RunQuery(const GlobalOptions& options, std::span<const std::string> args) {
    if (args.empty()) throw UsageError("query: no SQL statement given");
    if (args.size() > 1)
        throw UsageError("query: give the statement as one argument (put it in quotes)");

    auto connection = std::make_shared<platform::db::Connection>();
    try {
        connection->Open(options.connectionText.empty()
                             ? schema::SqliteConnectionText(options.dataFolder)
                             : options.connectionText);
    } catch (const platform::Error& e) {
        PrintError("cannot connect: " + std::string(e.what()));
        return kUsageError;
    }

    try {
        auto rows = connection->OpenRowset(args[0], platform::db::CursorKind::ForwardOnly);
        if (rows->FieldCount() == 0) return kOk;  // a statement without a rowset: nothing to print
        std::string line;
        for (std::size_t i = 0; i < rows->FieldCount(); ++i) {
            if (i) line += '\t';
            AppendEscaped(line, rows->Field(i).name);
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
        for (; !rows->Eof(); rows->MoveNext()) {
            line.clear();
            for (std::size_t i = 0; i < rows->FieldCount(); ++i) {
                if (i) line += '\t';
                AppendEscaped(line, rows->Get(i).ToText());  // Null and Empty print as nothing
            }
            line += '\n';
            std::fwrite(line.data(), 1, line.size(), stdout);
        }
    } catch (const platform::Error& e) {
        std::fflush(stdout);
        PrintError("query failed: " + std::string(e.what()));
        return kFailed;
    }
    return kOk;
}

}  // namespace sovrel::cli
