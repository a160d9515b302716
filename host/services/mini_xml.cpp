#include "mini_xml.h"

#include "platform/text.h"

namespace host::detail {

namespace {

class Reader {
public:
    explicit Reader(std::string_view s) : s_(s) {}

    XmlDocument Parse() {
        XmlDocument doc;
        try {
            SkipMisc();
            if (!At('<')) Fail("the text does not start with an element");
            doc.root = Element();
            SkipMisc();
            if (i_ != s_.size()) Fail("text after the root element");
            doc.ok = true;
        } catch (const std::string& why) {
            doc.error = why;
        }
        return doc;
    }

private:
    [[noreturn]] void Fail(const std::string& why) { throw why + " (at character " + std::to_string(i_ + 1) + ")"; }
    bool At(char c) const { return i_ < s_.size() && s_[i_] == c; }
    bool StartsWith(std::string_view p) const { return s_.substr(i_, p.size()) == p; }
    void SkipSpace() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) ++i_;
    }
    void SkipPast(std::string_view end) {
        auto at = s_.find(end, i_);
        if (at == std::string_view::npos) Fail("'" + std::string(end) + "' is missing");
        i_ = at + end.size();
    }
    // Spaces, the declaration, comments and processing instructions between elements.
    void SkipMisc() {
        for (;;) {
            SkipSpace();
            if (StartsWith("<?")) SkipPast("?>");
            else if (StartsWith("<!--")) SkipPast("-->");
            else return;
        }
    }
    static bool NameChar(char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
               c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
    }
    std::string Name() {
        const std::size_t start = i_;
        while (i_ < s_.size() && NameChar(s_[i_])) ++i_;
        if (i_ == start) Fail("a name is expected");
        return std::string(s_.substr(start, i_ - start));
    }
    std::string Decode(std::string_view raw) {
        std::string out;
        for (std::size_t k = 0; k < raw.size(); ++k) {
            if (raw[k] != '&') {
                out += raw[k];
                continue;
            }
            auto semi = raw.find(';', k);
            if (semi == std::string_view::npos) Fail("an entity without ';'");
            std::string_view entity = raw.substr(k + 1, semi - k - 1);
            if (entity == "amp") out += '&';
            else if (entity == "lt") out += '<';
            else if (entity == "gt") out += '>';
            else if (entity == "quot") out += '"';
            else if (entity == "apos") out += '\'';
            else if (entity.size() > 1 && entity[0] == '#') {
                char32_t code = 0;
                const bool hex = entity[1] == 'x' || entity[1] == 'X';
                for (std::size_t d = hex ? 2 : 1; d < entity.size(); ++d) {
                    const char c = entity[d];
                    int v = (c >= '0' && c <= '9') ? c - '0'
                            : hex && (c >= 'a' && c <= 'f') ? c - 'a' + 10
                            : hex && (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
                    if (v < 0 || code > 0x10FFFF) Fail("a bad character reference &" + std::string(entity) + ";");
                    code = code * (hex ? 16 : 10) + static_cast<char32_t>(v);
                }
                platform::text::AppendUtf8(out, code);
            } else {
                Fail("an unknown entity &" + std::string(entity) + ";");
            }
            k = semi;
        }
        return out;
    }
    XmlElement Element() {
        ++i_;  // '<'
        XmlElement e;
        e.name = Name();
        for (;;) {
            SkipSpace();
            if (StartsWith("/>")) {
                i_ += 2;
                return e;
            }
            if (At('>')) {
                ++i_;
                break;
            }
            std::string attribute = Name();
            SkipSpace();
            if (!At('=')) Fail("'=' is missing after the attribute " + attribute);
            ++i_;
            SkipSpace();
            if (!At('"') && !At('\'')) Fail("the value of " + attribute + " is not quoted");
            const char quote = s_[i_++];
            auto end = s_.find(quote, i_);
            if (end == std::string_view::npos) Fail("the value of " + attribute + " is not closed");
            std::string_view raw = s_.substr(i_, end - i_);
            if (raw.find('<') != std::string_view::npos) Fail("'<' inside the value of " + attribute);
            e.attributes.emplace_back(attribute, Decode(raw));
            i_ = end + 1;
        }
        for (;;) {
            if (i_ >= s_.size()) Fail("the element " + e.name + " is not closed");
            if (StartsWith("</")) {
                i_ += 2;
                std::string closing = Name();
                if (closing != e.name) Fail("</" + closing + "> closes <" + e.name + ">");
                SkipSpace();
                if (!At('>')) Fail("'>' is missing");
                ++i_;
                return e;
            }
            if (StartsWith("<!--")) SkipPast("-->");
            else if (StartsWith("<![CDATA[")) {
                const std::size_t start = i_ + 9;
                SkipPast("]]>");
                e.text += s_.substr(start, i_ - 3 - start);
            } else if (StartsWith("<?")) SkipPast("?>");
            else if (At('<')) e.children.push_back(Element());
            else {
                const std::size_t start = i_;
                while (i_ < s_.size() && !At('<')) ++i_;
                e.text += Decode(s_.substr(start, i_ - start));
            }
        }
    }

    std::string_view s_;
    std::size_t i_ = 0;
};

}  // namespace

const std::string* XmlElement::Attr(std::string_view attribute) const {
    for (const auto& [n, v] : attributes)
        if (platform::text::EqualsNoCase(n, attribute)) return &v;
    return nullptr;
}

std::string XmlElement::AttrOr(std::string_view attribute, std::string_view fallback) const {
    const std::string* v = Attr(attribute);
    return v ? *v : std::string(fallback);
}

XmlDocument ParseXml(std::string_view text) { return Reader(text).Parse(); }

std::string XmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace host::detail
