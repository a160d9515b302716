#pragma once
// The stock sqlite3 program, as an administrator runs it on an account file, with or without
// Sovrel's loadable extension (libsovrel_sqlite.so of this build).
#include <string>

namespace sovrel::test {

struct StockResult {
    int status = -1;
    std::string output;  // standard output and error together
};

// Runs `sqlite3 [-cmd '.load EXTENSION'] FILE SQL`.
StockResult StockSqlite(const std::string& file, const std::string& sql, bool withExtension);

// What `PRAGMA integrity_check` answers with the extension loaded: "ok\n" for a sound file.
std::string IntegrityCheck(const std::string& file);

}  // namespace sovrel::test
