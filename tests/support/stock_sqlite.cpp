#include "stock_sqlite.h"

#include <sys/wait.h>

#include <cstdio>

namespace sovrel::test {
namespace {

std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

}  // namespace

StockResult StockSqlite(const std::string& file, const std::string& sql, bool withExtension) {
    std::string command = "sqlite3 -batch";
#ifdef SOVREL_SANITIZER_PRELOAD
    // The stock program's own allocations are no leaks of ours.
    if (withExtension)
        command = "env LD_PRELOAD=" + ShellQuote(SOVREL_SANITIZER_PRELOAD) + " ASAN_OPTIONS=detect_leaks=0 " + command;
#endif
    if (withExtension) command += " -cmd " + ShellQuote(".load " + std::string(SOVREL_SQLITE_EXTENSION));
    command += " " + ShellQuote(file) + " " + ShellQuote(sql) + " 2>&1 </dev/null";
    StockResult r;
    FILE* f = ::popen(command.c_str(), "r");
    if (!f) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) r.output.append(buf, n);
    const int rc = ::pclose(f);
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return r;
}

std::string IntegrityCheck(const std::string& file) {
    return StockSqlite(file, "PRAGMA integrity_check", true).output;
}

}  // namespace sovrel::test
