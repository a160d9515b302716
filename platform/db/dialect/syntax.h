#pragma once
// The parse tree of a T-SQL batch. A node covers the tokens [first, last) of the source and
// lists its parts (kids) in source order: whatever of that range no kid covers (keywords,
// commas, parentheses) is printed as the source spelled it, so that a printer writes only what
// a backend needs changed.
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "dialect/rules.h"
#include "dialect/tokenizer.h"

namespace platform::db::dialect {

inline constexpr std::uint32_t kNoToken = std::numeric_limits<std::uint32_t>::max();

enum class Nk : std::uint8_t {
    // Statements.
    If,          // kids: condition, then, [else]
    Block,       // BEGIN ... END; kids: statements
    Use,         // alias: the database name
    CreateDatabase,
    Query,       // kids: [With], Compound
    Insert,      // kids: Table, then Values or Compound (op: INTO, or kNoToken when left out)
    Update,      // kids: Table, Set, [From], [Where]
    Delete,      // kids: Table, [Where] (op: FROM, or kNoToken)
    Truncate,    // kids: Table
    // Parts of statements.
    With,        // kids: Cte...
    Cte,         // alias: the name; kids: [Columns], Compound (in its parentheses)
    Compound,    // kids: Select or Subquery terms (set operators between them), [Clause ORDER BY]
    Select,      // kids: [Top], Item..., [Clause FROM], [Clause WHERE], ...
    Top,         // kids: the count
    Item,        // kids: the expression, [alias Name]; aliasFirst: written "alias = expression"
    Clause,      // op: its keyword (FROM, WHERE, GROUP, HAVING, ORDER, ON, SET); kids: its parts
    Table,       // parts: name parts; op: the token after them; kids: [Columns], hints, [alias Name]
    Derived,     // kids: Subquery, [alias Name]
    Join,        // kids: Table or Derived, [Clause ON]
    Columns,     // ( name, ... ): kids Name
    OrderItem,   // kids: the expression
    Values,      // kids: Row...
    Row,         // ( expression, ... )
    Hints,       // a table's lock hints: (NOLOCK), WITH (ROWLOCK, ...)
    Assign,      // kids: column Name, value
    Over,        // OVER ( [PARTITION BY ...] [ORDER BY ...] ): kids expressions and OrderItems
    // Expressions.
    Name,        // parts: its parts; star: ends in .*
    Star,        // *
    Literal,     // a string, N string or number
    Param,       // ?; number: 1-based within the statement
    Variable,    // @@IDENTITY, @@ROWCOUNT
    Null,
    Now,         // CURRENT_TIMESTAMP
    Unary,       // op; kids: operand
    Arith,       // op (+ - * / % & | ^); kids: left, right
    Compare,     // op; kids: left, right (a Subquery after ANY / SOME / ALL)
    Logical,     // op (AND, OR); kids: left, right
    Not,         // kids: operand
    Between,     // kids: operand, low, high; negated
    In,          // kids: operand, then a Subquery or the values; negated
    Like,        // op: LIKE; kids: operand, pattern, [escape]; negated
    Is,          // IS [NOT] NULL; kids: operand
    Exists,      // kids: Subquery
    Case,        // kids: everything between CASE and END
    Call,        // op: the name's last token; kids: arguments (Star for COUNT(*)), [Over]
    Convert,     // CONVERT(type, value[, style]) or CAST(value AS type): kids value, [style]
    Collate,     // kids: operand; alias: the collation's name
    Group,       // ( expression )
    Subquery,    // ( query ): kids [With], Compound
};

// The parts of a name: at most four (server.database.schema.object), kept in the node.
class NameParts {
public:
    static constexpr std::size_t kMax = 4;
    bool Full() const { return size_ == kMax; }
    void push_back(std::uint32_t t) { at_[size_++] = t; }
    std::size_t size() const { return size_; }
    std::uint32_t operator[](std::size_t k) const { return at_[k]; }
    std::uint32_t front() const { return at_[0]; }
    std::uint32_t back() const { return at_[size_ - 1]; }
    // Keeps the parts listed by index, in that order.
    void Keep(std::initializer_list<std::size_t> which) {
        std::uint32_t kept[kMax] = {};
        std::size_t n = 0;
        for (std::size_t k : which) kept[n++] = at_[k];
        std::copy(kept, kept + n, at_);
        size_ = n;
    }

private:
    std::uint32_t at_[kMax] = {};
    std::size_t size_ = 0;
};

struct Node;

// A node's kids: most nodes have at most three, kept in the node; more go to the heap.
class Kids {
public:
    Kids() = default;
    Kids& operator=(std::initializer_list<Node*> kids) { return Assign(kids.begin(), kids.end()); }
    Kids& operator=(const std::vector<Node*>& kids) { return Assign(kids.data(), kids.data() + kids.size()); }
    void push_back(Node* n) {
        if (heap_.empty() && size_ < kInline) {
            inline_[size_++] = n;
            return;
        }
        if (heap_.empty()) heap_.assign(inline_, inline_ + size_);
        heap_.push_back(n);
        ++size_;
    }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    Node* operator[](std::size_t k) const { return data()[k]; }
    Node* back() const { return data()[size_ - 1]; }
    Node* const* begin() const { return data(); }
    Node* const* end() const { return data() + size_; }

private:
    static constexpr std::size_t kInline = 3;
    Node* const* data() const { return heap_.empty() ? inline_ : heap_.data(); }
    Kids& Assign(Node* const* b, Node* const* e) {
        heap_.clear();
        size_ = 0;
        for (; b != e; ++b) push_back(*b);
        return *this;
    }
    Node* inline_[kInline] = {};
    std::vector<Node*> heap_;
    std::size_t size_ = 0;
};

struct Node {
    Nk kind = Nk::Literal;
    ValueType type = ValueType::Unknown;  // set by the type pass (expressions)
    bool negated = false;
    bool aliasFirst = false;
    bool star = false;
    // Set by the rewrites.
    bool dropped = false;        // written as nothing (TOP, a lock hint list)
    bool compared = false;       // an operand of a comparison: text gets the text collation
    bool trimmed = false;        // a compared literal written without its trailing spaces
    bool inCollation = false;    // IN: the operand gets the text collation (text values listed)
    bool prefixRange = false;    // Compare: LEFT(column, n) = 'text' with the index range beside it
    bool caseless = false;       // Like: a pattern of characters without case and %
    bool recursive = false;      // Cte
    std::uint32_t first = 0, last = 0;  // tokens [first, last)
    std::uint32_t op = kNoToken;
    std::uint32_t alias = kNoToken;
    int number = 0;
    std::uint32_t height = 0;    // of the tree below: 0 for a leaf
    Kids kids;
    NameParts parts;             // Name, Table: the name's tokens (kNoToken: "db..t")
    Node* limit = nullptr;       // Compound: the count of a TOP, written as LIMIT
    Node* bound = nullptr;       // OrderItem: the selected column a bare name stands for
    std::string text;            // Like: the pattern as the backend writes it; Convert: the type
};

// A parsed batch: the tokens and the nodes, which point into each other and into the source.
struct Tree {
    std::string_view source;
    std::vector<Token> tokens;
    std::vector<Node*> nodes;  // all of them, in the order they were made
    Kids statements;
    // The parser's room, kept here to be reused from one batch to the next.
    std::vector<std::uint32_t> pairs;                              // '(' -> its ')'
    std::vector<std::pair<std::uint32_t, std::size_t>> openCases;  // CASE, the parentheses open before it

    std::string_view Text(std::uint32_t t) const { return source.substr(tokens[t].pos, tokens[t].len); }
    // Empties the tree for the next batch, keeping its room (one chunk, the largest).
    void Reset(std::string_view text) {
        source = text;
        tokens.clear();
        nodes.clear();
        statements = {};
        if (chunks_.size() > 1) {
            auto largest = std::max_element(chunks_.begin(), chunks_.end(), [](const auto& a, const auto& b) {
                return a.capacity() < b.capacity();
            });
            std::vector<Node> kept = std::move(*largest);
            chunks_.clear();
            chunks_.push_back(std::move(kept));
        }
        if (!chunks_.empty()) chunks_[0].clear();
    }
    // On an empty tree: room for about n nodes made without allocating again.
    void Reserve(std::size_t n) {
        nodes.reserve(n);
        if (chunks_.empty()) chunks_.emplace_back();
        if (chunks_[0].capacity() < n) {
            chunks_[0] = std::vector<Node>();
            chunks_[0].reserve(n);
        }
    }
    Node* Make(Nk kind, std::uint32_t first) {
        if (chunks_.empty() || chunks_.back().size() == chunks_.back().capacity()) {
            const std::size_t room = chunks_.empty() ? 16 : 2 * chunks_.back().capacity();
            chunks_.emplace_back().reserve(room);
        }
        // A chunk never grows past its room, so its nodes never move (nor when chunks_ does).
        Node* n = &chunks_.back().emplace_back();
        n->kind = kind;
        n->first = n->last = first;
        nodes.push_back(n);
        return n;
    }

private:
    std::vector<std::vector<Node>> chunks_;
};

}  // namespace platform::db::dialect
