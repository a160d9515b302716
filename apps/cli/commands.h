#pragma once
// The commands of the sovrel program and what they share.
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/password.h"

namespace sovrel::cli {

// Exit statuses.
inline constexpr int kOk = 0;          // the operation answered True or returned a rowset
inline constexpr int kFailed = 1;      // it answered False, returned nothing, or raised an error
inline constexpr int kUsageError = 2;  // bad command line, refused login, no connection, account exists

// Options given before the command.
struct GlobalOptions {
    std::string dataFolder = "data";  // --data
    std::string connectionText;       // --connection; empty: the demo account in dataFolder
    std::string userId = "demo";      // --user
    std::string language;             // --language; empty: the user's own
};

// A bad command line; main prints the message and the usage hint, and exits with kUsageError.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The login or the connection to the account was refused; main prints it and exits with
// kUsageError.
struct ConnectionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Command {
    std::string_view name;
    std::string_view arguments;  // shown in the usage text
    std::string_view summary;
    int (*run)(const GlobalOptions& options, std::span<const std::string> arguments);
};

int RunInit(const GlobalOptions& options, std::span<const std::string> arguments);
int RunQuery(const GlobalOptions& options, std::span<const std::string> arguments);
int RunPage(const GlobalOptions& options, std::span<const std::string> arguments);
int RunExec(const GlobalOptions& options, std::span<const std::string> arguments);
int RunAdd(const GlobalOptions& options, std::span<const std::string> arguments);
int RunModify(const GlobalOptions& options, std::span<const std::string> arguments);
int RunDelete(const GlobalOptions& options, std::span<const std::string> arguments);
int RunFind(const GlobalOptions& options, std::span<const std::string> arguments);
int RunRefed(const GlobalOptions& options, std::span<const std::string> arguments);
int RunUsed(const GlobalOptions& options, std::span<const std::string> arguments);
int RunUtlCase(const GlobalOptions& options, std::span<const std::string> arguments);
int RunUseDb(const GlobalOptions& options, std::span<const std::string> arguments);
int RunPassword(const GlobalOptions& options, std::span<const std::string> arguments);
int RunExport(const GlobalOptions& options, std::span<const std::string> arguments);
int RunConfig(const GlobalOptions& options, std::span<const std::string> arguments);
int RunDuplicates(const GlobalOptions& options, std::span<const std::string> arguments);
int RunExportContacts(const GlobalOptions& options, std::span<const std::string> arguments);
int RunImportContacts(const GlobalOptions& options, std::span<const std::string> arguments);
int RunRoles(const GlobalOptions& options, std::span<const std::string> arguments);
int RunHistory(const GlobalOptions& options, std::span<const std::string> arguments);
int RunRestore(const GlobalOptions& options, std::span<const std::string> arguments);

// Gives the account on the server (its owner's connection text, without a catalog) its clerk
// and administrator roles and prints their connection texts (sovrel roles; sovrel init on a
// server). everyUsersPassword, when given, becomes each user's password, hashed by the server;
// otherwise the users whose hashes the server cannot check are listed.
int InstallRoles(const std::string& server, const std::string& everyUsersPassword = "",
                 platform::PasswordCost cost = platform::PasswordCost::Interactive);

// Prints "sovrel: " + message to stderr.
void PrintError(std::string_view message);

}  // namespace sovrel::cli
