#include "exchange/record.h"

#include <algorithm>

#include "platform/text.h"

namespace sovrel::exchange {

std::string_view FieldNamed(std::string_view name) {
    for (std::string_view f : kFields)
        if (platform::text::EqualsNoCase(f, name)) return f;
    return {};
}

std::string Record::Get(std::string_view field) const {
    auto it = values.find(field);
    return it == values.end() ? std::string() : it->second;
}

void Record::Set(std::string_view field, std::string value) {
    if (value.empty()) values.erase(std::string(field));
    else values[std::string(field)] = std::move(value);
}

void Record::Ignore(std::string_view name) {
    if (std::find(ignored.begin(), ignored.end(), name) == ignored.end()) ignored.emplace_back(name);
}

}  // namespace sovrel::exchange
