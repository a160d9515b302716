#pragma once
// Contacts as vCards: written as version 4.0 (RFC 6350), read from 4.0 and 3.0 (and the 2.1
// habits phones keep: bare type parameters, QUOTED-PRINTABLE with a CHARSET). Fields without a
// standard property travel as X-SOVREL-... properties, so every field comes back as it went out.
#include <optional>
#include <string>
#include <string_view>

#include "exchange/record.h"
#include "exchange/text_lines.h"

namespace sovrel::exchange {

// r as one vCard 4.0, lines ending CR LF and folded at 75 octets; vendorName goes into ORG for
// address books ("" leaves ORG out).
std::string WriteVCard(const Record& r, std::string_view vendorName);

class VCardReader {
public:
    explicit VCardReader(LineReader& lines) : lines_(lines) {}
    // The next card as a record; false at the end. A card with a broken line, bytes that are no
    // text or no END carries a problem naming the line; a line outside every card is a record
    // of its own with a problem. Properties that map to no field, and repeats of one that maps
    // to a single field, are listed in ignored.
    bool Next(Record& record);

private:
    bool Physical(Line& line);
    // The next content line with its folded continuations joined.
    bool Logical(Line& line);

    LineReader& lines_;
    std::optional<Line> ahead_;    // a physical line read ahead while unfolding
    std::optional<Line> putBack_;  // a logical line to read again (a BEGIN inside a card)
};

}  // namespace sovrel::exchange
