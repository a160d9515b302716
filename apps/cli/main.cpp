// sovrel: command-line front end of the vendor-contact archive.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "options.h"

namespace sovrel::cli {
namespace {

constexpr Command kCommands[] = {
    {"init", "[DIR] [--contacts N] [--vendors N] [--seed S] [--force]",
     "create a demo account (tksystem.db and TKDATA_001_2024.db) in DIR, by default the --data\n"
     "      folder: N contacts (120) of N vendors (one per ten contacts), the same rows for the\n"
     "      same seed (1); --force replaces an existing account",
     RunInit},
    {"query", "SQL",
     "run a T-SQL query on the account database and print its rows as tab-separated text",
     RunQuery},
};

void PrintUsage(std::FILE* to) {
    std::string text =
        "usage: sovrel [--data DIR | --connection TEXT] COMMAND [ARGUMENTS]\n\ncommands:\n";
    for (const auto& c : kCommands) {
        text += "  " + std::string(c.name) + " " + std::string(c.arguments) + "\n      " +
                std::string(c.summary) + "\n";
    }
    text +=
        "  help\n      show this text\n\n"
        "options before the command:\n"
        "  --data DIR          folder of the SQLite databases (default ./data)\n"
        "  --connection TEXT   connection text of the account database, e.g.\n"
        "                      \"Provider=SQLite;Data Source=DIR;Initial Catalog=TKDATA_001_2024\"\n\n"
        "exit status: 0 done, 1 the command failed, 2 usage or connection error\n";
    std::fputs(text.c_str(), to);
}

int Main(const std::vector<std::string>& args) {
    GlobalOptions options;
    std::size_t i = 0;
    bool dataGiven = false;
    while (i < args.size() && args[i].starts_with("--")) {
        if (args[i] == "--help") {
            PrintUsage(stdout);
            return kOk;
        }
        if (auto v = TakeValue(args, i, "--data")) {
            options.dataFolder = *v;
            dataGiven = true;
        } else if (auto c = TakeValue(args, i, "--connection")) {
            options.connectionText = *c;
        } else {
            throw UsageError("unknown option " + args[i]);
        }
    }
    if (dataGiven && !options.connectionText.empty())
        throw UsageError("give either --data or --connection, not both");
    if (i == args.size()) throw UsageError("no command given");

    const std::string& name = args[i];
    if (name == "help") {
        PrintUsage(stdout);
        return kOk;
    }
    for (const auto& c : kCommands)
        if (name == c.name) return c.run(options, std::span(args).subspan(i + 1));
    throw UsageError("unknown command '" + name + "'");
}

}  // namespace

void PrintError(std::string_view message) {
    std::fprintf(stderr, "sovrel: %.*s\n", static_cast<int>(message.size()), message.data());
}

}  // namespace sovrel::cli

int main(int argc, char** argv) {
    using namespace sovrel::cli;
    try {
        return Main(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        PrintError(e.what());
        std::fputs("(sovrel help shows the usage)\n", stderr);
        return kUsageError;
    } catch (const std::exception& e) {
        PrintError(e.what());
        return kFailed;
    }
}
