#pragma once
// The quick search's pinyin initials: which contacts a typed "zs" stands for (张三, 赵松).
#include <string>
#include <vector>

namespace sovrel {

class IClsCommon;

// The codes of db's contacts whose names' pinyin initials begin with typed (two or more ASCII
// letters, any case); empty for any other text and when db cannot be read.
std::vector<std::string> ContactsByInitials(IClsCommon& db, const std::string& typed);

// True when typed could be initials: two or more ASCII letters and nothing else. One letter is
// not: it would stand for a tenth of all Chinese names, which no one searches for.
bool LooksLikeInitials(const std::string& typed);

}  // namespace sovrel
