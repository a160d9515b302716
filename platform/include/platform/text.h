#pragma once
// Text helpers. Every length and position counts characters (UTF-8 code points), never bytes;
// positions are 1-based as in the component's original world.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::text {

// Number of characters; invalid UTF-8 bytes count as one character each.
std::size_t Len(std::string_view s);
// First n characters (all when n >= Len, empty when n <= 0).
std::string Left(std::string_view s, long n);
// Last n characters.
std::string Right(std::string_view s, long n);
// From 1-based character position start, at most len characters (to the end when len < 0).
std::string Mid(std::string_view s, long start, long len = -1);
// Removes leading/trailing spaces (U+0020 only, as the original Trim did).
std::string Trim(std::string_view s);
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
// Lower/upper case of every letter, one character for one (ß stays ß, as in SQL Server).
std::string LCase(std::string_view s);
std::string UCase(std::string_view s);
// Replaces every occurrence of find (exact, case-sensitive); an empty find changes nothing.
std::string Replace(std::string_view s, std::string_view find, std::string_view with);
// 1-based character position of find in s at or after character start; 0 when absent.
long InStr(std::string_view s, std::string_view find, long start = 1);
// Case-insensitive (FoldCase) comparison for equality.
bool EqualsNoCase(std::string_view a, std::string_view b);
// Orders as SQL Server's default collation does: case and width do not count, accents do, ß
// equals ss; <0, 0 or >0. Trailing spaces count here (the callers that ignore them trim first).
int CollateNoCase(std::string_view a, std::string_view b);
std::vector<std::string> Split(std::string_view s, std::string_view sep);

// Appends field as one CSV field (RFC 4180): quoted, with its quotes doubled, when it holds a
// comma, a quote or a line break, and also when it begins or ends with a space if
// quoteEdgeSpaces (for readers that trim unquoted fields). A text a spreadsheet would run as a
// formula is written as NeutralCellText.
void AppendCsvField(std::string& out, std::string_view field, bool quoteEdgeSpaces = false);
// text with an apostrophe before it when it begins with = + - @, a tab or a CR and is no plain
// number ("-2.5" stays as it is), or when it is such a text behind apostrophes already;
// otherwise text itself. RestoredCellText gives the text back.
std::string NeutralCellText(std::string_view text);
std::string RestoredCellText(std::string_view text);
// The text with the value of every Password= / Pwd= item (any case, up to ';' or the end of
// the line) replaced by ****, so that connection texts can appear in messages and logs.
std::string HidePasswords(std::string_view s);
// True when s holds a control character (C0, DEL or C1), such as a line feed or a carriage return.
bool HasControlCharacters(std::string_view s);
// True when s is one mail address local@domain: valid UTF-8, no control character, space or
// character that a mail header or an SMTP command gives a meaning (<>()[],;:\" and a second @),
// no empty, leading, trailing or doubled dot, and a domain of letters, digits, hyphens and
// non-ASCII letters with at least one dot.
bool IsMailAddress(std::string_view s);
// The first entry of a list of addresses separated by ';' or ',' (blank entries skipped) that is
// no mail address; "" when every entry is one.
std::string FirstBadMailAddress(std::string_view list);
// The first letter of the Mandarin reading of each Han character, lower-case, in order ("张三"
// gives "zs"); other characters are left out, so a text without Han characters gives "". A
// character read more than one way gives the letter of its usual reading.
std::string PinyinInitials(std::string_view s);

// True when s is well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool IsValidUtf8(std::string_view s);
// The byte offset of the first sequence that breaks UTF-8 as IsValidUtf8 reads it; npos when none.
std::size_t Utf8ErrorAt(std::string_view s);
// s read as GB18030, the superset of GBK, written to out as UTF-8; false (out unspecified) when s
// holds a byte sequence that is no GB18030 character.
bool FromGb18030(std::string_view s, std::string& out);
// s read in charset (a name such as "GB18030" or "ISO-8859-1"), written to out as UTF-8; false
// (out unspecified) for an unknown charset or a byte sequence that is no character of it.
bool ToUtf8From(std::string_view charset, std::string_view s, std::string& out);
// utf8 written to out in charset; a character charset lacks becomes its substitute character.
// False for an unknown charset.
bool FromUtf8To(std::string_view charset, std::string_view utf8, std::string& out);

// Simple case folding of one code point.
char32_t FoldCase(char32_t c);
char32_t UpperCase(char32_t c);
// True when c has no case: no case mapping changes it and none of another character gives it
// (digits, Han, most punctuation), so a text holds c exactly when its lower case does.
bool Caseless(char32_t c);
// Decodes one code point at s[i], advancing i; invalid bytes decode as themselves.
char32_t DecodeUtf8(std::string_view s, std::size_t& i);
void AppendUtf8(std::string& out, char32_t c);

}  // namespace platform::text
