#include <algorithm>
#include <set>

#include <map>

#include "../crm/settings.h"
#include "../session/support.h"
#include "host/services.h"
#include "host/texts/text_table.h"
#include "xml_tree.h"
#include "common/logs.h"
#include "platform/db/field.h"
#include "platform/db/rowset.h"
#include "platform/diagnostics.h"
#include "platform/error.h"
#include "platform/text.h"

namespace host {

namespace txt = platform::text;
using detail::Sql;
using Column = ColumnSetService::Column;

namespace {

constexpr const char* kListKey = "Ven_Contact";
constexpr int kMaxWidth = 2000;

struct Default {
    const char* name;        // alias in the select list
    const char* expression;  // over Ven_Contact and the list's join aliases
    const char* column;      // Ven_Contact column whose caption it shows
    const char* type;
    int width;
    bool visible;
};

// The contact list's columns in the contact record's order; the display columns read the joined
// names under the join aliases of the list.
constexpr Default kDefaults[] = {
    {"cContactCode", "Ven_Contact.cContactCode", "cContactCode", "text", 110, true},
    {"cVenName", "vendor.cVenName", "cVenCode", "text", 200, true},
    {"cContactName", "Ven_Contact.cContactName", "cContactName", "text", 90, true},
    {"cAppellation", "Ven_Contact.cAppellation", "cAppellation", "text", 80, true},
    {"cSexName", "BaseCodeSex.cName", "bcSexID", "text", 50, true},
    {"cSuperiorName", "Contact1.cContactName", "cSuperiorID", "text", 90, true},
    {"cNative", "Ven_Contact.cNative", "cNative", "text", 80, false},
    {"cDutyName", "BaseCodeDuty.cName", "bcDutyID", "text", 90, true},
    {"dBirthday", "Ven_Contact.dBirthday", "dBirthday", "date", 90, false},
    {"cTasteName", "BaseCodeTaste.cName", "bcTasteID", "text", 80, false},
    {"cMarriageName", "BaseCodeMarriage.cName", "bcMarriageID", "text", 70, false},
    {"bMajor", "Ven_Contact.bMajor", "bMajor", "bool", 80, true},
    {"cPersonName", "Person.cPersonName", "cPrincipal", "text", 80, true},
    {"cCreator", "Ven_Contact.cCreator", "cCreator", "text", 80, false},
    {"dCreateDate", "Ven_Contact.dCreateDate", "dCreateDate", "date", 90, false},
    {"cOfficePhone", "Ven_Contact.cOfficePhone", "cOfficePhone", "text", 110, true},
    {"cHomePhone", "Ven_Contact.cHomePhone", "cHomePhone", "text", 110, false},
    {"cMobilePhone", "Ven_Contact.cMobilePhone", "cMobilePhone", "text", 110, true},
    {"cCall", "Ven_Contact.cCall", "cCall", "text", 90, false},
    {"cZipcode", "Ven_Contact.cZipcode", "cZipcode", "text", 70, false},
    {"cHomePage", "Ven_Contact.cHomePage", "cHomePage", "text", 150, false},
    {"cWorkAddress", "Ven_Contact.cWorkAddress", "cWorkAddress", "text", 200, false},
    {"cHomeAddress", "Ven_Contact.cHomeAddress", "cHomeAddress", "text", 200, false},
    {"cEmail", "Ven_Contact.cEmail", "cEmail", "text", 180, true},
    {"cHomeMember", "Ven_Contact.cHomeMember", "cHomeMember", "text", 150, false},
    {"cMemo", "Ven_Contact.cMemo", "cMemo", "text", 200, false},
};

// About how wide a caption is drawn in the header (wide characters twice as wide), with the
// cell's margins: a default column is never narrower than its caption in the user's language.
int CaptionWidth(const std::string& caption) {
    int width = 24;
    for (unsigned char c : caption)
        if (c < 0x80) width += 7;
        else if (c >= 0xE0) width += 13;  // the first byte of a wide character
    return std::min(width, kMaxWidth);
}

void CheckKey(const std::string& key, const char* who) {
    if (!txt::EqualsNoCase(txt::Trim(key), kListKey))
        throw platform::Error(platform::errnum::InvalidOperation, who,
                              "there are no column settings for the list '" + key + "'; the list known is " +
                                  kListKey);
}

std::string ColumnXml(const Column& c, bool full) {
    using detail::XmlEscape;
    std::string x = "<Column name=\"" + XmlEscape(c.name) + "\"";
    if (full)
        x += " caption=\"" + XmlEscape(c.caption) + "\" expression=\"" + XmlEscape(c.expression) + "\" alias=\"" +
             XmlEscape(c.name) + "\" type=\"" + c.type + "\"";
    if (!c.userCaption.empty()) x += " userCaption=\"" + XmlEscape(c.userCaption) + "\"";
    x += " width=\"" + std::to_string(c.width) + "\" visible=\"" + (c.visible ? "1" : "0") + "\"";
    if (full) x += std::string(" fixed=\"") + (c.fixed ? "1" : "0") + "\"";
    x += " sort=\"" + c.sort + "\" sortIndex=\"" + std::to_string(c.sortIndex) + "\"";
    if (full) x += " decimals=\"" + (c.decimals < 0 ? std::string() : std::to_string(c.decimals)) + "\"";
    return x + "/>";
}

std::string DescriptionXml(const std::vector<Column>& columns, bool full) {
    std::string x = std::string("<ColumnSet key=\"") + kListKey + "\" version=\"1\">";
    for (const auto& c : columns) x += ColumnXml(c, full);
    return x + "</ColumnSet>";
}

bool ParseFlag(const std::string& v, bool& out) {
    const std::string l = txt::LCase(txt::Trim(v));
    if (l == "1" || l == "true" || l == "-1") out = true;
    else if (l == "0" || l == "false") out = false;
    else return false;
    return true;
}

bool ParseWidth(const std::string& v, int& out) {
    const std::string t = txt::Trim(v);
    if (t.empty() || t.size() > 6 || t.find_first_not_of("0123456789") != std::string::npos) return false;
    out = std::min(std::stoi(t), kMaxWidth);
    return true;
}

// Sort indexes 1, 2, ... in the order the user gave them (ties in column order).
void RenumberSorts(std::vector<Column>& columns) {
    std::vector<Column*> sorted;
    for (auto& c : columns)
        if (!c.sort.empty()) sorted.push_back(&c);
        else c.sortIndex = 0;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Column* a, const Column* b) {
        const int ia = a->sortIndex > 0 ? a->sortIndex : 1 << 30, ib = b->sortIndex > 0 ? b->sortIndex : 1 << 30;
        return ia < ib;
    });
    for (std::size_t i = 0; i < sorted.size(); ++i) sorted[i]->sortIndex = static_cast<int>(i) + 1;
}

// Applies a description (saved or given) to the catalogue: the user's order, widths, visible
// flags and sorts; columns it does not name keep their place after it, hidden. Answers "" or
// what is wrong with the text.
std::string Apply(const std::string& description, std::vector<Column>& columns, const std::string& language) {
    auto doc = detail::ParseXml(description);
    if (!doc.ok) return doc.error;
    if (!txt::EqualsNoCase(doc.root.name, "ColumnSet"))
        return "the root element is <" + doc.root.name + ">, not <ColumnSet>";
    std::vector<Column> ordered;
    std::set<std::string> seen;
    for (const auto& e : doc.root.children) {
        if (!txt::EqualsNoCase(e.name, "Column")) return "<" + e.name + "> is not a <Column>";
        const std::string name = txt::Trim(e.AttrOr("name", ""));
        auto it = std::find_if(columns.begin(), columns.end(),
                               [&](const Column& c) { return txt::EqualsNoCase(c.name, name); });
        if (it == columns.end())
            return detail::HostText(language, "Hx.AA.COLSET.UnknownColumn", {name});
        if (!seen.insert(txt::LCase(name)).second) return "the column " + name + " appears twice";
        Column c = *it;
        if (const auto* u = e.Attr("userCaption"); u && !txt::Trim(*u).empty())
            c.userCaption = c.caption = txt::Trim(*u);
        if (const auto* w = e.Attr("width"); w && !ParseWidth(*w, c.width))
            return "the width '" + *w + "' of " + name + " is not a whole number of pixels";
        if (const auto* v = e.Attr("visible"); v && !ParseFlag(*v, c.visible))
            return "visible='" + *v + "' of " + name + " is neither 1 nor 0";
        if (const auto* s = e.Attr("sort")) {
            const std::string sort = txt::LCase(txt::Trim(*s));
            if (sort != "" && sort != "asc" && sort != "desc")
                return "sort='" + *s + "' of " + name + " is none of asc, desc or empty";
            c.sort = sort;
            c.sortIndex = 0;
            if (const auto* i = e.Attr("sortIndex"); i && !sort.empty()) {
                int index = 0;
                if (!ParseWidth(*i, index)) return "sortIndex='" + *i + "' of " + name + " is not a whole number";
                c.sortIndex = index;
            }
        }
        if (c.fixed) c.visible = true;
        ordered.push_back(std::move(c));
    }
    for (const auto& c : columns)
        if (!seen.count(txt::LCase(c.name))) {
            Column added = c;
            added.visible = c.fixed;
            added.sort.clear();
            added.sortIndex = 0;
            ordered.push_back(std::move(added));
        }
    // The selection column stays first whatever the text says.
    std::stable_partition(ordered.begin(), ordered.end(), [](const Column& c) { return c.fixed; });
    RenumberSorts(ordered);
    columns = std::move(ordered);
    return "";
}

}  // namespace

void ColumnSetService::Init(const std::string& connectionText, const std::string& userId) {
    accountText_ = connectionText;
    systemText_ = connectionText.empty() ? "" : detail::SystemConnectionText(connectionText);
    userId_ = txt::Trim(userId);
    language_.clear();
}

std::string ColumnSetService::Language() {
    // The portal's or command line's choice of language wins over the user's own.
    if (std::string forced = detail::LanguageOverride(); !forced.empty()) return forced;
    if (language_.empty()) {
        language_ = "zh-CN";
        auto db = detail::Open(systemText_);
        auto rs = db->OpenRowset("SELECT cLanguage FROM UA_User WHERE cUser_Id = " + Sql(userId_));
        if (!rs->Eof() && !rs->Get(0).ToText().empty()) language_ = rs->Get(0).ToText();
    }
    return language_;
}

std::vector<Column> ColumnSetService::Catalogue() {
    const std::string language = Language();
    const auto& texts = host::texts::TextTable::For(language);
    std::vector<Column> columns;
    Column select;
    select.name = "cSelect";
    select.expression = "''";
    select.type = "text";
    select.width = 28;
    select.visible = select.fixed = true;
    columns.push_back(select);
    for (const auto& d : kDefaults) {
        Column c;
        c.name = d.name;
        c.captionKey = std::string("Hx.CRM.TkContact.Column.") + d.column;
        c.caption = texts.Format(c.captionKey);
        c.expression = d.expression;
        c.type = d.type;
        c.width = std::max(d.width, CaptionWidth(c.caption));
        c.visible = d.visible;
        columns.push_back(std::move(c));
    }
    // The user-defined items in use, named as the account defines them.
    auto db = detail::Open(accountText_);
    auto rs = db->OpenRowset(
        "SELECT cItem, cItemName, cItemType, iDecimalDigits FROM userdef WHERE cClass = N'供应商联系人' "
        "AND cItemName IS NOT NULL AND cItemName <> N''");
    // The items' names in the user's language where the account has them.
    const auto localNames = detail::LocalNames(*db, "userdef", Language());
    std::vector<std::pair<int, Column>> items;
    for (; !rs->Eof(); rs->MoveNext()) {
        const std::string item = rs->Get("cItem").ToText();
        const std::string number = txt::Mid(item, 5);  // after "自定义项"
        if (txt::Left(item, 4) != "自定义项" || number.empty() ||
            number.find_first_not_of("0123456789") != std::string::npos || number.size() > 2)
            continue;
        const int n = std::stoi(number);
        if (n < 1 || n > 16) continue;
        Column c;
        c.name = "cConDefine" + number;
        c.caption = rs->Get("cItemName").ToText();
        if (auto local = localNames.find("供应商联系人." + item); local != localNames.end())
            c.caption = local->second;
        c.expression = "Ven_Contact.cConDefine" + number;
        const std::string type = txt::LCase(rs->Get("cItemType").ToText());
        c.type = type == "date" ? "date" : (type == "decimal" || type == "number" || type == "int") ? "number" : "text";
        const auto digits = rs->Get("iDecimalDigits");
        if (type == "decimal") c.decimals = digits.IsNull() ? 6 : static_cast<int>(digits.ToInt());
        else if (c.type == "number") c.decimals = 0;
        c.width = 90;
        items.emplace_back(n, std::move(c));
    }
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [n, c] : items) columns.push_back(std::move(c));
    return columns;
}

std::vector<Column> ColumnSetService::Columns(const std::string& key, int returnMode) {
    CheckKey(key, "ColumnSetSvc.getColInfo");
    if (accountText_.empty())
        throw platform::Error(platform::errnum::InvalidOperation, "ColumnSetSvc.getColInfo",
                              "the column-settings service was not initialised: call Init first");
    std::vector<Column> columns = Catalogue();
    if (returnMode != 0) {
        auto db = detail::Open(systemText_);
        auto rs = db->OpenRowset("SELECT cColumnInfo FROM UA_ColumnSet WHERE cUser_Id = " + Sql(userId_) +
                                 " AND cKey = " + Sql(kListKey));
        if (!rs->Eof()) {
            std::vector<Column> saved = columns;
            const std::string problem = Apply(rs->Get(0).ToText(), saved, Language());
            // A description that no longer fits (a column withdrawn) falls back to the default.
            if (problem.empty()) columns = std::move(saved);
            else
                sovrel::WriteErrorLog("ColumnSetSvc.getColInfo", true,
                                      platform::Error(platform::errnum::InvalidOperation, "ColumnSetSvc.getColInfo",
                                                      "the column settings of " + userId_ +
                                                          " are damaged; the default columns are shown: " + problem));
        }
    }
    if (returnMode == 15)
        for (auto& c : columns) c.visible = true;
    return columns;
}

std::string ColumnSetService::getColInfo(const std::string& key, int returnMode) {
    return DescriptionXml(Columns(key, returnMode), true);
}

std::shared_ptr<platform::db::Rowset> ColumnSetService::getColSet(const std::string& key, int returnMode) {
    const auto columns = Columns(key, returnMode);
    using platform::db::FieldInfo;
    auto text = [](const char* name, long size) {
        FieldInfo f;
        f.name = name;
        f.type = platform::db::adVarWChar;
        f.definedSize = size;
        return f;
    };
    auto typed = [](const char* name, int type, long size) {
        FieldInfo f;
        f.name = name;
        f.type = type;
        f.definedSize = size;
        return f;
    };
    auto rs = platform::db::Rowset::CreateDetached(
        {text("cName", 60), text("cCaption", 60), text("cExpression", 255), text("cAlias", 60), text("cType", 10),
         typed("iWidth", platform::db::adInteger, 4), typed("bVisible", platform::db::adBoolean, 2),
         typed("bFixed", platform::db::adBoolean, 2), text("cSort", 4),
         typed("iSortIndex", platform::db::adInteger, 4), typed("iDecimals", platform::db::adInteger, 4),
         typed("iOrder", platform::db::adInteger, 4)});
    int order = 0;
    for (const auto& c : columns) {
        rs->AddNew();
        rs->Set("cName", c.name);
        rs->Set("cCaption", c.caption);
        rs->Set("cExpression", c.expression);
        rs->Set("cAlias", c.name);
        rs->Set("cType", c.type);
        rs->Set("iWidth", c.width);
        rs->Set("bVisible", c.visible);
        rs->Set("bFixed", c.fixed);
        rs->Set("cSort", c.sort);
        rs->Set("iSortIndex", c.sortIndex);
        rs->Set("iDecimals", c.decimals < 0 ? platform::db::Value::Null() : platform::db::Value(c.decimals));
        rs->Set("iOrder", ++order);
        rs->Update();
    }
    if (rs->RecordCount() > 0) rs->MoveFirst();
    return rs;
}

bool ColumnSetService::Save(const std::string& key, const std::string& columnInfo, std::string& message) {
    message.clear();
    try {
        if (!txt::EqualsNoCase(txt::Trim(key), kListKey)) {
            message = detail::HostText(Language(), "Hx.AA.COLSET.UnknownList", {key});
            return false;
        }
        std::vector<Column> columns = Catalogue();
        const std::string problem = Apply(columnInfo, columns, Language());
        if (!problem.empty()) {
            message = detail::HostText(Language(), "Hx.AA.COLSET.Invalid", {problem});
            return false;
        }
        if (std::none_of(columns.begin(), columns.end(), [](const Column& c) { return c.visible && !c.fixed; })) {
            message = detail::HostText(Language(), "Hx.AA.COLSET.NoVisible");
            return false;
        }
        auto db = detail::Open(systemText_);
        db->Execute("DELETE FROM UA_ColumnSet WHERE cUser_Id = " + Sql(userId_) + " AND cKey = " + Sql(kListKey) +
                    "; INSERT INTO UA_ColumnSet (cUser_Id, cKey, cColumnInfo, dModified) VALUES (" + Sql(userId_) +
                    ", " + Sql(kListKey) + ", " + Sql(DescriptionXml(columns, false)) + ", " +
                    Sql(detail::NowText()) + ")");
        return true;
    } catch (const platform::Error& e) {
        message = e.Description();
        return false;
    }
}

bool ColumnSetService::Reset(const std::string& key) {
    CheckKey(key, "ColumnSetSvc.Reset");
    auto db = detail::Open(systemText_);
    return db->Execute("DELETE FROM UA_ColumnSet WHERE cUser_Id = " + Sql(userId_) + " AND cKey = " +
                       Sql(kListKey)) > 0;
}

}  // namespace host
