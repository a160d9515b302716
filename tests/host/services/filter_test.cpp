#include <gtest/gtest.h>

#include <set>

#include "backends.h"
#include "host/filter.h"
#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "schema/schema.h"

namespace host::test {
namespace {

using sovrel::test::Backend;
using Op = FilterOp;

const std::vector<FilterColumn> kColumns = {
    {"memo", "Memo", "Ven_Contact.cMemo", "text"},
    {"n", "Number", "Ven_Contact.cConDefine13", "number"},
    {"d", "Birthday", "Ven_Contact.dBirthday", "date"},
    {"major", "Main", "Ven_Contact.bMajor", "bool"},
};

// Row i of the test holds memo[i], number[i] and birthday[i] ("" for NULL).
const char* kMemo[] = {"O'Brien", "a--b; DROP TABLE Ven_Contact", "N'x' OR 1=1", "back\\slash", "50%_off [x]", "",
                       "500 off x", ""};
const char* kNumber[] = {"1.5", "10", "2", "-3", "", "100", "9", ""};
const char* kBirthday[] = {"1990-01-05", "1990-01-05 13:30:00", "1990-01-04 23:59:59", "1990-01-06", "", "2001-12-31",
                           "", ""};
constexpr int kRows = 8;

class FilterOnBackend : public ::testing::TestWithParam<Backend> {};

TEST_P(FilterOnBackend, everyOperatorSelectsExactlyItsRowsWhateverTheValue) {
    sovrel::test::Place place(GetParam());
    SOVREL_SKIP_UNLESS_AVAILABLE(place);
    const std::string accountText = sovrel::test::CreateFixedAccount(place);
    platform::db::Connection db;
    db.Open(accountText);
    // The fixed account has fewer contacts than the cases need.
    for (const char* code : {"ZZ-FILTER-1", "ZZ-FILTER-2"})
        db.Execute(std::string("INSERT INTO Ven_Contact (cContactCode, cVenCode, cContactName) SELECT TOP 1 N'") + code +
                   "', cVenCode, N'x' FROM vendor");
    std::vector<std::string> codes;
    for (auto rs = db.OpenRowset("SELECT TOP 8 cContactCode FROM Ven_Contact ORDER BY cContactCode"); !rs->Eof();
         rs->MoveNext())
        codes.push_back(rs->Get(0).ToText());
    ASSERT_EQ(codes.size(), static_cast<std::size_t>(kRows));
    std::string in;
    for (int i = 0; i < kRows; ++i) {
        auto lit = [](const std::string& v) {
            std::string q;
            for (char c : v) q += c == '\'' ? std::string("''") : std::string(1, c);
            return "N'" + q + "'";
        };
        const std::string memo = i == 7 ? "NULL" : lit(kMemo[i]);
        const std::string number = *kNumber[i] ? kNumber[i] : "NULL";
        const std::string birthday = *kBirthday[i] ? "'" + std::string(kBirthday[i]) + "'" : "NULL";
        db.Execute("UPDATE Ven_Contact SET cMemo = " + memo + ", cConDefine13 = " + number + ", dBirthday = " +
                   birthday + ", bMajor = " + (i % 2 ? "1" : "0") + " WHERE cContactCode = " + lit(codes[i]));
        in += (i ? "," : "") + lit(codes[i]);
    }

    struct Case { std::vector<FilterCondition> conditions; std::set<int> rows; };
    auto c = [](const char* column, Op op, const char* v = "", const char* v2 = "", bool orPrevious = false) {
        return FilterCondition{orPrevious, column, op, v, v2};
    };
    const Case cases[] = {
        {{c("memo", Op::Equals, "o'brien")}, {0}},
        {{c("memo", Op::Equals, "a--b; DROP TABLE Ven_Contact")}, {1}},
        {{c("memo", Op::Equals, "N'x' OR 1=1")}, {2}},
        {{c("memo", Op::Equals, "back\\slash")}, {3}},
        {{c("memo", Op::NotEqual, "O'Brien")}, {1, 2, 3, 4, 5, 6, 7}},
        {{c("memo", Op::Contains, "%_off [")}, {4}},
        {{c("memo", Op::Contains, "'")}, {0, 2}},
        {{c("memo", Op::Contains, "\\")}, {3}},
        {{c("memo", Op::BeginsWith, "50%")}, {4}},
        {{c("memo", Op::Greater, "b")}, {3, 2, 0}},
        {{c("memo", Op::Between, "a", "c")}, {1, 3}},
        {{c("memo", Op::IsEmpty)}, {5, 7}},
        {{c("memo", Op::IsNotEmpty)}, {0, 1, 2, 3, 4, 6}},
        // Numbers as numbers: 9 < 10 < 100, which text order would not give.
        {{c("n", Op::Greater, "9")}, {1, 5}},
        {{c("n", Op::Less, " 2 ")}, {0, 3}},
        {{c("n", Op::Between, "-3", "9")}, {0, 2, 3, 6}},
        {{c("n", Op::Equals, "1.50")}, {0}},
        {{c("n", Op::NotEqual, "10")}, {0, 2, 3, 4, 5, 6, 7}},
        {{c("n", Op::IsEmpty)}, {4, 7}},
        // Dates as whole days, whatever the time.
        {{c("d", Op::Equals, "1990-01-05")}, {0, 1}},
        {{c("d", Op::Equals, "1990/1/5")}, {0, 1}},
        {{c("d", Op::Greater, "1990-01-05")}, {3, 5}},
        {{c("d", Op::Less, "1990-01-05")}, {2}},
        {{c("d", Op::Between, "1990-01-04", "1990-01-05")}, {0, 1, 2}},
        {{c("d", Op::NotEqual, "1990-01-05")}, {2, 3, 4, 5, 6, 7}},
        {{c("major", Op::Equals, "true")}, {1, 3, 5, 7}},
        // AND binds within, OR joins: memo empty, or a number above 9 and a main contact.
        {{c("memo", Op::IsEmpty), c("n", Op::Greater, "9", "", true), c("major", Op::Equals, "1")}, {1, 5, 7}},
        {{}, {0, 1, 2, 3, 4, 5, 6, 7}},
    };
    for (const auto& k : cases) {
        std::string sql, problem;
        ASSERT_TRUE(BuildFilterSql(kColumns, k.conditions, "keys", sql, problem)) << problem;
        const std::string statement = "SELECT cContactCode FROM Ven_Contact WHERE cContactCode IN (" + in + ")" +
                                      (sql.empty() ? "" : " AND " + sql);
        std::set<int> got;
        try {
            for (auto rs = db.OpenRowset(statement); !rs->Eof(); rs->MoveNext())
                got.insert(static_cast<int>(std::find(codes.begin(), codes.end(), rs->Get(0).ToText()) - codes.begin()));
        } catch (const platform::Error& e) {
            ADD_FAILURE() << sql << ": " << e.Description();
            continue;
        }
        EXPECT_EQ(got, k.rows) << sql;
    }
    EXPECT_EQ(db.OpenRowset("SELECT COUNT(*) FROM Ven_Contact WHERE cContactCode IN (" + in + ")")->Get(0).ToInt(), kRows);
}

TEST_P(FilterOnBackend, definitionsArePerUserAndFilterName) {
    sovrel::test::Place place(GetParam());
    SOVREL_SKIP_UNLESS_AVAILABLE(place);
    sovrel::test::CreateFixedAccount(place);
    const std::string system = place.ConnectionText(std::string(schema::kSystemDatabase));
    const std::string list = "AA[__]供应商联系人档案";
    const std::vector<FilterCondition> mine = {{false, "memo", Op::Contains, "O'Brien \"&<", ""},
                                               {true, "d", Op::Between, "1990-01-01", "1990-12-31"}};
    SaveFilterDefinition(system, "demo", list, " 北京 O'Brien ", mine);
    SaveFilterDefinition(system, "demo", "other", "x", {});
    SaveFilterDefinition(system, "limited", list, "theirs", {});
    EXPECT_EQ(FilterDefinitionNames(system, "demo", list), std::vector<std::string>{"北京 O'Brien"});
    std::vector<FilterCondition> back;
    ASSERT_TRUE(LoadFilterDefinition(system, "demo", list, "北京 O'Brien", back));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].value, "O'Brien \"&<");
    EXPECT_TRUE(back[1].orWithPrevious);
    EXPECT_EQ(back[1].op, Op::Between);
    EXPECT_EQ(back[1].value2, "1990-12-31");
    EXPECT_FALSE(LoadFilterDefinition(system, "demo", list, "theirs", back));
    EXPECT_THROW(SaveFilterDefinition(system, "demo", list, "  ", mine), platform::Error);
    DeleteFilterDefinition(system, "demo", list, "北京 O'Brien");
    EXPECT_TRUE(FilterDefinitionNames(system, "demo", list).empty());
    EXPECT_EQ(FilterDefinitionNames(system, "limited", list), std::vector<std::string>{"theirs"});
}

INSTANTIATE_TEST_SUITE_P(Backends, FilterOnBackend, ::testing::ValuesIn(sovrel::test::kBackends),
                         sovrel::test::BackendTestName);

TEST(FilterSql, refusesWhatIsNotAValueOfTheColumnOrAnOperatorOfIt) {
    struct Case { FilterCondition condition; const char* problem; };
    const Case cases[] = {
        {{false, "n", Op::Equals, "1; DROP TABLE x", ""}, "Hx.AA.FILTER.NotANumber(Number,1; DROP TABLE x)"},
        {{false, "n", Op::Between, "1", "1e3"}, "Hx.AA.FILTER.NotANumber(Number,1e3)"},
        {{false, "d", Op::Equals, "1990-02-30", ""}, "Hx.AA.FILTER.NotADate(Birthday,1990-02-30)"},
        {{false, "d", Op::Less, "1990-01-01' OR '1'='1", ""}, "Hx.AA.FILTER.NotADate(Birthday,1990-01-01' OR '1'='1)"},
        {{false, "major", Op::Equals, "yes", ""}, "Hx.AA.FILTER.NotAFlag(Main,yes)"},
        {{false, "n", Op::Contains, "1", ""}, "Hx.AA.FILTER.OpNotForColumn(Number)"},
        {{false, "cMemo) OR (1=1", Op::Equals, "x", ""}, "Hx.AA.FILTER.UnknownColumn(cMemo) OR (1=1)"},
    };
    for (const auto& k : cases) {
        std::string sql = "stale", problem;
        EXPECT_FALSE(BuildFilterSql(kColumns, {k.condition}, "keys", sql, problem)) << k.condition.value;
        EXPECT_EQ(problem, k.problem);
        EXPECT_EQ(sql, "");
    }
    std::vector<FilterCondition> parsed;
    for (const char* bad : {"<Filter><Condition column='memo' op='like'/></Filter>",
                            "<Filter><Condition op='eq'/></Filter>"})
        EXPECT_FALSE(ParseFilterDefinition(bad, parsed)) << bad;
}

}  // namespace
}  // namespace host::test
