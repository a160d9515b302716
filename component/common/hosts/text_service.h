#pragma once
// The host's CRM common service (texts, messages, localisation, traces) and title service.
#include <memory>
#include <string>
#include <vector>

#include "common/form.h"
#include "platform/db/value.h"
#include "platform/object_factory.h"

namespace sovrel {

class ILogin;

// Message-box styles and answers the component uses.
namespace msgbox {
constexpr int Information = 64;   // information icon, OK button
constexpr int YesNoCancelQuestion = 35;
constexpr int Ok = 1, Cancel = 2, Yes = 6, No = 7;
}  // namespace msgbox

class ICrmCommonSvc : public platform::Object {
public:
    virtual std::string GetLanguage(const std::shared_ptr<ILogin>& login) = 0;
    // The host's toolbar style number.
    virtual int GetToolbarStyle() = 0;
    virtual std::string GetText(const std::string& key, std::string& language, bool& flag) = 0;
    virtual std::string GetTextWithParams(const std::string& key, std::vector<platform::db::Value>& params,
                                          std::string& language) = 0;
    virtual void SetFormCaption(IForm& window, std::string& caption, bool& flag) = 0;
    // Shows a modal message box; answers the button pressed (msgbox::Yes ...).
    virtual int ShowMessage(const std::string& prompt, int style, const std::string& title,
                            const std::string& language, int reserved1, int reserved2) = 0;
    virtual void LocalizeForm(const std::string& windowKey, IForm& window) = 0;
    virtual void Trace(const std::string& label, const std::string& text, bool& flag) = 0;
    virtual std::string GetHelpFile() = 0;
    // Called by each window's unload that was not cancelled.
    virtual void FormUnloaded() = 0;
    // Makes text safe inside N'...'.
    virtual void QuoteSqlText(const std::string& text, std::string& result) = 0;
    // Makes text safe inside an XML element.
    virtual void EscapeXmlText(const std::string& text, std::string& result) = 0;
    // The SMS configuration text.
    virtual std::string GetSmsConfig() = 0;
};

class ITitleSvc : public platform::Object {
public:
    // The message-box title in the language.
    virtual std::string GetTitle(const std::string& language) = 0;
};

}  // namespace sovrel
