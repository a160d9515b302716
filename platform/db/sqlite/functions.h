#pragma once
// SQL Server behaviour that SQLite lacks, installed on each connection right after it opens:
// the NOCASE (and older TSQL_CI) collation, LIKE with T-SQL patterns, and the sv_ functions the dialect emits.
struct sqlite3;

// Registers the collation and functions on db; cheap enough to run for every file opened.
// Throws platform::Error when SQLite refuses a registration.
void RegisterSqlServerFunctions(sqlite3* db);
