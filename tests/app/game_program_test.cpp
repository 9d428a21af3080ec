// The game program in child processes on a copy of the demo chapter: exit codes, one running copy,
// the close signal, nothing opened at exit.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class GameProgram : public ::testing::Test {
protected:
    testsupport::TempDir dir{false};
    fs::path data = dir.path() / "data_folder";
    fs::path runtime = dir.path() / "runtime";
    fs::path marker = dir.path() / "opened_page";

    void SetUp() override {
        fs::create_directories(runtime);
        fs::create_directories(dir.path() / "bin");
        // A browser opener that only leaves a mark: nothing may call it in a headless run.
        testsupport::writeFile(dir.path() / "bin" / "xdg-open", "#!/bin/sh\necho \"$1\" > " + marker.string() + "\n");
        fs::permissions(dir.path() / "bin" / "xdg-open", fs::perms::owner_all);
        // The demo chapter, with the page at exit asked for (it must still stay shut headless).
        fs::copy(fs::path(TOV_TEST_SOURCE_DIR) / "demo", data, fs::copy_options::recursive);
        std::string config = testsupport::readFile(data / "data" / "config.cfg");
        testsupport::writeFile(data / "data" / "config.cfg", config + "\nd_noLinkAtExit 0\n");
    }
    // Runs that open a GL context leave the driver's own allocations behind: leak detection is off
    // for them (as for the GL tests); the failed start-ups, which open none, keep it.
    std::vector<std::string> environment(const std::string& videoDriver, bool opensGl) const {
        const char* path = std::getenv("PATH");
        return {opensGl ? "ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=0" : "ASAN_OPTIONS=allocator_may_return_null=1",
                "SDL_VIDEODRIVER=" + videoDriver,
                "SDL_AUDIODRIVER=dummy",
                "XDG_RUNTIME_DIR=" + runtime.string(),
                "XDG_DATA_HOME=" + (dir.path() / "home").string(),
                "TOV_TEST_CLOCK_MS=17",
                "PATH=" + (dir.path() / "bin").string() + ":" + (path ? path : "/usr/bin:/bin")};
    }
    std::unique_ptr<testsupport::ChildProcess> start(const std::vector<std::string>& args,
                                                     const std::string& videoDriver = "offscreen",
                                                     bool opensGl = true) {
        // The game runs in its data folder.
        const fs::path kept = fs::current_path();
        fs::current_path(data);
        auto child = std::make_unique<testsupport::ChildProcess>(TOV_GAME_PROGRAM, args, environment(videoDriver, opensGl), true);
        fs::current_path(kept);
        return child;
    }
    std::string log() const { return testsupport::readFile(data / "megalog.log"); }
    // Waits (bounded) until the log holds the text.
    bool waitForLog(const std::string& text, std::chrono::milliseconds limit = 60s) const {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (log().find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }
};

TEST_F(GameProgram, FailedStartUpsExitWith154AndSayWhy) {
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::string driver;
    };
    const std::vector<Case> cases = {
        {"unknown option", {"--bogus"}, "offscreen"},
        {"no video", {}, "no_such_driver"},
    };
    for (const Case& c : cases) {
        auto game = start(c.args, c.driver, false);
        ASSERT_TRUE(game->started());
        const std::string errors = game->readErrors(60s);
        const testsupport::ChildExit exit = game->wait(60s);
        EXPECT_TRUE(exit.finished) << c.what;
        EXPECT_EQ(exit.exitCode, 666 & 0xFF) << c.what << "\n" << errors;  // 666 reaches a parent as 154
        const std::string text = log();
        EXPECT_NE(text.find("ERROR\tStill have errors in AllGameInit()"), std::string::npos) << c.what << text;
        EXPECT_NE(text.find("Inited application"), std::string::npos) << c.what;
        // The sanitizers' leak report would be on standard error.
        EXPECT_EQ(errors.find("LeakSanitizer"), std::string::npos) << c.what << errors;
    }
}

TEST_F(GameProgram, OneRunningCopyAndACloseSignalEndsTheGameWithZero) {
    auto first = start({"-f"});
    ASSERT_TRUE(waitForLog("Inited application")) << log();
    const std::string logBefore = log();

    // A second copy exits at once with 0, says nothing, and leaves the first one's log alone.
    auto second = start({});
    const std::string secondErrors = second->readErrors(30s);
    const testsupport::ChildExit secondExit = second->wait(30s);
    EXPECT_TRUE(secondExit.finished);
    EXPECT_EQ(secondExit.exitCode, 0);
    EXPECT_EQ(secondErrors, "");
    EXPECT_EQ(log().substr(0, logBefore.size()), logBefore);

    ASSERT_TRUE(first->signal(SIGTERM));
    const testsupport::ChildExit firstExit = first->wait(30s);
    EXPECT_TRUE(firstExit.finished);
    EXPECT_EQ(firstExit.exitCode, 0);
    EXPECT_FALSE(fs::exists(marker)) << "a page was opened in a headless run";
}

TEST_F(GameProgram, AfterTheFirstCopyIsKilledANewOneStarts) {
    auto first = start({});
    ASSERT_TRUE(waitForLog("Inited application"));
    ASSERT_TRUE(first->signal(SIGKILL));
    EXPECT_EQ(first->wait(30s).termSignal, SIGKILL);
    fs::remove(data / "megalog.log");
    auto next = start({});
    ASSERT_TRUE(waitForLog("Inited application")) << log();
    ASSERT_TRUE(next->signal(SIGINT));
    const testsupport::ChildExit exit = next->wait(30s);
    EXPECT_TRUE(exit.finished);
    EXPECT_EQ(exit.exitCode, 0);
}

}  // namespace
