// The general filter's conditions as T-SQL, its stored definitions, and the service object.
#include <QDate>

#include <algorithm>
#include <mutex>

#include "../session/support.h"
#include "host/filter.h"
#include "host/services.h"
#include "host/session.h"
#include "platform/diagnostics.h"
#include "platform/error.h"
#include "platform/text.h"
#include "xml_tree.h"

namespace host {

namespace txt = platform::text;
using detail::Sql;

namespace {

constexpr const char* kOpNames[kFilterOpCount] = {"eq", "ne", "contains", "begins", "gt", "lt", "between", "empty", "notempty"};
constexpr const char* kLastKey = "Last";
constexpr std::size_t kMaxName = 60;

std::string Section(const std::string& filterName) { return "Filter:" + filterName; }
std::string LastSection(const std::string& filterName) { return "FilterLast:" + filterName; }

// A LIKE pattern's literal part: the pattern characters of T-SQL bracketed so they match themselves.
std::string LikeLiteral(const std::string& value) {
    std::string out;
    for (char c : value) {
        if (c == '%' || c == '_' || c == '[') out += std::string("[") + c + "]";
        else out += c;
    }
    return out;
}

// A plain decimal number ("-12", "3.50", ".5"), written back without spaces; false otherwise.
bool NumberLiteral(const std::string& value, std::string& out) {
    const std::string t = txt::Trim(value);
    std::size_t i = 0, digits = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) ++digits;
    if (i < t.size() && t[i] == '.')
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) ++digits;
    if (digits == 0 || i != t.size() || t.size() > 38) return false;
    out = t[0] == '+' ? t.substr(1) : t;
    if (out[0] == '.' || (out[0] == '-' && out.size() > 1 && out[1] == '.')) out.insert(out[0] == '-' ? 1 : 0, "0");
    return true;
}

// A calendar date "yyyy-mm-dd" (also "yyyy/m/d").
bool ParseDate(const std::string& value, QDate& out) {
    const QString t = QString::fromStdString(txt::Trim(value)).replace('/', '-');
    out = QDate::fromString(t, "yyyy-M-d");
    return out.isValid();
}

std::string DateLiteral(const QDate& d) {
    return "convert(datetime, " + Sql(d.toString("yyyy-MM-dd").toStdString()) + ")";
}

}  // namespace

bool FilterOpFits(FilterOp op, const std::string& type) {
    if (op == FilterOp::Contains || op == FilterOp::BeginsWith) return type == "text";
    if (type == "bool") return op == FilterOp::Equals || op == FilterOp::NotEqual;
    return true;
}

bool BuildFilterSql(const std::vector<FilterColumn>& columns, const std::vector<FilterCondition>& conditions,
                    const std::string& language, std::string& sql, std::string& problem) {
    sql.clear();
    problem.clear();
    std::string out;
    for (const auto& c : conditions) {
        auto col = std::find_if(columns.begin(), columns.end(),
                                [&](const FilterColumn& f) { return txt::EqualsNoCase(f.name, c.column); });
        if (col == columns.end()) {
            problem = detail::HostText(language, "Hx.AA.FILTER.UnknownColumn", {c.column});
            return false;
        }
        if (!FilterOpFits(c.op, col->type)) {
            problem = detail::HostText(language, "Hx.AA.FILTER.OpNotForColumn", {col->caption});
            return false;
        }
        const std::string& e = col->expression;
        // Each value as a literal of the column's kind; for a date also the day after (equality
        // and "less or equal" cover the whole day whatever the time).
        std::string v1, v2;
        QDate d1, d2;
        auto literal = [&](const std::string& value, std::string& out, QDate& date) {
            if (col->type == "number") {
                if (NumberLiteral(value, out)) return true;
                problem = detail::HostText(language, "Hx.AA.FILTER.NotANumber", {col->caption, value});
                return false;
            }
            if (col->type == "date") {
                if (ParseDate(value, date)) {
                    out = DateLiteral(date);
                    return true;
                }
                problem = detail::HostText(language, "Hx.AA.FILTER.NotADate", {col->caption, value});
                return false;
            }
            if (col->type == "bool") {
                const std::string l = txt::LCase(txt::Trim(value));
                if (l == "1" || l == "true" || l == "-1") out = "1";
                else if (l == "0" || l == "false") out = "0";
                else {
                    problem = detail::HostText(language, "Hx.AA.FILTER.NotAFlag", {col->caption, value});
                    return false;
                }
                return true;
            }
            out = Sql(value);
            return true;
        };
        const bool needsValue = c.op != FilterOp::IsEmpty && c.op != FilterOp::IsNotEmpty;
        if (needsValue && !literal(c.value, v1, d1)) return false;
        if (c.op == FilterOp::Between && !literal(c.value2, v2, d2)) return false;
        const bool text = col->type == "text", date = col->type == "date";
        auto nextDay = [](const QDate& d) { return DateLiteral(d.addDays(1)); };
        std::string one;
        switch (c.op) {
            case FilterOp::Equals:
                one = date ? e + " >= " + v1 + " AND " + e + " < " + nextDay(d1) : e + " = " + v1;
                break;
            case FilterOp::NotEqual:
                one = date ? e + " < " + v1 + " OR " + e + " >= " + nextDay(d1) + " OR " + e + " IS NULL"
                           : e + " <> " + v1 + " OR " + e + " IS NULL";
                break;
            case FilterOp::Contains: one = e + " LIKE " + Sql("%" + LikeLiteral(c.value) + "%"); break;
            case FilterOp::BeginsWith: one = e + " LIKE " + Sql(LikeLiteral(c.value) + "%"); break;
            case FilterOp::Greater: one = date ? e + " >= " + nextDay(d1) : e + " > " + v1; break;
            case FilterOp::Less: one = e + " < " + v1; break;
            case FilterOp::Between:
                one = date ? e + " >= " + v1 + " AND " + e + " < " + nextDay(d2)
                           : e + " >= " + v1 + " AND " + e + " <= " + v2;
                break;
            case FilterOp::IsEmpty: one = e + " IS NULL" + (text ? " OR " + e + " = N''" : std::string()); break;
            case FilterOp::IsNotEmpty:
                one = e + " IS NOT NULL" + (text ? " AND " + e + " <> N''" : std::string());
                break;
        }
        if (!out.empty()) out += c.orWithPrevious ? " OR " : " AND ";
        out += "(" + one + ")";
    }
    sql = out.empty() ? "" : "(" + out + ")";
    return true;
}

std::string FilterDefinitionText(const std::vector<FilterCondition>& conditions) {
    using detail::XmlEscape;
    std::string x = "<Filter version=\"1\">";
    for (const auto& c : conditions)
        x += std::string("<Condition join=\"") + (c.orWithPrevious ? "or" : "and") + "\" column=\"" +
             XmlEscape(c.column) + "\" op=\"" + kOpNames[static_cast<int>(c.op)] + "\" value=\"" + XmlEscape(c.value) +
             "\" value2=\"" + XmlEscape(c.value2) + "\"/>";
    return x + "</Filter>";
}

bool ParseFilterDefinition(const std::string& text, std::vector<FilterCondition>& conditions) {
    auto doc = detail::ParseXml(text);
    if (!doc.ok || doc.root.name != "Filter") return false;
    std::vector<FilterCondition> out;
    for (const auto& e : doc.root.children) {
        if (e.name != "Condition") return false;
        FilterCondition c;
        c.orWithPrevious = e.AttrOr("join", "and") == "or";
        c.column = e.AttrOr("column", "");
        const std::string op = e.AttrOr("op", "");
        const auto it = std::find(std::begin(kOpNames), std::end(kOpNames), op);
        if (it == std::end(kOpNames) || c.column.empty()) return false;
        c.op = static_cast<FilterOp>(it - std::begin(kOpNames));
        c.value = e.AttrOr("value", "");
        c.value2 = e.AttrOr("value2", "");
        out.push_back(std::move(c));
    }
    conditions = std::move(out);
    return true;
}

// ---- Stored definitions ------------------------------------------------------------------

std::vector<std::string> FilterDefinitionNames(const std::string& systemText, const std::string& userId,
                                               const std::string& filterName) {
    auto db = detail::Open(systemText);
    auto rs = db->OpenRowset("SELECT cKey FROM UA_Setting WHERE cUser_Id = " + Sql(userId) +
                             " AND cSection = " + Sql(Section(filterName)) + " ORDER BY cKey");
    std::vector<std::string> names;
    for (; !rs->Eof(); rs->MoveNext()) names.push_back(rs->Get(0).ToText());
    return names;
}

namespace {

void Store(const std::string& systemText, const std::string& userId, const std::string& section,
           const std::string& name, const std::string& value) {
    auto db = detail::Open(systemText);
    db->Execute("DELETE FROM UA_Setting WHERE cUser_Id = " + Sql(userId) + " AND cSection = " + Sql(section) +
                " AND cKey = " + Sql(name) + "; INSERT INTO UA_Setting (cUser_Id, cSection, cKey, cValue) VALUES (" +
                Sql(userId) + ", " + Sql(section) + ", " + Sql(name) + ", " + Sql(value) + ")");
}

bool Fetch(const std::string& systemText, const std::string& userId, const std::string& section,
           const std::string& name, std::vector<FilterCondition>& conditions) {
    auto db = detail::Open(systemText);
    auto rs = db->OpenRowset("SELECT cValue FROM UA_Setting WHERE cUser_Id = " + Sql(userId) +
                             " AND cSection = " + Sql(section) + " AND cKey = " + Sql(name));
    return !rs->Eof() && ParseFilterDefinition(rs->Get(0).ToText(), conditions);
}

}  // namespace

void SaveFilterDefinition(const std::string& systemText, const std::string& userId, const std::string& filterName,
                          const std::string& name, const std::vector<FilterCondition>& conditions) {
    const std::string trimmed = txt::Trim(name);
    if (trimmed.empty() || txt::Len(trimmed) > kMaxName)
        throw platform::Error(platform::errnum::InvalidOperation, "FilterSrv.SaveDefinition",
                              "a filter definition needs a name of 1 to 60 characters");
    Store(systemText, userId, Section(filterName), trimmed, FilterDefinitionText(conditions));
}

bool LoadFilterDefinition(const std::string& systemText, const std::string& userId, const std::string& filterName,
                          const std::string& name, std::vector<FilterCondition>& conditions) {
    return Fetch(systemText, userId, Section(filterName), txt::Trim(name), conditions);
}

void DeleteFilterDefinition(const std::string& systemText, const std::string& userId, const std::string& filterName,
                            const std::string& name) {
    auto db = detail::Open(systemText);
    db->Execute("DELETE FROM UA_Setting WHERE cUser_Id = " + Sql(userId) + " AND cSection = " +
                Sql(Section(filterName)) + " AND cKey = " + Sql(txt::Trim(name)));
}

std::vector<FilterColumn> ContactListFilterColumns(const std::string& accountText, const std::string& userId) {
    ColumnSetService service;
    service.Init(accountText, userId);
    std::vector<FilterColumn> columns;
    for (const auto& c : service.Columns("Ven_Contact", 0)) {
        if (c.fixed) continue;  // the selection column holds nothing to filter
        columns.push_back({c.name, c.caption, c.expression, c.type});
    }
    return columns;
}

// ---- The service object ------------------------------------------------------------------

namespace {
std::mutex presenterMutex;
FilterPresenter& Presenter() {
    static FilterPresenter presenter = ShowFilterDialog;
    return presenter;
}
}  // namespace

FilterPresenter SetFilterPresenter(FilterPresenter presenter) {
    std::lock_guard lock(presenterMutex);
    FilterPresenter previous = std::move(Presenter());
    Presenter() = presenter ? std::move(presenter) : FilterPresenter(ShowFilterDialog);
    return previous;
}

bool FilterService::OpenFilter(const std::shared_ptr<sovrel::ILogin>& login, const std::string& filterName,
                               const std::string& /*option1*/, const std::string& /*option2*/, std::string& message) {
    message.clear();
    if (!login) {
        message = detail::HostText("zh-CN", "Hx.AA.FILTER.NoLogin");
        return false;
    }
    FilterDialogRequest request;
    request.filterName = filterName;
    request.language = detail::LanguageOf(login.get());
    request.accountText = login->tkDBName();
    request.systemText = detail::SystemConnectionText(request.accountText);
    request.userId = login->cUserId();
    try {
        request.columns = ContactListFilterColumns(request.accountText, request.userId);
        Fetch(request.systemText, request.userId, LastSection(filterName), kLastKey, request.conditions);
    } catch (const std::exception& e) {
        message = e.what();
        return false;
    }
    FilterPresenter presenter;
    {
        std::lock_guard lock(presenterMutex);
        presenter = Presenter();
    }
    if (!presenter(request)) return false;
    std::string sql, problem;
    if (!BuildFilterSql(request.columns, request.conditions, request.language, sql, problem)) {
        message = problem;
        return false;
    }
    try {
        Store(request.systemText, request.userId, LastSection(filterName), kLastKey,
              FilterDefinitionText(request.conditions));
    } catch (const std::exception& e) {
        platform::DebugOutput(std::string("FilterSrv: the last filter was not kept: ") + e.what());
    }
    where_ = sql;
    return true;
}

}  // namespace host
