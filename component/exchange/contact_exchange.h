#pragma once
// Contacts out to and in from vCard and CSV files, through the data service: the export reads
// the account, the import adds every contact with the service's Add and its checks, and tells
// for each row of the file what became of it.
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace sovrel {
class IClsCommon;
}

namespace sovrel::exchange {

enum class Format { VCard, Csv };

// The format a file name's extension names (.vcf, .vcard, .csv, any case); nothing otherwise.
std::optional<Format> FormatOfPath(const std::string& path);

// Writes the contacts of vendor ("" every vendor), or only those whose codes are listed (empty:
// no such restriction; a long list is read 500 codes at a time) or that codeQuery (a SELECT of
// contact codes; empty: none) answers, in code order to path. The file appears only when it is
// complete, with the permissions of the file it replaces: on failure none is left and sMsg says
// why. A read-only file is refused. count receives the contacts written.
bool ExportContacts(IClsCommon& service, const std::string& path, Format format, const std::string& vendor,
                    const std::vector<std::string>& codes, long& count, std::string& sMsg,
                    const std::string& codeQuery = {});

struct ImportOptions {
    std::string vendor;  // rows naming no vendor go to it; rows naming another are refused
    bool dryRun = false;  // check and add everything, then take it all back
    bool atomic = false;  // one refusal takes back every row
};

enum class Outcome {
    Added,     // written
    Accepted,  // passed every check; written only if the whole file is (--atomic, --dry-run)
    Refused,   // not written; message says why
    Note,      // about the file rather than a row (columns not taken)
};

struct RowReport {
    long line = 0;  // where the row starts in the file
    Outcome outcome = Outcome::Note;
    std::string code, name;  // the contact's code (generated when the file had none) and name
    std::string message;     // the refusal, or the fields not taken, in the user's language
};

struct ImportSummary {
    long added = 0;    // rows added, or accepted under dryRun / atomic
    long refused = 0;
    bool written = false;  // whether the added rows are in the account now
    std::string message;   // a failure of the whole file (encoding, header, database)
};

// Reads a vCard or CSV file from in (told apart by its first line; UTF-8 or GBK) one contact
// at a time and adds each through service.Add with the card's checks: vendor, name, superior,
// person in charge, dates, base codes by name (a new duty or hobby is added as the card adds
// one). A contact without a code gets the vendor's next one; a row whose superior comes later
// in the file waits for it. Without atomic or dryRun a refused row stops nothing; report is
// called once per row and once per note. False when the whole file failed (summary.message)
// or any row was refused.
bool ImportContacts(IClsCommon& service, std::istream& in, const ImportOptions& options,
                    const std::function<void(const RowReport&)>& report, ImportSummary& summary);

}  // namespace sovrel::exchange
