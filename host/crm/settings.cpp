// The process-wide settings and message presenter of the CRM services.
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>

#include "settings.h"
#include "host/crm.h"
#include "host/messaging.h"

namespace host {

namespace {

struct CrmSettings {
    std::mutex mutex;
    MessageBoxPresenter presenter;
    std::optional<int> toolbarStyle;
    std::string smsConfig;
    std::string languageOverride;
};

CrmSettings& Settings() {
    static CrmSettings settings;
    return settings;
}

std::optional<int> EnvironmentNumber(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    char* end = nullptr;
    const long n = std::strtol(value, &end, 10);
    if (*end != '\0') return std::nullopt;
    return static_cast<int>(n);
}

// Without a presenter there is nobody to ask: the message is shown on stderr and taken as read.
int PrintMessage(const MessageBoxRequest& request) {
    std::fprintf(stderr, "[%s] %s\n", request.title.c_str(), request.prompt.c_str());
    return sovrel::msgbox::Ok;
}

}  // namespace

MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter) {
    std::lock_guard lock(Settings().mutex);
    std::swap(Settings().presenter, presenter);
    return presenter;
}

void SetToolbarStyle(std::optional<int> style) {
    std::lock_guard lock(Settings().mutex);
    Settings().toolbarStyle = style;
}

void SetSmsConfig(std::string config) {
    std::lock_guard lock(Settings().mutex);
    Settings().smsConfig = std::move(config);
}

void SetLanguageOverride(std::string language) {
    std::lock_guard lock(Settings().mutex);
    Settings().languageOverride = std::move(language);
}

namespace detail {

int PresentMessageBox(const MessageBoxRequest& request) {
    MessageBoxPresenter presenter;
    {
        std::lock_guard lock(Settings().mutex);
        presenter = Settings().presenter;
    }
    // Called outside the lock: a modal box runs the event loop, which may show another message.
    return presenter ? presenter(request) : PrintMessage(request);
}

int ToolbarStyleSetting() {
    {
        std::lock_guard lock(Settings().mutex);
        if (Settings().toolbarStyle) return *Settings().toolbarStyle;
    }
    return EnvironmentNumber("SOVREL_TOOLBAR_STYLE").value_or(0);
}

std::string SmsConfigSetting() {
    {
        std::lock_guard lock(Settings().mutex);
        if (!Settings().smsConfig.empty()) return Settings().smsConfig;
    }
    const char* value = std::getenv("SOVREL_SMS_CONFIG");
    if (value != nullptr && *value != '\0') return value;
    const std::string configured = SmsConfigFromSettings();
    return configured.empty() ? kDefaultSmsConfig : configured;
}

std::string LanguageOverride() {
    std::lock_guard lock(Settings().mutex);
    return Settings().languageOverride;
}

}  // namespace detail

}  // namespace host
