// The data service's frame: start and stop, the shared connection, loading record XML and the
// failure convention every operation ends through.
#include "service/clscommon.h"

#include <algorithm>

#include "common/context.h"
#include "common/logs.h"
#include "common/prog_ids.h"
#include "common/texts.h"
#include "platform/text.h"
#include "service/service_errors.h"
#include "xml/transxml.h"

namespace sovrel {

namespace db = platform::db;

namespace service {
platform::Error LogCurrentError(const char* procedure, const std::string& appendToDescription) {
    platform::Error e = CurrentError();
    WriteSrvLog(kModule, procedure, e.Number(), e.Description() + appendToDescription);
    return e;
}

std::string MessageOf(const platform::Error& e) {
    return platform::db::IsPermissionDenied(e) ? ResTextParams("Hx.CRM.COMMON.DBMSG.NoRight", {platform::db::Value(e.Description())})
                                               : e.Description();
}
}  // namespace service

ClsCommon::ClsCommon() = default;

ClsCommon::~ClsCommon() {
    try {
        if (cnn_ && cnn_->IsOpen()) cnn_->Close();
    } catch (...) {
        // Closing can only fail for a connection already gone; nothing to report from here.
    }
}

void ClsCommon::Init(std::string& sCnnStr) {
    status_ = true;
    try {
        doc_ = std::make_unique<pugi::xml_document>();
        if (!cnn_) cnn_ = std::make_shared<platform::db::Connection>();
        if (!cnn_->IsOpen()) {
            cnn_->SetConnectionString(sCnnStr);
            cnn_->SetCommandTimeout(0);
            cnn_->Open();
            cnnString_ = sCnnStr;
        }
    } catch (...) {
        service::LogCurrentError("Init");
    }
}

bool ClsCommon::SetLogin(std::shared_ptr<ILogin>& oLogin) {
    login_ = oLogin;
    return true;
}

ConnectionPtr ClsCommon::m_cnn() {
    if (!cnn_) cnn_ = std::make_shared<platform::db::Connection>();
    return cnn_;
}

bool ClsCommon::ExecuteX(const std::string& StrExec) {
    kept_.clear();  // it may change the settings (a value added to a list)
    try {
        m_cnn()->Execute(StrExec);
        return true;
    } catch (...) {
        platform::Error e = CurrentError();
        WriteSrvLog("IClscommon", "ExecuteX", e.Number(), e.Description());
        Ctx().PendingMessage = service::MessageOf(e);
        return false;
    }
}

void ClsCommon::Terminate() {
    structures_.clear();
    kept_.clear();
    try {
        if (status_ && cnn_ && cnn_->IsOpen()) cnn_->Close();
    } catch (...) {
        // Terminate ignores errors: the connection is being given up anyway.
    }
    cnn_.reset();
    doc_.reset();
    current_ = pugi::xml_node();
}

RowsetPtr ClsCommon::OpenKept(const std::string& strSql) {
    auto it = kept_.find(strSql);
    if (it == kept_.end()) {
        RowsetPtr read = OpenX(strSql);
        if (!read) return read;
        it = kept_.emplace(strSql, read).first;
    }
    if (std::none_of(keptUsed_.begin(), keptUsed_.end(), [&](const auto& used) { return used.first == strSql; }))
        keptUsed_.emplace_back(strSql, it->second);
    // A copy: the caller filters and moves through it.
    db::Rowset& kept = *it->second;
    std::vector<db::FieldInfo> fields;
    for (std::size_t i = 0; i < kept.FieldCount(); ++i) fields.push_back(kept.Field(i));
    RowsetPtr copy = db::Rowset::CreateDetached(std::move(fields));
    for (kept.MoveFirst(); !kept.Eof(); kept.MoveNext()) copy->AppendCopy(kept);
    if (copy->RecordCount() > 0) copy->MoveFirst();
    return copy;
}

void ClsCommon::TransCnn(ConnectionPtr& cnn, int mode) {
    try {
        if (mode == 1) {
            cnn = std::make_shared<platform::db::Connection>();
            cnn->SetConnectionString(cnnString_);
            cnn->Open();
            cnn->SetCommandTimeout(0);
        } else if (mode == 2 || mode == 3) {
            if (cnn && cnn->IsOpen()) cnn->Close();
            cnn.reset();
        }
    } catch (...) {
        service::LogCurrentError("TransCnn");
        if (mode == 1) throw;  // the caller cannot go on without the connection
    }
}

bool ClsCommon::LoadXmlDocument(const std::string& text) {
    if (!doc_) doc_ = std::make_unique<pugi::xml_document>();
    if (!LoadXmlText(*doc_, text)) {
        Ctx().PendingMessage =
            ResText("Hx.CRM.COMMON.XMLMSGParseErr01") + "\r\n" + ResText("Hx.CRM.COMMON.XMLMSGParseErr02");
        current_ = pugi::xml_node();
        return false;
    }
    current_ = doc_->document_element();
    return true;
}

void ClsCommon::ReportFailure(std::string& sMsg, bool& result, RowsetPtr& rs) {
    const std::string& pending = Ctx().PendingMessage;
    bool pendingEmpty = platform::text::Trim(pending).empty();
    if (pendingEmpty && platform::text::Trim(sMsg).empty()) sMsg = ResText("Hx.CRM.COMMON.DBMSG.0008");
    else if (!pendingEmpty) sMsg = pending;
    result = false;
    rs.reset();
}

std::vector<pugi::xml_node> ClsCommon::RecordElements(const std::string& TableName) {
    std::vector<pugi::xml_node> out;
    std::string name = platform::text::LCase(TableName);
    for (pugi::xml_node child : current_.children())
        if (child.type() == pugi::node_element && name == child.name()) out.push_back(child);
    return out;
}

void RegisterDataService() {
    platform::Register(progid::IClsCommon, [] { return std::make_shared<ClsCommon>(); });
}

}  // namespace sovrel
