#pragma once
// The print and export operations of "HxPub.IPub": the same host object implements IPubUtil and
// this interface.
#include <memory>
#include <string>

#include "platform/db/rowset.h"
#include "platform/object_factory.h"

namespace sovrel {

class IClsCommon;
class IFlexGrid;

class IPubUtilPrint : public platform::Object {
public:
    // style receives the stored print style of table ("" when none is stored yet: the host's
    // default layout for the grid's columns). The list passes name "".
    virtual void GetPrnStyle(const std::string& name, std::string& style, const std::string& table,
                             const std::shared_ptr<IClsCommon>& dataService, IFlexGrid& grid) = 0;
    // Stores style as the print style of table, replacing the one stored; the data service is
    // handed back (it may be replaced).
    virtual void SavePrnStyle(std::shared_ptr<IClsCommon>& dataService, const std::string& table,
                              const std::string& style) = 0;
    // Takes the print parameters ("<TableName><g_bPrnNo>true</g_bPrnNo><g_Year>2024</g_Year></TableName>")
    // for the next GetData; false when they cannot be read, with a description in parameter.
    virtual bool InitParameter(std::string& parameter) = 0;
    // data receives the grid's data rows with its header, the title, the user and the year, as the
    // print control's data text.
    virtual void GetData(const std::shared_ptr<IClsCommon>& dataService, IFlexGrid& grid, const std::string& userName,
                         const std::string& userId, const std::string& year, const std::string& title,
                         std::string& data) = 0;
    // The export types and sizes of the fields of rs, as comma lists framed by commas (",202,1,"),
    // one entry per field in field order.
    virtual void GetTypeSize(const std::shared_ptr<platform::db::Rowset>& rs, std::string& types,
                             std::string& sizes) = 0;
    // Tells the user the outcome of IPrintControl::ExportToFile's result number for table.
    virtual void PrintMsg(long result, const std::string& table) = 0;
};

}  // namespace sovrel
