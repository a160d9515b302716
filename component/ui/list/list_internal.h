#pragma once
// Shared by the list window's files only.
#include <functional>
#include <string>

#include "common/logs.h"

namespace sovrel {

class IPubUtil;

namespace list {

inline constexpr const char* kTable = "Ven_Contact";
inline constexpr const char* kWindowKey = "Hx.CRM.TkContactUI.frmContactList";
inline constexpr const char* kTitleKey = "Hx.AA.ARCHIVE.COMMON.vendorcontactmanagement";
inline constexpr const char* kCodeCaptionKey = "Hx.CRM.TkContact.frmcontactlist.00027";
// The title the window options and locate settings carry: "联系人档案" in the user's language
// rather than as a fixed text, which an en-US window would show in Chinese.
inline constexpr const char* kFormTitleKey = "Hx.CRM.TkContact.frmcontactlist.FormTitle";
inline constexpr const char* kNoRowKey = "Hx.CRM.TkContact.frmcontactlist.00029";

// The public-utility object of the context; throws platform::Error when Show created none.
IPubUtil& Pub();


}  // namespace list
}  // namespace sovrel
