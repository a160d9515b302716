#pragma once
// What the data-service commands share: the logged-in user with a started data service, the
// operation's message on stderr, and the XML a command reads.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"

namespace host {
class LoginSession;
}
namespace sovrel {
class IClsCommon;
}

namespace sovrel::cli {

// The environment variable a password is taken from; a password is never a command-line argument,
// where every user of the machine could read it.
inline constexpr const char* kPasswordVariable = "SOVREL_PASSWORD";
// The password of userId: SOVREL_PASSWORD when set, else typed on the terminal without echo.
// Throws ConnectionError when neither can be had.
std::string PasswordFor(const std::string& userId);
// A line typed on the controlling terminal after prompt, without echo; nullopt without a terminal.
std::optional<std::string> AskOnTerminal(const std::string& prompt);

// A new password for command: SOVREL_NEW_PASSWORD, or typed twice on the terminal; at least 8
// characters. Throws UsageError naming the command when there is none or it is too short.
std::string AskNewPassword(const std::string& command);

// Registers the host's objects and the component's classes, once per process, as the portal
// does at start.
void RegisterObjects();

// The list window's function rights, which the commands that do the same work check.
namespace right {
inline const std::string Modify = "AS020301", Browse = "AS020302", Export = "AS020304", Add = "AS020305",
                         Delete = "AS020306";
}

// What a command may be run for: the function rights of the window that does the same work, and
// whether it is an administrator's (raw SQL, settings, other users, the system database).
struct Needs {
    std::vector<std::string> rights;
    bool administration = false;
};

// Logs options.userId in (the --data folder or the --connection text) and checks needs, plus
// the administration right when --connection names the system database. Throws ConnectionError
// when the login is refused or the database cannot be reached, and std::runtime_error with the
// host's no-right message (main's exit status 1) when a right is missing; the login has then
// ended.
std::shared_ptr<host::LoginSession> LogIn(const GlobalOptions& options, const Needs& needs);

// A user logged in and the data service started on the account, as the portal sets them up.
class ServiceSession {
public:
    // LogIn, then puts the login and the user's row authority in the context, starts the data
    // service on the login's account database (or on the --connection text) and hands it the
    // login. Throws as LogIn does, and ConnectionError when the account database cannot be opened.
    ServiceSession(const GlobalOptions& options, const Needs& needs);
    // Stops the data service, empties the context and ends the login, so that it leaves no row
    // in UA_Login behind.
    ~ServiceSession();
    ServiceSession(const ServiceSession&) = delete;
    ServiceSession& operator=(const ServiceSession&) = delete;

    IClsCommon& Service() { return *service_; }

private:
    std::shared_ptr<host::LoginSession> login_;
    std::shared_ptr<IClsCommon> service_;
};

// Prints an operation's message on stderr, one line for each of its lines (CR LF, LF and a lone
// CR end a line); prints nothing for an empty message.
void PrintMessage(const std::string& message);

// The text of the file at path, or of standard input when path is empty or "-". Throws
// UsageError, naming the command, when the file cannot be read or the text is blank.
std::string ReadInput(const std::string& path, std::string_view command);

}  // namespace sovrel::cli
