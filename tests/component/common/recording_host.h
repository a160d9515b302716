#pragma once
// Host services that record what the common procedures ask of them, registered under their
// program identifiers for the life of the object, with a fresh context before and after.
#include <memory>
#include <string>
#include <vector>

#include "common/context.h"
#include "common/hosts/login.h"
#include "common/hosts/text_service.h"
#include "common/prog_ids.h"
#include "platform/object_factory.h"

namespace sovrel::testing {

class RecordingLogin : public ILogin {
public:
    std::string cUserId() const override { return "demo"; }
    std::string cUserName() const override { return "Demo"; }
    std::string tkDBName() const override { return ""; }
    std::string CurDate() const override { return "2024-05-01"; }
    std::string cEmployeeId() const override { return ""; }
    bool TaskExec(std::string&, int&) override { return true; }
    std::string ShareString() const override { return ""; }
};

struct Shown {
    std::string prompt;
    int style;
    std::string title, language;
};

class RecordingCrm : public ICrmCommonSvc {
public:
    std::string language = "en-US";
    int toolbarStyle = 0;
    int answer = msgbox::Ok;
    int languageCalls = 0;
    std::vector<std::shared_ptr<ILogin>> languageLogins;
    std::vector<std::string> textLanguages;  // the language each lookup was given
    std::vector<std::vector<platform::db::Value>> textParams;
    std::vector<Shown> shown;
    std::vector<std::string> traces;

    std::string GetLanguage(const std::shared_ptr<ILogin>& login) override {
        ++languageCalls;
        languageLogins.push_back(login);
        return language;
    }
    int GetToolbarStyle() override { return toolbarStyle; }
    std::string GetText(const std::string& key, std::string& lang, bool& flag) override {
        textLanguages.push_back(lang);
        return "[" + lang + (flag ? "" : " noflag") + "] " + key;
    }
    std::string GetTextWithParams(const std::string& key, std::vector<platform::db::Value>& params,
                                  std::string& lang) override {
        textLanguages.push_back(lang);
        textParams.push_back(params);
        return "[" + lang + "] " + key;
    }
    void SetFormCaption(IForm&, std::string&, bool&) override {}
    int ShowMessage(const std::string& prompt, int style, const std::string& title, const std::string& lang,
                    int, int) override {
        shown.push_back({prompt, style, title, lang});
        return answer;
    }
    void LocalizeForm(const std::string&, IForm&) override {}
    void Trace(const std::string& label, const std::string& text, bool& flag) override {
        traces.push_back(label + "|" + text + "|" + (flag ? "true" : "false"));
    }
    std::string GetHelpFile() override { return ""; }
    void FormUnloaded() override {}
    void QuoteSqlText(const std::string& t, std::string& r) override { r = t; }
    void EscapeXmlText(const std::string& t, std::string& r) override { r = t; }
    std::string GetSmsConfig() override { return ""; }
};

class RecordingTitle : public ITitleSvc {
public:
    std::vector<std::string> asked;
    std::string GetTitle(const std::string& language) override {
        asked.push_back(language);
        return "Title in " + language;
    }
};

class RecordingHost {
public:
    RecordingHost() { ResetContext(); }
    ~RecordingHost() { ResetContext(); }
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    std::shared_ptr<RecordingCrm> crm = std::make_shared<RecordingCrm>();
    std::shared_ptr<RecordingTitle> title = std::make_shared<RecordingTitle>();

private:
    platform::ScopedRegistration crmRegistration_{progid::CrmCommonSvc, [c = crm] { return c; }};
    platform::ScopedRegistration titleRegistration_{progid::TitleSvc, [t = title] { return t; }};
};

}  // namespace sovrel::testing
