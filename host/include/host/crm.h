#pragma once
// The host's CRM common service ("HxCrmCommon.CrmCommonSvc": texts, message boxes, window
// localisation, traces, quoting) and title service ("HxCrmCommon.TitleSvc"), with the settings
// the portal gives them. RegisterCrmObjects() (host/register.h) registers both.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/hosts/text_service.h"

namespace host {

// ---- Message boxes -----------------------------------------------------------------------

struct MessageBoxRequest {
    std::string prompt;
    int style = 0;  // the component's style numbers: 64 information, 35 yes/no/cancel question
    std::string title;
    std::string language;
};

// Shows the component's message box and answers the button pressed (1 OK, 2 Cancel, 6 Yes,
// 7 No). The portal installs one over a real message box; tests install scripted answers.
// Without one, messages go to stderr and answer 1. The host's own notices (host/presenter.h)
// come through the same presenter as information boxes.
using MessageBoxPresenter = std::function<int(const MessageBoxRequest&)>;
// Process-wide; answers the presenter it replaced.
MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter);

// ---- Settings (process-wide) ---------------------------------------------------------------

// The toolbar style number GetToolbarStyle answers: SOVREL_TOOLBAR_STYLE from the environment
// when set to a number, else 0; SetToolbarStyle overrides both (nullopt restores them).
void SetToolbarStyle(std::optional<int> style);
// The SMS client's configuration text GetSmsConfig answers: SOVREL_SMS_CONFIG from the
// environment when set, else kDefaultSmsConfig; SetSmsConfig overrides both ("" restores).
inline constexpr const char* kDefaultSmsConfig = "Gateway=Outbox;Signature=Sovrel";
void SetSmsConfig(std::string config);
// A language that every login gets, whatever its user's (for the command line and tests);
// "" removes it.
void SetLanguageOverride(std::string language);

// The default language, for a login that tells none and a user the host cannot find.
inline constexpr const char* kDefaultLanguage = "zh-CN";
// The resource key of the message-box title.
inline constexpr const char* kMessageTitleKey = "Hx.AA.ARCHIVE.COMMON.vendorcontactmanagement";

// ---- The services -------------------------------------------------------------------------

// One instance per user-interface thread. Texts come from host/texts.
class CrmCommonService : public sovrel::ICrmCommonSvc {
public:
    // The language of the override if set; otherwise of a login that implements
    // host::ILanguageSource; otherwise the user's cLanguage in the system database next to the
    // login's account database (looked up once per user); otherwise kDefaultLanguage.
    std::string GetLanguage(const std::shared_ptr<sovrel::ILogin>& login) override;
    int GetToolbarStyle() override;
    // The key's text; a key the language lacks answers the key itself, so the gap shows.
    std::string GetText(const std::string& key, std::string& language, bool& flag) override;
    // The key's text with {0}, {1}... replaced by the parameters' text forms.
    std::string GetTextWithParams(const std::string& key, std::vector<platform::db::Value>& params,
                                  std::string& language) override;
    void SetFormCaption(sovrel::IForm& window, std::string& caption, bool& flag) override;
    int ShowMessage(const std::string& prompt, int style, const std::string& title,
                    const std::string& language, int reserved1, int reserved2) override;
    // Sets the window's caption to the text of windowKey, and, when the window offers
    // sovrel::IControlTexts, each control's text to the text of "<windowKey>.<control>", in
    // the language GetLanguage answers for the login of this thread's context.
    void LocalizeForm(const std::string& windowKey, sovrel::IForm& window) override;
    // "label: text" on the diagnostic channel; nothing when flag is false.
    void Trace(const std::string& label, const std::string& text, bool& flag) override;
    // help/sovrel.html in the program's directory (the file need not exist).
    std::string GetHelpFile() override;
    void FormUnloaded() override;
    // Single quotes doubled.
    void QuoteSqlText(const std::string& text, std::string& result) override;
    // &, <, >, " and ' as entities.
    void EscapeXmlText(const std::string& text, std::string& result) override;
    std::string GetSmsConfig() override;

    // How many windows reported their unload to this instance.
    int FormUnloadedCount() const { return formsUnloaded_; }

private:
    int formsUnloaded_ = 0;
    // Languages found in the system database, by connection text and user.
    std::map<std::pair<std::string, std::string>, std::string> userLanguages_;
};

class TitleService : public sovrel::ITitleSvc {
public:
    // The text of kMessageTitleKey in language (the default language for an unknown one).
    std::string GetTitle(const std::string& language) override;
};

}  // namespace host
