#include "xml/transxml.h"

#include <cstdint>
#include <optional>

#include "common/context.h"
#include "common/hosts/services.h"
#include "common/prog_ids.h"
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

void AppendDescendantText(pugi::xml_node node, std::string& out) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (IsTextNode(child))
            out += child.value();
        else if (child.type() == pugi::node_element)
            AppendDescendantText(child, out);
    }
}

// All text inside node, in document order (a text node's own value).
std::string NodeText(pugi::xml_node node) {
    if (IsTextNode(node)) return node.value();
    const pugi::xml_node first = node.first_child();
    if (first && !first.next_sibling() && IsTextNode(first)) return first.value();
    std::string out;
    AppendDescendantText(node, out);
    return out;
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

// Numbers and byte strings go into a condition without quotes.
bool IsUnquotedType(int type) {
    switch (type) {
        case 2: case 3: case 4: case 5: case 6: case 14: case 16: case 17: case 18: case 19: case 20:
        case 21: case 128: case 131: case 139: case 204: case 205:
            return true;
        default:
            return false;
    }
}

void AppendCondition(std::string& where, std::string_view column, std::string_view value, std::string_view quote) {
    const std::size_t comma = value.find(',');
    auto quoted = [&](std::string_view v) {
        where += quote;
        where += v;
        where += quote;
    };
    where += column;
    if (comma == std::string_view::npos) {
        where += '=';
        quoted(value);
    } else if (comma == 0) {
        where += "<=";
        quoted(value.substr(1));
    } else if (comma == value.size() - 1) {
        where += ">=";
        quoted(value.substr(0, comma));
    } else {
        where += " BETWEEN ";
        quoted(value.substr(0, comma));
        where += " AND ";
        quoted(value.substr(comma + 1));
    }
}

void Fail(const char* key, std::string_view parameter) {
    Ctx().PendingMessage = ResTextParams(key, {Value(parameter)});
}

}  // namespace

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
    constexpr unsigned options = pugi::parse_default | pugi::parse_fragment | pugi::parse_declaration;
    pugi::xml_parse_result result = doc.load_buffer(body.data(), body.size(), options, pugi::encoding_utf8);
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
    return NodeText(child);
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
        const std::string value = NodeText(child);
        if (IsBlank(value)) continue;
        // Text standing directly in the condition element names no column, like an unknown one.
        const int field = rowset && child.type() == pugi::node_element ? rowset->FieldIndex(child.name()) : -1;
        if (field < 0) return false;
        const std::string_view quote = IsUnquotedType(rowset->Field(field).type) ? "" : "'";
        AppendCondition(where, child.name(), value, quote);
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
        FilterRs(rs, "TableName='" + tableName.ToText() + "'");
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
        const std::string query =
            "<hxColAuth cBusObId='" + busObId + "' cFuncId='" + GetEleVal(request, "RW", "") + "'/>";
        return text::LCase(auth->GetAuthString(query));
    } catch (...) {
        // Errors are ignored: the caller reads an empty answer as its own default.
        return "";
    }
}

}  // namespace sovrel
