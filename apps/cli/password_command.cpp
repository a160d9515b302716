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
    if (!args.empty()) throw UsageError("password: takes no arguments (the new password is never one)");
    RegisterObjects();
    std::shared_ptr<host::LoginSession> login;
    try {
        login = host::LoginSession::Login(options.connectionText.empty() ? options.dataFolder : options.connectionText,
                                          options.userId, {.password = PasswordFor(options.userId)});
    } catch (const platform::Error& e) {
        if (e.Number() == host::kLoginRefused) throw ConnectionError("cannot log in: " + e.Description());
        throw ConnectionError("cannot connect: " + std::string(e.what()));
    }
    const std::string password = NewPassword();
    if (platform::text::Len(password) < kMinimumLength)
        throw UsageError("password: the new password needs at least " + std::to_string(kMinimumLength) +
                         " characters; nothing was changed");
    login->ChangePassword(password);
    login->Logout();
    Print(stdout, "the password of %s is changed\n", login->cUserId().c_str());
    return kOk;
}

}  // namespace sovrel::cli
