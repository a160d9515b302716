// Normalising record XML before it is read, and a small SQL fragment builder.
#include "common/sql_text.h"
#include "platform/diagnostics.h"
#include "platform/text.h"
#include "service/clscommon.h"

namespace sovrel {

namespace text = platform::text;

namespace {

struct Tag {
    std::size_t byteStart, byteLength;  // in the text
};

// Every match of "<.+?>" in order, without overlaps: a "<", at least one character other than a
// line feed, up to the nearest ">" (the line feed is what the pattern's "." does not take). Bytes
// suffice: in UTF-8 no byte of another character is "<", ">" or a line feed.
std::vector<Tag> FindTags(const std::string& s) {
    std::vector<Tag> tags;
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] == '<') {
            std::size_t j = i + 1;
            while (j < s.size() && s[j] != '\n' && (s[j] != '>' || j == i + 1)) ++j;
            if (j < s.size() && s[j] == '>') {
                tags.push_back({i, j + 1 - i});
                i = j + 1;
                continue;
            }
        }
        ++i;
    }
    return tags;
}

}  // namespace

// Every tag is replaced by its lower-case form in one pass over the text into a new string: the
// same edits as removing and inserting each tag at its position, in time linear in the text.
void ClsCommon::UTLCase(std::string& sXML, bool bConvertStr) {
    platform::DebugOutput("开始 替换特殊字符");
    if (bConvertStr) sXML = text::Replace(sXML, "&", "&amp;");
    platform::DebugOutput("完成 替换特殊字符");
    platform::DebugOutput("开始 转换大小写");
    std::vector<Tag> tags = FindTags(sXML);
    platform::DebugOutput("完成 regex.Execute(sXml)");
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
    platform::DebugOutput("完成 转换大小写");
}

std::string ClsCommon::ReIdVal(const platform::db::Value& strTemp) {
    if (strTemp.IsNull()) return " is null ";
    return "= " + SqlText(strTemp.ToText(), false);
}

}  // namespace sovrel
