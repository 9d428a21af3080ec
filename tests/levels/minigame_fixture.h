#pragma once
// The game started once per test program on a copy of the demo chapter, with level descriptions
// and movies of the minigame tests' own beside the chapter's: variants of the demo's letters,
// puzzle and rotator movies made by the demo's movie builder. Levels are started through the
// level manager; sounds go to a recorder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/game_layers.h"
#include "app/game_timers.h"
#include "core/cvar_catalogue.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "levels/base_level.h"
#include "levels/level_manager.h"
#include "levels/level_sound.h"
#include "screens/main_panel.h"
#include "script/script_core.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"
#include "tools/demo/demo_layout.h"
#include "tools/demo/movie_builder.h"

namespace minigametest {

namespace fs = std::filesystem;

inline std::string description(const std::string& name, const std::string& type, const std::string& file,
                               const std::string& keys) {
    return "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root>\n<object name=\"" + name +
           "\">\n<string name=\"Type\" value=\"" + type + "\" />\n<string name=\"FileName\" value=\"" + file +
           "\" />\n" + keys + "</object>\n</root>\n";
}
inline std::string stringKey(const std::string& name, const std::string& value) {
    return "<string name=\"" + name + "\" value=\"" + value + "\" />\n";
}
inline std::string integerKey(const std::string& name, long long value) {
    return "<integer name=\"" + name + "\" value=\"" + std::to_string(value) + "\" />\n";
}
inline std::string wordKeys(const std::string& start, const std::string& final, bool straight = false) {
    return stringKey("FinalWord", final) + stringKey("StartWord", start) + stringKey("EndMsg", "ids_letters_done") +
           "<boolean name=\"FlyStraight\" value=\"" + (straight ? "true" : "false") + "\" />\n";
}

// A demo movie with clips renamed, dropped (an empty new name) or kept.
inline demo::Movie variant(const char* file, const std::vector<std::pair<std::string, std::string>>& renames) {
    demo::Movie movie = *demo::findMovie(file);
    std::function<void(std::vector<demo::Clip>&)> apply = [&](std::vector<demo::Clip>& clips) {
        for (auto it = clips.begin(); it != clips.end();) {
            auto found = std::find_if(renames.begin(), renames.end(), [&](const auto& r) { return r.first == it->name; });
            if (found != renames.end() && found->second.empty()) {
                it = clips.erase(it);
                continue;
            }
            if (found != renames.end()) it->name = found->second;
            apply(it->children);
            ++it;
        }
    };
    apply(movie.clips);
    return movie;
}

class MinigameGame : public ::testing::Environment {
public:
    static MinigameGame* instance() { return s_instance; }

    void SetUp() override {
        s_instance = this;
        fs::copy(fs::path(TOV_TEST_SOURCE_DIR) / "demo", m_dir.path(), fs::copy_options::recursive);
        const fs::path levels = m_dir.path() / "data" / "levels";
        const auto movie = [&](const std::string& file, const demo::Movie& m) {
            const swf::Bytes bytes = demo::buildMovie(m);
            testsupport::writeFile(levels / file, std::string(bytes.begin(), bytes.end()));
        };
        movie("pool.swf", variant("letters.swf", {{"N_letter", "P_letter"}, {"M_letter", "L_letter"}}));
        movie("pzl_few.swf", variant("puzzle.swf", {{"PuzzleArea2", ""}, {"PuzzleArea3", ""}}));
        movie("pzl_gap.swf", variant("puzzle.swf", {{"pzl_Piece2", ""}}));
        movie("rot_gap.swf", variant("rotator.swf", {{"piece2", ""}}));
        const auto level = [&](const std::string& name, const std::string& type, const std::string& file,
                               const std::string& keys) {
            testsupport::writeFile(levels / (name + ".xml"), description(name, type, file, keys));
        };
        level("pool", "letters", "pool.swf", wordKeys("POOL", "LOOP"));
        level("pool_straight", "letters", "pool.swf", wordKeys("POOL", "LOOP", true));
        level("pool_same", "letters", "pool.swf", wordKeys("LOOP", "LOOP"));
        level("pool_dup", "letters", "pool.swf", wordKeys("POOL", "OPLO"));
        level("pool_missing", "letters", "letters.swf", wordKeys("POOL", "LOOP"));
        level("pool_utf8", "letters", "pool.swf", wordKeys("P\xC3\x96L", "L\xC3\x96P"));
        level("pool_nonperm", "letters", "pool.swf", wordKeys("POOL", "POOP"));
        level("pool_short", "letters", "pool.swf", wordKeys("POO", "LOOP"));
        level("pool_empty", "letters", "pool.swf", wordKeys("", ""));
        level("puzzle_one", "puzzle", "puzzle.swf", integerKey("PiecesNumber", 1));
        level("puzzle_few", "puzzle", "pzl_few.swf", integerKey("PiecesNumber", 4));
        level("puzzle_gap", "puzzle", "pzl_gap.swf", integerKey("PiecesNumber", 4));
        level("puzzle_five", "puzzle", "puzzle.swf", integerKey("PiecesNumber", 5));
        level("puzzle_huge", "puzzle", "puzzle.swf", integerKey("PiecesNumber", 2000000000));
        level("puzzle_negative", "puzzle", "puzzle.swf", integerKey("PiecesNumber", -3));
        level("puzzle_none", "puzzle", "puzzle.swf", "");
        level("rotator_gap", "rotator", "rot_gap.swf", integerKey("PiecesNumber", 4));
        level("rotator_five", "rotator", "rotator.swf", integerKey("PiecesNumber", 5));
        level("rotator_huge", "rotator", "rotator.swf", integerKey("PiecesNumber", 2000000000));
        level("rotator_zero", "rotator", "rotator.swf", integerKey("PiecesNumber", 0));
        m_game = std::make_unique<testsupport::GameFixture>(m_dir.path(), 100);
        ASSERT_TRUE(m_game->start());
        m_game->skipLogos();
        // The first start's name entry would hold the game.
        if (BaseRender* entry = app::screen(app::Screen::EnterName)) entry->hide();
        m_game->app().setActivePanel(nullptr);
    }
    void TearDown() override {
        m_game->shutdown();
        m_game.reset();
        s_instance = nullptr;
    }

    testsupport::GameFixture& game() { return *m_game; }

private:
    static inline MinigameGame* s_instance = nullptr;
    testsupport::TempDir m_dir{false};
    std::unique_ptr<testsupport::GameFixture> m_game;
};

inline ::testing::Environment* const kMinigameGame = ::testing::AddGlobalTestEnvironment(new MinigameGame);

class MinigameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(MinigameGame::instance(), nullptr);
        levels::setSoundPlayer({[this](const std::string& name, bool) {
                                    sounds.push_back(name);
                                    return static_cast<int>(sounds.size());
                                },
                                [](int) {}});
        game().app().setInputLocked(false);
        game().app().setActivePanel(nullptr);
        m_logMark = game().log().size();
    }
    void TearDown() override {
        d_NeedRotate->value.b = true;
        d_DebugMode->value.b = false;
        LevelManager::instance()->clear();
        levels::setSoundPlayer({});
    }

    static testsupport::GameFixture& game() { return MinigameGame::instance()->game(); }

    template <class Level>
    Level* start(const std::string& name) {
        // The level's dialogs would hold the presses and the frames: these tests are about the game.
        LevelManager::instance()->setFlag(LevelManager::kSkipStartDialog | LevelManager::kSkipFinishDialog, true);
        EXPECT_TRUE(LevelManager::instance()->startLevel(name)) << name;
        auto* level = dynamic_cast<Level*>(LevelManager::instance()->currentLevel());
        EXPECT_NE(level, nullptr) << name;
        return level;
    }
    // A press as the movie gives it: through the clip's own native callback.
    static bool press(flash::character* ch) {
        if (!ch || !ch->get_event_callback()) return false;
        ch->get_event_callback()(ch, 1);
        return true;
    }
    static flash::character* clip(BaseLevel* level, const std::string& name) { return level->findCharacter(name, true); }
    static float tx(flash::character* ch) { return ch->get_matrix().m_[0][2]; }
    static float ty(flash::character* ch) { return ch->get_matrix().m_[1][2]; }

    std::string logSince() const { return game().log().substr(m_logMark); }
    size_t soundCount(const std::string& name) const {
        return static_cast<size_t>(std::count(sounds.begin(), sounds.end(), name));
    }
    // Each level fails to start, leaving no current level, and logs its line.
    struct FailedStart {
        const char* level;
        const char* line;
    };
    void expectStartsFail(std::initializer_list<FailedStart> cases) {
        for (const FailedStart& c : cases) {
            SCOPED_TRACE(c.level);
            const size_t mark = game().log().size();
            EXPECT_FALSE(LevelManager::instance()->startLevel(c.level));
            EXPECT_EQ(LevelManager::instance()->currentLevel(), nullptr);
            EXPECT_NE(game().log().substr(mark).find(c.line), std::string::npos) << game().log().substr(mark);
        }
    }
    static unsigned panelFlags() { return MainPanel::instance() ? MainPanel::instance()->getFlags() : 0u; }

    std::vector<std::string> sounds;

private:
    size_t m_logMark = 0;
};

}  // namespace minigametest
