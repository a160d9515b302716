// sovrel config: the host's own settings (mail tool, mail sender, SMS gateway).
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "commands.h"
#include "common/context.h"
#include "common/texts.h"
#include "host/config.h"
#include "host/session.h"
#include "platform/error.h"
#include "session.h"
#include "terminal.h"

namespace sovrel::cli {

namespace {

// The value given as "-": typed on the terminal without echo, or read from standard input to its
// end (one line break at the end dropped), so that a secret never stands in the process list.
std::optional<std::string> ValueFromInput(const std::string& key) {
    if (::isatty(STDIN_FILENO)) return AskOnTerminal(ResTextParams("Hx.AA.CONFIG.SecretPrompt", {platform::db::Value(key)}));
    std::string value(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>{});
    if (value.ends_with('\n')) value.pop_back();
    if (value.ends_with('\r')) value.pop_back();
    return value;
}

int Show(const std::string& system, const std::string* only) {
    for (const auto& s : host::KnownSettings()) {
        if (only && *only != s.key) continue;
        const std::string value = host::SettingIn(system, s.key);
        Print(stdout, "%-14s %-28s # %s\n", s.key, host::ShownSetting(s.key, value).c_str(), s.meaning);
    }
    return kOk;
}

int Change(host::LoginSession& login, const std::string& key, const std::string& given) {
    using platform::db::Value;
    std::string value = given;
    if (given == "-") {
        auto read = ValueFromInput(key);
        if (!read || read->empty()) {
            PrintMessage(ResTextParams("Hx.AA.CONFIG.NoSecret", {Value(key)}));
            return kFailed;
        }
        value = std::move(*read);
    } else if (host::IsSecretSetting(key) && !given.empty()) {
        PrintMessage(ResTextParams("Hx.AA.CONFIG.SecretArgument", {Value(key)}));
        return kFailed;
    }
    host::SaveSetting(login, key, value);
    Print(stdout, "%s = %s\n", key.c_str(), host::ShownSetting(key, value).c_str());
    return kOk;
}

}  // namespace

int RunConfig(const GlobalOptions& options, std::span<const std::string> args) {
    if (args.size() > 2) throw UsageError("config: takes at most KEY and VALUE (an empty VALUE removes the setting)");
    if (!args.empty() && !host::IsKnownSetting(args[0]))
        throw UsageError("config: unknown setting '" + args[0] + "'; sovrel config lists them");
    const bool change = args.size() == 2;
    // Every setting makes the program run something or send somewhere.
    auto login = LogIn(options, {.administration = change});
    Ctx().Login = login;  // the language of the texts below
    int status = kOk;
    try {
        status = change ? Change(*login, args[0], args[1]) : Show(login->SystemConnectionText(), args.empty() ? nullptr : &args[0]);
    } catch (const platform::Error& e) {
        PrintError(e.Number() == host::kNoAdministrationRight ? e.Description() : "config: " + e.Description());
        status = kFailed;
    }
    ResetContext();
    login->Logout();
    return status;
}

}  // namespace sovrel::cli
