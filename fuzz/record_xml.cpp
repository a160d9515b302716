// A record text as the service loads it: UTLCase (with & escaped), then parsed and read the way a
// write reads its record. UTLCase must be idempotent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <pugixml.hpp>

#include "platform/text.h"
#include "service/clscommon.h"
#include "fakes.h"
#include "xml/transxml.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Never destroyed: its destructor would reset the thread's context after that is gone.
    static auto* host = new sovrel::fakes::Host;
    host->log.calls.clear();
    static sovrel::ClsCommon service;
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string plain = text;
    service.UTLCase(plain, false);
    std::string again = plain;
    service.UTLCase(again, false);
    if (again != plain) std::abort();

    service.UTLCase(text, true);
    std::string trimmed = platform::text::Trim(text);
    if (!platform::text::EqualsNoCase(platform::text::Left(trimmed, 6), "<data>")) trimmed = "<data>" + trimmed + "</data>";
    pugi::xml_document doc;
    if (!doc.load_string(trimmed.c_str())) return 0;
    const pugi::xml_node root = doc.document_element();
    sovrel::RepeatedChildName(root);
    for (pugi::xml_node record : root.children()) {
        for (pugi::xml_node item : record.children()) {
            sovrel::GetEleVal(record, item.name(), "");
            sovrel::GetAttrVal(item, "type");
            sovrel::CheckDateText(sovrel::ElementText(item), item.name());
        }
    }
    return 0;
}
