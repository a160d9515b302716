#include "exchange/vcard.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "platform/text.h"

namespace sovrel::exchange {

namespace txt = platform::text;

namespace {

// Fields with no standard property.
constexpr std::pair<std::string_view, std::string_view> kPrivate[] = {
    {"X-SOVREL-VENDOR", "cVenCode"},      {"X-SOVREL-CODE", "cContactCode"},     {"X-SOVREL-SUPERIOR", "cSuperiorID"},
    {"X-SOVREL-PRINCIPAL", "cPrincipal"}, {"X-SOVREL-CREATOR", "cCreator"},      {"X-SOVREL-CREATED", "dCreateDate"},
    {"X-SOVREL-MAIN", "bMajor"},          {"X-SOVREL-MARITAL", "bcMarriageID"}, {"X-SOVREL-FAMILY", "cHomeMember"},
};
constexpr std::string_view kDefinePrefix = "X-SOVREL-DEFINE";  // + item number: cConDefine1..16

// Properties this program writes or every card has, which map to no field of their own.
const std::set<std::string, std::less<>> kQuiet = {"VERSION", "PRODID", "REV", "N", "KIND"};

// ---- writing --------------------------------------------------------------------------------

std::string Escape(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' || c == ',' || c == ';') {
            out += '\\';
            out += c;
        } else if (c == '\r') {
            out += "\\n";
            if (i + 1 < value.size() && value[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

// One content line, folded: at most 75 octets a line, never inside a UTF-8 character.
void AppendLine(std::string& out, std::string_view line) {
    std::size_t limit = 75;
    while (line.size() > limit) {
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        limit = 74;  // the leading blank takes one octet
    }
    out.append(line);
    out += "\r\n";
}

bool IsGuid(std::string_view s) {
    if (s.size() != 36) return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? s[i] != '-' : !std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
    }
    return true;
}

// The sex letter of GENDER for the usual names of the two sexes; empty for others.
std::string_view SexLetter(std::string_view name) {
    const std::string n = txt::LCase(txt::Trim(name));
    if (n == "男" || n == "male" || n == "m" || n == "男性") return "M";
    if (n == "女" || n == "female" || n == "f" || n == "女性") return "F";
    return "";
}

// ---- reading --------------------------------------------------------------------------------

struct Property {
    std::string name;  // upper case, group removed
    std::vector<std::pair<std::string, std::string>> params;  // name upper case; bare ones as TYPE
    std::string value;  // as written, escapes and encodings still in it
};

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; }

bool ParseLine(std::string_view s, Property& p) {
    std::size_t i = 0;
    auto name = [&]() {
        const std::size_t start = i;
        while (i < s.size() && IsNameChar(s[i])) ++i;
        return std::string(s.substr(start, i - start));
    };
    p = Property{};
    p.name = name();
    if (p.name.empty()) return false;
    if (i < s.size() && s[i] == '.') {  // a group: the name follows
        ++i;
        p.name = name();
        if (p.name.empty()) return false;
    }
    p.name = txt::UCase(p.name);
    while (i < s.size() && s[i] == ';') {
        ++i;
        std::string pname = txt::UCase(name());
        if (pname.empty()) return false;
        if (i >= s.size() || s[i] != '=') {  // "TEL;CELL:" as older cards write types
            p.params.emplace_back("TYPE", pname);
            continue;
        }
        ++i;
        std::string value;
        while (i < s.size() && s[i] != ';' && s[i] != ':') {
            if (s[i] == '"') {
                const std::size_t close = s.find('"', i + 1);
                if (close == std::string_view::npos) return false;
                value.append(s.substr(i + 1, close - i - 1));
                i = close + 1;
            } else {
                value += s[i++];
            }
        }
        p.params.emplace_back(pname, value);
    }
    if (i >= s.size() || s[i] != ':') return false;
    p.value.assign(s.substr(i + 1));
    return true;
}

std::string Param(const Property& p, std::string_view name) {
    for (const auto& [n, v] : p.params)
        if (n == name) return v;
    return {};
}

// The TYPE values in lower case, however they were written ("TYPE=work,voice", "TYPE=WORK;TYPE=VOICE", "WORK").
std::set<std::string> Types(const Property& p) {
    std::set<std::string> out;
    for (const auto& [n, v] : p.params)
        if (n == "TYPE")
            for (const auto& t : txt::Split(v, ",")) out.insert(txt::LCase(txt::Trim(t)));
    return out;
}

bool IsQuotedPrintable(const Property& p) {
    for (const auto& [n, v] : p.params)
        if ((n == "ENCODING" || n == "TYPE") && txt::EqualsNoCase(v, "QUOTED-PRINTABLE")) return true;
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string DecodeQuotedPrintable(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '=' && i + 2 < s.size() && HexDigit(s[i + 1]) >= 0 && HexDigit(s[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Splits a structured value at its unescaped semicolons.
std::vector<std::string> Components(std::string_view v) {
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '\\' && i + 1 < v.size()) {
            out.back() += v[i];
            out.back() += v[++i];
        } else if (v[i] == ';') {
            out.emplace_back();
        } else {
            out.back() += v[i];
        }
    }
    return out;
}

std::string Unescape(std::string_view v) {
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\\' || i + 1 == v.size()) {
            out += v[i];
            continue;
        }
        const char c = v[++i];
        if (c == 'n' || c == 'N') out += '\n';
        else if (c == ',' || c == ';' || c == '\\' || c == ':') out += c;
        else {
            out += '\\';
            out += c;
        }
    }
    return out;
}

// "19850412", "1985-04-12" or either with a time after it, as "1985-04-12"; empty otherwise.
std::string IsoDate(std::string_view v) {
    std::string digits;
    std::size_t i = 0;
    for (; i < v.size() && digits.size() < 8; ++i) {
        if (std::isdigit(static_cast<unsigned char>(v[i]))) digits += v[i];
        else if (v[i] != '-' || digits.empty()) return {};
    }
    if (digits.size() != 8 || (i < v.size() && v[i] != 'T' && v[i] != ' ')) return {};
    return digits.substr(0, 4) + "-" + digits.substr(4, 2) + "-" + digits.substr(6, 2);
}

// A name from N's components when a card has no FN: family and given names, joined by a blank
// unless both are written without letters of the Latin alphabet (as Chinese names are).
std::string NameFromN(const std::vector<std::string>& n) {
    const std::string family = n.size() > 0 ? txt::Trim(Unescape(n[0])) : "";
    const std::string given = n.size() > 1 ? txt::Trim(Unescape(n[1])) : "";
    if (family.empty() || given.empty()) return family + given;
    const bool latin = std::any_of(family.begin(), family.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }) ||
                       std::any_of(given.begin(), given.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
    return latin ? given + " " + family : family + given;
}

// An address as one text: its parts other than the postal code, in order, joined by blanks.
std::string AddressText(const std::vector<std::string>& c) {
    std::string out;
    for (std::size_t i = 0; i < c.size() && i < 7; ++i) {
        if (i == 5) continue;
        const std::string part = Unescape(c[i]);
        if (part.empty()) continue;
        if (!out.empty()) out += ' ';
        out += part;
    }
    return out;
}

class CardBuilder {
public:
    explicit CardBuilder(Record& r) : r_(r) {}

    // Takes p into the record; false when its value is bytes that are no text.
    bool Take(const Property& p) {
        std::string value = p.value;
        if (IsQuotedPrintable(p)) {
            value = DecodeQuotedPrintable(value);
            const std::string charset = txt::LCase(Param(p, "CHARSET"));
            std::string converted;
            if (charset.starts_with("gb") && txt::FromGb18030(value, converted)) value = std::move(converted);
            else if (!txt::IsValidUtf8(value)) {
                if (!txt::FromGb18030(value, converted)) return false;
                value = std::move(converted);
            }
        }
        const std::string& n = p.name;
        if (n == "FN") Single("FN", "cContactName", Unescape(value));
        else if (n == "N") nameParts_ = Components(value);
        else if (n == "NICKNAME") Single(n, "cAppellation", Unescape(value));
        else if (n == "UID") Uid(Unescape(value));
        else if (n == "GENDER" || n == "X-GENDER") Gender(n, value);
        else if (n == "TITLE") Single(n, "bcDutyID", Unescape(value));
        else if (n == "HOBBY") Single(n, "bcTasteID", Unescape(value));
        else if (n == "BIRTHPLACE") Single(n, "cNative", Unescape(value));
        else if (n == "BDAY") {
            const std::string date = IsoDate(Unescape(value));
            if (date.empty()) r_.Ignore(n);
            else Single(n, "dBirthday", date);
        } else if (n == "TEL") Tel(p, Unescape(value));
        else if (n == "ADR") Adr(p, Components(value));
        else if (n == "EMAIL") Preferred(p, "cEmail", Unescape(value));
        else if (n == "URL") Single(n, "cHomePage", Unescape(value));
        else if (n == "NOTE") Single(n, "cMemo", Unescape(value));
        else if (n == "ORG") Single(n, kOrganisation, txt::Trim(Unescape(Components(value)[0])));
        else if (n.starts_with(kDefinePrefix)) {
            const std::string item = n.substr(kDefinePrefix.size());
            const std::string field = "cConDefine" + item;
            if (!FieldNamed(field).empty() && item.size() <= 2 && item[0] != '0') Single(n, field, Unescape(value));
            else r_.Ignore(n);
        } else if (!kQuiet.contains(n)) {
            for (const auto& [property, field] : kPrivate)
                if (n == property) return Single(n, field, Unescape(value)), true;
            r_.Ignore(n);
        }
        return true;
    }

    void Finish() {
        if (r_.Get("cContactName").empty() && !nameParts_.empty()) r_.Set("cContactName", NameFromN(nameParts_));
    }

private:
    void Single(std::string_view property, std::string_view field, std::string value) {
        if (r_.values.contains(field)) r_.Ignore(property);
        else r_.Set(field, std::move(value));
    }

    void Uid(const std::string& v) {
        std::string id = v;
        if (txt::LCase(id).starts_with("urn:uuid:")) id = id.substr(9);
        if (id.size() == 38 && id.front() == '{' && id.back() == '}') id = id.substr(1, 36);
        // Kept as this account writes its own keys, whatever case another program wrote.
        if (IsGuid(id)) Single("UID", "oid", "{" + txt::UCase(id) + "}");
        // Other identifiers name the card in its own address book only: a new contact gets its own.
    }

    void Gender(const std::string& property, const std::string& value) {
        const auto c = Components(value);
        const std::string identity = c.size() > 1 ? txt::Trim(Unescape(c[1])) : "";
        Single(property, "bcSexID", identity.empty() ? txt::Trim(Unescape(c[0])) : identity);
    }

    void Tel(const Property& p, std::string number) {
        if (txt::LCase(number).starts_with("tel:")) number = number.substr(4);
        const auto types = Types(p);
        std::string_view field = "cOfficePhone";
        if (types.contains("cell")) field = "cMobilePhone";
        else if (types.contains("pager")) field = "cCall";
        else if (types.contains("fax")) return r_.Ignore("TEL;TYPE=fax");
        else if (types.contains("home")) field = "cHomePhone";
        Preferred(p, field, std::move(number));
    }

    // Of several values for one field, the one with the lowest PREF (RFC 6350; a 3.0 card's
    // TYPE=pref counts as 1, none as least preferred); the others are listed as not taken.
    void Preferred(const Property& p, std::string_view field, std::string value) {
        int pref = 101;
        const std::string given = Param(p, "PREF");
        if (!given.empty() && given.find_first_not_of("0123456789") == std::string::npos && given.size() <= 3)
            pref = std::stoi(given);
        else if (Types(p).contains("pref"))
            pref = 1;
        auto it = prefs_.find(field);
        if (it == prefs_.end() || !r_.values.contains(field)) {
            Single(p.name, field, std::move(value));
            prefs_[field] = pref;
            return;
        }
        r_.Ignore(p.name);
        if (pref < it->second) {
            r_.Set(field, std::move(value));
            it->second = pref;
        }
    }

    void Adr(const Property& p, const std::vector<std::string>& parts) {
        const auto types = Types(p);
        std::string_view field = "cWorkAddress";
        if (types.contains("home") || (!types.contains("work") && r_.values.contains("cWorkAddress")))
            field = "cHomeAddress";
        const std::string code = parts.size() > 5 ? Unescape(parts[5]) : "";
        if (!code.empty() && !r_.values.contains("cZipcode")) r_.Set("cZipcode", code);
        const std::string text = AddressText(parts);
        if (!text.empty()) Single("ADR", field, text);
    }

    Record& r_;
    std::vector<std::string> nameParts_;
    std::map<std::string_view, int> prefs_;  // field -> PREF of the value taken
};

}  // namespace

std::string WriteVCard(const Record& r, std::string_view vendorName) {
    std::string out;
    auto line = [&out](std::string_view name, std::string_view value) {
        if (!value.empty()) AppendLine(out, std::string(name) + ":" + std::string(value));
    };
    auto text = [&](std::string_view name, std::string_view field) { line(name, Escape(r.Get(field))); };
    AppendLine(out, "BEGIN:VCARD");
    AppendLine(out, "VERSION:4.0");
    const std::string oid = r.Get("oid");
    if (oid.size() == 38 && oid.front() == '{' && oid.back() == '}' && IsGuid(oid.substr(1, 36)) && oid == txt::UCase(oid))
        line("UID", "urn:uuid:" + txt::LCase(oid.substr(1, 36)));
    else
        line("UID", Escape(oid));
    text("FN", "cContactName");
    text("NICKNAME", "cAppellation");
    const std::string sex = r.Get("bcSexID");
    if (!sex.empty()) line("GENDER", std::string(SexLetter(sex)) + ";" + Escape(sex));
    text("TITLE", "bcDutyID");
    text("HOBBY", "bcTasteID");
    text("BIRTHPLACE", "cNative");
    const std::string birthday = r.Get("dBirthday");
    const std::string bday = IsoDate(birthday);
    if (!bday.empty() && bday == birthday.substr(0, 10)) line("BDAY", txt::Replace(bday, "-", ""));
    else text("BDAY", "dBirthday");
    text("TEL;TYPE=work,voice", "cOfficePhone");
    text("TEL;TYPE=home,voice", "cHomePhone");
    text("TEL;TYPE=cell", "cMobilePhone");
    text("TEL;TYPE=pager", "cCall");
    text("EMAIL", "cEmail");
    text("URL", "cHomePage");
    if (!r.Get("cWorkAddress").empty() || !r.Get("cZipcode").empty())
        line("ADR;TYPE=work", ";;" + Escape(r.Get("cWorkAddress")) + ";;;" + Escape(r.Get("cZipcode")) + ";");
    if (!r.Get("cHomeAddress").empty()) line("ADR;TYPE=home", ";;" + Escape(r.Get("cHomeAddress")) + ";;;;");
    text("NOTE", "cMemo");
    if (!vendorName.empty()) line("ORG", Escape(vendorName));
    for (const auto& [property, field] : kPrivate) text(property, field);
    for (int i = 1; i <= 16; ++i) text(std::string(kDefinePrefix) + std::to_string(i), "cConDefine" + std::to_string(i));
    AppendLine(out, "END:VCARD");
    return out;
}

bool VCardReader::Physical(Line& line) {
    if (!ahead_) return lines_.Next(line);
    line = std::move(*ahead_);
    ahead_.reset();
    return true;
}

bool VCardReader::Logical(Line& line) {
    if (putBack_) {
        line = std::move(*putBack_);
        putBack_.reset();
        return true;
    }
    if (!Physical(line)) return false;
    // The colon and the line's encoding are looked for once: searching the whole growing line
    // for each continuation made a long folded value cost the square of its length.
    std::size_t colon = line.text.find(':');
    bool quotedPrintable =
        colon != std::string::npos && txt::InStr(txt::UCase(line.text.substr(0, colon)), "QUOTED-PRINTABLE") > 0;
    bool joined = false;
    Line next;
    while (Physical(next)) {
        const bool folded = !next.text.empty() && (next.text[0] == ' ' || next.text[0] == '\t');
        // Quoted-printable values of older cards break lines with a trailing "=" instead.
        const bool softBreak = !folded && quotedPrintable && line.text.ends_with('=');
        if (!folded && !softBreak) {
            ahead_ = std::move(next);
            break;
        }
        if (softBreak) line.text.pop_back();
        const std::size_t from = line.text.size();
        const std::size_t skip = folded ? 1 : 0;
        line.tooLong = line.tooLong || next.tooLong || from + next.text.size() - skip > kMaxLineBytes;
        if (line.tooLong) continue;  // the rest of the value is skipped, never held
        line.text.append(next.text, skip, std::string::npos);
        line.valid = line.valid && next.valid;
        joined = true;
        if (colon == std::string::npos && (colon = line.text.find(':', from)) != std::string::npos)
            quotedPrintable = txt::InStr(txt::UCase(line.text.substr(0, colon)), "QUOTED-PRINTABLE") > 0;
    }
    // A fold may split a character; the parts are text only once joined.
    if (joined && !line.valid) lines_.Recheck(line);
    return true;
}

bool VCardReader::Next(Record& record) {
    record = Record{};
    Line line;
    Property p;
    while (true) {
        if (!Logical(line)) return false;
        if (line.valid && !line.tooLong && txt::Trim(line.text).empty()) continue;
        record.line = line.number;
        if (line.tooLong) {
            record.problem = Problem{"Hx.CRM.TkContact.Exchange.LineTooLong", {std::to_string(line.number), kMaxLineMegabytes}};
            return true;
        }
        if (line.valid && ParseLine(line.text, p) && p.name == "BEGIN" && txt::EqualsNoCase(txt::Trim(p.value), "VCARD"))
            break;
        record.problem = Problem{"Hx.CRM.TkContact.Exchange.OutsideCard", {std::to_string(line.number)}};
        return true;
    }
    const std::string start = std::to_string(record.line);
    auto refuse = [&record](std::string key, long at) {
        if (!record.problem) record.problem = Problem{std::move(key), {std::to_string(at)}};
    };
    CardBuilder card(record);
    bool base64 = false;  // inside an older card's picture, whose lines are not folded
    while (Logical(line)) {
        if (line.tooLong) {
            if (!record.problem)
                record.problem = Problem{"Hx.CRM.TkContact.Exchange.LineTooLong", {std::to_string(line.number), kMaxLineMegabytes}};
            continue;
        }
        if (!line.valid) {
            refuse("Hx.CRM.TkContact.Exchange.BadBytes", line.number);
            continue;
        }
        if (txt::Trim(line.text).empty()) {
            base64 = false;
            continue;
        }
        if (!ParseLine(line.text, p)) {
            if (!base64 || line.text.find(':') != std::string::npos) refuse("Hx.CRM.TkContact.Exchange.BadLine", line.number);
            continue;
        }
        base64 = false;
        if (p.name == "END") {
            card.Finish();
            return true;
        }
        if (p.name == "BEGIN") {  // the card before it never ended
            putBack_ = std::move(line);
            break;
        }
        const std::string encoding = txt::UCase(Param(p, "ENCODING"));
        base64 = encoding == "BASE64" || encoding == "B";
        if (!card.Take(p)) refuse("Hx.CRM.TkContact.Exchange.BadBytes", line.number);
    }
    record.problem = Problem{"Hx.CRM.TkContact.Exchange.NoEnd", {start}};
    return true;
}

}  // namespace sovrel::exchange
