// An account file whose indexes were written in another order (an older build, or a stock SQLite
// tool with its own NOCASE) is reindexed when the layer first opens it for writing.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/db/connection.h"
#include "platform/db/rowset.h"

namespace {

TEST(Reindex, IndexesOfAnotherOrderAreRebuiltOnOpening) {
    std::string folder = (std::filesystem::temp_directory_path() / "sovrel-reindex-XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((folder + "/names.db").c_str(), &raw), SQLITE_OK);
    // SQLite's own NOCASE orders 周 < 张 < 李 (by bytes); the account's order is 李 < 张 < 周.
    ASSERT_EQ(sqlite3_exec(raw,
                           "CREATE TABLE t(c TEXT COLLATE NOCASE); CREATE INDEX t_c ON t(c);"
                           "INSERT INTO t VALUES ('Anna'), ('周八'), ('张伟'), ('李娜')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);

    platform::db::Connection c;
    c.Open("Provider=SQLite;Data Source=" + folder + ";Initial Catalog=names");
    std::string found;
    for (auto rs = c.OpenRowset("select c from t where c > N'李娜' order by c"); !rs->Eof(); rs->MoveNext())
        found += rs->Get(0).ToText() + " ";
    EXPECT_EQ(found, "张伟 周八 ");
    c.Close();
    std::filesystem::remove_all(folder);
}

}  // namespace
