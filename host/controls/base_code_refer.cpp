// "BaseCodeLib.IBaseCodeRefer": the base codes of one list (Crm_BaseCode of one cType) in the
// choice dialog.
#include <exception>
#include <map>
#include <vector>

#include "../session/support.h"
#include "common/hosts/login.h"
#include "common/hosts/pickers.h"
#include "common/prog_ids.h"
#include "host/choice.h"
#include "platform/db/field.h"
#include "platform/diagnostics.h"
#include "platform/object_factory.h"
#include "platform/text.h"

namespace host {

namespace {

// The codes with each name in the user's language where the account has one: the user chooses
// by the name the card then shows.
std::shared_ptr<platform::db::Rowset> InLanguage(platform::db::Rowset& codes,
                                                 const std::map<std::string, std::string>& names) {
    std::vector<platform::db::FieldInfo> fields;
    for (std::size_t f = 0; f < codes.FieldCount(); ++f) fields.push_back(codes.Field(f));
    auto rows = platform::db::Rowset::CreateDetached(fields);
    const int nameField = codes.FieldIndex("cName");
    for (; !codes.Eof(); codes.MoveNext()) {
        rows->AddNew();
        for (std::size_t f = 0; f < codes.FieldCount(); ++f) rows->Set(f, codes.Get(f));
        if (auto local = names.find(codes.Get(0).ToText()); local != names.end())
            rows->Set(static_cast<std::size_t>(nameField), local->second);
        rows->Update();
    }
    if (!rows->Bof() || !rows->Eof()) rows->MoveFirst();
    return rows;
}

class BaseCodeRefer final : public sovrel::IBaseCodeRefer {
public:
    void Show(const std::shared_ptr<sovrel::ILogin>& login, const std::string& codeType, const std::string& filter,
              std::shared_ptr<platform::db::Rowset>& result) override {
        result.reset();
        if (!login) return;
        const std::string language = detail::LanguageOf(login.get());
        std::shared_ptr<platform::db::Rowset> rows;
        try {
            auto db = detail::Open(login->tkDBName());
            auto codes = db->OpenRowset("SELECT ID, cCode, cName FROM Crm_BaseCode WHERE cType = " +
                                        detail::Sql(codeType) + " ORDER BY ID");
            rows = InLanguage(*codes, detail::LocalNames(*db, "Crm_BaseCode", language));
        } catch (const std::exception& e) {
            platform::DebugOutput(std::string("BaseCodeRefer: the codes could not be read: ") + e.what());
            return;
        }
        ChoiceRequest request;
        request.title = detail::HostText(language, "Hx.AA.PUB.BaseCode." + platform::text::Trim(codeType));
        request.fields = {"cCode", "cName"};
        request.captions = {detail::HostText(language, "Hx.AA.PUB.RefCode"), detail::HostText(language, "Hx.AA.PUB.RefName")};
        request.search = filter;
        request.language = language;
        const long chosen = PresentChoice(request, *rows);
        if (chosen < 0) return;
        rows->MoveFirst();
        rows->Move(chosen);
        platform::db::FieldInfo id, name;
        id.name = "ID";
        id.type = platform::db::adInteger;
        name.name = "cname";
        name.definedSize = 60;
        result = platform::db::Rowset::CreateDetached({id, name});
        result->AddNew();
        result->Set(0, rows->Get("ID"));
        result->Set(1, rows->Get("cName"));
        result->Update();
        result->MoveFirst();
    }
};

}  // namespace

void RegisterBaseCodeRefer() {
    platform::Register(sovrel::progid::BaseCodeRefer, [] { return std::make_shared<BaseCodeRefer>(); });
}

}  // namespace host
