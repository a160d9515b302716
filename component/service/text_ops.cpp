// Normalising record XML before it is read, and a small SQL fragment builder.
#include "common/hosts/services.h"
#include "common/prog_ids.h"
#include "platform/diagnostics.h"
#include "platform/text.h"
#include "service/clscommon.h"

namespace sovrel {

namespace text = platform::text;

namespace {

struct Tag {
    std::size_t byteStart, byteLength;  // in the text
    long charStart;                     // 0-based character position
};

// Every match of "<.+?>" in order, without overlaps: a "<", at least one character other than a
// line feed, up to the nearest ">" (the line feed is what the pattern's "." does not take).
std::vector<Tag> FindTags(const std::string& s) {
    std::vector<Tag> tags;
    long chars = 0;
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] == '<') {
            std::size_t j = i + 1;
            long inside = 0;
            bool found = false;
            while (j < s.size() && s[j] != '\n') {
                if (s[j] == '>' && inside > 0) {
                    found = true;
                    break;
                }
                std::size_t before = j;
                text::DecodeUtf8(s, j);
                if (j == before) ++j;
                ++inside;
            }
            if (found) {
                tags.push_back({i, j + 1 - i, chars});
                chars += inside + 2;
                i = j + 1;
                continue;
            }
        }
        std::size_t before = i;
        text::DecodeUtf8(s, i);
        if (i == before) ++i;
        ++chars;
    }
    return tags;
}

}  // namespace

void ClsCommon::UTLCase(std::string& sXML, bool bConvertStr) {
    auto builder = platform::Create<IStringBuilder>(progid::StringBuilder);
    if (builder) builder->SetChunkSize(static_cast<long>(sXML.size()) + 1600);
    platform::DebugOutput("开始 替换特殊字符");
    if (bConvertStr) sXML = text::Replace(sXML, "&", "&amp;");
    platform::DebugOutput("完成 替换特殊字符");
    platform::DebugOutput("开始 转换大小写");
    std::vector<Tag> tags = FindTags(sXML);
    platform::DebugOutput("完成 regex.Execute(sXml)");
    if (builder) {
        builder->Append(sXML);
        for (const Tag& t : tags) {
            std::string lower = text::LCase(std::string_view(sXML).substr(t.byteStart, t.byteLength));
            long length = static_cast<long>(text::Len(lower));
            builder->Remove(t.charStart, length);
            builder->Insert(t.charStart, lower);
        }
        sXML = builder->ToString();
    } else {
        // Without the host's builder the same edits are made in one pass of our own.
        std::string out;
        out.reserve(sXML.size());
        std::size_t at = 0;
        for (const Tag& t : tags) {
            out.append(sXML, at, t.byteStart - at);
            out += text::LCase(std::string_view(sXML).substr(t.byteStart, t.byteLength));
            at = t.byteStart + t.byteLength;
        }
        out.append(sXML, at, std::string::npos);
        sXML = std::move(out);
    }
    platform::DebugOutput("完成 转换大小写");
}

std::string ClsCommon::ReIdVal(const platform::db::Value& strTemp) {
    if (strTemp.IsNull()) return " is null ";
    return "= '" + strTemp.ToText() + "'";
}

}  // namespace sovrel
