#include "ui/list/vcard_export.h"

#include "common/context.h"
#include "common/hosts/save_file.h"
#include "common/messages.h"
#include "common/prog_ids.h"
#include "common/texts.h"
#include "exchange/contact_exchange.h"
#include "ui/list/frm_contact_list.h"

namespace sovrel {

void ExportVCards(frmContactList& list, const std::vector<std::string>& codes, const std::string& codeQuery) {
    auto dialog = platform::Create<ISaveFileDialog>(progid::SaveFileDialog);
    if (!dialog) {
        ShowInfo(ResTextParams("Hx.CRM.TkContact.Exchange.NoDialog", {platform::db::Value(progid::SaveFileDialog)}));
        return;
    }
    std::string path = dialog->AskSavePath(&list, ResText("Hx.CRM.TkContactUI.frmContactList.mExportVCard"),
                                           ResText("Hx.CRM.TkContact.Exchange.FileFilter"),
                                           codes.size() == 1 ? codes.front() + ".vcf" : "contacts.vcf");
    if (path.empty()) return;
    if (!exchange::FormatOfPath(path)) path += ".vcf";
    long count = 0;
    std::string message;
    if (exchange::ExportContacts(*Ctx().DataService, path, exchange::Format::VCard, "", codes, count, message,
                                 codeQuery))
        ShowInfo(ResTextParams("Hx.CRM.TkContact.Exchange.ExportedCount",
                               {platform::db::Value(count), platform::db::Value(path)}));
    else
        ShowInfo(message);
}

}  // namespace sovrel
