#include "terminal.h"

#include <langinfo.h>

#include <clocale>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "commands.h"
#include "host/crm.h"
#include "host/texts/text_table.h"
#include "platform/text.h"

namespace sovrel::cli {
namespace {

std::string& Charset() {
    static std::string charset = "UTF-8";
    return charset;
}

bool IsUtf8(const std::string& charset) {
    return platform::text::EqualsNoCase(charset, "UTF-8") || platform::text::EqualsNoCase(charset, "UTF8");
}

// The language of a refusal met before the user is known: --language when given, else the
// locale's messages language, else the host's default.
std::string RefusalLanguage(const std::vector<std::string>& raw) {
    for (std::size_t i = 0; i + 1 < raw.size(); ++i)
        if (raw[i] == "--language") return raw[i + 1];
    for (const auto& a : raw)
        if (a.starts_with("--language=")) return a.substr(11);
    const char* messages = std::setlocale(LC_MESSAGES, nullptr);
    std::string name = messages ? messages : "";
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* v = std::getenv(variable); v && *v) {
            name = v;
            break;
        }
    if (name.starts_with("en")) return "en-US";
    if (name.starts_with("zh")) return "zh-CN";
    return host::kDefaultLanguage;
}

// Set from the arguments, for a refusal of standard input as well.
std::string& Language() {
    static std::string language = host::kDefaultLanguage;
    return language;
}

std::string Refusal(std::string_view key, const std::vector<std::string>& params) {
    return host::texts::TextTable::For(Language()).Format(key, params);
}

bool FromCharset(std::string_view bytes, std::string& out) {
    if (IsUtf8(Charset())) {
        if (!platform::text::IsValidUtf8(bytes)) return false;
        out.assign(bytes);
        return true;
    }
    return platform::text::ToUtf8From(Charset(), bytes, out);
}

}  // namespace

void UseLocaleCharset() {
    std::setlocale(LC_CTYPE, "");
    const char* codeset = nl_langinfo(CODESET);
    const std::string name = codeset ? codeset : "";
    const bool ascii = name.empty() || name == "ANSI_X3.4-1968" || platform::text::EqualsNoCase(name, "US-ASCII");
    Charset() = ascii ? "UTF-8" : name;
}

const std::string& TerminalCharset() { return Charset(); }

std::vector<std::string> ArgumentsFromTerminal(int argc, char** argv) {
    std::vector<std::string> raw(argv + 1, argv + argc), args;
    Language() = RefusalLanguage(raw);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        std::string text;
        if (!FromCharset(raw[i], text))
            throw UsageError(Refusal("Hx.AA.CLI.ArgumentBytes", {std::to_string(i + 1), Charset()}));
        args.push_back(std::move(text));
    }
    return args;
}

std::string InputFromTerminal(std::string_view bytes) {
    std::string text;
    if (!FromCharset(bytes, text)) throw UsageError(Refusal("Hx.AA.CLI.InputBytes", {Charset()}));
    return text;
}

void Write(std::FILE* to, std::string_view text) {
    std::string converted;
    if (!IsUtf8(Charset()) && platform::text::FromUtf8To(Charset(), text, converted)) text = converted;
    std::fwrite(text.data(), 1, text.size(), to);
}

void Print(std::FILE* to, const char* format, ...) {
    std::va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    Write(to, text);
}

}  // namespace sovrel::cli
