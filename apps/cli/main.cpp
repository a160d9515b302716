// sovrel: command-line front end of the vendor-contact archive.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "host/crm.h"
#include "options.h"
#include "platform/text.h"
#include "schema/demo.h"
#include "terminal.h"

namespace sovrel::cli {
namespace {

constexpr Command kCommands[] = {
    {"init", "[DIR] [--contacts N] [--vendors N] [--seed S] [--force]",
     "create a demo account (tksystem.db and TKDATA_001_2024.db) in DIR, by default the --data\n"
     "      folder: N contacts (120) of N vendors (one per ten contacts), the same rows for the\n"
     "      same seed (1); --force replaces an existing account. Logs nobody in",
     RunInit},
    {"query", "SQL",
     "run a T-SQL query (OpenX) and print its rows as tab-separated text: a header line of\n"
     "      field names, then one line per row; Null prints empty; a tab, line feed, carriage\n"
     "      return and backslash inside a value print as \\t, \\n, \\r and \\\\",
     RunQuery},
    {"page", "SQL --size N --page P",
     "one page of N rows of a query (OpenPage): the line \"page P of M\" with the page shown\n"
     "      and the page count, then the rows as for query. P 0 or past the end shows the last\n"
     "      page; a query without rows shows \"page 0 of 1\" and the header",
     RunPage},
    {"exec", "SQL", "run a T-SQL statement that returns no rows (ExecuteX)", RunExec},
    {"add", "TABLE [FILE]",
     "add the records of the record XML in FILE, or on standard input (Add); TABLE is\n"
     "      Ven_Contact or Crm_BaseCode",
     RunAdd},
    {"modify", "TABLE [FILE] [--loaded-ts TEXT]",
     "change the records of the record XML in FILE, or on standard input (Modify);\n"
     "      --loaded-ts gives the row version read before the change (the tkts column as\n"
     "      convert(char, convert(money,tkts), 2)): a row changed since then is not written",
     RunModify},
    {"delete", "VALUE [--id-name NAME] [--table NAME]",
     "delete the contact whose key column (--id-name, default cContactCode) holds VALUE\n"
     "      from the table (--table, default Ven_Contact), unless something refers to it (Delete)",
     RunDelete},
    {"find", "TABLE[,TABLE...] [FILE]",
     "the rows of the tables that meet the condition XML in FILE, or on standard input (Find),\n"
     "      printed as for query",
     RunFind},
    {"refed", "TABLE VALUE [--all]",
     "whether rows listed in crm_ref_relation for TABLE refer to VALUE (CheckRefed); prints\n"
     "      the referring objects on standard error, the first only unless --all; exit status\n"
     "      0 when none refers",
     RunRefed},
    {"used", "TABLE FIELD VALUE",
     "whether a row of TABLE holds VALUE in FIELD (BArchIsUsed); exit status 0 when one does",
     RunUsed},
    {"utlcase", "[--keep-amp] [FILE]",
     "print the XML in FILE, or on standard input, as the data service normalises it\n"
     "      (UTLCase): tags in lower case and every & written as &amp;, which --keep-amp\n"
     "      leaves alone. Needs no account",
     RunUtlCase},
    {"usedb", "NAME",
     "switch the data service's connection to database NAME (zy_ConvertDB) and print its\n"
     "      answer, True or False; the switch ends with the program",
     RunUseDb},
    {"password", "[USER]",
     "change the user's password, or an administrator another USER's: the new one comes from\n"
     "      SOVREL_NEW_PASSWORD, or is asked twice on the terminal; at least 8 characters",
     RunPassword},
    {"export", "SQL FILE [--format xlsx|csv|pdf]",
     "write the rows of a T-SQL query (OpenX) to FILE as an Excel workbook, CSV text (UTF-8\n"
     "      with a byte-order mark) or PDF pages, in the format --format names or the file's\n"
     "      extension tells; a failed export leaves no file",
     RunExport},
    {"config", "[KEY [VALUE|-]]",
     "show the host's settings (mail tool, SMTP, SMS gateway), one of them, or, as an\n"
     "      administrator, set KEY to VALUE in the system database (an empty VALUE removes it;\n"
     "      no control characters). A secret (smtp.password, sms.key) is never an argument:\n"
     "      give - and type it (not shown) or pipe it in; it is stored sealed with the key file\n"
     "      $XDG_CONFIG_HOME/sovrel/secret.key (or $SOVREL_KEY_FILE) and shows as ****",
     RunConfig},
    {"duplicates", "[--vendor V]",
     "list the groups of contacts that look like one person (the same name at one vendor, or\n"
     "      the same mobile number or e-mail without spaces, dashes and case), one row per\n"
     "      contact with its group number; --vendor keeps to one vendor's contacts",
     RunDuplicates},
    {"export-contacts", "FILE [--vendor V] [--format vcf|csv]",
     "write the account's contacts, or one vendor's, to FILE as vCards 4.0 or CSV with a header\n"
     "      row of field names (UTF-8), in the format --format names or the file's extension\n"
     "      tells (vCard otherwise); base codes travel by name; a failed export leaves no file",
     RunExportContacts},
    {"import-contacts", "FILE [--vendor V] [--dry-run] [--atomic]",
     "add the contacts of a vCard (4.0 or 3.0) or CSV file (UTF-8 or GBK) through the data\n"
     "      service, one report line per row on standard output (line, result, code, name,\n"
     "      message); a refused row stops nothing, unless --atomic, which then writes nothing;\n"
     "      --dry-run writes nothing and reports what would happen; --vendor V takes rows that\n"
     "      name no vendor to V and refuses rows of other vendors; exit status 1 when a row was\n"
     "      refused",
     RunImportContacts},
    {"roles", "[--password USER]",
     "on a PostgreSQL server (--connection names it as its owner): create the clerk and\n"
     "      administrator roles when missing (passwords from SOVREL_CLERK_PASSWORD and\n"
     "      SOVREL_ADMIN_PASSWORD, else random ones, printed once) and give tksystem and its\n"
     "      account databases the login check, grants and row policies; prints each role's\n"
     "      connection text. --password USER sets a user's password (SOVREL_NEW_PASSWORD, or\n"
     "      asked twice) where the server cannot check the old hash",
     RunRoles},
    {"history", "CODE [--since DATE] | --user ID [--since DATE] | --deleted",
     "every change of the contact CODE, or every change the user ID made, from DATE on\n"
     "      (yyyy-mm-dd), oldest first, one row per changed column (the kind of change, the\n"
     "      column, its old and new value, who and when), printed as for query; --deleted lists\n"
     "      the deleted contacts with the values they had when deleted",
     RunHistory},
    {"restore", "CODE",
     "as an administrator, add the deleted contact CODE again with the values it had when it\n"
     "      was deleted, through the data service's checks (Add)",
     RunRestore},
};

void PrintUsage(std::FILE* to) {
    std::string text =
        "usage: sovrel [--data DIR | --connection TEXT] [--user ID] [--language LANG] COMMAND [ARGUMENTS]\n\n"
        "commands:\n";
    for (const auto& c : kCommands) {
        text += "  " + std::string(c.name) + " " + std::string(c.arguments) + "\n      " +
                std::string(c.summary) + "\n";
    }
    text +=
        "  help\n      show this text\n\n"
        "options before the command:\n"
        "  --data DIR          folder of the SQLite databases (default ./data); the user logs in\n"
        "                      to its system database tksystem and works in the account\n"
        "                      database listed there (TKDATA_001_2024 in a demo account)\n"
        "  --connection TEXT   connection text of the account database instead, e.g.\n"
        "                      \"Provider=SQLite;Data Source=DIR;Initial Catalog=TKDATA_001_2024\";\n"
        "                      the user logs in to the system database beside it\n"
        "  --user ID           the user who logs in (default demo)\n"
        "  --language LANG     zh-CN, en-US or keys (each text shown as its resource key): the\n"
        "                      language of messages (default the user's own)\n\n"
        "The user's password comes from the environment variable SOVREL_PASSWORD, or sovrel asks\n"
        "for it on the terminal; it is never an argument. Five wrong passwords in a row hold the\n"
        "user for a minute. The users of a demo account have the password " +
        std::string(schema::kDemoPassword) + ".\n\n"
        "XML given on standard input is read up to its end. A command prints the message of its\n"
        "operation on standard error, one line for each line of the message.\n\n"
        "Each command needs the function rights of the list window's command that does the same\n"
        "work, and reads only the contacts of the vendors the user may see. query, exec, page,\n"
        "export, usedb, changing a setting, another user's password and a --connection to the\n"
        "system database need the administration right; an administrator's SQL is not restricted by\n"
        "row authority (on a PostgreSQL server it runs within the grants of the connection's role).\n\n"
        "exit status: 0 the operation answered True or returned a rowset, 1 it answered False,\n"
        "returned nothing, failed or lacked a right, 2 usage error, refused login or no connection\n";
    Write(to, text);
}

// The languages the host has texts in, as the host spells them.
std::string LanguageName(const std::string& given) {
    for (const char* known : {"zh-CN", "en-US", "keys"})
        if (platform::text::EqualsNoCase(given, known)) return known;
    throw UsageError("--language takes zh-CN, en-US or keys, not '" + given + "'");
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
        if (args[i] == "--password" || args[i].starts_with("--password=")) {
            throw UsageError("--password is not taken: every user of the machine can read the command line; set "
                             "SOVREL_PASSWORD, or let sovrel ask for the password on the terminal");
        }
        if (auto v = TakeValue(args, i, "--data")) {
            options.dataFolder = *v;
            dataGiven = true;
        } else if (auto c = TakeValue(args, i, "--connection")) {
            options.connectionText = *c;
        } else if (auto u = TakeValue(args, i, "--user")) {
            if (platform::text::Trim(*u).empty()) throw UsageError("--user needs a user id");
            options.userId = *u;
        } else if (auto l = TakeValue(args, i, "--language")) {
            options.language = LanguageName(*l);
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
    // Every text of the component and the host follows this language; "" leaves it to the user.
    host::SetLanguageOverride(options.language);
    for (const auto& c : kCommands)
        if (name == c.name) return c.run(options, std::span(args).subspan(i + 1));
    throw UsageError("unknown command '" + name + "'");
}

}  // namespace

void PrintError(std::string_view message) {
    // A connection text given on the command line may come back inside a message.
    const std::string hidden = platform::text::HidePasswords(message);
    Write(stderr, "sovrel: " + hidden + "\n");
}

}  // namespace sovrel::cli

int main(int argc, char** argv) {
    using namespace sovrel::cli;
    try {
        UseLocaleCharset();
        return Main(ArgumentsFromTerminal(argc, argv));
    } catch (const UsageError& e) {
        PrintError(e.what());
        Write(stderr, "(sovrel help shows the usage)\n");
        return kUsageError;
    } catch (const ConnectionError& e) {
        PrintError(e.what());
        return kUsageError;
    } catch (const std::exception& e) {
        PrintError(e.what());
        return kFailed;
    }
}
