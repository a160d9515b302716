// T-SQL in, PostgreSQL out: the rules where PostgreSQL's table differs from SQLite's. That the
// translated statements run and find the right rows is corpus_test's part.
#include <gtest/gtest.h>

#include <string>

#include "../../../support/thrown.h"
#include "translation_table.h"

using platform::db::PostgresDialect;

namespace {

void ExpectPostgres(const std::vector<dialect_test::Case>& cases) { dialect_test::ExpectTable(PostgresDialect(), cases); }

TEST(PostgresTranslate, ComparedTextsLoseTrailingSpacesAndCompareWithoutCase) {
    ExpectPostgres({
        {"select a from t where c = N'V01  '", "select a from t where c = ('V01' COLLATE tsql_ci)"},
        {"select a from t where c = '   ' and d > ' '",
         "select a from t where c = ('' COLLATE tsql_ci) and d > ('' COLLATE tsql_ci)"},
        {"select a from t where c = N'it''s '", "select a from t where c = ('it''s' COLLATE tsql_ci)"},
        // BETWEEN takes a collated bound only in parentheses.
        {"select a from t where d BETWEEN '1970-01-01' AND '1976-12-31'",
         "select a from t where d BETWEEN ('1970-01-01' COLLATE tsql_ci) AND ('1976-12-31' COLLATE tsql_ci)"},
        // Not compared: kept as written.
        {"select N'a ' as x", "select 'a ' as x"},
    });
}

TEST(PostgresTranslate, LikeBecomesIlikeUnderADeterministicCollation) {
    ExpectPostgres({
        {"select a from t where c like N'%nord%'", "select a from t where c COLLATE \"und-x-icu\" ILIKE '%nord%'"},
        {"select a from t where c not like 'x%'", "select a from t where c COLLATE \"und-x-icu\" not ILIKE 'x%'"},
        {"select a from t where c + d like 'x%'",
         "select a from t where sv_add(c, d) COLLATE \"und-x-icu\" ILIKE 'x%'"},
        // T-SQL's one-character sets, and a backslash that is no escape there.
        {"select a from t where c like N'5[%]_[_]a\\b[[]'",
         "select a from t where c COLLATE \"und-x-icu\" ILIKE '5\\%_\\_a\\\\b['"},
        // Only a regular expression says what a set of several characters says.
        {"select a from t where c not like N'[a-c]''.%'",
         "select a from t where c COLLATE \"und-x-icu\" !~* '^[a-c]''\\..*$'"},
        {"select a from t where c like N'[^a]_'", "select a from t where c COLLATE \"und-x-icu\" ~* '^[^a].$'"},
        // One character negated is still a set; the set's own specials are escaped inside it.
        {"select a from t where c like N'[^x]'", "select a from t where c COLLATE \"und-x-icu\" ~* '^[^x]$'"},
        {"select a from t where c like N'[]^-]z('",
         "select a from t where c COLLATE \"und-x-icu\" ~* '^[\\]\\^\\-]z\\($'"},
        // With ESCAPE the pattern is left as it is.
        {"select a from t where c like '[a]!%' escape '!'",
         "select a from t where c COLLATE \"und-x-icu\" ILIKE '[a]!%' escape '!'"},
    });
}

TEST(PostgresTranslate, APatternWithoutCaseMatchesByteForByte) {
#define LIKE_ "select a from t where c like N'"
#define AS_ "select a from t where c COLLATE \"und-x-icu\" "
    ExpectPostgres({
        {LIKE_ "%张伟%'", AS_ "LIKE '%张伟%'"},
        {LIKE_ "0571-[%]8 @%'", AS_ "LIKE '0571-\\%8 @%'"},
        {"select a from t where c not like N'%13%'", AS_ "not LIKE '%13%'"},
        // A letter in any script, or a character a lower case gives (İ: i and U+0307).
        {LIKE_ "%张a%'", AS_ "ILIKE '%张a%'"},
        {LIKE_ "%ä%'", AS_ "ILIKE '%ä%'"},
        {LIKE_ "%Ა%'", AS_ "ILIKE '%Ა%'"},
        {LIKE_ "%\u0307%'", AS_ "ILIKE '%\u0307%'"},
        {LIKE_ "%''%'", AS_ "ILIKE '%''%'"},
        // _ is a character of the lowered text, which may be two of the text's.
        {LIKE_ "张_'", AS_ "ILIKE '张_'"},
        {LIKE_ "[0-9]%'", AS_ "~* '^[0-9].*$'"},
    });
#undef LIKE_
#undef AS_
}

TEST(PostgresTranslate, QuotedNamesAreWrittenInLowerCase) {
    ExpectPostgres({
        {"SELECT [cContactCode] FROM [Ven_Contact]", "SELECT \"ccontactcode\" FROM \"ven_contact\""},
        {"SELECT \"cName\" FROM t", "SELECT \"cname\" FROM t"},
        {"SELECT \"A\"\"B\", [C]]D] FROM t", "SELECT \"a\"\"b\", \"c]d\" FROM t"},
        {"SELECT DutyName = cName FROM t ORDER BY DutyName", "SELECT cName AS \"dutyname\" FROM t ORDER BY DutyName"},
    });
}

TEST(PostgresTranslate, FunctionsConversionsAndParametersTakePostgresForms) {
    ExpectPostgres({
        {"select max(RIGHT(cContactCode,8)) from t where left(c,3) = N'V01' and LEN(c)-LEN(d )=8",
         "select max(right((cContactCode)::text, 8)) from t where (left((c)::text, 3) COLLATE tsql_ci) = ('V01' COLLATE tsql_ci) and "
         "length(rtrim((c)::text))-length(rtrim((d)::text))=8"},
        {"select isnull(a, 0), getdate() from t", "select coalesce(a, 0), localtimestamp(0) from t"},
        {"select current_timestamp, a ^ b", "select localtimestamp(3), ((a) # (b))"},
        {"select charindex('a', b), charindex('a', b, 2) from t", "select sv_charindex('a', b), sv_charindex('a', b, 2) from t"},
        {"select convert(int, a), cast(b as decimal(18,2)), convert(bigint, tkts) from t",
         "select trunc((a)::numeric)::integer, ((b)::numeric(18,2)), trunc((tkts)::numeric)::bigint from t"},
        {"select convert(char, convert(money,tkts), 2) from t", "select sv_convert('char', ((tkts)::numeric / 10000), 2, 'money') from t"},
        {"select convert(varchar(10), d, 120) from t", "select sv_convert('varchar(10)', d, 120) from t"},
        {"insert into t (a) values (?)", "insert into t (a) values ($1)"},
    });
}

// The OUTPUT clause is refused for every backend (translate_test); this backend has no row count either.
TEST(PostgresTranslate, RowCountIsRefusedByName) {
    const platform::Error e = sovrel::test::Thrown([] { PostgresDialect().Translate("select @@ROWCOUNT"); });
    EXPECT_EQ(e.Number(), platform::errnum::CannotTranslate);
    EXPECT_NE(e.Description().find("@@ROWCOUNT"), std::string::npos) << e.Description();
}

}  // namespace
