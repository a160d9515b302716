#include "entry/small_classes.h"

#include "platform/guid.h"
#include "platform/text.h"

namespace sovrel {

clsConn::clsConn() {
    try {
        conn_ = std::make_shared<platform::db::Connection>();
    } catch (...) {
        // The holder then has no connection, as the original's ignored creation error left it.
    }
}

clsConn::~clsConn() {
    try {
        if (conn_ && conn_->IsOpen()) conn_->Close();
    } catch (...) {
        // Nothing can be reported from a destructor; the database discards the session anyway.
    }
}

bool clsConn::OpenCon(std::string& strConnStr) {
    if (conn_ && !conn_->IsOpen()) {
        conn_->SetConnectionString(strConnStr);
        conn_->Open();
    }
    return false;
}

std::string GUIDGenerator::CreateGUID(const std::string& strRemoveChars) const {
    std::string guid = platform::NewGuidText();
    for (std::size_t i = 0; i < strRemoveChars.size();) {
        std::size_t start = i;
        platform::text::DecodeUtf8(strRemoveChars, i);
        guid = platform::text::Replace(guid, strRemoveChars.substr(start, i - start), "");
    }
    return guid;
}

}  // namespace sovrel
