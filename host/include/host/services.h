#pragma once
// The host services the component creates by program identifier: column settings, row and
// column authority, the archive-reference check, the started sub-systems and the string builder.
//
// Column description (getColInfo, Save), one element per column in display order:
//
//   <ColumnSet key="Ven_Contact" version="1">
//     <Column name="cSelect" caption="" expression="''" alias="cSelect" type="text" width="28"
//             visible="1" fixed="1" sort="" sortIndex="0" decimals=""/>
//     <Column name="cContactCode" caption="联系人编码" expression="Ven_Contact.cContactCode"
//             alias="cContactCode" type="text" width="110" visible="1" fixed="0" sort="asc"
//             sortIndex="1" decimals=""/>
//     ...
//   </ColumnSet>
//
// - name: the column's identity (also its alias). The first column is always "cSelect", an
//   empty value that backs the grid's selection column; it is fixed (first and visible).
// - expression, alias: the select-list item "expression as alias"; display columns name their
//   joined table by the list's join aliases (vendor.cVenName, Contact1.cContactName,
//   BaseCodeSex.cName, BaseCodeDuty.cName, BaseCodeTaste.cName, BaseCodeMarriage.cName,
//   Person.cPersonName), so the list's join builder finds the joins they need.
// - caption: in the user's language; user-defined items carry their item name.
// - type: text, number, date or bool; decimals: digits of a number column ("" for others).
// - width in pixels; visible 1/0; sort asc/desc/"" and sortIndex 1, 2, ... among sorted columns.
// Save keeps only the user's choices (order, width, visible, sort, and a caption of the user's
// own as userCaption) per user in UA_ColumnSet;
// expressions and captions always come from the service, so a saved text cannot inject SQL
// and follows the user's language. Columns that appeared since the save are added hidden.
//
// Return modes of getColInfo/getColSet: 0 the default description; 1 and 2 the user's (the
// saved one when there is one, else the default); 15 the user's with every column visible.
// Any other mode is read as 1.
#include <memory>
#include <string>
#include <vector>

#include "common/hosts/services.h"
#include "platform/db/connection.h"

namespace host {

// "HxColumnsetSvr.clsColSetsvr".
class ColumnSetService final : public sovrel::IColumnSetSvc {
public:
    // connectionText: the account database (the user-defined items' names come from there);
    // the settings live in the system database beside it.
    void Init(const std::string& connectionText, const std::string& userId) override;
    // Throws platform::Error for a list it does not know and before Init.
    std::string getColInfo(const std::string& key, int returnMode) override;
    // One row per column in display order: cName, cCaption, cExpression, cAlias, cType, iWidth,
    // bVisible, bFixed, cSort, iSortIndex, iDecimals (NULL when none), iOrder (1-based).
    std::shared_ptr<platform::db::Rowset> getColSet(const std::string& key, int returnMode) override;
    // Validates and stores the user's description; false with the reason in message.
    bool Save(const std::string& key, const std::string& columnInfo, std::string& message) override;
    // Forgets the user's saved description (back to the default); answers whether there was one.
    bool Reset(const std::string& key);

    struct Column {
        std::string name, captionKey, caption, expression, type;
        std::string userCaption;  // the user's own caption, "" for the service's
        int width = 80;
        bool visible = false, fixed = false;
        std::string sort;  // "", "asc", "desc"
        int sortIndex = 0;
        int decimals = -1;  // -1: not a number column
    };
    // The description of returnMode as columns (what getColInfo writes as XML).
    std::vector<Column> Columns(const std::string& key, int returnMode);

private:
    std::vector<Column> Catalogue();
    std::string Language();

    std::string accountText_, systemText_, userId_, language_;
};

// "HxRowAuthsvr.clsRowAuth".
class RowAuthService final : public sovrel::IRowAuthSvc {
public:
    void Init(const std::string& connectionText, const std::string& userId) override;
    // "" when the user has no restriction on the object; the allowed ids ("1,3") from
    // UA_RowAuth; "1=2" when none is allowed, for an unknown or disabled user and for a stored
    // list that is not one of whole numbers. Throws platform::Error before Init.
    std::string GetAuthString(const std::string& objectName) override;

private:
    std::string systemText_, userId_;
};

// The condition on vendor (by its iId) that keeps to the user's vendors: "" without a
// restriction, "1=2" when none is allowed, else "iId IN (...)".
std::string VendorAuthCondition(const std::string& connectionText, const std::string& userId);

// "HxColAuthsvr.clsColAuth".
class ColAuthService final : public sovrel::IColAuthSvc {
public:
    void Init(const std::string& connectionText, const std::string& userId) override;
    // The allowed columns from UA_ColAuth, comma-separated without spaces; "" for all. Throws
    // platform::Error for a request that is not <hxColAuth cBusObId='..' cFuncId='R|W'/> and
    // before Init.
    std::string GetAuthString(const std::string& request) override;

private:
    std::string systemText_, userId_;
};

// "HxSrvTrans.IClsCommon".
class ArchiveService final : public sovrel::IArchiveService {
public:
    void Init(const std::string& connectionText) override;
    // Counts, for every crm_ref_relation row of the table, the referring rows whose column holds
    // value (and that meet cwherepart). True when there are none; otherwise false and message
    // names each referring object with its row count ("采购订单（1条）"). Null or empty value:
    // true. Throws platform::Error before Init and when a relation cannot be read.
    bool CheckArchRefed(const platform::db::Value& value, const std::string& tableName,
                        const std::string& archiveCaption, std::string& message) override;

private:
    std::string accountText_;
    // Kept between checks: a delete of many contacts checks each one, and a new connection per
    // check (a server login on PostgreSQL) cost more than the counting. Dropped after a failure.
    std::unique_ptr<platform::db::Connection> db_;
};

// "HxPSysStart.ISysStart".
class SysStartService final : public sovrel::ISysStart {
public:
    // The sub-systems started for the account (in the year of the connection text's account
    // database when it names one), comma-separated in code order. False (started "") when the
    // account is unknown or the system database cannot be read.
    bool GetAllStartedSys(const std::string& connectionText, const std::string& accountId,
                          std::string& started) override;
};

// "HxPub.StringBuilder": text kept as a list of chunks of up to a few kilobytes, each knowing
// its character count, so an edit costs the chunk it touches plus a walk over chunk counts
// (from the last chunk used, which makes runs of nearby edits cheap) rather than a move of the
// whole text. Positions and lengths count characters (UTF-8 code points; an invalid byte counts
// as one), 0-based.
class StringBuilder final : public sovrel::IStringBuilder {
public:
    // A hint of the final size in bytes (room is kept for it); changes nothing visible.
    void SetChunkSize(long bytes) override;
    void Append(const std::string& text) override;
    // Throws platform::Error when start or length is negative or start + length passes the end.
    void Remove(long start, long length) override;
    // Throws platform::Error when start is negative or past the end.
    void Insert(long start, const std::string& text) override;
    std::string ToString() const override;
    // Characters held.
    long Length() const { return length_; }

private:
    struct Chunk {
        std::string bytes;
        long chars = 0;
    };
    // Index of the chunk holding character position, and the characters before that chunk;
    // position == length gives the last chunk (or chunks_.size() when empty).
    std::size_t Locate(long position, long& before);
    void Split(std::size_t index);

    std::vector<Chunk> chunks_;
    long length_ = 0;
    std::size_t hintIndex_ = 0;  // last chunk located, with the characters before it
    long hintBefore_ = 0;
};

}  // namespace host
