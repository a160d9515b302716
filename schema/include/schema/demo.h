#pragma once
// Demo accounts: a system database and an account database filled with realistic rows.
//
// Both kinds of account share the same reference rows (base codes, departments, employees,
// user-defined item definitions, archive captions, reference relations, users and rights),
// listed below so that tests can rely on them. CreateDemoAccount adds generated vendors and
// contacts, deterministic for a seed; CreateFixedAccount adds the few hand-written vendors and
// contacts of namespace `schema::fixed`.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/password.h"
#include "schema/schema.h"

namespace schema {

struct DemoOptions {
    long contacts = 120;     // contacts in the account (0 or more)
    long vendors = 0;        // vendors; 0 gives one for every ten contacts, at least one
    std::uint64_t seed = 1;  // the same seed and sizes give the same rows
    // Cost of the users' password hashes; tests ask for PasswordCost::TestOnly.
    platform::PasswordCost passwordCost = platform::PasswordCost::Interactive;
};

struct DemoSummary {
    std::string folder;
    std::string connectionText;  // of the account database
    long vendors = 0;
    long contacts = 0;
    long purchaseOrders = 0;  // PO_Pomain rows (each names a contact code)
    long visits = 0;          // Crm_VisitLog rows (each names a contact oid)
};

// True when the folder holds either database of the demo account.
bool AccountExists(const std::string& folder);
// Deletes both database files of the folder (and their journals); answers whether one existed.
// Throws platform::Error when a file cannot be removed.
bool RemoveAccount(const std::string& folder);

// Creates the folder when missing, then tksystem.db and TKDATA_001_2024.db in it. Throws
// platform::Error, leaving any existing file untouched, when either database already exists or
// an option is out of range (contacts or vendors negative, more than 10,000,000 contacts or
// 1,000,000 vendors); a failure while filling removes the two databases again.
//
// Generated rows:
// - vendors "V" + a serial of at least 3 digits (V001, V002, ...; iId 1, 2, ...), about one in
//   five with a Latin name, each with its own name, short name and mail domain;
// - contacts coded vendor code + 8-digit serial from 00000001, spread over every vendor but the
//   last, which has none when there are 3 or more vendors (a vendor just taken on);
// - superiors within a vendor: its first three contacts form a chain (3 levels), later ones
//   join under a random earlier contact (now and then starting another tree), at most 6 levels;
// - every vendor with contacts links its first contact as main contact (cSovrelCode = its oid,
//   cVenPerson = its name, bMajor true); no other contact has bMajor true;
// - about one contact in seven is named by a purchase order, one in eleven by a visit-log row
//   (a tenth of those withdrawn, bDeleted 1).
DemoSummary CreateDemoAccount(const std::string& folder, const DemoOptions& options = {});

// The same reference rows with the vendors and contacts of namespace `fixed`.
DemoSummary CreateFixedAccount(const std::string& folder,
                               platform::PasswordCost cost = platform::PasswordCost::Interactive);

// Both kinds on a database server: `server` is a connection text without Initial Catalog
// ("Provider=PostgreSQL;Data Source=<host or socket folder>;Port=...;User ID=..."). Throws
// platform::Error when either database exists there already or the server refuses; what was
// created before a failure stays (the message names the databases to drop). The summary's
// folder is empty.
DemoSummary CreateDemoAccountOn(const std::string& server, const DemoOptions& options = {});
// The same where the server may hold the account already: the old databases are renamed out of
// the way (their sessions ended), the new account is created, then the old ones are dropped. A
// failure drops what it created and renames the old databases back.
DemoSummary ReplaceDemoAccountOn(const std::string& server, const DemoOptions& options = {});
DemoSummary CreateFixedAccountOn(const std::string& server,
                                 platform::PasswordCost cost = platform::PasswordCost::Interactive);

// ---- Reference rows of every demo account ------------------------------------------------

// Crm_BaseCode rows, ID in this order from 1.
struct BaseCode {
    int id;
    std::string_view type;  // "Sex", "Duty", "Taste", "Marriage"
    std::string_view code;
    std::string_view name;
};
inline constexpr BaseCode kBaseCodes[] = {
    {1, "Sex", "01", "男"},          {2, "Sex", "02", "女"},
    {3, "Duty", "01", "总经理"},     {4, "Duty", "02", "经理"},
    {5, "Duty", "03", "采购主管"},   {6, "Duty", "04", "销售经理"},
    {7, "Duty", "05", "业务员"},     {8, "Duty", "06", "财务主管"},
    {9, "Duty", "07", "技术工程师"}, {10, "Duty", "08", "客服专员"},
    {11, "Taste", "01", "运动"},     {12, "Taste", "02", "阅读"},
    {13, "Taste", "03", "音乐"},     {14, "Taste", "04", "旅游"},
    {15, "Taste", "05", "摄影"},     {16, "Taste", "06", "美食"},
    {17, "Marriage", "01", "已婚"},  {18, "Marriage", "02", "未婚"},
    {19, "Marriage", "03", "离异"},
};
inline constexpr int kSexMale = 1, kSexFemale = 2;
inline constexpr int kDutyGeneralManager = 3, kDutyManager = 4, kDutyBuyer = 5, kDutySales = 6,
                     kDutyClerk = 7, kDutyFinance = 8, kDutyEngineer = 9, kDutyService = 10;
inline constexpr int kTasteSport = 11, kTasteReading = 12, kTasteMusic = 13, kTasteTravel = 14,
                     kTasteFood = 16;
inline constexpr int kMarried = 17, kSingle = 18, kDivorced = 19;

// Department and Person rows.
struct Department {
    std::string_view code, name;
};
inline constexpr Department kDepartments[] = {
    {"01", "采购部"},   {"0101", "原料采购组"}, {"0102", "设备采购组"}, {"02", "质量管理部"},
    {"03", "财务部"},   {"04", "仓储物流部"},   {"05", "总经理办公室"},
};
struct Employee {
    std::string_view code, name, department, position, mobile, email;
};
inline constexpr Employee kEmployees[] = {
    {"0001", "陈静", "01", "采购经理", "13901010001", "chenjing@sovrel-demo.cn"},
    {"0002", "周明", "0101", "采购员", "13901010002", "zhouming@sovrel-demo.cn"},
    {"0003", "吴磊", "0101", "采购员", "13901010003", "wulei@sovrel-demo.cn"},
    {"0004", "郑丽", "0102", "采购员", "13901010004", "zhengli@sovrel-demo.cn"},
    {"0005", "孙浩", "02", "质量工程师", "13901010005", "sunhao@sovrel-demo.cn"},
    {"0006", "冯雪", "03", "会计", "13901010006", "fengxue@sovrel-demo.cn"},
    {"0007", "朱琳", "04", "仓库主管", "13901010007", "zhulin@sovrel-demo.cn"},
    {"0008", "胡军", "05", "总经理", "13901010008", "hujun@sovrel-demo.cn"},
};

// userdef class of the contact archive, and its sixteen items ("自定义项" + n, cId "VC" + two
// digits):
//    1 微信号        text, length 30
//    2 联系人级别    text, checked against value list VC02 (A级, B级, C级; aliases A, B, C),
//                    default "B级"
//    3              not in use (empty cItemName), as are 7 to 10
//    4 对接部门      text, checked against archive Department, column cDepName (iDataSource 1)
//    5 常用语言      text, checked against value list VC05 (中文, 英语, 日语, 德语) with
//                    bArchive true: an unknown value is added to the list
//    6 证件号码      text, fixed length 18
//   11 合作年限      whole number      12 年采购次数  whole number
//   13 信用额度      decimal, 2 digits 14 满意度      decimal, 1 digit
//   15 首次合作日期  date              16 下次回访日期 date
// No item is mandatory (bInput false). Class "联系人" (customer contacts) also defines items 13
// (4 digits) and 14 (0 digits), and class "供应商" two vendor items.
inline constexpr std::string_view kContactUserDefClass = "供应商联系人";

// System database: users and their rights; each user's password is kDemoPassword.
//   "demo"    演示用户, employee 0001, zh-CN, every function right AS020301..AS020306 and the
//             administration right, no row or column restriction.
//   "demo_en" Demo User, employee 0002, en-US, the same rights but administration.
//   "limited" 受限用户, employee 0004, zh-CN, rights AS020302 and AS020304 only, row authority
//             on "vendor" restricted to kLimitedVendorIds (vendor.iId values).
inline constexpr std::string_view kDemoUser = "demo";
inline constexpr std::string_view kDemoEnglishUser = "demo_en";
inline constexpr std::string_view kLimitedUser = "limited";
// The documented password of every demo user (sovrel init prints it, the README names it).
inline constexpr std::string_view kDemoPassword = "demo123";
inline constexpr std::string_view kFunctionCodes[] = {"AS020301", "AS020302", "AS020303",
                                                      "AS020304", "AS020305", "AS020306"};
// The administration right: the host's settings, other users' passwords, raw SQL and the
// system database itself.
inline constexpr std::string_view kAdministrationFunction = "AA000001";
inline constexpr std::string_view kLimitedVendorIds = "1,3";  // "1" when there are fewer vendors

// ---- The fixed account (CreateFixedAccount) ---------------------------------------------
namespace fixed {

struct Vendor {
    long iId;
    std::string_view code, name, abbName;
    std::string_view mainContact;  // contact code linked through cSovrelCode; empty: NULL link
};
inline constexpr Vendor kVendors[] = {
    {1, "V01", "上海华东电子材料有限公司", "华东电子", "V0100000001"},
    {2, "V02", "Nordwind Industrial Supplies GmbH", "Nordwind", "V0200000001"},
    {3, "V03", "杭州西湖包装制品厂", "西湖包装", ""},  // no contacts yet
};

struct Contact {
    std::string_view oid, code, vendor, name, appellation;
    int sex, duty, taste, marriage;  // Crm_BaseCode IDs; 0 stands for NULL
    std::string_view superior;       // cSuperiorID; empty: NULL
    std::string_view principal;      // cPrincipal (Person code)
    std::string_view mobile, email;
    bool major;
};
// V01: 张伟 heads 李娜, who heads 王芳 and 刘洋 (three levels). V02: Anna Schmidt heads Lukas Weber.
// Columns not given here (phones, addresses, memo, user-defined items ...) hold realistic values
// that tests should not rely on. The user "limited" sees V01 and V03.
inline constexpr Contact kContacts[] = {
    {"{6F1C2A10-0000-4000-8000-000000000101}", "V0100000001", "V01", "张伟", "张总", kSexMale,
     kDutyGeneralManager, kTasteSport, kMarried, "", "0002", "13812340001", "zhang.wei@hdem.com.cn",
     true},
    {"{6F1C2A10-0000-4000-8000-000000000102}", "V0100000002", "V01", "李娜", "李经理", kSexFemale,
     kDutySales, kTasteReading, kMarried, "V0100000001", "0002", "13812340002",
     "li.na@hdem.com.cn", false},
    {"{6F1C2A10-0000-4000-8000-000000000103}", "V0100000003", "V01", "王芳", "王女士", kSexFemale,
     kDutyClerk, 0, kSingle, "V0100000002", "0003", "13812340003", "wang.fang@hdem.com.cn", false},
    {"{6F1C2A10-0000-4000-8000-000000000104}", "V0100000004", "V01", "刘洋", "刘工", kSexMale, kDutyEngineer,
     kTasteMusic, kSingle, "V0100000002", "", "13812340004", "", false},
    {"{6F1C2A10-0000-4000-8000-000000000201}", "V0200000001", "V02", "Anna Schmidt", "Ms. Schmidt",
     kSexFemale, kDutyGeneralManager, kTasteTravel, kMarried, "", "0004", "+49 170 5550101",
     "anna.schmidt@nordwind-supplies.de", true},
    {"{6F1C2A10-0000-4000-8000-000000000202}", "V0200000002", "V02", "Lukas Weber", "Mr. Weber",
     kSexMale, 0, 0, kSingle, "V0200000001", "0004", "+49 170 5550102",
     "lukas.weber@nordwind-supplies.de", false},
};
// Rows that refer to contacts: purchase order "PO2024000001" names V0100000002 (PO_Pomain.
// cContactCode); visit-log rows name the oid of V0100000003 (bDeleted 0, so it counts) and of
// V0100000004 (bDeleted 1, so it does not). V0100000001, V0200000001 and V0200000002 are named by
// nothing but their vendors' links and their subordinates.
inline constexpr std::string_view kOrderedContact = "V0100000002";
inline constexpr std::string_view kVisitedContact = "V0100000003";

}  // namespace fixed
}  // namespace schema
