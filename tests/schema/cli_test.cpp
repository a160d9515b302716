// The sovrel program, run as a user runs it: exit statuses, messages, and the query output.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "schema/demo.h"
#include "support.h"

namespace schema::test {
namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class CliTest : public ::testing::Test {
protected:
    Result Run(const std::vector<std::string>& args) {
        std::string command = ShellQuote(SOVREL_EXE);
        for (const auto& a : args) command += " " + ShellQuote(a);
        command += " </dev/null >" + ShellQuote(folder.Sub("out")) + " 2>" + ShellQuote(folder.Sub("err"));
        const int rc = std::system(command.c_str());
        Result r;
        r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        r.out = ReadFile(folder.Sub("out"));
        r.err = ReadFile(folder.Sub("err"));
        return r;
    }
    std::int64_t Contacts(const std::string& dir) {
        return Scalar(*Open(dir), "SELECT count(*) FROM Ven_Contact").ToInt();
    }
    TempFolder folder;
};

TEST_F(CliTest, InitCreatesRefusesAnExistingAccountAndReplacesItWithForce) {
    const std::string dir = folder.Sub("data");
    Result r = Run({"init", dir, "--contacts", "30", "--vendors", "3", "--seed", "5"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("30 contacts"), std::string::npos) << r.out;
    EXPECT_EQ(Contacts(dir), 30);

    r = Run({"init", dir, "--contacts=12"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("already exists"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
    EXPECT_EQ(Contacts(dir), 30);

    r = Run({"init", dir, "--force", "--contacts", "-4"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--contacts"), std::string::npos) << r.err;
    EXPECT_EQ(Contacts(dir), 30);

    r = Run({"init", dir, "--force", "--contacts", "12"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Contacts(dir), 12);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 2)
        << "files left beside the two databases";
}

TEST_F(CliTest, QueryPrintsHeaderAndOneEscapedLinePerRow) {
    const std::string dir = folder.Sub("data");
    CreateFixedAccount(dir);
    {
        auto db = Open(dir);
        auto set = db->Prepare("UPDATE Ven_Contact SET cMemo = ? WHERE cContactCode = ?");
        set->Bind(1, platform::db::Value("tab\there\nline\\end"));
        set->Bind(2, platform::db::Value("V0200000001"));
        set->Execute();
        db->Execute("UPDATE Ven_Contact SET cMemo = NULL WHERE cContactCode <> 'V0200000001'");
    }
    const std::string sql =
        "SELECT cContactCode, cContactName, cMemo, bMajor, bcDutyID FROM Ven_Contact "
        "WHERE cContactCode IN ('V0100000001', 'V0200000001', 'V0200000002') ORDER BY cContactCode";
    const std::string expected =
        "cContactCode\tcContactName\tcMemo\tbMajor\tbcDutyID\n"
        "V0100000001\t张伟\t\tTrue\t3\n"
        "V0200000001\tAnna Schmidt\ttab\\there\\nline\\\\end\tTrue\t3\n"
        "V0200000002\tLukas Weber\t\tFalse\t\n";
    Result r = Run({"--data", dir, "query", sql});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");

    r = Run({"--connection", SqliteConnectionText(dir), "query", sql});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);

    r = Run({"--data=" + dir, "query", "SELECT cContactCode FROM Ven_Contact WHERE 1=2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "cContactCode\n");
}

TEST_F(CliTest, MistakesGiveAMessageAndTheirExitStatus) {
    const std::string dir = folder.Sub("data");
    CreateFixedAccount(dir);
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{}, 2, "no command"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"--data"}, 2, "--data needs a value"},
        {{"--verbose", "query", "x"}, 2, "unknown option --verbose"},
        {{"--data", dir, "--connection", "Provider=SQLite", "query", "x"}, 2, "either --data or --connection"},
        {{"--data", dir, "query"}, 2, "no SQL statement"},
        {{"--data", dir, "query", "SELECT 1", "SELECT 2"}, 2, "one argument"},
        {{"--data", dir + "/missing", "query", "SELECT 1"}, 2, "cannot connect"},
        {{"--connection", "Provider=Nothing;Data Source=" + dir, "query", "SELECT 1"}, 2, "cannot connect"},
        {{"--data", dir, "query", "SELECT nosuchcolumn FROM Ven_Contact"}, 1, "query failed"},
        {{"init", folder.Sub("x"), "--contacts", "many"}, 2, "--contacts takes a whole number"},
        {{"init", folder.Sub("x"), "--seed"}, 2, "--seed needs a value"},
        {{"init", folder.Sub("x"), "--vendors", "0"}, 2, "--vendors"},
        {{"init", folder.Sub("x"), folder.Sub("y")}, 2, "more than one folder"},
        {{"init", folder.Sub("x"), "--fast"}, 2, "unknown option --fast"},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const auto& a : c.args) shown += a + " ";
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, c.status) << shown << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << shown << "\n" << r.err;
        EXPECT_EQ(r.out, "") << shown;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.Sub("x"))) << "a refused init left a folder";

    const Result help = Run({"help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: sovrel"), std::string::npos);
    EXPECT_NE(help.out.find("init [DIR]"), std::string::npos);
    EXPECT_NE(help.out.find("query SQL"), std::string::npos);
}

}  // namespace
}  // namespace schema::test
