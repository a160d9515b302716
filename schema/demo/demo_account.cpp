#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "names.h"
#include "platform/db/connection.h"
#include "platform/error.h"
#include "platform/password.h"
#include "platform/text.h"
#include "random.h"
#include "schema/demo.h"

namespace schema {
namespace {

using platform::db::Connection;
using platform::db::DateTime;
using platform::db::Value;
namespace fs = std::filesystem;
using namespace demo;

constexpr long kMaxContacts = 10'000'000;
constexpr long kMaxVendors = 1'000'000;
constexpr int kMaxLevel = 5;  // a tree at most six levels deep

[[noreturn]] void Fail(const std::string& description) {
    throw platform::Error(platform::errnum::InvalidOperation, "schema::demo", description);
}

std::string S(std::string_view v) { return std::string(v); }
// Joins parts evaluated left to right (a braced list is; the operands of + are not), so that
// the random draws inside come in the same order on every compiler.
std::string Cat(std::initializer_list<std::string> parts) {
    std::string s;
    for (const auto& p : parts) s += p;
    return s;
}
Value Text(std::string_view v) { return Value(std::string(v)); }
Value TextOrNull(std::string_view v) { return v.empty() ? Value::Null() : Text(v); }
Value IdOrNull(int id) { return id == 0 ? Value::Null() : Value(id); }
DateTime Date(int y, int m, int d) { return DateTime{y, m, d, 0, 0, 0}; }

std::string Digits(Random& rng, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += static_cast<char>('0' + rng.Below(10));
    return s;
}

std::string ZeroPad(long number, int width) {
    std::string s = std::to_string(number);
    if (static_cast<int>(s.size()) < width) s.insert(0, width - s.size(), '0');
    return s;
}

DateTime RandomDate(Random& rng, const DateTime& from, const DateTime& to) {
    const std::int64_t days = (to.Serial() - from.Serial()) / 86400;
    return DateTime::FromSerial(from.Serial() + static_cast<std::int64_t>(rng.Below(days + 1)) * 86400);
}

// A GUID text in braces, upper case, version 4 layout, drawn from the generator.
std::string RandomGuid(Random& rng) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string s = "{";
    for (int i = 0; i < 32; ++i) {
        if (i == 8 || i == 12 || i == 16 || i == 20) s += '-';
        int nibble = static_cast<int>(rng.Below(16));
        if (i == 12) nibble = 4;
        if (i == 16) nibble = 8 + (nibble & 3);
        s += hex[nibble];
    }
    return s + "}";
}

// Resident identity number: region, birth date, serial, ISO 7064 check character.
std::string IdentityNumber(Random& rng, const DateTime& birthday, bool male) {
    char date[16];
    std::snprintf(date, sizeof date, "%04d%02d%02d", birthday.year, birthday.month, birthday.day);
    std::string s = Cat({"3101", ZeroPad(rng.Between(1, 20), 2), date, Digits(rng, 2)});
    s += static_cast<char>('0' + (male ? 1 + 2 * rng.Below(5) : 2 * rng.Below(5)));
    static constexpr int weights[] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    int sum = 0;
    for (int i = 0; i < 17; ++i) sum += (s[i] - '0') * weights[i];
    return s + "10X98765432"[sum % 11];
}

// One prepared INSERT, run once per row with the values in column order.
class Inserter {
public:
    Inserter(Connection& connection, std::string_view table,
             std::initializer_list<std::string_view> columns)
        : table_(table), columns_(columns.size()) {
        std::string names, marks;
        for (auto c : columns) {
            names += (names.empty() ? "" : ", ") + S(c);
            marks += marks.empty() ? "?" : ", ?";
        }
        command_ = connection.Prepare("INSERT INTO " + S(table) + " (" + names + ") VALUES (" + marks + ")");
    }

    void Add(std::initializer_list<Value> values) {
        if (values.size() != columns_)
            Fail("internal: " + table_ + " row has " + std::to_string(values.size()) +
                 " values for " + std::to_string(columns_) + " columns");
        int i = 1;
        for (const auto& v : values) command_->Bind(i++, v);
        command_->Execute();
        ++rows_;
    }
    long Rows() const { return rows_; }

private:
    std::string table_;
    std::size_t columns_;
    std::unique_ptr<platform::db::Command> command_;
    long rows_ = 0;
};

// ---- Reference rows shared by every demo account ------------------------------------------

struct UserDefItem {
    int item;
    std::string_view name, type, defaultValue;
    bool fixLength;
    int length, decimals;
    bool check;
    int dataSource;
    std::string_view relArchive, relField;
    bool archive;
    std::string_view listId;
};
constexpr UserDefItem kContactItems[] = {
    {1, "微信号", "text", "", false, 30, 0, false, 0, "", "", false, "VC01"},
    {2, "联系人级别", "text", "B级", false, 10, 0, true, 0, "", "", false, "VC02"},
    {3, "", "text", "", false, 0, 0, false, 0, "", "", false, "VC03"},
    {4, "对接部门", "text", "", false, 60, 0, true, 1, "Department", "cDepName", false, "VC04"},
    {5, "常用语言", "text", "", false, 20, 0, true, 0, "", "", true, "VC05"},
    {6, "证件号码", "text", "", true, 18, 0, false, 0, "", "", false, "VC06"},
    {7, "", "text", "", false, 0, 0, false, 0, "", "", false, "VC07"},
    {8, "", "text", "", false, 0, 0, false, 0, "", "", false, "VC08"},
    {9, "", "text", "", false, 0, 0, false, 0, "", "", false, "VC09"},
    {10, "", "text", "", false, 0, 0, false, 0, "", "", false, "VC10"},
    {11, "合作年限", "int", "", false, 3, 0, false, 0, "", "", false, "VC11"},
    {12, "年采购次数", "int", "", false, 6, 0, false, 0, "", "", false, "VC12"},
    {13, "信用额度", "decimal", "", false, 18, 2, false, 0, "", "", false, "VC13"},
    {14, "满意度", "decimal", "", false, 4, 1, false, 0, "", "", false, "VC14"},
    {15, "首次合作日期", "date", "", false, 0, 0, false, 0, "", "", false, "VC15"},
    {16, "下次回访日期", "date", "", false, 0, 0, false, 0, "", "", false, "VC16"},
};
// The English names of kBaseCodes, by ID - 1, and of kContactItems, by item - 1.
constexpr std::string_view kBaseCodeEnglish[] = {
    "Male",       "Female",      "General Manager", "Manager",          "Purchasing Supervisor",
    "Sales Manager", "Sales Representative", "Finance Supervisor", "Engineer", "Customer Service",
    "Sports",     "Reading",     "Music",           "Travel",           "Photography",
    "Food",       "Married",     "Single",          "Divorced",
};
constexpr std::string_view kContactItemEnglish[] = {
    "WeChat ID", "Contact Level", "", "Liaison Department", "Preferred Language", "ID Number", "", "", "", "",
    "Years of Cooperation", "Purchases per Year", "Credit Limit", "Satisfaction", "First Cooperation", "Next Follow-up",
};
static_assert(std::size(kBaseCodeEnglish) == std::size(kBaseCodes));
static_assert(std::size(kContactItemEnglish) == std::size(kContactItems));

struct ListValue {
    std::string_view id, value, alias;
};
constexpr ListValue kListValues[] = {
    {"VC02", "A级", "A"}, {"VC02", "B级", "B"}, {"VC02", "C级", "C"},
    {"VC05", "中文", "Chinese"}, {"VC05", "英语", "English"}, {"VC05", "日语", "Japanese"},
    {"VC05", "德语", "German"},
};
constexpr std::string_view kLevels[] = {"A级", "B级", "C级"};

void WriteReferenceRows(Connection& db) {
    Inserter baseCodes(db, "Crm_BaseCode", {"ID", "cCode", "cType", "cName", "bEdit"});
    for (const auto& b : kBaseCodes)
        baseCodes.Add({b.id, Text(b.code), Text(b.type), Text(b.name), false});

    // English names of the base codes and the contact's user-defined items, for en-US users.
    Inserter localNames(db, "Crm_LocalName", {"cTable", "cKey", "cLanguage", "cName"});
    for (const auto& b : kBaseCodes)
        localNames.Add({"Crm_BaseCode", std::to_string(b.id), "en-US", Text(kBaseCodeEnglish[b.id - 1])});
    for (const auto& u : kContactItems)
        if (!u.name.empty())
            localNames.Add({"userdef", std::string(kContactUserDefClass) + ".自定义项" + std::to_string(u.item), "en-US",
                            Text(kContactItemEnglish[u.item - 1])});

    Inserter departments(db, "Department",
                         {"cDepCode", "cDepName", "iDepGrade", "bDepEnd", "cDepPerson", "cDepPhone"});
    for (const auto& d : kDepartments) {
        const bool child = d.code.size() > 2;
        const bool parent = !child && (d.code == "01");
        std::string_view head;
        for (const auto& e : kEmployees)
            if (e.department == d.code) {
                head = e.code;
                break;
            }
        departments.Add({Text(d.code), Text(d.name), child ? 2 : 1, !parent, TextOrNull(head),
                         Text("021-6288" + S(d.code.substr(0, 2)) + "00")});
    }

    Inserter persons(db, "Person", {"cPersonCode", "cPersonName", "cDepCode", "cPersonPhone",
                                    "cPersonEmail", "cPersonProp", "dPValidDate", "bPersonActive"});
    int n = 0;
    for (const auto& e : kEmployees) {
        persons.Add({Text(e.code), Text(e.name), Text(e.department), Text(e.mobile), Text(e.email),
                     Text(e.position), Date(2010 + n, 3 + n, 1 + 2 * n), true});
        ++n;
    }

    Inserter userdef(db, "userdef",
                     {"cClass", "cItem", "cItemName", "cItemType", "cDefaultVal", "bInput",
                      "bFixLength", "iLength", "iDecimalDigits", "bCheckVal", "iDataSource",
                      "cRelArchive", "cRelField", "bArchive", "cId"});
    for (const auto& u : kContactItems)
        userdef.Add({Text(kContactUserDefClass), "自定义项" + std::to_string(u.item),
                     Text(u.name), Text(u.type), Text(u.defaultValue), false, u.fixLength,
                     u.length ? Value(u.length) : Value::Null(),
                     u.type == "decimal" ? Value(u.decimals) : Value::Null(), u.check,
                     u.dataSource, TextOrNull(u.relArchive), TextOrNull(u.relField), u.archive,
                     Text(u.listId)});
    // Other archives' items, so that readers must pick the contact class.
    userdef.Add({"联系人", "自定义项13", "年销售额", "decimal", "", false, false, 18, 4, false, 0,
                 Value::Null(), Value::Null(), false, "CC13"});
    userdef.Add({"联系人", "自定义项14", "拜访次数", "decimal", "", false, false, 6, 0, false, 0,
                 Value::Null(), Value::Null(), false, "CC14"});
    userdef.Add({"供应商", "自定义项1", "供应商等级", "text", "合格", true, false, 10,
                 Value::Null(), true, 0, Value::Null(), Value::Null(), false, "VD01"});
    userdef.Add({"供应商", "自定义项2", "结算方式", "text", "", false, false, 20, Value::Null(),
                 false, 0, Value::Null(), Value::Null(), false, "VD02"});

    Inserter userdefine(db, "userdefine", {"cId", "cValue", "cAlias"});
    for (const auto& v : kListValues) userdefine.Add({Text(v.id), Text(v.value), Text(v.alias)});
    userdefine.Add({"VD01", "合格", Value::Null()});
    userdefine.Add({"VD01", "优选", Value::Null()});

    Inserter relations(db, "crm_ref_relation",
                       {"creferencedtablename", "creferencedtablekey", "creferencingtablename",
                        "creferencingtablecolumn", "cwherepart", "cObjName"});
    relations.Add({"Ven_Contact", "cContactCode", "PO_Pomain", "cContactCode", "", "采购订单"});
    relations.Add({"Ven_Contact", "oid", "Crm_VisitLog", "cContactID", "bDeleted = 0", "拜访记录"});
    relations.Add({"vendor", "cVenCode", "Ven_Contact", "cVenCode", "", "供应商联系人"});
    relations.Add({"vendor", "cVenCode", "PO_Pomain", "cVenCode", "", "采购订单"});
    relations.Add({"Person", "cPersonCode", "Ven_Contact", "cPrincipal", "", "供应商联系人"});
    relations.Add({"Person", "cPersonCode", "PO_Pomain", "cPersonCode", "", "采购订单"});

    Inserter captions(db, "Rpt_GRPDef", {"SystemId", "TableName", "TableDefine"});
    captions.Add({"AA", "vendor", "供应商档案"});
    captions.Add({"AA", "Person", "职员档案"});
    captions.Add({"AA", "Department", "部门档案"});
    captions.Add({"AA", "Warehouse", Value::Null()});  // caption not maintained
    captions.Add({"CM", "Ven_Contact", "供应商联系人"});
    captions.Add({"CM", "Crm_BaseCode", "基础代码"});
    captions.Add({"CM", "Crm_VisitLog", "拜访记录"});
    captions.Add({"PU", "PO_Pomain", "采购订单"});
    captions.Add({"PU", "vendor", "供应商"});
}

void WriteSystemRows(Connection& db, long vendors, platform::PasswordCost cost) {
    const DateTime created = Date(kDemoAccountYear, 1, 1);
    Inserter accounts(db, "UA_Account",
                      {"cAcc_Id", "iYear", "cAcc_Name", "cDatabase", "cDataSource", "dCreateDate"});
    accounts.Add({Text(kDemoAccountId), kDemoAccountYear, "演示企业（上海）有限公司",
                  Text(kDemoAccountDatabase), "", created});

    Inserter subs(db, "UA_Account_Sub", {"cAcc_Id", "iYear", "cSub_Id", "cSub_Name", "dSubSysUsed",
                                         "cUser_Id", "iModiPeriod", "bClosing"});
    const std::pair<std::string_view, std::string_view> subsystems[] = {
        {"AS", "公共档案"}, {"CM", "客户关系管理"}, {"PU", "采购管理"}, {"SA", "销售管理"}};
    for (const auto& [id, name] : subsystems)
        subs.Add({Text(kDemoAccountId), kDemoAccountYear, Text(id), Text(name), created,
                  Text(kDemoUser), id == "PU" ? 5 : 0, false});

    Inserter users(db, "UA_User",
                   {"cUser_Id", "cUser_Name", "cEmployeeId", "cPasswordHash", "cLanguage", "cEmail"});
    // A hash of its own for each user: one salt per user, as for any password.
    auto hash = [&] { return platform::HashPassword(kDemoPassword, cost); };
    users.Add({Text(kDemoUser), "演示用户", "0001", hash(), "zh-CN", "chenjing@sovrel-demo.cn"});
    users.Add({Text(kDemoEnglishUser), "Demo User", "0002", hash(), "en-US", "zhouming@sovrel-demo.cn"});
    users.Add({Text(kLimitedUser), "受限用户", "0004", hash(), "zh-CN", "zhengli@sovrel-demo.cn"});

    Inserter functions(db, "UA_Function", {"cFuncId", "cFuncName", "cSub_Id"});
    const std::string_view functionNames[] = {"供应商联系人-修改", "供应商联系人-查询",
                                              "供应商联系人-发送邮件短信", "供应商联系人-打印输出",
                                              "供应商联系人-增加", "供应商联系人-删除"};
    for (std::size_t i = 0; i < std::size(kFunctionCodes); ++i)
        functions.Add({Text(kFunctionCodes[i]), Text(functionNames[i]), "AS"});
    functions.Add({Text(kAdministrationFunction), "系统管理", "AA"});

    Inserter rights(db, "UA_FuncRight", {"cUser_Id", "cFuncId"});
    for (auto code : kFunctionCodes) {
        rights.Add({Text(kDemoUser), Text(code)});
        rights.Add({Text(kDemoEnglishUser), Text(code)});
        if (code == "AS020302" || code == "AS020304") rights.Add({Text(kLimitedUser), Text(code)});
    }

    rights.Add({Text(kDemoUser), Text(kAdministrationFunction)});

    Inserter rowAuth(db, "UA_RowAuth", {"cUser_Id", "cBusObId", "cAuthString"});
    rowAuth.Add({Text(kLimitedUser), "vendor", Text(vendors >= 3 ? kLimitedVendorIds : "1")});
}

// ---- Vendors and contacts -------------------------------------------------------------------

struct VendorRow {
    long iId = 0;
    std::string code, name, abbName, domain, address, zip, phonePrefix, city;
    bool latin = false;
    std::string_view countryCode;  // Latin vendors: "+49" ...
    std::string_view bank;         // Latin vendors' bank
    std::string_view province;
    std::string_view principal;  // our employee in charge
    DateTime taken;
    std::string mainOid, mainName;
};

struct ContactRow {
    std::string oid, code, name, appellation, superior, mobile, email;
    std::string handle;  // Latin letters of the name, for mail and messenger accounts
    int sex = 0, duty = 0, taste = 0, marriage = 0;
    int level = 0;
    bool major = false;
    std::string_view principal;
    DateTime birthday, created;
    bool hasBirthday = false;
};

class Writer {
public:
    Writer(Connection& db, Random& rng)
        : rng_(rng),
          vendors_(db, "vendor",
                   {"iId", "cVenCode", "cVenName", "cVenAbbName", "cVCCode", "cDCCode", "cTrade",
                    "cVenAddress", "cVenPostCode", "cVenRegCode", "cVenBank", "cVenAccount",
                    "cVenPhone", "cVenFax", "cVenEmail", "cVenHand", "cVenPerson", "cVenPPerson",
                    "cVenDepart", "iVenCreLine", "iVenDisRate", "dVenDevDate", "cCreatePerson",
                    "cMemo", "cSovrelCode"}),
          contacts_(db, "Ven_Contact",
                    {"oid", "cContactCode", "cVenCode", "cContactName", "cAppellation", "bcSexID",
                     "cSuperiorID", "cNative", "bcDutyID", "dBirthday", "bcTasteID", "bcMarriageID",
                     "bMajor", "cPrincipal", "cCreator", "dCreateDate", "cOfficePhone",
                     "cHomePhone", "cMobilePhone", "cCall", "cZipcode", "cHomePage",
                     "cWorkAddress", "cHomeAddress", "cEmail", "cHomeMember", "cMemo",
                     "cConDefine1", "cConDefine2", "cConDefine4", "cConDefine5", "cConDefine6",
                     "cConDefine11", "cConDefine12", "cConDefine13", "cConDefine14",
                     "cConDefine15", "cConDefine16"}),
          orders_(db, "PO_Pomain",
                  {"cPOID", "dPODate", "cVenCode", "cContactCode", "cPersonCode", "cDepCode",
                   "cState", "iTaxRate", "iSum", "cMaker", "cVerifier", "cMemo"}),
          visits_(db, "Crm_VisitLog", {"cVenCode", "cContactID", "dVisitDate", "cPersonCode",
                                       "cSubject", "cContent", "bDeleted"}) {}

    void AddVendor(const VendorRow& v, long contacts) {
        const Value link = v.mainOid.empty() ? Value::Null() : Text(v.mainOid);
        const std::string phone = Phone(v);
        const std::string registration =
            v.latin ? "" : "91" + S(v.province == "上海" ? "310" : "320") + Digits(rng_, 13);
        vendors_.Add({v.iId, Text(v.code), Text(v.name), Text(v.abbName),
                      Text(v.latin ? "02" : "01"),
                      Text(v.latin ? "09" : "0" + std::to_string(1 + v.iId % 7)),
                      Text(v.latin ? "Import" : "制造业"), Text(v.address), Text(v.zip),
                      TextOrNull(registration),
                      Text(v.latin ? S(v.bank) : S(rng_.Pick(kBanks))), Text(Digits(rng_, 19)),
                      Text(phone), Text(phone.substr(0, phone.size() - 2) + "99"),
                      Text("info@" + v.domain), Text(Mobile(v)), Text(v.mainName),
                      Text(v.principal), Text(v.principal == "0004" ? "0102" : "0101"),
                      static_cast<double>(rng_.Between(5, 200) * 10000), rng_.Between(0, 8) * 0.5,
                      v.taken, Text(kDemoUser),
                      contacts == 0 ? Text("新供应商，尚未建立联系人") : Value::Null(), link});
    }

    void AddContact(const VendorRow& v, const ContactRow& c) {
        Random& r = rng_;
        const bool chinese = !v.latin;
        std::string office = Phone(v);
        if (r.Percent(30)) office += (chinese ? "-" : " ext. ") + Digits(r, 3);
        const Value home = r.Percent(30) ? Text(Phone(v)) : Value::Null();
        const Value pager = r.Percent(3) ? Text("126-" + Digits(r, 7)) : Value::Null();
        const Value homePage = r.Percent(4) ? Text("https://weibo.com/u/" + Digits(r, 10)) : Value::Null();
        const Value homeAddress =
            chinese && r.Percent(25)
                ? Text(Cat({v.city, "市", S(r.Pick(kHousingEstates)), std::to_string(r.Between(1, 30)),
                            "栋", std::to_string(r.Between(101, 2505)), "室"}))
                : Value::Null();
        const Value family = chinese && r.Percent(10) ? Text(r.Pick(kFamilies)) : Value::Null();
        const Value memo = r.Percent(15) ? Text(r.Pick(kMemos)) : Value::Null();
        const Value native = chinese ? (r.Percent(85) ? Text(r.Pick(kProvinces)) : Value::Null())
                                     : (r.Percent(50) ? Text(v.city) : Value::Null());
        const Value creator = Text(r.Percent(60) ? "演示用户" : S(kEmployees[r.Below(3)].name));

        const Value wechat = chinese && r.Percent(50) ? Text("wx_" + c.handle + Digits(r, 2)) : Value::Null();
        const Value level = r.Percent(70) ? Text(r.Pick(std::span<const std::string_view>(kLevels))) : Value::Null();
        const Value department = r.Percent(30) ? Text(kDepartments[r.Below(std::size(kDepartments))].name) : Value::Null();
        const Value language = r.Percent(40) ? Text(chinese ? (r.Percent(80) ? "中文" : "英语")
                                                            : (r.Percent(50) ? "英语" : "德语"))
                                             : Value::Null();
        const Value identity = chinese && c.hasBirthday && r.Percent(10)
                                   ? Text(IdentityNumber(r, c.birthday, c.sex == kSexMale))
                                   : Value::Null();
        const Value years = r.Percent(60) ? Value(static_cast<int>(r.Between(0, 20))) : Value::Null();
        const Value orders = r.Percent(40) ? Value(static_cast<int>(r.Between(0, 50))) : Value::Null();
        const Value credit = r.Percent(30) ? Value(r.Between(1000000, 50000000) / 100.0) : Value::Null();
        const Value rating = r.Percent(50) ? Value(r.Between(10, 50) / 10.0) : Value::Null();
        const Value firstDeal = r.Percent(60) ? Value(v.taken) : Value::Null();
        const Value nextVisit = r.Percent(40) ? Value(RandomDate(r, Date(2024, 7, 1), Date(2024, 12, 31)))
                                              : Value::Null();

        contacts_.Add({Text(c.oid), Text(c.code), Text(v.code), Text(c.name), Text(c.appellation),
                       IdOrNull(c.sex), TextOrNull(c.superior), native, IdOrNull(c.duty),
                       c.hasBirthday ? Value(c.birthday) : Value::Null(), IdOrNull(c.taste),
                       IdOrNull(c.marriage), c.major, TextOrNull(c.principal), creator, c.created,
                       Text(office), home, TextOrNull(c.mobile), pager, Text(v.zip), homePage,
                       r.Percent(90) ? Text(v.address) : Value::Null(), homeAddress,
                       TextOrNull(c.email), family, memo, wechat, level, department, language,
                       identity, years, orders, credit, rating, firstDeal, nextVisit});

        if (!randomReferences_) return;
        if (r.Percent(14)) AddOrder(v, c);
        if (r.Percent(9)) AddVisit(v, c, r.Percent(10));
    }
    // The fixed account writes its referring rows itself.
    void SetRandomReferences(bool on) { randomReferences_ = on; }

    void AddOrder(const VendorRow& v, const ContactRow& c) {
        const std::string_view buyer = c.principal.empty() ? v.principal : c.principal;
        std::string_view department = "01";
        for (const auto& e : kEmployees)
            if (e.code == buyer) department = e.department;
        static constexpr std::string_view states[] = {"开立", "审核", "审核", "关闭"};
        const std::string_view state = rng_.Pick(std::span<const std::string_view>(states));
        orders_.Add({"PO" + std::to_string(kDemoAccountYear) + ZeroPad(orders_.Rows() + 1, 6),
                     RandomDate(rng_, Date(2024, 1, 2), Date(2024, 6, 28)), Text(v.code), Text(c.code),
                     Text(buyer), Text(department), Text(state), 13.0,
                     static_cast<double>(rng_.Between(100000, 50000000)) / 100.0, "演示用户",
                     state == "开立" ? Value::Null() : Value(std::string("陈静")), Value::Null()});
    }

    void AddVisit(const VendorRow& v, const ContactRow& c, bool withdrawn) {
        const std::string_view subject = rng_.Pick(kVisitSubjects);
        visits_.Add({Text(v.code), Text(c.oid), RandomDate(rng_, Date(2023, 1, 1), Date(2024, 6, 30)),
                     Text(v.principal), Text(subject), Text(S(subject) + "：" + c.name), withdrawn});
    }

    std::string Mobile(const VendorRow& v) {
        if (v.latin) return S(v.countryCode) + " 170 " + Digits(rng_, 7);
        static constexpr std::string_view prefixes[] = {"130", "135", "138", "139", "150",
                                                        "158", "186", "189", "177", "199"};
        const std::string_view prefix = rng_.Pick(std::span<const std::string_view>(prefixes));
        return S(prefix) + Digits(rng_, 8);
    }

    // A land line: area code and 8 digits (7 after a 4-digit code), or an international number.
    std::string Phone(const VendorRow& v) {
        if (v.latin) return Cat({S(v.countryCode), " ", Digits(rng_, 3), " ", Digits(rng_, 7)});
        const std::string first = std::to_string(rng_.Between(2, 8));  // no line starts with 0, 1 or 9
        return v.phonePrefix + first + Digits(rng_, v.phonePrefix.size() > 4 ? 6 : 7);
    }

    long Orders() const { return orders_.Rows(); }
    long Visits() const { return visits_.Rows(); }

private:
    Random& rng_;
    Inserter vendors_, contacts_, orders_, visits_;
    bool randomReferences_ = true;
};

// Names, short names and mail domains already given, so that each vendor gets its own.
struct Taken {
    std::set<std::string> names, abbNames, domains;
    // The first candidate not yet given (callers end the list with one made unique by the id).
    static std::string Claim(std::set<std::string>& set, std::initializer_list<std::string> candidates) {
        for (const auto& c : candidates)
            if (set.insert(c).second) return c;
        return *(candidates.end() - 1);
    }
};

VendorRow MakeVendor(Random& r, long index, int codeWidth, Taken& taken) {
    VendorRow v;
    v.iId = index + 1;
    v.code = "V" + ZeroPad(index + 1, codeWidth);
    v.latin = r.Percent(22);
    v.principal = kEmployees[1 + r.Below(3)].code;  // purchasing staff 0002..0004
    v.taken = RandomDate(r, Date(2012, 1, 1), Date(2023, 12, 31));
    if (!v.latin) {
        const City& city = r.Pick(kCities);
        const Syllable& brand = r.Pick(kBrands);
        const Industry& industry = r.Pick(kIndustries);
        const std::string_view suffix = r.Pick(kCompanySuffixes);
        const City& branch = r.Pick(kCities);  // where a second company of the name sits
        const std::string id = std::to_string(v.iId);
        const std::string name = S(brand.hanzi) + S(industry.name);
        v.name = Taken::Claim(taken.names, {S(city.name) + name + S(suffix),
                                            name + "（" + S(branch.name) + "）" + S(suffix),
                                            name + "（" + S(branch.name) + id + "）" + S(suffix)});
        const std::string abb = S(brand.hanzi) + S(industry.shortName);
        v.abbName = Taken::Claim(taken.abbNames, {abb, S(city.name) + abb, S(city.name) + abb + id});
        const std::string site = S(brand.pinyin) + "-" + S(industry.tag);
        v.domain = Taken::Claim(taken.domains, {site + ".com.cn", S(city.pinyin) + site + ".com.cn",
                                                S(city.pinyin) + site + id + ".com.cn"});
        v.city = S(city.name);
        v.province = city.province;
        v.zip = S(city.zip) + Digits(r, 3);
        v.phonePrefix = S(city.areaCode) + "-";
        v.address = Cat({v.city, "市", S(r.Pick(kDistricts)), S(r.Pick(kStreets)),
                         std::to_string(r.Between(1, 999)), "号"});
    } else {
        const std::string_view brand = r.Pick(kLatinBrands);
        const std::string_view trade = r.Pick(kLatinTrades);
        const Country& country = r.Pick(kCountries);
        static constexpr std::string_view regions[] = {"Asia", "Europe", "International",
                                                       "Trading", "Holding", "Services"};
        const std::string_view region = r.Pick(std::span<const std::string_view>(regions));
        const std::string id = std::to_string(v.iId);
        const std::string name = S(brand) + " " + S(trade) + " ";
        v.name = Taken::Claim(taken.names, {name + S(country.suffix), name + S(region) + " " + S(country.suffix),
                                            name + S(region) + " " + id + " " + S(country.suffix)});
        const std::string tradeWord = S(trade.substr(0, trade.find(' ')));
        v.abbName = Taken::Claim(taken.abbNames, {S(brand), S(brand) + " " + tradeWord,
                                                  S(brand) + " " + tradeWord + " " + id});
        const std::string site = platform::text::LCase(S(brand) + "-" + tradeWord);
        const std::string tld = "." + S(country.tld);
        v.domain = Taken::Claim(taken.domains, {site + tld, site + "-" + platform::text::LCase(region) + tld,
                                                site + id + tld});
        v.city = S(country.city);
        v.countryCode = country.callingCode;
        v.bank = country.bank;
        v.zip = S(country.zip);
        v.phonePrefix = S(country.callingCode) + " ";
        v.address = S(country.street) + " " + std::to_string(r.Between(1, 250)) + ", " +
                    S(country.zip) + " " + S(country.city) + ", " + S(country.country);
    }
    return v;
}

int DutyFor(Random& r, int level) {
    if (r.Percent(5)) return 0;
    switch (level) {
        case 0: return kDutyGeneralManager;
        case 1: return r.Percent(50) ? kDutyManager : (r.Percent(50) ? kDutySales : kDutyFinance);
        case 2: return r.Percent(40) ? kDutyBuyer : (r.Percent(50) ? kDutySales : kDutyEngineer);
        default: return r.Percent(50) ? kDutyClerk : (r.Percent(50) ? kDutyService : kDutyEngineer);
    }
}

// The contacts of one vendor: the first three form a chain, later ones join the tree under a
// random earlier contact (or start a second tree now and then).
std::vector<ContactRow> MakeContacts(Random& r, Writer& writer, const VendorRow& v, long count) {
    std::vector<ContactRow> contacts(count);
    std::vector<DateTime> created(count);
    for (auto& d : created) d = RandomDate(r, v.taken, Date(2024, 6, 30));
    std::sort(created.begin(), created.end(),
              [](const DateTime& a, const DateTime& b) { return a.Serial() < b.Serial(); });
    std::set<std::string> mails;
    for (long j = 0; j < count; ++j) {
        ContactRow& c = contacts[j];
        c.oid = RandomGuid(r);
        c.code = v.code + ZeroPad(j + 1, 8);
        c.created = created[j];
        if (j < 3) {
            c.level = static_cast<int>(j);
            if (j > 0) c.superior = contacts[j - 1].code;
        } else if (!r.Percent(6)) {
            long parent = static_cast<long>(r.Below(j));
            if (contacts[parent].level >= kMaxLevel) {
                // climb to an ancestor that may still take subordinates
                while (contacts[parent].level >= kMaxLevel) {
                    const std::string& up = contacts[parent].superior;
                    parent = std::stol(up.substr(v.code.size())) - 1;
                }
            }
            c.superior = contacts[parent].code;
            c.level = contacts[parent].level + 1;
        }
        c.sex = r.Percent(55) ? kSexMale : kSexFemale;
        const bool male = c.sex == kSexMale;
        std::string local;
        if (!v.latin) {
            const Syllable& surname = r.Pick(kSurnames);
            const Syllable& given = r.Pick(male ? kMaleGiven : kFemaleGiven);
            c.name = S(surname.hanzi) + S(given.hanzi);
            local = S(given.pinyin) + "." + S(surname.pinyin);
            c.appellation = S(surname.hanzi) + (c.level == 0 ? "总" : (male ? "先生" : "女士"));
        } else {
            const std::string_view first = r.Pick(male ? kLatinMale : kLatinFemale);
            const std::string_view last = r.Pick(kLatinSurnames);
            c.name = S(first) + " " + S(last);
            std::string folded = platform::text::LCase(S(first) + "." + S(last));
            for (auto [from, to] : {std::pair{"ü", "ue"}, {"ö", "oe"}, {"ä", "ae"}, {"é", "e"},
                                    {"è", "e"}, {"í", "i"}})
                folded = platform::text::Replace(folded, from, to);
            for (char ch : folded)
                if ((ch >= 'a' && ch <= 'z') || ch == '.') local += ch;
            c.appellation = (male ? "Mr. " : "Ms. ") + S(last);
        }
        std::string unique = local;
        for (int n = 2; mails.count(unique); ++n) unique = local + std::to_string(n);
        mails.insert(unique);
        c.handle = unique;
        c.email = r.Percent(85) ? unique + "@" + v.domain : "";
        c.mobile = r.Percent(90) ? writer.Mobile(v) : "";
        c.duty = DutyFor(r, c.level);
        c.taste = r.Percent(70) ? static_cast<int>(r.Between(kTasteSport, kTasteFood)) : 0;
        c.hasBirthday = r.Percent(85);
        if (c.hasBirthday) c.birthday = RandomDate(r, Date(1962, 1, 1), Date(2000, 12, 31));
        c.marriage = r.Percent(75) ? kMarried : (r.Percent(85) ? kSingle : kDivorced);
        c.principal = r.Percent(80) ? v.principal
                                    : (r.Percent(50) ? kEmployees[r.Below(std::size(kEmployees))].code
                                                     : std::string_view());
        c.major = j == 0;
    }
    return contacts;
}

// How many contacts each vendor gets: one each, the rest by random weights; the last of three
// or more vendors gets none.
std::vector<long> SpreadContacts(Random& r, long contacts, long vendors) {
    std::vector<long> counts(vendors, 0);
    const long active = vendors >= 3 ? vendors - 1 : vendors;
    if (active == 0 || contacts == 0) return counts;
    if (contacts <= active) {
        for (long i = 0; i < contacts; ++i) counts[i] = 1;
        return counts;
    }
    const long rest = contacts - active;
    std::vector<long> weights(active);
    long total = 0;
    for (auto& w : weights) total += (w = r.Between(1, 8));
    long given = 0;
    for (long i = 0; i < active; ++i) {
        counts[i] = 1 + static_cast<long>(static_cast<long double>(rest) * weights[i] / total);
        given += counts[i] - 1;
    }
    for (; given < rest; ++given) ++counts[r.Below(active)];
    return counts;
}

void WriteGeneratedRows(Connection& db, const DemoOptions& options, long vendors, DemoSummary& summary) {
    Random r(options.seed);
    Writer writer(db, r);
    const std::vector<long> counts = SpreadContacts(r, options.contacts, vendors);
    const int codeWidth = std::max<int>(3, static_cast<int>(std::to_string(vendors).size()));
    Taken taken;
    for (long i = 0; i < vendors; ++i) {
        VendorRow v = MakeVendor(r, i, codeWidth, taken);
        const std::vector<ContactRow> contacts = MakeContacts(r, writer, v, counts[i]);
        for (const auto& c : contacts) writer.AddContact(v, c);
        if (!contacts.empty()) {
            v.mainOid = contacts.front().oid;
            v.mainName = contacts.front().name;
        }
        writer.AddVendor(v, counts[i]);
    }
    summary.vendors = vendors;
    summary.contacts = options.contacts;
    summary.purchaseOrders = writer.Orders();
    summary.visits = writer.Visits();
}

void WriteFixedRows(Connection& db, DemoSummary& summary) {
    Random r(20240101);
    Writer writer(db, r);
    writer.SetRandomReferences(false);
    for (const auto& f : fixed::kVendors) {
        VendorRow v;
        v.iId = f.iId;
        v.code = S(f.code);
        v.name = S(f.name);
        v.abbName = S(f.abbName);
        v.latin = f.code == "V02";
        v.principal = v.latin ? "0004" : "0002";
        v.taken = Date(2018, 5, 2 + static_cast<int>(f.iId));
        v.domain = v.latin ? "nordwind-supplies.de" : (f.code == "V01" ? "hdem.com.cn" : "xihu-pack.com.cn");
        v.city = v.latin ? "Hamburg" : (f.code == "V01" ? "上海" : "杭州");
        v.countryCode = "+49";
        v.bank = "Hamburger Sparkasse";
        v.province = v.latin ? "" : (f.code == "V01" ? "上海" : "浙江");
        v.zip = v.latin ? "20457" : (f.code == "V01" ? "200120" : "310012");
        v.phonePrefix = v.latin ? "+49 40 " : (f.code == "V01" ? "021-" : "0571-");
        v.address = v.latin ? "Am Sandtorkai 12, 20457 Hamburg, Germany"
                            : (f.code == "V01" ? "上海市浦东新区张江路88号" : "杭州市西湖区文三路199号");
        long count = 0;
        for (const auto& fc : fixed::kContacts) {
            if (fc.vendor != f.code) continue;
            ContactRow c;
            c.oid = S(fc.oid);
            c.code = S(fc.code);
            c.name = S(fc.name);
            c.appellation = S(fc.appellation);
            c.sex = fc.sex;
            c.duty = fc.duty;
            c.taste = fc.taste;
            c.marriage = fc.marriage;
            c.superior = S(fc.superior);
            c.principal = fc.principal;
            c.mobile = S(fc.mobile);
            c.email = S(fc.email);
            c.handle = c.email.empty() ? "contact" + c.code.substr(3) : c.email.substr(0, c.email.find('@'));
            c.major = fc.major;
            c.hasBirthday = true;
            c.birthday = Date(1975 + static_cast<int>(count) * 4, 1 + static_cast<int>(count), 15);
            c.created = Date(2019, 3, 1 + static_cast<int>(count));
            writer.AddContact(v, c);
            if (fc.code == f.mainContact) {
                v.mainOid = c.oid;
                v.mainName = c.name;
            }
            ++count;
        }
        writer.AddVendor(v, count);
    }
    ContactRow ordered, visited, withdrawn;
    for (const auto& fc : fixed::kContacts) {
        if (fc.code == fixed::kOrderedContact) ordered.code = S(fc.code);
        if (fc.code == fixed::kVisitedContact) visited.oid = S(fc.oid), visited.name = S(fc.name);
        if (fc.code == "V0100000004") withdrawn.oid = S(fc.oid), withdrawn.name = S(fc.name);
    }
    VendorRow v01;
    v01.code = "V01";
    v01.principal = "0002";
    writer.AddOrder(v01, ordered);
    writer.AddVisit(v01, visited, false);
    writer.AddVisit(v01, withdrawn, true);
    summary.vendors = static_cast<long>(std::size(fixed::kVendors));
    summary.contacts = static_cast<long>(std::size(fixed::kContacts));
    summary.purchaseOrders = writer.Orders();
    summary.visits = writer.Visits();
}

std::vector<fs::path> DatabaseFiles(const std::string& folder) {
    std::vector<fs::path> files;
    for (std::string_view db : {kSystemDatabase, kDemoAccountDatabase})
        for (std::string_view suffix : {".db", ".db-journal", ".db-wal", ".db-shm"})
            files.push_back(fs::path(folder) / (S(db) + S(suffix)));
    return files;
}

// Best effort: the error that brought us here is the one to report.
void RemoveCreated(const std::string& folder) {
    std::error_code ignored;
    for (const auto& f : DatabaseFiles(folder)) fs::remove(f, ignored);
}

// Creates both databases through a connection to `master` (a connection text without a
// catalog) and fills them with `fill`.
template <class FillAccount>
void Fill(const std::string& master, long vendors, platform::PasswordCost cost, DemoSummary& summary,
          FillAccount fillAccount) {
    auto db = std::make_shared<Connection>();
    db->Open(master);
    CreateSystemDatabase(*db);
    db->BeginTrans();
    WriteSystemRows(*db, vendors, cost);
    db->CommitTrans();

    CreateAccountDatabase(*db, kDemoAccountDatabase);
    db->BeginTrans();
    WriteReferenceRows(*db);
    fillAccount(*db, summary);
    db->CommitTrans();
    db->Close();
}

// Creates both databases and fills them with `fill`; on failure removes what it created.
template <class FillAccount>
DemoSummary Create(const std::string& folder, long vendors, platform::PasswordCost cost, FillAccount fillAccount) {
    if (folder.empty()) Fail("no folder given for the demo account");
    if (AccountExists(folder))
        Fail("an account already exists in '" + folder + "' (" + S(kSystemDatabase) + ".db or " +
             S(kDemoAccountDatabase) + ".db); remove it first to create a new one");
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) Fail("cannot create the folder '" + folder + "': " + ec.message());

    DemoSummary summary;
    summary.folder = folder;
    summary.connectionText = SqliteConnectionText(folder);
    try {
        Fill(SqliteConnectionText(folder, ""), vendors, cost, summary, fillAccount);
    } catch (const platform::Error& e) {
        RemoveCreated(folder);
        throw e.WithContext("while creating the demo account in " + folder);
    } catch (const std::exception& e) {
        RemoveCreated(folder);
        Fail("while creating the demo account in " + folder + ": " + e.what());
    }
    return summary;
}

// The same on a database server. The layer has no statement that drops a database, so a
// failure leaves what was created and says so.
template <class FillAccount>
DemoSummary CreateOn(const std::string& server, long vendors, platform::PasswordCost cost, FillAccount fillAccount) {
    if (!platform::db::ConnectionInfo::Parse(server).catalog.empty())
        Fail("the server's connection text names a database (Initial Catalog); leave it out");
    DemoSummary summary;
    summary.connectionText = ServerConnectionText(server, kDemoAccountDatabase);
    try {
        Fill(server, vendors, cost, summary, fillAccount);
    } catch (const platform::Error& e) {
        throw e.WithContext("while creating the demo account on the server (drop databases " + S(kSystemDatabase) +
                            " and " + S(kDemoAccountDatabase) + " there before trying again)");
    }
    return summary;
}

}  // namespace

bool AccountExists(const std::string& folder) {
    std::error_code ec;
    for (std::string_view db : {kSystemDatabase, kDemoAccountDatabase})
        if (fs::exists(fs::path(folder) / (S(db) + ".db"), ec)) return true;
    return false;
}

bool RemoveAccount(const std::string& folder) {
    const bool existed = AccountExists(folder);
    for (const auto& f : DatabaseFiles(folder)) {
        std::error_code ec;
        fs::remove(f, ec);
        if (ec)
            throw platform::Error(platform::errnum::InvalidOperation, "schema::demo",
                                  "cannot remove " + f.string() + ": " + ec.message());
    }
    return existed;
}

// The number of vendors to generate; refuses options out of range before anything is created.
static long VendorCount(const DemoOptions& options) {
    if (options.contacts < 0 || options.contacts > kMaxContacts)
        Fail("contacts must be between 0 and " + std::to_string(kMaxContacts) + ", not " +
             std::to_string(options.contacts));
    if (options.vendors < 0 || options.vendors > kMaxVendors)
        Fail("vendors must be between 0 and " + std::to_string(kMaxVendors) + ", not " +
             std::to_string(options.vendors));
    const long vendors = options.vendors > 0 ? options.vendors : std::max(1L, options.contacts / 10);
    return vendors;
}

DemoSummary CreateDemoAccount(const std::string& folder, const DemoOptions& options) {
    const long vendors = VendorCount(options);
    return Create(folder, vendors, options.passwordCost, [&](Connection& db, DemoSummary& summary) {
        WriteGeneratedRows(db, options, vendors, summary);
    });
}

DemoSummary CreateFixedAccount(const std::string& folder, platform::PasswordCost cost) {
    return Create(folder, static_cast<long>(std::size(fixed::kVendors)), cost,
                  [](Connection& db, DemoSummary& summary) { WriteFixedRows(db, summary); });
}

DemoSummary CreateDemoAccountOn(const std::string& server, const DemoOptions& options) {
    const long vendors = VendorCount(options);
    return CreateOn(server, vendors, options.passwordCost, [&](Connection& db, DemoSummary& summary) {
        WriteGeneratedRows(db, options, vendors, summary);
    });
}

namespace {

// Native statements of the server, one per call: a database cannot be renamed or dropped
// inside the transaction that a script of several statements runs in.
std::string PgName(std::string_view name) { return "\"" + platform::text::LCase(name) + "\""; }

void EndSessions(Connection& admin, std::string_view database) {
    admin.ExecuteScript("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '" +
                        platform::text::LCase(database) + "' AND pid <> pg_backend_pid()");
}

void DropIfExists(Connection& admin, std::string_view database) {
    admin.ExecuteScript("DROP DATABASE IF EXISTS " + PgName(database) + " WITH (FORCE)");
}

// Answers false when the database does not exist.
bool Rename(Connection& admin, std::string_view from, std::string_view to) {
    EndSessions(admin, from);
    try {
        admin.ExecuteScript("ALTER DATABASE " + PgName(from) + " RENAME TO " + PgName(to));
        return true;
    } catch (const platform::Error& e) {
        if (e.Description().find("does not exist") != std::string::npos) return false;
        throw;
    }
}

}  // namespace

DemoSummary ReplaceDemoAccountOn(const std::string& server, const DemoOptions& options) {
    (void)VendorCount(options);  // refuses bad options before anything is renamed
    if (!platform::text::EqualsNoCase(platform::db::ConnectionInfo::Parse(server).provider, "PostgreSQL"))
        Fail("replacing an account on a server is done on PostgreSQL only");
    Connection admin;
    admin.Open(server);
    const std::string_view names[] = {kSystemDatabase, kDemoAccountDatabase};
    auto aside = [](std::string_view name) { return S(name) + "_replaced"; };
    std::vector<std::string_view> moved;
    for (auto name : names) {
        DropIfExists(admin, aside(name));  // left by an earlier run that could not clean up
        if (Rename(admin, name, aside(name))) moved.push_back(name);
    }
    try {
        DemoSummary summary = CreateDemoAccountOn(server, options);
        for (auto name : moved) DropIfExists(admin, aside(name));
        return summary;
    } catch (...) {
        try {
            for (auto name : names) DropIfExists(admin, name);
            for (auto name : moved) Rename(admin, aside(name), name);
        } catch (...) {
            // The first failure is the one to report; the old databases keep their _replaced names.
        }
        throw;
    }
}

DemoSummary CreateFixedAccountOn(const std::string& server, platform::PasswordCost cost) {
    return CreateOn(server, static_cast<long>(std::size(fixed::kVendors)), cost,
                    [](Connection& db, DemoSummary& summary) { WriteFixedRows(db, summary); });
}

}  // namespace schema
