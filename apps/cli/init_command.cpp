// sovrel init DIR: creates the demo account.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "commands.h"
#include "platform/text.h"
#include "platform/db/connection.h"
#include "options.h"
#include "platform/error.h"
#include "schema/demo.h"
#include "schema/server_roles.h"
#include "terminal.h"

namespace sovrel::cli {
namespace {

namespace fs = std::filesystem;

std::string Megabytes(std::uintmax_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

// The demo users and their password, so that a newcomer can log in at once.
void PrintUsers() {
    Print(stdout, "users %s, %s and %s; the password of each: %s\n", std::string(schema::kDemoUser).c_str(),
                std::string(schema::kDemoEnglishUser).c_str(), std::string(schema::kLimitedUser).c_str(),
                std::string(schema::kDemoPassword).c_str());
}

// Builds the new account beside the old one and swaps the files in only when it is complete,
// so that a failed --force keeps the account that was there.
schema::DemoSummary Replace(const std::string& folder, const schema::DemoOptions& demo) {
    const fs::path staging = fs::path(folder) / (".sovrel-init-" + std::to_string(::getpid()));
    std::error_code ignored;
    fs::remove_all(staging, ignored);
    schema::DemoSummary summary;
    try {
        summary = schema::CreateDemoAccount(staging.string(), demo);
    } catch (...) {
        fs::remove_all(staging, ignored);
        throw;
    }
    schema::RemoveAccount(folder);
    for (std::string_view db : {schema::kSystemDatabase, schema::kDemoAccountDatabase}) {
        const std::string file = std::string(db) + ".db";
        fs::rename(staging / file, fs::path(folder) / file);
    }
    fs::remove_all(staging, ignored);
    summary.folder = folder;
    summary.connectionText = schema::SqliteConnectionText(folder);
    return summary;
}

// The demo account on a database server: the connection text without its catalog names the
// server; both databases are created there.
int InitOnServer(const std::string& connectionText, const schema::DemoOptions& demo, bool force) {
    std::string server;
    for (const std::string& part : platform::text::Split(connectionText, ";")) {
        std::string key = platform::text::LCase(platform::text::Trim(part.substr(0, part.find('='))));
        if (key != "initial catalog" && key != "database" && !platform::text::Trim(part).empty()) server += part + ";";
    }
    const auto start = std::chrono::steady_clock::now();
    schema::DemoSummary summary;
    try {
        summary = force ? schema::ReplaceDemoAccountOn(server, demo) : schema::CreateDemoAccountOn(server, demo);
    } catch (const platform::Error& e) {
        if (force || e.Description().find("already exists") == std::string::npos) throw;
        PrintError("an account already exists on the server; use --force to replace it (its data will be lost)");
        return kUsageError;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Print(stdout, "created the demo account on the server: %ld vendors, %ld contacts, %ld purchase orders, "
                "%ld visits; %.2f s\n",
                summary.vendors, summary.contacts, summary.purchaseOrders, summary.visits, seconds);
    // The users' passwords become hashes the server checks, and the clerk works through its role.
    InstallRoles(server, std::string(schema::kDemoPassword), demo.passwordCost);
    PrintUsers();
    return kOk;
}

}  // namespace

int RunInit(const GlobalOptions& options, std::span<const std::string> args) {
    schema::DemoOptions demo;
    std::string folder;
    bool force = false;
    for (std::size_t i = 0; i < args.size();) {
        if (auto v = TakeValue(args, i, "--contacts")) {
            demo.contacts = static_cast<long>(ParseNumber(*v, "--contacts", 0, 10'000'000));
        } else if (auto v = TakeValue(args, i, "--vendors")) {
            demo.vendors = static_cast<long>(ParseNumber(*v, "--vendors", 1, 1'000'000));
        } else if (auto v = TakeValue(args, i, "--seed")) {
            demo.seed = ParseSeed(*v);
        } else if (args[i] == "--force") {
            force = true;
            ++i;
        } else if (args[i].starts_with("--")) {
            throw UsageError("init: unknown option " + args[i]);
        } else if (folder.empty()) {
            folder = args[i++];
        } else {
            throw UsageError("init: more than one folder given ('" + folder + "', '" + args[i] + "')");
        }
    }
    if (!options.connectionText.empty() &&
        platform::text::EqualsNoCase(platform::db::ConnectionInfo::Parse(options.connectionText).provider, "PostgreSQL")) {
        if (!folder.empty()) throw UsageError("init: a server account takes no folder");
        return InitOnServer(options.connectionText, demo, force);
    }
    if (folder.empty()) folder = options.dataFolder;

    if (schema::AccountExists(folder) && !force) {
        PrintError("an account already exists in '" + folder +
                   "'; use --force to replace it (its data will be lost)");
        return kUsageError;
    }
    const auto start = std::chrono::steady_clock::now();
    const schema::DemoSummary summary =
        schema::AccountExists(folder) ? Replace(folder, demo) : schema::CreateDemoAccount(folder, demo);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::error_code ec;
    const auto size = fs::file_size(fs::path(folder) / (std::string(schema::kDemoAccountDatabase) + ".db"), ec);
    Print(stdout, "created the demo account in %s: %ld vendors, %ld contacts, %ld purchase orders, "
                "%ld visits; %s.db %s; %.2f s\n",
                folder.c_str(), summary.vendors, summary.contacts, summary.purchaseOrders,
                summary.visits, std::string(schema::kDemoAccountDatabase).c_str(),
                ec ? "?" : Megabytes(size).c_str(), seconds);
    PrintUsers();
    return kOk;
}

}  // namespace sovrel::cli
