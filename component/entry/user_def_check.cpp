// The check of a contact's sixteen user-defined fields against their definitions, run by the data
// service for every record it writes.
#include "common/context.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "entry/icontact.h"
#include "platform/error.h"
#include "platform/text.h"
#include "service/iclscommon.h"
#include "xml/transxml.h"

namespace sovrel {

namespace text = platform::text;
using platform::db::Value;

namespace {

bool Fail(const std::string& key, std::vector<Value> params) {
    Ctx().PendingMessage = ResTextParams(key, std::move(params));
    return false;
}

bool IsTrue(const std::string& flag) { return text::LCase(flag) == "true"; }

}  // namespace

bool IContact::Trans(std::int16_t tOpt, pugi::xml_node& Ele, RowsetPtr&, const std::string& TableName, IClsCommon& ICom) {
    CurrentOpt = tOpt;
    if (TableName == "Ven_Contact") return CheckComUserDef(Ele, CurrentOpt, ICom, "供应商联系人", "cConDefine");
    return true;
}

bool IContact::CheckComUserDef(pugi::xml_node Ele, std::int16_t, IClsCommon& ICom, const std::string& sArch,
                               const std::string& sUserDefField) {
    RowsetPtr defs = ICom.OpenKept("select * from userdef where cClass=" + SqlText(sArch));
    if (!defs)
        throw platform::Error(platform::errnum::CommandFailed, "IContact.CheckComUserDef", Ctx().PendingMessage);
    for (int i = 1; i <= 16; ++i) {
        std::string field = sUserDefField + std::to_string(i);
        std::string filter = "CItem=" + SqlText("自定义项" + std::to_string(i), false);
        FilterRs(defs, filter);
        // An item without a definition row counts as one whose fields are all Null.
        auto read = [&](const char* name) {
            return defs->Eof() ? std::string() : NullTo(defs->Get(name), Value("")).ToText();
        };
        std::string itemName = read("cItemName");
        if (text::Trim(itemName).empty()) {
            SetEleVal(Ele, field, "");
            continue;
        }
        std::string value = GetEleVal(Ele, field, "");
        if (IsTrue(read("bInput")) && value.empty()) return Fail("Hx.CRM.COMMON.CheckNull03", {Value(itemName)});
        if ((i == 15 || i == 16) && !CheckDateText(value, itemName)) return false;
        if (value.empty()) continue;
        std::string length = read("iLength");
        if (IsTrue(read("bFixLength")) && static_cast<long long>(text::Len(value)) != Value(length).ToInt())
            return Fail("Hx.CRM.COMMON.CheckLen02", {Value(itemName), Value(length)});
        if (!IsTrue(read("bCheckVal"))) continue;

        std::string id = read("cId");
        std::string archive = text::Trim(read("cRelArchive"));
        bool fromArchive = text::Trim(read("iDataSource")) == "1";
        if (fromArchive) {
            std::string relField = text::Trim(read("cRelField"));
            if (!archive.empty() && !relField.empty()) {
                // The definition row names the archive and its column; only plain names are asked.
                if (!CheckSqlName(archive) || !CheckSqlName(relField)) return false;
                auto found = ICom.OpenX("select top 1 * from " + archive + " where " + relField + " = " + SqlText(value));
                if (found && found->RecordCount() > 0) continue;
            }
        }
        auto listed = ICom.OpenKept(std::string(fromArchive ? "select top 1 cId from userdefine where cId = "
                                                         : "select top 1 cId from userdefine where cId= ") +
                                 SqlText(id) + " and cValue = " + SqlText(value));
        if (listed && listed->RecordCount() > 0) continue;
        if (IsTrue(read("bArchive"))) {
            if (!ICom.ExecuteX("insert into userdefine(cId,cValue) values(" + SqlText(id) + "," + SqlText(value) + ")"))
                return Fail("Hx.CRM.COMMON.MsgNew01", {Value(itemName)});
            continue;
        }
        if (fromArchive)
            return Fail("Hx.CRM.TkCompetitor.transxml.00033", {Value(itemName), Value(GetArchiveCaption(ICom, Value(archive)))});
        return Fail("Hx.CRM.TkCompetitor.transxml.00034", {Value(itemName)});
    }
    return true;
}

}  // namespace sovrel
