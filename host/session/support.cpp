#include "support.h"

#include "../crm/settings.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>

#include "common/hosts/login.h"
#include "common/local_names.h"
#include "common/sql_text.h"
#include "host/language_source.h"
#include "host/session.h"
#include "host/texts/text_table.h"
#include "platform/db/rowset.h"
#include "platform/db/value.h"
#include "platform/error.h"
#include "platform/text.h"

namespace host::detail {

namespace txt = platform::text;

std::string Sql(std::string_view text) { return sovrel::SqlText(text); }

namespace {

// Replaces the value of the key (any of its aliases) or appends "canonical=value".
std::string WithKey(std::string_view connectionText, std::initializer_list<std::string_view> aliases,
                    std::string_view canonical, std::string_view value) {
    std::string out;
    bool replaced = false;
    for (const std::string& part : txt::Split(connectionText, ";")) {
        if (txt::Trim(part).empty()) continue;
        const auto eq = part.find('=');
        const std::string key = txt::LCase(txt::Trim(part.substr(0, eq == std::string::npos ? part.size() : eq)));
        bool match = false;
        for (auto alias : aliases) match = match || key == alias;
        if (!out.empty()) out += ';';
        if (match) {
            if (replaced) {  // a second alias of the same key would override the first
                out.pop_back();
                continue;
            }
            out += std::string(canonical) + "=" + std::string(value);
            replaced = true;
        } else {
            out += part;
        }
    }
    if (!replaced) out += (out.empty() ? "" : ";") + std::string(canonical) + "=" + std::string(value);
    return out;
}

}  // namespace

std::string WithCatalog(std::string_view connectionText, std::string_view catalog) {
    return WithKey(connectionText, {"initial catalog", "database"}, "Initial Catalog", catalog);
}

std::string WithDataSource(std::string_view connectionText, std::string_view dataSource) {
    return WithKey(connectionText, {"data source", "server", "host"}, "Data Source", dataSource);
}

std::unique_ptr<platform::db::Connection> Open(const std::string& connectionText) {
    auto connection = std::make_unique<platform::db::Connection>();
    try {
        connection->Open(connectionText);
    } catch (const platform::Error& e) {
        throw e.WithContext("while opening " + connectionText);
    }
    return connection;
}

std::string HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return "localhost";
    return name;
}

namespace {

// Seconds since the epoch at which process pid started; 0 when unknown.
std::time_t ProcessStart(long pid) {
    std::ifstream statFile("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(statFile, line)) return 0;
    const auto close = line.rfind(')');  // the command name may hold spaces and parentheses
    if (close == std::string::npos) return 0;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    unsigned long long ticks = 0;
    // starttime is field 22 of the line; after the name the state is field 3.
    for (int n = 3; n <= 22 && fields >> field; ++n)
        if (n == 22) ticks = std::stoull(field);
    std::ifstream stat("/proc/stat");
    std::time_t boot = 0;
    for (std::string key; stat >> key;) {
        if (key == "btime") {
            stat >> boot;
            break;
        }
        std::getline(stat, key);
    }
    const long hz = ::sysconf(_SC_CLK_TCK);
    if (!boot || hz <= 0 || !ticks) return 0;
    return boot + static_cast<std::time_t>(ticks / static_cast<unsigned long long>(hz));
}

std::time_t LocalSeconds(std::string_view text) {
    auto d = platform::db::DateTime::Parse(text);
    if (!d) return 0;
    std::tm tm{};
    tm.tm_year = d->year - 1900;
    tm.tm_mon = d->month - 1;
    tm.tm_mday = d->day;
    tm.tm_hour = d->hour;
    tm.tm_min = d->minute;
    tm.tm_sec = d->second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

}  // namespace

bool ProcessAlive(long pid, std::string_view takenAt) {
    if (pid <= 0) return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return false;
    const std::time_t started = ProcessStart(pid);
    const std::time_t taken = LocalSeconds(takenAt);
    // Boot time and tick rounding blur the start by a second or two.
    if (started && taken && started > taken + 2) return false;
    return true;
}

std::string NowText() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &tm);
    return buffer;
}

namespace {

struct BuiltIn {
    const char* zh;
    const char* en;
};

// Texts of the host's own dialogs that the shared text tables do not (yet) hold.
const std::map<std::string, BuiltIn, std::less<>>& BuiltInTexts() {
    static const std::map<std::string, BuiltIn, std::less<>> texts = {
        {"Hx.AA.PORTAL.NoFuncRight",
         {"用户“{0}”没有“{1}”（{2}）的功能权限，请与系统管理员联系。",
          "User \"{0}\" has no right to \"{1}\" ({2}). Ask your system administrator to grant it."}},
        {"Hx.AA.PORTAL.RightTitle", {"功能权限", "Function rights"}},
        {"Hx.AA.PUB.LockHeld",
         {"{0}的“{1}”功能正被用户“{2}”使用（计算机 {3}，进程 {4}，自 {5} 起），请稍后再试。",
          "\"{1}\" of {0} is in use by user \"{2}\" (computer {3}, process {4}, since {5}). Try again later."}},
        {"Hx.AA.PUB.LockTitle", {"记录锁", "Record lock"}},
        {"Hx.AA.PUB.Lock1", {"浏览", "Browse"}},
        {"Hx.AA.PUB.Lock2", {"修改", "Modify"}},
        {"Hx.AA.PUB.Lock3", {"发送邮件短信", "Send mail and SMS"}},
        {"Hx.AA.PUB.Lock5", {"打印输出", "Print and export"}},
        {"Hx.AA.PUB.Lock8", {"删除", "Delete"}},
        {"Hx.AA.PUB.Lock11", {"增加", "Add"}},
        {"Hx.AA.PUB.LockN", {"功能{0}", "function {0}"}},
        {"Hx.AA.COLSET.UnknownList",
         {"没有列表“{0}”的栏目设置。", "There are no column settings for the list \"{0}\"."}},
        {"Hx.AA.COLSET.UnknownColumn", {"列表中没有栏目“{0}”。", "The list has no column \"{0}\"."}},
        {"Hx.AA.COLSET.Invalid", {"栏目设置无效：{0}", "The column settings are not valid: {0}"}},
        {"Hx.AA.COLSET.NoVisible", {"至少要显示一个栏目。", "At least one column must be shown."}},
        {"Hx.AA.SRVTRANS.RefObject", {"{0}（{1}条）", "{0} ({1} rows)"}},
        {"Hx.AA.SRVTRANS.RefSeparator", {"、", ", "}},
    };
    return texts;
}

}  // namespace

std::string HostText(std::string_view language, std::string_view key, const std::vector<std::string>& params) {
    if (txt::EqualsNoCase(language, "keys")) {
        std::string out(key);
        if (params.empty()) return out;
        out += '(';
        for (std::size_t i = 0; i < params.size(); ++i) out += (i ? "," : "") + params[i];
        return out + ")";
    }
    const auto& table = host::texts::TextTable::For(language);
    if (table.Get(key)) return table.Format(key, params);
    const auto& builtIn = BuiltInTexts();
    const auto it = builtIn.find(key);
    if (it == builtIn.end()) return std::string(key);
    const bool english = txt::EqualsNoCase(table.Language(), "en-US");
    return host::texts::FillPlaceholders(english ? it->second.en : it->second.zh, params);
}

std::map<std::string, std::string> LocalNames(platform::db::Connection& db, std::string_view table,
                                              std::string_view language) {
    std::map<std::string, std::string> names;
    try {
        auto rs = db.OpenRowset(sovrel::LocalNamesStatement(table, language));
        for (; !rs->Eof(); rs->MoveNext())
            if (std::string name = rs->Get(1).ToText(); !name.empty()) names[rs->Get(0).ToText()] = std::move(name);
    } catch (const platform::Error&) {
        // An account made before it could hold such names shows its own.
    }
    return names;
}

std::string LanguageOf(const sovrel::ILogin* login) {
    // The portal's or command line's choice of language wins over the user's own, as it does
    // for the text service.
    if (std::string forced = LanguageOverride(); !forced.empty()) return forced;
    if (auto source = dynamic_cast<const host::ILanguageSource*>(login)) return source->Language();
    return kDefaultLanguage;
}

std::string CurrentLanguage() { return LanguageOf(CurrentLogin().get()); }

std::string CurrentText(std::string_view key, const std::vector<std::string>& params) {
    return HostText(CurrentLanguage(), key, params);
}

}  // namespace host::detail
