// The public-utility object's print and export operations: print styles per user and table in
// tksystem, the print data text from the list's grid, the export type and size lists, and the
// export's outcome told to the user.
#include <pugixml.hpp>

#include <algorithm>

#include "host/print_control.h"
#include "../session/support.h"
#include "common/hosts/controls.h"
#include "host/export.h"
#include "host/presenter.h"
#include "host/pub_util.h"
#include "host/session.h"
#include "platform/db/field.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "platform/text.h"

namespace host {

namespace txt = platform::text;
using detail::Sql;

namespace {

constexpr const char* kDefaultStyle = "Default";
// Screen pixels per character of the grid's font, to turn its column widths into sizes.
constexpr long kPixelsPerChar = 7;

print::Sheet GridColumns(sovrel::IFlexGrid& grid) {
    print::Sheet sheet;
    for (long c = 2; c < grid.Cols(); ++c) {
        const long width = grid.ColWidth(c);
        if (width == 0) continue;  // hidden in the list, hidden on paper
        sheet.columns.push_back({grid.TextMatrix(0, c), 202, static_cast<int>(std::max(1L, width / kPixelsPerChar)),
                                 static_cast<int>(c)});
    }
    return sheet;
}

}  // namespace

void PubUtil::GetPrnStyle(const std::string& name, std::string& style, const std::string& table,
                          const std::shared_ptr<sovrel::IClsCommon>& /*dataService*/, sovrel::IFlexGrid& grid) {
    std::string userId;
    auto db = detail::Open(SettingsDatabase(userId, "PubUtil.GetPrnStyle"));
    auto rs = db->OpenRowset("SELECT cStyle FROM UA_PrintStyle WHERE cUser_Id = " + Sql(userId) +
                             " AND cTableName = " + Sql(table) + " AND cStyleName = " +
                             Sql(txt::Trim(name).empty() ? kDefaultStyle : txt::Trim(name)));
    if (!rs->Eof() && !rs->Get(0).ToText().empty()) {
        style = rs->Get(0).ToText();
        return;
    }
    style = print::StyleText(print::DefaultStyle(GridColumns(grid)));
}

void PubUtil::SavePrnStyle(std::shared_ptr<sovrel::IClsCommon>& /*dataService*/, const std::string& table,
                           const std::string& style) {
    const auto parsed = print::ParseStyle(style);
    if (!parsed)
        throw platform::Error(platform::errnum::InvalidOperation, "PubUtil.SavePrnStyle",
                              "the text is not a print style: nothing was stored");
    if (txt::Trim(table).empty() || txt::Len(table) > 60)
        throw platform::Error(platform::errnum::InvalidOperation, "PubUtil.SavePrnStyle",
                              "the style's table '" + table + "' must be 1 to 60 characters");
    const std::string name = txt::Trim(parsed->name).empty() ? kDefaultStyle : txt::Left(txt::Trim(parsed->name), 60);
    std::string userId;
    auto db = detail::Open(SettingsDatabase(userId, "PubUtil.SavePrnStyle"));
    const std::string key = " WHERE cUser_Id = " + Sql(userId) + " AND cTableName = " + Sql(table) +
                            " AND cStyleName = " + Sql(name);
    db->BeginTrans();
    try {
        db->Execute("DELETE FROM UA_PrintStyle" + key);
        db->Execute("INSERT INTO UA_PrintStyle (cUser_Id, cTableName, cStyleName, cStyle) VALUES (" + Sql(userId) +
                    ", " + Sql(table) + ", " + Sql(name) + ", " + Sql(style) + ")");
        db->CommitTrans();
    } catch (...) {
        db->RollbackTrans();
        throw;
    }
}

bool PubUtil::InitParameter(std::string& parameter) {
    pugi::xml_document doc;
    const auto parsed = doc.load_string(parameter.c_str());
    auto root = doc.child("TableName");
    if (!parsed || !root) {
        parameter = "not a print parameter text: " + parameter;
        return false;
    }
    const std::string year = txt::Trim(root.child("g_Year").text().as_string());
    const bool fourDigits = year.size() == 4 && std::all_of(year.begin(), year.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!fourDigits) {
        parameter = "the year '" + year + "' is not four digits";
        return false;
    }
    std::lock_guard lock(mutex_);
    print_.year = year;
    print_.printNumbers = txt::EqualsNoCase(txt::Trim(root.child("g_bPrnNo").text().as_string()), "true");
    return true;
}

PubUtil::PrintParameters PubUtil::Parameters() {
    std::lock_guard lock(mutex_);
    return print_;
}

void PubUtil::GetData(const std::shared_ptr<sovrel::IClsCommon>& /*dataService*/, sovrel::IFlexGrid& grid,
                      const std::string& userName, const std::string& userId, const std::string& year,
                      const std::string& title, std::string& data) {
    print::Sheet sheet = GridColumns(grid);
    sheet.title = title;
    sheet.user = userName.empty() ? userId : userName + " (" + userId + ")";
    sheet.year = year.empty() ? Parameters().year : year;
    sheet.printDate = detail::NowText().substr(0, 16);
    sheet.rows.reserve(static_cast<std::size_t>(std::max(0L, grid.Rows() - 1)));
    for (long r = 1; r < grid.Rows(); ++r) {
        auto& row = sheet.rows.emplace_back();
        row.reserve(sheet.columns.size());
        for (const auto& c : sheet.columns) row.push_back(grid.TextMatrix(r, c.field));
    }
    data = print::DataText(sheet);
}

void PubUtil::GetTypeSize(const std::shared_ptr<platform::db::Rowset>& rs, std::string& types, std::string& sizes) {
    namespace db = platform::db;
    types = ",";
    sizes = ",";
    if (!rs) return;
    for (std::size_t i = 0; i < rs->FieldCount(); ++i) {
        const db::FieldInfo& f = rs->Field(i);
        long size = 10;
        switch (f.type) {
            case db::adBoolean: size = 1; break;
            case db::adTinyInt: case db::adUnsignedTinyInt: case db::adSmallInt: size = 6; break;
            case db::adInteger: size = 11; break;
            case db::adBigInt: size = 20; break;
            case db::adSingle: case db::adDouble: case db::adCurrency: case db::adDecimal: case db::adNumeric:
                size = 15;
                break;
            case db::adDate: size = 10; break;
            case db::adDBTimeStamp: size = 19; break;
            case db::adGUID: size = 38; break;
            case db::adChar: case db::adWChar: case db::adVarChar: case db::adVarWChar: case db::adLongVarChar:
            case db::adLongVarWChar:
                // Long texts (ntext) print at a readable width and wrap.
                size = f.definedSize > 0 ? std::min(f.definedSize, 80L) : 20;
                break;
            default: break;
        }
        types += std::to_string(f.type) + ",";
        sizes += std::to_string(size) + ",";
    }
}

void PubUtil::PrintMsg(long result, const std::string& /*table*/) {
    const print::Outcome& out = print::LastOutcome();
    const std::string language = detail::CurrentLanguage();
    auto text = [&](const char* key, std::vector<std::string> params = {}) {
        return detail::HostText(language, key, params);
    };
    std::string message;
    switch (result) {
        case print::result::Exported:
            message = text("Hx.AA.PUB.Print.Exported", {out.path});
            for (const auto& [row, caption] : out.cut) message += "\n" + text("Hx.AA.PUB.Print.Cut", {std::to_string(row), caption});
            break;
        case print::result::Cancelled: return;
        case print::result::CannotWrite: message = text("Hx.AA.PUB.Print.CannotWrite", {out.path, out.detail}); break;
        case print::result::NoData: message = text("Hx.AA.PUB.Print.NoData"); break;
        case print::result::TooLong: {
            const auto comma = out.detail.find(',');
            message = text("Hx.AA.PUB.Print.TooLong",
                           {out.detail.substr(0, comma), comma == std::string::npos ? "" : out.detail.substr(comma + 1)});
            break;
        }
        default: message = text("Hx.AA.PUB.Print.BadFormat", {out.detail}); break;
    }
    PresentMessage(text("Hx.AA.PUB.Print.ExportTitle"), message);
}

}  // namespace host
