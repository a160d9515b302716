#pragma once
// "TkChart", the host's chart control: draws a chart from an XML chart description
// (<Chart Type="Organization"> ... <Contract Code Name Duty Superior/> ...).
#include <string>

#include "platform/object_factory.h"

namespace sovrel {

class IChart : public platform::Object {
public:
    // How the next Load reads its description; the chart window sets 4.
    virtual void SetMode(int mode) = 0;
    // Takes the chart description, replacing the previous one; an empty or unreadable text gives
    // an empty chart.
    virtual void Load(const std::string& description) = 0;
    // Draws what was loaded.
    virtual void Draw() = 0;
};

}  // namespace sovrel
