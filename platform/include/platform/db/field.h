#pragma once
#include <string>

namespace platform::db {

// Type codes of the data-access layer the component was written against (DataTypeEnum).
enum DataType : int {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBoolean = 11,
    adDecimal = 14,
    adTinyInt = 16,
    adUnsignedTinyInt = 17,
    adBigInt = 20,
    adGUID = 72,
    adBinary = 128,
    adChar = 129,
    adWChar = 130,
    adNumeric = 131,
    adDBTimeStamp = 135,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adVarBinary = 204,
    adLongVarBinary = 205,
};

// What a rowset knows of one of its fields.
struct FieldInfo {
    std::string name;          // as the query named it (alias or column)
    int type = adVarWChar;     // DataType code
    long definedSize = 0;      // characters for text, bytes otherwise
    int precision = 0;         // numeric/decimal only
    int scale = 0;
    std::string baseTable;     // table the column comes from; empty for expressions
    std::string baseColumn;    // column name in that table
    bool nullable = true;
};

// Maps a declared SQL Server style column type ("nvarchar(60)", "int", "datetime", "money",
// "decimal(18,2)", "bit", "timestamp" ...) to a FieldInfo's type, size, precision and scale.
// Unknown or empty types leave the info's type as adVarWChar with size 0 and return false.
bool ApplyDeclaredType(std::string_view declared, FieldInfo& info);

}  // namespace platform::db
