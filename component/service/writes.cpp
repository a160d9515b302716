// Writing: Add and Modify of contacts and base codes from record XML, one row per record element.
#include <cstdlib>

#include "common/context.h"
#include "common/hosts/services.h"
#include "common/prog_ids.h"
#include "common/screen.h"
#include "common/texts.h"
#include "platform/error.h"
#include "platform/text.h"
#include "service/clscommon.h"
#include "service/record_check.h"
#include "service/service_errors.h"
#include "xml/transxml.h"

namespace sovrel {

namespace text = platform::text;
using platform::db::Value;
namespace db = platform::db;

namespace {

bool Serves(const std::string& table) {
    std::string t = text::LCase(table);
    return t == "ven_contact" || t == "crm_basecode";
}

// A new entry-class object for one record, as the service asks it to check each record.
std::shared_ptr<IRecordCheck> NewRecordCheck() {
    auto object = platform::Create(progid::IContact);
    auto check = std::dynamic_pointer_cast<IRecordCheck>(object);
    if (!check)
        throw platform::Error(429, "IClsCommon", std::string("the entry class ") + progid::IContact + " cannot be created");
    return check;
}

// The leading numeric part of a text, as a double ("12.5kg" is 12.5, "abc" is 0).
double LeadingNumber(const std::string& t) {
    std::string s = text::Trim(t);
    const char* begin = s.c_str();
    char* end = nullptr;
    double d = std::strtod(begin, &end);
    return end == begin ? 0.0 : d;
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
            std::string value = child.text().get();
            int index = rs->FieldIndex(name);
            if (index < 0)
                throw platform::Error(platform::errnum::ItemNotFound, "IClsCommon",
                                      "the rowset has no field named '" + name + "'");
            const db::FieldInfo& field = rs->Field(static_cast<std::size_t>(index));
            if (value.empty()) rs->Set(static_cast<std::size_t>(index), Value::Null());
            else if (IsRealType(field.type)) rs->Set(static_cast<std::size_t>(index), Value(LeadingNumber(value)));
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
    Ctx().PendingMessage = e.Number() == knownNumber ? ResText(knownKey) : e.Description();
    if (rs) rs->CancelUpdate();
    ReportFailure(sMsg, result, rs);
}

bool ClsCommon::StartWrite(std::string& sXML, std::string& sMsg) {
    Ctx().PendingMessage.clear();
    sMsg = Ctx().PendingMessage;
    UTLCase(sXML, true);
    return LoadXmlDocument(sXML);
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
            rs = m_cnn()->OpenRowset("SELECT TOP 0 * FROM " + TableName);
            rs->AddNew();
            mode_ = 1;
            if (!CheckRecord(element, rs, TableName) || !SetFieldValue(rs, element)) {
                rs->CancelUpdate();
                ReportFailure(sMsg, result, rs);
                return result;
            }
            if (text::LCase(TableName) == "ven_contact") {
                std::string code = GetEleVal(element, "cContactCode", "");
                if (m_cnn()->OpenRowset("select top 1 * from  " + TableName + " Where cContactCode='" + code + "'")->RecordCount() > 0) {
                    c.PendingMessage = ResText("Hx.CRM.COMMON.CheckDuplication02");
                    rs->CancelUpdate();
                    ReportFailure(sMsg, result, rs);
                    return result;
                }
            } else {
                std::string sql = "select top 1 * from  " + TableName + " Where cType = N'" +
                                  GetEleVal(element, "cType", "") + "' and cName=N'" + GetEleVal(element, "cName", "") + "'";
                if (m_cnn()->OpenRowset(sql)->RecordCount() > 0) {
                    rs->CancelUpdate();
                    rs.reset();
                    return result;  // an existing pair is not added again, and that is no failure
                }
            }
            rs->Update();
            rs.reset();
            result = true;
        }
    } catch (...) {
        FailWrite("Add", platform::errnum::ConstraintViolated, "Hx.CRM.COMMON.DBMSG.0100", sMsg, result, rs);
    }
    return result;
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
            std::string code = GetEleVal(element, "cContactCode", "");
            rs = m_cnn()->OpenRowset("SELECT TOP 1 * FROM  " + TableName + " WHERE cContactCode=N'" + code + "'");
            if (rs->RecordCount() == 0) {
                c.PendingMessage = ResText("Hx.CRM.COMMON.DBMSG.0400");
                ReportFailure(sMsg, result, rs);
                return result;
            }
            auto version = m_cnn()->OpenRowset("select top 1 convert(char, convert(money,tkts), 2) as tkts from  " +
                                               TableName + " Where cContactCode=N'" + code + "'");
            std::string now = version->RecordCount() > 0 ? version->Get("tkts").ToText() : std::string();
            if (now != c.LoadedContactTs && !c.LoadedContactTs.empty()) {
                c.PendingMessage = ResText("Hx.CRM.COMMON.DBMSG.Upt01");
                ReportFailure(sMsg, result, rs);
                return result;
            }
            mode_ = 2;
            if (!CheckRecord(element, rs, TableName) || !SetFieldValue(rs, element)) {
                rs->CancelUpdate();
                ReportFailure(sMsg, result, rs);
                return result;
            }
            rs->Update();
            rs.reset();
            result = true;
        }
    } catch (...) {
        FailWrite("Modify", platform::errnum::RowChanged, "Hx.CRM.COMMON.DBMSG.0400", sMsg, result, rs);
    }
    return result;
}

}  // namespace sovrel
