#include "exchange/csv.h"

#include <algorithm>

#include "platform/text.h"

namespace sovrel::exchange {

namespace {

// A quoted field may span this many lines or bytes; a longer one is taken for a quote left open.
constexpr std::size_t kMaxLinesPerRow = 200;
constexpr std::size_t kMaxBytesPerRow = 64 * 1024;

enum class Parse { Complete, OpenQuote, Broken };

// Splits text (a row's lines joined by line feeds) into fields.
Parse SplitRow(const std::string& text, std::vector<std::string>& fields) {
    fields.clear();
    std::size_t i = 0;
    while (true) {
        std::string field;
        if (i < text.size() && text[i] == '"') {
            ++i;
            while (true) {
                if (i >= text.size()) return Parse::OpenQuote;
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i++];
            }
            if (i < text.size() && text[i] != ',') return Parse::Broken;
        } else {
            const std::size_t end = std::min(text.find(',', i), text.size());
            field.assign(text, i, end - i);
            if (field.find('"') != std::string::npos) return Parse::Broken;
            i = end;
        }
        fields.push_back(std::move(field));
        if (i >= text.size()) return Parse::Complete;
        ++i;  // the comma
    }
}

}  // namespace

std::string CsvHeader() {
    std::string out;
    for (std::string_view f : kFields) {
        if (!out.empty()) out += ',';
        out += f;
    }
    return out + "\r\n";
}

std::string CsvRow(const Record& r) {
    std::string out;
    bool first = true;
    for (std::string_view f : kFields) {
        if (!first) out += ',';
        first = false;
        platform::text::AppendCsvField(out, r.Get(f), true);
    }
    return out + "\r\n";
}

bool CsvReader::NextLine(Line& line) {
    if (pending_.empty()) return lines_.Next(line);
    line = std::move(pending_.front());
    pending_.pop_front();
    return true;
}

bool CsvReader::ReadRow(std::vector<std::string>& fields, long& lineNumber, std::optional<Problem>& problem) {
    Line line;
    do {
        if (!NextLine(line)) return false;
    } while (line.valid && line.text.empty());  // blank lines hold no row
    lineNumber = line.number;
    problem.reset();
    if (line.tooLong) {
        problem = Problem{"Hx.CRM.TkContact.Exchange.LineTooLong", {std::to_string(lineNumber), kMaxLineMegabytes}};
        return true;
    }
    std::vector<Line> taken;
    std::string text = line.text;
    std::optional<long> badBytes;
    if (!line.valid) badBytes = line.number;
    taken.push_back(std::move(line));
    // Once a quote is open, a row can end only where the quotes so far are even: splitting only
    // there keeps a file of open quotes from costing the square of its length.
    std::size_t quotes = 0;
    while (true) {
        const Parse p = taken.size() == 1 || quotes % 2 == 0 ? SplitRow(text, fields) : Parse::OpenQuote;
        if (p == Parse::Broken && taken.size() == 1)
            problem = Problem{"Hx.CRM.TkContact.Exchange.BadLine", {std::to_string(lineNumber)}};
        if (p == Parse::Complete || problem) break;
        Line more;
        // A quote that never closes, or closes only to break a later line, is the first line's
        // fault: the lines after it go back, as they may well be rows of their own.
        if (taken.size() == 1) quotes = static_cast<std::size_t>(std::count(text.begin(), text.end(), '"'));
        if (p == Parse::Broken || taken.size() >= kMaxLinesPerRow || text.size() > kMaxBytesPerRow ||
            !NextLine(more)) {
            for (auto it = taken.rbegin(); it + 1 != taken.rend(); ++it) pending_.push_front(std::move(*it));
            problem = Problem{"Hx.CRM.TkContact.Exchange.OpenQuote", {std::to_string(lineNumber)}};
            badBytes.reset();
            if (!taken.front().valid) badBytes = lineNumber;
            break;
        }
        if (!more.valid && !badBytes) badBytes = more.number;
        text += '\n';
        text += more.text;
        quotes += static_cast<std::size_t>(std::count(more.text.begin(), more.text.end(), '"'));
        taken.push_back(std::move(more));
    }
    if (badBytes) problem = Problem{"Hx.CRM.TkContact.Exchange.BadBytes", {std::to_string(*badBytes)}};
    return true;
}

bool CsvReader::ReadHeader() {
    headerRead_ = true;
    std::vector<std::string> fields;
    long line = 0;
    std::optional<Problem> problem;
    if (!ReadRow(fields, line, problem) || problem) {
        headerProblem_ = problem ? *problem : Problem{"Hx.CRM.TkContact.Exchange.NoHeader", {}};
        return false;
    }
    bool any = false;
    for (const std::string& name : fields) {
        std::string field(FieldNamed(platform::text::Trim(name)));
        if (auto alias = aliases_.find(platform::text::LCase(platform::text::Trim(name)));
            field.empty() && alias != aliases_.end())
            field = alias->second;
        if (!field.empty() && std::find(columns_.begin(), columns_.end(), field) == columns_.end()) {
            any = true;
            columns_.push_back(field);
            mapping_.emplace_back(name, field);
        } else {
            columns_.emplace_back();
            ignoredColumns_.push_back(name);
        }
    }
    if (!any) headerProblem_ = Problem{"Hx.CRM.TkContact.Exchange.NoHeader", {}};
    return any;
}

bool CsvReader::Next(Record& record) {
    if (!headerRead_ && !ReadHeader()) return false;
    if (headerProblem_) return false;
    record = Record{};
    std::vector<std::string> fields;
    if (!ReadRow(fields, record.line, record.problem)) return false;
    if (record.problem) return true;
    if (fields.size() != columns_.size()) {
        record.problem = Problem{"Hx.CRM.TkContact.Exchange.FieldCount",
                                 {std::to_string(record.line), std::to_string(fields.size()),
                                  std::to_string(columns_.size())}};
        return true;
    }
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (!columns_[i].empty()) record.Set(columns_[i], platform::text::RestoredCellText(fields[i]));
    return true;
}

}  // namespace sovrel::exchange
