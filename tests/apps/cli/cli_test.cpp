// The sovrel program, run as a user runs it: exit statuses, what it prints on each stream, and
// what it leaves in the account.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include "host/texts/text_table.h"
#include "backends.h"
#include "compiled_locale.h"
#include "file_text.h"
#include "platform/text.h"
#include "platform/password.h"
#include "platform/secret_box.h"
#include "schema/demo.h"
#include "schema/server_roles.h"
#include "stock_sqlite.h"
#include "support.h"

namespace schema::test {
namespace {

using sovrel::test::FileText;

struct Result { int status = -1; std::string out, err; };

std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A connection of the test's own to `text` (a connection text).
std::shared_ptr<platform::db::Connection> Connect(const std::string& text) {
    auto c = std::make_shared<platform::db::Connection>();
    c->Open(text);
    return c;
}

std::string Text(std::string_view language, std::string_view key, const std::vector<std::string>& params = {}) {
    return host::texts::TextTable::For(language).Format(key, params);
}

// A contact of vendor V03 as the card writes it.
std::string ContactXml(const std::string& code, const std::string& name) {
    return "<Ven_Contact><cVenCode>V03</cVenCode><cContactCode>" + code + "</cContactCode><cContactName>" + name +
           "</cContactName><bcSexID>1</bcSexID><bMajor>False</bMajor><dBirthday></dBirthday><oid>{" + code +
           "}</oid></Ven_Contact>";
}

class CliTest : public ::testing::Test {
protected:
    // Runs the program with `input` on its standard input, SOVREL_PASSWORD set to `password`
    // (unset when there is none), and no terminal to ask on.
    Result Run(const std::vector<std::string>& args, const std::string& input = "") {
        WriteFile(folder.Sub("in"), input);
        std::string command = "setsid -w env " + environment + (password ? "SOVREL_PASSWORD=" + ShellQuote(*password) : "-u SOVREL_PASSWORD") +
                              " XDG_CONFIG_HOME=" + ShellQuote(folder.Sub("config")) +
                              (newPassword ? " SOVREL_NEW_PASSWORD=" + ShellQuote(*newPassword) : "") + " " +
                              ShellQuote(SOVREL_EXE);
        for (const auto& a : args) command += " " + ShellQuote(a);
        command += " <" + ShellQuote(folder.Sub("in")) + " >" + ShellQuote(folder.Sub("out")) + " 2>" +
                   ShellQuote(folder.Sub("err"));
        const int rc = std::system(command.c_str());
        return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, FileText(folder.Sub("out")), FileText(folder.Sub("err"))};
    }
    // The same on the fixed account, with the given options before the command.
    Result On(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), {"--data", dir});
        return Run(args, input);
    }
    Result Keys(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), {"--language", "keys"});
        return On(args, input);
    }
    void UseFixedAccount() { CreateFixedAccount(dir, platform::PasswordCost::TestOnly); }
    std::string Value(const std::string& sql) { return Scalar(*Open(dir), sql).ToText(); }
    std::int64_t Count(const std::string& sql) { return Scalar(*Open(dir), sql).ToInt(); }

    TempFolder folder;
    const std::string dir = folder.Sub("data");
    std::optional<std::string> password = std::string(kDemoPassword);
    std::optional<std::string> newPassword;
    std::string environment;  // "NAME=value " items for the program's environment
};

class CliOnBackend : public CliTest, public ::testing::WithParamInterface<sovrel::test::Backend> {};

TEST_P(CliOnBackend, InitRefusesAnExistingAccountAndReplacesItWithForce) {
    sovrel::test::Place place(GetParam());
    SOVREL_SKIP_UNLESS_AVAILABLE(place);
    const bool server = GetParam() == sovrel::test::Backend::Postgres;
    const std::string account =
        server ? ServerConnectionText(place.Server(), kDemoAccountDatabase) : SqliteConnectionText(dir);
    auto init = [&](const std::vector<std::string>& options) {
        auto args = server ? std::vector<std::string>{"--connection", place.Server(), "init"}
                           : std::vector<std::string>{"init", dir};
        args.insert(args.end(), options.begin(), options.end());
        return Run(args);
    };
    auto contacts = [&] { return Scalar(*Connect(account), "SELECT count(*) FROM Ven_Contact").ToInt(); };
    Result r = init({"--contacts", "30", "--vendors", "3", "--seed", "5"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("30 contacts"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("users demo, demo_en and limited; the password of each: " + std::string(kDemoPassword)),
              std::string::npos) << r.out;

    r = init({"--contacts=12"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("already exists"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
    r = init({"--force", "--contacts", "-4"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--contacts"), std::string::npos) << r.err;
    EXPECT_EQ(contacts(), 30);

    {
        // A session still open on the old account does not hold the replacement up.
        platform::db::Connection held;
        if (server) held.Open(account);
        r = init({"--force", "--contacts", "12", "--vendors", "2"});
    }
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(contacts(), 12);
    if (!server) {
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 2)
            << "files left beside the two databases";
    }
    r = Run({"--connection", account, "query", "SELECT cvencode, count(*) AS N FROM vendor GROUP BY cVenCode"});
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "cVenCode\tN") << r.err;
}

// A GB18030 locale of this test process's own (no root needed to make one), or "" when the
// machine has no locale sources.
const std::string& Gb18030LocaleFolder() {
    static const sovrel::test::CompiledLocale gb18030("zh_CN", "GB18030");
    return gb18030.Folder();
}

std::string Gb18030(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(platform::text::FromUtf8To("GB18030", utf8, out));
    return out;
}

// Under a GB18030 locale the program takes GB18030 in and gives it out, while the account and
// the files it writes hold UTF-8; bytes that are no GB18030 text are refused, naming the argument.
TEST_P(CliOnBackend, AGb18030TerminalRoundTripsItsTextAndTheAccountKeepsUtf8) {
    sovrel::test::Place place(GetParam());
    SOVREL_SKIP_UNLESS_AVAILABLE(place);
    const std::string locales = Gb18030LocaleFolder();
    ASSERT_FALSE(locales.empty()) << "localedef cannot make zh_CN.GB18030 (scripts/deps installs locales)";
    std::vector<std::string> target{"--data", dir};
    if (GetParam() == sovrel::test::Backend::Postgres) target = {"--connection", sovrel::test::CreateFixedAccount(place)};
    else UseFixedAccount();
    const auto account = Connect(GetParam() == sovrel::test::Backend::Postgres ? target[1] : SqliteConnectionText(dir));
    auto memo = [&] { return Scalar(*account, "SELECT cMemo FROM Ven_Contact WHERE cContactCode = 'V0100000001'"); };
    auto run = [&](std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), target.begin(), target.end());
        args.insert(args.begin(), {"--language", "keys"});
        return Run(args, input);
    };
    environment = "LOCPATH=" + ShellQuote(locales) + " LC_ALL=zh_CN.GB18030 ";

    Result r = run({"exec", Gb18030("update Ven_Contact set cMemo = N'孙霞的备注' where cContactCode = N'V0100000001'")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(memo().ToText(), "孙霞的备注");
    r = run({"query", Gb18030("select cContactName, cMemo from Ven_Contact where cMemo like N'孙霞%'")});
    EXPECT_EQ(r.out, Gb18030("cContactName\tcMemo\n张伟\t孙霞的备注\n"));
    r = run({"add", "Ven_Contact"}, Gb18030(ContactXml("V0300000001", "赵六")));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Scalar(*account, "SELECT cContactName FROM Ven_Contact WHERE cContactCode = 'V0300000001'").ToText(), "赵六");

    const std::string vcf = folder.Sub("v03.vcf");
    r = run({"export-contacts", vcf, "--vendor", "V03"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(FileText(vcf).find("\r\nFN:赵六\r\n"), std::string::npos) << FileText(vcf);

    r = run({"exec", "update Ven_Contact set cMemo = N'\xFF\xFE' where cContactCode = N'V0100000001'"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("sovrel: Hx.AA.CLI.ArgumentBytes(6,GB18030)\n", 0), 0u) << r.err;
    r = run({"add", "Ven_Contact"}, ContactXml("V0300000002", "\xFF"));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("sovrel: Hx.AA.CLI.InputBytes(GB18030)\n", 0), 0u) << r.err;
    EXPECT_EQ(memo().ToText(), "孙霞的备注");
    EXPECT_EQ(Scalar(*account, "SELECT count(*) FROM Ven_Contact WHERE cVenCode = 'V03'").ToInt(), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, CliOnBackend, ::testing::ValuesIn(sovrel::test::kBackends),
                         sovrel::test::BackendTestName);

std::string AccountFile(const std::string& dir) { return dir + "/" + std::string(kDemoAccountDatabase) + ".db"; }

// Administrators open the data with the stock sqlite3 program. After a working day through the
// program every table reads as it is and sorts with Sovrel's extension loaded, and the extension
// finds every index still in the order the collation gives.
TEST_F(CliTest, TheStockSqliteProgramReadsAndChecksTheFilesAfterAWorkingDay) {
    UseFixedAccount();
    const std::string csv = folder.Sub("in.csv");
    WriteFile(csv, "联系人姓名,Mobile Phone\r\nZoë Ärger,138\r\nstrauss,139\r\n孙霞,140\r\n");
    const std::vector<std::pair<std::vector<std::string>, std::string>> day = {
        {{"add", "Ven_Contact"}, ContactXml("V0300000001", "Émile")},
        {{"add", "Ven_Contact"}, ContactXml("V0300000002", "STRAUß")},
        {{"modify", "Ven_Contact"},
         "<Ven_Contact><cContactCode>V0100000004</cContactCode><cContactName>刘洋洋</cContactName></Ven_Contact>"},
        {{"modify", "Ven_Contact"},  // a new superior: the hierarchy is linked anew
         "<Ven_Contact><cContactCode>V0300000001</cContactCode><cSuperiorID>V0300000002</cSuperiorID></Ven_Contact>"},
        {{"import-contacts", csv, "--vendor", "V03"}, ""},
        {{"delete", "V0200000002"}, ""},
        {{"exec", "update Ven_Contact set cContactName = N'zoë ärger' where cContactName = N'ZOË ÄRGER'"}, ""},
    };
    for (const auto& [args, input] : day) {
        const Result r = On(args, input);
        EXPECT_EQ(r.status, 0) << args[0] << ": " << r.err;
    }
    EXPECT_EQ(Count("SELECT count(*) FROM Ven_Contact WHERE cVenCode = 'V03'"), 5);
    EXPECT_EQ(Value("SELECT cSuperiorID FROM Ven_Contact WHERE cContactCode = 'V0300000001'"), "V0300000002");
    int tables = 0;
    for (std::string_view database : {kSystemDatabase, kDemoAccountDatabase}) {
        const std::string file = dir + "/" + std::string(database) + ".db";
        EXPECT_EQ(sovrel::test::IntegrityCheck(file), "ok\n") << database;
        for (const auto& table : Column(*Open(dir, database), "SELECT name FROM sqlite_master WHERE type = 'table'")) {
            for (const bool extension : {false, true}) {
                const std::string sql = "select * from \"" + table + "\"" + (extension ? " order by 1" : "");
                const auto r = sovrel::test::StockSqlite(file, sql, extension);
                EXPECT_EQ(r.status, 0) << table << ": " << r.output;
            }
            ++tables;
        }
    }
    EXPECT_GT(tables, 20);
}

// With the extension a stock tool writes as Sovrel does, so Sovrel finds the name in any case;
// without it the write is refused, since it would put the name's index out of order.
TEST_F(CliTest, ANameWrittenByTheStockSqliteProgramIsFoundOnlyWhenTheExtensionWroteIt) {
    UseFixedAccount();
    const std::string file = AccountFile(dir);
    const std::string code = "V0100000001";
    const struct {
        std::string written, searched, part;
    } cases[] = {
        {"Adams", "ADAMS", "dam"}, {"李四", "李四", "四"}, {"Émile Zoë", "émile zoë", "Ë"},
        {"Strauß", "STRAUSS", "trau"}, {"Ｗｉｄｅ", "wide", "ｉｄ"},
    };
    for (const auto& c : cases) {
        const auto written = sovrel::test::StockSqlite(
            file, "UPDATE Ven_Contact SET cContactName='" + c.written + "' WHERE cContactCode='" + code + "'", true);
        ASSERT_EQ(written.status, 0) << written.output;
        Result r = On({"query", "select cContactCode from Ven_Contact where cContactName = N'" + c.searched + "'"});
        EXPECT_EQ(r.out, "cContactCode\n" + code + "\n") << c.written << r.err;
        // The list's quick search.
        r = On({"page", "select cContactCode, cContactName from Ven_Contact where cContactName like N'%" + c.part +
                            "%' order by cContactName", "--size", "20", "--page", "1"});
        EXPECT_EQ(r.out, "page 1 of 1\ncContactCode\tcContactName\n" + code + "\t" + c.written + "\n") << r.err;
        // The search's index and texts hold the name as written (the extension's triggers keep them).
        if (platform::text::Len(c.written) >= 3) {
            EXPECT_EQ(Value("SELECT COUNT(*) FROM Ven_ContactSearch WHERE cText LIKE N'%" + c.written + "%'"), "1");
        }
        EXPECT_EQ(Value("SELECT COUNT(*) FROM Ven_ContactSearchText WHERE cText LIKE N'%" + c.part + "%' AND oid = "
                        "(SELECT oid FROM Ven_Contact WHERE cContactCode = N'" + code + "')"), "1");
    }
    EXPECT_EQ(sovrel::test::IntegrityCheck(file), "ok\n");

    const auto refused = sovrel::test::StockSqlite(
        file, "UPDATE Ven_Contact SET cContactName='Adams' WHERE cContactCode='" + code + "'", false);
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.output.find("no such collation sequence: SOVREL_CI"), std::string::npos) << refused.output;
    EXPECT_EQ(Value("SELECT cContactName FROM Ven_Contact WHERE cContactCode = '" + code + "'"), "Ｗｉｄｅ");
    // A column the search's index holds needs the extension too, found by its row number alone.
    const auto phone = sovrel::test::StockSqlite(file, "UPDATE Ven_Contact SET cOfficePhone='110' WHERE rowid = 1", false);
    EXPECT_NE(phone.status, 0);
    EXPECT_NE(phone.output.find("no such function: sv_searchtext"), std::string::npos) << phone.output;
    EXPECT_EQ(Value("SELECT COUNT(*) FROM Ven_Contact WHERE cOfficePhone = N'110'"), "0");
    // Reading needs no extension.
    EXPECT_NE(sovrel::test::StockSqlite(file, "select * from Ven_Contact", false).output.find("|Ｗｉｄｅ|"),
              std::string::npos);
}

TEST_F(CliTest, QueryPrintsHeaderAndOneEscapedLinePerRow) {
    UseFixedAccount();
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
    Result r = On({"query", sql});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");

    // The service's text first, then the database's reason.
    r = Keys({"query", "SELECT nosuchcolumn FROM Ven_Contact"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "Hx.CRM.COMMON.DBMSG.Sel0511");
    EXPECT_NE(r.err.find("nosuchcolumn", r.err.find('\n')), std::string::npos) << r.err;
}

TEST_F(CliTest, ExportWritesTheQueryInTheFormatAskedOrLeavesNoFile) {
    UseFixedAccount();
    const std::string sql = "SELECT cContactCode, cContactName, bMajor FROM Ven_Contact WHERE cContactCode IN "
                            "('V0100000001', 'V0200000002') ORDER BY cContactCode";
    Result r = On({"export", sql, folder.Sub("list.txt"), "--format", "csv"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FileText(folder.Sub("list.txt")),
              "\xEF\xBB\xBF" "cContactCode,cContactName,bMajor\r\nV0100000001,张伟,True\r\nV0200000002,Lukas Weber,False\r\n");
    r = On({"export", sql, folder.Sub("list.pdf")});  // the format from the extension
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FileText(folder.Sub("list.pdf")).substr(0, 5), "%PDF-");

    EXPECT_EQ(On({"export", sql, folder.Sub("list.doc")}).status, 2);
    EXPECT_EQ(On({"export", sql, folder.Sub("a.csv"), "--format", "ods"}).status, 2);
    r = On({"export", sql, folder.Sub("missing/list.xlsx")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no file was written"), std::string::npos) << r.err;
    for (const char* never : {"list.doc", "a.csv", "missing"}) EXPECT_FALSE(std::ifstream(folder.Sub(never)).good()) << never;
}

TEST_F(CliTest, PageTellsThePageShownAndThePageCount) {
    UseFixedAccount();
    const std::string all = "SELECT cContactCode FROM Ven_Contact ORDER BY cContactCode";
    const std::string first4 = "V0100000001\nV0100000002\nV0100000003\nV0100000004\n";
    const std::string last2 = "V0200000001\nV0200000002\n";
    struct Case { std::string sql, size, page, out; };
    const Case cases[] = {
        {all, "4", "1", "page 1 of 2\ncContactCode\n" + first4},
        {all, "4", "2", "page 2 of 2\ncContactCode\n" + last2},
        {all, "4", "0", "page 2 of 2\ncContactCode\n" + last2},  // 0 asks for the last page
        {all, "4", "9", "page 2 of 2\ncContactCode\n" + last2},  // past the end: the last page
        {"SELECT cContactCode FROM Ven_Contact WHERE 1=2", "10", "1", "page 0 of 1\ncContactCode\n"},
        {"SELECT DISTINCT cVenCode FROM Ven_Contact ORDER BY cVenCode", "1", "2", "page 2 of 2\ncVenCode\nV02\n"},
    };
    for (const auto& c : cases) {
        const Result r = On({"page", c.sql, "--size", c.size, "--page", c.page});
        EXPECT_EQ(r.status, 0) << c.sql << " " << c.size << "/" << c.page << "\n" << r.err;
        EXPECT_EQ(r.out, c.out) << c.sql << " " << c.size << "/" << c.page;
    }
}

TEST_F(CliTest, DuplicatesListsTheGroupsOfTheAccountOrOfOneVendor) {
    UseFixedAccount();
    const std::string header = "group\tcContactCode\tcVenCode\tcContactName\tcMobilePhone\tcEmail\n";
    ASSERT_EQ(On({"exec", "UPDATE Ven_Contact SET cMobilePhone = N'139-0000 0000', cEmail = NULL, cContactName = "
                          "cContactCode WHERE cContactCode IN (N'V0100000001', N'V0200000001')"}).status, 0);
    Result r = On({"duplicates"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, header + "1\tV0100000001\tV01\tV0100000001\t139-0000 0000\t\n" +
                         "1\tV0200000001\tV02\tV0200000001\t139-0000 0000\t\n");
    EXPECT_EQ(On({"duplicates", "--vendor", "V01"}).out, header);
    EXPECT_EQ(On({"duplicates", "--vendor", "x' OR 1=1 --"}).out, header);
    EXPECT_EQ(On({"duplicates", "--vendr", "V01"}).status, 2);
}

TEST_F(CliTest, ContactsGoOutToAFileAndComeBackWithAReportLineForEachRow) {
    UseFixedAccount();
    const std::string vcf = folder.Sub("v01.vcf");
    Result r = Keys({"export-contacts", vcf, "--vendor", "V01"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Hx.CRM.TkContact.Exchange.ExportedCount(4," + vcf + ")\n");
    const std::string cards = FileText(vcf);
    EXPECT_EQ(std::count(cards.begin(), cards.end(), '\n'), std::count(cards.begin(), cards.end(), '\r'));
    EXPECT_NE(cards.find("BEGIN:VCARD\r\nVERSION:4.0\r\n"), std::string::npos);
    EXPECT_NE(cards.find("\r\nFN:张伟\r\n"), std::string::npos);

    const std::string header = "line\tresult\tcContactCode\tcContactName\tmessage\n";
    const std::string e = "Hx.CRM.TkContact.Exchange.";
    // V01's cards belong to V01.
    r = Keys({"import-contacts", vcf, "--vendor", "V03", "--dry-run"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("\t" + e + "Refused\tV0100000001\t张伟\t" + e + "OtherVendor(V01,V03)\n"), std::string::npos)
        << r.out;

    const std::string csv = folder.Sub("in.csv");
    // Headed as a spreadsheet made from the list might head it: captions in either language, a
    // user-defined item by its name. A NUL byte refuses its row, on a report line of its own.
    WriteFile(csv, "\xEF\xBB\xBF" "联系人姓名,Mobile Phone,微信号\r\n张伟,138,wx1\r\n\"李\r\n娜\",139,\r\n,140,\r\n王" +
                       std::string(1, '\0') + "五,141,\r\n");
    const std::string mapping = "1\t" + e + "Note\t\t\t" + e +
                                "Mapping(联系人姓名 → cContactName, Mobile Phone → cMobilePhone, 微信号 → cConDefine1)\n";
    struct Case {
        std::vector<std::string> options;
        std::string notes, result, summary;
        long written;
    };
    const Case cases[] = {
        {{"--atomic"}, "", "Accepted", "SummaryAtomic(2,2)", 0},
        {{"--dry-run"}, mapping, "Accepted", "SummaryDryRun(2,2)", 0},
        {{}, "", "Added", "Summary(2,2)", 2},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"import-contacts", csv, "--vendor", "V03"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        r = Keys(args);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_EQ(r.out, header + c.notes + "2\t" + e + c.result + "\tV0300000001\t张伟\t\n3\t" + e + c.result +
                             "\tV0300000002\t李\\n娜\t\n5\t" + e + "Refused\t\t\tHx.CRM.TkContact.frmcontactedit.00080\n6\t" +
                             e + "Refused\t\t\t" + e + "BadBytes(6)\n");
        EXPECT_EQ(r.err, e + c.summary + "\n");
        EXPECT_EQ(Count("SELECT count(*) FROM Ven_Contact WHERE cVenCode = 'V03'"), c.written);
    }
    EXPECT_EQ(Value("SELECT cContactName FROM Ven_Contact WHERE cContactCode = 'V0300000002'"), "李\n娜");
    EXPECT_EQ(Value("SELECT cMobilePhone + N'/' + cConDefine1 FROM Ven_Contact WHERE cContactCode = 'V0300000001'"),
              "138/wx1");
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"import-contacts"},
                                                {"import-contacts", csv, "--atomc"},
                                                {"import-contacts", folder.Sub("missing.csv")},
                                                {"export-contacts", vcf, "--format", "xlsx"}})
        EXPECT_EQ(Keys(bad).status, 2) << bad.back();
}

TEST_F(CliTest, AddReadsRecordsFromAFileOrStandardInput) {
    UseFixedAccount();
    const std::string file = folder.Sub("contact.xml");
    WriteFile(file, ContactXml("V0300000001", "赵六 & 孙七"));
    const std::string names = "SELECT cContactName FROM Ven_Contact WHERE cVenCode = 'V03' ORDER BY cContactCode";
    for (const auto& [args, input] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"add", "Ven_Contact", file}, ""},
             {{"add", "Ven_Contact"}, ContactXml("V0300000002", "Ming Li") + "\n"},
             {{"add", "Ven_Contact", "-"}, ContactXml("V0300000003", "Lee")}}) {
        const Result r = Keys(args, input);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out + r.err, "");
    }
    EXPECT_EQ(Column(*Open(dir), names), (std::vector<std::string>{"赵六 & 孙七", "Ming Li", "Lee"}));

    const Result r = Keys({"add", "Ven_Contact", file});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Hx.CRM.COMMON.CheckDuplication02\n");
    EXPECT_EQ(Column(*Open(dir), names).size(), 3u);
}

TEST_F(CliTest, AMessageOfSeveralLinesPrintsAsSeveralLines) {
    UseFixedAccount();    // In the user's own language (demo_en reads English), with a parameter in the first line.
    const Result r = Run({"--data", dir, "--user", "demo_en", "add", "Ven_Contact"},
            "<Ven_Contact><cContactCode>V0300000009</cContactCode><cNoSuchColumn>1</cNoSuchColumn></Ven_Contact>");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, Text("en-US", "Hx.CRM.COMMON.DBMSG.Fld01", {"cnosuchcolumn"}) + "\n" +
                         Text("en-US", "Hx.CRM.COMMON.DBMSG.Fld02") + "\n");
    EXPECT_EQ(Count("SELECT count(*) FROM Ven_Contact WHERE cContactCode = 'V0300000009'"), 0);
}

// An account from before the history: the first login adds the table, and the change is kept.
TEST_F(CliTest, AnAccountFromBeforeTheHistoryGetsItAtTheFirstLogin) {
    UseFixedAccount();
    Connect(SqliteConnectionText(dir))
        ->ExecuteScript("DROP TABLE Ven_ContactHistory; DROP INDEX Ven_Contact_tkts; DROP TABLE Ven_ContactSearch; "
                        "DROP TABLE Ven_ContactSearchRow; DROP TRIGGER Ven_Contact_search_add; "
                        "DROP TRIGGER Ven_Contact_search_change; DROP TRIGGER Ven_Contact_search_remove; "
                        "DROP TABLE Ven_ContactSearchText; DROP TRIGGER Ven_Contact_searchtext_add; "
                        "DROP TRIGGER Ven_Contact_searchtext_change; DROP TRIGGER Ven_Contact_searchtext_remove");
    const Result r = On({"add", "Ven_Contact"}, ContactXml("V0300000001", "赵六"));
    EXPECT_EQ(r.status, 0) << r.err;
    // The quick search's index and texts, of the contacts there before and of the one added.
    for (const char* table : {"Ven_ContactSearch", "Ven_ContactSearchText"})
        for (const char* code : {"V0100000002", "V0300000001"})
            EXPECT_EQ(Value("SELECT COUNT(*) FROM Ven_Contact WHERE oid IN (SELECT oid FROM " + std::string(table) +
                            " WHERE cText LIKE N'%" + code + "%')"), "1") << table << " " << code;
    EXPECT_EQ(Value("SELECT COUNT(*) FROM Ven_ContactSearchText"), Value("SELECT COUNT(*) FROM Ven_Contact"));
    EXPECT_EQ(Value("SELECT cNewValue FROM Ven_ContactHistory WHERE cContactCode = N'V0300000001' AND cColumn = N'cContactName'"), "赵六");
    // And the index the list's quick search reads its newest row version from.
    EXPECT_EQ(Value("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name = 'Ven_Contact_tkts'"), "1");
}

TEST_F(CliTest, ModifyRefusesARowChangedSinceTheLoadedVersion) {
    UseFixedAccount();
    const std::string tsQuery =
        "select convert(char, convert(money,tkts), 2) as tkts from Ven_Contact where cContactCode = N'V0100000004'";
    Result r = On({"query", tsQuery});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.out.substr(0, 5), "tkts\n");
    const std::string loaded = r.out.substr(5, r.out.size() - 6);
    ASSERT_FALSE(loaded.empty());
    const std::string file = folder.Sub("modify.xml");
    auto rename = [](const std::string& name) {
        return "<Ven_Contact><cContactCode>V0100000004</cContactCode><cContactName>" + name +
               "</cContactName></Ven_Contact>";
    };
    auto name = [&] { return Value("SELECT cContactName FROM Ven_Contact WHERE cContactCode = 'V0100000004'"); };

    r = Keys({"modify", "Ven_Contact", "--loaded-ts", loaded + "1"}, rename("刘洋一"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Hx.CRM.COMMON.DBMSG.Upt01\n");
    EXPECT_EQ(name(), "刘洋");

    WriteFile(file, rename("刘洋二"));
    r = Keys({"modify", "Ven_Contact", file, "--loaded-ts=" + loaded});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(name(), "刘洋二");
}

TEST_F(CliTest, DeleteRemovesAContactUnlessSomethingRefersToIt) {
    UseFixedAccount();
    const std::string contacts = "SELECT count(*) FROM Ven_Contact";
    // A purchase order names V0100000002.
    Result r = Keys({"delete", std::string(fixed::kOrderedContact)});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("Hx.CRM.COMMON.CheckRef02(Hx.AA.ARCHIVE.COMMON.vendorcontactmanagement,", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(Count(contacts), 6);

    r = Keys({"delete", "V0200000002"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(Count(contacts), 5);

    // By another key column: the visit that names this oid is withdrawn, so it does not count.
    r = Keys({"delete", "{6F1C2A10-0000-4000-8000-000000000104}", "--id-name", "oid"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Count("SELECT count(*) FROM Ven_Contact WHERE cContactCode = 'V0100000004'"), 0);

    r = Keys({"delete", "V0100000001", "--table", "vendor"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Hx.CRM.TkBaseCodeRefer.clscommon.00083\n");
    EXPECT_EQ(Count(contacts), 4);
}

// One command each, answered by its status and its exact texts (err "~x": holds x). Values and
// names typed on the command line never become SQL: of all the commands only the adds of values
// with quotes in them and the rename of such a contact change the data.
TEST_F(CliTest, CommandsAnswerByTheirExitStatusAndTextsAndTakeTypedValuesAsValues) {
    UseFixedAccount();
    const std::string hostile = "';delete from Person--";
    const std::int64_t persons = Count("SELECT count(*) FROM Person");
    struct Case { std::vector<std::string> args; int status; std::string err, input = "", out = ""; };
    const std::string parseError = "Hx.CRM.COMMON.XMLMSGParseErr01\nHx.CRM.COMMON.XMLMSGParseErr02\n";
    const Case cases[] = {
        {{"page", "SELECT x FROM nowhere", "--size=5", "--page=1"}, 1, "Hx.CRM.COMMON.DBMSG.Sel0511\n"},
        {{"add", "vendor"}, 1, "Hx.CRM.TkBaseCodeRefer.clscommon.00083\n", "<vendor><cVenCode>V09</cVenCode></vendor>"},
        {{"add", "Ven_Contact"}, 1, parseError, "<Ven_Contact><cContactCode>V0300000009</Ven_Contact>"},
        {{"modify", "Ven_Contact"}, 1, "Hx.CRM.COMMON.DBMSG.0400\n",
         "<Ven_Contact><cContactCode>V0999999999</cContactCode></Ven_Contact>"},
        {{"find", "Ven_Contact"}, 1, parseError, "<Ven_Contact><cVenCode>V02</Ven_Contact>"},
        {{"find", "NoSuchTable"}, 1, "Hx.CRM.COMMON.DBMSG.Sel0511\n", "<x><a>1</a></x>"},
        // The service says nothing when the XML holds no record of the table; the program does.
        {{"add", "Ven_Contact"}, 1, "~holds no <Ven_Contact> record", "<vendor><cVenCode>V09</cVenCode></vendor>"},
        {{"exec", "UPDATE Ven_Contact SET cMemo = cMemo"}, 0, ""},
        {{"exec", "UPDATE Ven_Contact SET nosuchcolumn = 1"}, 1, "~nosuchcolumn"},
        {{"usedb", "tksystem"}, 0, "", "", "True\n"},
        {{"usedb", ""}, 1, "Hx.CRM.COMMON.DBMSG.NoDB\n", "", "False\n"},
        {{"refed", "Ven_Contact", "V0100000002"}, 1, "采购订单\n"},
        {{"refed", "Ven_Contact", "V0200000002"}, 0, ""},
        {{"refed", "NoRelations", "x"}, 0, ""},
        {{"used", "Ven_Contact", "cContactCode", "V0100000001"}, 0, "Hx.CRM.COMMON.DBMSG.Ref01\n"},
        {{"used", "Ven_Contact", "nosuchfield", "x"}, 1, "Hx.CRM.COMMON.DBMSG.0008\n"},
        // Typed values and names.
        {{"delete", "x' or '1'='1"}, 1, "Hx.CRM.COMMON.DBMSG.Sel0512\n"},
        {{"delete", "V0200000002", "--id-name", "1=1 or cContactCode"}, 1,
         "Hx.CRM.COMMON.DBMSG.BadName(1=1 or cContactCode)\n"},
        {{"add", "Ven_Contact"}, 0, "", ContactXml(hostile, "O'B")},
        {{"add", "Crm_BaseCode"}, 0, "", "<Crm_BaseCode><cType>Duty</cType><cName>Buyer's aide</cName></Crm_BaseCode>"},
        {{"modify", "Ven_Contact"}, 0, "",
         "<Ven_Contact><cContactCode>" + hostile + "</cContactCode><cContactName>O'Brien</cContactName></Ven_Contact>"},
        {{"find", "Ven_Contact;delete from Person"}, 1, "Hx.CRM.COMMON.DBMSG.BadName(Ven_Contact;delete from Person)\n", "<c/>"},
        {{"refed", "Ven_Contact", "O'B"}, 0, ""},
        {{"used", "Ven_Contact", "cContactName", "O'Brien"}, 0, "Hx.CRM.COMMON.DBMSG.Ref01\n"},
        {{"used", "Ven_Contact where 1=1 or cVenCode", "cVenCode", "x"}, 1,
         "Hx.CRM.COMMON.DBMSG.BadName(Ven_Contact where 1=1 or cVenCode)\n"},
        {{"usedb", "tksystem; delete from Person"}, 1, "Hx.CRM.COMMON.DBMSG.BadName(tksystem; delete from Person)\n", "",
         "False\n"},
    };
    for (const auto& c : cases) {
        const Result r = Keys(c.args, c.input);
        std::string shown;
        for (const auto& a : c.args) shown += a + " ";
        EXPECT_EQ(r.status, c.status) << shown << "\n" << r.err;
        if (c.err.rfind('~', 0) == 0) {
            EXPECT_NE(r.err.find(c.err.substr(1)), std::string::npos) << shown << "\n" << r.err;
        } else {
            EXPECT_EQ(r.err, c.err) << shown;
        }
        EXPECT_EQ(r.out, c.out) << shown;
    }
    // find prints SELECT *'s header and the one row that meets the condition.
    Result r = Keys({"find", "Ven_Contact"}, "<c><cContactName>O'Brien</cContactName></c>");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("oid\t", 0), 0u) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2) << r.out;
    EXPECT_NE(r.out.find("\t" + hostile + "\t"), std::string::npos) << r.out;
    EXPECT_EQ(Count("SELECT count(*) FROM Ven_Contact"), 7);
    EXPECT_EQ(Count("SELECT count(*) FROM vendor WHERE cVenCode = 'V09'"), 0);
    EXPECT_EQ(Count("SELECT count(*) FROM Crm_BaseCode WHERE cName = 'Buyer''s aide'"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM Person"), persons);
    EXPECT_EQ(Count("SELECT count(*) FROM vendor WHERE cSovrelCode IS NOT NULL"), 2);

    // Contacts and a purchase order refer to V01: the first found only, or both with --all.
    const std::string contacts = "供应商联系人", orders = "采购订单";
    r = On({"refed", "vendor", "V01"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err == contacts + "\n" || r.err == orders + "\n") << r.err;
    r = On({"refed", "vendor", "V01", "--all"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err == contacts + "、" + orders + "\n" || r.err == orders + "、" + contacts + "\n") << r.err;
}

TEST_F(CliTest, UtlCaseLowersTagsAndEscapesAmpersandsWithoutAnAccount) {
    const std::string xml = "<Ven_Contact Kind=\"A\">\n<cContactName>Zhang & Co &amp; Li</cContactName></Ven_Contact>\n";
    Result r = Run({"--data", folder.Sub("none"), "utlcase"}, xml);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "<ven_contact kind=\"a\">\n<ccontactname>Zhang &amp; Co &amp;amp; Li</ccontactname></ven_contact>\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(CliTest, APasswordComesFromTheEnvironmentAndTheUserMayReplaceIt) {
    UseFixedAccount();
    const std::string query = "SELECT count(*) AS n FROM Ven_Contact";
    password.reset();
    Result r = Keys({"query", query});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no password for the user 'demo': set SOVREL_PASSWORD"), std::string::npos) << r.err;

    // A user replaces the demo password; only the new one opens then.
    password = std::string(kDemoPassword);
    newPassword = "七个字符的密码";
    r = Keys({"--user", "demo_en", "password"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("at least 8 characters; nothing was changed"), std::string::npos) << r.err;
    newPassword = "O'Brien's 密码";
    r = Keys({"--user", "demo_en", "password"});
    EXPECT_EQ(r.status, 0) << r.err;
    // A wrong password as the program tells it (the hold after five: the parallel test below).
    r = Keys({"--user", "demo_en", "duplicates"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "sovrel: cannot log in: Hx.AA.LOGIN.WrongPassword(demo_en,4)\n");
    EXPECT_EQ(r.out, "");
    password = newPassword;
    EXPECT_EQ(Keys({"--user", "demo_en", "duplicates"}).out,
              "group\tcContactCode\tcVenCode\tcContactName\tcMobilePhone\tcEmail\n");
}

// Mistakes, refused logins and missing accounts: status 2, a message, no password shown.
TEST_F(CliTest, MistakesAndRefusedLoginsEndWithStatus2) {
    UseFixedAccount();
    const std::string empty = folder.Sub("empty.xml");
    WriteFile(empty, " \n");
    const std::string query = "SELECT count(*) FROM Ven_Contact";
    struct Case { std::vector<std::string> args; std::string message; };
    const Case cases[] = {
        {{"--data", dir, "--user", "nobody", "query", query}, Text("zh-CN", "Hx.AA.LOGIN.UnknownUser", {"nobody"})},
        {{"--connection", SqliteConnectionText(dir), "--user", "nobody", "--language", "en-US", "exec",
          "DELETE FROM Ven_Contact"},
         Text("en-US", "Hx.AA.LOGIN.UnknownUser", {"nobody"})},
        {{"--data", folder.Sub("missing"), "query", query}, "cannot connect"},
        {{"--connection", "Provider=PostgreSQL;Data Source=" + folder.Sub("nosocket") + ";Password=Sekr3tPw", "query",
          query},
         "Password=****"},
        {{"--connection", "Provider=SQLite;Pwd=Sekr3tPw;Data Source=" + folder.Sub("missing"), "query", query},
         "Pwd=****"},
        {{}, "no command"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"--data"}, "--data needs a value"},
        {{"--verbose", "query", "x"}, "unknown option --verbose"},
        {{"--data", dir, "--connection", "Provider=SQLite", "query", "x"}, "either --data or --connection"},
        {{"--language", "fr-FR", "query", "x"}, "--language takes zh-CN, en-US or keys"},
        {{"--user", "", "query", "x"}, "--user needs a user id"},
        {{"--data", dir, "--password", kDemoPassword.data(), "query", "x"}, "--password is not taken"},
        {{"--data", dir, "--password=" + std::string(kDemoPassword), "query", "x"}, "--password is not taken"},
        {{"--data", dir, "query", "SELECT 1", "SELECT 2"}, "one argument"},
        {{"--data", dir, "exec"}, "exec: no SQL statement"},
        {{"--data", dir, "page", "SELECT 1", "--page", "1"}, "--size N is missing"},
        {{"--data", dir, "page", "SELECT 1", "--size", "0", "--page", "1"}, "--size takes a whole number from 1"},
        {{"--data", dir, "page", "SELECT 1", "--size", "5", "--page", "-1"}, "--page takes a whole number from 0"},
        {{"--data", dir, "add"}, "add: no TABLE"},
        {{"--data", dir, "add", "Ven_Contact"}, "no XML on standard input"},
        {{"--data", dir, "add", "Ven_Contact", folder.Sub("nofile.xml")}, "cannot read the file"},
        {{"--data", dir, "add", "Ven_Contact", empty}, "is empty"},
        {{"--data", dir, "add", "Ven_Contact", folder.path()}, "is a folder"},
        {{"--data", dir, "modify", "Ven_Contact", "--loaded-ts"}, "--loaded-ts needs a value"},
        {{"--data", dir, "delete", "V0100000001", "--force"}, "delete: unknown option --force"},
        {{"--data", dir, "used", "Ven_Contact", "cContactCode"}, "used: give the TABLE, the FIELD and the VALUE"},
        {{"--data", dir, "password", "demo_en", "n3w-secret"}, "password: takes at most a USER"},
        {{"--data", dir, "duplicates", "--vendor", "V01", "stray"}, "duplicates: unknown argument stray"},
        {{"init", folder.Sub("x"), "--contacts", "many"}, "--contacts takes a whole number"},
        {{"init", folder.Sub("x"), folder.Sub("y")}, "more than one folder"},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const auto& a : c.args) shown += a + " ";
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, 2) << shown << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << shown << "\n" << r.err;
        EXPECT_EQ(r.err.find("Sekr3tPw"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << shown;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.Sub("x"))) << "a refused init left a folder";
    EXPECT_EQ(Count("SELECT count(*) FROM Ven_Contact"), 6);
    // Every login above, and every one that worked, logged out again.
    Result r = On({"query", query});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Scalar(*Open(dir, kSystemDatabase), "SELECT count(*) FROM UA_Login").ToInt(), 0);

    // The users are there, the account database is not.
    std::filesystem::remove(dir + "/" + std::string(kDemoAccountDatabase) + ".db");
    r = On({"query", query});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("cannot connect to the account database"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(std::string(kDemoAccountDatabase)), std::string::npos) << r.err;
}

// ---- Rights on every door, on each backend ------------------------------------------------

// The fixed account on a backend, used through the real program by its users: demo (every right
// and administration), demo_en (every contact right, no administration), limited (browse and
// export, vendors V01 and V03). On a server they connect as the clerk role, as the portal does.
class CliRights : public CliTest, public ::testing::WithParamInterface<sovrel::test::Backend> {
protected:
    void SetUp() override {
        SOVREL_SKIP_UNLESS_AVAILABLE(place);
        account = sovrel::test::CreateFixedAccount(place);
        if (server) {
            account = sovrel::test::RoleConnectionText(place, kClerkRole, std::string(kDemoAccountDatabase));
            adminAccount = sovrel::test::RoleConnectionText(place, kAdministratorRole, std::string(kDemoAccountDatabase));
        } else {
            adminAccount = account;
        }
    }
    Result As(const std::string& user, std::vector<std::string> args, const std::string& input = "",
              const std::string& connection = "") {
        args.insert(args.begin(), {"--connection", connection.empty() ? account : connection, "--language", "keys",
                                   "--user", user});
        return Run(args, input);
    }
    platform::db::Value In(std::string_view database, const std::string& sql) {
        return Scalar(*Connect(place.ConnectionText(std::string(database))), sql);
    }
    // The system database as the program's users reach it (the clerk role on a server).
    std::string System() {
        return server ? sovrel::test::RoleConnectionText(place, kClerkRole, std::string(kSystemDatabase))
                      : place.ConnectionText(std::string(kSystemDatabase));
    }
    std::string OwnerSystem() { return place.ConnectionText(std::string(kSystemDatabase)); }

    sovrel::test::Place place{GetParam()};
    const bool server = GetParam() == sovrel::test::Backend::Postgres;
    std::string account, adminAccount;
};

std::string NoRight(const std::string& user, const std::string& function, std::string_view code) {
    return "sovrel: Hx.AA.PORTAL.NoFuncRight(" + user + "," + function + "," + std::string(code) + ")\n";
}

// What the reporter did as limited and demo_en: each door refuses with the host's no-right message
// and status 1, and nothing changes.
TEST_P(CliRights, EveryCommandChecksTheRightOfItsWork) {
    const std::string limited = "受限用户", english = "Demo User", admin = "系统管理";
    const std::string csv = folder.Sub("in.csv");
    WriteFile(csv, "cVenCode,cContactName\r\nV01,Mallory\r\n");
    newPassword = "limited-owns-demo";
    const std::string steal = "UPDATE UA_User SET cPasswordHash = (SELECT cPasswordHash FROM UA_User WHERE cUser_Id = "
                              "N'limited') WHERE cUser_Id = N'demo'";
    struct Case { std::string user; std::vector<std::string> args; std::string function, code, input = "", connection = ""; };
    const std::string sys = System();
    const std::string code(kAdministrationFunction);
    const Case cases[] = {
        {"limited", {"add", "Ven_Contact"}, "供应商联系人-增加", "AS020305", ContactXml("V0100000009", "Mallory")},
        {"limited", {"import-contacts", csv}, "供应商联系人-增加", "AS020305"},
        {"limited", {"modify", "Ven_Contact"}, "供应商联系人-修改", "AS020301",
         "<Ven_Contact><cContactCode>V0100000004</cContactCode><cContactName>Mallory</cContactName></Ven_Contact>"},
        {"limited", {"delete", "V0100000004"}, "供应商联系人-删除", "AS020306"},
        {"limited", {"query", "SELECT count(*) FROM Ven_Contact"}, admin, code},
        {"limited", {"exec", "DELETE FROM Ven_Contact"}, admin, code},
        {"limited", {"page", "SELECT cContactCode FROM Ven_Contact", "--size", "5", "--page", "1"}, admin, code},
        {"limited", {"export", "SELECT * FROM Ven_Contact", folder.Sub("all.csv")}, admin, code},
        {"limited", {"usedb", "tksystem"}, admin, code},
        {"limited", {"config", "mail.command", "sh -c 'cat > /tmp/stolen' %a"}, admin, code},
        {"limited", {"config", "smtp.server", "mail.attacker.test"}, admin, code},
        {"limited", {"password", "demo"}, admin, code},
        {"limited", {"query", "SELECT cPasswordHash FROM UA_User"}, admin, code, "", sys},
        {"limited", {"exec", "INSERT INTO UA_FuncRight VALUES (N'limited', N'AS020306')"}, admin, code, "", sys},
        {"limited", {"exec", steal}, admin, code, "", sys},
        {"limited", {"find", "UA_User"}, admin, code, "<UA_User><cUser_Id>demo</cUser_Id></UA_User>", sys},
        {"demo_en", {"query", "SELECT cPasswordHash FROM UA_User"}, admin, code, "", sys},
        {"demo_en", {"exec", "UPDATE Ven_Contact SET cMemo = N'x'"}, admin, code},
        {"demo_en", {"config", "smtp.sender", "spy@attacker.test"}, admin, code},
        {"demo_en", {"password", "demo"}, admin, code},
    };
    std::vector<Case> all(std::begin(cases), std::end(cases));
    if (server) {
        // The administrator's own work through the clerk's connection: the server refuses it.
        all.push_back({"demo", {"config", "smtp.server", "mail.attacker.test"}, admin, code});
        all.push_back({"demo", {"password", "limited"}, admin, code});
    }
    const std::string demoHash = In(kSystemDatabase, "SELECT cPasswordHash FROM UA_User WHERE cUser_Id = N'demo'").ToText();
    for (const auto& c : all) {
        const Result r = As(c.user, c.args, c.input, c.connection);
        SCOPED_TRACE(c.user + " " + c.args[0] + (c.connection.empty() ? "" : " on the system database"));
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_EQ(r.err, NoRight(c.user == "limited" ? limited : c.user == "demo" ? "演示用户" : english, c.function, c.code));
        EXPECT_EQ(r.out, "");
    }
    if (server) {
        // The administrator's statement through the clerk's connection: the server's refusal reads
        // as a missing right, not as the server's own words.
        const Result r = As("demo", {"exec", "INSERT INTO UA_FuncRight VALUES (N'limited', N'AS020306')"}, "", sys);
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(r.err.rfind("Hx.CRM.COMMON.DBMSG.NoRight(permission denied", 0), 0u) << r.err;
    }
    EXPECT_EQ(In(kDemoAccountDatabase, "SELECT count(*) FROM Ven_Contact WHERE cContactName <> N'Mallory'").ToInt(), 6);
    EXPECT_EQ(In(kDemoAccountDatabase, "SELECT count(*) FROM Ven_Contact WHERE cMemo = N'x'").ToInt(), 0);
    EXPECT_EQ(In(kSystemDatabase, "SELECT count(*) FROM UA_Setting").ToInt(), 0);
    EXPECT_EQ(In(kSystemDatabase, "SELECT count(*) FROM UA_FuncRight WHERE cUser_Id = N'limited'").ToInt(), 2);
    EXPECT_EQ(In(kSystemDatabase, "SELECT cPasswordHash FROM UA_User WHERE cUser_Id = N'demo'").ToText(), demoHash);
    EXPECT_FALSE(std::filesystem::exists(folder.Sub("all.csv")));

    // The rights themselves, not a blanket refusal: demo_en adds, demo reads the system database.
    EXPECT_EQ(As("demo_en", {"add", "Ven_Contact"}, ContactXml("V0300000001", "O'Brien")).status, 0);
    const Result r = As("demo", {"query", "SELECT count(*) AS n FROM UA_FuncRight WHERE cFuncId = N'AA000001'"}, "", sys);
    EXPECT_EQ(r.out, "n\n1\n") << r.err;
}

// limited sees the contacts of V01 and V03 only (V03 has none), wherever the program reads them.
TEST_P(CliRights, ContactsAreReadWithinTheUsersVendors) {
    ASSERT_EQ(As("demo", {"exec", "UPDATE Ven_Contact SET cMobilePhone = N'139-0000 0000' WHERE cContactCode IN "
                                  "(N'V0100000001', N'V0200000001', N'V0100000003')"}).status, 0);
    struct Case { std::string user; long contacts, duplicates; };
    for (const Case& c : {Case{"demo", 6, 3}, Case{"limited", 4, 2}}) {
        SCOPED_TRACE(c.user);
        Result r = As(c.user, {"find", "Ven_Contact"}, "<Ven_Contact><cContactName> </cContactName></Ven_Contact>");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), c.contacts + 1) << r.out;
        EXPECT_EQ(c.user == "demo", r.out.find("\tV02\t") != std::string::npos) << r.out;

        const std::string file = folder.Sub(c.user + ".csv");
        r = As(c.user, {"export-contacts", file});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "Hx.CRM.TkContact.Exchange.ExportedCount(" + std::to_string(c.contacts) + "," + file + ")\n");
        const std::string text = FileText(file);
        EXPECT_EQ(c.user == "demo", text.find("Anna Schmidt") != std::string::npos);

        r = As(c.user, {"duplicates"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), c.duplicates + 1) << r.out;
        EXPECT_EQ(c.user == "demo", r.out.find("V0200000001") != std::string::npos) << r.out;
    }
}

// Twelve processes guess at once: no more than five of them reach the password check, so no more
// than four hear how many tries are left, and the user is held after them.
TEST_P(CliRights, ParallelWrongPasswordsCannotPassTheLimit) {
    // A real hash: its check takes as long as a user's does, which is what guessers race against.
    const auto c = Connect(OwnerSystem());
    if (server)
        c->ExecuteScript("UPDATE ua_user SET cpasswordhash = crypt('" + std::string(kDemoPassword) +
                         "', gen_salt('bf', 10)) WHERE cuser_id = 'demo_en'");
    else
        c->Execute("UPDATE UA_User SET cPasswordHash = N'" +
                   platform::HashPassword(kDemoPassword, platform::PasswordCost::Interactive) + "' WHERE cUser_Id = N'demo_en'");
    constexpr int kTries = 12;
    std::string script;
    for (int i = 0; i < kTries; ++i)
        script += "env SOVREL_PASSWORD=guess" + std::to_string(i) + " " + ShellQuote(SOVREL_EXE) + " --connection " +
                  ShellQuote(account) + " --language keys --user demo_en duplicates </dev/null >/dev/null 2>" +
                  ShellQuote(folder.Sub("err" + std::to_string(i))) + " &\n";
    script += "wait\n";
    ASSERT_EQ(std::system(("setsid -w sh -c " + ShellQuote(script)).c_str()), 0);
    int told = 0, held = 0;
    std::set<std::string> left;
    for (int i = 0; i < kTries; ++i) {
        const std::string err = FileText(folder.Sub("err" + std::to_string(i)));
        if (err.starts_with("sovrel: cannot log in: Hx.AA.LOGIN.WrongPassword(demo_en,")) {
            ++told;
            EXPECT_TRUE(left.insert(err).second) << "told twice: " << err;
        } else {
            EXPECT_TRUE(err.starts_with("sovrel: cannot log in: Hx.AA.LOGIN.Held(demo_en,5,")) << err;
            ++held;
        }
    }
    std::printf("%s: %d of %d parallel wrong tries were told the tries left, %d were held\n",
                sovrel::test::BackendTestName({GetParam(), 0}).c_str(), told, kTries, held);
    EXPECT_LE(told, 4);
    EXPECT_EQ(told + held, kTries);
    password = std::string(kDemoPassword);
    EXPECT_EQ(As("demo_en", {"duplicates"}).status, 2) << "the right password is refused while the user is held";
}

// A secret is typed or piped, never an argument: while the program waits for it no process's
// command line holds it, and the database holds it sealed.
TEST_P(CliRights, SecretsNeverStandInTheProcessListNorInTheDatabase) {
    const std::string secret = "Pa55-w0rd-" + std::to_string(::getpid());
    const std::string key = folder.Sub("config") + "/sovrel/secret.key";
    auto stored = [&] {
        auto rs = Connect(OwnerSystem())->OpenRowset("SELECT cValue FROM UA_Setting WHERE cKey = N'smtp.password'");
        return rs->Eof() ? std::string("(none)") : rs->Get(0).ToText();
    };
    Result r = As("demo", {"config", "smtp.password", secret}, "", adminAccount);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Hx.AA.CONFIG.SecretArgument(smtp.password)\n");
    EXPECT_EQ(stored(), "(none)");

    int in[2];
    ASSERT_EQ(::pipe(in), 0);
    const std::string xdg = "XDG_CONFIG_HOME=" + folder.Sub("config"), pw = "SOVREL_PASSWORD=" + std::string(kDemoPassword);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(in[0], 0);
        ::close(in[1]);
        const int out = ::open(folder.Sub("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::setsid();  // no terminal: the value comes from standard input
        ::putenv(const_cast<char*>(xdg.c_str()));
        ::putenv(const_cast<char*>(pw.c_str()));
        ::execl(SOVREL_EXE, "sovrel", "--connection", adminAccount.c_str(), "--language", "keys", "config", "smtp.password",
                "-", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(in[0]);
    // The program has logged in, and so waits on its standard input, once its login is recorded.
    for (int i = 0; i < 3000 && In(kSystemDatabase, "SELECT count(*) FROM UA_Login").ToInt() == 0; ++i) ::usleep(10'000);
    int scanned = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string cmdline = FileText(entry.path().string() + "/cmdline");
        if (cmdline.empty()) continue;
        ++scanned;
        EXPECT_EQ(cmdline.find(secret), std::string::npos) << entry.path();
    }
    EXPECT_GT(scanned, 1);
    std::signal(SIGPIPE, SIG_IGN);  // a program that ended early fails below, not here
    EXPECT_EQ(::write(in[1], (secret + "\n").data(), secret.size() + 1), static_cast<ssize_t>(secret.size() + 1));
    ::close(in[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0) << FileText(folder.Sub("out"));
    EXPECT_EQ(FileText(folder.Sub("out")), "smtp.password = ****\n");

    const std::string sealed = stored();
    EXPECT_TRUE(sealed.starts_with("secretbox:")) << sealed;
    EXPECT_EQ(sealed.find(secret), std::string::npos);
    EXPECT_EQ(std::filesystem::status(key).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ::setenv("SOVREL_KEY_FILE", key.c_str(), 1);
    EXPECT_EQ(platform::OpenSecret(sealed), secret);
    ::unsetenv("SOVREL_KEY_FILE");
    r = As("demo", {"config", "smtp.password"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find(secret), std::string::npos);
    EXPECT_TRUE(r.out.starts_with("smtp.password  ****")) << r.out;

    // A line break would be a second SMTP command, or a second line of a mail program's arguments.
    for (const auto& [name, value] : {std::pair<std::string, std::string>{"smtp.sender", "a@b.cn\r\nRCPT TO:<spy@x.cn>"},
                                      {"mail.command", "mailer\n%a"}, {"sms.signature", "ACME\x1b[2J"}}) {
        r = As("demo", {"config", name, value}, "", adminAccount);
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_EQ(r.err, "sovrel: config: Hx.AA.CONFIG.ControlCharacter(" + name + ")\n");
    }
    EXPECT_EQ(In(kSystemDatabase, "SELECT count(*) FROM UA_Setting").ToInt(), 1);

    // A key file that others may read is no key.
    std::filesystem::permissions(key, std::filesystem::perms::group_read, std::filesystem::perm_options::add);
    r = As("demo", {"config", "sms.key", "-"}, "K3y", adminAccount);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("chmod 600"), std::string::npos) << r.err;
}

// An address with a line break (quoted-printable =0D=0A on import) never enters the account.
TEST_P(CliRights, ImportRefusesAContactWithABadAddress) {
    const std::string csv = folder.Sub("in.csv");
    WriteFile(csv, "cVenCode,cContactName,cEmail\r\nV03,Good,good@v03.cn\r\n"
                   "V03,Crlf,\"x@v03.cn\r\nRCPT TO:<spy@else.cn>\"\r\nV03,NoAt,v03.cn\r\n");
    const Result r = As("demo", {"import-contacts", csv});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.out.find("\tHx.CRM.COMMON.BadEmail(x@v03.cn\\nRCPT TO:<spy@else.cn>)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\tHx.CRM.COMMON.BadEmail(v03.cn)\n"), std::string::npos) << r.out;
    EXPECT_EQ(In(kDemoAccountDatabase, "SELECT count(*) FROM Ven_Contact WHERE cVenCode = N'V03'").ToInt(), 1);
}

// The history as each user may read it (limited: V01 and V03 only), and a restore that only an
// administrator may make.
TEST_P(CliRights, HistoryIsReadWithinTheUsersVendorsAndOnlyAnAdministratorRestores) {
    const auto phone = [](const std::string& code, const std::string& number) {
        return "<Ven_Contact><cContactCode>" + code + "</cContactCode><cMobilePhone>" + number +
               "</cMobilePhone></Ven_Contact>";
    };
    const std::string was =
        In(kDemoAccountDatabase, "SELECT cMobilePhone FROM Ven_Contact WHERE cContactCode = N'V0100000004'").ToText();
    ASSERT_EQ(As("demo_en", {"modify", "Ven_Contact"}, phone("V0100000004", "139\t1")).status, 0);
    ASSERT_EQ(As("demo", {"modify", "Ven_Contact"}, phone("V0200000002", "138")).status, 0);
    const std::string header = "ID\tcContactCode\tcKind\tcColumn\tcOldValue\tcNewValue\tcUserId\tcUserName\tdChanged\n";
    const auto lines = [](const Result& r) { return std::count(r.out.begin(), r.out.end(), '\n'); };

    Result r = As("limited", {"history", "V0100000004"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind(header, 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\tV0100000004\tmodify\tcMobilePhone\t" + was + "\t139\\t1\tdemo_en\tDemo User\t"), std::string::npos) << r.out;
    EXPECT_EQ(lines(r), 2) << r.out;
    EXPECT_EQ(As("limited", {"history", "v0100000004"}).out, r.out);  // typed in another case
    EXPECT_EQ(As("limited", {"history", "V0200000002"}).out, header);
    EXPECT_EQ(lines(As("demo", {"history", "V0200000002"})), 2);
    EXPECT_EQ(lines(As("demo", {"history", "--user", "demo_en", "--since", "2000-01-01"})), 2);
    EXPECT_EQ(As("demo", {"history", "--user", "demo_en", "--since", "2999-01-01"}).out, header);

    ASSERT_EQ(As("demo", {"delete", "V0200000002"}).status, 0);
    r = As("demo", {"history", "--deleted"});
    EXPECT_NE(r.out.find("V0200000002\tcMobilePhone\t138\tdemo\t"), std::string::npos) << r.out;
    EXPECT_EQ(As("limited", {"history", "--deleted"}).out, "cContactCode\tcColumn\tcOldValue\tcUserId\tcUserName\tdChanged\n");
    r = As("demo", {"history", "v0200000002"});  // a deleted contact's, typed in another case
    EXPECT_GT(lines(r), 2) << r.out;
    EXPECT_EQ(r.out, As("demo", {"history", "V0200000002"}).out);

    r = As("demo_en", {"restore", "V0200000002"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, NoRight("Demo User", "系统管理", kAdministrationFunction));
    r = As("demo", {"restore", "v0200000002"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(In(kDemoAccountDatabase, "SELECT cMobilePhone FROM Ven_Contact WHERE cContactCode = N'V0200000002'").ToText(), "138");
    r = As("demo", {"restore", "V0200000002"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Hx.CRM.TkContact.History.NotDeleted(V0200000002)\n");
}

// ---- The server's own boundary: what a clerk's connection may do ----------------------------

// psql as an attacker holding the clerk role's connection uses it, with the token of a login
// (or a forged one) in sovrel.token.
class RolesOnServer : public CliTest {
protected:
    void SetUp() override { SOVREL_SKIP_UNLESS_AVAILABLE(place); }
    struct Psql { int status; std::string out; };
    Psql AsClerk(std::string_view database, const std::string& sql, const std::string& token = "") {
        const auto info = platform::db::ConnectionInfo::Parse(place.Server());
        const std::string command = "env PGOPTIONS=" + ShellQuote(token.empty() ? "" : "-c sovrel.token=" + token) +
                                    " psql -X -A -t -q -v ON_ERROR_STOP=1 -h " + ShellQuote(info.dataSource) + " -p " +
                                    info.port + " -U " + std::string(kClerkRole) + " -d " +
                                    platform::text::LCase(database) + " -c " + ShellQuote(sql) + " >" +
                                    ShellQuote(folder.Sub("psql")) + " 2>&1";
        const int rc = std::system(command.c_str());
        return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, FileText(folder.Sub("psql"))};
    }
    // The token the server's login check gives a user, asked as the clerk may ask it.
    std::string TokenOf(const std::string& user) {
        const Psql p = AsClerk(kSystemDatabase, "SELECT token FROM sv_login('" + user + "', '" + std::string(kDemoPassword) +
                                                    "', 'test', 1)");
        EXPECT_EQ(p.status, 0) << p.out;
        return platform::text::Trim(p.out.substr(0, p.out.find('\n')));
    }

    sovrel::test::Place place{sovrel::test::Backend::Postgres};
};

TEST_F(RolesOnServer, AClerkConnectionReadsNoHashNorSecretAndGrantsItselfNothing) {
    sovrel::test::CreateFixedAccount(place);
    Connect(place.ConnectionText(std::string(kSystemDatabase)))
        ->Execute("INSERT INTO UA_Setting VALUES (N'*', N'Sovrel', N'smtp.password', N'secretbox:sealed'), "
                  "(N'*', N'Sovrel', N'smtp.server', N'mail.example.cn')");
    const std::string limited = TokenOf("limited");
    ASSERT_NE(limited.find('.'), std::string::npos) << limited;
    const std::string denied = "permission denied";
    struct Case { std::string sql, token, expect; };
    const Case refused[] = {
        {"SELECT cpasswordhash FROM ua_user", limited, denied},
        {"SELECT * FROM sv_login_key", limited, denied},
        {"INSERT INTO ua_funcright VALUES ('limited', 'AS020306')", limited, denied},
        {"UPDATE ua_rowauth SET cauthstring = '' WHERE cuser_id = 'limited'", limited, denied},
        {"UPDATE ua_user SET cpasswordhash = '' WHERE cuser_id = 'demo'", limited, denied},
        {"SELECT sv_set_password('demo', 'owned-by-a-clerk')", limited, denied},
        {"SELECT sv_secret_setting('smtp.password')", "", "no valid login token"},
        {"UPDATE ua_setting SET cvalue = 'mail.attacker.test' WHERE ckey = 'smtp.server'", limited, denied},
        {"INSERT INTO ua_setting VALUES ('demo', 'Ven_Contact', 'PageSize', '1')", limited, denied},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.sql);
        const Psql p = AsClerk(kSystemDatabase, c.sql, c.token);
        EXPECT_NE(p.status, 0);
        EXPECT_NE(p.out.find(c.expect), std::string::npos) << p.out;
    }
    // The secret row is not there for the clerk's own SQL, the other settings are.
    EXPECT_EQ(AsClerk(kSystemDatabase, "SELECT string_agg(ckey, ',') FROM ua_setting", limited).out, "smtp.server\n");

    // Contacts: the signed user's vendors (limited: V01 and V03), none for a token changed or missing.
    // limited's token with the last character of its vendor list cut off, its signature kept.
    const std::string forged = limited.substr(0, limited.find('.') - 2) + limited.substr(limited.find('.'));
    const std::string demo = TokenOf("demo");
    for (const auto& [token, contacts] : std::vector<std::pair<std::string, std::string>>{
             {limited, "4"}, {demo, "6"}, {"", "0"}, {forged, "0"}, {"00." + std::string(64, '0'), "0"}}) {
        SCOPED_TRACE(token);
        // The quick search's view shows the same contacts' texts.
        for (const char* count : {"SELECT count(*) FROM ven_contact", "SELECT count(*) FROM ven_contactsearch"})
            EXPECT_EQ(AsClerk(kDemoAccountDatabase, count, token).out, contacts + "\n") << count;
    }
    const Psql p = AsClerk(kDemoAccountDatabase,
                           "INSERT INTO ven_contact (ccontactcode, cvencode, ccontactname) VALUES ('V0200000099', 'V02', 'M')",
                           limited);
    EXPECT_NE(p.out.find("row-level security"), std::string::npos) << p.out;

    // The history is added to, within the user's vendors, and never rewritten.
    const std::string add = "INSERT INTO ven_contacthistory (ccontactcode, cvencode, ccolumn, dchanged, ckind) VALUES ";
    EXPECT_EQ(AsClerk(kDemoAccountDatabase, add + "('V0100000001', 'V01', 'cmemo', now(), 'modify')", limited).status, 0);
    EXPECT_NE(AsClerk(kDemoAccountDatabase, add + "('V0200000001', 'V02', 'cmemo', now(), 'modify')", limited)
                  .out.find("row-level security"), std::string::npos);
    for (const char* sql : {"UPDATE ven_contacthistory SET cnewvalue = 'x'", "DELETE FROM ven_contacthistory"}) {
        const Psql q = AsClerk(kDemoAccountDatabase, sql, demo);
        EXPECT_NE(q.out.find(denied), std::string::npos) << sql << "\n" << q.out;
    }
}

TEST_F(RolesOnServer, AnExistingAccountGetsItsRolesFromSovrelRoles) {
    // An account made before the server checked passwords: hashes only the program could check.
    CreateFixedAccountOn(place.Server(), platform::PasswordCost::TestOnly);
    // ... and before the contacts' history.
    const auto owner = Connect(place.ConnectionText(std::string(kDemoAccountDatabase)));
    owner->ExecuteScript("DROP TABLE Ven_ContactHistory; DROP INDEX Ven_Contact_tkts; DROP VIEW ven_contactsearch; "
                         "DROP INDEX ven_contact_search");
    const std::string clerk = sovrel::test::RoleConnectionText(place, kClerkRole, std::string(kDemoAccountDatabase));
    Result r = Run({"--connection", place.ConnectionText(std::string(kDemoAccountDatabase)), "roles"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("roles given to tksystem, TKDATA_001_2024\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("user demo needs a new password"), std::string::npos) << r.out;
    for (const char* index : {"ven_contact_tkts", "ven_contact_search"})
        EXPECT_EQ(owner->OpenNativeRowset("SELECT COUNT(*) FROM pg_indexes WHERE indexname = '" + std::string(index) + "'", {})
                      ->Get(0).ToInt(), 1) << index;
    r = Run({"--connection", clerk, "--language", "keys", "duplicates"});
    EXPECT_EQ(r.err, "sovrel: cannot log in: Hx.AA.LOGIN.PasswordNotSet(demo)\n");

    newPassword = "the-servers-own";
    EXPECT_EQ(Run({"--connection", place.Server(), "roles", "--password", "demo"}).status, 0);
    password = newPassword;
    r = Run({"--connection", clerk, "--language", "keys", "find", "Ven_Contact"}, "<Ven_Contact><cContactName> </cContactName></Ven_Contact>");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 7) << r.out;
    r = Run({"--connection", clerk, "add", "Ven_Contact"}, ContactXml("V0300000009", "Neu"));
    EXPECT_EQ(r.status, 0) << r.err;
    // A second run keeps the roles' passwords and the signing key.
    r = Run({"--connection", place.Server(), "roles"});
    EXPECT_NE(r.out.find("User ID=sovrel_clerk;Password=(unchanged)"), std::string::npos) << r.out;
    EXPECT_EQ(Run({"--connection", clerk, "duplicates"}).status, 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, CliRights, ::testing::ValuesIn(sovrel::test::kBackends),
                         sovrel::test::BackendTestName);

}  // namespace
}  // namespace schema::test
