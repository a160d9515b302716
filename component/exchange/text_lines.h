#pragma once
// Reading an exchange file line by line as UTF-8, whatever encoding it came in: UTF-8 with or
// without a byte-order mark, or GBK (read as its superset GB18030). The file is streamed, so a
// file of any length costs the memory of one line.
#include <istream>
#include <string>

namespace sovrel::exchange {

enum class Encoding { Utf8, Gbk, Utf16 };

// The encoding of the rest of in, read to its end and rewound to where it was: UTF-8 unless its
// invalid sequences outnumber its valid multi-byte ones and it reads as GBK throughout; Utf16
// when it starts with a UTF-16 byte-order mark (which no reader takes).
Encoding DetectEncoding(std::istream& in);

struct Line {
    std::string text;  // without its line end (LF or CR LF) and, on line 1, without the UTF-8 mark
    long number = 0;   // 1-based
    bool valid = true;  // false: bytes that are no text in the file's encoding (text holds them raw)
};

class LineReader {
public:
    LineReader(std::istream& in, Encoding encoding) : in_(in), encoding_(encoding) {}
    // The next line; false at the end of the input.
    bool Next(Line& line);

private:
    std::istream& in_;
    Encoding encoding_;
    long number_ = 0;
};

}  // namespace sovrel::exchange
