// The portal's picture modes as a user starts them: each opens the list (and the card), saves its
// pictures and exits with status 0 once every window and host object is gone.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "demo_session.h"

namespace sovrel::test {
namespace {

namespace fs = std::filesystem;

struct Mode {
    const char* name;
    std::string arguments;
    std::vector<const char*> pictures;
};

TEST(ScreenshotModesTest, EachModeSavesItsPicturesAndExitsCleanly) {
    DemoFolder demo;
    const std::string out = demo.path() + "/shot";
    const Mode modes[] = {
        {"list", "", {".png"}},
        {"card add", "--card add", {"-tab0.png", "-tab1.png"}},
        {"card modify", "--card modify", {"-tab0.png", "-tab2.png"}},
        {"search", "--search 王", {".png"}},
        {"sort", "--sort 3:desc", {".png"}},
    };
    for (const auto& m : modes) {
        fs::remove_all(demo.path() + "/pictures");
        fs::create_directories(demo.path() + "/pictures");
        const std::string stem = demo.path() + "/pictures/shot";
        const std::string command = "SOVREL_PASSWORD=demo123 '" SOVREL_PORTAL "' --data '" + demo.path() +
                                    "' --user demo --screenshot '" + stem + ".png' " + m.arguments +
                                    " >/dev/null 2>'" + demo.path() + "/portal.err'";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << m.name << ": ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0) << m.name;
        for (const char* suffix : m.pictures) EXPECT_TRUE(fs::exists(stem + suffix)) << m.name << " " << suffix;
    }
}

}  // namespace
}  // namespace sovrel::test
