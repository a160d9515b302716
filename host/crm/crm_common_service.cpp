#include <exception>
#include <filesystem>

#include "common/context.h"
#include "common/controls.h"
#include "common/hosts/login.h"
#include "host/crm.h"
#include "../services/xml_tree.h"
#include "../session/support.h"
#include "host/language_source.h"
#include "host/texts/text_table.h"
#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/diagnostics.h"
#include "platform/module_path.h"
#include "platform/text.h"
#include "settings.h"

namespace host {

namespace {

using host::texts::TextTable;


std::string SqlLiteral(const std::string& text) {
    return "N'" + platform::text::Replace(text, "'", "''") + "'";
}

// The user's language as the system database keeps it; "" when the user or database is not
// found (the caller falls back to the default).
std::string UserLanguageFromSystem(const std::string& accountConnection, const std::string& userId) {
    try {
        platform::db::Connection connection;
        connection.Open(detail::WithCatalog(accountConnection, "tksystem"));
        auto rows = connection.OpenRowset("SELECT cLanguage FROM UA_User WHERE cUser_Id = " +
                                          SqlLiteral(userId));
        if (rows->Eof()) return {};
        return platform::text::Trim(rows->Get("cLanguage").ToText());
    } catch (const std::exception& e) {
        platform::DebugOutput("CrmCommonSvc.GetLanguage: no language for user " + userId + ": " + e.what());
        return {};
    }
}

std::vector<std::string> ParameterTexts(const std::vector<platform::db::Value>& params) {
    std::vector<std::string> texts;
    texts.reserve(params.size());
    for (const auto& p : params) texts.push_back(p.ToText());
    return texts;
}

}  // namespace

std::string CrmCommonService::GetLanguage(const std::shared_ptr<sovrel::ILogin>& login) {
    std::string language = detail::LanguageOverride();
    if (language.empty() && login) {
        if (const auto* source = dynamic_cast<const ILanguageSource*>(login.get())) {
            language = source->Language();
        } else {
            const auto key = std::make_pair(login->tkDBName(), login->cUserId());
            auto it = userLanguages_.find(key);
            if (it == userLanguages_.end())
                it = userLanguages_.emplace(key, UserLanguageFromSystem(key.first, key.second)).first;
            language = it->second;
        }
    }
    if (language.empty()) language = kDefaultLanguage;
    return language;
}

int CrmCommonService::GetToolbarStyle() { return detail::ToolbarStyleSetting(); }

std::string CrmCommonService::GetText(const std::string& key, std::string& language, bool&) {
    return TextTable::For(language).Get(key).value_or(key);
}

std::string CrmCommonService::GetTextWithParams(const std::string& key, std::vector<platform::db::Value>& params,
                                                std::string& language) {
    return TextTable::For(language).Format(key, ParameterTexts(params));
}

void CrmCommonService::SetFormCaption(sovrel::IForm& window, std::string& caption, bool&) {
    window.SetCaption(caption);
}

int CrmCommonService::ShowMessage(const std::string& prompt, int style, const std::string& title,
                                  const std::string& language, int, int) {
    return detail::PresentMessageBox(MessageBoxRequest{prompt, style, title, language});
}

void CrmCommonService::LocalizeForm(const std::string& windowKey, sovrel::IForm& window) {
    // The window is the thread's login's: its language, asked now. A language remembered from
    // an earlier question is not there yet when the first window of a session loads.
    const TextTable& table = TextTable::For(GetLanguage(sovrel::Ctx().Login));
    if (auto caption = table.Get(windowKey)) window.SetCaption(*caption);
    auto* controls = dynamic_cast<sovrel::IControlTexts*>(&window);
    if (controls == nullptr) return;
    const std::string prefix = windowKey + ".";
    for (const std::string& key : table.Keys()) {
        if (key.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string control = key.substr(prefix.size());
        // Deeper keys belong to something else than one of this window's controls.
        if (control.empty() || control.find('.') != std::string::npos) continue;
        controls->SetControlText(control, *table.Get(key));
    }
}

void CrmCommonService::Trace(const std::string& label, const std::string& text, bool& flag) {
    if (flag) platform::DebugOutput(label + ": " + text);
}

std::string CrmCommonService::GetHelpFile() {
    // The contents page of the login's language; a language without pages of its own (the test
    // language) reads the default one's.
    const std::string help = platform::JoinPath(platform::ModuleDirectory(), "help");
    const std::string own = platform::JoinPath(help, GetLanguage(sovrel::Ctx().Login) + "/index.html");
    std::error_code ignored;
    return std::filesystem::exists(own, ignored) ? own : platform::JoinPath(help, std::string(kDefaultLanguage) + "/index.html");
}

void CrmCommonService::FormUnloaded() { ++formsUnloaded_; }

void CrmCommonService::QuoteSqlText(const std::string& text, std::string& result) {
    result = platform::text::Replace(text, "'", "''");
}

void CrmCommonService::EscapeXmlText(const std::string& text, std::string& result) {
    result = detail::XmlTextEscape(text);
}

std::string CrmCommonService::GetSmsConfig() { return detail::SmsConfigSetting(); }

std::string TitleService::GetTitle(const std::string& language) {
    return TextTable::For(language).Get(kMessageTitleKey).value_or(kMessageTitleKey);
}

}  // namespace host
