// Checking UTF-8 and reading GB18030 (GBK) text, for files written by other programs.
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <memory>
#include <vector>

#include "platform/text.h"

namespace platform::text {

std::size_t Utf8ErrorAt(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len;
        unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
        if (c >= 0xC2 && c <= 0xDF) len = 2;
        else if (c == 0xE0) len = 3, lo = 0xA0;
        else if (c == 0xED) len = 3, hi = 0x9F;  // no surrogates
        else if (c >= 0xE1 && c <= 0xEF) len = 3;
        else if (c == 0xF0) len = 4, lo = 0x90;
        else if (c == 0xF4) len = 4, hi = 0x8F;  // nothing past U+10FFFF
        else if (c >= 0xF1 && c <= 0xF3) len = 4;
        else return i;
        if (i + len > n || p[i + 1] < lo || p[i + 1] > hi) return i;
        for (std::size_t k = 2; k < len; ++k)
            if (p[i + k] < 0x80 || p[i + k] > 0xBF) return i;
        i += len;
    }
    return std::string_view::npos;
}

bool IsValidUtf8(std::string_view s) { return Utf8ErrorAt(s) == std::string_view::npos; }

namespace {

using Converter = std::unique_ptr<UConverter, decltype(&ucnv_close)>;

Converter Open(std::string_view charset, UErrorCode& status) {
    return Converter(ucnv_open(std::string(charset).c_str(), &status), &ucnv_close);
}

}  // namespace

bool ToUtf8From(std::string_view charset, std::string_view s, std::string& out) {
    UErrorCode status = U_ZERO_ERROR;
    Converter cnv = Open(charset, status);
    if (U_FAILURE(status)) return false;
    // Stop at the first byte sequence that is no character rather than substitute it.
    ucnv_setToUCallBack(cnv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    if (U_FAILURE(status)) return false;
    std::vector<UChar> units(s.size() + 1);
    const int32_t count = ucnv_toUChars(cnv.get(), units.data(), static_cast<int32_t>(units.size()), s.data(),
                                        static_cast<int32_t>(s.size()), &status);
    if (U_FAILURE(status)) return false;
    int32_t bytes = 0;
    u_strToUTF8(nullptr, 0, &bytes, units.data(), count, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return false;
    status = U_ZERO_ERROR;
    out.assign(static_cast<std::size_t>(bytes), '\0');
    u_strToUTF8(out.data(), bytes, nullptr, units.data(), count, &status);
    return U_SUCCESS(status) || status == U_STRING_NOT_TERMINATED_WARNING;
}

bool FromUtf8To(std::string_view charset, std::string_view utf8, std::string& out) {
    UErrorCode status = U_ZERO_ERROR;
    Converter cnv = Open(charset, status);
    if (U_FAILURE(status)) return false;
    int32_t count = 0;
    std::vector<UChar> units(utf8.size() + 1);
    u_strFromUTF8WithSub(units.data(), static_cast<int32_t>(units.size()), &count, utf8.data(),
                         static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) return false;
    out.assign(static_cast<std::size_t>(UCNV_GET_MAX_BYTES_FOR_STRING(count, ucnv_getMaxCharSize(cnv.get()))), '\0');
    const int32_t bytes = ucnv_fromUChars(cnv.get(), out.data(), static_cast<int32_t>(out.size()), units.data(), count,
                                          &status);
    if (U_FAILURE(status)) return false;
    out.resize(static_cast<std::size_t>(bytes));
    return true;
}

bool FromGb18030(std::string_view s, std::string& out) { return ToUtf8From("GB18030", s, out); }

}  // namespace platform::text
