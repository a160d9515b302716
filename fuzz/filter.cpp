// Rowset filter criteria on any text, applied to a detached rowset with a field of every kind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/db/rowset.h"
#include "platform/error.h"

namespace {

std::shared_ptr<platform::db::Rowset> Rows() {
    using platform::db::FieldInfo;
    using platform::db::Value;
    std::vector<FieldInfo> fields;
    auto field = [&](const char* name, const char* type) {
        FieldInfo f;
        f.name = name;
        platform::db::ApplyDeclaredType(type, f);
        fields.push_back(f);
    };
    field("cItem", "nvarchar(40)");
    field("iLength", "int");
    field("dDate", "datetime");
    field("bInput", "bit");
    field("mAmt", "money");
    field("fRate", "decimal(18,4)");
    auto rs = platform::db::Rowset::CreateDetached(fields);
    const char* names[] = {"Li Na", "O'Brien", "张伟", "", "Straße"};
    for (int i = 0; i < 5; ++i) {
        rs->AddNew();
        rs->Set("cItem", Value(std::string(names[i])));
        rs->Set("iLength", Value(static_cast<std::int64_t>(i * 7 - 10)));
        rs->Set("dDate", Value(std::string("2024-0") + std::to_string(i + 1) + "-15"));
        rs->Set("bInput", Value(i % 2 == 0));
        rs->Set("mAmt", Value(i * 12.5));
        rs->Set("fRate", Value(std::string("0.") + std::to_string(i)));
        rs->Update();
    }
    return rs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto rs = Rows();
    const std::string_view criteria(reinterpret_cast<const char*>(data), size);
    try {
        rs->SetFilter(criteria);
        long seen = 0;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) ++seen;
        if (seen != rs->RecordCount() || seen > 5) std::abort();
    } catch (const platform::Error&) {
    }
    try {
        rs->SetFilter("");
    } catch (const platform::Error&) {
        std::abort();
    }
    return 0;
}
