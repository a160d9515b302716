#pragma once
// The flat XML texts the host services exchange (column descriptions, authority requests), read
// with pugixml into a small tree the services walk.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace host::detail {

struct XmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<XmlElement> children;
    std::string text;  // the element's own text, entities decoded

    // The attribute's value (name compared without case); nullptr when absent.
    const std::string* Attr(std::string_view attribute) const;
    // The attribute's value, or fallback when absent.
    std::string AttrOr(std::string_view attribute, std::string_view fallback) const;
};

struct XmlDocument {
    bool ok = false;
    std::string error;  // what is wrong and at which character, when !ok
    XmlElement root;
};

// Never throws: a text that is not well-formed comes back with ok false and the reason.
XmlDocument ParseXml(std::string_view text);

// Text made safe inside an attribute value in double quotes or an element.
std::string XmlEscape(std::string_view text);
// Element text: only & < > need escaping there. Quotes stay as they are, so that a name with an
// apostrophe comes back from the data service as typed (its normalisation escapes every "&" once
// more, which would keep an "&apos;" as those six characters).
std::string XmlTextEscape(std::string_view text);

}  // namespace host::detail
