#pragma once
// Reading an exchange file line by line as UTF-8, whatever encoding it came in: UTF-8 with or
// without a byte-order mark, or GBK (read as its superset GB18030). Lines end at LF, CR LF or a
// lone CR (as older Mac programs write). The file is streamed, so a file of any length costs the
// memory of one line, and a line costs at most kMaxLineBytes.
#include <cstddef>
#include <istream>
#include <string>

namespace sovrel::exchange {

enum class Encoding { Utf8, Gbk, Utf16 };

// A line (or a vCard's folded line) longer than this is refused; its rest is skipped unread.
inline constexpr std::size_t kMaxLineBytes = 10 * 1024 * 1024;
inline constexpr const char* kMaxLineMegabytes = "10";  // for the refusal's text

// The encoding of the rest of in, read to its end and rewound to where it was: UTF-8 unless its
// invalid sequences outnumber its valid multi-byte ones and it reads as GBK throughout; Utf16
// when it starts with a UTF-16 byte-order mark (which no reader takes).
Encoding DetectEncoding(std::istream& in);

struct Line {
    std::string text;  // without its line end and without a UTF-8 mark at its start
    long number = 0;   // 1-based
    bool valid = true;  // false: bytes that are no text in the file's encoding (text holds them raw), or a NUL
    bool tooLong = false;  // longer than kMaxLineBytes: text holds its start only
};

class LineReader {
public:
    LineReader(std::istream& in, Encoding encoding) : in_(in), encoding_(encoding) {}
    // The next line; false at the end of the input.
    bool Next(Line& line);
    // Sets line.valid again for its text as it is now, for a UTF-8 file's lines joined after
    // they were read (a folded line may split a character).
    void Recheck(Line& line) const;

private:
    // The next line's bytes, at most kMaxLineBytes of them; false at the end of the input.
    bool Raw(std::string& raw, bool& tooLong);
    bool Fill();  // false at the end of the input

    std::istream& in_;
    Encoding encoding_;
    long number_ = 0;
    std::string buffer_;
    std::size_t at_ = 0;
};

}  // namespace sovrel::exchange
