// FindMatch: which of the rows a typed text names. A single row or a single exact match needs no
// question; otherwise the user picks in the choice dialog.
#include "host/choice.h"
#include "host/pub_util.h"
#include "host/session.h"
#include "../session/support.h"
#include "platform/text.h"

namespace host {

namespace txt = platform::text;

bool PubUtil::FindMatch(const std::shared_ptr<platform::db::Rowset>& rows, const std::string& text,
                        const std::string& codeField, const std::string& nameField) {
    if (!rows || rows->IsForwardOnly()) return false;
    const long count = rows->RecordCount();
    if (count <= 0) return false;
    rows->MoveFirst();
    if (count == 1) return true;
    const int code = rows->FieldIndex(codeField), name = rows->FieldIndex(nameField);
    const std::string wanted = txt::Trim(text);
    long exact = -1, exactCount = 0;
    {
        auto scan = rows->Clone();
        long position = 0;
        for (scan->MoveFirst(); !scan->Eof(); scan->MoveNext(), ++position) {
            const bool same = (code >= 0 && txt::EqualsNoCase(txt::Trim(scan->Get(code).ToText()), wanted)) ||
                              (name >= 0 && txt::EqualsNoCase(txt::Trim(scan->Get(name).ToText()), wanted));
            if (same && exactCount++ == 0) exact = position;
        }
    }
    long chosen = exactCount == 1 ? exact : -1;
    if (chosen < 0) {
        std::shared_ptr<sovrel::ILogin> login;
        {
            std::lock_guard lock(mutex_);
            login = lastLogin_.lock();
        }
        if (!login) login = CurrentLogin();
        const std::string language = detail::LanguageOf(login.get());
        ChoiceRequest request;
        request.title = detail::HostText(language, "Hx.AA.PUB.ChoiceTitle");
        request.fields = {codeField, nameField};
        request.captions = {detail::HostText(language, "Hx.AA.PUB.RefCode"), detail::HostText(language, "Hx.AA.PUB.RefName")};
        // Besides code and name, the columns that tell two rows apart for a user; a column the
        // host has no caption for (an employee code, say) would only puzzle.
        static const std::pair<const char*, const char*> extras[] = {{"cVenAbbName", "Hx.AA.PUB.RefAbbName"},
                                                                      {"cVenCode", "Hx.AA.ARCHIVE.FIELD.refvendor"}};
        for (const auto& [field, key] : extras)
            if (rows->FieldIndex(field) >= 0 && !txt::EqualsNoCase(field, codeField)) {
                request.fields.push_back(field);
                request.captions.push_back(detail::HostText(language, key));
            }
        request.language = language;
        request.search = wanted;  // every row offered contains it
        chosen = PresentChoice(request, *rows);
        if (chosen < 0) return false;
    }
    rows->MoveFirst();
    rows->Move(chosen);
    return true;
}

}  // namespace host
