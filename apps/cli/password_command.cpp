// sovrel password: the logged-in user replaces the password.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands.h"
#include "host/session.h"
#include "platform/text.h"
#include "session.h"
#include "terminal.h"

namespace sovrel::cli {

namespace {

constexpr const char* kNewPasswordVariable = "SOVREL_NEW_PASSWORD";
constexpr std::size_t kMinimumLength = 8;

std::string NewPassword() {
    if (const char* given = std::getenv(kNewPasswordVariable)) return given;
    auto first = AskOnTerminal("New password: ");
    if (!first)
        throw UsageError(std::string("password: no new password: set ") + kNewPasswordVariable +
                         ", or run sovrel on a terminal, where it asks for it");
    auto again = AskOnTerminal("New password again: ");
    if (!again || *again != *first) throw UsageError("password: the two new passwords differ; nothing was changed");
    return *first;
}

}  // namespace

int RunPassword(const GlobalOptions& options, std::span<const std::string> args) {
    if (args.size() > 1 || (!args.empty() && args[0].starts_with("--")))
        throw UsageError("password: takes at most a USER (the new password is never an argument)");
    const std::string* other = args.empty() || args[0] == options.userId ? nullptr : &args[0];
    auto login = LogIn(options, {.administration = other != nullptr});
    const std::string password = NewPassword();
    if (platform::text::Len(password) < kMinimumLength)
        throw UsageError("password: the new password needs at least " + std::to_string(kMinimumLength) +
                         " characters; nothing was changed");
    const std::string user = other ? *other : login->cUserId();
    if (!other) login->ChangePassword(password);
    else if (!login->ChangePasswordOf(user, password))
        throw UsageError("password: there is no user '" + user + "'; nothing was changed");
    login->Logout();
    Print(stdout, "the password of %s is changed\n", user.c_str());
    return kOk;
}

}  // namespace sovrel::cli
