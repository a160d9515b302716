// The vCard and CSV formats alone: every field there and back, cards written by other programs,
// other encodings, and what a broken file gives.
#include <gtest/gtest.h>

#include <sstream>

#include "exchange/csv.h"
#include "exchange/vcard.h"
#include "platform/text.h"

namespace sovrel::exchange {
namespace {

using namespace std::string_literals;

// Every field, with the characters each format has to protect.
Record Full() {
    Record r;
    for (std::string_view f : kFields) r.Set(f, std::string(f) + " 值, \"引\"; 反\\斜");
    r.Set("cContactName", "张伟");
    r.Set("cMemo", "第一行\n第二行, comma; semicolon \\ backslash & ampersand, 2+2=4 =41");
    r.Set("cWorkAddress", "浙江省杭州市西湖区文三路 478 号华星时代广场 A 座 1201 室（邮编见下）");
    r.Set("cHomeMember", " 妻子：李娜\n儿子：张小明 ");  // blanks at both ends
    r.Set("dBirthday", "1985-04-12");
    r.Set("dCreateDate", "2024-05-01 09:30:00");
    r.Set("bcSexID", "女");
    r.Set("bMajor", "True");
    r.Set("oid", "{6F1C2A10-0000-4000-8000-00000000AB01}");
    return r;
}

std::vector<Record> Read(const std::string& text, std::vector<std::string>* ignoredColumns = nullptr) {
    std::istringstream in(text);
    LineReader lines(in, DetectEncoding(in));
    std::vector<Record> out;
    Record r;
    if (text.find("BEGIN:VCARD") != std::string::npos) {
        VCardReader reader(lines);
        while (reader.Next(r)) out.push_back(r);
    } else {
        CsvReader reader(lines);
        while (reader.Next(r)) out.push_back(r);
        if (ignoredColumns) *ignoredColumns = reader.IgnoredColumns();
    }
    return out;
}

std::string Describe(const Record& r) {
    std::string s = "line " + std::to_string(r.line);
    if (r.problem) {
        s += " " + r.problem->key;
        for (const auto& p : r.problem->params) s += " " + p;
    }
    return s;
}

TEST(Formats, EveryFieldComesBackFromVCardAndCsv) {
    const Record full = Full();
    for (bool vcard : {true, false}) {
        const std::string text = vcard ? WriteVCard(full, "杭州西湖包装制品厂") : CsvHeader() + CsvRow(full);
        const auto read = Read(text);
        ASSERT_EQ(read.size(), 1u) << text;
        EXPECT_FALSE(read[0].problem) << Describe(read[0]);
        EXPECT_TRUE(read[0].ignored.empty()) << read[0].ignored.front();
        for (std::string_view f : kFields) EXPECT_EQ(read[0].Get(f), full.Get(f)) << f << (vcard ? " vCard" : " CSV");
    }
    // GENDER carries the letter of each usual way of writing a sex.
    for (const auto& [sex, letter] : std::vector<std::pair<std::string, std::string>>{
             {"男", "M"}, {"男性", "M"}, {"Male", "M"}, {"m", "M"}, {"女", "F"}, {"女性", "F"}, {"female", "F"}, {"f", "F"}, {"保密", ""}}) {
        Record r = full;
        r.Set("bcSexID", sex);
        const std::string card = WriteVCard(r, "");
        EXPECT_NE(card.find("\r\nGENDER:" + letter + ";" + sex + "\r\n"), std::string::npos) << sex;
    }
    // Another program splits a value at an unescaped comma or semicolon.
    Record memo;
    memo.Set("cMemo", "a, b; c \\ d");
    EXPECT_NE(WriteVCard(memo, "").find("\r\nNOTE:a\\, b\\; c \\\\ d\r\n"), std::string::npos) << WriteVCard(memo, "");
    memo.Set("cMemo", std::string(70, 'x'));  // the line's 75 octets fit: no fold, not even an empty one
    const std::string card = WriteVCard(memo, ""), note = "\r\nNOTE:" + std::string(70, 'x') + "\r\n";
    ASSERT_NE(card.find(note), std::string::npos) << card;
    EXPECT_NE(card[card.find(note) + note.size()], ' ') << card;
    // Folded lines stay within 75 octets and never split a character.
    std::istringstream lines(WriteVCard(full, ""));
    int folded = 0;
    for (std::string line; std::getline(lines, line);) {
        ASSERT_TRUE(line.ends_with('\r'));
        line.pop_back();
        EXPECT_LE(line.size(), 75u) << line;
        EXPECT_TRUE(platform::text::IsValidUtf8(line)) << line;
        folded += line.starts_with(' ');
    }
    EXPECT_GT(folded, 0);
}

struct CardCase {
    const char* what;
    std::string text;
    std::vector<std::pair<std::string, std::string>> values;  // every value the card gives
    std::vector<std::string> ignored;
};

TEST(Formats, CardsOfOtherProgramsAndOlderVersions) {
    const CardCase cases[] = {
        {"3.0 of a phone",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;John;;;\r\nUID:{6f1c2a10-0000-4000-8000-0000000000aa}\r\n"
         "TEL;TYPE=CELL:138 0013 8000\r\n"
         "TEL;TYPE=WORK;TYPE=VOICE:010-1234\r\nitem1.EMAIL;TYPE=INTERNET:john@example.com\r\n"
         "item1.X-ABLabel:private\r\nBDAY:1985-04-12\r\nPHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgAB\r\n AQEASABIAAD\r\n"
         "ADR;TYPE=HOME:;;Street 1;City;;12345;DE\r\nEND:VCARD\r\n",
         {{"cContactName", "John Smith"},
          {"oid", "{6F1C2A10-0000-4000-8000-0000000000AA}"},
          {"cMobilePhone", "138 0013 8000"},
          {"cOfficePhone", "010-1234"},
          {"cEmail", "john@example.com"},
          {"dBirthday", "1985-04-12"},
          {"cHomeAddress", "Street 1 City DE"},
          {"cZipcode", "12345"}},
         {"X-ABLABEL", "PHOTO"}},
        {"2.1 with quoted-printable in UTF-8 and GBK",
         "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0;=E4=BC=9F;;;\n"
         "TEL;CELL;VOICE:13800138000\nNOTE;ENCODING=QUOTED-PRINTABLE:line one=0A=\nline two\n"
         "TITLE;CHARSET=GBK;\n ENCODING=QUOTED-PRINTABLE:=BE=AD=\n=C0=ED\n"  // its parameters folded
         "PHOTO;ENCODING=BASE64;TYPE=JPEG:/9j/4AAQ\nSkZJRgABAQEASABIAAD\n\nEND:VCARD\n",
         {{"cContactName", "张伟"}, {"cMobilePhone", "13800138000"}, {"cMemo", "line one\nline two"}, {"bcDutyID", "经理"}},
         {"PHOTO"}},
        {"4.0 of another program",
         "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Anna\r\nUID:urn:uuid:6f1c2a10-0000-4000-8000-0000000000ff\r\n"
         "TEL;VALUE=uri;TYPE=\"voice,home\":tel:+1-555-0100\r\nTEL;TYPE=fax:+1-555-0199\r\nGENDER:F\r\n"
         "EMAIL;PREF=1:a@x.org\r\nEMAIL:b@x.org\r\nBDAY:19900102T120000Z\r\nADR:;;Main St\\, 5;;;;\r\nCATEGORIES:vip\r\nEND:VCARD\r\n",
         {{"cContactName", "Anna"},
          {"oid", "{6F1C2A10-0000-4000-8000-0000000000FF}"},
          {"cHomePhone", "+1-555-0100"},
          {"bcSexID", "F"},
          {"dBirthday", "1990-01-02"},
          {"cEmail", "a@x.org"},
          {"cWorkAddress", "Main St, 5"}},
         {"TEL;TYPE=fax", "EMAIL", "CATEGORIES"}},
        {"an identifier that is no GUID makes no key, however long",
         "BEGIN:VCARD\nVERSION:3.0\nFN:李娜\nUID:phone-4711\nEND:VCARD\n", {{"cContactName", "李娜"}}, {}},
        {"an address of five parts has no postal code",
         "BEGIN:VCARD\nVERSION:3.0\nFN:李娜\nUID:{phone-4711-phone-4711-phone-4711-471}\nADR;TYPE=work:;;Side St;Town;\n"
         "END:VCARD\n",
         {{"cContactName", "李娜"}, {"cWorkAddress", "Side St Town"}}, {}},
    };
    for (const auto& c : cases) {
        const auto read = Read(c.text);
        ASSERT_EQ(read.size(), 1u) << c.what;
        EXPECT_FALSE(read[0].problem) << c.what << ": " << Describe(read[0]);
        std::vector<std::pair<std::string, std::string>> got(read[0].values.begin(), read[0].values.end());
        auto want = c.values;
        std::sort(want.begin(), want.end());
        EXPECT_EQ(got, want) << c.what;
        auto ignored = read[0].ignored;
        std::sort(ignored.begin(), ignored.end());
        auto wantIgnored = c.ignored;
        std::sort(wantIgnored.begin(), wantIgnored.end());
        EXPECT_EQ(ignored, wantIgnored) << c.what;
    }
}

TEST(Formats, BrokenCardsAreRefusedOneByOneWithTheirLines) {
    const std::string text =
        "BEGIN:VCARD\nVERSION:3.0\nFN:甲\nthis line has no colon\nEND:VCARD\n"  // 1-5
        "stray text\n"                                                          // 6
        "BEGIN:VCARD\nFN:乙\n"                                                  // 7-8: no END
        "BEGIN:VCARD\nFN:丙\nEND:VCARD\n"                                       // 9-11
        "BEGIN:VCARD\nFN:\xff\xfe bad\nEND:VCARD\n"                             // 12-14
        "BEGIN:VCARD\nFN:戊\nTEL;;CELL:1\nEND:VCARD\n"                          // 15-18: a parameter without a name
        "BEGIN:VCARD\nFN:丁\n";                                                 // 19-20: no END
    std::vector<std::string> got;
    for (const auto& r : Read(text)) got.push_back(Describe(r) + (r.problem ? "" : " " + r.Get("cContactName")));
    const std::string p = "Hx.CRM.TkContact.Exchange.";
    EXPECT_EQ(got, (std::vector<std::string>{"line 1 " + p + "BadLine 4", "line 6 " + p + "OutsideCard 6",
                                             "line 7 " + p + "NoEnd 7", "line 9 丙", "line 12 " + p + "BadBytes 13",
                                             "line 15 " + p + "BadLine 17", "line 19 " + p + "NoEnd 19"}));
}

TEST(Formats, BrokenCsvRowsAreRefusedAndTheRowsAfterThemRead) {
    const std::string text =
        std::string("cContactName,cMemo,Extra\r\n") +  // 1
        "甲,\"two\r\nlines\",x\r\n"      // 2-3
        "乙,a\"b,x\r\n"                  // 4: a quote inside a bare field
        "丙,x\r\n"                       // 5: a field short
        "\r\n"                           // 6: blank
        "丁,\"never closed,x\r\n"        // 7
        "戊,\"\"\"quoted\"\"\",x\r\n"    // 8
        "\xff,x,y\r\n"                   // 9
        "己,\"" + std::string(33000, 'a') + "\r\n" + std::string(33000, 'b') + "\r\nc\",x\r\n";  // 10-12: open past 64 KB
    std::vector<std::string> ignoredColumns;
    std::vector<std::string> got;
    for (const auto& r : Read(text, &ignoredColumns))
        got.push_back(Describe(r) + (r.problem ? "" : " " + r.Get("cContactName") + "|" + r.Get("cMemo")));
    const std::string p = "Hx.CRM.TkContact.Exchange.";
    EXPECT_EQ(got, (std::vector<std::string>{"line 2 甲|two\nlines", "line 4 " + p + "BadLine 4",
                                             "line 5 " + p + "FieldCount 5 2 3", "line 7 " + p + "OpenQuote 7",
                                             "line 8 戊|\"quoted\"", "line 9 " + p + "BadBytes 9",
                                             "line 10 " + p + "OpenQuote 10", "line 11 " + p + "FieldCount 11 1 3",
                                             "line 12 " + p + "BadLine 12"}));
    EXPECT_EQ(ignoredColumns, std::vector<std::string>{"Extra"});
}

TEST(Formats, EncodingsAreToldApart) {
    struct Case {
        const char* what;
        std::string bytes;
        Encoding encoding;
        std::string name;  // of the first row
    };
    const Case cases[] = {
        {"UTF-8", "cContactName\r\n张伟\r\n", Encoding::Utf8, "张伟"},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" "cContactName\r\n张伟\r\n", Encoding::Utf8, "张伟"},
        {"GBK", "cContactName,cMemo\r\n\xD5\xC5\xCE\xB0,\xC1\xAA\xCF\xB5\xC8\xCB\r\n", Encoding::Gbk, "张伟"},
        {"GBK vCard", "BEGIN:VCARD\r\nFN:\xD5\xC5\xCE\xB0\r\nEND:VCARD\r\n", Encoding::Gbk, "张伟"},
        {"UTF-8 beyond the basic plane", "cContactName\r\n𠮷田家\r\n", Encoding::Utf8, "𠮷田家"},
        {"UTF-8 of another script", "cContactName\r\nมานี\r\n", Encoding::Utf8, "มานี"},
        {"UTF-8 with one bad byte", "cContactName\n张伟\n李娜\n\xC0\n", Encoding::Utf8, "张伟"},
        {"UTF-16", "\xFF\xFE" "c\0", Encoding::Utf16, ""},
        {"UTF-16, big end first", std::string("\xFE\xFF\0c", 4), Encoding::Utf16, ""},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.bytes);
        EXPECT_EQ(DetectEncoding(in), c.encoding) << c.what;
        if (c.encoding == Encoding::Utf16) continue;
        const auto read = Read(c.bytes);
        ASSERT_FALSE(read.empty()) << c.what;
        EXPECT_EQ(read[0].Get("cContactName"), c.name) << c.what;
    }
    EXPECT_EQ(Read("cContactName,cMemo\r\n\xD5\xC5\xCE\xB0,\xC1\xAA\xCF\xB5\xC8\xCB\r\n")[0].Get("cMemo"), "联系人");

    const std::pair<std::string, bool> utf8[] = {
        {"plain", true},       {"张伟", true},         {"\xC0\x80", false},  // overlong
        {"\xED\xA0\x80", false},  // surrogate
        {"\xF4\x90\x80\x80", false},  // past U+10FFFF
        {"\xE5\xBC", false},  // cut short
        {"\xF0\x9F\x98\x80", true},
    };
    for (const auto& [bytes, valid] : utf8) EXPECT_EQ(platform::text::IsValidUtf8(bytes), valid) << bytes;
}

// Files of other programs' habits and hostile ones: each row or card read whole, or refused with
// its line, and the rows after it still read.
TEST(Formats, LineEndsNulsFoldsAndOverlongLines) {
    const std::string p = "Hx.CRM.TkContact.Exchange.";
    const std::string big(kMaxLineBytes + 10, 'x');
    std::string folded = "BEGIN:VCARD\r\nX-BROKEN";
    for (int i = 0; i < 1000; ++i) folded += "\r\n ab";
    folded += "\r\nFN:";
    for (int i = 0; i < 1000; ++i) folded += "\r\n 甲";
    folded += "\r\nEND:VCARD\r\n";
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> want;  // Describe and, for a row read, its name and memo
    };
    const Case cases[] = {
        {"CR-only line ends", "cContactName,cMemo\r甲,1\r乙,\"a\rb\"\r", {"line 2 甲|1", "line 3 乙|a\nb"}},
        {"a NUL in a field", "cContactName,cMemo\r\n甲,a\0b\r\n乙,\r\n"s,
         {"line 2 " + p + "BadBytes 2", "line 3 乙|"}},
        {"a CSV line past the limit", "cContactName,cMemo\n甲," + big + "\n乙,2\n",
         {"line 2 " + p + "LineTooLong 2 10", "line 3 乙|2"}},
        {"no line end at all", "BEGIN:VCARD" + big, {"line 1 " + p + "LineTooLong 1 10"}},
        {"a card's folded line past the limit",
         "BEGIN:VCARD\nNOTE:" + big.substr(0, kMaxLineBytes - 100) + "\n " + std::string(200, 'y') +
             "\nEND:VCARD\nBEGIN:VCARD\nFN:乙\nNOTE:2\nEND:VCARD\n",
         {"line 1 " + p + "LineTooLong 2 10", "line 5 乙|2"}},
        {"a character split by a fold, a mark before the second card",
         "BEGIN:VCARD\r\nFN:张\xE4\r\n \xBC\x9F\r\nEND:VCARD\r\n\xEF\xBB\xBF" "BEGIN:VCARD\r\nFN:乙\r\nNOTE:联系人\r\nEND:VCARD\r\n",
         {"line 1 张伟|", "line 5 乙|联系人"}},
        {"many folds after a line without a colon", folded,
         {"line 1 " + p + "BadLine 2"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> got;
        for (const auto& r : Read(c.text))
            got.push_back(Describe(r) + (r.problem ? "" : " " + r.Get("cContactName") + "|" + r.Get("cMemo").substr(0, 40)));
        EXPECT_EQ(got, c.want) << c.what;
    }
    // The long folded name is joined whole.
    std::string name = "BEGIN:VCARD\r\nFN:";
    for (int i = 0; i < 1000; ++i) name += "\r\n 甲";
    const auto read = Read(name + "\r\nEND:VCARD\r\n");
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(platform::text::Len(read[0].Get("cContactName")), 1000);
}

TEST(Formats, TheCardsPreferredAddressAndPhoneAreTaken) {
    const auto read = Read(
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:甲\r\nEMAIL;PREF=50:b@x.org\r\nEMAIL;PREF=3:a@x.org\r\nEMAIL:c@x.org\r\n"
        "TEL;TYPE=cell:1\r\nTEL;TYPE=cell;PREF=1:2\r\nTEL;TYPE=work:3\r\nTEL;TYPE=work,pref:4\r\nEND:VCARD\r\n");
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].Get("cEmail"), "a@x.org");
    EXPECT_EQ(read[0].Get("cMobilePhone"), "2");
    EXPECT_EQ(read[0].Get("cOfficePhone"), "4");
    EXPECT_EQ(read[0].ignored, (std::vector<std::string>{"EMAIL", "TEL"}));
}

}  // namespace
}  // namespace sovrel::exchange
