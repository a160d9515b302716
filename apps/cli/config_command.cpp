// sovrel config: the host's own settings (mail tool, mail sender, SMS gateway).
#include <cstdio>
#include <string>

#include "commands.h"
#include "host/config.h"
#include "host/session.h"
#include "platform/error.h"
#include "session.h"
#include "terminal.h"

namespace sovrel::cli {

int RunConfig(const GlobalOptions& options, std::span<const std::string> args) {
    if (args.size() > 2) throw UsageError("config: takes at most KEY and VALUE (an empty VALUE removes the setting)");
    if (!args.empty() && !host::IsKnownSetting(args[0]))
        throw UsageError("config: unknown setting '" + args[0] + "'; sovrel config lists them");
    RegisterObjects();
    std::shared_ptr<host::LoginSession> login;
    try {
        login = host::LoginSession::Login(options.connectionText.empty() ? options.dataFolder : options.connectionText,
                                          options.userId, {.password = PasswordFor(options.userId)});
    } catch (const platform::Error& e) {
        if (e.Number() == host::kLoginRefused) throw ConnectionError("cannot log in: " + e.Description());
        throw ConnectionError("cannot connect: " + std::string(e.what()));
    }
    const std::string system = login->SystemConnectionText();
    int status = kOk;
    try {
        if (args.size() == 2) {
            host::SaveSetting(system, args[0], args[1]);
            Print(stdout, "%s = %s\n", args[0].c_str(), host::ShownSetting(args[0], args[1]).c_str());
        } else {
            for (const auto& s : host::KnownSettings()) {
                if (!args.empty() && args[0] != s.key) continue;
                const std::string value = host::SettingIn(system, s.key);
                Print(stdout, "%-14s %-28s # %s\n", s.key, host::ShownSetting(s.key, value).c_str(), s.meaning);
            }
        }
    } catch (const platform::Error& e) {
        PrintError("config: " + e.Description());
        status = kFailed;
    }
    login->Logout();
    return status;
}

}  // namespace sovrel::cli
