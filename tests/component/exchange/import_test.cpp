// The import and export through the data service on the fixed account: every field there and
// back, one report line for each row, and --atomic and --dry-run leaving the account untouched.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

#include "exchange/contact_exchange.h"
#include "exchange/csv.h"
#include "exchange/vcard.h"
#include "file_text.h"
#include "service_fixture.h"

namespace sovrel::test {
namespace {

namespace ex = sovrel::exchange;
namespace fs = std::filesystem;

// A contact of V03 with every field the account keeps (items 3 and 7 to 10 are not in use).
ex::Record Contact(const std::string& code, const std::string& oid) {
    ex::Record r;
    const std::pair<const char*, const char*> values[] = {
        {"cVenCode", "V03"}, {"cContactName", "张伟"}, {"cAppellation", "张总, 老张"},
        {"cSuperiorID", "V0100000001"}, {"cNative", "浙江;杭州"}, {"bcDutyID", "总经理"}, {"bcTasteID", "阅读"},
        {"cPrincipal", "0002"}, {"cCreator", "演示用户"}, {"cOfficePhone", "0571-8888 6666"},
        {"cHomePhone", "0571-1234"}, {"cMobilePhone", "+86 138 0013 8000"}, {"cCall", "96001"},
        {"cZipcode", "310012"}, {"cHomePage", "https://example.cn/a?b=1&c=2"},
        {"cWorkAddress", "浙江省杭州市西湖区文三路 478 号华星时代广场 A 座 1201 室"}, {"cHomeAddress", "杭州市\n上城区"},
        {"cEmail", "zhang.wei@example.cn"}, {"cHomeMember", "妻子：李娜\n儿子：张小明"},
        {"cMemo", "第一行\n第二行, comma; semicolon \\ backslash & \"quotes\" > 1 < 2 &amp;"}, {"bcSexID", "女"},
        {"bcMarriageID", "未婚"}, {"bMajor", "True"}, {"dBirthday", "1985-04-12"}, {"dCreateDate", "2024-05-01"},
        {"cConDefine1", "wx_张伟"}, {"cConDefine2", "A级"}, {"cConDefine4", "采购部"}, {"cConDefine5", "中文"},
        {"cConDefine6", "110101199001011234"}, {"cConDefine11", "5"}, {"cConDefine12", "12"},
        {"cConDefine13", "1500.5"}, {"cConDefine14", "4.5"}, {"cConDefine15", "2020-01-02"},
        {"cConDefine16", "2024-06-30"}};
    for (const auto& [f, v] : values) r.Set(f, v);
    r.Set("cContactCode", code);
    r.Set("oid", oid);
    return r;
}

class Exchange : public ServiceTest {
protected:
    ~Exchange() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    std::vector<ex::RowReport> Import(const std::string& text, ex::ImportOptions options = {}) {
        std::istringstream in(text);
        std::vector<ex::RowReport> rows;
        ok = ex::ImportContacts(*service, in, options, [&rows](const ex::RowReport& r) { rows.push_back(r); }, summary);
        return rows;
    }

    fs::path folder = fs::temp_directory_path() / ("sovrel-exchange-" + std::to_string(::getpid()));
    ex::ImportSummary summary;
    bool ok = false;  // what the last Import returned
};

TEST_P(Exchange, EveryFieldGoesInAndComesBackOutInBothFormats) {
    fs::create_directories(folder);
    for (ex::Format format : {ex::Format::VCard, ex::Format::Csv}) {
        const bool vcard = format == ex::Format::VCard;
        const std::string code = vcard ? "V0300000007" : "V0300000008";
        const ex::Record in = Contact(code, vcard ? "{6F1C2A10-0000-4000-8000-00000000AB01}" : "{6F1C2A10-0000-4000-8000-00000000AB02}");
        const auto rows = Import(vcard ? ex::WriteVCard(in, "") : ex::CsvHeader() + ex::CsvRow(in));
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].outcome, ex::Outcome::Added) << rows[0].message;
        EXPECT_EQ(rows[0].message, "");  // nothing was left out
        EXPECT_TRUE(summary.written);
        EXPECT_EQ(Scalar("SELECT bcSexID FROM Ven_Contact WHERE cContactCode = N'" + code + "'"), "2");

        const fs::path file = folder / (vcard ? "out.vcf" : "out.csv");
        long count = 0;
        std::string msg;
        ASSERT_TRUE(ex::ExportContacts(*service, file.string(), format, "", {code}, count, msg)) << msg;
        EXPECT_EQ(count, 1);
        std::istringstream text(FileText(file));
        ex::LineReader lines(text, ex::DetectEncoding(text));
        ex::Record out;
        if (vcard) ASSERT_TRUE(ex::VCardReader(lines).Next(out));
        else ASSERT_TRUE(ex::CsvReader(lines).Next(out));
        for (std::string_view f : ex::kFields) EXPECT_EQ(out.Get(f), in.Get(f)) << f << (vcard ? " vCard" : " CSV");
    }
    // A long list of codes is asked for piece by piece.
    std::vector<std::string> many{"V0300000008"};
    for (int i = 0; i < 600; ++i) many.push_back("A" + std::to_string(i));
    many.push_back("V0300000007");
    long count = 0;
    std::string msg;
    ASSERT_TRUE(ex::ExportContacts(*service, (folder / "many.csv").string(), ex::Format::Csv, "", many, count, msg));
    EXPECT_EQ(count, 2);
    // Rows written for the other vendors are left out of one vendor's file.
    ASSERT_TRUE(ex::ExportContacts(*service, (folder / "v03.csv").string(), ex::Format::Csv, "V03", {}, count, msg));
    EXPECT_EQ(count, 2);
    // The same contacts asked for by a query of their codes, as the list's Select All asks.
    ASSERT_TRUE(ex::ExportContacts(*service, (folder / "v03q.csv").string(), ex::Format::Csv, "", {}, count, msg,
                                   "SELECT Ven_Contact.cContactCode FROM Ven_Contact LEFT JOIN vendor ON "
                                   "vendor.cVenCode = Ven_Contact.cVenCode WHERE vendor.cVenName LIKE N'%西湖%'"))
        << msg;
    EXPECT_EQ(FileText(folder / "v03q.csv"), FileText(folder / "v03.csv"));
    // V03 had no main contact: the first import linked one, the second kept it.
    EXPECT_EQ(Scalar("SELECT cSovrelCode FROM vendor WHERE cVenCode = N'V03'"), "{6F1C2A10-0000-4000-8000-00000000AB01}");
}

TEST_P(Exchange, EachRowIsReportedAndARefusalStopsNothing) {
    const std::string text =
        "cVenCode,cContactCode,cContactName,cSuperiorID,cPrincipal,bcSexID,bcDutyID,dBirthday,cMemo,Extra\n"
        "V03,,甲,,,,,,,x\n"                       // 2
        "V99,,乙,,,,,,,x\n"                       // 3
        "V03,,,,,,,,,x\n"                         // 4
        "V03,,丙,V0300000009,,,,,,x\n"            // 5: its superior comes next
        "V03,V0300000009,丁,,,,,,,x\n"            // 6
        "V03,V0100000001,戊,,,,幽灵职务,,,x\n"    // 7: its new duty goes with it
        "V03,,己,,,,,,a<b&c,x\n"                  // 8: markup characters are text
        "V03,,庚,,,,,1985-13-45,,x\n"             // 9
        "V03,,辛,,,未知,,,,x\n"                   // 10
        "V03,,壬,,,M,首席科学家,19850412,,x\n"    // 11
        "V03,,癸,,9999,,,,,x\n"                   // 12
        "V03,V0300000050,子,V0300000050,,,,,,x\n"  // 13
        "V03,,丑,V0399999999,,,,,,x\n"            // 14
        "V03,,\"a\"b,,,,,,,x\n"                   // 15
        "V03,V03123456789012,寅,,,,,,,x\n"       // 16: a code of another pattern
        "V03,,卯,,,,,,,x\n";                      // 17: numbered as the card numbers
    const long before = Count("Ven_Contact");
    const auto rows = Import(text);
    using O = ex::Outcome;
    struct Want {
        long line;
        O outcome;
        std::string code, message;
    };
    const std::string e = "Hx.CRM.TkContact.Exchange.";
    const Want want[] = {
        {1, O::Note, "", e + "Ignored(Extra)"},
        {2, O::Added, "V0300000001", ""},
        {3, O::Refused, "", "Hx.CRM.TkContact.frmcontactedit.00064"},
        {4, O::Refused, "", "Hx.CRM.TkContact.frmcontactedit.00080"},
        {6, O::Added, "V0300000009", ""},
        {7, O::Refused, "V0100000001", "Hx.CRM.COMMON.CheckDuplication02"},
        {8, O::Added, "V0300000010", ""},
        {9, O::Refused, "", "Hx.CRM.COMMON.CheckLegal02(dBirthday)"},
        {10, O::Refused, "", e + "UnknownCode(bcSexID,未知)"},
        {11, O::Added, "V0300000011", ""},
        {12, O::Refused, "", "Hx.CRM.BO.SurveyAcitve.surveyaction.00027(9999)"},
        {13, O::Refused, "V0300000050", "Hx.CRM.FrameCaption.Contact01"},
        {15, O::Refused, "", e + "BadLine(15)"},
        {16, O::Added, "V03123456789012", ""},
        {17, O::Added, "V0300000012", ""},
        {5, O::Added, "V0300000013", ""},
        {14, O::Refused, "", "Hx.CRM.TkContact.frmcontactedit.00066"},
    };
    ASSERT_EQ(rows.size(), std::size(want));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].line, want[i].line) << i;
        EXPECT_EQ(rows[i].outcome, want[i].outcome) << "line " << want[i].line;
        EXPECT_EQ(rows[i].code, want[i].code) << "line " << want[i].line;
        EXPECT_EQ(rows[i].message, want[i].message) << "line " << want[i].line;
    }
    EXPECT_EQ(summary.added, 7);
    EXPECT_EQ(summary.refused, 9);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Count("Ven_Contact"), before + 7);
    EXPECT_EQ(Scalar("SELECT cSuperiorID FROM Ven_Contact WHERE cContactCode = N'V0300000013'"), "V0300000009");
    EXPECT_EQ(Scalar("SELECT c.bcSexID FROM Ven_Contact c WHERE c.cContactCode = N'V0300000011'"), "1");
    EXPECT_EQ(Scalar("SELECT b.bEdit FROM Ven_Contact c JOIN Crm_BaseCode b ON b.ID = c.bcDutyID "
                     "WHERE c.cContactCode = N'V0300000011' AND b.cName = N'首席科学家'"),
              "True");
    EXPECT_EQ(Scalar("SELECT dBirthday FROM Ven_Contact WHERE cContactCode = N'V0300000011'"), "1985-04-12");
    EXPECT_EQ(Scalar("SELECT cMemo FROM Ven_Contact WHERE cContactCode = N'V0300000010'"), "a<b&c");
    EXPECT_EQ(Count("Crm_BaseCode WHERE cName = N'幽灵职务'"), 0);
}

TEST_P(Exchange, AtomicAndDryRunWriteNothingWhenTheyShouldNot) {
    // Two good rows, one with a duty the account does not know yet, and one refusal.
    const std::string good = "cVenCode,cContactName,bcDutyID\nV03,甲,新职务\nV03,乙,\n";
    const std::string bad = good + "V99,丙,\n";
    struct Case {
        const char* what;
        std::string text;
        ex::ImportOptions options;
        long written;  // contacts added to the account
        ex::Outcome first;
    };
    const Case cases[] = {
        {"atomic, one refused", bad, {.atomic = true}, 0, ex::Outcome::Accepted},
        {"dry run, one refused", bad, {.dryRun = true}, 0, ex::Outcome::Accepted},
        {"dry run, none refused", good, {.dryRun = true}, 0, ex::Outcome::Accepted},
        {"atomic, none refused", good, {.atomic = true}, 2, ex::Outcome::Accepted},
        {"neither", bad, {}, 2, ex::Outcome::Added},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(service->ExecuteX("DELETE FROM Ven_Contact WHERE cVenCode = N'V03'"));
        ASSERT_TRUE(service->ExecuteX("DELETE FROM Crm_BaseCode WHERE cName = N'新职务'"));
        const long contacts = Count("Ven_Contact");
        auto rows = Import(c.text, c.options);
        std::erase_if(rows, [](const ex::RowReport& r) { return r.outcome == ex::Outcome::Note; });  // a dry run's columns
        ASSERT_GE(rows.size(), 2u);
        EXPECT_EQ(rows[0].outcome, c.first);
        EXPECT_EQ(rows[0].code, "V0300000001");
        EXPECT_EQ(summary.added, 2);
        EXPECT_EQ(Count("Ven_Contact"), contacts + c.written);
        EXPECT_EQ(Count("Crm_BaseCode WHERE cName = N'新职务'"), c.written ? 1 : 0);
        EXPECT_EQ(summary.written, c.written > 0);
        EXPECT_EQ(ok, c.text == good);  // true only when no row was refused
    }
}

// A row whose check cannot be made (here its person in charge: the table is gone) is refused
// with the data service's message, and the next row still goes in.
TEST_P(Exchange, ARowWhoseCheckFailsInTheDatabaseIsRefusedWithTheReason) {
    platform::db::Connection owner;
    owner.Open(connection);
    owner.ExecuteScript("DROP TABLE Person");
    const auto rows = Import("cVenCode,cContactName,cPrincipal\nV03,甲,0002\nV03,乙,\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].outcome, ex::Outcome::Refused);
    EXPECT_EQ(rows[0].message, "Hx.CRM.TkContact.Exchange.Failed(Hx.CRM.COMMON.DBMSG.Sel0511)");
    EXPECT_EQ(rows[1].outcome, ex::Outcome::Added);
    EXPECT_EQ(Count("Ven_Contact WHERE cContactName = N'乙'"), 1);
}

TEST_P(Exchange, AFileThatIsNoContactFileIsRefusedWhole) {
    const std::pair<std::string, std::string> cases[] = {
        {"\xFF\xFE" "B\0", "Hx.CRM.TkContact.Exchange.Utf16"},
        {"no,field,named\n1,2,3\n", "Hx.CRM.TkContact.Exchange.NoHeader"},
        {"", "Hx.CRM.TkContact.Exchange.NoHeader"},
    };
    const long before = Count("Ven_Contact");
    for (const auto& [text, message] : cases) {
        const auto rows = Import(text);
        EXPECT_TRUE(rows.empty());
        EXPECT_EQ(summary.message, message);
    }
    EXPECT_EQ(Count("Ven_Contact"), before);
}

TEST_P(Exchange, ARowIsToldAddedOnlyOnceCommittedWithItsVendorsMainContact) {
    // Line ends of an older Mac program; V03 has no main contact yet.
    std::istringstream in("cVenCode,cContactName\rV03,甲\rV03,乙\rV03,\r");
    std::vector<std::string> told;
    ex::ImportContacts(*service, in, {}, [&](const ex::RowReport& r) {
        // Seen on a connection of its own, as by another user or after the process is killed.
        std::string line = std::to_string(r.line) + (r.outcome == ex::Outcome::Added ? " added" : " not added");
        if (r.outcome == ex::Outcome::Added)
            line += " stored " + std::to_string(Count("Ven_Contact WHERE cContactCode = N'" + r.code + "'")) +
                    " linked " + std::to_string(Count("vendor v JOIN Ven_Contact c ON c.oid = v.cSovrelCode "
                                                      "WHERE v.cVenCode = N'V03'"));
        told.push_back(line);
    }, summary);
    EXPECT_EQ(told, (std::vector<std::string>{"2 added stored 1 linked 1", "3 added stored 1 linked 1", "4 not added"}));
    EXPECT_EQ(summary.added, 2);
    EXPECT_EQ(summary.refused, 1);
    EXPECT_TRUE(summary.written);
}

// A file on a share that goes away: reads come a short piece at a time, and once the import is
// writing, the read that reaches failAt fails.
class VanishingFile : public std::stringbuf {
public:
    VanishingFile(const std::string& text, std::size_t failAt, IClsCommon& service)
        : std::stringbuf(text, std::ios::in), failAt_(failAt), service_(service) {}

protected:
    std::streamsize xsgetn(char* s, std::streamsize n) override {
        if (static_cast<std::size_t>(gptr() - eback()) >= failAt_ && service_.m_cnn()->TransactionLevel() > 0)
            throw std::runtime_error("the share went away");
        return std::stringbuf::xsgetn(s, std::min<std::streamsize>(n, 64));
    }

private:
    std::size_t failAt_;
    IClsCommon& service_;
};

TEST_P(Exchange, AFileThatFailsMidwayKeepsTheCommittedBatchesAndTakesBackTheRest) {
    std::string text = "cVenCode,cContactName\n";
    std::vector<std::size_t> lineAt{0, 0};  // where each line (from 2) starts
    for (int i = 1; i <= 520; ++i) {
        lineAt.push_back(text.size());
        text += "V03,联系人" + std::to_string(1000 + i) + "\n";
    }
    struct Case {
        const char* what;
        int failingLine;
        bool atomic;
        long kept;  // the batches committed before the failure
    };
    const Case cases[] = {
        {"in the first batch", 5, false, 0},
        {"after the first batch", 511, false, 500},
        {"atomic", 5, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(service->ExecuteX("DELETE FROM Ven_Contact WHERE cVenCode = N'V03'"));
        VanishingFile file(text, lineAt[static_cast<std::size_t>(c.failingLine)], *service);
        std::istream in(&file);
        std::vector<ex::RowReport> rows;
        EXPECT_FALSE(ex::ImportContacts(*service, in, {.atomic = c.atomic},
                                        [&rows](const ex::RowReport& r) { rows.push_back(r); }, summary));
        EXPECT_EQ(summary.message, "the share went away");
        EXPECT_EQ(summary.added, c.kept);
        EXPECT_EQ(summary.written, c.kept > 0);
        EXPECT_EQ(Count("Ven_Contact WHERE cVenCode = N'V03'"), c.kept);
        EXPECT_EQ(Count("vendor v JOIN Ven_Contact c ON c.oid = v.cSovrelCode WHERE v.cVenCode = N'V03'"),
                  c.kept > 0 ? 1 : 0);
        // Nothing is left open on the importing connection to hold other users' writes.
        EXPECT_EQ(service->m_cnn()->TransactionLevel(), 0);
        auto seen = service->OpenX("SELECT count(*) FROM Ven_Contact WHERE cVenCode = N'V03'");
        ASSERT_TRUE(seen);
        EXPECT_EQ(seen->Get(std::size_t{0}).ToText(), std::to_string(c.kept));
        // The rows read after the last commit are told taken back (an atomic run has told them
        // accepted only, and its summary says none went in).
        ASSERT_GT(rows.size(), static_cast<std::size_t>(c.kept));
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (static_cast<long>(i) < c.kept) EXPECT_EQ(rows[i].outcome, ex::Outcome::Added) << i;
            else if (c.atomic) EXPECT_EQ(rows[i].outcome, ex::Outcome::Accepted) << i;
            else EXPECT_EQ(rows[i].message, "Hx.CRM.TkContact.Exchange.TakenBack(the share went away)") << i;
        }
    }
}

// The vendor's main contact cannot be linked (its row is locked against changes): the batch it
// belongs to is not committed, so no vendor is left without a main contact.
TEST_P(Exchange, ABatchWhoseMainContactCannotBeLinkedIsTakenBack) {
    platform::db::Connection owner;
    owner.Open(connection);
    owner.ExecuteScript(RefusingTrigger(GetParam(), "locked", "UPDATE", "vendor"));
    const long before = Count("Ven_Contact WHERE cVenCode = N'V03'");
    const auto rows = Import("cVenCode,cContactName\nV03,甲\nV03,乙\n");
    EXPECT_FALSE(ok);
    EXPECT_FALSE(summary.written);
    EXPECT_EQ(summary.added, 0);
    EXPECT_EQ(Count("Ven_Contact WHERE cVenCode = N'V03'"), before);
    ASSERT_EQ(rows.size(), 2u);
    for (const auto& r : rows) EXPECT_EQ(r.outcome, ex::Outcome::Refused) << r.line;
}

TEST_P(Exchange, AnExportWritesThroughNoLinkAndOntoNoReadOnlyFile) {
    fs::create_directories(folder);
    const fs::path cards = folder / "v01.vcf", sheet = folder / "v01.csv", locked = folder / "locked.csv";
    std::ofstream(folder / "victim") << "victim";
    fs::create_symlink(folder / "victim", folder / "v01.vcf.part");
    std::ofstream(folder / "v01.csv.part") << "someone's file";
    std::ofstream(sheet) << "old";
    fs::permissions(sheet, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::ofstream(locked) << "old";
    fs::permissions(locked, fs::perms::owner_read);
    long count = 0;
    std::string msg;
    ASSERT_TRUE(ex::ExportContacts(*service, cards.string(), ex::Format::VCard, "V01", {}, count, msg)) << msg;
    ASSERT_TRUE(ex::ExportContacts(*service, sheet.string(), ex::Format::Csv, "V01", {}, count, msg)) << msg;
    EXPECT_EQ(FileText(folder / "victim"), "victim");
    EXPECT_TRUE(fs::is_symlink(folder / "v01.vcf.part"));
    EXPECT_EQ(FileText(folder / "v01.csv.part"), "someone's file");
    EXPECT_NE(FileText(cards).find("BEGIN:VCARD"), std::string::npos);
    EXPECT_EQ(fs::status(sheet).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    EXPECT_FALSE(ex::ExportContacts(*service, locked.string(), ex::Format::Csv, "V01", {}, count, msg));
    EXPECT_EQ(msg, "Hx.CRM.TkContact.Exchange.ReadOnly(" + locked.string() + ")");
    EXPECT_EQ(FileText(locked), "old");
    EXPECT_EQ(fs::status(locked).permissions(), fs::perms::owner_read);
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"victim", "v01.vcf.part", "v01.csv.part", "v01.vcf", "v01.csv", "locked.csv"}));
}

TEST_P(Exchange, ContactExportsOfMailProgramsMapToTheContactsFields) {
    const std::string google =
        // A column without a heading is no field, not even a user-defined item without a name.
        // A user-defined item's name heads its column.
        "Name,Given Name,Family Name,E-mail 1 - Value,Phone 1 - Value,Organization,Notes,Birthday,微信号,\n"
        ",伟,张,zw@example.cn,0571-1,杭州包装,备注,4/12/1985,zw-wx,无题\n"
        "王小明,小明,王,,,,,,,\n";
    const std::string outlook =
        "First Name,Last Name,E-mail Address,Business Phone,Mobile Phone,Company,Job Title,Notes,Birthday\n"
        "John,Smith,js@x.org,010-1,138,ACME,总经理,hi,0/0/00\n"
        "Li,张,,,,,,,\n";
    struct Case {
        const char* language;
        std::string text;
        std::vector<std::string> names;  // as stored, in code order
        std::string first;  // the first row's e-mail|office|mobile|memo|birthday|user item 1|duty, each cut at 10 bytes
    };
    const Case cases[] = {
        {"zh-CN", google, {"张伟", "王小明"}, "zw@example|0571-1||备注|1985-04-12|zw-wx|<none>"},
        {"en-US", google, {"伟 张", "王小明"}, "zw@example|0571-1||备注|1985-04-12|zw-wx|<none>"},
        {"zh-CN", outlook, {"Smith John", "张 Li"}, "js@x.org|010-1|138|hi|||总经理"},
        {"en-US", outlook, {"John Smith", "Li 张"}, "js@x.org|010-1|138|hi|||总经理"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.language) + " " + c.text.substr(0, 10));
        host.crm->language = c.language;
        ASSERT_TRUE(service->ExecuteX("DELETE FROM Ven_Contact WHERE cVenCode = N'V03'"));
        const auto notes = Import(c.text, {.vendor = "V03", .dryRun = true});
        ASSERT_FALSE(notes.empty());
        EXPECT_EQ(notes[0].outcome, ex::Outcome::Note);
        EXPECT_NE(notes[0].message.find(" Name → cContactName:family"), std::string::npos) << notes[0].message;
        const auto rows = Import(c.text, {.vendor = "V03"});
        EXPECT_EQ(summary.added, static_cast<long>(c.names.size())) << (rows.empty() ? "" : rows.back().message);
        for (std::size_t i = 0; i < c.names.size(); ++i)
            EXPECT_EQ(Scalar("SELECT cContactName FROM Ven_Contact WHERE cContactCode = N'V030000000" +
                             std::to_string(i + 1) + "'"), c.names[i]);
        std::string first;
        for (const char* f : {"cEmail", "cOfficePhone", "cMobilePhone", "cMemo", "dBirthday", "cConDefine1"})
            first += Scalar("SELECT " + std::string(f) + " FROM Ven_Contact WHERE cContactCode = N'V0300000001'").substr(0, 10) + "|";
        first += Scalar("SELECT d.cName FROM Ven_Contact c JOIN Crm_BaseCode d ON d.ID = c.bcDutyID "
                        "WHERE c.cContactCode = N'V0300000001'");
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(Scalar("SELECT COALESCE(cConDefine3, 'none') FROM Ven_Contact WHERE cContactCode = N'V0300000001'"), "none");
    }
}

TEST_P(Exchange, ACardsCompanyOtherThanItsVendorIsNamedAsNotKept) {
    const std::string name = Scalar("SELECT cVenName FROM vendor WHERE cVenCode = N'V03'");
    const auto rows = Import("BEGIN:VCARD\r\nFN:甲\r\nORG:" + name + ";采购部\r\nEND:VCARD\r\n"
                             "BEGIN:VCARD\r\nFN:乙\r\nORG:别的公司\r\nEND:VCARD\r\n", {.vendor = "V03"});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].message, "");
    EXPECT_EQ(rows[1].message, "Hx.CRM.TkContact.Exchange.Ignored(ORG)");
    EXPECT_EQ(summary.added, 2);
}

// The ways people write a flag and a sex in a file all land on the card's values; a flag
// written in no known way refuses its row.
TEST_P(Exchange, FlagsAndSexesWrittenAnyKnownWayLandOnTheCardsValues) {
    const struct { const char *name, *major, *sex, *storedMajor, *storedSex; } cases[] = {
        {"甲", "yes", "f", "True", "2"},  {"乙", "否", "M", "False", "1"}, {"丙", " Y ", "女", "True", "2"},
        {"丁", "0", "男", "False", "1"},  {"戊", "是", "m", "True", "1"},  {"己", "n", "F", "False", "2"},
        {"庚", "true", "", "True", ""},
    };
    std::string csv = "cVenCode,cContactName,bMajor,bcSexID\r\n";
    for (const auto& c : cases) csv += std::string("V03,") + c.name + "," + c.major + "," + c.sex + "\r\n";
    csv += "V03,辛,maybe,m\r\n";
    const auto rows = Import(csv);
    ASSERT_EQ(rows.size(), std::size(cases) + 1);
    EXPECT_NE(rows.back().outcome, ex::Outcome::Added);
    for (const auto& c : cases) {
        const std::string where = std::string(" FROM Ven_Contact WHERE cContactName = N'") + c.name + "'";
        EXPECT_EQ(Scalar("SELECT bMajor" + where), c.storedMajor) << c.name;
        EXPECT_EQ(Scalar("SELECT bcSexID" + where), c.storedSex) << c.name;
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Ven_Contact WHERE cContactName = N'辛'"), "0");
}

INSTANTIATE_TEST_SUITE_P(Backends, Exchange, ::testing::ValuesIn(kBackends), BackendTestName);

}  // namespace
}  // namespace sovrel::test
