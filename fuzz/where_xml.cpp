// Condition XML to a WHERE clause over a rowset's fields; the clause must translate as one
// statement whatever the values hold, so that no value changes the statement's meaning.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <pugixml.hpp>

#include "platform/db/dialect.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "fakes.h"
#include "xml/transxml.h"

namespace {

sovrel::RowsetPtr Fields() {
    std::vector<platform::db::FieldInfo> fields;
    auto field = [&](const char* name, const char* type) {
        platform::db::FieldInfo f;
        f.name = name;
        platform::db::ApplyDeclaredType(type, f);
        fields.push_back(f);
    };
    field("ccontactcode", "nvarchar(30)");
    field("cname", "nvarchar(40)");
    field("inum", "int");
    field("mamt", "money");
    field("ddate", "datetime");
    field("tkts", "timestamp");
    return platform::db::Rowset::CreateDetached(fields);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Never destroyed: its destructor would reset the thread's context after that is gone.
    static auto* host = new sovrel::fakes::Host;
    host->log.calls.clear();
    static const sovrel::RowsetPtr rs = Fields();
    std::string text(reinterpret_cast<const char*>(data), size);
    pugi::xml_document doc;
    if (!doc.load_buffer(text.data(), text.size())) return 0;
    std::string where;
    if (!sovrel::BuildWhereFromXml(doc.document_element(), where, rs) || where.empty()) return 0;
    const std::string sql = "SELECT * FROM Ven_Contact WHERE " + where;
    for (const platform::db::Dialect* d : {&platform::db::SqliteDialect(), &platform::db::PostgresDialect()}) {
        try {
            if (d->Translate(sql).size() != 1) std::abort();
        } catch (const platform::Error& e) {
            std::abort();
        }
    }
    return 0;
}
