#pragma once
// Tokens of a T-SQL batch. Tokens point into the source text (which must outlive them) and
// keep their byte offset, so that errors can name the character position.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace platform::db::dialect {

enum class Tk : std::uint8_t {
    Ident,         // plain name or keyword
    Bracketed,     // [name]
    DQuoted,       // "name"
    String,        // '...'
    NString,       // N'...'
    Number,
    Op,            // operators, including comparisons
    LParen,
    RParen,
    Comma,
    Semicolon,
    Dot,
    Param,         // ?
    Variable,      // @name, @@name
    End,
};

// Reserved words the translator reacts to. Words that T-SQL does not reserve (TIES, TRAN,
// OFFSET, ...) stay plain names and are recognised by text where they matter.
enum class Kw : std::uint8_t {
    None,
    All, Alter, And, Any, Apply, As, Asc, Begin, Between, Break, By, Case, Close, Collate,
    Commit, Compute, Contains, Continue, Create, Cross, Current_timestamp, Current_user, Cursor,
    Database, Deallocate, Declare, Default, Delete, Deny, Desc, Distinct, Drop, Else, End,
    Escape, Except, Exec, Execute, Exists, Fetch, For, Freetext, From, Full, Goto, Grant, Group,
    Having, If, In, Index, Inner, Insert, Intersect, Into, Is, Join, Kill, Left, Like, Merge,
    Not, Null, Of, Off, On, Open, Option, Or, Order, Outer, Over, Percent, Pivot, Print, Proc,
    Procedure, Raiserror, References, Return, Revoke, Right, Rollback, Save, Select,
    Session_user, Set, Some, System_user, Table, Tablesample, Then, To, Top, Tran,
    Transaction, Truncate, Union, Unpivot, Update, Use, User, Values, Waitfor, When, Where,
    While, With,
};

struct Token {
    Tk kind = Tk::End;
    Kw kw = Kw::None;
    bool spaceBefore = false;  // white space or a comment came before it
    std::uint32_t pos = 0;     // byte offset in the source
    std::uint32_t len = 0;
};

// Splits tsql into tokens, ending with one Tk::End token. Comments become spaceBefore.
// Throws platform::Error(CannotTranslate) for an unterminated literal, name or comment, or a
// character that has no meaning in T-SQL.
std::vector<Token> Tokenize(std::string_view tsql);
// The same into out, whose room is kept from one batch to the next.
void Tokenize(std::string_view tsql, std::vector<Token>& out);

// A piece of a refusal's message; upper: a word written in capitals whatever its spelling.
struct MessagePart {
    constexpr MessagePart() = default;
    constexpr MessagePart(std::string_view t) : text(t) {}
    constexpr MessagePart(const char* t) : text(t) {}
    MessagePart(const std::string& t) : text(t) {}
    static constexpr MessagePart Upper(std::string_view t) {
        MessagePart p(t);
        p.upper = true;
        return p;
    }
    std::string_view text;
    bool upper = false;
};

// Throws platform::Error(CannotTranslate): the parts, then the character position of byteOffset.
// The message is joined in a call that has returned before the throw, so that the frames the
// refusal unwinds hold no strings to free (each such frame is one more stop of the unwinding).
[[noreturn]] void RefuseAt(std::string_view tsql, std::size_t byteOffset, std::initializer_list<MessagePart> parts);

// 1-based character position of a byte offset, for messages.
long CharPosition(std::string_view tsql, std::size_t byteOffset);

// ASCII case-insensitive equality, for keywords and names.
bool SameWord(std::string_view a, std::string_view b);

}  // namespace platform::db::dialect
