#pragma once
// The component's two error logs, "error.log" (windows and the Common module) and
// "SrvTransLog.log" (the data service), kept per user in $XDG_STATE_HOME/sovrel (by default
// ~/.local/state/sovrel), readable by that user alone, with passwords hidden.
#include <functional>
#include <string>

#include "platform/db/value.h"
#include "platform/error.h"

namespace sovrel {

// Appends one "error.log" record for error, caught at position ("frmContactList.Operating()").
// Does nothing when write is false. A log above 2097152 bytes is moved to "error.log.1" first. A failure to
// write throws platform::Error to the caller's own handler.
void WriteErrorLog(const std::string& position, bool write, const platform::Error& error);

// Appends one "SrvTransLog.log" record; a log above 102400 bytes is moved to
// "SrvTransLog.log.1" first. Never fails:
// whatever goes wrong while logging is ignored.
void WriteSrvLog(const std::string& module, const std::string& procedure, long number,
                 const std::string& description);

// Inside a catch block: the exception being handled as an error with number, source and
// description (platform::Error as it is; std::bad_alloc 7; any other exception 440).
platform::Error CurrentError();

// Runs f for an event of the window system; an error is written to error.log with position and
// goes no further (nothing may be thrown through Qt).
void Guarded(const char* position, const std::function<void()>& f);

// Name of the component's own file without extension (the program's when linked statically).
std::string ModuleFileName();

// Where the logs go: the user's state folder (created 0700) unless set; an empty directory
// restores it.
std::string LogDirectory();
void SetLogDirectory(std::string directory);

// The local time the records carry; an empty clock restores the system clock. Answers the
// clock it replaced.
using LogClock = std::function<platform::db::DateTime()>;
LogClock SetLogClock(LogClock clock);

}  // namespace sovrel
