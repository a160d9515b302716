// sovrel roles: the clerk and administrator roles of an account on a database server.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands.h"
#include "platform/db/connection.h"
#include "platform/text.h"
#include "schema/server_roles.h"
#include "session.h"
#include "terminal.h"

namespace sovrel::cli {

namespace {

std::string FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The server's connection text: the owner's, without a catalog.
std::string ServerOf(const std::string& connectionText) {
    std::string server;
    for (const std::string& part : platform::text::Split(connectionText, ";")) {
        const std::string key = platform::text::LCase(platform::text::Trim(part.substr(0, part.find('='))));
        if (key != "initial catalog" && key != "database" && !platform::text::Trim(part).empty()) server += part + ";";
    }
    return server;
}

}  // namespace

int InstallRoles(const std::string& server, const std::string& everyUsersPassword, platform::PasswordCost cost) {
    const schema::RolesSummary s = schema::InstallServerRoles(
        server, {.clerk = FromEnvironment("SOVREL_CLERK_PASSWORD"), .administrator = FromEnvironment("SOVREL_ADMIN_PASSWORD")});
    std::string databases;
    for (const auto& d : s.databases) databases += (databases.empty() ? "" : ", ") + d;
    Print(stdout, "roles given to %s\n", databases.c_str());
    auto show = [&](const char* what, std::string_view role, const std::string& password) {
        const std::string text = schema::RoleConnectionText(server, role, password.empty() ? "(unchanged)" : password);
        Print(stdout, "%s connection: %s\n", what, text.c_str());
    };
    show("clerk", schema::kClerkRole, s.clerkPassword);
    show("administrator", schema::kAdministratorRole, s.administratorPassword);
    if (!everyUsersPassword.empty()) {
        schema::SetServerPassword(server, "", everyUsersPassword, cost);
        return kOk;
    }
    for (const auto& user : s.usersWithoutServerPassword)
        Print(stdout, "user %s needs a new password the server can check: sovrel --connection OWNER roles --password %s\n",
              user.c_str(), user.c_str());
    return kOk;
}

int RunRoles(const GlobalOptions& options, std::span<const std::string> args) {
    if (options.connectionText.empty() ||
        !platform::text::EqualsNoCase(platform::db::ConnectionInfo::Parse(options.connectionText).provider, "PostgreSQL"))
        throw UsageError("roles: give the server's owner connection with --connection \"Provider=PostgreSQL;...\"");
    const std::string server = ServerOf(options.connectionText);
    if (args.empty()) return InstallRoles(server);
    if (args.size() != 2 || args[0] != "--password")
        throw UsageError("roles: takes nothing, or --password USER (the new password is never an argument)");
    const std::string password = AskNewPassword("roles");
    if (schema::SetServerPassword(server, args[1], password) == 0)
        throw UsageError("roles: there is no user '" + args[1] + "'; nothing was changed");
    Print(stdout, "the password of %s is changed\n", args[1].c_str());
    return kOk;
}

}  // namespace sovrel::cli
