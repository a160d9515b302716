#pragma once
// The host's localized texts: one table per language, looked up by resource key.
//
// Tables come from the .tsv files beside this header, embedded into the library at build time.
// Languages: "zh-CN" (the default), "en-US", and the test language "keys", in which a text is its
// own key followed by its parameters, "Hx.CRM.COMMON.CheckLen02(Name,10)", so that tests can
// assert exact messages without depending on wording.
//
// Besides the component's own keys the tables hold two host families: "<window key>.<control>"
// ("Hx.CRM.TkContactUI.frmSendEMail.cmdSend"), the control texts that LocalizeForm applies, and
// "Hx.CRM.TkContact.Column.<column>", the list-column captions for the column settings.
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace host::texts {

// A table source that breaks the file rules; what() names the source and line.
class TextTableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TextTable {
public:
    // The table of a language ("zh-CN", "en-US", "keys", matched without regard to case);
    // any other language, and the empty one, gives zh-CN. Built on first use, then shared.
    static const TextTable& For(std::string_view language);

    // The languages For() knows, default first.
    static std::vector<std::string> Languages();

    // Reads "key<TAB>text" lines (UTF-8; '#' starts a comment line; blank lines are skipped;
    // in a text, \n is a line break, \t a tab and \\ a backslash). Keys must be sorted by byte
    // value and unique, texts non-empty; a breach throws TextTableError naming source:line.
    static TextTable FromTsv(std::string language, std::string_view tsv, std::string_view source);

    const std::string& Language() const { return language_; }

    // The text of key, compared exactly (the component passes keys on unchanged, so there is no
    // case-insensitive fallback); nullopt when the language has no such key.
    // In "keys" the text of a known key is the key itself.
    std::optional<std::string> Get(std::string_view key) const;

    // The text of key with {0}..{n} filled from params (see FillPlaceholders). In "keys":
    // key(p0,p1,...) with the parameters as given, or the bare key without parameters.
    // A key the language lacks gives the key itself, so a missing text shows up on screen.
    std::string Format(std::string_view key, const std::vector<std::string>& params = {}) const;

    // Every key of the language, sorted.
    std::vector<std::string> Keys() const;

private:
    TextTable(std::string language, std::map<std::string, std::string, std::less<>> texts,
              bool echoKeys);

    std::string language_;
    std::map<std::string, std::string, std::less<>> texts_;
    bool echoKeys_ = false;  // the "keys" language: texts are their own keys
};

// Puts params[n] in place of each {n} in one pass (a parameter that itself holds "{0}" stays
// as it is); {n} without a parameter stays visible; extra parameters are ignored; "{{" and "}}"
// are literal braces; any other brace is copied unchanged.
std::string FillPlaceholders(std::string_view pattern, const std::vector<std::string>& params);

// The numbers n of the {n} placeholders of pattern (escaped "{{" braces do not count).
std::set<int> PlaceholderNumbers(std::string_view pattern);

// True when every brace of pattern belongs to a {n} placeholder or to "{{" / "}}".
bool BracesWellFormed(std::string_view pattern);

}  // namespace host::texts
