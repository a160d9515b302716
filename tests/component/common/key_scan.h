#pragma once
// Finds the resource keys a C++ source names: string literals (outside comments) that read
// "Hx.<segment>.<segment>..." or "String.Hx.<...>". A literal that ends with a point is the stem
// of a key built at run time, not a key.
#include <string>
#include <string_view>
#include <vector>

namespace sovrel::testing {

struct KeyUse {
    std::string key;
    int line;  // 1-based
};

std::vector<KeyUse> ResourceKeysIn(std::string_view source);

bool LooksLikeResourceKey(std::string_view literal);

}  // namespace sovrel::testing
