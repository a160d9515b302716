#include "service/duplicates.h"

#include <algorithm>
#include <map>
#include <numeric>

#include "common/sql_text.h"
#include "entry/authority.h"
#include "platform/text.h"
#include "service/iclscommon.h"

namespace sovrel {

namespace txt = platform::text;

std::string DuplicateKey(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '-' && c != '\t') out += c;
    return txt::LCase(out);
}

namespace {

// The keys of a contact that another contact may share; "" where the field is blank. The
// vendor is part of the name's key, so equal names at different vendors stay apart.
struct Keys {
    std::string name, mobile, email;
};

Keys KeysOf(const DuplicateFields& f) {
    Keys k{DuplicateKey(f.name), DuplicateKey(f.mobile), DuplicateKey(f.email)};
    if (!k.name.empty()) k.name = f.vendor + '\x1f' + k.name;
    return k;
}

std::string Field(platform::db::Rowset& rs, const char* name) {
    const auto v = rs.Get(name);
    return v.IsNull() ? std::string() : v.ToText();
}

DuplicateFields Read(platform::db::Rowset& rs) {
    return {Field(rs, "cContactCode"), Field(rs, "cVenCode"), Field(rs, "cContactName"), Field(rs, "cMobilePhone"),
            Field(rs, "cEmail")};
}

constexpr const char* kColumns = "SELECT cContactCode, cVenCode, cContactName, cMobilePhone, cEmail FROM Ven_Contact";

// The column as DuplicateKey writes it, for the ASCII letters the databases lower alike; the
// rows found are confirmed by LooksDuplicate.
std::string KeyColumn(const char* column) {
    return std::string("REPLACE(REPLACE(LOWER(") + column + "),' ',''),'-','')";
}

}  // namespace

bool LooksDuplicate(const DuplicateFields& a, const DuplicateFields& b, DuplicateReason* reason) {
    const Keys x = KeysOf(a), y = KeysOf(b);
    DuplicateReason r;
    if (!x.name.empty() && x.name == y.name) r = DuplicateReason::Name;
    else if (!x.mobile.empty() && x.mobile == y.mobile) r = DuplicateReason::Mobile;
    else if (!x.email.empty() && x.email == y.email) r = DuplicateReason::Email;
    else return false;
    if (reason) *reason = r;
    return true;
}

std::vector<DuplicateMatch> FindDuplicates(IClsCommon& service, const DuplicateFields& candidate, std::size_t limit) {
    std::vector<DuplicateMatch> found;
    const Keys k = KeysOf(candidate);
    std::string any;
    auto alternative = [&any](const std::string& condition) { any += (any.empty() ? "" : " OR ") + condition; };
    if (!k.name.empty())
        alternative("(cVenCode = " + SqlText(candidate.vendor) + " AND " + KeyColumn("cContactName") + " = " +
                    SqlText(DuplicateKey(candidate.name)) + ")");
    if (!k.mobile.empty()) alternative(KeyColumn("cMobilePhone") + " = " + SqlText(k.mobile));
    if (!k.email.empty()) alternative(KeyColumn("cEmail") + " = " + SqlText(k.email));
    if (any.empty() || limit == 0) return found;
    std::string sql = std::string(kColumns) + " WHERE (" + any + ")";
    if (!candidate.code.empty()) sql += " AND cContactCode <> " + SqlText(candidate.code);
    sql += " ORDER BY cContactCode";
    auto rs = service.OpenX(sql);
    if (!rs) return found;
    for (rs->MoveFirst(); !rs->Eof() && found.size() < limit; rs->MoveNext()) {
        DuplicateMatch m{Read(*rs), DuplicateReason::Name};
        if (LooksDuplicate(candidate, m.contact, &m.reason)) found.push_back(std::move(m));
    }
    return found;
}

std::vector<std::vector<DuplicateFields>> GroupDuplicates(std::vector<DuplicateFields> contacts) {
    std::sort(contacts.begin(), contacts.end(), [](const auto& a, const auto& b) { return a.code < b.code; });
    std::vector<std::size_t> parent(contacts.size());
    std::iota(parent.begin(), parent.end(), std::size_t{0});
    auto root = [&parent](std::size_t i) {
        while (parent[i] != i) i = parent[i] = parent[parent[i]];
        return i;
    };
    // One pass per key: every contact joins the first one seen with the same key.
    std::map<std::string, std::size_t> first;
    for (std::size_t i = 0; i < contacts.size(); ++i) {
        const Keys k = KeysOf(contacts[i]);
        int which = 0;
        for (const std::string* key : {&k.name, &k.mobile, &k.email}) {
            ++which;
            if (key->empty()) continue;
            auto [it, added] = first.emplace(std::to_string(which) + ':' + *key, i);
            if (!added) parent[root(i)] = root(it->second);
        }
    }
    std::map<std::size_t, std::vector<DuplicateFields>> byRoot;
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < contacts.size(); ++i) {
        auto& g = byRoot[root(i)];
        if (g.empty()) order.push_back(root(i));
        g.push_back(contacts[i]);
    }
    std::vector<std::vector<DuplicateFields>> groups;
    for (std::size_t r : order)
        if (byRoot[r].size() > 1) groups.push_back(std::move(byRoot[r]));
    return groups;
}

bool DuplicateGroups(IClsCommon& service, const std::string& vendor, std::vector<std::vector<DuplicateFields>>& groups) {
    std::string sql = kColumns;
    std::string where = vendor.empty() ? "" : "cVenCode = " + SqlText(vendor);
    if (const std::string seen = VendorCodeCondition("cVenCode"); !seen.empty())
        where += (where.empty() ? "" : " AND ") + seen;
    if (!where.empty()) sql += " WHERE " + where;
    auto rs = service.OpenX(sql);
    if (!rs) return false;
    std::vector<DuplicateFields> all;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) all.push_back(Read(*rs));
    groups = GroupDuplicates(std::move(all));
    return true;
}

}  // namespace sovrel
