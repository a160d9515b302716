#include "common/texts.h"

#include "common/context.h"
#include "common/host_objects.h"

namespace sovrel {

namespace {
std::string LanguageOrLogin(const std::string& language) {
    return language.empty() ? LoginLanguage() : language;
}
}  // namespace

std::string LoginLanguage() { return CrmCommonSvc().GetLanguage(Ctx().Login); }

std::string ResText(const std::string& key, const std::string& language) {
    std::string lang = LanguageOrLogin(language);
    bool flag = true;
    return CrmCommonSvc().GetText(key, lang, flag);
}

std::string ResTextParams(const std::string& key, std::vector<platform::db::Value> params,
                          const std::string& language) {
    std::string lang = LanguageOrLogin(language);
    return CrmCommonSvc().GetTextWithParams(key, params, lang);
}

}  // namespace sovrel
