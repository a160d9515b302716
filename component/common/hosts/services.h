#pragma once
// Host services created by program identifier: column settings, row and column authority, the
// archive-reference check, the started-subsystems service and the string builder.
#include <memory>
#include <string>

#include "platform/db/rowset.h"
#include "platform/db/value.h"
#include "platform/object_factory.h"

namespace sovrel {

// "HxColumnsetSvr.clsColSetsvr": the user's column settings of a list.
class IColumnSetSvc : public platform::Object {
public:
    virtual void Init(const std::string& connectionText, const std::string& userId) = 0;
    // The column description of the list named by key ("Ven_Contact"), as XML text.
    virtual std::string getColInfo(const std::string& key, int returnMode) = 0;
    // The same description as a rowset, one row per column.
    virtual std::shared_ptr<platform::db::Rowset> getColSet(const std::string& key, int returnMode) = 0;
    // Saves the user's description for key; false with a reason in message when refused.
    virtual bool Save(const std::string& key, const std::string& columnInfo, std::string& message) = 0;
};

// "HxRowAuthsvr.clsRowAuth": which rows of a business object the user may see.
class IRowAuthSvc : public platform::Object {
public:
    virtual void Init(const std::string& connectionText, const std::string& userId) = 0;
    // "" = no restriction, "1=2" = nothing allowed, otherwise a list of allowed ids ("5,7").
    virtual std::string GetAuthString(const std::string& objectName) = 0;
};

// "HxColAuthsvr.clsColAuth": which columns the user may read or write.
class IColAuthSvc : public platform::Object {
public:
    virtual void Init(const std::string& connectionText, const std::string& userId) = 0;
    // request: "<hxColAuth cBusObId='vendor' cFuncId='R'/>"; answers the allowed columns, "" = all.
    virtual std::string GetAuthString(const std::string& request) = 0;
};

// "HxSrvTrans.IClsCommon": the host's archive service.
class IArchiveService : public platform::Object {
public:
    virtual void Init(const std::string& connectionText) = 0;
    // True when nothing the host knows of refers to value; false with a description of the
    // referring objects in message.
    virtual bool CheckArchRefed(const platform::db::Value& value, const std::string& tableName,
                                const std::string& archiveCaption, std::string& message) = 0;
};

// "HxPSysStart.ISysStart": the sub-systems started for an account.
class ISysStart : public platform::Object {
public:
    // started receives the started sub-system codes, comma-separated.
    virtual bool GetAllStartedSys(const std::string& connectionText, const std::string& accountId,
                                  std::string& started) = 0;
};

// "HxPub.StringBuilder": positions are 0-based characters.
class IStringBuilder : public platform::Object {
public:
    virtual void SetChunkSize(long bytes) = 0;
    virtual void Append(const std::string& text) = 0;
    virtual void Remove(long start, long length) = 0;
    virtual void Insert(long start, const std::string& text) = 0;
    virtual std::string ToString() const = 0;
};

}  // namespace sovrel
