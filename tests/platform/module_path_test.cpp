#include "platform/module_path.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

TEST(ModulePath, ModuleDirectoryIsTheTestProgramsAbsoluteDirectory) {
    const std::string dir = platform::ModuleDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.front(), '/');
    if (dir != "/") {
        EXPECT_NE(dir.back(), '/');
    }
    // The static platform library is linked into this program, so its directory holds the program.
    EXPECT_TRUE(fs::is_regular_file(platform::JoinPath(dir, "platform_tests"))) << dir;
    EXPECT_EQ(fs::canonical(dir), fs::path(dir));
}

TEST(ModulePath, ModuleDirectoryDoesNotDependOnTheWorkingDirectory) {
    const std::string before = platform::ModuleDirectory();
    const fs::path cwd = fs::current_path();
    fs::current_path("/");
    const std::string after = platform::ModuleDirectory();
    fs::current_path(cwd);
    EXPECT_EQ(before, after);
}

TEST(ModulePath, DirectoryOf) {
    const struct { const char* path; const char* dir; } cases[] = {
        {"/usr/lib/libsovrel.so", "/usr/lib"},
        {"/prog", "/"},
        {"/", "/"},
        {"/a//b", "/a"},
        {"rel/x", "rel"},
        {"x", "."},
        {"", "."},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::DirectoryOf(c.path), c.dir) << c.path;
}

TEST(ModulePath, JoinPathPutsExactlyOneSeparator) {
    const struct { const char* dir; const char* name; const char* joined; } cases[] = {
        {"/", "error.log", "/error.log"},
        {"//", "error.log", "/error.log"},
        {"/opt/sovrel", "error.log", "/opt/sovrel/error.log"},
        {"/opt/sovrel/", "error.log", "/opt/sovrel/error.log"},
        {"/opt/sovrel", "/error.log", "/opt/sovrel/error.log"},
        {"rel", "a/b.log", "rel/a/b.log"},
        {"", "error.log", "error.log"},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::JoinPath(c.dir, c.name), c.joined) << c.dir << " + " << c.name;
    EXPECT_EQ(platform::JoinPath(platform::DirectoryOf("/portal"), "error.log"), "/error.log");
}

}  // namespace
