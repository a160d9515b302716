#pragma once
// The check the data service asks of the entry class for every record it writes.
#include <cstdint>
#include <string>

#include <pugixml.hpp>

#include "service/iclscommon.h"

namespace sovrel {

class IRecordCheck {
public:
    virtual ~IRecordCheck() = default;
    // False stops the write; the reason is left in the context's PendingMessage.
    virtual bool Trans(std::int16_t tOpt, pugi::xml_node& Ele, RowsetPtr& rst, const std::string& TableName,
                       IClsCommon& ICom) = 0;
};

}  // namespace sovrel
