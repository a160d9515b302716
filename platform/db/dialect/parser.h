#pragma once
// A recursive-descent parser of the T-SQL the component and its users write.
#include <string>
#include <string_view>

#include "dialect/syntax.h"

namespace platform::db::dialect {

// Parses a batch into its statements. Throws platform::Error(CannotTranslate) naming what it
// could not read and its character position; nothing is left half read.
Tree Parse(std::string_view tsql);
// The same into tree (emptied first), whose room is kept from one batch to the next.
void Parse(std::string_view tsql, Tree& tree);

// The T-SQL type name of a CONVERT or CAST, lower case with its length ("decimal(18,2)"), and
// what a value of it is known to be.
struct TypeName {
    std::string_view name;
    ValueType type;
};
const TypeName* FindType(std::string_view lowerName);

// A name token's text without its quotes: [a]]b] and "a""b" become a]b and a"b.
std::string Unquoted(const Tree& tree, std::uint32_t token);
std::string UnquotedText(Tk kind, std::string_view text);

// Refuses the batch at token with the message a b c d (see RefuseAt).
[[noreturn]] void Refuse(const Tree& tree, std::uint32_t token, MessagePart a, MessagePart b = {}, MessagePart c = {},
                         MessagePart d = {});

}  // namespace platform::db::dialect
