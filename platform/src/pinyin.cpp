// Pinyin initials of Han characters, from ICU's Chinese alphabetic index: its buckets A to Z are
// the pinyin initials, bounded in the Chinese collation. Looking a character up in the index
// means a binary search of collator comparisons, so each character's letter is worked out once
// for the whole process: a table of 20,902 bytes, built in about 30 ms on first use (the
// transliterator would take 30 times as long).
#include "platform/text.h"

#include <unicode/alphaindex.h>
#include <unicode/unistr.h>

#include <memory>

namespace platform::text {

namespace {

// The CJK block as first encoded (U+4E00 to U+9FA5): the index knows a reading for each of its
// characters. Characters encoded later, and those of the extension blocks, it mostly does not
// know and files under Z; they are left out rather than given a wrong letter.
constexpr char32_t kFirstHan = 0x4E00, kLastHan = 0x9FA5;

// Letter per character from kFirstHan; 0 for a character the index puts in no letter's bucket.
const std::string& InitialTable() {
    static const std::string table = [] {
        std::string letters(kLastHan - kFirstHan + 1, '\0');
        UErrorCode status = U_ZERO_ERROR;
        icu::AlphabeticIndex index(icu::Locale("zh"), status);
        std::unique_ptr<icu::AlphabeticIndex::ImmutableIndex> buckets(index.buildImmutableIndex(status));
        if (U_FAILURE(status) || !buckets) return letters;  // no Chinese data: no initials
        for (char32_t c = kFirstHan; c <= kLastHan; ++c) {
            const int32_t at = buckets->getBucketIndex(icu::UnicodeString(static_cast<UChar32>(c)), status);
            const icu::AlphabeticIndex::Bucket* bucket = U_SUCCESS(status) ? buckets->getBucket(at) : nullptr;
            if (!bucket || bucket->getLabelType() != U_ALPHAINDEX_NORMAL || bucket->getLabel().length() != 1) continue;
            const char16_t label = bucket->getLabel().charAt(0);
            if (label >= u'A' && label <= u'Z') letters[c - kFirstHan] = static_cast<char>(label - u'A' + 'a');
        }
        return letters;
    }();
    return table;
}

}  // namespace

std::string PinyinInitials(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const char32_t c = DecodeUtf8(s, i);
        if (c < kFirstHan || c > kLastHan) continue;
        if (const char letter = InitialTable()[c - kFirstHan]; letter != '\0') out += letter;
    }
    return out;
}

}  // namespace platform::text
