#include "platform/error.h"
#include "sqlite.h"

namespace platform::db::sqlite {

namespace {
}

[[noreturn]] void Throw(sqlite3* db, int rc, const char* source) {
    int extended = db ? sqlite3_extended_errcode(db) : rc;
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    long number = errnum::CommandFailed;
    switch (rc & 0xff) {
        case SQLITE_CONSTRAINT: number = errnum::ConstraintViolated; break;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            number = errnum::Timeout;
            message = "the database is locked by another user (" + message + ")";
            break;
        case SQLITE_CANTOPEN:
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
        case SQLITE_IOERR:
        case SQLITE_FULL:
        case SQLITE_PERM: number = errnum::ConnectionFailed; break;
        case SQLITE_READONLY: {
            const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
            number = errnum::ConnectionFailed;
            message = std::string("the database ") + (file && *file ? std::string("'") + file + "' " : "") +
                      "is read-only for this user (its file or folder cannot be written): changes are refused (" +
                      message + ")";
            break;
        }
        default: break;
    }
    throw Error(number, source, message, extended);
}

}  // namespace platform::db::sqlite
