#include "schema/server_roles.h"

#include <cctype>

#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "platform/guid.h"
#include "platform/text.h"
#include "schema/schema.h"

namespace schema {
namespace embedded {
extern const std::string_view session_roles_source;
extern const std::string_view system_roles_source;
extern const std::string_view account_roles_source;
}  // namespace embedded

namespace {

namespace txt = platform::text;
using platform::db::Connection;
using platform::db::Value;

void RequireServer(const std::string& server) {
    if (!txt::EqualsNoCase(platform::db::ConnectionInfo::Parse(server).provider, "PostgreSQL"))
        throw platform::Error(platform::errnum::InvalidOperation, "schema::roles",
                              "roles are a database server's: give a PostgreSQL connection text");
}

// A random password of 32 hexadecimal digits (122 random bits).
std::string NewPassword() {
    std::string out;
    for (char c : platform::NewGuidText())
        if (std::isxdigit(static_cast<unsigned char>(c))) out += static_cast<char>(std::tolower(c));
    return out;
}

bool RoleExists(Connection& server, std::string_view role) {
    return !server.OpenNativeRowset("SELECT 1 FROM pg_roles WHERE rolname = $1", {Value(std::string(role))})->Eof();
}

// The password travels as a parameter and reaches the role's statement inside the server, so
// that no statement text holds it.
void SetRolePassword(Connection& server, std::string_view role, const std::string& password, bool create) {
    server.OpenNativeRowset("SELECT set_config('sovrel.role_password', $1, false)", {Value(password)});
    server.ExecuteScript(std::string("DO $$ BEGIN EXECUTE format('") + (create ? "CREATE" : "ALTER") +
                         " ROLE %I LOGIN PASSWORD %L', '" + std::string(role) +
                         "', current_setting('sovrel.role_password')); END $$; RESET sovrel.role_password");
}

std::string EnsureRole(Connection& server, std::string_view role, const std::string& given) {
    const bool exists = RoleExists(server, role);
    if (exists && given.empty()) return {};
    const std::string password = given.empty() ? NewPassword() : given;
    SetRolePassword(server, role, password, !exists);
    return password;
}

void Install(Connection& db, std::string_view script, const std::string& database) {
    try {
        db.ExecuteScript(std::string(embedded::session_roles_source));
        db.ExecuteScript(std::string(script));
    } catch (const platform::Error& e) {
        throw e.WithContext("while giving " + database + " its roles");
    }
}

}  // namespace

std::string RoleConnectionText(const std::string& server, std::string_view role, const std::string& password,
                               std::string_view catalog) {
    std::string out;
    for (const std::string& part : txt::Split(server, ";")) {
        const std::string key = txt::LCase(txt::Trim(part.substr(0, part.find('='))));
        if (txt::Trim(part).empty() || key == "user id" || key == "uid" || key == "user" || key == "password" ||
            key == "pwd" || key == "initial catalog" || key == "database")
            continue;
        out += part + ";";
    }
    out += "User ID=" + std::string(role);
    if (!password.empty()) out += ";Password=" + password;
    if (!catalog.empty()) out += ";Initial Catalog=" + std::string(catalog);
    return out;
}

RolesSummary InstallServerRoles(const std::string& server, const RolePasswords& passwords) {
    RequireServer(server);
    RolesSummary summary;
    {
        Connection maintenance;
        maintenance.Open(server);
        summary.clerkPassword = EnsureRole(maintenance, kClerkRole, passwords.clerk);
        summary.administratorPassword = EnsureRole(maintenance, kAdministratorRole, passwords.administrator);
    }

    Connection system;
    system.Open(ServerConnectionText(server, kSystemDatabase));
    Install(system, embedded::system_roles_source, std::string(kSystemDatabase));
    summary.databases.push_back(std::string(kSystemDatabase));
    system.ExecuteScript("INSERT INTO sv_login_key SELECT gen_random_bytes(32) WHERE NOT EXISTS (SELECT 1 FROM sv_login_key)");
    const std::string key = system.OpenNativeRowset("SELECT encode(key, 'hex') FROM sv_login_key LIMIT 1", {})->Get(0).ToText();
    if (key.find_first_not_of("0123456789abcdef") != std::string::npos)
        throw platform::Error(platform::errnum::InvalidOperation, "schema::roles", "the signing key of tksystem is damaged");

    auto users = system.OpenNativeRowset(
        "SELECT cuser_id FROM ua_user WHERE cpasswordhash <> '' AND cpasswordhash COLLATE \"C\" !~ '^\\$2[aby]\\$' "
        "ORDER BY cuser_id", {});
    for (; !users->Eof(); users->MoveNext()) summary.usersWithoutServerPassword.push_back(users->Get(0).ToText());

    // Accounts kept on another server get their roles from a run there.
    auto accounts = system.OpenNativeRowset("SELECT DISTINCT cdatabase FROM ua_account WHERE cdatasource = '' "
                                            "ORDER BY cdatabase", {});
    std::vector<std::string> names;
    for (; !accounts->Eof(); accounts->MoveNext()) names.push_back(accounts->Get(0).ToText());
    for (const auto& name : names) {
        Connection account;
        account.Open(ServerConnectionText(server, name));
        AddLaterAccountTables(account);  // the grants name them
        Install(account, embedded::account_roles_source, name);
        account.ExecuteScript("DELETE FROM sv_login_key; INSERT INTO sv_login_key VALUES (decode('" + key + "', 'hex'))");
        summary.databases.push_back(name);
    }
    return summary;
}

long SetServerPassword(const std::string& server, const std::string& userId, const std::string& password,
                       platform::PasswordCost cost) {
    RequireServer(server);
    if (password.empty())
        throw platform::Error(platform::errnum::InvalidOperation, "schema::roles", "the new password is empty");
    Connection system;
    system.Open(ServerConnectionText(server, kSystemDatabase));
    const std::string salt = cost == platform::PasswordCost::TestOnly
                                 ? "gen_salt('bf', 4)"
                                 : "gen_salt('bf', (SELECT bcrypt_cost FROM sv_login_rule LIMIT 1))";
    auto changed = system.OpenNativeRowset(
        "WITH c AS (UPDATE ua_user SET cpasswordhash = crypt($1, " + salt + "), ifailedlogins = 0, dhelduntil = NULL "
        "WHERE (coalesce($2::text, '') = '' AND cpasswordhash <> '') OR cuser_id = $2::text RETURNING 1) SELECT count(*) FROM c",
        {Value(password), Value(userId)});
    return static_cast<long>(changed->Get(0).ToInt());
}

}  // namespace schema
