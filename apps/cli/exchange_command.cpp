// sovrel export-contacts FILE [--vendor V] [--format vcf|csv] and sovrel import-contacts FILE
// [--vendor V] [--dry-run] [--atomic]: contacts out to and in from vCard and CSV files.
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>

#include "commands.h"
#include "common/texts.h"
#include "exchange/contact_exchange.h"
#include "options.h"
#include "platform/text.h"
#include "session.h"
#include "tsv.h"
#include "terminal.h"

namespace sovrel::cli {

namespace ex = sovrel::exchange;

int RunExportContacts(const GlobalOptions& options, std::span<const std::string> args) {
    std::optional<std::string> file, vendor, formatName;
    for (std::size_t i = 0; i < args.size();) {
        if (auto v = TakeValue(args, i, "--vendor")) vendor = *v;
        else if (auto f = TakeValue(args, i, "--format")) formatName = *f;
        else if (args[i].starts_with("--")) throw UsageError("export-contacts: unknown option " + args[i]);
        else if (!file) file = args[i++];
        else throw UsageError("export-contacts: one FILE only");
    }
    if (!file) throw UsageError("export-contacts: no FILE given");
    std::optional<ex::Format> format;
    if (formatName) {
        const std::string f = platform::text::LCase(*formatName);
        if (f == "vcf" || f == "vcard") format = ex::Format::VCard;
        else if (f == "csv") format = ex::Format::Csv;
        else throw UsageError("export-contacts: --format must be vcf or csv, not " + *formatName);
    } else {
        format = ex::FormatOfPath(*file).value_or(ex::Format::VCard);
    }

    ServiceSession session(options, {.rights = {right::Browse, right::Export}});
    long count = 0;
    std::string message;
    const bool ok = ex::ExportContacts(session.Service(), *file, *format, vendor.value_or(""), {}, count, message);
    PrintMessage(ok ? ResTextParams("Hx.CRM.TkContact.Exchange.ExportedCount", {platform::db::Value(count),
                                                                                 platform::db::Value(*file)})
                    : message);
    return ok ? kOk : kFailed;
}

int RunImportContacts(const GlobalOptions& options, std::span<const std::string> args) {
    std::optional<std::string> file;
    ex::ImportOptions import;
    for (std::size_t i = 0; i < args.size();) {
        if (auto v = TakeValue(args, i, "--vendor")) import.vendor = *v;
        else if (args[i] == "--dry-run") import.dryRun = true, ++i;
        else if (args[i] == "--atomic") import.atomic = true, ++i;
        else if (args[i].starts_with("--")) throw UsageError("import-contacts: unknown option " + args[i]);
        else if (!file) file = args[i++];
        else throw UsageError("import-contacts: one FILE only");
    }
    if (!file) throw UsageError("import-contacts: no FILE given");
    std::ifstream in(*file, std::ios::binary);
    if (!in) throw UsageError("import-contacts: cannot read " + *file);

    ServiceSession session(options, {.rights = {right::Browse, right::Add}});
    const std::string words[] = {ResText("Hx.CRM.TkContact.Exchange.Added"), ResText("Hx.CRM.TkContact.Exchange.Accepted"),
                                 ResText("Hx.CRM.TkContact.Exchange.Refused"), ResText("Hx.CRM.TkContact.Exchange.Note")};
    Write(stdout, "line\tresult\tcContactCode\tcContactName\tmessage\n");
    // One line a row, written as it comes: the report of a long file costs no memory.
    auto report = [&words](const ex::RowReport& r) {
        std::string line = std::to_string(r.line) + '\t' + words[static_cast<int>(r.outcome)] + '\t';
        AppendEscaped(line, r.code);
        line += '\t';
        AppendEscaped(line, r.name);
        line += '\t';
        AppendEscaped(line, r.message);
        line += '\n';
        Write(stdout, line);
    };
    ex::ImportSummary summary;
    const bool ok = ex::ImportContacts(session.Service(), in, import, report, summary);
    std::fflush(stdout);
    using platform::db::Value;
    if (!summary.message.empty()) PrintMessage(summary.message);
    const char* key = import.dryRun                           ? "Hx.CRM.TkContact.Exchange.SummaryDryRun"
                      : import.atomic && summary.refused > 0 ? "Hx.CRM.TkContact.Exchange.SummaryAtomic"
                                                              : "Hx.CRM.TkContact.Exchange.Summary";
    PrintMessage(ResTextParams(key, {Value(summary.added), Value(summary.refused)}));
    return ok ? kOk : kFailed;
}

}  // namespace sovrel::cli
