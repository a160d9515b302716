// libsovrel_sqlite: the account's collation and the functions translated statements call, for
// stock SQLite programs (sqlite3 -cmd '.load PATH/libsovrel_sqlite' FILE). With it a tool
// compares, sorts and writes as Sovrel does; without it, a write that needs the collation is
// refused instead of putting an index out of order.
#include <exception>

#include "sqlite/api.h"
#include "sqlite/functions.h"

SQLITE_EXTENSION_INIT1

// SQLite derives this name from the file name libsovrel_sqlite.so.
extern "C" __attribute__((visibility("default"))) int sqlite3_sovrelsqlite_init(sqlite3* db, char** error,
                                                                              const sqlite3_api_routines* api) {
    SQLITE_EXTENSION_INIT2(api);
    try {
        RegisterSqlServerFunctions(db);
    } catch (const std::exception& e) {
        if (error) *error = sqlite3_mprintf("%s", e.what());
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}
