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
    std::string converted;
    LineReader lines(in, Encoding::Utf8);
    for (Line line; lines.Next(line);) {
        CountUtf8(line.text, valid, invalid);
        if (gbk && !txt::IsValidUtf8(line.text) && !txt::FromGb18030(line.text, converted)) gbk = false;
    }
    in.clear();
    in.seekg(start);
    // UTF-8 Chinese often reads as GBK as well, and GBK text now and then holds a valid UTF-8
    // sequence by chance; the file's majority decides.
    return invalid > 0 && gbk && invalid > valid ? Encoding::Gbk : Encoding::Utf8;
}

bool LineReader::Fill() {
    if (at_ < buffer_.size()) return true;
    buffer_.resize(64 * 1024);
    const auto n = in_.rdbuf() ? in_.rdbuf()->sgetn(buffer_.data(), static_cast<std::streamsize>(buffer_.size())) : 0;
    buffer_.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    at_ = 0;
    if (buffer_.empty()) in_.setstate(std::ios::eofbit);
    return !buffer_.empty();
}

bool LineReader::Raw(std::string& raw, bool& tooLong) {
    raw.clear();
    tooLong = false;
    if (!Fill()) return false;
    while (true) {
        const std::size_t end = std::min(buffer_.find_first_of("\r\n", at_), buffer_.size());
        const std::size_t room = kMaxLineBytes - std::min(raw.size(), kMaxLineBytes);
        raw.append(buffer_, at_, std::min(end - at_, room));
        tooLong = tooLong || end - at_ > room;
        at_ = end;
        if (at_ == buffer_.size()) {
            if (!Fill()) return true;  // the last line, without an end
            continue;
        }
        // LF, CR LF, or a lone CR ending the line by itself.
        if (buffer_[at_++] == '\r' && Fill() && buffer_[at_] == '\n') ++at_;
        return true;
    }
}

bool LineReader::Next(Line& line) {
    std::string raw;
    if (!Raw(raw, line.tooLong)) return false;
    ++number_;
    if ((number_ == 1 || encoding_ == Encoding::Utf8) && raw.starts_with(kUtf8Mark)) raw.erase(0, kUtf8Mark.size());
    line.number = number_;
    const bool nul = raw.find('\0') != std::string::npos;
    if (encoding_ == Encoding::Gbk) {
        line.valid = !nul && txt::FromGb18030(raw, line.text);
        if (!line.valid) line.text = std::move(raw);
        return true;
    }
    line.text = std::move(raw);
    Recheck(line);
    return true;
}

void LineReader::Recheck(Line& line) const {
    line.valid = encoding_ == Encoding::Utf8 && txt::IsValidUtf8(line.text) && line.text.find('\0') == std::string::npos;
}

}  // namespace sovrel::exchange
