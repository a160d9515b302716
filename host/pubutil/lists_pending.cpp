// The delete dialogs, locate and sort of the public-utility object are not built yet; until
// they are, each says so instead of pretending to work.
#include "host/pub_util.h"
#include "platform/error.h"

namespace host {

namespace {
[[noreturn]] void NotYet(const char* who) {
    throw platform::Error(platform::errnum::InvalidOperation, who, "not available in this version of the host");
}
}  // namespace

void PubUtil::FindPos(sovrel::IFlexGrid&, sovrel::IForm&) { NotYet("PubUtil.FindPos"); }
void PubUtil::FindSet(sovrel::IForm&, const std::string&, const std::shared_ptr<sovrel::ILogin>&) {
    NotYet("PubUtil.FindSet");
}
void PubUtil::GridSort(sovrel::IForm&, sovrel::IFlexGrid&, int) { NotYet("PubUtil.GridSort"); }

}  // namespace host
