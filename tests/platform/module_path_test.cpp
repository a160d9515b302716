#include "platform/module_path.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The static platform library is linked into this program, so its directory holds the program.
TEST(ModulePath, ModuleDirectoryIsTheProgramsCanonicalDirectoryWhateverTheWorkingDirectory) {
    const fs::path cwd = fs::current_path();
    fs::current_path("/");
    const std::string dir = platform::ModuleDirectory();
    fs::current_path(cwd);
    EXPECT_TRUE(fs::is_regular_file(platform::JoinPath(dir, "platform_tests"))) << dir;
    EXPECT_EQ(fs::canonical(dir), fs::path(dir));
    EXPECT_EQ(platform::ModuleDirectory(), dir);
}

TEST(ModulePath, DirectoryOfAndJoinPathPutExactlyOneSeparator) {
    const struct { const char* path; const char* dir; } dirs[] = {
        {"/usr/lib/libsovrel.so", "/usr/lib"}, {"/prog", "/"}, {"/", "/"}, {"/a//b", "/a"}, {"rel/x", "rel"}, {"", "."},
    };
    for (const auto& c : dirs) EXPECT_EQ(platform::DirectoryOf(c.path), c.dir) << c.path;
    const struct { const char* dir; const char* name; const char* joined; } cases[] = {
        {"//", "e.log", "/e.log"}, {"/opt", "e.log", "/opt/e.log"}, {"/opt/", "e.log", "/opt/e.log"},
        {"/opt", "/e.log", "/opt/e.log"}, {"rel", "a/b.log", "rel/a/b.log"}, {"", "e.log", "e.log"},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::JoinPath(c.dir, c.name), c.joined) << c.dir << " + " << c.name;
    EXPECT_EQ(platform::JoinPath(platform::DirectoryOf("/portal"), "error.log"), "/error.log");
}

}  // namespace
