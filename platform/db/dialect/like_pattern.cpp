#include "dialect/like_pattern.h"

#include <algorithm>

#include "platform/text.h"

namespace platform::db::dialect {

LikePattern ParseLikePattern(std::string_view p, std::optional<char32_t> escape) {
    using Kind = LikePattern::Kind;
    LikePattern out;
    std::vector<char32_t> cps;
    for (std::size_t i = 0; i < p.size();) cps.push_back(platform::text::DecodeUtf8(p, i));
    for (std::size_t i = 0; i < cps.size(); ++i) {
        const char32_t c = cps[i];
        if (escape && c == *escape && i + 1 < cps.size()) {
            out.items.push_back({Kind::Char, cps[++i]});
        } else if (c == U'%') {
            if (out.items.empty() || out.items.back().kind != Kind::Many) out.items.push_back({Kind::Many});
        } else if (c == U'_') {
            out.items.push_back({Kind::Any});
        } else if (c == U'[') {
            std::size_t j = i + 1;
            LikePattern::Set set;
            if (j < cps.size() && cps[j] == U'^') {
                set.negate = true;
                ++j;
            }
            bool closed = false;
            for (bool first = true; j < cps.size(); first = false) {
                if (cps[j] == U']' && !first) {
                    closed = true;
                    break;
                }
                if (j + 2 < cps.size() && cps[j + 1] == U'-' && cps[j + 2] != U']') {
                    set.ranges.emplace_back(cps[j], cps[j + 2]);
                    j += 3;
                } else {
                    set.ranges.emplace_back(cps[j], cps[j]);
                    ++j;
                }
            }
            if (!closed) {
                out.items.push_back({Kind::Char, U'['});
                continue;
            }
            out.items.push_back({Kind::Set, 0, static_cast<std::uint32_t>(out.sets.size())});
            out.sets.push_back(std::move(set));
            i = j;
        } else {
            out.items.push_back({Kind::Char, c});
        }
    }
    return out;
}

BackendPattern BackendLikePattern(const LikePattern& pattern) {
    using Kind = LikePattern::Kind;
    auto single = [&](const LikePattern::Item& item) {
        if (item.kind != Kind::Set) return false;
        const auto& set = pattern.sets[item.set];
        return !set.negate && set.ranges.size() == 1 && set.ranges[0].first == set.ranges[0].second;
    };
    const bool regex = std::any_of(pattern.items.begin(), pattern.items.end(),
                                   [&](const auto& item) { return item.kind == Kind::Set && !single(item); });
    std::string out;
    if (!regex) {
        for (const auto& item : pattern.items) {
            if (item.kind == Kind::Many) {
                out += '%';
            } else if (item.kind == Kind::Any) {
                out += '_';
            } else {
                const char32_t c = item.kind == Kind::Char ? item.c : pattern.sets[item.set].ranges[0].first;
                if (c == U'%' || c == U'_' || c == U'\\') out += '\\';
                platform::text::AppendUtf8(out, c);
            }
        }
        return {out, false};
    }
    auto escaped = [&](char32_t c, std::string_view special) {
        if (c < 0x80 && special.find(static_cast<char>(c)) != std::string_view::npos) out += '\\';
        platform::text::AppendUtf8(out, c);
    };
    out = "^";
    for (const auto& item : pattern.items) {
        if (item.kind == Kind::Many) {
            out += ".*";
        } else if (item.kind == Kind::Any) {
            out += '.';
        } else if (item.kind == Kind::Char || single(item)) {
            escaped(item.kind == Kind::Char ? item.c : pattern.sets[item.set].ranges[0].first, ".^$|?*+(){}[]\\");
        } else {
            const auto& set = pattern.sets[item.set];
            out += set.negate ? "[^" : "[";
            for (auto [lo, hi] : set.ranges) {
                escaped(lo, "\\[]^-");
                if (hi != lo) {
                    out += '-';
                    escaped(hi, "\\[]^-");
                }
            }
            out += ']';
        }
    }
    return {out + '$', true};
}

}  // namespace platform::db::dialect
