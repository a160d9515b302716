#pragma once
// The backends every database and data-service test runs on, and where a test's databases live:
// a temporary folder (SQLite) or the test process's private PostgreSQL server.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace sovrel::test {

enum class Backend { Sqlite, Postgres };

inline const Backend kBackends[] = {Backend::Sqlite, Backend::Postgres};

// "SQLite" / "PostgreSQL" in test names.
std::string BackendTestName(const ::testing::TestParamInfo<Backend>& info);

// Where one test's databases live. For PostgreSQL the databases a test names are dropped when
// the place is made and when it goes, so every test starts from an empty server.
class Place {
public:
    explicit Place(Backend backend);
    ~Place();
    Place(const Place&) = delete;
    Place& operator=(const Place&) = delete;

    Backend backend() const { return backend_; }
    // Empty when the place is usable; otherwise why not (the test should skip).
    const std::string& unavailable() const { return unavailable_; }
    // Connection text of the server (PostgreSQL) or the folder (SQLite), without a catalog.
    std::string Server() const;
    std::string ConnectionText(const std::string& catalog) const;
    // The folder of an SQLite place (empty for PostgreSQL: the server keeps no files of ours).
    const std::string& folder() const { return folder_; }

private:
    Backend backend_;
    std::string folder_;
    std::string unavailable_;
};

// The fixed demo account (schema::CreateFixedAccount) at the place, its users' passwords hashed
// cheaply (each is schema::kDemoPassword); answers the account's connection text.
std::string CreateFixedAccount(const Place& place);

// A role's connection text (schema::kClerkRole, kAdministratorRole) to catalog at a PostgreSQL
// place; the private server takes its local roles without a password.
std::string RoleConnectionText(const Place& place, std::string_view role, const std::string& catalog);

// A script that makes the server refuse every `event` ("INSERT", "UPDATE", "DELETE") on table
// (only rows meeting the condition when, written on NEW or OLD), raising "refused": it stands for
// whatever makes a write fail on the server.
std::string RefusingTrigger(Backend backend, std::string_view name, std::string_view event, std::string_view table,
                            std::string_view when = {});

// True when SOVREL_SKIP_POSTGRES=1 lets the PostgreSQL half be skipped.
bool PostgresSkipAllowed();

// A place that cannot be used fails the current test: a green run must not hide that half of
// the tests. With SOVREL_SKIP_POSTGRES=1 the test is skipped instead, and says why.
#define SOVREL_SKIP_UNLESS_AVAILABLE(place)                                                               \
    do {                                                                                                  \
        if (!(place).unavailable().empty()) {                                                             \
            if (::sovrel::test::PostgresSkipAllowed())                                                    \
                GTEST_SKIP() << "SOVREL_SKIP_POSTGRES=1: " << (place).unavailable();                      \
            else                                                                                          \
                FAIL() << (place).unavailable() << " (SOVREL_SKIP_POSTGRES=1 skips the PostgreSQL tests)"; \
        }                                                                                                 \
    } while (0)

namespace pg {
// The private server of this test process, started on first use (initdb into a temporary
// folder, its socket in that folder, a free port; stopped when the process ends). Answers the
// server's connection text, or "" with the reason in whyNot.
std::string Server(std::string& whyNot);
// Called before the first Server(): the server keeps PostgreSQL's default durability (fsync and
// synchronous_commit on), so that write timings compare with SQLite's synced commits. Tests keep
// the fast settings.
void KeepDefaultDurability();
// Drops the named databases of the private server, ending their connections.
void DropDatabases(const std::vector<std::string>& names);
}  // namespace pg

}  // namespace sovrel::test
