#include "exchange/text_lines.h"

#include "platform/text.h"

namespace sovrel::exchange {

namespace txt = platform::text;

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Counts the well-formed multi-byte characters and the bytes that start no character.
void CountUtf8(std::string_view s, long& valid, long& invalid) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        const std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        if (i + len <= s.size() && txt::IsValidUtf8(s.substr(i, len))) {
            ++valid;
            i += len;
        } else {
            ++invalid;
            ++i;
        }
    }
}

}  // namespace

Encoding DetectEncoding(std::istream& in) {
    const auto start = in.tellg();
    char mark[2] = {};
    in.read(mark, 2);
    if (in.gcount() == 2 && ((mark[0] == '\xFF' && mark[1] == '\xFE') || (mark[0] == '\xFE' && mark[1] == '\xFF'))) {
        in.clear();
        in.seekg(start);
        return Encoding::Utf16;
    }
    in.clear();
    in.seekg(start);
    long valid = 0, invalid = 0;
    bool gbk = true;
    std::string line, converted;
    while (std::getline(in, line)) {
        if (txt::IsValidUtf8(line)) {
            CountUtf8(line, valid, invalid);
            continue;
        }
        CountUtf8(line, valid, invalid);
        if (gbk && !txt::FromGb18030(line, converted)) gbk = false;
    }
    in.clear();
    in.seekg(start);
    // UTF-8 Chinese often reads as GBK as well, and GBK text now and then holds a valid UTF-8
    // sequence by chance; the file's majority decides.
    return invalid > 0 && gbk && invalid > valid ? Encoding::Gbk : Encoding::Utf8;
}

bool LineReader::Next(Line& line) {
    std::string raw;
    if (!std::getline(in_, raw)) return false;
    ++number_;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (number_ == 1 && raw.starts_with(kUtf8Mark)) raw.erase(0, kUtf8Mark.size());
    line.number = number_;
    if (encoding_ == Encoding::Gbk) {
        line.valid = txt::FromGb18030(raw, line.text);
        if (!line.valid) line.text = std::move(raw);
        return true;
    }
    line.valid = encoding_ == Encoding::Utf8 && txt::IsValidUtf8(raw);
    line.text = std::move(raw);
    return true;
}

}  // namespace sovrel::exchange
