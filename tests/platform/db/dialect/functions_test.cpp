// SQL Server behaviour installed on a bare SQLite connection: the account collation, LIKE and
// the sv_ functions, checked against what SQL Server answers.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <optional>
#include <string>
#include <vector>

#include "dialect/like_pattern.h"
#include "platform/db/dialect.h"
#include "sqlite/functions.h"

namespace {

const std::optional<std::string> kNull;

class FunctionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
        RegisterSqlServerFunctions(db_);
    }
    void TearDown() override { sqlite3_close(db_); }

    // Runs native SQL; answers the first column of every row (nullopt for NULL), or throws
    // the SQLite message.
    std::vector<std::optional<std::string>> Column(const std::string& sql) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
        std::vector<std::optional<std::string>> out;
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            out.push_back(t ? std::optional<std::string>(t) : std::nullopt);
        }
        std::string error = rc == SQLITE_DONE ? "" : sqlite3_errmsg(db_);
        sqlite3_finalize(stmt);
        if (!error.empty()) throw std::runtime_error(error);
        return out;
    }
    std::optional<std::string> Eval(const std::string& expr) {
        auto rows = Column("select " + expr);
        return rows.empty() ? std::nullopt : rows.front();
    }
    void Exec(const std::string& sql) { ASSERT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql; }
    // The T-SQL statement translated and run.
    std::vector<std::optional<std::string>> Query(const std::string& tsql) {
        auto steps = platform::db::SqliteDialect().Translate(tsql);
        return Column(steps.at(0).sql);
    }

    struct Case {
        std::string expr;
        std::optional<std::string> expected;
    };
    void ExpectAll(const std::vector<Case>& cases) {
        for (const auto& c : cases) {
            try {
                EXPECT_EQ(Eval(c.expr), c.expected) << c.expr;
            } catch (const std::exception& e) {
                ADD_FAILURE() << c.expr << ": " << e.what();
            }
        }
    }
    void ExpectErrors(const std::vector<std::pair<std::string, std::string>> cases) {
        for (const auto& [expr, message] : cases) {
            try {
                Eval(expr);
                ADD_FAILURE() << expr << " gave no error";
            } catch (const std::exception& e) {
                EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << expr << ": " << e.what();
            }
        }
    }

    sqlite3* db_ = nullptr;
};

TEST_F(FunctionsTest, CollationIgnoresCaseAndTrailingSpaces) {
    ExpectAll({
        {"'abc' = ' abc' COLLATE SOVREL_CI", "0"}, {"'Ä' = 'ä' COLLATE SOVREL_CI", "1"}, {"'ä' = 'a' COLLATE SOVREL_CI", "0"},
        {"'张伟' = '张伟 ' COLLATE SOVREL_CI", "1"}, {"'' = '   ' COLLATE SOVREL_CI", "1"},
        {"'a' < 'B' COLLATE SOVREL_CI", "1"},  // binary order would put 'B' first
    });
}

TEST_F(FunctionsTest, LikeFollowsTransactSqlPatterns) {
    ExpectAll({
        {"'abc' like 'A%'", "1"}, {"'abc  ' like 'abc'", "1"} /* trailing spaces of the text do not count */,
        {"'abc' like 'abc '", "0"}, {"'abc ' like '%c_'", "1"}, {"'abc' like 'ab'", "0"}, {"'abc' like 'a[_]c'", "0"},
        {"'B' like '[a-c]'", "1"}, {"'d' like '[a-c]'", "0"}, {"'b' like '[^a-c]'", "0"}, {"'x' like '[xyz]'", "1"},
        {"'50%' like '50!%' escape '!'", "1"}, {"'500' like '50!%' escape '!'", "0"},
        {"'a[b' like 'a![b' escape '!'", "1"}, {"'5!' like '5!' escape '!'", "1"} /* a trailing escape is itself */,
        {"'[abc' like '[abc'", "1"}, {"'[a-' like '[a-'", "1"},  // an unclosed [ is an ordinary character
        {"']' like '[]a]'", "1"} /* ']' first is in the set */, {"'-' like '[a-]'", "1"} /* and '-' last */,
        {"'张伟' like '_伟'", "1"}, {"'张伟' like '___'", "0"}, {"'ÄBC' like 'ä%'", "1"}, {"'abcabd' like '%abd'", "1"},
        {"'' like '%'", "1"}, {"null like 'a'", kNull}, {"'abc' not like 'a%'", "0"},
        // The byte-wise path of %text% patterns, and the characters that fold into ASCII it must leave alone.
        {"'Anna Schmidt' like '%A SCH%'", "1"}, {"'abab' like '%abb%'", "0"}, {"'ab ' like '%b %'", "1"},
        {"'Müller' like '%LLER%'", "1"}, {"'ab' like '%abc%'", "0"}, {"'xy' like '%%'", "1"},
        {"'李王芳' like '%王芳%'", "1"}, {"'王x芳' like '%王芳%'", "0"}, {"'Kelvin' like '%kel%'", "1"},
        // Its first letter found in either case, past a place that fails; the last place it fits.
        {"'qQZ' like '%qz%'", "1"}, {"'QqZ' like '%qz%'", "1"}, {"'xQ' like '%qz%'", "0"}, {"'xxAB' like '%ab%'", "1"},
        {"'12 345' like '%2 3%'", "1"}, {"'1 2' like '%2 3%'", "0"},
        {"'Kelvin' like '%kel%'", "1"}, {"'Caſtle' like '%cas%'", "1"},
        // Other characters, compared folded.
        {"'ZOË' like '%oë%'", "1"}, {"'zoe' like '%oë%'", "0"}, {"'ΟΔΟΣ' like '%δοσ%'", "1"}, {"'Ké' like '%ké%'", "1"},
        {"'Straße' like '%SS%'", "0"}, {"'éa' like '%é_%'", "1"},
    });
    ExpectErrors({{"'a' like 'a' escape 'xy'", "ESCAPE"}});
    // A run of % is one item, or every extra one is one more place to try at each character.
    EXPECT_EQ(platform::db::dialect::ParseLikePattern("a%%_").items.size(), 3u);
}

TEST_F(FunctionsTest, LengthsAndPiecesCountCharacters) {
    ExpectAll({
        {"sv_len('  abc  ')", "5"}, {"sv_len('')", "0"}, {"sv_len(null)", kNull}, {"sv_len('张伟 ')", "2"},
        {"sv_len(12345)", "5"}, {"sv_right('张伟abc', 4)", "伟abc"}, {"sv_left('ab', 10)", "ab"}, {"sv_left('ab', 0)", ""},
        {"sv_right('ab ', 1)", " "}, {"sv_left('ab', null)", kNull}, {"sv_substring('abcdef', 2, 3)", "bcd"},
        {"sv_substring('abc', -1, 3)", "a"}, {"sv_substring('abc', 5, 2)", ""}, {"sv_substring('张伟abc', 2, 2)", "伟a"},
        {"sv_charindex('B', 'abcb')", "2"}, {"sv_charindex('b', 'abcb', 3)", "4"}, {"sv_charindex('伟', '张伟')", "2"},
        {"sv_replace('aXbx', 'x', '-')", "a-b-"}, {"sv_upper('äbc')", "ÄBC"}, {"sv_datalength('张')", "2"},
        {"sv_datalength(5)", "4"}, {"sv_reverse('张ab')", "ba张"}, {"sv_replicate('ab', 3)", "ababab"},
        {"'[' || sv_space(2) || ']'", "[  ]"},
    });
    ExpectErrors({
        {"sv_left('ab', -1)", "Invalid length parameter passed to the left function."},
        {"sv_right('ab', -1)", "Invalid length parameter passed to the right function."},
        {"sv_substring('ab', 1, -1)", "Invalid length parameter passed to the substring function."},
    });
}

TEST_F(FunctionsTest, PlusJoinsTextsAndAddsNumbersAsSqlServerConvertsThem) {
    ExpectAll({
        {"sv_add('a', 'b')", "ab"}, {"sv_add('1', 2)", "3"}, {"sv_add(2, ' 1.5')", "3.5"}, {"sv_add(null, 'a')", kNull},
        {"sv_add('2024-01-31', 1)", "2024-02-01"}, {"sv_add('2024-01-31 10:00:00', 1)", "2024-02-01 10:00:00"},
    });
    ExpectErrors({{"sv_add('abc', 1)", "Conversion failed"}, {"sv_add(9223372036854775807, 1)", "overflow"}});
}

TEST_F(FunctionsTest, RowVersionTextIsTheCounterAsMoneyInThirtyCharacters) {
    Exec("create table v (k int, tkts timestamp)");
    Exec("insert into v values (1, 2001), (2, 123456789), (3, 0), (4, 1), (5, 10000), (6, 99999999999), (7, null)");
    const auto text = Query("select convert(char, convert(money,v.tkts), 2) from v order by k");
    const std::vector<std::string> expected = {"0.2001", "12345.6789", "0.0000", "0.0001", "1.0000", "9999999.9999"};
    ASSERT_EQ(text.size(), expected.size() + 1);
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(text[i], expected[i] + std::string(30 - expected[i].size(), ' '));
    EXPECT_EQ(text.back(), kNull);
}

TEST_F(FunctionsTest, ConvertGivesSqlServersTexts) {
    ExpectAll({
        {"sv_convert('varchar(10)', '2024-01-05 13:04:05', 120)", "2024-01-05"},
        {"sv_convert('varchar', '2024-01-05 13:04:05', 121)", "2024-01-05 13:04:05.000"},
        {"sv_convert('char(8)', '2024-01-05', 112)", "20240105"},
        {"sv_convert('varchar', '2024-01-05', 111)", "2024/01/05"},
        {"sv_convert('char(5)', 'abc')", "abc  "}, {"sv_convert('varchar(2)', 'abc')", "ab"},
        {"sv_convert('char(2)', 12345)", "*"}, {"sv_convert('varchar', 42)", "42"},
        {"sv_convert('varchar', sv_convert('money', 1234.5), NULL, 'money')", "1234.50"},
        {"sv_convert('varchar', sv_convert('money', 1234.5), 1, 'money')", "1,234.50"},
        {"sv_convert('varchar', sv_convert('money', -0.00005), 2, 'money')", "-0.0001"},
        {"sv_convert('money', 1.23456)", "1.2346"}, {"sv_convert('int', 4.7)", "4"}, {"sv_convert('bit', 'true')", "1"},
        {"sv_convert('decimal(18,2)', '3.14159')", "3.14"}, {"sv_convert('datetime', '20240105')", "2024-01-05"},
        {"sv_convert('datetime', '2024/1/5 8:03')", "2024-01-05 08:03:00"},
        {"sv_convert('datetime', '01/05/2024', 101)", "2024-01-05"},
        {"sv_convert('datetime', '05/01/2024', 103)", "2024-01-05"},
        {"sv_convert('date', '2024-01-05 13:04:05')", "2024-01-05"}, {"sv_convert('int', null)", kNull},
    });
    ExpectErrors({
        {"sv_convert('int', '4.2')", "Conversion failed"}, {"sv_convert('tinyint', 256)", "Arithmetic overflow"},
        {"sv_convert('datetime', '2024-02-30')", "Conversion failed"},
        {"sv_convert('varchar(3)', sv_convert('money', 1234.5), 0, 'money')", "Arithmetic overflow"},
    });
}

TEST_F(FunctionsTest, DateFunctionsCountBoundariesAsSqlServerDoes) {
    ExpectAll({
        {"sv_datediff('day', '2024-01-31 23:00:00', '2024-02-01 01:00:00')", "1"},
        {"sv_datediff('month', '2024-01-31', '2024-02-01')", "1"},
        {"sv_datediff('week', '2024-01-06', '2024-01-07')", "1"},  // Saturday to Sunday
        {"sv_dateadd('month', 1, '2024-01-31')", "2024-02-29"},
        {"sv_dateadd('hour', 25, '2024-01-01')", "2024-01-02 01:00:00"},
        {"sv_datepart('weekday', '2024-01-07')", "1"} /* a Sunday */, {"sv_datepart('week', '2024-01-07')", "2"},
    });
    ExpectErrors({{"sv_datepart('year', 'soon')", "Conversion failed"}});
    const auto now = Eval("sv_getdate()");
    ASSERT_TRUE(now.has_value());
    // The current time reads back as the same date.
    EXPECT_EQ(Eval("sv_convert('datetime', '" + *now + "')"), now);
}

TEST_F(FunctionsTest, NumbersRoundAndTruncateAsSqlServerDoes) {
    ExpectAll({
        {"sv_round(1250, -2)", "1300"}, {"sv_round(1250, -2, 1)", "1200"}, {"sv_round(-2.5, 0)", "-3.0"},
        {"sv_floor(-1.5)", "-2.0"}, {"sv_ceiling(1.2)", "2.0"}, {"sv_floor(7)", "7"}, {"sv_isnumeric('12a')", "0"},
    });
}

}  // namespace
