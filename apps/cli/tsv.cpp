#include "tsv.h"

namespace sovrel::cli {

void AppendEscaped(std::string& line, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '\t': line += "\\t"; break;
            case '\n': line += "\\n"; break;
            case '\r': line += "\\r"; break;
            case '\\': line += "\\\\"; break;
            default: line += c;
        }
    }
}

}  // namespace sovrel::cli
