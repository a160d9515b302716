// sovrel password: the logged-in user replaces the password.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands.h"
#include "host/session.h"
#include "platform/error.h"
#include "platform/text.h"
#include "session.h"
#include "terminal.h"

namespace sovrel::cli {

int RunPassword(const GlobalOptions& options, std::span<const std::string> args) {
    if (args.size() > 1 || (!args.empty() && args[0].starts_with("--")))
        throw UsageError("password: takes at most a USER (the new password is never an argument)");
    const std::string* other = args.empty() || args[0] == options.userId ? nullptr : &args[0];
    auto login = LogIn(options, {.administration = other != nullptr});
    const std::string password = AskNewPassword("password");
    const std::string user = other ? *other : login->cUserId();
    try {
        if (!other) login->ChangePassword(password);
        else if (!login->ChangePasswordOf(user, password))
            throw UsageError("password: there is no user '" + user + "'; nothing was changed");
    } catch (const platform::Error& e) {
        // The server refused the clerk's connection: the host's no-right message, as for a missing right.
        if (e.Number() == host::kNoAdministrationRight) throw std::runtime_error(e.Description());
        throw;
    }
    login->Logout();
    Print(stdout, "the password of %s is changed\n", user.c_str());
    return kOk;
}

}  // namespace sovrel::cli
