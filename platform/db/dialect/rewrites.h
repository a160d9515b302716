#pragma once
// The type pass and the rewrites of a parsed batch: each rewrite marks or reshapes the tree for
// one difference between T-SQL and the backends, so that the printer only writes what it finds.
#include <string>
#include <string_view>
#include <vector>

#include "dialect/rules.h"
#include "dialect/syntax.h"

namespace platform::db::dialect {

// The backend's rule for a T-SQL function (upper case), or null.
const FunctionRule* FindFunction(const Rules& rules, std::string_view upper);

// What each expression gives, as far as the text shows: literals, functions and conversions
// say it, arithmetic passes it on (Money before Numeric), everything else is Unknown. T-SQL's +
// over texts and numbers: both texts give text, both numbers a number, anything else Unknown.
void InferTypes(const Rules& rules, Tree& tree);

// TOP n becomes the LIMIT of its query (refused in a UNION, where it would limit the whole).
void TopToLimit(Tree& tree);
// db.dbo.t becomes db.t and dbo.t becomes t (another schema is refused); lock hints are dropped
// (the backends lock by their own rules, so no result changes).
void DropSchemaAndHints(Tree& tree);
// A bare ORDER BY name stands for the one selected column of that name (a.x), as SQL Server
// binds it, unless it is an alias of the select list.
void BindOrderBy(Tree& tree);
// A common table expression that reads itself is recursive.
void MarkRecursiveTables(Tree& tree);
// The operands of comparisons: compared text gets the backend's text collation (literals lose
// their trailing spaces where the backend does not pad), and IN over text values collates its
// operand. An operand with its own COLLATE keeps it.
void CollateComparedText(const Rules& rules, Tree& tree);
// A literal LIKE pattern in the backend's syntax (a regular expression where a [set] needs it).
void LikeForBackend(const Rules& rules, Tree& tree);
// LEFT(column, n) = 'text' with the column's range beside it, for an index to find the rows.
void PrefixRange(const Rules& rules, Tree& tree);

// UPDATE t ... FROM t JOIN u ON c: the backends name the updated table only once, so the FROM
// reference becomes the target and its join condition joins the WHERE.
struct UpdateFrom {
    const Node* target = nullptr;      // the Table written after UPDATE (null: as written)
    const Node* alias = nullptr;       // its alias Name, or null
    std::vector<const Node*> from;     // what FROM lists after it (none: no FROM)
    const Node* joinCondition = nullptr;
};
UpdateFrom PlanUpdateFrom(const Tree& tree, const Node& update);

// All of them in order, for a batch about to be printed.
void Rewrite(const Rules& rules, Tree& tree);

}  // namespace platform::db::dialect
