// Function rights of contact operations, asked of the login object.
#include "common/context.h"
#include "common/hosts/login.h"
#include "common/texts.h"
#include "platform/text.h"
#include "service/clscommon.h"
#include "service/service_errors.h"

namespace sovrel {

namespace {

// The function code of an operation on an archive; "" when there is none.
std::string FunctionCode(const std::string& archive, int optId) {
    struct Row {
        const char* archive;
        int optId;
        const char* code;
    };
    static constexpr Row kCodes[] = {
        {"ven_contact", 1, "AS020302"}, {"ven_contact", 2, "AS020301"}, {"ven_contact", 3, "AS020303"},
        {"ven_contact", 8, "AS020306"}, {"ven_contact", 11, "AS020305"},
    };
    std::string a = platform::text::LCase(archive);
    for (const auto& row : kCodes)
        if (a == row.archive && optId == row.optId) return row.code;
    return "";
}

}  // namespace

bool ClsCommon::GetFunAuth(std::shared_ptr<ILogin> oLogin, const std::string& sArch, int bIsLock, std::string* sErr,
                           int OptId, const std::string&, int) {
    try {
        if (oLogin) login_ = oLogin;
        std::string code = FunctionCode(sArch, OptId);
        if (code.empty() || !login_) return true;
        if (bIsLock == 0) {
            login_->TaskExec(code, bIsLock);
            return true;
        }
        bool allowed = login_->TaskExec(code, bIsLock);
        if (!allowed && sErr) *sErr = login_->ShareString();
        return allowed;
    } catch (...) {
        service::LogCurrentError("GetFunAuth");
        if (sErr) *sErr = ResText("Hx.CRM.COMMON.MsgAuthErr");
        return true;
    }
}

}  // namespace sovrel
