#pragma once
// What the CRM services read of the settings that host/crm.h lets the portal set.
#include <string>

#include "host/crm.h"

namespace host::detail {

int PresentMessageBox(const MessageBoxRequest& request);
int ToolbarStyleSetting();
std::string SmsConfigSetting();
// "" when no override is set.
std::string LanguageOverride();

}  // namespace host::detail
