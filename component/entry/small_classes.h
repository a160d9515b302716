#pragma once
// The small public classes: login values for host utilities, a connection holder, the card's two
// flags, and GUID texts.
#include <memory>
#include <string>

#include "platform/db/connection.h"
#include "platform/object_factory.h"

namespace sovrel {

class clsLogin : public platform::Object {
public:
    std::string cUserId, cUserName, tkDBName, dCurDate, AuthString;
};

class clsContactDO : public platform::Object {
public:
    bool bExist = false;
    bool bEdit = false;
};

class clsConn : public platform::Object {
public:
    clsConn();
    ~clsConn() override;
    // Opens the connection on strConnStr when it is closed; an open connection is left as it is.
    // Always answers false (callers ignore it); errors of the database layer reach the caller.
    bool OpenCon(std::string& strConnStr);
    std::shared_ptr<platform::db::Connection> Conn() const { return conn_; }

private:
    std::shared_ptr<platform::db::Connection> conn_;
};

class GUIDGenerator : public platform::Object {
public:
    // "{8-4-4-4-12}" upper-case hexadecimal, 38 characters, with every character of
    // strRemoveChars removed (exact, case-sensitive).
    std::string CreateGUID(const std::string& strRemoveChars = "") const;
};

}  // namespace sovrel
