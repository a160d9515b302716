#pragma once
// The commands of the sovrel program and what they share.
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sovrel::cli {

// Exit statuses.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;      // the command ran and failed (a statement, the generator)
inline constexpr int kUsageError = 2;  // bad command line, connection refused, account exists

// Options given before the command.
struct GlobalOptions {
    std::string dataFolder = "data";  // --data
    std::string connectionText;       // --connection; empty: the demo account in dataFolder
};

// A bad command line; main prints the message and the usage, and exits with kUsageError.
struct UsageError : std::runtime_error {
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

// Prints "sovrel: " + message to stderr.
void PrintError(std::string_view message);

}  // namespace sovrel::cli
