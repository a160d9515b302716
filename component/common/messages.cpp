#include "common/messages.h"

#include "common/context.h"
#include "common/host_objects.h"
#include "common/texts.h"

namespace sovrel {

std::string GetMsgTitle() {
    Context& c = Ctx();
    if (c.MsgTitle.empty()) c.MsgTitle = TitleSvc().GetTitle(LoginLanguage());
    return c.MsgTitle;
}

int ShowMsgBox(const std::string& prompt, int style, const std::string& title) {
    const std::string language = LoginLanguage();
    return CrmCommonSvc().ShowMessage(prompt, style, title, language, 0, 0);
}

void ShowInfo(const std::string& message) { ShowMsgBox(message, msgbox::Information, GetMsgTitle()); }

}  // namespace sovrel
