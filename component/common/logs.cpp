#include "common/logs.h"

#include "common/traces.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <filesystem>
#include <mutex>
#include <new>
#include <system_error>

#include "platform/module_path.h"
#include "platform/text.h"

namespace sovrel {

namespace fs = std::filesystem;
using platform::db::DateTime;

namespace {

constexpr std::uintmax_t kErrorLogLimit = 2097152;
constexpr std::uintmax_t kSrvLogLimit = 102400;
constexpr const char* kErrorLogName = "error.log";
constexpr const char* kSrvLogName = "SrvTransLog.log";
constexpr const char* kCrLf = "\r\n";
// File errors of the original runtime: "Path/File access error".
constexpr long kFileAccessError = 75;

struct LogSettings {
    std::mutex mutex;
    std::string directory;  // empty: the module directory
    LogClock clock;         // empty: the system's local time
};

LogSettings& Settings() {
    static LogSettings settings;
    return settings;
}

DateTime LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return DateTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

DateTime Now() {
    LogClock clock;
    {
        std::lock_guard lock(Settings().mutex);
        clock = Settings().clock;
    }
    return clock ? clock() : LocalNow();
}

// "yyyy-MM-dd HH:mm:ss", also at midnight (a record's time is never left out).
std::string TimeText(const DateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

// A label padded so that its colon stands in column 18.
std::string Labelled(std::string_view label, const std::string& value) {
    std::string line(label);
    line.resize(17, ' ');
    return line + ": " + value + kCrLf;
}

std::string LogPath(const char* name) { return platform::JoinPath(LogDirectory(), name); }

// Moves a log grown beyond limit to NAME.1 (replacing the one before), so that the records
// just before a problem survive it; a missing log is no error.
void RotateIfLarger(const std::string& path, std::uintmax_t limit) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size <= limit) return;
    fs::rename(path, path + ".1", ec);
    if (ec)
        throw platform::Error(kFileAccessError, "Sovrel",
                              "cannot rotate the full log " + path + ": " + ec.message());
}

// Appends to a log only its user may read: it holds statements and messages of their work.
void Append(const std::string& path, const std::string& record) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        throw platform::Error(kFileAccessError, "Sovrel",
                              "cannot open the log " + path + ": " + std::strerror(errno));
    const std::string text = platform::text::HidePasswords(record);
    bool ok = ::fchmod(fd, 0600) == 0;
    for (std::size_t at = 0; ok && at < text.size();) {
        const ssize_t n = ::write(fd, text.data() + at, text.size() - at);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) at += static_cast<std::size_t>(n);
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok) throw platform::Error(kFileAccessError, "Sovrel", "cannot write the log " + path);
}

// $XDG_STATE_HOME/sovrel, by default ~/.local/state/sovrel, made for its user alone.
std::string UserStateDirectory() {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    fs::path dir;
    if (state && state[0] == '/') dir = fs::path(state) / "sovrel";
    else if (home && home[0] == '/') dir = fs::path(home) / ".local" / "state" / "sovrel";
    else return platform::ModuleDirectory();
    std::error_code ec;
    if (fs::create_directories(dir, ec)) ::chmod(dir.c_str(), 0700);
    return dir.string();
}

// Path of the loaded object that holds this very function.
std::string OwnFilePath() {
    Dl_info info{};
    link_map* map = nullptr;
    if (::dladdr1(reinterpret_cast<void*>(&OwnFilePath), &info, reinterpret_cast<void**>(&map),
                  RTLD_DL_LINKMAP) != 0 &&
        map != nullptr && map->l_name != nullptr && map->l_name[0] != '\0')
        return map->l_name;
    // Linked into the program itself: the link map has no name for it.
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n > 0) return std::string(buf, static_cast<std::size_t>(n));
    return info.dli_fname ? info.dli_fname : "";
}

}  // namespace

std::string ModuleFileName() {
    static const std::string name = [] {
        std::string file = fs::path(OwnFilePath()).filename().string();
        // "libsovrel.so.1" is named "libsovrel", as "Pelorin.dll" was "Pelorin".
        const std::size_t so = file.find(".so");
        if (so != std::string::npos && so > 0) return file.substr(0, so);
        const std::size_t dot = file.rfind('.');
        return dot != std::string::npos && dot > 0 ? file.substr(0, dot) : file;
    }();
    return name;
}

std::string LogDirectory() {
    {
        std::lock_guard lock(Settings().mutex);
        if (!Settings().directory.empty()) return Settings().directory;
    }
    return UserStateDirectory();
}

void SetLogDirectory(std::string directory) {
    std::lock_guard lock(Settings().mutex);
    Settings().directory = std::move(directory);
}

LogClock SetLogClock(LogClock clock) {
    std::lock_guard lock(Settings().mutex);
    std::swap(Settings().clock, clock);
    return clock;
}

void WriteErrorLog(const std::string& position, bool write, const platform::Error& error) {
    if (!write) return;
    const std::string path = LogPath(kErrorLogName);
    std::string record = std::string(70, '-') + kCrLf;
    record += Labelled("Time", TimeText(Now()));
    record += std::string("[Program Information]") + kCrLf;
    record += Labelled("  Name", ModuleFileName());
    record += Labelled("  Function", position);
    record += std::string("[VB Error]") + kCrLf;
    record += Labelled("  Source", error.Source());
    record += Labelled("  Number", std::to_string(error.Number()));
    record += Labelled("  Description", error.Description());
    record += kCrLf;
    RotateIfLarger(path, kErrorLogLimit);
    Append(path, record);
}

void WriteSrvLog(const std::string& module, const std::string& procedure, long number,
                 const std::string& description) {
    try {
        const std::string path = LogPath(kSrvLogName);
        RotateIfLarger(path, kSrvLogLimit);
        std::string record = "*** Error Time " + TimeText(Now()) + "***" + kCrLf;
        record += "Error:" + std::to_string(number) + kCrLf;
        record += "Discript:" + description + kCrLf;
        record += "Procedure:" + procedure + kCrLf;
        record += "Module:" + module + kCrLf;
        record += kCrLf;
        Append(path, record);
    } catch (...) {
        // The service is already handling an error; a log it cannot write must not add another.
    }
}

platform::Error CurrentError() {
    if (!std::current_exception()) return platform::Error(440, "Sovrel", "no exception is being handled");
    try {
        throw;
    } catch (const platform::Error& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return platform::Error(7, "Sovrel", "Out of memory");
    } catch (const std::exception& e) {
        return platform::Error(440, "Sovrel", e.what());
    } catch (...) {
        return platform::Error(440, "Sovrel", "unknown exception");
    }
}

void Guarded(const char* position, const std::function<void()>& f) {
    try {
        f();
    } catch (...) {
        try {
            WriteErrorLog(position, true, CurrentError());
        } catch (...) {
            DebugTrace(std::string(position) + ": the error could not be written to error.log");
        }
    }
}

}  // namespace sovrel
