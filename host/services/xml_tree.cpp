#include "xml_tree.h"

#include <pugixml.hpp>

#include "platform/text.h"

namespace host::detail {

namespace {

XmlElement Convert(const pugi::xml_node& node) {
    XmlElement e;
    e.name = node.name();
    for (const pugi::xml_attribute& a : node.attributes()) e.attributes.emplace_back(a.name(), a.value());
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() == pugi::node_element) e.children.push_back(Convert(child));
        else if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) e.text += child.value();
    }
    return e;
}

}  // namespace

XmlDocument ParseXml(std::string_view text) {
    XmlDocument doc;
    pugi::xml_document parsed;
    pugi::xml_parse_result result = parsed.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!result) {
        doc.error = std::string(result.description()) + " (at character " + std::to_string(result.offset + 1) + ")";
        return doc;
    }
    pugi::xml_node root = parsed.document_element();
    if (!root) {
        doc.error = "the text holds no element";
        return doc;
    }
    doc.root = Convert(root);
    doc.ok = true;
    return doc;
}

const std::string* XmlElement::Attr(std::string_view attribute) const {
    for (const auto& [n, v] : attributes)
        if (platform::text::EqualsNoCase(n, attribute)) return &v;
    return nullptr;
}

std::string XmlElement::AttrOr(std::string_view attribute, std::string_view fallback) const {
    const std::string* v = Attr(attribute);
    return v ? *v : std::string(fallback);
}

namespace {
std::string Escaped(std::string_view text, bool quotes) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += quotes ? "&quot;" : "\""; break;
            case '\'': out += quotes ? "&apos;" : "'"; break;
            default: out += c;
        }
    }
    return out;
}
}  // namespace

std::string XmlEscape(std::string_view text) { return Escaped(text, true); }
std::string XmlTextEscape(std::string_view text) { return Escaped(text, false); }

}  // namespace host::detail
