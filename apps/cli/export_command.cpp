// sovrel export SQL FILE [--format xlsx|csv|pdf]: a query's rows written as the list's export
// writes them (the same writers, type and size lists and page layout).
#include <QGuiApplication>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "common/account_year.h"
#include "common/context.h"
#include "common/texts.h"
#include "host/export.h"
#include "host/print_control.h"
#include "host/pub_util.h"
#include "options.h"
#include "platform/db/rowset.h"
#include "service/iclscommon.h"
#include "session.h"
#include "terminal.h"

namespace sovrel::cli {

namespace {

// PDF pages are laid out with fonts, which need the GUI layer; the program has no window.
std::unique_ptr<QGuiApplication> GuiForPages() {
    if (QCoreApplication::instance()) return nullptr;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "sovrel";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// The query's rows as their texts, read again from the first whenever a writer asks.
class QueryRows final : public host::print::RowSource {
public:
    explicit QueryRows(RowsetPtr rows) : rows_(std::move(rows)) {}
    bool Read(const std::function<bool(const std::vector<std::string>&)>& each) const override {
        std::vector<std::string> row(rows_->FieldCount());
        for (rows_->MoveFirst(); !rows_->Eof(); rows_->MoveNext()) {
            for (std::size_t f = 0; f < row.size(); ++f) row[f] = rows_->Get(f).ToText();
            if (!each(row)) return false;
        }
        return true;
    }

private:
    RowsetPtr rows_;
};

}  // namespace

int RunExport(const GlobalOptions& options, std::span<const std::string> args) {
    std::optional<std::string> sql, file, formatName;
    for (std::size_t i = 0; i < args.size();) {
        if (auto v = TakeValue(args, i, "--format")) formatName = *v;
        else if (args[i].starts_with("--")) throw UsageError("export: unknown option " + args[i]);
        else if (!sql) sql = args[i++];
        else if (!file) file = args[i++];
        else throw UsageError("export: give the statement as one argument (put it in quotes), then the file");
    }
    if (!sql) throw UsageError("export: no SQL statement given");
    if (!file) throw UsageError("export: no file given");
    std::optional<host::print::Format> format =
        formatName ? host::print::FormatFromName(*formatName) : host::print::FormatOfPath(*file);
    if (!format)
        throw UsageError(formatName ? "export: --format must be xlsx, csv or pdf, not " + *formatName
                                    : "export: name the format with --format xlsx|csv|pdf (the file has no such extension)");

    // Raw SQL reads past every row authority: an administrator's.
    ServiceSession session(options, {.rights = {right::Export}, .administration = true});
    bool flag = false;
    std::string error;
    // Read a page at a time and written as they come: no more than a few pages are held.
    RowsetPtr rows = session.Service().OpenPaged(*sql, &flag, &error);
    if (!rows) {
        PrintMessage(Ctx().PendingMessage);
        if (error != Ctx().PendingMessage) PrintMessage(error);
        return kFailed;
    }
    host::print::Sheet sheet;
    sheet.title = std::filesystem::path(*file).stem().string();
    sheet.user = Ctx().UserName.empty() ? Ctx().UserId : Ctx().UserName + " (" + Ctx().UserId + ")";
    ReadYear(AccountPart(Ctx().DbName), sheet.year);
    sheet.printDate = Ctx().LoginDate;
    for (std::size_t f = 0; f < rows->FieldCount(); ++f)
        sheet.columns.push_back({rows->Field(f).name, 202, 10, static_cast<int>(f + 1)});
    std::string types, sizes;
    host::PubUtil().GetTypeSize(rows, types, sizes);
    host::print::ApplyTypeSize(sheet, types, sizes);
    sheet.source = std::make_shared<QueryRows>(rows);
    auto gui = *format == host::print::Format::Pdf ? GuiForPages() : nullptr;
    host::print::PageStyle style = host::print::DefaultStyle(sheet);
    const auto out = host::print::Export(sheet, *file, *format, style, host::print::PrintControl::Texts());
    if (out.result != host::print::result::Exported) {
        PrintError("export: " + *file + ": " + (out.detail.empty() ? "nothing was written" : out.detail) +
                   " (no file was written)");
        return kFailed;
    }
    Print(stdout, "%ld rows written to %s\n", rows->RecordCount(), file->c_str());
    for (const auto& [row, caption] : out.cut)
        PrintMessage(ResTextParams("Hx.AA.PUB.Print.Cut", {platform::db::Value(row), platform::db::Value(caption)}));
    return kOk;
}

}  // namespace sovrel::cli
