#pragma once
// The quick search's pinyin initials: which contact names a typed "zs" stands for (张三, 赵松).
#include <string>
#include <vector>

namespace sovrel {

class IClsCommon;

// The distinct contact names of db's account whose pinyin initials begin with typed (ASCII
// letters only, any case); empty for any other text, for a blank one, and when db cannot be read.
std::vector<std::string> NamesByInitials(IClsCommon& db, const std::string& typed);

// True when typed could be initials: one or more ASCII letters and nothing else.
bool LooksLikeInitials(const std::string& typed);

}  // namespace sovrel
