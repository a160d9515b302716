#include "common/prog_ids.h"
#include "host/presenter.h"
#include "host/register.h"
#include "host/session.h"
#include "platform/text.h"
#include "support.h"

namespace host {

bool RightChecker::AcquireRight(const std::shared_ptr<sovrel::ILogin>& login, const std::string& functionCode) {
    if (!login) {
        PresentMessage(detail::HostText("zh-CN", "Hx.AA.PORTAL.RightTitle"),
                       detail::HostText("zh-CN", "Hx.CRM.COMMON.DBMSG.HxLogin0001"));
        return false;
    }
    const std::string language = detail::LanguageOf(login.get());
    std::string code = functionCode;
    int lockFlag = 1;
    if (!login->TaskExec(code, lockFlag)) {
        PresentMessage(detail::HostText(language, "Hx.AA.PORTAL.RightTitle"), login->ShareString());
        return false;
    }
    std::lock_guard lock(mutex_);
    ++held_[login.get()][platform::text::UCase(functionCode)];
    return true;
}

void RightChecker::ReleaseRight(const std::shared_ptr<sovrel::ILogin>& login, const std::string& functionCode) {
    std::lock_guard lock(mutex_);
    auto rights = held_.find(login.get());
    if (rights == held_.end()) return;
    auto it = rights->second.find(platform::text::UCase(functionCode));
    if (it == rights->second.end()) return;
    if (--it->second <= 0) rights->second.erase(it);
    if (rights->second.empty()) held_.erase(rights);
}

int RightChecker::HeldCount(const sovrel::ILogin* login, const std::string& functionCode) const {
    std::lock_guard lock(mutex_);
    auto rights = held_.find(login);
    if (rights == held_.end()) return 0;
    auto it = rights->second.find(platform::text::UCase(functionCode));
    return it == rights->second.end() ? 0 : it->second;
}

int RightChecker::HeldTotal(const sovrel::ILogin* login) const {
    std::lock_guard lock(mutex_);
    auto rights = held_.find(login);
    int total = 0;
    if (rights != held_.end())
        for (const auto& [code, count] : rights->second) total += count;
    return total;
}

void RegisterSessionObjects() {
    platform::Register(sovrel::progid::RightChecker, [] { return std::make_shared<RightChecker>(); });
}

}  // namespace host
