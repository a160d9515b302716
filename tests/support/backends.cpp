#include "backends.h"

#include <fcntl.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <stdexcept>

#include "platform/text.h"
#include "schema/demo.h"
#include "schema/server_roles.h"

namespace fs = std::filesystem;

namespace sovrel::test {

bool PostgresSkipAllowed() {
    const char* skip = std::getenv("SOVREL_SKIP_POSTGRES");
    return skip && std::string(skip) == "1";
}

std::string RefusingTrigger(Backend backend, std::string_view name, std::string_view event, std::string_view table,
                            std::string_view when) {
    const std::string n(name), on = " BEFORE " + std::string(event) + " ON " + std::string(table),
                      condition = when.empty() ? "" : " WHEN (" + std::string(when) + ")";
    if (backend == Backend::Sqlite)
        return "CREATE TRIGGER " + n + on + condition + " BEGIN SELECT RAISE(ABORT, 'refused'); END;";
    return "CREATE FUNCTION " + n + "() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN RAISE EXCEPTION 'refused'; END$$; "
           "CREATE TRIGGER " + n + on + " FOR EACH ROW" + condition + " EXECUTE FUNCTION " + n + "();";
}

std::string BackendTestName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::Sqlite ? "SQLite" : "PostgreSQL";
}

namespace pg {
namespace {

// Runs argv (as the postgres user when we are root: the server refuses to run as root);
// answers the exit status, output in log.
int RunTool(const std::vector<std::string>& argv, const std::string& log) {
    std::vector<std::string> full;
    if (geteuid() == 0) full = {"runuser", "-u", "postgres", "--"};
    full.insert(full.end(), argv.begin(), argv.end());
    pid_t pid = fork();
    if (pid == 0) {
        int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
        }
        std::vector<char*> args;
        for (auto& a : full) args.push_back(a.data());
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string FindTool(const std::string& name) {
    if (const char* path = getenv("PATH"))
        for (const auto& dir : platform::text::Split(path, ":"))
            if (!dir.empty() && access((fs::path(dir) / name).c_str(), X_OK) == 0) return (fs::path(dir) / name).string();
    std::error_code ec;
    for (const auto& v : fs::directory_iterator("/usr/lib/postgresql", ec))
        if (access((v.path() / "bin" / name).c_str(), X_OK) == 0) return (v.path() / "bin" / name).string();
    return {};
}

// Gives the folder to the postgres user when we are root, so the server may use it.
bool HandOver(const fs::path& p) {
    if (geteuid() != 0) return true;
    struct passwd* pw = getpwnam("postgres");
    if (!pw) return false;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(p, ec); it != fs::recursive_directory_iterator(); ++it)
        if (lchown(it->path().c_str(), pw->pw_uid, pw->pw_gid) != 0) return false;
    return lchown(p.c_str(), pw->pw_uid, pw->pw_gid) == 0;
}

int FreePort() {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (s >= 0 && bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    if (s >= 0) close(s);
    return port ? port : 54000 + getpid() % 1000;
}

struct Running {
    std::string folder, data, pgCtl, text, error;
    int port = 0;
};

Running* running = nullptr;
bool durable = false;

void Stop() {
    if (!running || running->text.empty()) return;
    RunTool({running->pgCtl, "-D", running->data, "-m", "immediate", "-w", "stop"}, running->folder + "/stop.log");
    std::error_code ec;
    fs::remove_all(running->folder, ec);
}

// An initialised data folder shared by every test process of this user (initdb is the slow
// part); each process copies it.
std::string Template(const std::string& initdb, std::string& error) {
    const fs::path base = fs::temp_directory_path() / ("sovrel-pg-template-" + std::to_string(geteuid()));
    const fs::path data = base / "data";
    const int lock = open((base.string() + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    if (lock < 0 || flock(lock, LOCK_EX) != 0) {
        error = "cannot lock " + base.string() + ".lock";
        return {};
    }
    std::error_code ec;
    if (!fs::exists(data / "PG_VERSION", ec)) {
        fs::remove_all(base, ec);
        fs::create_directories(base, ec);
        fs::permissions(base, fs::perms::all, ec);
        const std::string log = (base / "initdb.log").string();
        if (!HandOver(base) ||
            RunTool({initdb, "-D", (base / "init").string(), "-U", "postgres", "--auth=trust", "-E", "UTF8",
                     "--locale=C.UTF-8", "--no-sync", "--wal-segsize=1"},
                    log) != 0) {
            error = "initdb failed (see " + log + ")";
            close(lock);
            return {};
        }
        fs::rename(base / "init", data, ec);
    }
    close(lock);
    return data.string();
}

Running Start() {
    Running r;
    const auto fail = [&r](std::string why) {
        r.error = std::move(why);
        return r;
    };
    const std::string initdb = FindTool("initdb"), pgCtl = FindTool("pg_ctl");
    if (initdb.empty() || pgCtl.empty())
        return fail("no PostgreSQL server programs (initdb, pg_ctl) found: install postgresql (scripts/deps)");
    if (geteuid() == 0 && !getpwnam("postgres"))
        return fail("running as root and there is no postgres user to run the server as");
    const std::string tmpl = Template(initdb, r.error);
    if (tmpl.empty()) return r;
    std::string folder = (fs::temp_directory_path() / "sovrel-pg-XXXXXX").string();
    if (!mkdtemp(folder.data())) return fail("cannot make a temporary folder");
    r.folder = folder;
    r.data = folder + "/data";
    r.pgCtl = pgCtl;
    std::error_code ec;
    fs::copy(tmpl, r.data, fs::copy_options::recursive, ec);
    fs::permissions(r.data, fs::perms::owner_all, ec);
    if (ec || !HandOver(folder)) return fail("cannot prepare the server folder " + folder);
    const int port = r.port = FreePort();
    std::string options = "-k " + folder + " -p " + std::to_string(port) + " -c listen_addresses='' -c max_connections=60";
    if (!durable) options += " -c fsync=off -c synchronous_commit=off -c full_page_writes=off";
    if (RunTool({pgCtl, "-D", r.data, "-w", "-t", "60", "-l", folder + "/server.log", "-o", options, "start"},
                folder + "/pg_ctl.log") != 0)
        return fail("the PostgreSQL server did not start (see " + folder + "/server.log)");
    r.text = "Provider=PostgreSQL;Data Source=" + folder + ";Port=" + std::to_string(port) + ";User ID=postgres";
    return r;
}

std::string Conninfo(const std::string& db) {
    return "host=" + running->folder + " port=" + std::to_string(running->port) + " user=postgres dbname=" + db;
}

}  // namespace

std::string Server(std::string& whyNot) {
    static std::once_flag once;
    std::call_once(once, [] {
        running = new Running(Start());
        std::atexit(Stop);
    });
    whyNot = running->error;
    return running->text;
}

void KeepDefaultDurability() { durable = true; }

void DropDatabases(const std::vector<std::string>& names) {
    std::string why;
    if (Server(why).empty()) return;
    PGconn* c = PQconnectdb(Conninfo("postgres").c_str());
    std::vector<std::string> all = names;
    if (all.empty() && PQstatus(c) == CONNECTION_OK) {
        PGresult* r = PQexec(c, "SELECT datname FROM pg_database WHERE datname NOT IN ('postgres','template0','template1')");
        for (int i = 0; i < PQntuples(r); ++i) all.emplace_back(PQgetvalue(r, i, 0));
        PQclear(r);
    }
    for (const auto& n : all) {
        char* quoted = PQescapeIdentifier(c, platform::text::LCase(n).c_str(), platform::text::LCase(n).size());
        PQclear(PQexec(c, ("DROP DATABASE IF EXISTS " + std::string(quoted ? quoted : "x") + " WITH (FORCE)").c_str()));
        PQfreemem(quoted);
    }
    PQfinish(c);
}

}  // namespace pg

Place::Place(Backend backend) : backend_(backend) {
    if (backend == Backend::Sqlite) {
        std::string tmpl = (fs::temp_directory_path() / "sovrel-test-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot make a temporary folder: " + tmpl);
        folder_ = tmpl;
        return;
    }
    if (pg::Server(unavailable_).empty()) return;
    pg::DropDatabases({});
}

Place::~Place() {
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
    if (backend_ == Backend::Postgres && unavailable_.empty()) pg::DropDatabases({});
}

std::string Place::Server() const {
    if (backend_ == Backend::Sqlite) return "Provider=SQLite;Data Source=" + folder_;
    std::string why;
    return pg::Server(why);
}

std::string Place::ConnectionText(const std::string& catalog) const {
    return Server() + ";Initial Catalog=" + catalog;
}

std::string CreateFixedAccount(const Place& place) {
    constexpr auto cheap = platform::PasswordCost::TestOnly;
    if (place.backend() == Backend::Sqlite) return schema::CreateFixedAccount(place.folder(), cheap).connectionText;
    const std::string text = schema::CreateFixedAccountOn(place.Server(), cheap).connectionText;
    // As `sovrel init` leaves an account on a server: its roles, and hashes the server checks.
    schema::InstallServerRoles(place.Server());
    schema::SetServerPassword(place.Server(), "", std::string(schema::kDemoPassword), cheap);
    return text;
}

std::string RoleConnectionText(const Place& place, std::string_view role, const std::string& catalog) {
    return schema::RoleConnectionText(place.Server(), role, "", catalog);
}

}  // namespace sovrel::test
