#include "fakes.h"

#include "platform/error.h"

namespace sovrel::fakes {

int CallLog::Count(const std::string& prefix) const {
    int n = 0;
    for (const auto& c : calls) n += c.rfind(prefix, 0) == 0;
    return n;
}

std::string CrmCommonSvc::GetTextWithParams(const std::string& key, std::vector<platform::db::Value>& params,
                                            std::string&) {
    std::string out = key + "(";
    for (std::size_t i = 0; i < params.size(); ++i) out += (i ? "," : "") + params[i].ToText();
    return out + ")";
}

Host::Host() {
    ResetContext();
    auto reg = [this](const char* id, std::shared_ptr<platform::Object> o) {
        registrations_.push_back(std::make_unique<platform::ScopedRegistration>(id, [o] { return o; }));
    };
    reg(progid::RightChecker, rights);
    reg(progid::CrmCommonSvc, crm);
    reg(progid::TitleSvc, title);
    reg(progid::PubUtil, pub);
    reg(progid::ColumnSetSvc, columns);
    reg(progid::RowAuthSvc, rowAuth);
    reg(progid::ColAuthSvc, colAuth);
    reg(progid::IClsCommon, data);
    reg(progid::ContactListWindow, window);
}

Host::~Host() {
    // Registrations are put back in reverse order by their destructors.
    while (!registrations_.empty()) registrations_.pop_back();
    ResetContext();
}

void Host::Withdraw(const std::string& progId) {
    registrations_.push_back(std::make_unique<platform::ScopedRegistration>(progId, platform::Creator{}));
}

}  // namespace sovrel::fakes
