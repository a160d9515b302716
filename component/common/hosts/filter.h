#pragma once
// "TkGeneralFilter.FilterSrv", the host's general filter: the user builds a condition over a list
// in the host's dialog, and the caller reads it back as SQL.
#include <memory>
#include <string>

#include "platform/object_factory.h"

namespace sovrel {

class ILogin;

// A new object is created for each filter run; it keeps the condition of its last OpenFilter.
class IFilterSrv : public platform::Object {
public:
    // Shows the filter dialog for the filter definition named filterName ("AA[__]供应商联系人档案");
    // true when the user confirmed a condition, false when cancelled (message may then say why).
    // The list passes option1 and option2 empty.
    virtual bool OpenFilter(const std::shared_ptr<ILogin>& login, const std::string& filterName,
                            const std::string& option1, const std::string& option2, std::string& message) = 0;
    // The confirmed condition as SQL over the list's query, without "WHERE"; "" when the user set
    // none (and before any confirmed OpenFilter).
    virtual std::string GetSQLWhere() = 0;
};

}  // namespace sovrel
