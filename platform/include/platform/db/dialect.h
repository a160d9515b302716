#pragma once
// Translation of the component's SQL Server statement texts into a backend's own SQL.
// The component writes every statement in T-SQL; a backend runs only what this layer gives it.
#include <string>
#include <string_view>
#include <vector>

namespace platform::db {

// The collation of text on SQLite accounts, case-insensitive as SQL Server's default. The name is
// our own: a tool without Sovrel's extension then refuses to compare or write indexed text
// instead of putting an index out of order.
inline constexpr std::string_view kSqliteTextCollation = "SOVREL_CI";

// One executable piece of a translated batch.
struct Step {
    enum class Kind {
        Statement,       // sql: native statement (query or not)
        Use,             // name: database to switch the connection to
        CreateDatabase,  // name: database to create
        If,              // sql: native query giving one row, one column, non-zero when true;
                         // then / otherwise: the branches
    };
    Kind kind = Kind::Statement;
    std::string sql;
    std::string name;
    bool returnsRows = false;  // Statement: it is a query (SELECT / WITH / VALUES)
    std::vector<Step> then;
    std::vector<Step> otherwise;
};

class Dialect {
public:
    virtual ~Dialect() = default;
    virtual std::string_view Name() const = 0;
    // Translates a T-SQL batch (one or more statements, ';' optional between them).
    // Throws platform::Error(errnum::CannotTranslate) naming the construct it did not
    // understand and its character position.
    virtual std::vector<Step> Translate(std::string_view tsql) const = 0;
};

// The names a T-SQL text spells (plain, [bracketed] and "quoted", without their quotes), in
// order; empty when the text cannot be read. A backend that folds names to lower case gives its
// result fields these spellings back.
std::vector<std::string> SpelledNames(std::string_view tsql);

// What reading a query a page at a time needs, cut from its T-SQL text. count counts its rows
// (without its ORDER BY, and for a plain query without its select list). A plain SELECT from a
// base table (no TOP, DISTINCT, GROUP BY or aggregate) is also `keyed`: its select list, FROM
// clause (with the joins), WHERE condition and ORDER BY terms as written (orderBy) and with the
// select list's positions and aliases replaced by their expressions (keyOrder), and the first
// table of its FROM clause (baseTable, named baseName in the statement). Throws
// platform::Error(CannotTranslate) for a text the parser cannot read.
struct PagingPlan {
    std::string count;
    bool keyed = false;
    std::string selectList, from, where, orderBy, keyOrder;
    std::string baseTable, baseName;
    // LEFT JOINs that only look a column up (nothing but the select list names their tables):
    // each finds at most one row, and the count may leave it out, when its table's column is a
    // unique key. countWithoutLookups is that count ("" when there are none).
    struct Lookup {
        std::string table, column;
    };
    std::vector<Lookup> lookups;
    std::string countWithoutLookups;
    // Every join of the FROM is such a lookup, wherever its table is named (none for a single
    // table): a base row is one row of the query when each of joins is a unique key.
    bool onlyLookupJoins = false;
    std::vector<Lookup> joins;
};
PagingPlan PlanPaging(std::string_view tsql);

const Dialect& SqliteDialect();
const Dialect& PostgresDialect();

}  // namespace platform::db
