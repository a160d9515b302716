#include "service/history.h"

#include "common/context.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "entry/authority.h"
#include "platform/db/rowset.h"
#include "service/iclscommon.h"

namespace sovrel::history {

namespace db = platform::db;
using db::Value;

namespace {

thread_local std::string_view scopedKind;

const Value& At(const Values& values, std::size_t i) {
    static const Value null = Value::Null();
    return i < values.size() ? values[i] : null;
}

// A value read back from the database and the same value as the rowset was given may differ in
// kind (a whole number for a bit, say) but not in text.
bool Same(const Value& a, const Value& b) {
    if (a.IsNullOrEmpty() || b.IsNullOrEmpty()) return a.IsNullOrEmpty() == b.IsNullOrEmpty();
    return a == b || a.ToText() == b.ToText();
}

Value TextOrNull(const Value& v) { return v.IsNullOrEmpty() ? Value::Null() : Value(v.ToText()); }

std::string Text(const db::Rowset& row, const Values& before, const Values& after, const char* column) {
    const int i = row.FieldIndex(column);
    if (i < 0) return {};
    const Value& v = At(after, static_cast<std::size_t>(i)).IsNullOrEmpty() ? At(before, static_cast<std::size_t>(i))
                                                                            : At(after, static_cast<std::size_t>(i));
    return v.ToText();
}

std::string Since(const std::string& column, const std::string& since) {
    return since.empty() ? std::string() : " AND " + column + " >= " + SqlText(since);
}

// The user's row authority over the history's vendor column.
std::string Visible(const std::string& column) {
    const std::string condition = VendorCodeCondition(column);
    return condition.empty() ? std::string() : " AND " + condition;
}

std::string Listing(const std::string& where) {
    return "SELECT " + std::string(kListColumns) + " FROM " + std::string(kTable) + " WHERE " + where +
           Visible("cVenCode") + " ORDER BY ID";
}

}  // namespace

ScopedKind::ScopedKind(std::string_view kind) : previous_(scopedKind) { scopedKind = kind; }
ScopedKind::~ScopedKind() { scopedKind = previous_; }

Values RowValues(const db::Rowset& row) {
    Values out;
    out.reserve(row.FieldCount());
    for (std::size_t i = 0; i < row.FieldCount(); ++i) out.push_back(row.Get(i));
    return out;
}

Statement ChangeStatement(std::string_view kind, const db::Rowset& row, const Values& before, const Values& after) {
    const Context& c = Ctx();
    const Value code(Text(row, before, after, "cContactCode")), vendor(Text(row, before, after, "cVenCode"));
    const int version = row.FieldIndex("tkts");  // the row version changes with every write
    constexpr std::size_t kPerRow = 5;
    Statement out;
    out.params.reserve(kPerRow * row.FieldCount());
    for (std::size_t i = 0; i < row.FieldCount(); ++i) {
        const Value& old = At(before, i);
        const Value& now = At(after, i);
        if (static_cast<int>(i) == version || Same(old, now)) continue;
        for (const Value* v : {&code, &vendor}) out.params.push_back(*v);
        out.params.emplace_back(row.Field(i).name);
        out.params.push_back(TextOrNull(old));
        out.params.push_back(TextOrNull(now));
    }
    const std::size_t rows = out.params.size() / kPerRow;
    if (rows == 0) return out;
    constexpr std::string_view head =
        " (cContactCode, cVenCode, cColumn, cOldValue, cNewValue, cUserId, cUserName, cKind, dChanged) VALUES ";
    // What every row of one session's changes of one kind shares is written in, so that fewer
    // values go with each save.
    const std::string values = ", (?, ?, ?, ?, ?, " + SqlText(c.UserId) + ", " + SqlText(c.UserName) + ", " +
                               SqlText(scopedKind.empty() ? kind : scopedKind) + ", GETDATE())";
    out.sql.reserve(12 + kTable.size() + head.size() + rows * values.size());
    out.sql.append("INSERT INTO ").append(kTable).append(head);
    for (std::size_t r = 0; r < rows; ++r) out.sql.append(std::string_view(values).substr(r ? 0 : 2));
    return out;
}

std::string CodeCondition(const std::string& column, const std::string& code) {
    return column + " = " + SqlText(code) + " COLLATE Latin1_General_BIN";
}

std::string ContactStatement(const std::string& code, const std::string& since) {
    return Listing(CodeCondition("cContactCode", code) + Since("dChanged", since));
}

std::string UserStatement(const std::string& userId, const std::string& since) {
    return Listing("cUserId = " + SqlText(userId) + Since("dChanged", since));
}

std::string DeletedStatement(const std::string& code) {
    const std::string table(kTable);
    return "SELECT h.cContactCode, h.cColumn, h.cOldValue, h.cUserId, h.cUserName, h.dChanged FROM " + table +
           " h WHERE h.cKind = " + SqlText(kind::Delete) +
           (code.empty() ? std::string() : " AND " + CodeCondition("h.cContactCode", code)) +
           // A contact's code is one in any case, as the contacts' own index has it.
           " AND NOT EXISTS (SELECT 1 FROM Ven_Contact c WHERE c.cContactCode = h.cContactCode COLLATE Chinese_PRC_CI_AS)"
           // The rows of the last delete: none of the contact's later rows is of another kind.
           " AND NOT EXISTS (SELECT 1 FROM " + table + " n WHERE n.cContactCode = h.cContactCode COLLATE Latin1_General_BIN"
           " AND n.ID > h.ID AND n.cKind <> " + SqlText(kind::Delete) + ")" +
           Visible("h.cVenCode") + " ORDER BY h.cContactCode, h.ID";
}

}  // namespace sovrel::history

namespace sovrel::history {

bool ReadContact(IClsCommon& service, const std::string& code, std::vector<Change>& changes, std::string& message) {
    changes.clear();
    message.clear();
    bool ok = false;
    RowsetPtr rows = service.OpenX(ContactStatement(code, ""), &ok, &message);
    if (!rows) return false;
    // Read oldest first, then turned round change by change: one change's rows share their time,
    // user and kind and follow each other by ID.
    std::vector<Change> read;
    std::vector<std::size_t> starts;
    for (; !rows->Eof(); rows->MoveNext()) {
        Change c{rows->Get("cColumn").ToText(),   rows->Get("cOldValue").ToText(), rows->Get("cNewValue").ToText(),
                 rows->Get("cUserId").ToText(),   rows->Get("cUserName").ToText(), rows->Get("dChanged").ToText(),
                 rows->Get("cKind").ToText()};
        const bool sameChange = !read.empty() && read.back().changed == c.changed && read.back().userId == c.userId &&
                                read.back().kind == c.kind;
        if (!sameChange) starts.push_back(read.size());
        read.push_back(std::move(c));
    }
    changes.reserve(read.size());
    for (std::size_t s = starts.size(); s-- > 0;) {
        const std::size_t end = s + 1 < starts.size() ? starts[s + 1] : read.size();
        for (std::size_t i = starts[s]; i < end; ++i) changes.push_back(std::move(read[i]));
    }
    return true;
}

std::string StoredCode(IClsCommon& service, const std::string& code) {
    const std::string table(kTable);
    // The last look-up reads the history through; it is asked only for a code no contact has and
    // the history does not have as typed.
    for (const std::string& sql :
         {"SELECT TOP 1 cContactCode FROM Ven_Contact WHERE cContactCode = " + SqlText(code),
          "SELECT TOP 1 cContactCode FROM " + table + " WHERE " + CodeCondition("cContactCode", code),
          "SELECT TOP 1 cContactCode FROM " + table + " WHERE cContactCode = " + SqlText(code) + " ORDER BY ID DESC"}) {
        bool ok = false;
        std::string message;
        RowsetPtr rows = service.OpenX(sql, &ok, &message);
        if (rows && !rows->Eof()) return rows->Get(std::size_t{0}).ToText();
    }
    return code;
}

bool Restore(IClsCommon& service, const std::string& typed, std::string& message) {
    message.clear();
    std::string error;
    bool ok = false;
    const std::string code = StoredCode(service, typed);
    RowsetPtr rows = service.OpenX(DeletedStatement(code), &ok, &error);
    if (!rows) {
        message = error;
        return false;
    }
    if (rows->Eof()) {
        message = ResTextParams("Hx.CRM.TkContact.History.NotDeleted", {Value(typed)});
        return false;
    }
    std::string xml = "<Ven_Contact>";
    for (; !rows->Eof(); rows->MoveNext()) {
        const std::string column = rows->Get("cColumn").ToText();
        if (!IsSqlName(column)) continue;  // a name no statement of ours wrote
        // The service reads record XML with every & as text (UTLCase), so a value goes in as it is;
        // a "<" could not, and would end the element.
        const std::string value = rows->Get("cOldValue").ToText();
        if (value.find('<') != std::string::npos) {
            message = ResTextParams("Hx.CRM.TkContact.History.CannotRestore", {Value(code), Value(column)});
            return false;
        }
        xml += "<" + column + ">" + value + "</" + column + ">";
    }
    xml += "</Ven_Contact>";
    std::string table = "Ven_Contact";
    ScopedKind restore(kind::Restore);
    return service.Add(xml, table, message);
}

}  // namespace sovrel::history
