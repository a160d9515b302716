#pragma once
// The SQLite API as the code of this folder calls it. Built into the loadable extension, the same
// calls go through the table of routines that the loading program hands over, so the extension
// works in whichever SQLite loads it (a stock program may carry its own copy of the library).
#ifdef SOVREL_SQLITE_EXTENSION
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT3
#else
#include <sqlite3.h>
#endif
