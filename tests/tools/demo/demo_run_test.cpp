// GameRun driving swfrun on a private copy of the demo chapter: overlays, the private folders,
// the fixed clock, the input script, the files written, the log, and the wall-clock limit.
#include "tests/support/game_run.h"

#include <gtest/gtest.h>

namespace {

using testsupport::GameRunOptions;
using testsupport::GameRunResult;

TEST(DemoRun, SwfrunPlaysTheMainMenuWithAScriptAndWritesItsPicture) {
    GameRunOptions o = testsupport::swfrunOptions(SWFRUN, "data/movies/mainmenu.swf");
    o.input = "click @mm_play_btn\n+3 shot menu.png\nquit\n";
    o.overlays["data/config.cfg"] = "d_StartLevel\t\"room\"\n";
    o.overlays["notes/extra.txt"] = "an overlay";
    const GameRunResult r = testsupport::runGame(o);
    ASSERT_TRUE(r.started);
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // Only the picture is new: the overlays were there before the run.
    ASSERT_EQ(r.written.size(), 1u) << r.err;
    ASSERT_TRUE(r.written.count("run/menu.png"));
    EXPECT_EQ(r.written.at("run/menu.png").substr(1, 3), "PNG");
}

TEST(DemoRun, AFailingScriptEndsTheRunWithItsLineAndTheLimitKillsARunaway) {
    GameRunOptions o = testsupport::swfrunOptions(SWFRUN, "data/movies/mainmenu.swf");
    o.input = "move 10 10\nclick @nothing_here\n";
    GameRunResult r = testsupport::runGame(o);
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_NE(r.err.find("input.txt:2: unknown name @nothing_here"), std::string::npos) << r.err;
    ASSERT_FALSE(r.log.empty());
    EXPECT_FALSE(r.logLines("unknown name @nothing_here").empty());

    o.input.clear();
    o.args.push_back("--frames");
    o.args.push_back("1000000000");
    o.limit = std::chrono::milliseconds(300);
    r = testsupport::runGame(o);
    EXPECT_FALSE(r.finished);
}

TEST(DemoRun, LogLinesAreParsedIntoLevelAndText) {
    const testsupport::LogEntry e = testsupport::parseLogLine("12\t10:20:30\tERROR\tnot find level with name x");
    EXPECT_EQ(e.level, "ERROR");
    EXPECT_EQ(e.text, "not find level with name x");
    const testsupport::LogEntry plain = testsupport::parseLogLine("swfrun: a line");
    EXPECT_EQ(plain.level, "");
    EXPECT_EQ(plain.text, "swfrun: a line");
}

}  // namespace
