// The movie level on the demo chapter's cut scenes: it completes at the movie's stop, on Escape
// and on "skip_btn"; a held button plays it at 240 frames a second; its music; a movie that wraps
// without stopping.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/application.h"
#include "app/game_layers.h"
#include "audio/media_center.h"
#include "audio/music_channel.h"
#include "core/cvar_catalogue.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "input/input_event.h"
#include "levels/level_manager.h"
#include "levels/movie_level.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

namespace fs = std::filesystem;

std::string document(const std::string& top, const std::string& inner) {
    return "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root>\n<object name=\"" + top + "\">\n" + inner +
           "</object>\n</root>\n";
}

std::string movieLevel(const std::string& name, const std::string& file, const std::string& music) {
    return document(name, "<string name=\"Type\" value=\"movie\" />\n<string name=\"FileName\" value=\"" + file +
                              "\" />\n" + (music.empty() ? "" : "<string name=\"music\" value=\"" + music + "\" />\n"));
}

class Movies : public ::testing::Test {
protected:
    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;

    void SetUp() override {
        fs::copy(fs::path(TOV_TEST_SOURCE_DIR) / "demo", dir.path(), fs::copy_options::recursive);
        const fs::path levels = dir.path() / "data" / "levels";
        testsupport::writeFile(levels / "silent.xml", movieLevel("silent", "outro.swf", ""));
        testsupport::writeFile(levels / "listed.xml", movieLevel("listed", "outro.swf", "menu_theme.ogg"));
        testsupport::writeFile(levels / "wraps.xml", movieLevel("wraps", "wraps.swf", ""));
        // Three frames and no stop action: it plays round for ever.
        swf::MovieWriter writer(8);
        writer.frame_rate(30);
        for (int i = 0; i < 3; ++i) writer.show_frame();
        writer.end();
        const swf::Bytes bytes = writer.finish_fws();
        testsupport::writeFile(levels / "wraps.swf", std::string(bytes.begin(), bytes.end()));
        game = std::make_unique<testsupport::GameFixture>(dir.path(), 100);
        ASSERT_TRUE(game->start());
        game->skipLogos();
        // The first start's name entry would hold the game.
        if (BaseRender* entry = app::screen(app::Screen::EnterName)) entry->hide();
        game->app().setActivePanel(nullptr);
        // The levels' opening dialogs would hold the movies these tests play.
        d_DisableDialogs->setFromString("true");
    }
    void TearDown() override { game.reset(); }

    MovieLevel* start(const char* name) {
        EXPECT_TRUE(LevelManager::instance()->startLevel(name)) << name;
        return dynamic_cast<MovieLevel*>(LevelManager::instance()->currentLevel());
    }
    float rate(MovieLevel* level) { return level->getRoot()->get_frame_rate(); }
    static KeyEvent key(int type, int scanCode) {
        KeyEvent event;
        event.type = type;
        event.scanCode = scanCode;
        return event;
    }
    static MouseEvent mouse(int type) {
        MouseEvent event;
        event.type = type;
        event.button = 0;
        return event;
    }
};

TEST_F(Movies, TheMovieCompletesAtItsStopOrWhenSkipped) {
    struct Case {
        const char* what;
        int skip;  // 0 plays to the stop, 1 Escape, 2 "skip_btn"
    };
    const Case cases[] = {{"the movie's own stop", 0}, {"Escape", 1}, {"the skip button", 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MovieLevel* level = start("intro");
        ASSERT_NE(level, nullptr);
        EXPECT_EQ(level->getLevelKind(), BaseLevel::kKindMovie);
        game->runFrames(3);
        EXPECT_FALSE(level->isComplete());
        if (c.skip == 1) {
            KeyEvent other = key(KEY_CLICKED, 57);
            EXPECT_FALSE(level->onKey(&other));
            KeyEvent pressed = key(KEY_PRESSED, 1);
            EXPECT_FALSE(level->onKey(&pressed));
            EXPECT_FALSE(level->isComplete());
            KeyEvent escape = key(KEY_CLICKED, 1);
            EXPECT_TRUE(level->onKey(&escape));
            EXPECT_TRUE(level->isComplete()) << "at once, in the middle of the movie";
        } else if (c.skip == 2) {
            flash::character* button =
                level->getRoot()->get_root_sprite()->get_character_by_name(flash::bx_string("skip_btn"), true);
            ASSERT_NE(button, nullptr);
            ASSERT_EQ(button->get_event_callback(), &MovieLevel::buttonCallback);
            button->get_event_callback()(button, 4);  // a roll-over is no press
            EXPECT_FALSE(level->isComplete());
            button->get_event_callback()(button, 1);
            EXPECT_TRUE(level->isComplete());
        } else {
            for (int i = 0; i < 200 && !level->isComplete(); ++i) game->runFrames(1);
            EXPECT_TRUE(level->isComplete());
            const int frames = level->getRoot()->get_frame_count();
            EXPECT_EQ(level->getRoot()->get_current_frame(), frames - 1);
        }
        LevelManager::instance()->clear();
    }
}

TEST_F(Movies, AHeldButtonPlaysAt240AndEscapeSkipAndTheEndRestoreTheRate) {
    MovieLevel* level = start("intro");
    ASSERT_NE(level, nullptr);
    const float saved = level->savedFrameRate();
    ASSERT_GT(saved, 0.0f);
    ASSERT_LT(saved, MovieLevel::kFastFrameRate);
    struct Step {
        int mouseType;  // 0: Escape instead
        float rate;
    };
    const Step steps[] = {{MOUSE_PRESSED, 240.0f}, {MOUSE_RELEASED, saved}, {MOUSE_PRESSED, 240.0f}, {0, saved}};
    for (const Step& s : steps) {
        if (s.mouseType) {
            MouseEvent event = mouse(s.mouseType);
            level->onInputEvent(&event);
        } else {
            KeyEvent escape = key(KEY_CLICKED, 1);
            level->onKey(&escape);
        }
        EXPECT_EQ(rate(level), s.rate) << s.mouseType;
    }
    MouseEvent press = mouse(MOUSE_PRESSED);
    level->onInputEvent(&press);
    level->onEndLevel();
    EXPECT_EQ(rate(level), saved) << "the end of the level";
}

TEST_F(Movies, TheDescriptionsMusicStartsAndNoneKeepsTheCurrentTrack) {
    MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance();
    ASSERT_NE(media, nullptr);
    const std::vector<std::string>& playlist = media->musicChannel()->playlist();
    ASSERT_EQ(playlist.size(), 1u);
    struct Case {
        const char* level;
        const char* track;  // the track playing afterwards
        size_t listed;
    };
    // intro's "intro_theme.ogg" is not in media.xml's playlist: it joins it.
    const Case cases[] = {{"intro", "intro_theme.ogg", 2}, {"silent", "intro_theme.ogg", 2},
                          {"listed", "menu_theme.ogg", 2}};
    for (const Case& c : cases) {
        start(c.level);
        EXPECT_EQ(playlist.size(), c.listed) << c.level;
        ASSERT_LT(static_cast<size_t>(media->getMusicIndex()), playlist.size()) << c.level;
        // The media list's tracks are kept by path.
        const std::string& playing = playlist[static_cast<size_t>(media->getMusicIndex())];
        EXPECT_EQ(playing.substr(playing.find_last_of("\\/") + 1), c.track) << c.level;
    }
}

TEST_F(Movies, AMovieThatWrapsWithoutAStopWarnsOnceAndStillSkips) {
    MovieLevel* level = start("wraps");
    ASSERT_NE(level, nullptr);
    game->runFrames(30);
    EXPECT_FALSE(level->isComplete());
    const std::string log = game->log();
    const std::string warning = "WARNING\tMovieLevel::update: the movie of wraps went back to its start";
    const size_t first = log.find(warning);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.find(warning, first + 1), std::string::npos) << "said once";
    KeyEvent escape = key(KEY_CLICKED, 1);
    EXPECT_TRUE(level->onKey(&escape));
    EXPECT_TRUE(level->isComplete());
}

}  // namespace
