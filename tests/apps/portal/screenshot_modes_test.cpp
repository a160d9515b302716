// The portal's picture modes as a user starts them: each opens the list (and the card), saves its
// pictures and exits with status 0 once every window and host object is gone.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "backends.h"
#include "demo_session.h"
#include "schema/demo.h"
#include "schema/server_roles.h"

namespace sovrel::test {
namespace {

namespace fs = std::filesystem;

// The portal started with the demo password and `arguments`, saving its pictures as `stem`.png
// and so on, its standard error in `stem`.err; answers the exit status, or -1 after a signal.
int Portal(const std::string& arguments, const std::string& stem) {
    const std::string command = "SOVREL_PASSWORD=" + std::string(schema::kDemoPassword) + " '" SOVREL_PORTAL "' " +
                                arguments + " --screenshot '" + stem + ".png' >/dev/null 2>'" + stem + ".err'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ScreenshotModesTest, EachModeSavesItsPicturesAndExitsCleanly) {
    DemoFolder demo;
    const struct {
        std::string arguments;
        std::vector<const char*> pictures;
    } modes[] = {
        {"", {".png"}},
        {"--card add", {"-tab0.png", "-tab1.png"}},
        {"--card modify", {"-tab0.png", "-tab2.png"}},
        {"--search 王", {".png"}},
        {"--sort 3:desc", {".png"}},
    };
    for (const auto& m : modes) {
        SCOPED_TRACE(m.arguments);
        fs::remove_all(demo.path() + "/pictures");
        fs::create_directories(demo.path() + "/pictures");
        const std::string stem = demo.path() + "/pictures/shot";
        EXPECT_EQ(Portal("--data '" + demo.path() + "' --user demo " + m.arguments, stem), 0)
            << std::ifstream(stem + ".err").rdbuf();
        for (const char* suffix : m.pictures) EXPECT_TRUE(fs::exists(stem + suffix)) << suffix;
    }
}

// On a server each user opens the list, and the card where the user may change contacts, through
// the clerk role's connection: the clerk's grants and row policies leave the portal's work whole.
TEST(ScreenshotsOnServer, EachUserWorksThroughTheClerkRole) {
    Place place(Backend::Postgres);
    SOVREL_SKIP_UNLESS_AVAILABLE(place);
    CreateFixedAccount(place);
    const std::string clerk = RoleConnectionText(place, schema::kClerkRole, std::string(schema::kDemoAccountDatabase));
    DemoFolder scratch;
    for (const std::string user : {"demo", "demo_en", "limited"}) {
        for (const std::string mode : {"", "--card modify"}) {
            if (user == "limited" && !mode.empty()) continue;  // limited may not change contacts
            SCOPED_TRACE(user + " " + mode);
            const std::string stem = scratch.path() + "/" + user + (mode.empty() ? "-list" : "-card");
            EXPECT_EQ(Portal("--connection '" + clerk + "' --user " + user + " " + mode, stem), 0)
                << std::ifstream(stem + ".err").rdbuf();
            EXPECT_TRUE(fs::exists(stem + (mode.empty() ? ".png" : "-tab0.png")));
        }
    }
}

}  // namespace
}  // namespace sovrel::test
