#pragma once
// The terminal's side of the command line: arguments and standard input arrive in the locale's
// character set and output leaves in it, while text inside the program (and every file it
// writes) is UTF-8.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace sovrel::cli {

// Takes the character set of the environment's locale (LC_ALL, LC_CTYPE, LANG). The C locale
// counts as UTF-8: its ASCII is a part of UTF-8, and it is what a bare environment gives.
void UseLocaleCharset();
// The character set's name ("UTF-8", "GB18030" ...).
const std::string& TerminalCharset();

// The program's arguments as UTF-8. An argument holding bytes that are no text of the character
// set throws UsageError naming it (by its number) in the language --language names, else the
// locale's.
std::vector<std::string> ArgumentsFromTerminal(int argc, char** argv);
// Standard input's text as UTF-8; UsageError as above.
std::string InputFromTerminal(std::string_view bytes);
// Writes UTF-8 text to `to` (standard output or error) in the terminal's character set.
void Write(std::FILE* to, std::string_view text);
// printf to `to` through Write.
[[gnu::format(printf, 2, 3)]] void Print(std::FILE* to, const char* format, ...);

}  // namespace sovrel::cli
