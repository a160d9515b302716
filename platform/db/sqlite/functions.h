#pragma once
// SQL Server behaviour that SQLite lacks, installed on each connection right after it opens and by
// the loadable extension: the account's collation (and TSQL_CI, its name in older accounts), LIKE
// with T-SQL patterns, and the sv_ functions the dialect emits.
struct sqlite3;

// Registers the collation and functions on db; cheap enough to run for every file opened.
// Throws platform::Error when SQLite refuses a registration.
void RegisterSqlServerFunctions(sqlite3* db);

// Gives NOCASE the account collation's order on db, for a file of an earlier build whose indexes
// were written in that order and that cannot be converted (it is read-only). Throws as above.
void RegisterLegacyNoCase(sqlite3* db);
