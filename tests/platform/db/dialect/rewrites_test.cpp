// Each rewrite of the parsed tree alone: the batch is parsed, typed, rewritten by that one
// function and printed, so that a table shows what the rewrite changes and nothing else does.
// The whole translation, all rewrites together, is translate_test's part.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dialect/backends.h"
#include "dialect/parser.h"
#include "dialect/printer.h"
#include "dialect/rewrites.h"
#include "platform/error.h"

namespace pd = platform::db::dialect;

namespace {

using RewriteFn = std::function<void(const pd::Rules&, pd::Tree&)>;

struct Case {
    const char* tsql;
    const char* expected;  // the first statement, or the start of the refusal
};

void ExpectRewrite(const pd::Rules& rules, const RewriteFn& rewrite, const std::vector<Case>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tsql);
        try {
            pd::Tree tree = pd::Parse(c.tsql);
            pd::InferTypes(rules, tree);
            rewrite(rules, tree);
            EXPECT_EQ(pd::Print(rules, tree).at(0).sql, c.expected);
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.Description().rfind(c.expected, 0), 0u) << e.Description();
        }
    }
}

const pd::Rules& Sqlite() { return pd::SqliteRules(); }
const pd::Rules& Postgres() { return pd::PostgresRules(); }

TEST(TreeRewrite, TopBecomesTheLimitOfItsOwnQuery) {
    ExpectRewrite(Sqlite(), [](auto&, auto& t) { pd::TopToLimit(t); }, {
        {"select top 5 a from t order by a", "select a from t order by a LIMIT 5"},
        {"select a from t where b in (select top (2) c from u)", "select a from t where b in (select c from u LIMIT 2)"},
        {"select top (2 * ?) a from t", "select a from t LIMIT (2 * ?1)"},
        {"select top 1 a from t union select b from u", "cannot translate TOP in a UNION at position 8"},
    });
}

TEST(TreeRewrite, TheDefaultSchemaAndLockHintsAreDropped) {
    ExpectRewrite(Sqlite(), [](auto&, auto& t) { pd::DropSchemaAndHints(t); }, {
        {"select * from t a (nolock) join u with (rowlock, updlock) on 1=1", "select * from t a join u on 1=1"},
        {"UPDATE t WITH (ROWLOCK) SET a = 1", "UPDATE t SET a = 1"},
        {"select * from dbo.t join db.dbo.u on 1=1 join db..v on 1=1 join x.y on 1=1",
         "select * from t join db.u on 1=1 join db.v on 1=1 join x.y on 1=1"},
        {"select * from db.sales.t", "cannot translate the schema sales at position 18"},
    });
}

TEST(TreeRewrite, ABareOrderByNameBindsToTheOneSelectedColumnOfThatName) {
    ExpectRewrite(Sqlite(), [](auto&, auto& t) { pd::BindOrderBy(t); }, {
        {"select t.x, u.y as z, u.w from t, u order by x, z desc, [w]",
         "select t.x, u.y as z, u.w from t, u order by t.x, z desc, u.w"},
        {"select t.x, u.x from t, u order by x", "select t.x, u.x from t, u order by x"},        // two: ambiguous
        {"select x = t.y, t.x from t order by x", "select t.y AS \"x\", t.x from t order by x"},  // an alias first
        {"select a from (select t.x from t order by x) s", "select a from (select t.x from t order by t.x) s"},
    });
}

TEST(TreeRewrite, ACommonTableThatReadsItselfIsRecursive) {
    ExpectRewrite(Sqlite(), [](auto&, auto& t) { pd::MarkRecursiveTables(t); }, {
        {"with n(i) as (select 1 union all select i + 1 from n) select i from n",
         "with RECURSIVE \"sv_rec_n\"(i, sv_level) AS (select 1, 0 UNION ALL select sv_add(i, 1), "
         "sv_recursion_level(n.sv_level + 1, 100) from \"sv_rec_n\" AS n), n AS (SELECT i FROM \"sv_rec_n\") "
         "select i from n"},
        {"with a as (select x from n) select x from a", "with a AS (select x from n) select x from a"},
        {"with n(i) as (select 1 union select i from n) select i from n",
         "cannot translate a recursive WITH other than one query UNION ALL one recursive query"},
    });
}

TEST(TreeRewrite, ComparedTextGetsTheTextCollation) {
    ExpectRewrite(Sqlite(), pd::CollateComparedText, {
        {"select a from t where c = 'x' and n = 1 and b between 'a' and 'b' and left(c, 1) <> d",
         "select a from t where c = 'x' COLLATE SOVREL_CI and n = 1 and b between 'a' COLLATE SOVREL_CI and 'b' "
         "COLLATE SOVREL_CI and sv_left(c, 1) COLLATE SOVREL_CI <> d"},
        {"select a from t where c in ('x', d) and e in (1, 2) and f like 'y'",
         "select a from t where c COLLATE SOVREL_CI in ('x', d) and e in (1, 2) and f like 'y'"},
        // Its own collation stays the one it compares by.
        {"select a from t where c collate Latin1_General_BIN in ('x') and 'y' collate Latin1_General_BIN = d",
         "select a from t where c collate BINARY in ('x') and 'y' collate BINARY = d"},
    });
    ExpectRewrite(Postgres(), pd::CollateComparedText, {
        {"select a from t where c = N'x  ' and d > ' '", "select a from t where c = ('x' COLLATE tsql_ci) and d > ('' COLLATE tsql_ci)"},
    });
}

TEST(TreeRewrite, LikePatternsTakeTheBackendsSyntax) {
    ExpectRewrite(Postgres(), pd::LikeForBackend, {
        {"select a from t where c like '[a-c]%' and d not like 'x[_]'",
         "select a from t where c COLLATE \"und-x-icu\" ~* '^[a-c].*$' and d COLLATE \"und-x-icu\" not ILIKE 'x\\_'"},
        {"select a from t where c like '[a]!%' escape '!'",  // with ESCAPE the pattern is left as it is
         "select a from t where c COLLATE \"und-x-icu\" ILIKE '[a]!%' escape '!'"},
    });
    ExpectRewrite(Sqlite(), pd::LikeForBackend, {
        {"select a from t where c like '[a-c]%'", "select a from t where c like '[a-c]%'"},
    });
}

TEST(TreeRewrite, LeftOfAColumnComparedWithTextGetsTheColumnsRange) {
    ExpectRewrite(Sqlite(), pd::PrefixRange, {
        {"select a from t where left(t.c, 3) = N'V01 '",
         "select a from t where (sv_left(t.c, 3) = 'V01 ' AND t.c >= 'V01' COLLATE SOVREL_CI AND t.c < 'V01' || "
         "char(65535) COLLATE SOVREL_CI)"},
        {"select a from t where left(c, 1) = ' ' or left(c + d, 1) = 'x' or left(c, n) = 'x' or left(c, 1) = d",
         "select a from t where sv_left(c, 1) = ' ' or sv_left(sv_add(c, d), 1) = 'x' or sv_left(c, n) = 'x' or "
         "sv_left(c, 1) = d"},
    });
    ExpectRewrite(Postgres(), pd::PrefixRange, {
        {"select a from t where left(c, 1) = 'x'", "select a from t where left((c)::text, 1) = 'x'"},
    });
}

TEST(TreeRewrite, UpdateFromNamesTheUpdatedTableOnce) {
    ExpectRewrite(Sqlite(), [](auto&, auto&) {}, {
        {"update v set a = u.b from vendor v join u on u.k = v.k join w on w.k = u.k where w.z = 1",
         "update vendor AS v set a = u.b FROM u join w on w.k = u.k WHERE (u.k = v.k) AND (w.z = 1)"},
        {"update t set a = 1 from t cross join u", "update t set a = 1 FROM u"},
        {"update t set a = s.b from (select b from u) s where s.b = t.a",
         "update t set a = s.b from (select b from u) s where s.b = t.a"},
        {"update t set a = 1 from u t right join w on 1=1", "cannot translate UPDATE ... FROM with an outer join"},
    });
}

TEST(TypePass, ArithmeticPassesOnWhatItsOperandsAre) {
    using V = pd::ValueType;
    const std::vector<std::pair<const char*, V>> cases = {
        {"'a' + N'b'", V::Text},          {"1 + len(a)", V::Numeric},       {"convert(money, a) + 1", V::Money},
        {"a + 1", V::Unknown},            {"-1 * 2", V::Numeric},           {"(1 + 2)", V::Numeric},
        {"'a' - 1", V::Unknown},          {"2 & 1 + 1", V::Numeric},        {"'a' + 1 + 'b'", V::Unknown},
        {"upper(a) + 'x' + 'y'", V::Text}, {"- convert(money, a)", V::Money}, {"a collate Latin1_General_BIN", V::Unknown},
        {"cast(a as nvarchar(3))", V::Text}, {"@@identity", V::Numeric},    {"case when 1=1 then 1 end", V::Unknown},
    };
    for (const auto& [expression, type] : cases) {
        SCOPED_TRACE(expression);
        const std::string select = std::string("select ") + expression;  // the tree points into it
        pd::Tree tree = pd::Parse(select);
        pd::InferTypes(Sqlite(), tree);
        const pd::Node* item = tree.statements[0]->kids[0]->kids[0]->kids[0];
        EXPECT_EQ(item->kids[0]->type, type);
    }
}

}  // namespace
