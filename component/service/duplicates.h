#pragma once
// Likely duplicate contacts: the same name at the same vendor, or the same mobile number or
// e-mail address anywhere. The card warns with it while a contact is typed; the command line
// lists the groups of the whole account. Both use the one rule below.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sovrel {

class IClsCommon;

// The fields the rule reads.
struct DuplicateFields {
    std::string code, vendor, name, mobile, email;
};

// Why two contacts look alike.
enum class DuplicateReason { Name, Mobile, Email };

struct DuplicateMatch {
    DuplicateFields contact;
    DuplicateReason reason;
};

// The text as the rule compares it: spaces and dashes dropped, letters in lower case.
std::string DuplicateKey(std::string_view text);

// The first reason a and b look like one person, or false when they do not; a blank field
// never matches.
bool LooksDuplicate(const DuplicateFields& a, const DuplicateFields& b, DuplicateReason* reason = nullptr);

// The contacts other than candidate.code that look like candidate, at most limit of them;
// empty when the query fails.
std::vector<DuplicateMatch> FindDuplicates(IClsCommon& service, const DuplicateFields& candidate,
                                           std::size_t limit = 5);

// Groups of contacts linked by LooksDuplicate (a chain of matches makes one group), each in
// code order, groups in the order of their first code; contacts without a match are left out.
std::vector<std::vector<DuplicateFields>> GroupDuplicates(std::vector<DuplicateFields> contacts);

// GroupDuplicates over the account's contacts, or one vendor's when vendor is not empty;
// false when the query fails.
bool DuplicateGroups(IClsCommon& service, const std::string& vendor, std::vector<std::vector<DuplicateFields>>& groups);

}  // namespace sovrel
