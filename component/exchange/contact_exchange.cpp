#include "exchange/contact_exchange.h"

#include <algorithm>
#include <filesystem>
#include <span>

#include "common/context.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "exchange/code_fields.h"
#include "exchange/csv.h"
#include "exchange/record.h"
#include "exchange/vcard.h"
#include "platform/db/rowset.h"
#include "platform/file_beside.h"
#include "platform/text.h"
#include "service/iclscommon.h"

namespace sovrel::exchange {

namespace txt = platform::text;
namespace fs = std::filesystem;
using platform::db::Value;

namespace {

// Codes asked for in one statement: a list of all 100,000 contacts of a large account would make
// one statement of megabytes.
constexpr std::size_t kCodesPerStatement = 500;

std::string ExportStatement(const std::string& vendor, std::span<const std::string> codes, const std::string& codeQuery) {
    std::string sql = "SELECT ";
    for (std::string_view f : kFields)
        if (!IsCodeField(f)) sql += "Ven_Contact." + std::string(f) + ", ";
    for (const auto& c : kCodeFields) sql += std::string(c.alias) + ".cName AS " + std::string(c.field) + ", ";
    sql += "vendor.cVenName FROM Ven_Contact LEFT JOIN vendor ON vendor.cVenCode = Ven_Contact.cVenCode";
    for (const auto& c : kCodeFields)
        sql += " LEFT JOIN Crm_BaseCode " + std::string(c.alias) + " ON " + std::string(c.alias) +
               ".ID = Ven_Contact." + std::string(c.field);
    sql += " WHERE 1=1";
    if (!vendor.empty()) sql += " AND Ven_Contact.cVenCode = " + SqlText(vendor);
    // The vendors the user may see; empty for a caller that sets no row authority.
    if (!Ctx().VendorRowAuth.empty()) sql += " AND " + Ctx().VendorRowAuth;
    if (!codes.empty()) {
        sql += " AND Ven_Contact.cContactCode IN (";
        for (std::size_t i = 0; i < codes.size(); ++i) sql += (i ? "," : "") + SqlText(codes[i]);
        sql += ")";
    }
    // However many contacts it answers, the statement stays this size.
    if (!codeQuery.empty()) sql += " AND Ven_Contact.cContactCode IN (" + codeQuery + ")";
    return sql + " ORDER BY Ven_Contact.cContactCode";
}

}  // namespace

std::optional<Format> FormatOfPath(const std::string& path) {
    const std::string ext = txt::LCase(fs::path(path).extension().string());
    if (ext == ".vcf" || ext == ".vcard") return Format::VCard;
    if (ext == ".csv") return Format::Csv;
    return std::nullopt;
}

bool ExportContacts(IClsCommon& service, const std::string& path, Format format, const std::string& vendor,
                    const std::vector<std::string>& codes, long& count, std::string& sMsg, const std::string& codeQuery) {
    count = 0;
    sMsg.clear();
    try {
        platform::FileBeside file(path);
        auto cannotWrite = [&]() {
            sMsg = ResTextParams(file.ReadOnly() ? "Hx.CRM.TkContact.Exchange.ReadOnly" : "Hx.CRM.TkContact.Exchange.CannotWrite",
                                 {Value(path)});
            if (!file.ReadOnly() && !file.Error().empty()) sMsg += " (" + file.Error() + ")";
            return false;
        };
        if (!file.Ok()) return cannotWrite();
        std::string out;
        auto flush = [&](std::size_t above) {
            if (out.size() <= above) return true;
            if (!file.WriteAll(out.data(), out.size())) return false;
            out.clear();
            return true;
        };
        if (format == Format::Csv) out = "\xEF\xBB\xBF" + CsvHeader();  // the mark tells spreadsheets it is UTF-8
        std::vector<std::string> sorted(codes);
        std::sort(sorted.begin(), sorted.end());  // so that the pieces follow one another in code order
        const std::span<const std::string> all(sorted);
        bool ok = true;
        for (std::size_t from = 0; from == 0 || from < codes.size(); from += kCodesPerStatement) {
            const auto some = codes.empty() ? all : all.subspan(from, std::min(kCodesPerStatement, codes.size() - from));
            auto rs = service.OpenForward(ExportStatement(vendor, some, codeQuery), &ok, &sMsg);
            if (!rs || !ok) {
                if (sMsg.empty()) sMsg = Ctx().PendingMessage;
                return false;
            }
            for (; !rs->Eof(); rs->MoveNext()) {
                Record r;
                for (std::string_view f : kFields) {
                    const Value v = rs->Get(std::string(f));
                    if (!v.IsNullOrEmpty()) r.Set(f, v.ToText());
                }
                const Value vendorName = rs->Get("cVenName");
                if (format == Format::Csv) out += CsvRow(r);
                else out += WriteVCard(r, vendorName.IsNullOrEmpty() ? "" : vendorName.ToText());
                ++count;
                if (!flush(64 * 1024)) return cannotWrite();
            }
        }
        if (!flush(0) || !file.Commit()) return cannotWrite();
        return true;
    } catch (const std::exception& e) {
        sMsg = e.what();
        return false;
    }
}

}  // namespace sovrel::exchange
