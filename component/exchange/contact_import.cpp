// The import: each row checked and added through the data service, committed in batches.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <set>

#include "common/context.h"
#include "common/sql_text.h"
#include "common/texts.h"
#include "exchange/code_fields.h"
#include "exchange/contact_exchange.h"
#include "exchange/csv.h"
#include "exchange/record.h"
#include "exchange/text_lines.h"
#include "exchange/vcard.h"
#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/error.h"
#include "platform/guid.h"
#include "platform/text.h"
#include "xml/transxml.h"
#include "service/history.h"
#include "service/iclscommon.h"

namespace sovrel::exchange {

namespace txt = platform::text;
using platform::db::Value;

namespace {

// Rows between two commits when a refusal stops nothing: one commit a row is what makes a
// plain insert loop slow, one for the whole file would hold other users off for its length.
constexpr long kRowsPerCommit = 500;

std::string Text(const Problem& p) {
    std::vector<Value> params;
    for (const auto& s : p.params) params.emplace_back(s);
    return params.empty() ? ResText(p.key) : ResTextParams(p.key, std::move(params));
}

std::string NullText(const Value& v) { return v.IsNullOrEmpty() ? std::string() : v.ToText(); }

// Columns of the contact exports of common mail programs and webmail services, in lower case.
// A name given in parts goes to the two pseudo-fields, joined in Complete.
constexpr std::string_view kGiven = "cContactName:given", kFamily = "cContactName:family";
constexpr std::pair<std::string_view, std::string_view> kOtherPrograms[] = {
    {"name", "cContactName"},         {"given name", kGiven},           {"family name", kFamily},
    {"first name", kGiven},           {"last name", kFamily},           {"e-mail 1 - value", "cEmail"},
    {"e-mail address", "cEmail"},     {"phone 1 - value", "cOfficePhone"}, {"business phone", "cOfficePhone"},
    {"mobile phone", "cMobilePhone"}, {"home phone", "cHomePhone"},     {"pager", "cCall"},
    {"job title", "bcDutyID"},        {"notes", "cMemo"},               {"birthday", "dBirthday"},
    {"web page", "cHomePage"},        {"nickname", "cAppellation"},
};

// Dates as the service stores them ("yyyy-mm-dd", with the time when there is one); nothing for
// a text that is no date. "19850412" is taken as vCards write it, "4/12/1985" as mail programs
// write it (month first), and their "0/0/00" for no date as empty.
std::optional<std::string> DateText(const std::string& value) {
    std::string v = txt::Trim(value);
    if (v.size() == 8 && v.find_first_not_of("0123456789") == std::string::npos)
        v = v.substr(0, 4) + "-" + v.substr(4, 2) + "-" + v.substr(6, 2);
    int month = 0, day = 0, year = 0, used = 0;
    if (std::sscanf(v.c_str(), "%2d/%2d/%4d%n", &month, &day, &year, &used) == 3 && used == static_cast<int>(v.size())) {
        if (month == 0 && day == 0 && year == 0) return std::string();
        char iso[16];
        std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", year, month, day);
        v = iso;
    }
    const auto d = platform::db::DateTime::Parse(v);
    if (!d) return std::nullopt;
    return d->ToText();
}

// A name given in parts, in the order of the user's language: "张伟" and "Smith John" in
// Chinese, "伟 张" and "John Smith" in English; Chinese names join without a blank.
std::string JoinedName(const std::string& given, const std::string& family) {
    const std::string g = txt::Trim(given), f = txt::Trim(family);
    if (g.empty() || f.empty()) return f + g;
    const bool latin = std::any_of(g.begin(), g.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }) ||
                       std::any_of(f.begin(), f.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
    const std::string blank = latin ? " " : "";
    return LoginLanguage().starts_with("zh") ? f + blank + g : g + " " + f;
}

std::optional<std::string> FlagText(const std::string& value) {
    const std::string v = txt::LCase(txt::Trim(value));
    if (v == "true" || v == "1" || v == "yes" || v == "y" || v == "是") return "True";
    if (v == "false" || v == "0" || v == "no" || v == "n" || v == "否") return "False";
    return std::nullopt;
}

// Names the card's sex list may use for the letters of a vCard's GENDER.
std::vector<std::string> SexNames(const std::string& value) {
    const std::string v = txt::LCase(txt::Trim(value));
    if (v == "m") return {value, "男", "Male", "男性"};
    if (v == "f") return {value, "女", "Female", "女性"};
    return {value};
}

class Importer {
public:
    Importer(IClsCommon& service, const ImportOptions& options, const std::function<void(const RowReport&)>& report,
             ImportSummary& summary)
        : service_(service), cnn_(service.m_cnn()), options_(options), report_(report), summary_(summary) {}

    bool Run(std::istream& in);

private:
    enum class Check { Ready, Refused, Later };

    template <class Reader>
    void ReadAll(Reader& reader);
    void Row(Record& r, bool lastTry);
    Check Complete(Record& r, Problem& why, bool lastTry);
    std::optional<Problem> BaseCode(Record& r, const CodeField& c);
    std::string Vendor(const std::string& v);
    bool PersonExists(const std::string& code);
    bool ContactExists(const std::string& code);
    RowsetPtr Query(const std::string& sql);
    // Stops the run with the service's message of a statement that failed.
    [[noreturn]] static void Failed();
    long& LastSerial(const std::string& vendor);
    std::string NextCode(const std::string& vendor);
    void NoteCode(const std::string& vendor, const std::string& code);
    void Report(const Record& r, Outcome outcome, std::string message);
    void CommitBatch(bool force);
    void TakeBack(const std::string& why);
    void Tell(const RowReport& row);
    void Relink();
    std::map<std::string, std::string> Captions();

    IClsCommon& service_;
    ConnectionPtr cnn_;
    const ImportOptions& options_;
    const std::function<void(const RowReport&)>& report_;
    ImportSummary& summary_;
    int baseLevel_ = 0;  // the transaction level the import started at
    long sinceCommit_ = 0;
    std::map<std::string, std::string> vendors_;  // code as given -> as stored ("" none)
    std::map<std::string, std::string> vendorNames_;  // code as stored -> name
    std::map<std::string, bool> persons_;
    std::map<std::string, std::map<std::string, std::string>> codes_;  // type -> lower-case name -> ID
    std::map<std::string, long> serials_;  // vendor -> last serial used
    std::set<std::string> touched_;        // vendors that got contacts
    std::vector<Record> waiting_;          // rows whose superior was not there yet
    // The rows since the last commit: told only once their batch is committed.
    std::vector<RowReport> uncommitted_;
};

void Importer::Failed() {
    throw platform::Error(platform::errnum::CommandFailed, "ImportContacts", Ctx().PendingMessage);
}

RowsetPtr Importer::Query(const std::string& sql) {
    auto rs = service_.OpenX(sql);
    if (!rs) Failed();
    return rs;
}

std::string Importer::Vendor(const std::string& v) {
    auto it = vendors_.find(v);
    if (it != vendors_.end()) return it->second;
    // Codes compare without case, as on SQL Server; the contact gets the code as the vendor has it.
    auto rs = Query("SELECT cVenCode, cVenName FROM vendor WHERE cVenCode = " + SqlText(v));
    if (rs->Eof()) return vendors_[v] = std::string();
    const std::string code = rs->Get(0).ToText();
    vendorNames_[code] = NullText(rs->Get(1));
    return vendors_[v] = code;
}

bool Importer::PersonExists(const std::string& code) {
    auto it = persons_.find(code);
    if (it != persons_.end()) return it->second;
    return persons_[code] = !Query("SELECT cPersonCode FROM Person WHERE cPersonCode = " + SqlText(code))->Eof();
}

bool Importer::ContactExists(const std::string& code) {
    return !Query("SELECT cContactCode FROM Ven_Contact WHERE cContactCode = " + SqlText(code))->Eof();
}

// The serial of a code made of the vendor's code and eight digits; -1 for other codes.
long Serial(const std::string& vendor, const std::string& code) {
    if (code.size() != vendor.size() + 8 || !code.starts_with(vendor)) return -1;
    const std::string digits = code.substr(vendor.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stol(digits);
}

long& Importer::LastSerial(const std::string& vendor) {
    auto it = serials_.find(vendor);
    if (it == serials_.end()) {
        // The card's numbering: the highest eight-digit serial after the vendor's code.
        auto rs = Query("Select max(RIGHT(cContactCode,8)) FROM Ven_Contact WHERE left(cContactCode," +
                        std::to_string(txt::Len(vendor)) + ") = " + SqlText(vendor) +
                        " and LEN(cContactCode)-LEN(cVenCode )=8 ");
        const Value max = rs->Eof() ? Value::Null() : rs->Get(0);
        it = serials_.emplace(vendor, max.IsNullOrEmpty() ? 0 : static_cast<long>(max.ToDouble())).first;
    }
    return it->second;
}

std::string Importer::NextCode(const std::string& vendor) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%08ld", ++LastSerial(vendor));
    return vendor + digits;
}

void Importer::NoteCode(const std::string& vendor, const std::string& code) {
    // A code given in the file is not handed out again to a row without one.
    const long serial = Serial(vendor, code);
    if (serial >= 0) LastSerial(vendor) = std::max(LastSerial(vendor), serial);
}

std::optional<Problem> Importer::BaseCode(Record& r, const CodeField& c) {
    const std::string value = txt::Trim(r.Get(c.field));
    if (value.empty()) return std::nullopt;
    auto find = [&]() {
        auto& names = codes_[std::string(c.type)];
        if (names.empty()) {
            auto rs = Query("SELECT ID,cName FROM Crm_BaseCode WHERE cType = " + SqlText(c.type) + " order by ID ");
            for (; !rs->Eof(); rs->MoveNext())
                names.emplace(txt::LCase(rs->Get("cName").ToText()), rs->Get("ID").ToText());
            names.emplace("", "");  // marks the list as read
        }
        for (const std::string& name : c.field == "bcSexID" ? SexNames(value) : std::vector<std::string>{value}) {
            auto it = names.find(txt::LCase(name));
            if (it != names.end() && !name.empty()) {
                r.Set(c.field, it->second);
                return true;
            }
        }
        return false;
    };
    if (find()) return std::nullopt;
    if (c.addable) {
        // A new duty or hobby joins its list, as when it is typed in the card.
        std::string xml = "<Crm_BaseCode><cCode></cCode><cType>" + std::string(c.type) + "</cType><cName>" + XmlEscaped(value) +
                          "</cName><bEdit>True</bEdit></Crm_BaseCode>";
        std::string table = "Crm_BaseCode", message;
        service_.Add(xml, table, message);
        codes_.erase(std::string(c.type));
        if (find()) return std::nullopt;
    }
    return Problem{"Hx.CRM.TkContact.Exchange.UnknownCode", {std::string(c.field), value}};
}

Importer::Check Importer::Complete(Record& r, Problem& why, bool lastTry) {
    auto refuse = [&why](std::string key, std::vector<std::string> params = {}) {
        why = Problem{std::move(key), std::move(params)};
        return Check::Refused;
    };
    if (r.problem) return refuse(r.problem->key, r.problem->params);
    std::string vendor = txt::Trim(r.Get("cVenCode"));
    if (!options_.vendor.empty()) {
        if (vendor.empty()) vendor = options_.vendor;
        else if (vendor != options_.vendor) return refuse("Hx.CRM.TkContact.Exchange.OtherVendor", {vendor, options_.vendor});
    }
    if (vendor.empty()) return refuse("Hx.AA.SRVTRANS.xx_notnull", {ResText("Hx.AA.ARCHIVE.FIELD.refvendor")});
    vendor = Vendor(vendor);
    if (vendor.empty()) return refuse("Hx.CRM.TkContact.frmcontactedit.00064");
    r.Set("cVenCode", vendor);
    // A card's company other than its vendor is not kept: the report names it.
    const std::string organisation = r.Get(kOrganisation);
    if (!organisation.empty() && !txt::EqualsNoCase(organisation, vendorNames_[vendor])) r.Ignore(kOrganisation);
    if (txt::Trim(r.Get("cContactName")).empty()) r.Set("cContactName", JoinedName(r.Get(kGiven), r.Get(kFamily)));
    if (txt::Trim(r.Get("cContactName")).empty()) return refuse("Hx.CRM.TkContact.frmcontactedit.00080");
    if (const std::string bad = txt::FirstBadMailAddress(r.Get("cEmail")); !bad.empty())
        return refuse("Hx.CRM.COMMON.BadEmail", {bad});
    for (const char* field : {"dBirthday", "dCreateDate"}) {
        if (r.Get(field).empty()) continue;
        const auto date = DateText(r.Get(field));
        if (!date) return refuse("Hx.CRM.COMMON.CheckLegal02", {field});
        r.Set(field, *date);
    }
    const std::string major = r.Get("bMajor");
    const auto flag = major.empty() ? std::optional<std::string>("False") : FlagText(major);
    if (!flag) return refuse("Hx.CRM.TkContact.Exchange.BadValue", {"bMajor", major});
    r.Set("bMajor", *flag);
    const std::string principal = txt::Trim(r.Get("cPrincipal"));
    if (!principal.empty() && !PersonExists(principal))
        return refuse("Hx.CRM.BO.SurveyAcitve.surveyaction.00027", {principal});
    const std::string code = r.Get("cContactCode");
    const std::string superior = r.Get("cSuperiorID");
    if (!superior.empty()) {
        if (superior == code) return refuse("Hx.CRM.FrameCaption.Contact01");
        if (!ContactExists(superior)) {
            if (!lastTry) return Check::Later;
            return refuse("Hx.CRM.TkContact.frmcontactedit.00066");
        }
    }
    for (const auto& c : kCodeFields)
        if (auto p = BaseCode(r, c)) {
            why = *p;
            return Check::Refused;
        }
    if (code.empty()) r.Set("cContactCode", NextCode(vendor));
    else NoteCode(vendor, code);
    // The file's key is kept when it is a key of the card's form that no contact has yet.
    const std::string oid = r.Get("oid");
    if (oid.size() != 38 || oid.front() != '{' || oid.back() != '}' ||
        !Query("SELECT oid FROM Ven_Contact WHERE oid = " + SqlText(oid))->Eof())
        r.Set("oid", platform::NewGuidText());
    if (r.Get("cCreator").empty()) r.Set("cCreator", Ctx().UserName);
    if (r.Get("dCreateDate").empty()) r.Set("dCreateDate", DateText(Ctx().LoginDate).value_or(""));
    return Check::Ready;
}

void Importer::Report(const Record& r, Outcome outcome, std::string message) {
    if (outcome != Outcome::Refused && !r.ignored.empty()) {
        std::string names;
        for (const auto& n : r.ignored) names += (names.empty() ? "" : ", ") + n;
        message = ResTextParams("Hx.CRM.TkContact.Exchange.Ignored", {Value(names)});
    }
    RowReport row{r.line, outcome, r.Get("cContactCode"), r.Get("cContactName"), std::move(message)};
    // A batch's refusals wait with its rows, so that the report keeps the file's order.
    if (options_.atomic || options_.dryRun) Tell(row);
    else uncommitted_.push_back(std::move(row));
}

void Importer::Tell(const RowReport& row) {
    if (row.outcome == Outcome::Refused) ++summary_.refused;
    else ++summary_.added;
    report_(row);
}

void Importer::CommitBatch(bool force) {
    if (options_.atomic || options_.dryRun) return;
    if (!force && ++sinceCommit_ < kRowsPerCommit) return;
    // The main-contact link goes with the rows it names, so no commit leaves a vendor without one.
    Relink();
    while (cnn_->TransactionLevel() > baseLevel_) cnn_->CommitTrans();
    sinceCommit_ = 0;
    for (const RowReport& row : uncommitted_) Tell(row);
    uncommitted_.clear();
    if (!force) cnn_->BeginTrans();
}

void Importer::TakeBack(const std::string& why) {
    for (RowReport& row : uncommitted_) {
        if (row.outcome == Outcome::Added) {
            row.outcome = Outcome::Refused;
            row.message = ResTextParams("Hx.CRM.TkContact.Exchange.TakenBack", {Value(why)});
        }
        Tell(row);
    }
    uncommitted_.clear();
}

void Importer::Row(Record& r, bool lastTry) {
    // Each row in a savepoint of its own: a refusal takes back what the row wrote, such as a new
    // duty, and leaves the transaction usable on servers that abort it on an error.
    cnn_->BeginTrans();
    Problem why;
    Check check = Check::Refused;
    std::string message;
    bool added = false;
    try {
        check = Complete(r, why, lastTry);
    } catch (const std::exception& e) {
        why = Problem{"Hx.CRM.TkContact.Exchange.Failed", {e.what()}};
    }
    if (check == Check::Later) {
        cnn_->RollbackTrans();
        waiting_.push_back(std::move(r));
        return;
    }
    if (check == Check::Ready) {
        std::string xml = "<Ven_Contact>";
        for (std::string_view f : kFields) {
            const std::string name(f);
            // Line breaks reach the database as line feeds whatever the file had.
            xml += "<" + name + ">" + XmlEscaped(txt::Replace(r.Get(f), "\r\n", "\n")) + "</" + name + ">";
        }
        xml += "</Ven_Contact>";
        std::string table = "Ven_Contact";
        added = service_.Add(xml, table, message);
    } else {
        message = Text(why);
    }
    if (added) {
        cnn_->CommitTrans();
        touched_.insert(r.Get("cVenCode"));
        Report(r, options_.atomic || options_.dryRun ? Outcome::Accepted : Outcome::Added, "");
    } else {
        cnn_->RollbackTrans();
        codes_.clear();  // a duty added for this row is gone again
        Report(r, Outcome::Refused, message);
    }
    CommitBatch(false);
}

template <class Reader>
void Importer::ReadAll(Reader& reader) {
    Record r;
    while (reader.Next(r)) Row(r, false);
}

std::map<std::string, std::string> Importer::Captions() {
    // A file saved from a spreadsheet may head its columns as the list does, in either language,
    // and the user-defined items by their names.
    std::map<std::string, std::string> out;
    for (std::string_view f : kFields) {
        const std::string key = "Hx.CRM.TkContact.Column." + std::string(f);
        for (const char* language : {"zh-CN", "en-US"}) {
            const std::string caption = txt::Trim(ResText(key, language));
            if (!caption.empty() && caption != key) out.emplace(txt::LCase(caption), f);
        }
    }
    for (const auto& [column, field] : kOtherPrograms) out.emplace(column, field);
    auto rs = Query("SELECT cItem, cItemName FROM userdef WHERE cClass = N'供应商联系人'");
    for (; !rs->Eof(); rs->MoveNext()) {
        const std::string item = rs->Get("cItem").ToText(), name = txt::Trim(NullText(rs->Get("cItemName")));
        const std::string prefix = "自定义项";
        if (name.empty() || !item.starts_with(prefix)) continue;
        const std::string_view field = FieldNamed("cConDefine" + item.substr(prefix.size()));
        if (!field.empty()) out.emplace(txt::LCase(name), field);
    }
    return out;
}

void Importer::Relink() {
    // A vendor whose main contact is missing gets its contact with the highest code, as after
    // a save in the card.
    std::set<std::string> touched;
    touched.swap(touched_);
    for (const std::string& v : touched) {
        const std::string q = SqlText(v);
        // A link that cannot be written stops the commit it belongs to.
        const bool linked = service_.ExecuteX(
            "if (not exists( select * from Ven_Contact where oid in (select Vendor.cSovrelCode  from vendor where "
            "cVenCode=" + q + "))) begin update vendor set csovrelcode=t.oid,cVenPerson=t.cContactName from (select "
            "top 1 oid,vendor.cvencode,cContactName from Ven_Contact left join vendor on "
            "Vendor.cVenCode=Ven_Contact.cVenCode where Ven_Contact.cVenCode=" + q +
            " order by cContactCode desc) t WHERE vendor.cvencode = t.cvencode End");
        if (!linked) Failed();
    }
}

bool Importer::Run(std::istream& in) {
    // The contacts' history names what this run adds an import.
    history::ScopedKind kind(history::kind::Import);
    const Encoding encoding = DetectEncoding(in);
    if (encoding == Encoding::Utf16) {
        summary_.message = ResText("Hx.CRM.TkContact.Exchange.Utf16");
        return false;
    }
    // vCards start with BEGIN:VCARD; anything else is taken for CSV.
    bool vcard = false;
    {
        LineReader probe(in, encoding);
        Line first;
        while (probe.Next(first) && txt::Trim(first.text).empty()) {
        }
        vcard = txt::LCase(txt::Trim(first.text)).starts_with("begin:vcard");
        in.clear();
        in.seekg(0);
    }
    LineReader lines(in, encoding);
    baseLevel_ = cnn_->TransactionLevel();
    try {
        cnn_->BeginTrans();
        if (vcard) {
            VCardReader reader(lines);
            ReadAll(reader);
        } else {
            CsvReader reader(lines, Captions());
            Record r;
            bool first = true;
            while (reader.Next(r)) {
                if (first && options_.dryRun) {
                    std::string pairs;
                    for (const auto& [column, field] : reader.Mapping())
                        pairs += (pairs.empty() ? "" : ", ") + column + " → " + field;
                    report_({1, Outcome::Note, "", "", ResTextParams("Hx.CRM.TkContact.Exchange.Mapping", {Value(pairs)})});
                }
                if (first && !reader.IgnoredColumns().empty()) {
                    std::string names;
                    for (const auto& n : reader.IgnoredColumns()) names += (names.empty() ? "" : ", ") + n;
                    report_({1, Outcome::Note, "", "", ResTextParams("Hx.CRM.TkContact.Exchange.Ignored", {Value(names)})});
                }
                first = false;
                Row(r, false);
            }
            if (reader.HeaderProblem()) summary_.message = Text(*reader.HeaderProblem());
        }
        // Rows that wait for a superior further down the file, until a pass adds none of them.
        for (std::size_t before = 0; !waiting_.empty() && waiting_.size() != before;) {
            before = waiting_.size();
            std::vector<Record> round;
            round.swap(waiting_);
            for (Record& r : round) Row(r, false);
        }
        std::vector<Record> last;
        last.swap(waiting_);
        for (Record& r : last) Row(r, true);
        const bool keep = !options_.dryRun && !(options_.atomic && summary_.refused > 0) && summary_.message.empty();
        if (keep) {
            if (options_.atomic) Relink();
            CommitBatch(true);
            while (cnn_->TransactionLevel() > baseLevel_) cnn_->CommitTrans();
        } else {
            while (cnn_->TransactionLevel() > baseLevel_) cnn_->RollbackTrans();
        }
        summary_.written = keep && summary_.added > 0;
    } catch (const std::exception& e) {
        // Whatever was not committed goes, and its rows are named; the batches committed before
        // stay, as each was whole.
        try {
            while (cnn_->TransactionLevel() > baseLevel_) cnn_->RollbackTrans();
        } catch (...) {
        }
        TakeBack(e.what());
        if (options_.atomic) summary_.added = 0;
        summary_.message = e.what();
        summary_.written = !options_.atomic && !options_.dryRun && summary_.added > 0;
        return false;
    }
    return summary_.message.empty() && summary_.refused == 0;
}

}  // namespace

bool ImportContacts(IClsCommon& service, std::istream& in, const ImportOptions& options,
                    const std::function<void(const RowReport&)>& report, ImportSummary& summary) {
    summary = ImportSummary{};
    Importer importer(service, options, report, summary);
    return importer.Run(in);
}

}  // namespace sovrel::exchange
