#include <cstring>

#include "platform/error.h"
#include "postgres.h"

namespace platform::db::postgres {

namespace {

std::string Field(const PGresult* r, int code) {
    const char* v = r ? PQresultErrorField(r, code) : nullptr;
    return v ? v : "";
}

std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

long NativeCode(const std::string& state) {
    long code = 0;
    for (char c : state) code = code * 36 + ((c >= '0' && c <= '9') ? c - '0' : (c & ~0x20) - 'A' + 10);
    return code;
}
}  // namespace

[[noreturn]] void Throw(PGconn* conn, const PGresult* result, const char* source) {
    std::string state = Field(result, PG_DIAG_SQLSTATE);
    std::string message = Trimmed(result ? Field(result, PG_DIAG_MESSAGE_PRIMARY) : std::string());
    if (message.empty()) message = Trimmed(conn ? PQerrorMessage(conn) : "the server did not answer");
    std::string detail = Field(result, PG_DIAG_MESSAGE_DETAIL);
    if (!detail.empty()) message += " (" + Trimmed(detail) + ")";
    long number = errnum::CommandFailed;
    if (state == "22012") {
        message = "Divide by zero error encountered.";
    } else if (state == "22003" && message.find("Arithmetic overflow") == std::string::npos) {
        // "bigint out of range", "numeric field overflow": the server's words for them.
        const std::string type = message.rfind("bigint", 0) == 0     ? "bigint"
                                 : message.rfind("integer", 0) == 0  ? "int"
                                 : message.rfind("smallint", 0) == 0 ? "smallint"
                                                                      : "numeric";
        message = "Arithmetic overflow error converting expression to data type " + type + ".";
    }
    if (state.rfind("23", 0) == 0) {
        number = errnum::ConstraintViolated;
        // Name the kind of constraint as the other backends' texts do.
        const char* kind = state == "23505" ? "UNIQUE" : state == "23502" ? "NOT NULL"
                         : state == "23514" ? "CHECK" : state == "23503" ? "FOREIGN KEY" : "integrity";
        message = std::string("Violation of ") + kind + " constraint: " + message;
    } else if (state == "55P03" || state == "40P01" || state == "57014") {
        number = errnum::Timeout;
        message = "the row or table is locked by another user (" + message + ")";
    } else if (state.rfind("08", 0) == 0 || state == "3D000" || state == "28000" || state == "28P01" ||
               (!result && (!conn || PQstatus(conn) != CONNECTION_OK))) {
        number = errnum::ConnectionFailed;
    }
    throw Error(number, source, message, NativeCode(state));
}

}  // namespace platform::db::postgres
