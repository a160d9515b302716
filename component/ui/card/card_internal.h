#pragma once
// Shared by the card's files only.
#include <functional>
#include <string>

#include "common/logs.h"

namespace sovrel {

class IPubUtil;
class IPubUtilEditors;
class IPubUtilLists;

namespace card {

inline constexpr const char* kWindowKey = "Hx.CRM.TkContactUI.frmSovrelEdit";
inline constexpr const char* kToolbarDefinition = "Archives_Sovrel_Edit";
inline constexpr const char* kUserDefClass = "供应商联系人";
// The seven characters no editor of the card accepts.
inline constexpr const char* kForbidden = "<>'\"|&,";
// The function rights of adding and of changing a contact.
inline constexpr const char* kAddRight = "AS020305";
inline constexpr const char* kModifyRight = "AS020301";
// Colours as 0xRRGGBB.
inline constexpr long kWhite = 0xFFFFFF, kGrey = 0x808080, kNavy = 0x000080;

// The facets of the context's public-utility object; the first throws platform::Error when
// there is none, the others answer nullptr when the object lacks the facet.
IPubUtil& Pub();
IPubUtilEditors* PubEditors();
IPubUtilLists* PubLists();

// Counts a check or command running on the card while it lives.
class CheckScope {
public:
    explicit CheckScope(int& depth) : depth_(depth) { ++depth_; }
    ~CheckScope() { --depth_; }
    CheckScope(const CheckScope&) = delete;
    CheckScope& operator=(const CheckScope&) = delete;

private:
    int& depth_;
};


}  // namespace card
}  // namespace sovrel
