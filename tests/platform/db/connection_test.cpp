#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "test_account.h"
#include "thrown.h"

using platform::Error;
using platform::db::Connection;
using sovrel::test::Thrown;
namespace errnum = platform::errnum;

namespace {

class ConnectionTest : public sovrel::test::SmallAccountTest {};

TEST_P(ConnectionTest, ExecuteAndPreparedCommandsAnswerRowsAffected) {
    EXPECT_EQ(conn->Execute("update Contact set cName = N'x' where cVenCode = N'V01'"), 12);
    EXPECT_EQ(conn->Execute("delete from Contact where cCode = N'nothing'"), 0);
    auto cmd = conn->Prepare("update Contact set iCount = ? where cCode = ?");
    cmd->Bind(1, 70);
    for (const char* code : {"V0200000001", "V0100000002"}) {
        cmd->Bind(2, code);
        EXPECT_EQ(cmd->Execute(), 1);
    }
    EXPECT_EQ(Count("iCount = 70"), 2);
    EXPECT_THROW(cmd->Bind(3, 1), Error);
}

TEST_P(ConnectionTest, FailedStatementsRaiseTheirNumberAndChangeNothing) {
    Connection closed;
    const struct { Connection* on; const char* sql; long number; const char* text; } cases[] = {
        {conn.get(), "insert into Contact (oid, cCode, cName) values (N'{new}', N'V0200000001', N'dup')",
         errnum::ConstraintViolated, "UNIQUE"},
        {conn.get(), "update Contact set where", errnum::CannotTranslate, "position"},
        // Double quotes name, never quote a text.
        {conn.get(), "select \"nosuchcolumn\" from Contact", errnum::CommandFailed, "nosuchcolumn"},
        {conn.get(), "create database TKDATA_001_2024", 0, ""}, {&closed, "select 1", 0, "not open"},
    };
    for (const auto& c : cases) {
        const Error e = Thrown([&] { c.on->Execute(c.sql); });
        EXPECT_NE(e.Number(), 0) << "accepted: " << c.sql;
        if (c.number) {
            EXPECT_EQ(e.Number(), c.number) << c.sql;
        }
        EXPECT_NE(e.Description().find(c.text), std::string::npos) << e.Description();
    }
    EXPECT_EQ(Count(), 25);
}

TEST_P(ConnectionTest, ABatchIsOneTransactionNestedOnesRollBackTheirOwnPartAndClosingAll) {
    // The second statement fails: the first must not stay written.
    EXPECT_THROW(conn->Execute("update Contact set cName = N'changed' where cCode = N'V0200000001'; "
                               "insert into Contact (oid, cCode, cName) values (N'{oid-1}', N'new', N'x')"),
                 Error);
    EXPECT_EQ(Count("cName = N'changed'"), 0);
    EXPECT_EQ(conn->TransactionLevel(), 0);
    conn->BeginTrans();
    conn->Execute("delete from Contact where cCode = N'V0200000001'");
    EXPECT_EQ(conn->BeginTrans(), 2);
    conn->Execute("delete from Contact where cCode = N'V0100000002'");
    conn->RollbackTrans();
    conn->CommitTrans();
    EXPECT_EQ(Count(), 24);
    EXPECT_EQ(Count("cCode = N'V0100000002'"), 1);
    EXPECT_THROW(conn->CommitTrans(), Error);
    // Closing rolls back what is still open.
    conn->BeginTrans();
    conn->Execute("delete from Contact");
    conn->Close();
    conn = sovrel::test::Open(place.ConnectionText("TKDATA_001_2024"));
    EXPECT_EQ(Count(), 24);
}

// Statements sent ahead go with the next request, in its round trip; a failure among them fails
// that request and, inside a transaction, undoes the request alone.
TEST_P(ConnectionTest, StatementsSentAheadGoWithTheNextRequestInItsRoundTrip) {
    conn->OpenRowset("select cCode, iCount from Contact where 1 = 0");  // the table's columns learnt first
    conn->BeginTrans();
    auto rows = conn->QueryAhead("select cCode, iCount from Contact where cCode = N'V0200000001'");
    conn->ExecuteAhead("update Contact set cName = N'ahead' where cCode = N'V0200000001'");
    EXPECT_FALSE(rows->ready);
    const long start = conn->RoundTrips();
    EXPECT_EQ(conn->Execute("update Contact set iCount = 7 where cCode = N'V0200000001'"), 1);
    EXPECT_EQ(conn->RoundTrips() - start, 1);
    ASSERT_TRUE(rows->ready);
    ASSERT_EQ(rows->rows.size(), 1u);
    EXPECT_EQ(rows->rows[0][0].ToText(), "V0200000001");
    EXPECT_NE(rows->rows[0][1].ToText(), "7");  // read before the update that followed it

    conn->ExecuteAhead("update Contact set cName = N'undone' where cCode = N'V0100000002'");
    conn->ExecuteAhead("insert into Contact (oid, cCode, cName) values (N'{new}', N'V0200000001', N'dup')");
    EXPECT_EQ(Thrown([&] { conn->CommitTrans(); }).Number(), errnum::ConstraintViolated);
    ASSERT_EQ(conn->TransactionLevel(), 1);
    conn->CommitTrans();
    EXPECT_EQ(Count("cName = N'ahead' AND iCount = 7"), 1);
    EXPECT_EQ(Count("cName = N'undone'"), 0);
    EXPECT_EQ(Count(), 25);

    // '?' marks take the values sent with the text, each time its own; values a wrong count of
    // them fails the request and writes nothing.
    const char* insert = "insert into Contact (oid, cCode, cName, iCount) values (?, ?, ?, ?)";
    conn->BeginTrans();
    conn->ExecuteAhead(insert, {"{p1}", "P1", "O'Brien", 5});
    conn->ExecuteAhead(insert, {"{p2}", "P2", "x", platform::db::Value::Null()});
    conn->CommitTrans();
    EXPECT_EQ(Count("cCode = N'P1' AND cName = N'O''Brien' AND iCount = 5"), 1);
    EXPECT_EQ(Count("cCode = N'P2' AND cName = N'x' AND iCount IS NULL"), 1);
    conn->ExecuteAhead(insert, {"{p3}", "P3", "y"});
    EXPECT_THROW(conn->Execute("update Contact set iCount = 1 where cCode = N'P1'"), Error);
    EXPECT_EQ(Count("cCode = N'P3' OR iCount = 1"), 0);
    // A text first sent behind a statement that failed, so never run, runs the next time.
    const char* other = "insert into Contact (oid, cCode, cName) values (?, ?, ?)";
    conn->BeginTrans();
    conn->ExecuteAhead(insert, {"{p4}", "P1", "dup", 1});
    conn->ExecuteAhead(other, {"{p5}", "P5", "z"});
    EXPECT_THROW(conn->CommitTrans(), Error);
    conn->RollbackTrans();
    conn->ExecuteAhead(other, {"{p5}", "P5", "z"});
    EXPECT_EQ(Count("cCode = N'P5'"), 1);

    // A command prepared before the transaction runs inside it.
    auto cmd = conn->Prepare("update Contact set iCount = ? where cCode = N'V0100000002'");
    conn->BeginTrans();
    cmd->Bind(1, 99);
    EXPECT_EQ(cmd->Execute(), 1);
    conn->RollbackTrans();
    EXPECT_EQ(Count("iCount = 99"), 0);
}

// A statement sent ahead that its transaction level cannot do without: its failure leaves the
// level nothing but a rollback, and a level around it goes on.
TEST_P(ConnectionTest, AStatementTheLevelCannotDoWithoutLeavesItOnlyARollback) {
    for (bool outer : {false, true}) {
        SCOPED_TRACE(outer ? "nested" : "alone");
        if (outer) {
            conn->BeginTrans();
            conn->Execute("update Contact set cName = N'outer' where cCode = N'V0100000002'");
        }
        conn->BeginTrans();
        conn->Execute("update Contact set cName = N'inner' where cCode = N'V0200000001'");
        conn->ExecuteAhead("insert into Contact (oid, cCode, cName) values (?, ?, ?)", {"{dup}", "V0200000001", "dup"},
                           Connection::AheadFailure::RollsBackTheLevel);
        EXPECT_EQ(Thrown([&] { conn->CommitTrans(); }).Number(), errnum::ConstraintViolated);
        EXPECT_THROW(conn->CommitTrans(), Error);
        conn->RollbackTrans();
        if (outer) conn->CommitTrans();
        EXPECT_EQ(Count("cName = N'inner'"), 0);
        EXPECT_EQ(Count("cName = N'outer'"), outer ? 1 : 0);
    }
    EXPECT_EQ(Count(), 25);
}

TEST_P(ConnectionTest, UseSwitchesTheDatabaseAndRefusesInsideATransaction) {
    sovrel::test::CreateDatabase(place, "tksystem", "CREATE TABLE UA_Account_Sub (\n  cAcc_Id nvarchar(3)\n);");
    conn->Execute("use tksystem");
    EXPECT_EQ(conn->CurrentDatabase(), "tksystem");
    EXPECT_EQ(conn->Execute("insert into UA_Account_Sub values (N'001')"), 1);
    EXPECT_THROW(conn->Execute("use nowhere"), Error);
    EXPECT_EQ(conn->CurrentDatabase(), "tksystem");  // a failed switch keeps the database
    conn->BeginTrans();
    conn->Execute("use TKSYSTEM");  // the database it is in: nothing to switch
    EXPECT_THROW(conn->Execute("use TKDATA_001_2024"), Error);
    conn->RollbackTrans();
    conn->Execute("use [TKDATA_001_2024]");
    EXPECT_EQ(Count(), 25);
}

// A text sent often is kept prepared on a server. After its table's columns change, here or by
// another connection, it must read them as they are now, and the statements that went in the same
// request must still run once; the same text open twice at once reads both.
TEST_P(ConnectionTest, AStatementKeptPreparedSeesANewColumnAndItsRequestRunsOnce) {
    const std::string query = "SELECT * FROM Contact WHERE cCode = N'V0200000001'";
    const struct { const char* way; bool transaction, ahead, elsewhere; } ways[] = {
        {"sent ahead inside a transaction", true, true, false},
        {"the request's own inside a transaction", true, false, false},
        {"sent ahead outside a transaction", false, true, false},
        {"the request's own outside a transaction, changed by another connection", false, false, true},
    };
    int column = 0;
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        // One run: a counted write sent ahead, then the query in the same request.
        auto run = [&](std::size_t& fields, std::string& added) {
            if (w.transaction) conn->BeginTrans();
            conn->ExecuteAhead("update Contact set iCount = iCount + 1 where cCode = N'V0100000002'");
            if (w.ahead) {
                auto count = conn->QueryAhead("SELECT count(*) AS n FROM Contact");
                auto rows = conn->QueryAhead(query);
                conn->Execute("delete from Contact where cCode = N'nothing'");
                ASSERT_EQ(count->rows.size(), 1u);
                ASSERT_EQ(rows->rows.size(), 1u);
                fields = rows->rows[0].size();
                added = rows->rows[0].back().ToText();
            } else {
                auto rs = conn->OpenRowset(query);
                fields = rs->FieldCount();
                added = rs->Get(fields - 1).ToText();
            }
            if (w.transaction) conn->CommitTrans();
        };
        conn->Execute("update Contact set iCount = 0 where cCode = N'V0100000002'");
        std::size_t before = 0, after = 0;
        std::string value;
        for (int i = 0; i < 3; ++i) run(before, value);
        const std::string name = "cAdded" + std::to_string(++column);
        auto changer = w.elsewhere ? sovrel::test::Open(conn->ConnectionString()) : conn;
        changer->ExecuteScript("ALTER TABLE Contact ADD COLUMN " + name + " varchar(10)");
        changer->Execute("update Contact set " + name + " = N'new' where cCode = N'V0200000001'");
        ASSERT_NO_THROW(run(after, value));
        EXPECT_EQ(after, before + 1);
        EXPECT_EQ(value, "new");
        EXPECT_EQ(Count("cCode = N'V0100000002' AND iCount = 4"), 1);
        auto first = conn->OpenRowset(query, platform::db::CursorKind::ForwardOnly);
        auto second = conn->OpenRowset(query, platform::db::CursorKind::ForwardOnly);
        EXPECT_EQ(first->Get(name).ToText(), "new");
        EXPECT_EQ(second->Get(name).ToText(), "new");
    }
}

// What SQL Server answers, value or error, where a backend alone would wrap round, give NULL
// or allocate without bound.
TEST_P(ConnectionTest, NumbersAndTextsStayInTheServersLimits) {
    const struct { const char* expr; const char* answer; /* the value, or part of the error */ bool error; } cases[] = {
        {"cast(1e19 as bigint)", "Arithmetic overflow error converting expression to data type bigint.", true},
        {"cast(-2147483649 as int)", "Arithmetic overflow error converting expression to data type int.", true},
        {"convert(money, 922337203685478)", "Arithmetic overflow error converting expression to data type money", true},
        {"5/0", "Divide by zero error encountered.", true}, {"5 % (3 - 3)", "Divide by zero", true},
        {"1.5 / 0.0", "Divide by zero", true},
        {"convert(datetime, 1e300)", "Arithmetic overflow error converting expression to data type datetime.", true},
        {"dateadd(month, -2147483648, getdate())", "overflow", true},
        {"dateadd(year, 9000, '2024-01-01')", "overflow", true},
        {"convert(varchar, convert(money, -922337203685477.5807), 2)", "-922337203685477.5807", false},
        {"7 / 2", "3", false}, {"-7 % 3", "-1", false}, {"cast(2.9 as int)", "2", false},
        {"2 & 1 + 1", "1", false}, {"5 ^ 1 + 1", "5", false},  // & ^ | rank with +, left to right
        {"convert(datetime, 2)", "1900-01-03", false}, {"len(replicate('x', 2000000000))", "8000", false},
        {"len(replicate(N'中文', 2001))", "4000", false}, {"len(space(2147483647) + 'x')", "8001", false},
    };
    for (const auto& c : cases) {
        const std::string sql = std::string("select ") + c.expr + " as a";
        try {
            const std::string got = conn->OpenRowset(sql)->Get(0).ToText();
            if (c.error)
                ADD_FAILURE() << c.expr << " gave " << got;
            else
                EXPECT_EQ(got.substr(0, std::string(c.answer).size()), c.answer) << c.expr;
        } catch (const Error& e) {
            if (!c.error)
                ADD_FAILURE() << c.expr << ": " << e.Description();
            else
                EXPECT_NE(e.Description().find(c.answer), std::string::npos) << c.expr << ": " << e.Description();
        }
    }
}

// A recursive WITH stops after 100 levels, or the number OPTION (MAXRECURSION n) gives.
TEST_P(ConnectionTest, RecursionStopsAtTheServersLimit) {
    const std::pair<const char*, const char*> cases[] = {
        {"with n(i) as (select 1 union all select i + 1 from n where i < 101) select count(*) as a from n", "101"},
        {"with n(i) as (select 1 union all select i + 1 from n where i < 102) select count(*) as a from n",
         "The statement terminated. The maximum recursion 100 has been exhausted before statement completion."},
        {"with n(i) as (select 1 union all select i + 1 from n where i < 150) select count(*) as a from n "
         "option (maxrecursion 200)", "150"},
        {"with n(i) as (select 1 union all select i + 1 from n where i < 20) select count(*) as a from n "
         "option (maxrecursion 10)", "The maximum recursion 10 has"},
        {"with n(i) as (select 1 union all select i + 1 from n where i < 500) select count(*) as a from n "
         "option (maxrecursion 0)", "500"},
        {"with t (i) as (select 1 union all select p.i + 1 from t as p where p.i < 3) select count(*) as a from t",
         "3"},
    };
    for (const auto& [sql, answer] : cases) {
        std::string got;
        try {
            got = conn->OpenRowset(sql)->Get(0).ToText();
        } catch (const Error& e) {
            got = e.Description();
        }
        EXPECT_NE(got.find(answer), std::string::npos) << sql << "\n" << got;
    }
}

// An account's own files: only SQLite's (a server keeps no database files of ours).
class AccountFile : public ConnectionTest {};

TEST_P(AccountFile, AReadOnlyAccountIsReadAndRefusesWrites) {
    namespace fs = std::filesystem;
    conn->Close();
    const fs::path folder = place.folder(), file = folder / "TKDATA_001_2024.db";
    const auto folderPerms = fs::status(folder).permissions(), filePerms = fs::status(file).permissions();
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    const auto size = fs::file_size(file);
    conn = sovrel::test::Open(place.ConnectionText("TKDATA_001_2024"));
    EXPECT_EQ(Count("cVenCode = N'v01'"), 12);
    const std::string refusal = Thrown([&] { conn->Execute("delete from Contact"); }).Description();
    EXPECT_NE(refusal.find("read-only"), std::string::npos) << refusal;
    EXPECT_EQ(Count(), 25);
    conn->Close();
    EXPECT_EQ(fs::file_size(file), size);
    EXPECT_FALSE(fs::exists(folder / "TKDATA_001_2024.db-wal"));
    fs::permissions(folder, folderPerms);
    fs::permissions(file, filePerms);
}

TEST_P(ConnectionTest, LikeTakesTSqlBracketsAndNoOtherEscape) {
    conn->Execute("insert into Contact (oid, cCode, cName) values (N'{x1}', N'X1', N'50%'), (N'{x2}', N'X2', N'a_b'), "
                  "(N'{x3}', N'X3', N'[x]'), (N'{x4}', N'X4', N'a\\b'), (N'{x5}', N'X5', N'A^B')");
    const std::pair<const char*, long> cases[] = {
        {"cName like N'5_[%]'", 1}, {"cName like N'a[_]b'", 1}, {"cName like N'a_b'", 3}, {"cName like N'[[]x]'", 1},
        {"cName like N'a\\b'", 1}, {"cName like N'[^0-9]%'", 4}, {"cName not like N'[0-9a]%'", 1},
        {"cName like N'a^b'", 1},
        {"cName like N'[a][\\^]b'", 2},
    };
    for (const auto& [where, rows] : cases) EXPECT_EQ(Count("cCode like N'X%' and " + std::string(where)), rows) << where;
}

// SQLite would keep such bytes as they come and PostgreSQL refuses them in its own words; the
// layer refuses them before either, alike, whichever way the text travels.
TEST_P(ConnectionTest, TextThatIsNotUtf8IsRefusedAlikeOnEveryBackendAndChangesNothing) {
    const std::string gb18030 = "\xCB\xEF\xCF\xBC";  // 孙霞 as GB18030 bytes
    const std::string update = "update Contact set cName = N'" + gb18030 + "' where cCode = N'V0100000002'";
    const std::string before = conn->OpenRowset("select cName from Contact where cCode = N'V0100000002'")->Get(0).ToText();
    const std::string tail = " holds bytes that are not UTF-8 text (at byte ";
    const struct {
        std::function<void()> write;
        std::string message;
    } cases[] = {
        {[&] { conn->Execute(update); }, "the statement" + tail + "30); the account stores text as UTF-8 only"},
        {[&] { conn->OpenRowset(update); }, "the statement" + tail + "30); the account stores text as UTF-8 only"},
        {[&] {
             auto cmd = conn->Prepare("update Contact set cName = ? where cCode = N'V0100000002'");
             cmd->Bind(1, "ok \xFF");
             cmd->Execute();
         },
         "parameter 1" + tail + "4); the account stores text as UTF-8 only"},
        {[&] {
             auto rs = conn->OpenRowset("select * from Contact where cCode = N'V0100000002'");
             rs->Set("cName", gb18030);
             rs->Update();
         },
         "the value of cName" + tail + "1); the account stores text as UTF-8 only"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Thrown(c.write).Description(), c.message);
    }
    EXPECT_EQ(conn->OpenRowset("select cName from Contact where cCode = N'V0100000002'")->Get(0).ToText(), before);
}

// Translations are kept by text: a connection opened again on the other backend must not run the
// first one's.
TEST(TranslationsOnServer, AConnectionOpenedOnAnotherBackendTranslatesForIt) {
    sovrel::test::Place lite(sovrel::test::Backend::Sqlite), server(sovrel::test::Backend::Postgres);
    SOVREL_SKIP_UNLESS_AVAILABLE(server);
    const std::string liteText = sovrel::test::SmallAccount(lite, 1), serverText = sovrel::test::SmallAccount(server, 1);
    Connection c;
    for (const auto* text : {&liteText, &serverText, &liteText}) {
        c.Open(*text);
        EXPECT_FALSE(c.OpenRowset("select getdate() as d")->Get(std::size_t{0}).IsNull()) << c.Provider();
        c.Close();
    }
}

INSTANTIATE_TEST_SUITE_P(Sqlite, AccountFile, ::testing::Values(sovrel::test::Backend::Sqlite),
                         sovrel::test::BackendTestName);
INSTANTIATE_TEST_SUITE_P(Backends, ConnectionTest, ::testing::ValuesIn(sovrel::test::kBackends),
                         sovrel::test::BackendTestName);

}  // namespace
