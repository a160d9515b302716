// Writing: Add and Modify of contacts and base codes from record XML, one row per record element.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "common/context.h"
#include "common/hosts/services.h"
#include "common/prog_ids.h"
#include "common/screen.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "platform/error.h"
#include "platform/text.h"
#include "service/clscommon.h"
#include "service/history.h"
#include "service/record_check.h"
#include "service/service_errors.h"
#include "xml/transxml.h"

namespace sovrel {

namespace text = platform::text;
using platform::db::Value;
namespace db = platform::db;

namespace {

bool Serves(const std::string& table) {
    if (!IsSqlName(table)) return false;
    std::string t = text::LCase(table);
    return t == "ven_contact" || t == "crm_basecode";
}

// A new entry-class object for one record, as the service asks it to check each record.
std::shared_ptr<IRecordCheck> NewRecordCheck() {
    return platform::CreateRequired<IRecordCheck>(progid::IContact, "IClsCommon");
}

std::size_t SkipDigits(std::string_view s, std::size_t i) {
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    return i;
}

// The leading decimal number of a text: "12.5kg" is 12.5; "abc" is 0, and so are "0x1F", "inf"
// and "nan", which are no decimal numbers. Read alike under every locale (a German portal reads
// "12.5" as 12.5). Nothing when the number is too large for a double.
std::optional<double> LeadingNumber(const std::string& t) {
    const std::string s = text::Trim(t);
    std::size_t i = s.empty() || (s[0] != '+' && s[0] != '-') ? 0 : 1;
    const std::size_t wholeEnd = SkipDigits(s, i);
    std::size_t end = wholeEnd;
    if (end < s.size() && s[end] == '.') end = SkipDigits(s, end + 1);
    if (end - i <= (end > wholeEnd ? 1u : 0u)) return 0.0;  // no digit at all
    if (end < s.size() && (s[end] == 'e' || s[end] == 'E')) {
        std::size_t e = end + 1;
        if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
        if (SkipDigits(s, e) > e) end = SkipDigits(s, e);
    }
    std::string_view number(s.data() + (s[0] == '+' ? 1 : 0), end - (s[0] == '+' ? 1 : 0));
    double d = 0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), d);
    if (ec == std::errc::result_out_of_range) {
        // Too small rounds to zero; too large has no double. The order of magnitude tells which:
        // the position of the first non-zero digit against the point, plus the exponent.
        const std::size_t e = std::min(number.find_first_of("eE"), number.size());
        const std::size_t first = number.find_first_of("123456789");
        const std::size_t point = std::min(number.find('.'), e);
        long long magnitude = first < point ? static_cast<long long>(point - first) : -static_cast<long long>(first - point);
        if (e < number.size()) {
            long long exponent = 0;
            std::string_view digits = number.substr(e + 1);
            const bool negative = !digits.empty() && digits[0] == '-';
            if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
            for (char c : digits) exponent = std::min(exponent * 10 + (c - '0'), 100000LL);
            magnitude += negative ? -exponent : exponent;
        }
        if (magnitude <= 0) return 0.0;
        return std::nullopt;
    }
    return ec == std::errc() ? d : 0.0;
}

// The record's children as they came, before the checks of a first try changed them.
void PutBack(pugi::xml_node element, const pugi::xml_document& given) {
    while (element.first_child()) element.remove_child(element.first_child());
    for (pugi::xml_node child : given.first_child().children()) element.append_copy(child);
}

bool IsRealType(int type) {
    return type == db::adSingle || type == db::adDouble || type == db::adCurrency || type == db::adDecimal ||
           type == db::adNumeric;
}

}  // namespace

bool ClsCommon::SetFieldValue(RowsetPtr& rs, const pugi::xml_node& element) {
    std::string name;
    try {
        for (pugi::xml_node child : element.children()) {
            if (child.type() != pugi::node_element) continue;
            name = child.name();
            const std::string value = ElementText(child);  // the whole text, as the checks read it
            int index = rs->FieldIndex(name);
            if (index < 0)
                throw platform::Error(platform::errnum::ItemNotFound, "IClsCommon",
                                      "the rowset has no field named '" + name + "'");
            const db::FieldInfo& field = rs->Field(static_cast<std::size_t>(index));
            if (value.empty()) rs->Set(static_cast<std::size_t>(index), Value::Null());
            else if (IsRealType(field.type)) {
                const std::optional<double> number = LeadingNumber(value);
                if (!number)
                    throw platform::Error(platform::errnum::InvalidOperation, "IClsCommon",
                                          "the number in '" + value + "' is too large for field " + name);
                rs->Set(static_cast<std::size_t>(index), Value(*number));
            }
            else rs->Set(static_cast<std::size_t>(index), Value(value));
        }
        return true;
    } catch (...) {
        service::LogCurrentError("SetFieldValue");
        Ctx().PendingMessage = ResTextParams("Hx.CRM.COMMON.DBMSG.Fld01", {Value(name)}) + "\r\n" +
                               ResText("Hx.CRM.COMMON.DBMSG.Fld02");
        return false;
    }
}

void ClsCommon::FailWrite(const char* procedure, long knownNumber, const char* knownKey, std::string& sMsg, bool& result,
                          RowsetPtr& rs) {
    // Inside the catch block of Add or Modify: the error it expects gets its fixed text, any other
    // the database's own description.
    platform::Error e = service::LogCurrentError(procedure);
    Ctx().PendingMessage = e.Number() == knownNumber ? ResText(knownKey) : service::MessageOf(e);
    if (rs) rs->CancelUpdate();
    ReportFailure(sMsg, result, rs);
}

bool ClsCommon::StartWrite(std::string& sXML, std::string& sMsg) {
    Ctx().PendingMessage.clear();
    sMsg = Ctx().PendingMessage;
    UTLCase(sXML, true);
    if (!LoadXmlDocument(sXML)) return false;
    DecodeEscapedText(current_);
    return true;
}

bool ClsCommon::CheckColumnsOnce(const pugi::xml_node& element) {
    // A column given twice would be checked by its first element and written from its last.
    const std::string repeated = RepeatedChildName(element);
    if (repeated.empty()) return true;
    Ctx().PendingMessage = ResTextParams("Hx.CRM.COMMON.XMLMSG003", {Value(repeated)});
    return false;
}

bool ClsCommon::CheckRecord(pugi::xml_node& element, RowsetPtr& rs, const std::string& TableName) {
    auto check = NewRecordCheck();
    return check->Trans(mode_, element, rs, TableName, *this);
}

bool ClsCommon::Add(std::string& sXML, std::string& TableName, std::string& sMsg) {
    Context& c = Ctx();
    bool result = false;
    RowsetPtr rs;
    if (!StartWrite(sXML, sMsg)) {
        ReportFailure(sMsg, result, rs);
        return result;
    }
    try {
        for (pugi::xml_node element : RecordElements(TableName)) {
            if (!Serves(TableName)) {
                c.PendingMessage = ResText("Hx.CRM.TkBaseCodeRefer.clscommon.00083");
                ReportFailure(sMsg, result, rs);
                return result;
            }
            current_ = element;
            if (!CheckColumnsOnce(element)) {
                ReportFailure(sMsg, result, rs);
                return result;
            }
            const bool contact = text::LCase(TableName) == "ven_contact";
            const std::optional<Written> written = CheckAndWrite(
                element, rs, TableName,
                [&] {
                    rs = NewRow(TableName);
                    rs->AddNew();
                    mode_ = 1;
                    return true;
                },
                [&] {
                    if (!contact) return Written::Yes;  // written below, after the look for its pair
                    const std::string code = GetEleVal(element, "cContactCode", "");
                    return WriteChecked(rs, {}, history::kind::Add, &code);
                });
            if (!written) {
                ReportFailure(sMsg, result, rs);
                return result;
            }
            if (contact) {
                if (*written != Written::Yes) {
                    // Settings that changed twice while one record was written are no reason to
                    // write it with either.
                    c.PendingMessage = ResText(*written == Written::Duplicate ? "Hx.CRM.COMMON.CheckDuplication02"
                                                                              : "Hx.CRM.COMMON.DBMSG.0008");
                    ReportFailure(sMsg, result, rs);
                    return result;
                }
            } else {
                std::string sql = "select top 1 * from  " + TableName + " Where cType = " +
                                  SqlText(GetEleVal(element, "cType", "")) + " and cName=" +
                                  SqlText(GetEleVal(element, "cName", ""));
                if (m_cnn()->OpenRowset(sql)->RecordCount() > 0) {
                    rs->CancelUpdate();
                    rs.reset();
                    return result;  // an existing pair is not added again, and that is no failure
                }
                rs->Update();
            }
            rs.reset();
            result = true;
        }
    } catch (...) {
        FailWrite("Add", platform::errnum::ConstraintViolated, "Hx.CRM.COMMON.DBMSG.0100", sMsg, result, rs);
    }
    return result;
}

namespace {

// The values of a kept read and of the same read again, compared as the history compares them.
bool SameRows(db::Rowset& kept, const std::vector<std::vector<Value>>& fresh) {
    if (kept.RecordCount() != static_cast<long>(fresh.size())) return false;
    std::size_t r = 0;
    for (kept.MoveFirst(); !kept.Eof(); kept.MoveNext(), ++r) {
        if (fresh[r].size() != kept.FieldCount()) return false;
        for (std::size_t i = 0; i < kept.FieldCount(); ++i) {
            const Value a = kept.Get(i);
            const Value& b = fresh[r][i];
            if (a.IsNullOrEmpty() || b.IsNullOrEmpty()) {
                if (a.IsNullOrEmpty() != b.IsNullOrEmpty()) return false;
            } else if (!(a == b) && a.ToText() != b.ToText()) {
                return false;
            }
        }
    }
    return true;
}

std::vector<std::vector<Value>> Rows(db::Rowset& rs) {
    std::vector<std::vector<Value>> rows;
    for (; !rs.Eof(); rs.MoveNext()) rows.push_back(history::RowValues(rs));
    return rows;
}

}  // namespace

ClsCommon::Written ClsCommon::WriteChecked(RowsetPtr& rs, const history::Values& before, std::string_view kind,
                                           const std::string* duplicateCode) {
    ConnectionPtr cnn = m_cnn();
    const int level = cnn->BeginTrans();
    try {
        // Read again in the write's round trip: what the checks were answered from must still hold.
        std::vector<std::shared_ptr<const db::AheadRows>> settings;
        for (const auto& used : keptUsed_) settings.push_back(cnn->QueryAhead(used.first));
        // The code as a value, so that every Add sends the same text, which the server plans once;
        // trailing spaces are dropped as a compared literal's are.
        const auto duplicate =
            duplicateCode ? cnn->QueryAhead("select top 1 cContactCode from Ven_Contact where cContactCode = ?",
                                            {Value(text::RTrim(*duplicateCode))})
                          : nullptr;
        try {
            rs->Update();
        } catch (const platform::Error&) {
            if (!duplicate || !duplicate->ready || duplicate->rows.empty()) throw;
            rs->CancelUpdate();
            if (cnn->TransactionLevel() >= level) cnn->RollbackTrans();
            return Written::Duplicate;
        }
        for (std::size_t i = 0; i < settings.size(); ++i) {
            // A row left as it was is no request: then they are read here.
            const auto& [sql, kept] = keptUsed_[i];
            if (!(settings[i]->ready ? SameRows(*kept, settings[i]->rows) : SameRows(*kept, Rows(*cnn->OpenRowset(sql))))) {
                kept_.clear();
                cnn->RollbackTrans();
                return Written::SettingsChanged;
            }
        }
        if (keepHistory_) {
            history::Statement change = history::ChangeStatement(kind, *rs, before, history::RowValues(*rs));
            // A change without its history is rolled back (below), so its insert needs no savepoint.
            if (!change.sql.empty())
                cnn->ExecuteAhead(change.sql, std::move(change.params), db::Connection::AheadFailure::RollsBackTheLevel);
        }
        cnn->CommitTrans();
        return Written::Yes;
    } catch (...) {
        if (cnn->TransactionLevel() >= level) cnn->RollbackTrans();
        throw;
    }
}

bool ClsCommon::KeptReadsHold() {
    for (const auto& [sql, kept] : keptUsed_) {
        if (!SameRows(*kept, Rows(*m_cnn()->OpenRowset(sql)))) {
            kept_.clear();
            return false;
        }
    }
    return true;
}

std::optional<ClsCommon::Written> ClsCommon::CheckAndWrite(pugi::xml_node& element, RowsetPtr& rs,
                                                           const std::string& TableName,
                                                           const std::function<bool()>& prepare,
                                                           const std::function<Written()>& write) {
    // The checks may change the record; a second try starts from it as it came.
    pugi::xml_document given;
    given.append_copy(element);
    Written written = Written::SettingsChanged;
    for (int attempt = 0; attempt < 2 && written == Written::SettingsChanged; ++attempt) {
        if (attempt > 0) PutBack(element, given);
        keptUsed_.clear();
        if (!prepare()) return std::nullopt;
        if (!CheckRecord(element, rs, TableName) || !SetFieldValue(rs, element)) {
            rs->CancelUpdate();
            // Refused by settings kept from before a change: asked again, it may pass.
            if (attempt == 0 && !KeptReadsHold()) {
                Ctx().PendingMessage.clear();
                continue;
            }
            return std::nullopt;
        }
        written = write();
    }
    return written;
}

RowsetPtr ClsCommon::NewRow(const std::string& table) {
    // A table's columns change only with a new build's schema, which a service opened since reads.
    auto it = structures_.find(text::LCase(table));
    if (it == structures_.end())
        it = structures_.emplace(text::LCase(table), m_cnn()->OpenRowset("SELECT TOP 0 * FROM " + table)).first;
    return it->second->EmptyCopy();
}

bool ClsCommon::RunServiceRequest(const std::string& request, pugi::xml_node& element, const std::string& TableName) {
    std::string r = text::LCase(request);
    if (r == "precompile") {
        DoEvents();
        return true;
    }
    if (r == "systemstart") {
        auto starter = platform::Create<ISysStart>(progid::SysStart);
        if (!starter) return true;
        std::string started;
        if (!starter->GetAllStartedSys(cnnString_, GetEleVal(element, "cAcc_Id", ""), started)) return true;
        return text::InStr(text::LCase(started), text::LCase(GetEleVal(element, "use", ""))) > 0;
    }
    if (r == "getauthflds") {
        std::string auth = GetColAuthString(*this, element, TableName);
        Ctx().PendingMessage = auth.empty() ? "*" : auth;
        return false;
    }
    return true;
}

bool ClsCommon::Modify(std::string& sXML, std::string& TableName, std::string& sMsg) {
    Context& c = Ctx();
    bool result = false;
    RowsetPtr rs;
    if (!StartWrite(sXML, sMsg)) {
        ReportFailure(sMsg, result, rs);
        return result;
    }
    try {
        for (pugi::xml_node element : RecordElements(TableName)) {
            current_ = element;
            std::string request = GetAttrVal(element, "Operating");
            if (!request.empty()) {
                if (RunServiceRequest(request, element, TableName)) result = true;
                else ReportFailure(sMsg, result, rs);
                return result;
            }
            // Only contacts are modified here; base codes are added, never changed, by the card.
            if (!Serves(TableName) || text::LCase(TableName) != "ven_contact") {
                c.PendingMessage = ResText("Hx.CRM.TkBaseCodeRefer.clscommon.00083");
                ReportFailure(sMsg, result, rs);
                return result;
            }
            if (!CheckColumnsOnce(element)) {
                ReportFailure(sMsg, result, rs);
                return result;
            }
            history::Values before;
            const std::optional<Written> written = CheckAndWrite(
                element, rs, TableName,
                [&] {
                    const std::string code = SqlText(GetEleVal(element, "cContactCode", ""));
                    // The row version as the card loaded it, read in the row's round trip.
                    auto version = m_cnn()->QueryAhead(
                        "select top 1 convert(char, convert(money,tkts), 2) as tkts from  " + TableName +
                        " Where cContactCode=" + code);
                    rs = m_cnn()->OpenRowset("SELECT TOP 1 * FROM  " + TableName + " WHERE cContactCode=" + code);
                    if (rs->RecordCount() == 0) {
                        c.PendingMessage = ResText("Hx.CRM.COMMON.DBMSG.0400");
                        return false;
                    }
                    std::string now = version->rows.empty() ? std::string() : version->rows.front().front().ToText();
                    if (now != c.LoadedContactTs && !c.LoadedContactTs.empty()) {
                        c.PendingMessage = ResText("Hx.CRM.COMMON.DBMSG.Upt01");
                        return false;
                    }
                    mode_ = 2;
                    before = history::RowValues(*rs);
                    return true;
                },
                [&] { return WriteChecked(rs, before, history::kind::Modify, nullptr); });
            if (!written) {
                ReportFailure(sMsg, result, rs);
                return result;
            }
            if (*written != Written::Yes) {
                c.PendingMessage = ResText("Hx.CRM.COMMON.DBMSG.0008");
                ReportFailure(sMsg, result, rs);
                return result;
            }
            rs.reset();
            result = true;
        }
    } catch (...) {
        FailWrite("Modify", platform::errnum::RowChanged, "Hx.CRM.COMMON.DBMSG.0400", sMsg, result, rs);
    }
    return result;
}

}  // namespace sovrel
