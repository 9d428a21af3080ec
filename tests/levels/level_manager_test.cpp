// The level manager on a copy of the demo chapter with a level graph of its own: the parent
// chains, the routes to a level, progress in the profile, preloading, the failures that end in
// the main menu, and its script functions and class.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/game_layers.h"
#include "app/profiles.h"
#include "core/cvar_catalogue.h"
#include "flash/movie/player.h"
#include "levels/level_manager.h"
#include "levels/movie_level.h"
#include "script/script_core.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string document(const std::string& top, const std::string& inner) {
    return "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root>\n<object name=\"" + top + "\">\n" + inner +
           "</object>\n</root>\n";
}

std::string str(const std::string& name, const std::string& value) {
    return "<string name=\"" + name + "\" value=\"" + value + "\" />\n";
}

std::string movieLevel(const std::string& name, const std::string& file) {
    return document(name, str("Type", "movie") + (file.empty() ? "" : str("FileName", file)));
}

// The graph of these tests: a chain a <- b <- c of scenes inside one another, a loop x <-> y,
// a kind written in the wrong case, a load list with a gap, a level behind the loading screen.
const char* const kGraph =
    "<string name=\"StartLevel\" value=\"a\" />\n"
    "<object name=\"a\"><string name=\"next_level\" value=\"d\" /></object>\n"
    "<object name=\"b\"><string name=\"parent\" value=\"a\" /></object>\n"
    "<object name=\"c\"><string name=\"parent\" value=\"b\" /></object>\n"
    "<object name=\"d\"><string name=\"next_level\" value=\"e\" /></object>\n"
    "<object name=\"e\"></object>\n"
    "<object name=\"x\"><string name=\"parent\" value=\"y\" /></object>\n"
    "<object name=\"y\"><string name=\"parent\" value=\"x\" /></object>\n"
    "<object name=\"h\"></object>\n"
    "<object name=\"l\"><object name=\"LoadList\">"
    "<string name=\"1\" value=\"letters.swf\" /><string name=\"2\" value=\"puzzle.swf\" />"
    "<string name=\"4\" value=\"rotator.swf\" /></object></object>\n"
    "<object name=\"s\"><boolean name=\"loadscreen\" value=\"true\" /></object>\n"
    "<object name=\"bad\"><string name=\"next_level\" value=\"nosuch\" /></object>\n";

class Levels : public ::testing::Test {
protected:
    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;

    void SetUp() override {
        fs::copy(fs::path(TOV_TEST_SOURCE_DIR) / "demo", dir.path(), fs::copy_options::recursive);
        const fs::path levels = dir.path() / "data" / "levels";
        testsupport::writeFile(levels / "levels.xml", document("levels", kGraph));
        for (const char* name : {"a", "d", "e", "x", "y", "l", "s", "bad"})
            testsupport::writeFile(levels / (std::string(name) + ".xml"), movieLevel(name, "intro.swf"));
        testsupport::writeFile(levels / "b.xml", movieLevel("b", ""));
        testsupport::writeFile(levels / "c.xml", movieLevel("c", ""));
        testsupport::writeFile(levels / "h.xml", document("h", str("Type", "Hidden") + str("FileName", "intro.swf")));
        game = std::make_unique<testsupport::GameFixture>(dir.path(), 100);
        ASSERT_TRUE(game->start());
        Profiles* profiles = Profiles::instance();
        ASSERT_NE(profiles, nullptr);
        if (profiles->name.empty()) {
            ASSERT_TRUE(profiles->createProfile("Tester"));
        }
        game->skipLogos();
        // The first start's name entry holds the game: the profile is made without it.
        if (BaseRender* entry = app::screen(app::Screen::EnterName)) entry->hide();
        game->app().setActivePanel(nullptr);
        ASSERT_NE(manager(), nullptr);
    }
    void TearDown() override { game.reset(); }

    LevelManager* manager() { return LevelManager::instance(); }
    std::string current() { return manager()->getCurrentLevelName(); }
    std::vector<std::string> listed() {
        std::vector<std::string> names;
        for (const BaseLevel* level : manager()->levels()) names.push_back(level->getName());
        return names;
    }
    bool inLibrary(const char* movie) { return game->app().player()->get_movie_library().find(movie) != nullptr; }
    bool fadingOut() { return game->app().anyFlag(Application::kFadeOut); }
    // Frames until no fade runs any more (at most 40).
    void settle() {
        for (int i = 0; i < 40 && game->app().anyFlag(Application::kFadeIn | Application::kFadeOut); ++i)
            game->runFrames(1);
    }
    int lua(const std::string& text) { return runScriptBuffer(text.c_str(), 0, "test"); }
    std::string log() { return game->log(); }
};

TEST_F(Levels, TheGraphDecidesWhatLoadsAndWhatCannotStart) {
    struct Case {
        const char* what;
        const char* level;
        bool starts;
        std::vector<std::string> listedAfter;
        const char* logged;  // a line the log has afterwards
    };
    const Case cases[] = {
        {"a parent chain loads from the top down", "c", true, {"a", "b", "c"}, "LevelManager::loadLevel c"},
        {"a loop of parents names its levels and loads nothing", "x", false, {},
         "the parents of x loop in levels.xml: x y x"},
        {"the kind's name is compared exactly", "h", false, {}, "ERROR\tnot defined type of level for h in levels.xml"},
        {"a level without a description", "nosuch", false, {}, "ERROR\tnot find level with name nosuch"},
        {"no name at all", "", false, {}, "ERROR\tnot defined start level in levels.xml"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        manager()->clear();
        Profiles::instance()->CurrentLevel = "before";
        EXPECT_EQ(manager()->startLevel(c.level), c.starts);
        EXPECT_EQ(listed(), c.listedAfter);
        EXPECT_NE(log().find(c.logged), std::string::npos) << log();
        // A level that cannot start leaves the progress alone.
        EXPECT_EQ(Profiles::instance()->CurrentLevel, c.starts ? c.level : "before");
    }
    // The walk that loads a chain stops at the loop on its own, too.
    manager()->clear();
    EXPECT_EQ(manager()->findLevel("x", true), nullptr);
    EXPECT_TRUE(listed().empty());
    EXPECT_NE(log().find("LevelManager::findLevel: the parents of x loop in levels.xml: x y x"), std::string::npos);
    const std::string text = log();
    EXPECT_LT(text.find("LevelManager::loadLevel a"), text.find("LevelManager::loadLevel b"));
    EXPECT_LT(text.find("LevelManager::loadLevel b"), text.find("LevelManager::loadLevel c"));
}

TEST_F(Levels, TheDebugStartLevelSkipsTheMenuAndIsEmptied) {
    d_StartLevel->setFromString("d");
    ASSERT_TRUE(manager()->init());
    EXPECT_EQ(current(), "d");
    EXPECT_EQ(d_StartLevel->text, "");
    // An empty setting leaves the game in the main menu.
    manager()->clear();
    ASSERT_TRUE(manager()->init());
    EXPECT_EQ(manager()->currentLevel(), nullptr);
}

TEST_F(Levels, ALevelThatCannotStartKeepsTheRunningOne) {
    ASSERT_TRUE(manager()->startLevel("a"));
    settle();
    for (const char* bad : {"h", "x", "nosuch"}) {
        EXPECT_FALSE(manager()->startLevel(bad)) << bad;
        EXPECT_EQ(current(), "a") << bad;
        EXPECT_EQ(Profiles::instance()->CurrentLevel, "a") << bad;
    }
}

TEST_F(Levels, TheRoutesToALevel) {
    ASSERT_TRUE(manager()->startLevel("a"));
    settle();
    ASSERT_EQ(lua("start_level('b')"), kScriptOk);
    EXPECT_EQ(current(), "b") << "a child of the running scene starts at once";
    EXPECT_FALSE(fadingOut());

    ASSERT_EQ(lua("start_level('d')"), kScriptOk);
    EXPECT_EQ(current(), "b") << "another level waits for the fade-out";
    EXPECT_TRUE(fadingOut());
    EXPECT_EQ(manager()->pendingLevel(), "d");
    settle();
    EXPECT_EQ(current(), "d");
    EXPECT_EQ(manager()->pendingLevel(), "");

    manager()->goToLevel("s");
    EXPECT_TRUE(fadingOut()) << "the loading screen's route fades out first";
    ASSERT_NE(app::loadingScreen(), nullptr);
    EXPECT_EQ(app::loadingScreen()->levelName(), "s");
    for (int i = 0; i < 80 && current() != "s"; ++i) game->runFrames(1);
    EXPECT_EQ(current(), "s");
    EXPECT_FALSE(app::screen(app::Screen::Loading)->isVisible());
}

TEST_F(Levels, TheLoadingScreenStaysForItsMinimumTimeOfTheFixedClock) {
    // s_LoadingLevelTime is 2 s and each frame 100 ms: the movie reads at once, the screen stays.
    manager()->goToLevel("s");
    int shown = 0, frames = 0;
    for (; frames < 200 && current() != "s"; ++frames) {
        game->runFrames(1);
        if (app::screen(app::Screen::Loading)->isVisible()) ++shown;
    }
    ASSERT_EQ(current(), "s");
    EXPECT_GE(shown * 100, 2000) << "the loading screen went before its minimum time";
    // The fades of the hand-over run on either side of the minimum time.
    EXPECT_LE(shown * 100, 2000 + 1000) << "it stayed well past its minimum time";
}

TEST_F(Levels, FailedStartsEndInTheMainMenuWithTheProgressKept) {
    ASSERT_TRUE(manager()->startLevel("bad"));
    settle();
    manager()->currentLevel()->forceWin();
    // The closing dialog's turn, then the next level "nosuch", which cannot start.
    for (int i = 0; i < 40 && !manager()->levels().empty(); ++i) game->runFrames(1);
    EXPECT_TRUE(manager()->levels().empty());
    EXPECT_EQ(manager()->currentLevel(), nullptr);
    EXPECT_EQ(Profiles::instance()->CurrentLevel, "bad");
    EXPECT_FALSE(app::screen(app::Screen::Loading)->isVisible());
    if (BaseRender* menu = app::screen(app::Screen::MainMenu)) {
        EXPECT_TRUE(menu->isVisible());
    }

    // An old profile's level the graph does not have: the start level is loaded instead.
    Profiles::instance()->CurrentLevel = "gone";
    game->app().startLoading(Profiles::instance()->CurrentLevel);
    EXPECT_EQ(app::loadingScreen()->levelName(), "a");
}

TEST_F(Levels, FinishingTheLastLevelRecreatesTheProfileEmpty) {
    Profiles::instance()->setKey("found", "yes");
    ASSERT_TRUE(manager()->startLevel("e"));
    settle();
    manager()->currentLevel()->forceWin();
    for (int i = 0; i < 40 && !manager()->levels().empty(); ++i) game->runFrames(1);
    EXPECT_TRUE(manager()->levels().empty());
    EXPECT_NE(log().find("ERROR\tnot defined start level in levels.xml"), std::string::npos);
    EXPECT_EQ(Profiles::instance()->name, "Tester");
    EXPECT_EQ(Profiles::instance()->CurrentLevel, "");
    EXPECT_EQ(Profiles::instance()->getKey("found").value_or(""), "");
}

TEST_F(Levels, ALoadListStopsAtItsFirstGap) {
    ASSERT_FALSE(inLibrary("letters.swf"));
    ASSERT_TRUE(manager()->startLevel("l"));
    manager()->joinWorkers();
    EXPECT_TRUE(inLibrary("letters.swf"));
    EXPECT_TRUE(inLibrary("puzzle.swf"));
    EXPECT_FALSE(inLibrary("rotator.swf"));
    EXPECT_EQ(manager()->busy(), 0);
    EXPECT_NE(log().find("Async loaded swf: puzzle.swf; "), std::string::npos);

    manager()->loadSWF("nosuch.swf");
    manager()->joinWorkers();
    EXPECT_NE(log().find("ERROR\tNot found swf filenosuch.swf"), std::string::npos) << log();
}

TEST_F(Levels, TheDialogFlagsAndTheEndOfALevel) {
    manager()->setFlag(LevelManager::kSkipStartDialog, true);
    ASSERT_TRUE(manager()->startLevel("a"));
    EXPECT_FALSE(manager()->anyFlag(LevelManager::kSkipStartDialog)) << "the level's entry takes it";
    settle();

    manager()->currentLevel()->forceWin();
    manager()->update();
    EXPECT_TRUE(manager()->anyFlag(LevelManager::kFinishDialogStarted));
    EXPECT_FALSE(fadingOut()) << "the closing dialog comes first";
    manager()->update();
    EXPECT_TRUE(fadingOut());
    EXPECT_EQ(manager()->pendingLevel(), "d");
    settle();
    EXPECT_EQ(current(), "d");

    // Without the closing dialog the next level follows on the first check.
    manager()->setFlag(LevelManager::kSkipFinishDialog, true);
    manager()->currentLevel()->forceWin();
    manager()->update();
    EXPECT_TRUE(fadingOut());
    EXPECT_FALSE(manager()->anyFlag(LevelManager::kSkipFinishDialog));
    EXPECT_EQ(manager()->pendingLevel(), "e");
}

// A level whose minilevel slots the test fills.
class SlotLevel : public MovieLevel {
public:
    using MovieLevel::MovieLevel;
    void setSlot(int slot, BaseLevel* level) { m_minilevels[static_cast<size_t>(slot)] = level; }
};

TEST_F(Levels, TheDeepCurrentLevelIsTheFirstOpenMinilevelBeforeAnEmptySlot) {
    levels::LevelMaker earlier =
        levels::setLevelMaker("movie", [](BaseLevel* parent) -> BaseLevel* { return new SlotLevel(parent); });
    ASSERT_TRUE(manager()->startLevel("a"));
    levels::setLevelMaker("movie", earlier);
    auto* top = static_cast<SlotLevel*>(manager()->currentLevel());
    auto* closed = new SlotLevel(top);
    auto* open = new SlotLevel(top);
    open->setFlag(BaseLevel::kFlagOpen, true);
    struct Case {
        BaseLevel* slots[3];
        BaseLevel* deep;
    };
    const Case cases[] = {
        {{closed, nullptr, open}, top},
        {{closed, open, nullptr}, open},
        {{open, closed, nullptr}, open},
        {{nullptr, open, nullptr}, top},
    };
    for (const Case& c : cases) {
        for (int slot = 0; slot < 3; ++slot) top->setSlot(slot, c.slots[slot]);
        EXPECT_EQ(manager()->getCurrentLevel(true), c.deep);
        EXPECT_EQ(manager()->getCurrentLevel(false), top);
    }
    for (int slot = 0; slot < 3; ++slot) top->setSlot(slot, nullptr);
    delete closed;
    delete open;
}

TEST_F(Levels, ScriptFunctionsAndTheScriptClass) {
    struct Case {
        const char* script;
        std::function<bool()> holds;
    };
    const std::vector<Case> cases = {
        {"assert(level_manager() ~= nil)", [] { return true; }},
        {"start_level_no_fade('a')", [this] { return current() == "a"; }},
        {"set_need_clear_levels()", [this] { return manager()->anyFlag(LevelManager::kClearOnEnd); }},
        {"set_del_lev_when_leave()",
         [this] { return manager()->currentLevel()->anyFlag(LevelManager::kLevelDeleteWhenLeft); }},
        {"level_manager():setShowTask(false)", [this] { return manager()->anyFlag(LevelManager::kTaskHidden); }},
        {"level_manager():setShowTask(true)", [this] { return !manager()->anyFlag(LevelManager::kTaskHidden); }},
        {"log_levels()", [this] { return log().find("\tMESSAGE\ta\n") != std::string::npos; }},
        {"level_manager():loadSWF('outro.swf')",
         [this] {
             manager()->joinWorkers();
             return inLibrary("outro.swf");
         }},
        {"clear_levels()", [this] { return manager()->levels().empty() && !manager()->currentLevel(); }},
        {"start_level('a')", [this] { return fadingOut() && manager()->pendingLevel() == "a"; }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lua(c.script), kScriptOk) << c.script;
        EXPECT_TRUE(c.holds()) << c.script;
    }
}

// The preload workers, each case on its own so that a thread-sanitizer build names the one
// that races.
TEST_F(Levels, RepeatedPreloadsAreEachReadByTheirOwnWorkerAndJoined) {
    for (int i = 0; i < 8; ++i) manager()->loadSWF(i % 2 ? "letters.swf" : "puzzle.swf");
    manager()->joinWorkers();
    EXPECT_EQ(manager()->busy(), 0);
    EXPECT_TRUE(inLibrary("letters.swf"));
    EXPECT_TRUE(inLibrary("puzzle.swf"));
}

TEST_F(Levels, ALevelDeletedDuringItsPreloadLeavesTheWorkerToFinish) {
    for (int i = 0; i < 4; ++i) manager()->loadSWF(i % 2 ? "letters.swf" : "puzzle.swf");
    ASSERT_TRUE(manager()->startLevel("l"));
    manager()->deleteLevelByName("l");
    // The return to the main menu waits for them.
    manager()->waitLoader();
    manager()->joinWorkers();
    EXPECT_EQ(manager()->busy(), 0);
    EXPECT_EQ(manager()->currentLevel(), nullptr);
}

TEST_F(Levels, AQuitDuringAPreloadJoinsTheWorkersBeforeTheLibraryGoes) {
    for (int i = 0; i < 4; ++i) manager()->loadSWF(i % 2 ? "rotator.swf" : "room.swf");
    game->shutdown();
    EXPECT_EQ(LevelManager::instance(), nullptr);
    EXPECT_EQ(log().find("still runs"), std::string::npos) << log();
}

}  // namespace
