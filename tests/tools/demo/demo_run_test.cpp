// GameRun driving swfrun on a private copy of the demo chapter: overlays, the private folders,
// the fixed clock, the input script, the files written, the log, and the wall-clock limit.
#include "tests/support/game_run.h"

#include <gtest/gtest.h>

#include "platform/image/stb_decoder.h"
#include "tests/support/temp_dir.h"
#include "tools/demo/demo_layout.h"

namespace {

using testsupport::GameRunOptions;
using testsupport::GameRunResult;

// The colour of the picture's pixel at the main menu's free point.
uint32_t colourAtFreePoint(const std::string& png) {
    platform::image::Image picture;
    EXPECT_EQ(platform::image::decodeStb(reinterpret_cast<const uint8_t*>(png.data()), png.size(), picture),
              platform::image::Result::Ok);
    if (picture.surfaces.empty()) return 0;
    const auto [x, y] = demo::findMovie("mainmenu.swf")->points.at(0).second;
    const uint8_t* px = &picture.surface(0, 0).bytes[(static_cast<size_t>(y) * picture.info.width + x) * 4];
    return static_cast<uint32_t>(px[2]) << 16 | static_cast<uint32_t>(px[1]) << 8 | px[0];  // B, G, R, A
}

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
    // The main menu's full-stage background shows its known colour at its free point.
    EXPECT_EQ(colourAtFreePoint(r.written.at("run/menu.png")), demo::findMovie("mainmenu.swf")->background & 0xFFFFFF);

    // An overlay replaces a file of the copy: here the menu by the loading screen.
    o.overlays["data/movies/mainmenu.swf"] = testsupport::readFile(testsupport::demoFolder() / "data/movies/loading.swf");
    // A file that was there and is changed by the run counts as written.
    o.overlays["menu.png"] = "an older picture";
    o.input = "+2 shot menu.png\nquit\n";
    const GameRunResult over = testsupport::runGame(o);
    ASSERT_TRUE(over.written.count("run/menu.png")) << over.err;
    EXPECT_EQ(colourAtFreePoint(over.written.at("run/menu.png")), demo::findMovie("loading.swf")->background & 0xFFFFFF);
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
