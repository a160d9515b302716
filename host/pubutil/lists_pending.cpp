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

int PubUtil::ShowTipMsg(sovrel::IFlexGrid&, std::int16_t&, std::int16_t&, const std::shared_ptr<sovrel::ILogin>&,
                        const std::shared_ptr<sovrel::IClsCommon>&, const std::string&) {
    NotYet("PubUtil.ShowTipMsg");
}
void PubUtil::DeleteStart() { NotYet("PubUtil.DeleteStart"); }
void PubUtil::DeleteEnded() { NotYet("PubUtil.DeleteEnded"); }
std::shared_ptr<platform::db::Rowset> PubUtil::ModifyInitMsg(const std::string&, const std::string&) {
    NotYet("PubUtil.ModifyInitMsg");
}
void PubUtil::ModifyAddMsg(const std::shared_ptr<platform::db::Rowset>&, const std::string&, const std::string&) {
    NotYet("PubUtil.ModifyAddMsg");
}
void PubUtil::ModifyShowMsg(const std::string&, const std::shared_ptr<sovrel::ILogin>&,
                            const std::shared_ptr<sovrel::IClsCommon>&, const std::shared_ptr<platform::db::Rowset>&) {
    NotYet("PubUtil.ModifyShowMsg");
}

}  // namespace host
