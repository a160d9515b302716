#include "host/texts/text_table.h"

#include <cstddef>
#include <utility>

namespace host::texts {

namespace embedded {
// Defined in the file that the build generates from zh-CN.tsv and en-US.tsv.
extern const std::string_view kZhCn;
extern const std::string_view kEnUs;
}  // namespace embedded

namespace {

constexpr std::string_view kZhCnName = "zh-CN";
constexpr std::string_view kEnUsName = "en-US";
constexpr std::string_view kKeysName = "keys";

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// Walks pattern once; calls literal(text) for plain text and brace escapes, and
// placeholder(n, original) for each {n}. Returns false when a brace stands alone.
template <typename Literal, typename Placeholder>
bool ScanPattern(std::string_view p, Literal literal, Placeholder placeholder) {
    bool wellFormed = true;
    std::size_t i = 0, plainStart = 0;
    auto flush = [&](std::size_t end) {
        if (end > plainStart) literal(p.substr(plainStart, end - plainStart));
    };
    while (i < p.size()) {
        const char c = p[i];
        if (c != '{' && c != '}') {
            ++i;
            continue;
        }
        flush(i);
        if (i + 1 < p.size() && p[i + 1] == c) {  // "{{" or "}}"
            literal(p.substr(i, 1));
            i += 2;
        } else if (c == '{') {
            std::size_t j = i + 1;
            long n = 0;
            // At most nine digits, so n fits an int; longer runs are not placeholders.
            while (j < p.size() && j - i <= 9 && p[j] >= '0' && p[j] <= '9')
                n = n * 10 + (p[j++] - '0');
            if (j > i + 1 && j < p.size() && p[j] == '}') {
                placeholder(n, p.substr(i, j + 1 - i));
                i = j + 1;
            } else {
                wellFormed = false;
                literal(p.substr(i, 1));
                ++i;
            }
        } else {
            wellFormed = false;
            literal(p.substr(i, 1));
            ++i;
        }
        plainStart = i;
    }
    flush(i);
    return wellFormed;
}

bool ValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t len;
        char32_t cp;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            len = 2, cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3, cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4, cp = b & 0x07;
        } else {
            return false;
        }
        if (i + len > s.size()) return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto cb = static_cast<unsigned char>(s[i + k]);
            if ((cb & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cb & 0x3F);
        }
        const char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

[[noreturn]] void Fail(std::string_view source, std::size_t line, const std::string& what) {
    throw TextTableError(std::string(source) + ":" + std::to_string(line) + ": " + what);
}

std::string Unescape(std::string_view raw, std::string_view source, std::size_t line) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\') {
            out += raw[i];
            continue;
        }
        if (i + 1 == raw.size())
            Fail(source, line, "the text ends in a lone backslash; write \\\\");
        switch (raw[++i]) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                Fail(source, line,
                     std::string("unknown escape \\") + raw[i] +
                         " (known: \\n line break, \\t tab, \\\\ backslash)");
        }
    }
    return out;
}

const TextTable& ZhCn() {
    static const TextTable table =
        TextTable::FromTsv(std::string(kZhCnName), embedded::kZhCn, "host/texts/zh-CN.tsv");
    return table;
}

}  // namespace

TextTable::TextTable(std::string language, std::map<std::string, std::string, std::less<>> texts,
                     bool echoKeys)
    : language_(std::move(language)), texts_(std::move(texts)), echoKeys_(echoKeys) {}

const TextTable& TextTable::For(std::string_view language) {
    if (EqualsAsciiNoCase(language, kEnUsName)) {
        static const TextTable table =
            FromTsv(std::string(kEnUsName), embedded::kEnUs, "host/texts/en-US.tsv");
        return table;
    }
    if (EqualsAsciiNoCase(language, kKeysName)) {
        // Same key set as the default language, so a key missing there is missing here too.
        static const TextTable table(std::string(kKeysName), ZhCn().texts_, true);
        return table;
    }
    return ZhCn();
}

std::vector<std::string> TextTable::Languages() {
    return {std::string(kZhCnName), std::string(kEnUsName), std::string(kKeysName)};
}

TextTable TextTable::FromTsv(std::string language, std::string_view tsv, std::string_view source) {
    std::map<std::string, std::string, std::less<>> texts;
    std::string previousKey;
    std::size_t previousLine = 0;
    std::size_t lineNo = 0;
    std::size_t pos = 0;
    while (pos < tsv.size()) {
        std::size_t end = tsv.find('\n', pos);
        if (end == std::string_view::npos) end = tsv.size();
        std::string_view line = tsv.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;

        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) Fail(source, lineNo, "no tab between key and text");
        if (line.find('\t', tab + 1) != std::string_view::npos)
            Fail(source, lineNo, "more than one tab; write a tab inside a text as \\t");
        const std::string_view key = line.substr(0, tab);
        if (key.empty()) Fail(source, lineNo, "empty key");
        for (const char c : key)
            if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F)
                Fail(source, lineNo,
                     "key '" + std::string(key) + "' holds a space or control character");
        const std::string_view raw = line.substr(tab + 1);
        if (!ValidUtf8(raw))
            Fail(source, lineNo, "text of '" + std::string(key) + "' is not valid UTF-8");
        std::string text = Unescape(raw, source, lineNo);
        if (text.empty()) Fail(source, lineNo, "empty text for '" + std::string(key) + "'");

        if (previousLine != 0) {
            if (key == previousKey)
                Fail(source, lineNo,
                     "duplicate key '" + std::string(key) + "' (also on line " +
                         std::to_string(previousLine) + ")");
            if (key < previousKey)
                Fail(source, lineNo,
                     "key '" + std::string(key) + "' is out of order: it sorts before '" +
                         previousKey + "' on line " + std::to_string(previousLine));
        }
        previousKey = std::string(key);
        previousLine = lineNo;
        texts.emplace_hint(texts.end(), previousKey, std::move(text));
    }
    return TextTable(std::move(language), std::move(texts), false);
}

std::optional<std::string> TextTable::Get(std::string_view key) const {
    const auto it = texts_.find(key);
    if (it == texts_.end()) return std::nullopt;
    return echoKeys_ ? it->first : it->second;
}

std::string TextTable::Format(std::string_view key, const std::vector<std::string>& params) const {
    const auto it = texts_.find(key);
    if (it == texts_.end()) return std::string(key);
    if (!echoKeys_) return FillPlaceholders(it->second, params);
    std::string out(key);
    if (params.empty()) return out;
    out += '(';
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (i > 0) out += ',';
        out += params[i];
    }
    out += ')';
    return out;
}

std::vector<std::string> TextTable::Keys() const {
    std::vector<std::string> keys;
    keys.reserve(texts_.size());
    for (const auto& entry : texts_) keys.push_back(entry.first);
    return keys;
}

std::string FillPlaceholders(std::string_view pattern, const std::vector<std::string>& params) {
    std::string out;
    out.reserve(pattern.size());
    ScanPattern(
        pattern, [&](std::string_view text) { out += text; },
        [&](long n, std::string_view original) {
            if (n < static_cast<long>(params.size()))
                out += params[static_cast<std::size_t>(n)];
            else
                out += original;
        });
    return out;
}

std::set<int> PlaceholderNumbers(std::string_view pattern) {
    std::set<int> numbers;
    ScanPattern(
        pattern, [](std::string_view) {},
        [&](long n, std::string_view) { numbers.insert(static_cast<int>(n)); });
    return numbers;
}

bool BracesWellFormed(std::string_view pattern) {
    return ScanPattern(
        pattern, [](std::string_view) {}, [](long, std::string_view) {});
}

}  // namespace host::texts
