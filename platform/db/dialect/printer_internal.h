#pragma once
// The printer's class, shared by the files that define its parts: statements and queries
// (printer.cpp) and expressions (printer_expressions.cpp).
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dialect/parser.h"
#include "dialect/printer.h"
#include "dialect/rewrites.h"

namespace platform::db::dialect::printing {

bool WordByte(char c);
std::string Upper(std::string_view s);

class Printer {
public:
    Printer(const Rules& rules, const Tree& tree) : r_(rules), t_(tree) {}

    void Statements(const Kids& statements, std::vector<Step>& out) {
        for (const Node* s : statements) Statement(*s, out);
    }

private:
    // ---- output ----------------------------------------------------------------------------

    // Appends text, separated from what precedes it where the source had space or where two
    // words would otherwise run together.
    void Emit(std::string& out, bool spaceBefore, std::string_view text) {
        if (!out.empty() && !text.empty() && out.back() != ' ' && out.back() != '(' && text.front() != ')' &&
            (spaceBefore || pendingSpace_ || (WordByte(out.back()) && WordByte(text.front()))))
            out += ' ';
        pendingSpace_ = false;
        out += text;
    }
    bool Space(std::uint32_t k) const { return t_.tokens[k].spaceBefore; }
    void Tok(std::string& out, std::uint32_t k) {
        const Token& t = t_.tokens[k];
        if (t.kind == Tk::Bracketed || t.kind == Tk::DQuoted) return EmitName(out, k);
        std::string_view text = t_.Text(k);
        if (t.kind == Tk::Op && text == "!<") text = ">=";
        if (t.kind == Tk::Op && text == "!>") text = "<=";
        Emit(out, t.spaceBefore, text);
    }
    void QuotedChar(std::string& s, char c) const {
        if (c == '"') s += '"';
        s += (r_.lowerCaseQuotedNames && c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    }
    std::string Quoted(std::string_view name) const {
        std::string s = "\"";
        for (char c : name) QuotedChar(s, c);
        return s + '"';
    }
    bool Requoted(std::uint32_t k) const {
        const Tk kind = t_.tokens[k].kind;
        return kind == Tk::Bracketed || (kind == Tk::DQuoted && r_.lowerCaseQuotedNames);
    }
    // A name as the backend writes it: [a]]b] and "a""b" become "a]b" and "a""b".
    std::string NameText(std::uint32_t k) const {
        return Requoted(k) ? Quoted(Unquoted(t_, k)) : std::string(t_.Text(k));
    }
    // NameText(k), written straight into out.
    void EmitName(std::string& out, std::uint32_t k) {
        if (!Requoted(k)) return Emit(out, Space(k), t_.Text(k));
        Emit(out, Space(k), "\"");
        const std::string_view raw = t_.Text(k);
        const char close = t_.tokens[k].kind == Tk::Bracketed ? ']' : '"';
        for (std::size_t i = 1; i + 1 < raw.size(); ++i) {  // as Unquoted reads it
            QuotedChar(out, raw[i]);
            if (raw[i] == close) ++i;
        }
        out += '"';
    }

    template <typename Get>
    static std::string Expand(std::string_view pattern, Get get) {
        std::string out;
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            const std::string_view key = pattern[i] == '$' ? PlaceholderAt(pattern, i) : std::string_view();
            if (key.empty()) {
                out += pattern[i];
                continue;
            }
            out += get(key);
            i += key.size();
        }
        return out;
    }
    std::string Alone(const Node* n) {
        std::string s;
        Print(s, n);
        return s;
    }

    // ---- statements ------------------------------------------------------------------------

    void Statement(const Node& s, std::vector<Step>& out);

    void Update(std::string& out, const Node& u);

    // ---- the tree --------------------------------------------------------------------------

    // The tokens of n from `from` on, its kids printed where they stand.
    void Generic(std::string& out, const Node& n, std::uint32_t from);

    void Print(std::string& out, const Node* n);

    void Inner(std::string& out, const Node& n);

    void Name(std::string& out, const Node& n);

    void Literal(std::string& out, const Node& n);

    std::string Limit(const Node& count);

    // The name of a table as the backend knows it: the recursive table's own reference in its
    // second part reads the table that carries the level (its name stays as an alias).
    void TableName(std::string& out, const Node& t);

    void Table(std::string& out, const Node& t);

    void Select(std::string& out, const Node& s);

    void With(std::string& out, const Node& w);

    static void Tables(const Node* n, std::vector<const Node*>& out);

    // The names of the columns a SELECT gives, for a recursive WITH without a list.
    std::vector<std::uint32_t> SelectedNames(const Node& s) const;

    // ---- expressions -----------------------------------------------------------------------

    void Arith(std::string& out, const Node& n);

    // LEFT(column, n) = 'text' AND column >= 'text' AND column < bound, in parentheses so that a
    // NOT before it still negates the whole.
    void Prefix(std::string& out, const Node& n);

    void Like(std::string& out, const Node& n);

    void Call(std::string& out, const Node& n);

    std::string DatePartArg(const Node& arg) const;

    bool IsRowVersion(const Node& v) const;

    // CONVERT(type, value[, style]) and CAST(value AS type).
    void Convert(std::string& out, const Node& n);

    const Rules& r_;
    const Tree& t_;
    bool pendingSpace_ = false;       // something was dropped: keep words apart
    long recursionLimit_ = 100;       // of a recursive WITH in the current statement
    std::string extraColumn_;         // the next SELECT's extra column (a recursive WITH's level)
    const std::uint32_t* recursiveName_ = nullptr;
    std::string recursiveTable_;
};

}  // namespace platform::db::dialect::printing
