#include "xml/transxml.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_set>
#include <vector>

#include "common/context.h"
#include "common/hosts/services.h"
#include "common/prog_ids.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "platform/error.h"
#include "platform/object_factory.h"
#include "platform/text.h"

namespace sovrel {

namespace text = platform::text;
using platform::db::DateTime;
using platform::db::Value;

namespace {

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsAsciiUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }

// True when nodeName is exactly LCase(name). Runs once over both without building the lowered
// name: this sits inside every element lookup, many times per record.
bool IsLoweredName(const char* nodeName, std::string_view name) {
    std::size_t i = 0;
    for (; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0x80) break;
        const char lower = static_cast<char>(IsAsciiUpper(c) ? c + ('a' - 'A') : c);
        if (lower == '\0' || nodeName[i] != lower) return false;
    }
    if (i == name.size()) return nodeName[i] == '\0';

    const std::string_view nodeRest(nodeName + i);
    const std::string_view nameRest = name.substr(i);
    std::size_t a = 0, b = 0;
    while (b < nameRest.size()) {
        if (a >= nodeRest.size()) return false;
        const char32_t wanted = text::FoldCase(text::DecodeUtf8(nameRest, b));
        if (text::DecodeUtf8(nodeRest, a) != wanted) return false;
    }
    return a == nodeRest.size();
}

pugi::xml_node FindChildElement(pugi::xml_node parent, std::string_view name) {
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && IsLoweredName(child.name(), name)) return child;
    return {};
}

bool IsTextNode(pugi::xml_node node) {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

// The node after node in document order, staying inside root; empty past root's last
// descendant. Walking with it needs no stack, however deep the markup.
pugi::xml_node NextInside(pugi::xml_node node, pugi::xml_node root) {
    if (pugi::xml_node child = node.first_child()) return child;
    for (; node && node != root; node = node.parent())
        if (pugi::xml_node sibling = node.next_sibling()) return sibling;
    return {};
}

bool IsBlank(std::string_view s) {
    for (char c : s)
        if (c != ' ') return false;
    return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        auto c = static_cast<unsigned char>(s[i]);
        if (IsAsciiUpper(c)) c = static_cast<unsigned char>(c + ('a' - 'A'));
        if (c != static_cast<unsigned char>(prefix[i])) return false;
    }
    return true;
}

enum class Literal { Text, Number, Bytes };

// Numbers and byte strings go into a condition without quotes.
Literal LiteralOf(int type) {
    switch (type) {
        case 2: case 3: case 4: case 5: case 6: case 14: case 16: case 17: case 18: case 19: case 20:
        case 21: case 131: case 139:
            return Literal::Number;
        case 128: case 204: case 205:
            return Literal::Bytes;
        default:
            return Literal::Text;
    }
}

bool IsDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// A decimal number as T-SQL writes one: sign, digits, point, exponent ("-12", "1.5", ".5e3").
bool IsNumberLiteral(std::string_view s) {
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) s.remove_prefix(1);
    const std::size_t e = s.find_first_of("eE");
    std::string_view mantissa = s.substr(0, e);
    if (e != std::string_view::npos) {
        std::string_view exponent = s.substr(e + 1);
        if (!exponent.empty() && (exponent.front() == '+' || exponent.front() == '-')) exponent.remove_prefix(1);
        if (!IsDigits(exponent)) return false;
    }
    const std::size_t point = mantissa.find('.');
    if (point == std::string_view::npos) return IsDigits(mantissa);
    const std::string_view whole = mantissa.substr(0, point), fraction = mantissa.substr(point + 1);
    return (IsDigits(whole) || whole.empty()) && (IsDigits(fraction) || fraction.empty()) &&
           !(whole.empty() && fraction.empty());
}

bool IsBytesLiteral(std::string_view s) {
    if (s.size() < 2 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X')) return false;
    for (char c : s.substr(2))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// Appends value as a literal of its kind; false, nothing appended, when a value to be written bare
// is no number (or, for bytes, no "0x" string either): it would become part of the statement.
bool AppendLiteral(std::string& where, std::string_view value, Literal kind) {
    if (kind == Literal::Text) {
        where += SqlText(value);
        return true;
    }
    const std::string_view bare = TrimSpaces(value);
    if (!IsNumberLiteral(bare) && !(kind == Literal::Bytes && IsBytesLiteral(bare))) return false;
    where += bare;
    return true;
}

bool AppendCondition(std::string& where, std::string_view column, std::string_view value, Literal kind) {
    const std::size_t comma = value.find(',');
    where += column;
    if (comma == std::string_view::npos) {
        where += '=';
        return AppendLiteral(where, value, kind);
    }
    if (comma == 0) {
        where += "<=";
        return AppendLiteral(where, value.substr(1), kind);
    }
    if (comma == value.size() - 1) {
        where += ">=";
        return AppendLiteral(where, value.substr(0, comma), kind);
    }
    where += " BETWEEN ";
    if (!AppendLiteral(where, value.substr(0, comma), kind)) return false;
    where += " AND ";
    return AppendLiteral(where, value.substr(comma + 1), kind);
}

}  // namespace

std::string XmlEscaped(std::string_view value) {
    std::string out;
    for (char c : value) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '\'': out += "&apos;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

namespace {

void Fail(const char* key, std::string_view parameter) {
    Ctx().PendingMessage = ResTextParams(key, {Value(parameter)});
}

// The parser takes a repeated attribute and a comment holding "--" without complaint; both make
// a text that is not XML. Removes the comments once they pass.
void CheckWhatTheParserLetThrough(pugi::xml_document& doc, pugi::xml_parse_result& result) {
    std::vector<pugi::xml_node> comments;
    std::vector<std::string_view> names;
    auto fail = [&](pugi::xml_node node) {
        result.status = pugi::status_bad_attribute;
        result.offset = node.offset_debug() < 0 ? 0 : node.offset_debug();
    };
    for (pugi::xml_node node = doc.first_child(); node; node = NextInside(node, doc)) {
        if (node.type() == pugi::node_comment) {
            const std::string_view value = node.value();
            if (value.find("--") != std::string_view::npos || (!value.empty() && value.back() == '-')) {
                result.status = pugi::status_bad_comment;
                result.offset = node.offset_debug() < 0 ? 0 : node.offset_debug();
                return;
            }
            comments.push_back(node);
        } else if (node.type() == pugi::node_element && node.first_attribute()) {
            names.clear();
            for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) names.push_back(a.name());
            std::sort(names.begin(), names.end());
            if (std::adjacent_find(names.begin(), names.end()) != names.end()) return fail(node);
        }
    }
    for (pugi::xml_node comment : comments) comment.parent().remove_child(comment);
}

}  // namespace

void DecodeEscapedText(pugi::xml_node root) {
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}};
    for (pugi::xml_node n = root.first_child(); n; n = NextInside(n, root)) {
        if (!IsTextNode(n)) continue;
        const std::string_view text = n.value();
        if (text.find('&') == std::string_view::npos) continue;
        std::string out;
        out.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '&') {
                const auto hit = std::find_if(std::begin(kEntities), std::end(kEntities),
                                              [&](const auto& e) { return text.substr(i, e.first.size()) == e.first; });
                if (hit != std::end(kEntities)) {
                    out += hit->second;
                    i += hit->first.size() - 1;
                    continue;
                }
            }
            out += text[i];
        }
        n.set_value(out.c_str());
    }
}

std::string ElementText(pugi::xml_node node) {
    if (IsTextNode(node)) return node.value();
    const pugi::xml_node first = node.first_child();
    if (first && !first.next_sibling() && IsTextNode(first)) return first.value();
    std::string out;
    for (pugi::xml_node n = first; n; n = NextInside(n, node))
        if (IsTextNode(n)) out += n.value();
    return out;
}

std::string RepeatedChildName(pugi::xml_node record) {
    std::unordered_set<std::string_view> seen;
    for (pugi::xml_node child = record.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && !seen.insert(child.name()).second) return child.name();
    return "";
}

pugi::xml_parse_result LoadXmlText(pugi::xml_document& doc, std::string_view input) {
    // Line breaks count as blanks here, or a text starting with one would be wrapped twice.
    std::size_t begin = 0, end = input.size();
    while (begin < end && IsXmlSpace(input[begin])) ++begin;
    while (end > begin && IsXmlSpace(input[end - 1])) --end;
    const std::string_view trimmed = input.substr(begin, end - begin);

    std::string body;
    if (StartsWithNoCase(trimmed, "<data>")) {
        body.assign(trimmed);
    } else {
        body.reserve(trimmed.size() + 13);
        body.append("<data>").append(trimmed).append("</data>");
    }

    // pugixml takes a second top-level element or stray text without complaint, but readers only
    // look inside the first element: parsed as a fragment, anything beside it shows and is refused.
    // Comments are read only to be checked, then dropped: the readers never saw them.
    constexpr unsigned options =
        pugi::parse_default | pugi::parse_fragment | pugi::parse_declaration | pugi::parse_comments;
    pugi::xml_parse_result result = doc.load_buffer(body.data(), body.size(), options, pugi::encoding_utf8);
    if (result) CheckWhatTheParserLetThrough(doc, result);
    if (result) {
        pugi::xml_node root;
        for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
            if (node.type() == pugi::node_element && !root) {
                root = node;
                continue;
            }
            result.status = pugi::status_unrecognized_tag;
            result.offset = node.offset_debug() < 0 ? 0 : node.offset_debug();
            break;
        }
        if (result && !root) result.status = pugi::status_no_document_element;
    }
    if (!result) doc.reset();
    return result;
}

std::string GetEleVal(pugi::xml_node element, std::string_view name, std::string_view defaultValue) {
    if (name.empty() || !element) return std::string(defaultValue);
    const pugi::xml_node child = FindChildElement(element, name);
    if (!child) {
        Fail("Hx.CRM.COMMON.XMLMSG002", text::LCase(name));
        return std::string(defaultValue);
    }
    return ElementText(child);
}

bool SetEleVal(pugi::xml_node element, std::string_view name, std::string_view value) {
    if (!element || name.empty()) return false;
    pugi::xml_node child = FindChildElement(element, name);
    if (!child) {
        Fail("Hx.CRM.COMMON.XMLMSG001", text::LCase(name));
        return false;
    }
    pugi::xml_node first = child.first_child();
    if (first && !first.next_sibling() && first.type() == pugi::node_pcdata)
        return first.set_value(value.data(), value.size());
    while (child.first_child()) child.remove_child(child.first_child());
    return child.append_child(pugi::node_pcdata).set_value(value.data(), value.size());
}

std::string GetAttrVal(pugi::xml_node node, std::string_view attrName) {
    for (pugi::xml_attribute attr = node.first_attribute(); attr; attr = attr.next_attribute())
        if (IsLoweredName(attr.name(), attrName)) return text::Trim(attr.value());
    return "";
}

bool BuildWhereFromXml(pugi::xml_node element, std::string& where, const RowsetPtr& rowset) {
    where.clear();
    if (!element) return false;
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
        const std::string value = ElementText(child);
        if (IsBlank(value)) continue;
        // Text standing directly in the condition element names no column, like an unknown one.
        const int field = rowset && child.type() == pugi::node_element ? rowset->FieldIndex(child.name()) : -1;
        if (field < 0 || !IsSqlName(child.name())) return false;
        // Text values go in as N'...' with their quotes doubled, numbers only when they are one:
        // either way the value cannot end its literal and run on as SQL.
        if (!AppendCondition(where, child.name(), value, LiteralOf(rowset->Field(field).type))) return false;
        if (child.next_sibling()) where += " AND ";
    }
    where = text::Trim(where);
    if (where.size() >= 3 && text::EqualsNoCase(std::string_view(where).substr(where.size() - 3), "AND"))
        where.erase(where.size() - 3);
    return true;
}

bool CheckDateText(std::string_view value, std::string_view itemName) {
    if (value.empty()) return true;
    static const std::int64_t first = DateTime{1760, 1, 1, 0, 0, 0}.Serial();
    static const std::int64_t pastLast = DateTime{2300, 1, 1, 0, 0, 0}.Serial();
    const std::optional<DateTime> date = DateTime::Parse(value);
    const char* key = nullptr;
    if (!date)
        key = "Hx.CRM.COMMON.CheckDate01";
    else if (date->Serial() < first)
        key = "Hx.CRM.COMMON.CheckDate11";
    else if (date->Serial() >= pastLast)
        key = "Hx.CRM.COMMON.CheckDate12";
    if (!key) return true;
    Fail(key, itemName);
    return false;
}

Value NullTo(const Value& value, const Value& defaultValue) { return value.IsNull() ? defaultValue : value; }

RowsetPtr FilterRs(const RowsetPtr& rowset, const std::string& filter) {
    if (!rowset)
        throw platform::Error(platform::errnum::InvalidOperation, "transXML.FilterRs",
                              "no rowset to filter with \"" + filter + "\": the query behind it failed");
    rowset->SetFilter(filter);
    return rowset;
}

std::string GetArchiveCaption(IClsCommon& service, const Value& tableName) {
    try {
        RowsetPtr rs = service.OpenX("SELECT TableName,TableDefine FROM Rpt_GRPDef ORDER BY SystemId, TableName");
        if (!rs) return "";
        FilterRs(rs, "TableName=" + SqlText(tableName.ToText(), false));
        if (rs->Eof()) return "";
        const Value caption = rs->Get("TableDefine");
        if (caption.IsNull()) return ResText("Hx.CRM.TkBaseCodeRefer.transxml.00009");
        return caption.ToText();
    } catch (...) {
        // A caption only decorates a message; the message goes out without it.
        return "";
    }
}

std::string GetColAuthString(IClsCommon& service, pugi::xml_node request, const std::string& busObId) {
    try {
        auto auth = platform::Create<IColAuthSvc>(progid::ColAuthSvc);
        if (!auth) return "";
        auth->Init(service.m_CnnString(), GetEleVal(request, "UserId", ""));
        const std::string query = "<hxColAuth cBusObId='" + XmlEscaped(busObId) + "' cFuncId='" +
                                  XmlEscaped(GetEleVal(request, "RW", "")) + "'/>";
        return text::LCase(auth->GetAuthString(query));
    } catch (...) {
        // Errors are ignored: the caller reads an empty answer as its own default.
        return "";
    }
}

}  // namespace sovrel
