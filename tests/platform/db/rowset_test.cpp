#include <gtest/gtest.h>

#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "test_account.h"
#include "thrown.h"

using platform::Error;
using platform::db::Connection;
using platform::db::CursorKind;
using platform::db::Rowset;
using platform::db::Value;
using sovrel::test::Thrown;
namespace db = platform::db;
namespace errnum = platform::errnum;

namespace {

class RowsetTest : public sovrel::test::SmallAccountTest {
protected:
    std::shared_ptr<Rowset> Open(const std::string& sql) { return conn->OpenRowset(sql); }
};

TEST_P(RowsetTest, FieldsCarryTheTypesOfTheirDeclaredTypesAndValuesTheirKinds) {
    auto rs = Open("SELECT Contact.*, Vendor.cvenname, LEN(cName) AS nameLength FROM Contact "
                   "LEFT JOIN Vendor ON Vendor.cVenCode = Contact.cVenCode WHERE cCode = N'V0200000001'");
    const struct { const char* name; int type; long size; } expect[] = {
        {"oid", db::adVarWChar, 38}, {"bMajor", db::adBoolean, 2}, {"dBirthday", db::adDBTimeStamp, 16},
        {"nAmount", db::adCurrency, 8}, {"nRate", db::adNumeric, 19}, {"iCount", db::adSmallInt, 2},
        {"cMemo", db::adLongVarWChar, 1073741823}, {"tkts", db::adBinary, 8}, {"cVenName", db::adVarWChar, 98},
        {"nameLength", db::adInteger, 4},
    };
    for (const auto& e : expect) {
        int i = rs->FieldIndex(e.name);
        ASSERT_GE(i, 0) << e.name;
        // Spelt as the schema has it (cvenname too) or as the statement names it, on every backend.
        EXPECT_EQ(rs->Field(i).name, e.name);
        EXPECT_EQ(rs->Field(i).type, e.type) << e.name;
        EXPECT_EQ(rs->Field(i).definedSize, e.size) << e.name;
    }
    EXPECT_EQ(rs->Field(rs->FieldIndex("nRate")).scale, 3);
    EXPECT_EQ(rs->Field(rs->FieldIndex("cVenName")).baseTable, "Vendor");
    EXPECT_EQ(rs->FieldIndex("CNAME"), rs->FieldIndex("cName"));
    EXPECT_THROW(rs->Get("missing"), Error);
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->Get("bMajor").kind(), Value::Kind::Boolean);
    EXPECT_EQ(rs->Get("iCount").kind(), Value::Kind::Integer);
    EXPECT_EQ(rs->Get("dBirthday").ToText(), "1980-01-02");
    EXPECT_TRUE(rs->Get("cMemo").IsNull());
}

TEST_P(RowsetTest, MovesKeepBofAndEofTrue) {
    auto rs = Open("SELECT cCode FROM Contact ORDER BY cCode");
    EXPECT_EQ(rs->RecordCount(), 25);
    EXPECT_FALSE(rs->Bof());
    EXPECT_EQ(rs->AbsolutePosition(), 1);
    rs->MovePrevious();
    EXPECT_TRUE(rs->Bof());
    EXPECT_THROW(rs->Get(0), Error);
    EXPECT_THROW(rs->MovePrevious(), Error);
    rs->MoveLast();
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_THROW(rs->MoveNext(), Error);
    rs->Move(-3);
    EXPECT_EQ(rs->AbsolutePosition(), 23);

    auto none = Open("SELECT cCode FROM Contact WHERE 1=2");
    EXPECT_TRUE(none->Bof());
    EXPECT_TRUE(none->Eof());
    EXPECT_EQ(none->FieldCount(), 1u);
}

TEST_P(RowsetTest, CloneSharesRowsButNotThePositionOrFilter) {
    auto rs = Open("SELECT oid, cCode, cName FROM Contact ORDER BY cCode");
    rs->SetFilter("cCode='V0100000002'");
    auto copy = rs->Clone();
    EXPECT_EQ(copy->RecordCount(), 25);
    rs->Set("cName", "改过");
    rs->Update();
    copy->SetFilter("cCode='v0100000002'");
    EXPECT_EQ(copy->Get("cName").ToText(), "改过");
}

TEST_P(RowsetTest, AddNewInsertsAndEveryWriteOfTheRowGivesANewVersion) {
    auto rs = Open("SELECT * FROM Contact WHERE 1=2");
    rs->AddNew();
    for (auto [field, value] : {std::pair{"oid", "{NEW}"}, {"cCode", "V0100000099"}, {"cName", "新人"},
                                {"bMajor", "False"}, {"dBirthday", "1990-2-28"}})
        rs->Set(field, value);
    rs->Update();
    EXPECT_EQ(rs->RecordCount(), 1);
    EXPECT_FALSE(rs->Get("tkts").IsNull());
    auto back = Open("SELECT * FROM Contact WHERE cCode = N'V0100000099'");
    ASSERT_EQ(back->RecordCount(), 1);
    EXPECT_EQ(back->Get("dBirthday").ToText(), "1990-02-28");
    EXPECT_FALSE(back->Get("bMajor").ToBool());
    EXPECT_EQ(back->Get("tkts").ToInt(), rs->Get("tkts").ToInt());
    back->Set("iCount", 7);  // a row read with its version writes back and reads the new one
    back->Update();
    EXPECT_GT(back->Get("tkts").ToInt(), rs->Get("tkts").ToInt());
    // A new version on every write of the row, even of an unchanged value; none on reads or
    // on other rows' writes.
    auto version = [&] { return Open("SELECT tkts FROM Contact WHERE cCode = N'V0100000099'")->Get(0).ToInt(); };
    const auto first = version();
    EXPECT_EQ(version(), first);
    conn->Execute("update Contact set cName = cName where cCode = N'V0100000099'");
    const auto second = version();
    EXPECT_GT(second, first);
    conn->Execute("update Contact set iCount = 1 where cCode = N'V0100000002'");
    EXPECT_EQ(version(), second);
}

TEST_P(RowsetTest, AChangedOrVanishedRowFailsTheUpdateAndTheDatabaseKeepsTheOtherWrite) {
    const std::string row = "SELECT * FROM Contact WHERE cCode = N'V0200000001'";
    const std::pair<const char*, const char*> others[] = {
        {"update Contact set cName = N'theirs' where cCode = N'V0200000001'", "theirs"},
        {"delete from Contact where cCode = N'V0200000001'", nullptr},
    };
    for (const auto& [write, left] : others) {
        SCOPED_TRACE(write);
        auto mine = Open(row);
        conn->Execute(write);
        mine->Set("cName", "mine");
        EXPECT_EQ(Thrown([&] { mine->Update(); }).Number(), errnum::RowChanged);
        EXPECT_TRUE(mine->EditPending());  // what the user typed is still there
        EXPECT_EQ(mine->Get("cName").ToText(), "mine");
        auto now = Open(row);
        EXPECT_EQ(now->Eof() ? "" : now->Get("cName").ToText(), left ? left : "");
    }
}

TEST_P(RowsetTest, RowsWithoutVersionOrKeyAreFoundByTheirOriginalValues) {
    auto a = Open("SELECT cCode, cName FROM Contact WHERE cCode = N'V0200000001'");
    auto b = Open("SELECT cCode, cName FROM Contact WHERE cCode = N'V0200000001'");
    a->Set("cName", "first");
    a->Update();
    b->Set("cName", "second");
    EXPECT_THROW(b->Update(), Error);
    a->Set("cName", "again");
    a->Update();  // a re-read what it wrote, so its second write finds the row
    EXPECT_EQ(Open("SELECT cName FROM Contact WHERE cCode = N'V0200000001'")->Get(0).ToText(), "again");
}

TEST_P(RowsetTest, BadValuesFailOnAssignmentBeforeAnythingIsWritten) {
    auto rs = Open("SELECT oid, cName, bMajor, iCount, dBirthday, nAmount, nRate FROM Contact "
                   "WHERE cCode = N'V0200000001'");
    const struct { const char* field; Value value; const char* message; /* part of the refusal */ } cases[] = {
        {"bMajor", "perhaps", "to data type bit"},
        {"iCount", "1.5", "converting the nvarchar value '1.5' to data type smallint"},
        {"iCount", "40000", "overflowed an smallint column"}, {"iCount", "99999999999999999999", "overflowed"},
        {"iCount", Value(40000.0), "Arithmetic overflow error converting expression to data type smallint"},
        {"iCount", Value(1e300), "Arithmetic overflow"}, {"nAmount", "1e4", "Cannot convert a char value to money"},
        {"nAmount", "922337203685478", "Arithmetic overflow error converting expression to data type money"},
        {"nRate", "1e400", "Arithmetic overflow error converting nvarchar to data type numeric"},
        {"nRate", "10000000", "Arithmetic overflow"},  // decimal(10,3) holds 7 digits before the point
        {"nRate", "inf", "Error converting data type nvarchar to numeric"},
        {"dBirthday", "2023-02-29", "date"}, {"cName", "一二三四五六七八九十一", "characters long"},
    };
    for (const auto& c : cases) {
        const std::string refusal = Thrown([&] { rs->Set(c.field, c.value); }).Description();
        EXPECT_NE(refusal.find(c.message), std::string::npos) << c.field << " " << c.value.ToText() << ": " << refusal;
        rs->CancelUpdate();
    }
    // Edges that fit: a number's fraction is dropped, as the server converts numeric to int.
    rs->Set("cName", "一二三四五六七八九十");  // ten characters fit a ten-character field
    rs->Set("iCount", Value(-32768.9));
    rs->Set("nRate", " 9999999.999 ");
    rs->Update();
    auto back = Open("SELECT cName, iCount, nRate FROM Contact WHERE cCode = N'V0200000001'");
    EXPECT_EQ(back->Get(0).ToText(), "一二三四五六七八九十");
    EXPECT_EQ(back->Get(1).ToInt(), -32768);
    EXPECT_DOUBLE_EQ(back->Get(2).ToDouble(), 9999999.999);
    auto computed = Open("SELECT cCode, LEN(cName) AS n FROM Contact");
    computed->Set("n", 3);
    EXPECT_THROW(computed->Update(), Error);  // nor is a computed field written
}

TEST_P(RowsetTest, ForwardOnlyReadsOnceInOrderAndOutlivesADatabaseSwitch) {
    sovrel::test::CreateDatabase(place, "tksystem", "CREATE TABLE t (a int);");
    auto rs = conn->OpenRowset("SELECT cCode FROM Contact ORDER BY cCode", CursorKind::ForwardOnly);
    EXPECT_TRUE(rs->IsForwardOnly());
    EXPECT_EQ(rs->RecordCount(), -1);
    conn->Execute("use tksystem");
    int n = 0;
    std::string last;
    for (; !rs->Eof(); rs->MoveNext(), ++n) last = rs->Get("cCode").ToText();
    EXPECT_EQ(n, 25);
    EXPECT_EQ(last, "V0200000025");
    EXPECT_THROW(rs->MoveFirst(), Error);
    EXPECT_THROW(rs->Clone(), Error);
}

INSTANTIATE_TEST_SUITE_P(Backends, RowsetTest, ::testing::ValuesIn(sovrel::test::kBackends),
                         sovrel::test::BackendTestName);

}  // namespace
