// The game program on the demo chapter, run by GameRun: start-up, the input script's quit, a
// failing script, and no page opened at exit in a headless run.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/game_run.h"
#include "tests/support/temp_dir.h"

namespace {

testsupport::GameRunOptions demoRun(const std::string& input) {
    testsupport::GameRunOptions options;
    options.program = TOV_GAME_PROGRAM;
    options.input = input;
    // The run opens a GL context: the driver's own allocations would show as leaks (as for the GL
    // tests, leak detection is off for these runs alone).
    options.environment.push_back("ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=0");
    return options;
}

TEST(DemoRun, StartsOnTheDemoAndEndsWithZeroOnTheScriptsQuit) {
    testsupport::GameRunOptions options = demoRun("wait \"Inited application\" max 5\n+40 quit\n");
    // A browser opener that leaves a mark; the page stays shut in a headless run even when asked for.
    testsupport::TempDir bin(false);
    testsupport::writeFile(bin.path() / "xdg-open", "#!/bin/sh\ntouch \"" + (bin.path() / "opened").string() + "\"\n");
    std::filesystem::permissions(bin.path() / "xdg-open", std::filesystem::perms::owner_all);
    const char* path = std::getenv("PATH");
    options.environment.push_back("PATH=" + bin.path().string() + ":" + (path ? path : "/usr/bin:/bin"));
    options.overlays["data/config.cfg"] = "d_noLinkAtExit 0\n";
    const testsupport::GameRunResult run = testsupport::runGame(options);
    ASSERT_TRUE(run.finished) << run.err;
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> inited = run.logLines("Inited application; ");
    ASSERT_EQ(inited.size(), 1u);
    EXPECT_NE(inited[0].find(" ms; Application::init"), std::string::npos) << inited[0];
    for (const testsupport::LogEntry& entry : run.log) EXPECT_NE(entry.level, "ERROR") << entry.text;
    EXPECT_FALSE(std::filesystem::exists(bin.path() / "opened"));
}

TEST(DemoRun, ABadScriptEndsTheRunWithItsCodeAndSaysWhere) {
    const testsupport::GameRunResult run = testsupport::runGame(demoRun("+5 nonsense\n"));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_FALSE(run.logLines("TOV_TEST_INPUT: ").empty());
}

}  // namespace
