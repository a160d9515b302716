#include "../session/support.h"
#include "host/services.h"
#include "xml_tree.h"
#include "platform/db/rowset.h"
#include "platform/diagnostics.h"
#include "platform/error.h"
#include "platform/text.h"

namespace host {

namespace txt = platform::text;
using detail::Sql;

namespace {

void RequireInit(const std::string& systemText, const char* who) {
    if (systemText.empty())
        throw platform::Error(platform::errnum::InvalidOperation, who,
                              "the authority service was not initialised: call Init with a connection text first");
}

// The items of a comma-separated list, trimmed, empty ones dropped.
std::vector<std::string> Items(const std::string& list) {
    std::vector<std::string> out;
    for (const auto& part : txt::Split(list, ",")) {
        std::string item = txt::Trim(part);
        if (!item.empty()) out.push_back(std::move(item));
    }
    return out;
}

std::string Join(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& i : items) out += (out.empty() ? "" : ",") + i;
    return out;
}

}  // namespace

void RowAuthService::Init(const std::string& connectionText, const std::string& userId) {
    systemText_ = connectionText.empty() ? "" : detail::SystemConnectionText(connectionText);
    userId_ = txt::Trim(userId);
}

std::string RowAuthService::GetAuthString(const std::string& objectName) {
    RequireInit(systemText_, "RowAuthSvc.GetAuthString");
    constexpr const char* kNone = "1=2";
    auto db = detail::Open(systemText_);
    auto user = db->OpenRowset("SELECT bDisabled FROM UA_User WHERE cUser_Id = " + Sql(userId_));
    if (user->Eof() || user->Get(0).ToBool()) return kNone;
    auto rs = db->OpenRowset("SELECT cAuthString FROM UA_RowAuth WHERE cUser_Id = " + Sql(userId_) +
                             " AND cBusObId = " + Sql(txt::Trim(objectName)));
    if (rs->Eof()) return "";
    const std::string stored = txt::Trim(rs->Get(0).ToText());
    if (stored == kNone) return kNone;
    // The answer goes into "iId in (...)": only whole numbers may pass.
    std::vector<std::string> ids = Items(stored);
    for (const auto& id : ids) {
        const std::size_t digits = id.find_first_not_of("0123456789", id[0] == '-' ? 1 : 0);
        if (digits != std::string::npos || id == "-") {
            platform::DebugOutput("row authority of " + userId_ + " on " + objectName + " is not a list of ids ('" +
                                  stored + "'): nothing allowed");
            return kNone;
        }
    }
    return ids.empty() ? kNone : Join(ids);
}

void ColAuthService::Init(const std::string& connectionText, const std::string& userId) {
    systemText_ = connectionText.empty() ? "" : detail::SystemConnectionText(connectionText);
    userId_ = txt::Trim(userId);
}

std::string ColAuthService::GetAuthString(const std::string& request) {
    RequireInit(systemText_, "ColAuthSvc.GetAuthString");
    auto doc = detail::ParseXml(request);
    auto bad = [&](const std::string& why) {
        return platform::Error(platform::errnum::InvalidOperation, "ColAuthSvc.GetAuthString",
                               "the request '" + request + "' " + why +
                                   "; write <hxColAuth cBusObId='vendor' cFuncId='R'/>");
    };
    if (!doc.ok) throw bad("is not XML: " + doc.error);
    if (!txt::EqualsNoCase(doc.root.name, "hxColAuth")) throw bad("is not an hxColAuth element");
    const std::string object = txt::Trim(doc.root.AttrOr("cBusObId", ""));
    const std::string function = txt::UCase(txt::Trim(doc.root.AttrOr("cFuncId", "")));
    if (object.empty()) throw bad("names no cBusObId");
    if (function != "R" && function != "W") throw bad("has a cFuncId other than R or W");
    auto db = detail::Open(systemText_);
    auto rs = db->OpenRowset("SELECT cColumns FROM UA_ColAuth WHERE cUser_Id = " + Sql(userId_) +
                             " AND cBusObId = " + Sql(object) + " AND cFuncId = " + Sql(function));
    if (rs->Eof()) return "";
    return Join(Items(rs->Get(0).ToText()));
}

std::string VendorAuthCondition(const std::string& connectionText, const std::string& userId) {
    RowAuthService auth;
    auth.Init(connectionText, userId);
    const std::string ids = auth.GetAuthString("vendor");
    if (ids.empty() || ids == "1=2") return ids;
    return "iId IN (" + ids + ")";
}

}  // namespace host
