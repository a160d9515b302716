// T-SQL in, SQLite out: one table per rule. Expected texts are compared exactly; the translator
// writes one space wherever the source had white space or a comment. The component's own
// statements run, with their answers checked, in corpus_test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../../support/thrown.h"
#include "translation_table.h"

using platform::db::SqliteDialect;
using platform::db::Step;

namespace {

void ExpectTable(const std::vector<dialect_test::Case>& cases) { dialect_test::ExpectTable(SqliteDialect(), cases); }

TEST(TranslateTest, TopBecomesLimitAtTheEndOfItsOwnSelect) {
    ExpectTable({
        {"select top 5 * from Ven_Contact order by cContactCode desc",
         "select * from Ven_Contact order by cContactCode desc LIMIT 5"},
        {" SELECT distinct  top 0 cVenCode FROM Ven_Contact", "SELECT distinct cVenCode FROM Ven_Contact LIMIT 0"},
        {"select top (3) a from t", "select a from t LIMIT 3"},
        {"select a from t where b in (select top 2 c from u order by c) order by a",
         "select a from t where b in (select c from u order by c LIMIT 2) order by a"},
        {"select top 1 a from t where exists(select top 1 * from u where u.k = t.k)",
         "select a from t where exists(select * from u where u.k = t.k LIMIT 1) LIMIT 1"},
        // The parameter of TOP keeps its number although it moves behind the others.
        {"select top (?) a from t where b = ?", "select a from t where b = ?2 LIMIT ?1"},
        {"select top ? a from t where b = ?", "select a from t where b = ?2 LIMIT ?1"},
        {"select top (2 * ?) a from t", "select a from t LIMIT (2 * ?1)"},
    });
}

TEST(TranslateTest, FunctionsMapToTheirSqliteForms) {
    ExpectTable({
        // Date parts are named in full whichever abbreviation the source used.
        {"select year(d), datediff(d, a, getdate()), dateadd(mm, 1, a), datepart(yyyy, a) from t",
         "select sv_datepart('year', d), sv_datediff('day', a, sv_getdate()), sv_dateadd('month', 1, a), "
         "sv_datepart('year', a) from t"},
        {"Select max(RIGHT(cContactCode,8)) FROM Ven_Contact WHERE left(cContactCode,3) = N'V01' and "
         "LEN(cContactCode)-LEN(cVenCode )=8 ",
         "Select max(sv_right(cContactCode, 8)) FROM Ven_Contact WHERE (sv_left(cContactCode, 3) COLLATE SOVREL_CI = "
         "'V01' COLLATE SOVREL_CI AND cContactCode >= 'V01' COLLATE SOVREL_CI AND cContactCode < 'V01' || char(65535) "
         "COLLATE SOVREL_CI) and sv_len(cContactCode)-sv_len(cVenCode)=8"},
        // The index range stays inside the negated comparison; an empty prefix or another form gets none.
        {"select a from t where not left(t.c, 2) = 'a ' or left(c,1) = '' or left(c, 2) = 'ab' + d",
         "select a from t where not (sv_left(t.c, 2) COLLATE SOVREL_CI = 'a ' COLLATE SOVREL_CI AND t.c >= 'a' COLLATE "
         "SOVREL_CI AND t.c < 'a' || char(65535) COLLATE SOVREL_CI) or sv_left(c, 1) COLLATE SOVREL_CI = '' COLLATE SOVREL_CI or "
         "sv_left(c, 2) COLLATE SOVREL_CI = sv_add('ab', d)"},
        {"select a from t where left(c + d, 1) = 'x' or left(c, n) = 'x'",
         "select a from t where sv_left(sv_add(c, d), 1) COLLATE SOVREL_CI = 'x' COLLATE SOVREL_CI or sv_left(c, n) "
         "COLLATE SOVREL_CI = 'x' COLLATE SOVREL_CI"},
        // Only a text compared is collated; a collation of its own stays.
        {"select a from t where c in ('x', d) and e in (1, 2) and n = 1 and b between 'a' and 'b' and "
         "c collate Latin1_General_BIN in ('x') and 'y' collate Latin1_General_BIN = d",
         "select a from t where c COLLATE SOVREL_CI in ('x', d) and e in (1, 2) and n = 1 and b between 'a' COLLATE "
         "SOVREL_CI and 'b' COLLATE SOVREL_CI and c collate BINARY in ('x') and 'y' collate BINARY = d"},
        {"select scope_identity(), @@identity, @@ROWCOUNT", "select last_insert_rowid(), last_insert_rowid(), changes()"},
    });
}

TEST(TranslateTest, ConvertAndCastCarryTypeStyleAndTheRowVersion) {
    ExpectTable({
        {"select convert(money, tkts), convert(money, 5), convert(varchar, convert(money, a)) from t",
         "select sv_rowversion_money(tkts), sv_convert('money', 5), sv_convert('varchar', sv_convert('money', a), "
         "NULL, 'money') from t"},
        {"select convert(varchar(10), d, 120), convert(int, '5'), cast(a as nvarchar(20)), "
         "convert(datetime, '20240105', 112), cast(b as decimal(18, 2)) from t",
         "select sv_convert('varchar(10)', d, 120), sv_convert('int', '5'), sv_convert('nvarchar(20)', a), "
         "sv_convert('datetime', '20240105', 112), sv_convert('decimal(18,2)', b) from t"},
        // Type names are matched without case, as the server matches them.
        {"select CONVERT(VARCHAR(10), d, 120), CAST(b AS Decimal(18, 2)), cast(c as [NVarChar](5)) from t",
         "select sv_convert('varchar(10)', d, 120), sv_convert('decimal(18,2)', b), sv_convert('nvarchar(5)', c) from t"},
    });
}

TEST(TranslateTest, PlusAddsNumbersJoinsTextsAndDecidesAtRunTimeOtherwise) {
    ExpectTable({
        {"select a + b, 1 + 2, 'x' + N'y', a + 'x', len(a) + 1, (1 + 2) * 3 + a from t",
         "select sv_add(a, b), 1 + 2, ('x' || 'y'), sv_add(a, 'x'), sv_len(a) + 1, sv_add((1 + 2) * 3, a) from t"},
        {"select a - b + c, -a + 1, a * 2 + b from t", "select sv_add(a - b, c), sv_add(-a, 1), sv_add(a * 2, b) from t"},
        {"select 2 * 3 + 1 from t", "select 2 * 3 + 1 from t"},
        {"select ('a' - 1 + 2) + 3, 2 & 1 + 1 + 3, 'a' + 1 + 'b', upper(a) + 'x' + 'y', cast(a as nvarchar(3)) + 'x', "
         "@@identity + 1, case when 1=1 then 1 end + 1, a collate Latin1_General_BIN + 'x', convert(varchar, - "
         "convert(money, a)) from t",
         "select sv_add((sv_add('a' - 1, 2)), 3), (2 & 1) + 1 + 3, sv_add(sv_add('a', 1), 'b'), ((sv_upper(a) || 'x') || 'y'), "
         "(sv_convert('nvarchar(3)', a) || 'x'), last_insert_rowid() + 1, sv_add(case when 1=1 then 1 end, 1), "
         "sv_add(a collate BINARY, 'x'), sv_convert('varchar', - sv_convert('money', a), NULL, 'money') from t"},
        // & | ^ rank with + and - in T-SQL, below them in SQLite; SQLite has no exclusive or.
        {"select a - 1 & b, a | b, a ^ b from t",
         "select (a - 1 & b), (a | b), (((a) | (b)) - ((a) & (b))) from t"},
        {"select 'a' + b + 'c' from t", "select sv_add(sv_add('a', b), 'c') from t"},
        {"select * from t where a + 'x' = N'yx'", "select * from t where sv_add(a, 'x') = 'yx' COLLATE SOVREL_CI"},
        {"select * from t where c = 'a' + 'b'", "select * from t where c = ('a' || 'b') COLLATE SOVREL_CI"},
        {"update t set n = n + 1, c = c + N'!' where k = 1", "update t set n = sv_add(n, 1), c = sv_add(c, '!') where k = 1"},
    });
}

TEST(TranslateTest, UpdateFromRunsNativelyWithTheTargetNamedOnce) {
    ExpectTable({
        {"update vendor set vendor.cVenPerson = N'x' where vendor.cVenCode = N'V01'",
         "update vendor set cVenPerson = 'x' where vendor.cVenCode = 'V01' COLLATE SOVREL_CI"},
        {"update v set v.a = u.b from vendor v inner join u on u.k = v.k where u.z = 1",
         "update vendor AS v set a = u.b FROM u WHERE (u.k = v.k) AND (u.z = 1)"},
        {"update t set a = u.b from t join u on u.k = t.k", "update t set a = u.b FROM u WHERE (u.k = t.k)"},
        {"update t set a = u.b from t, u where t.k = u.k", "update t set a = u.b FROM u where t.k = u.k"},
        {"update t set a = 1 from t where b = 2", "update t set a = 1 where b = 2"},
        {"update v set a = u.b from vendor v join u on u.k = v.k join w on w.k = u.k where w.z = 1",
         "update vendor AS v set a = u.b FROM u join w on w.k = u.k WHERE (u.k = v.k) AND (w.z = 1)"},
        {"update t set a = 1 from t cross join u", "update t set a = 1 FROM u"},
        {"update t set a = s.b from (select b from u) s where s.b = t.a",
         "update t set a = s.b from (select b from u) s where s.b = t.a"},
        {"UPDATE t WITH (ROWLOCK) SET a = 1", "UPDATE t SET a = 1"},
        {"update t set ab = 1", "update t set ab = 1"},  // a two-letter column is no compound operator
    });
}

TEST(TranslateTest, OtherStatementsAndClausesPassThrough) {
    ExpectTable({
        {"insert into userdefine(cId,cValue) values(N'VC05',N'日语')",
         "insert into userdefine(cId,cValue) values('VC05','日语')"},
        {"insert Ven_Contact (a, b) select a, b from u", "insert INTO Ven_Contact (a, b) select a, b from u"},
        {"delete t where a = 1", "delete FROM t where a = 1"}, {"truncate table t", "DELETE FROM t"},
        {"select a -- why\nfrom t /* a /* nested */ note */ where b = 1", "select a from t where b = 1"},
        {"select * from dbo.vendor v join tksystem..UA_Account_Sub s on 1=1 join x.dbo.y on 1=1 join z.w on 1=1",
         "select * from vendor v join tksystem.UA_Account_Sub s on 1=1 join x.y on 1=1 join z.w on 1=1"},
        {"select * from t where a = b collate Chinese_PRC_CI_AS and c = d collate Latin1_General_BIN",
         "select * from t where a = b collate SOVREL_CI and c = d collate BINARY"},
        {"select * from t where a !< 1 and b !> 2", "select * from t where a >= 1 and b <= 2"},
        {"select cnt = count(*), [x] = a from t", "select count(*) AS \"cnt\", a AS \"x\" from t"},
        // A bracket doubled inside brackets is one; a quote inside is doubled once quoted.
        {"select [c]]x], [a\"b] from [T]]1] where [k y] = 1",
         "select \"c]x\", \"a\"\"b\" from \"T]1\" where \"k y\" = 1"},
        // A bare ORDER BY name binds to the selected column first, as SQL Server binds it.
        {"select t.x, u.y as z, u.w from t join u on 1=1 order by x, z desc, [w]",
         "select t.x, u.y as z, u.w from t join u on 1=1 order by t.x, z desc, u.w"},
        {"select t.x, u.x from t join u on 1=1 order by x", "select t.x, u.x from t join u on 1=1 order by x"},
        {"select t.x as x, u.x from t join u on 1=1 order by x", "select t.x as x, u.x from t join u on 1=1 order by x"},
        {"select x = t.y, t.x from t order by x", "select t.y AS \"x\", t.x from t order by x"},
        {"select a from (select t.x from t order by x) s", "select a from (select t.x from t order by t.x) s"},
        // Lock hints are dropped.
        {"select * from t a (nolock) join u b with (nolock, rowlock) on a.k = b.k where c = 1",
         "select * from t a join u b on a.k = b.k where c = 1"},
        {"select * from t with (readpast, tablockx) where a = 1", "select * from t where a = 1"},
        {"select * from dbo.t (nolock)", "select * from t"},
        {"delete from t (rowlock) where a = 1", "delete from t where a = 1"},
        // A quoted name keeps a space from the next word; a comment stands as one space.
        {"select [x]from t where [y]=1", "select \"x\" from t where \"y\"=1"},
        {"select a/*c*/,b from t", "select a ,b from t"},
        {"select count(all a), count(distinct b), 'z'", "select count(all a), count(distinct b), 'z'"},
        // Money stays money through * and / before a +, so its text keeps four decimals.
        {"select convert(char, convert(money, a) * 2 + 1, 2) from t",
         "select sv_convert('char', sv_convert('money', a) * 2 + 1, 2, 'money') from t"},
        // ORDER BY binds to a selected column, never to a table's star.
        {"select s.t.*, u.y from s.t join u on 1=1 order by t", "select s.t.*, u.y from s.t join u on 1=1 order by t"},
        {"select t.*, a/*x*/from t where a<>1 and b<=2 and c>=3 and d!=4", "select t.*, a from t where a<>1 and b<=2 and c>=3 and d!=4"},
        {"select N'a'as x, convert(money, tkts, 2), current_timestamp from t",
         "select 'a' as x, sv_convert('money', sv_rowversion_money(tkts), 2, 'money'), sv_getdate() from t"},
        {"select t.x, 1 + 2 as y, u.* from t join u on 1=1 order by x", "select t.x, 1 + 2 as y, u.* from t join u on 1=1 order by t.x"},
        // Numbers keep their fraction and exponent.
        {"select 1.25, 2.5e-3, 7e3, .5 from t where a is not null", "select 1.25, 2.5e-3, 7e3, .5 from t where a is not null"},
    });
}

// A recursive one is found by its own name after FROM, JOIN or a comma, and counts its level.
TEST(TranslateTest, CommonTablesAreRecursiveWhenTheyReadThemselves) {
    ExpectTable({
        {"with a as (select x from n), b as (select 2 as y) select x, y from a, b",
         "with a AS (select x from n), b AS (select 2 as y) select x, y from a, b"},
        {"with n(i) as (select 1 union all select i + 1 from n where i < 3) select i from n",
         "with RECURSIVE \"sv_rec_n\"(i, sv_level) AS (select 1, 0 UNION ALL select sv_add(i, 1), "
         "sv_recursion_level(n.sv_level + 1, 100) from \"sv_rec_n\" AS n where i < 3), n AS (SELECT i FROM "
         "\"sv_rec_n\") select i from n"},
        {"with n as (select t.a k from t union all select m.k + 1 from t join n m on m.k = t.k) select k from n",
         "with RECURSIVE \"sv_rec_n\"(k, sv_level) AS (select t.a k, 0 from t UNION ALL select sv_add(m.k, 1), "
         "sv_recursion_level(m.sv_level + 1, 100) from t join \"sv_rec_n\" m on m.k = t.k), n AS (SELECT k FROM "
         "\"sv_rec_n\") select k from n"},
        // MAXRECURSION sets the level's limit; 0 is no limit, as on SQL Server.
        {"with n(i) as (select 1 union all select i + 1 from n where i < 3) select i from n option (maxrecursion 0)",
         "with RECURSIVE \"sv_rec_n\"(i, sv_level) AS (select 1, 0 UNION ALL select sv_add(i, 1), "
         "sv_recursion_level(n.sv_level + 1, 0) from \"sv_rec_n\" AS n where i < 3), n AS (SELECT i FROM "
         "\"sv_rec_n\") select i from n"},
        {"select 1 option (maxrecursion 32767)", "select 1"},
    });
}

// A backend that folds names to lower case gives its result fields these spellings back.
TEST(TranslateTest, SpelledNamesAreThePlainAndQuotedNamesInOrder) {
    EXPECT_EQ(platform::db::SpelledNames("select cContactCode, [c]]x] AS \"A\"\"b\" from dbo.Ven_Contact where x = N'Lit'"),
              (std::vector<std::string>{"cContactCode", "c]x", "A\"b", "dbo", "Ven_Contact", "x"}));
    EXPECT_TRUE(platform::db::SpelledNames("select 'open").empty());
}

TEST(TranslateTest, QueriesReturnRowsAndOtherStatementsDoNot) {
    const std::vector<std::pair<const char*, bool>> cases = {
        {"select 1", true}, {"with c as (select 1 as a) select a from c", true}, {"(select 1) union (select 2)", true},
        {"insert into t values (1)", false}, {"update t set a = 1", false}, {"delete from t", false},
    };
    for (const auto& [tsql, rows] : cases) EXPECT_EQ(SqliteDialect().Translate(tsql).at(0).returnsRows, rows) << tsql;
}

// Steps written out: a statement as its text, an IF as IF(condition){then}{else}, ";" between.
std::string Shape(const std::vector<Step>& steps) {
    std::string out;
    for (const auto& s : steps) {
        if (!out.empty()) out += ";";
        out += s.kind == Step::Kind::If ? "IF(" + s.sql + "){" + Shape(s.then) + "}{" + Shape(s.otherwise) + "}" : s.sql;
    }
    return out;
}

TEST(TranslateTest, BatchesSplitAtSemicolonsAndStatementWordsAndIfTakesItsBlocks) {
    const std::pair<const char*, const char*> cases[] = {
        {"select * from t; select * from u", "select * from t;select * from u"},
        {"select * from t select * from u", "select * from t;select * from u"},
        {"insert into t (a) select a from u update t set a = 1 delete from t",
         "insert into t (a) select a from u;update t set a = 1;delete from t"},
        {"insert into t values (1) select * from t", "insert into t values (1);select * from t"},
        {"insert into t (a) select a from u select * from t", "insert into t (a) select a from u;select * from t"},
        {"select 1 union all select 2 union select 3", "select 1 union all select 2 union select 3"},
        {";;select 1;;", "select 1"}, {"", ""}, {"  -- nothing but a comment", ""},
        // Parameters are numbered per statement.
        {"update t set a = ? where b = ?; select * from t where c = ?",
         "update t set a = ?1 where b = ?2;select * from t where c = ?1"},
        {"IF EXISTS (select 1 from t) select 1 else select 2",
         "IF(SELECT CASE WHEN EXISTS (select 1 from t) THEN 1 ELSE 0 END){select 1}{select 2}"},
        {"if (1=1) begin update t set a = 1; delete from t end select 3",
         "IF(SELECT CASE WHEN (1=1) THEN 1 ELSE 0 END){update t set a = 1;delete from t}{};select 3"},
        // ELSE belongs to the inner IF.
        {"if 1=1 if 2=2 select 1 else select 2",
         "IF(SELECT CASE WHEN 1=1 THEN 1 ELSE 0 END){IF(SELECT CASE WHEN 2=2 THEN 1 ELSE 0 END){select 1}{select 2}}{}"},
    };
    for (const auto& [tsql, shape] : cases) EXPECT_EQ(Shape(SqliteDialect().Translate(tsql)), shape) << tsql;
}

TEST(TranslateTest, WhatCannotBeTranslatedIsRefusedByNameAndPosition) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"select unknownfn(1) from t", "unknown function unknownfn at position 8"},
        {"insert into x.. values (1)", "malformed name"}, {"select * from x..", "malformed name"},  // fuzzing
        {"select N'联系人', foo(1)", "unknown function foo at position 16"},
        {"select len(a, b) from t", "wrong number of arguments (2) for len at position 8"},
        {"select round(a, 2, 0, 1) from t", "wrong number of arguments (4) for round at position 8"},
        {"select top 10 percent * from t", "TOP ... PERCENT at position 8"},
        {"select top 5 with ties * from t order by a", "TOP ... WITH TIES at position 8"},
        {"select top 1 a from t union select b from u", "TOP in a UNION at position 8"},
        {"update top (5) t set a = 1", "TOP in UPDATE at position 8"}, {"select a into newt from t", "SELECT ... INTO"},
        {"exec sp_who", "the statement EXEC at position 1"}, {"declare @x int", "the statement DECLARE at position 1"},
        {"select @x", "the variable @x at position 8"},
        {"merge t using u on 1=1 when matched then delete;", "the statement MERGE"},
        {"insert into t (a) output inserted.a values (1)", "the OUTPUT clause at position 19"},
        {"select * from t with (index(ix))", "the table hint index"},
        {"select * from #tmp", "the temporary table #tmp"}, {"select * from t cross apply f(t.a)", "CROSS APPLY"},
        {"select * from t order by a offset 5 rows fetch next 5 rows only", "OFFSET ... FETCH"},
        {"select * from t order by a offset (5) rows", "OFFSET ... FETCH"},
        {"select * from a.b.c.d", "a four-part name"},
        {"select * from a..c.d", "a four-part name"},
        {"select * from db.sales.t", "the schema sales at position 18"},
        {"with n(i) as (select 1 union select i from n) select i from n",
         "a recursive WITH other than one query UNION ALL one recursive query"},
        {"update t set a = 1 from u t right join w on 1=1", "UPDATE ... FROM with an outer join"},
        {"update set a = 1", "UPDATE without a table name"},
        {"select 1 option (maxrecursion 1.5)", "MAXRECURSION takes a whole number"},
        {"select 1 option (maxrecursion 32768)", "MAXRECURSION takes a whole number"},
        {"create zebra z (a int)", "CREATE ZEBRA (the schema"},
        // Nesting without parentheses is stopped before the stack runs out.
        {[] { std::string s = "select "; for (int k = 0; k < 100000; ++k) s += "case when 1=1 then "; 
              s += "1"; for (int k = 0; k < 100000; ++k) s += " end"; return s; }(),
         "nested too deeply"},
        {"select a from t where a is not 1", "'NULL' is missing at position 32"},
        {"select 4.e, 5e+ from t", "malformed number '4.e' at position 8"},
        {"zap t", "unexpected 'zap' where a statement should start"},
        {"select a from t for xml auto", "FOR XML"},
        {"update t set a += 1", "compound assignment +="},
        {"update t x set a = 1", "unexpected alias after the UPDATE table"},
        {"delete t from t join u on u.k = t.k", "DELETE with a second FROM"},
        {"update t set a = 1 from t left join u on u.k = t.k", "outer join of the updated table"},
        {"select datediff(fortnight, a, b) from t", "the date part fortnight"},
        {"select convert(xml, a) from t", "the data type xml"}, {"begin tran", "BEGIN TRAN"},
        {"create table x (a int)", "CREATE TABLE"}, {"if 1=1", "a statement is missing"},
        {"select 1 end", "END without BEGIN"}, {"begin select 1", "BEGIN without END"},
        {"else select 1", "ELSE without IF"}, {"select 'abc", "unterminated string literal at position 8"},
        {"select [abc from t", "unterminated bracketed name at position 8"},
        {"select (1", "'(' without ')' at position 8"}, {"select 1)", "')' without '(' at position 9"},
        {"select case when a = 1 then 2 from t", "CASE without END at position 8"},
        {"select a from t where b = $5", "unexpected character '$' at position 27"},
        {"select * from t /* open", "unterminated comment at position 17"},
        {"select " + std::string(300, '(') + "1" + std::string(300, ')'), "nested too deeply"},
        // Chains nest the tree without nesting the text: what walks the tree must not run out of stack.
        {[] { std::string s = "select 1 where 1=1"; for (int k = 0; k < 3000; ++k) s += " or 1=1"; return s; }(),
         "nested too deeply"},
    };
    for (const auto& [tsql, message] : cases) {
        SCOPED_TRACE(tsql);
        const platform::Error e = sovrel::test::Thrown([&] { SqliteDialect().Translate(tsql); });
        EXPECT_EQ(e.Number(), platform::errnum::CannotTranslate);
        EXPECT_EQ(e.Source(), "dialect");
        EXPECT_NE(e.Description().find(message), std::string::npos) << e.Description();
    }
}

}  // namespace
