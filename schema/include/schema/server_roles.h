#pragma once
// The roles of an account on a PostgreSQL server: the owner that created the databases, a clerk
// role for the portal's and the command line's connections, and an administrator role. The
// server checks passwords (sv_login), keeps the clerk's SQL within its grants and its user's
// vendors, and holds the hashes and secrets where only the owner reads them
// (platform/db/postgres/README.md says what each role may do).
#include <string>
#include <string_view>
#include <vector>

#include "platform/password.h"

namespace schema {

inline constexpr std::string_view kClerkRole = "sovrel_clerk";
inline constexpr std::string_view kAdministratorRole = "sovrel_admin";

struct RolePasswords {
    std::string clerk, administrator;  // empty: a new role gets a random one, an old one keeps its own
};

struct RolesSummary {
    std::vector<std::string> databases;  // the databases given their rights, tksystem first
    // Users whose stored hash the server cannot check (made before the server checked passwords):
    // each needs a new password (SetServerPassword) before it can log in.
    std::vector<std::string> usersWithoutServerPassword;
    std::string clerkPassword, administratorPassword;  // set by this call; empty when kept
};

// Creates the two roles when missing (setting the passwords given), and gives tksystem and every
// account database listed in its UA_Account on the same server the login functions, the signing
// key, the grants and the row policies. May run again: it renews what it installs and keeps the
// key, so logins stay valid. `server` is the owner's connection text without Initial Catalog.
// Throws platform::Error when the server refuses (the owner needs CREATEROLE, or a superuser).
RolesSummary InstallServerRoles(const std::string& server, const RolePasswords& passwords = {});

// The password of one user (every user with a stored hash when userId is empty), hashed by the
// server (bcrypt). Answers the number of users changed.
long SetServerPassword(const std::string& server, const std::string& userId, const std::string& password,
                       platform::PasswordCost cost = platform::PasswordCost::Interactive);

// `server` (a connection text) logging in as role with password, to catalog when one is given.
std::string RoleConnectionText(const std::string& server, std::string_view role, const std::string& password,
                               std::string_view catalog = {});

}  // namespace schema
