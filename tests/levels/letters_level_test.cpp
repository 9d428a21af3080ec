// The letters level: "POOL" to "LOOP" by one swap on both flight paths, selection and its undo,
// presses on flying letters, a start word already spelled, the placed event raised once, a
// restart that can complete again, skip with repeated letters, a minigame inside another level,
// the words it refuses, and the heads-up skip button.
#include <cmath>

#include "core/attr_xml.h"
#include "levels/letters_level.h"
#include "tests/levels/minigame_fixture.h"

namespace minigametest {
namespace {

constexpr float kDt = 0.05f;
constexpr float kPx = 20.0f;  // twips a pixel
// The row of pool.swf: P_letter, O_letter_1, O_letter_2, L_letter, 110 pixels apart.
constexpr float kRowX[] = {312 * kPx, 422 * kPx, 532 * kPx, 642 * kPx};
constexpr float kRowY = 300 * kPx;

class Letters : public MinigameTest {
protected:
    void TearDown() override {
        runLua("pool_on_parts_placed = nil placed_calls = nil");
        MinigameTest::TearDown();
    }
    static void runLua(const std::string& text) { runScriptBuffer(text.c_str(), text.size(), "test"); }
    static int luaNumber(const char* name) {
        lua_State* L = currentScriptState();
        lua_getglobal(L, name);
        const int value = static_cast<int>(lua_tonumber(L, -1));
        lua_pop(L, 1);
        return value;
    }
    static std::string row(LettersLevel* level) {
        std::string out;
        for (int i = 0; i < level->wordLength(); ++i) out += level->letterAt(i)->letter();
        return out;
    }
    // Updates until no letter flies; the frames it took (the largest move of one frame in *step).
    static int flyOut(LettersLevel* level, float* step = nullptr) {
        int frames = 0;
        float largest = 0.0f;
        const auto flying = [&] {
            for (int i = 0; i < level->wordLength(); ++i)
                if (!level->letterAt(i)->idle()) return true;
            return false;
        };
        while (flying() && frames < 1000) {
            float before[8][2];
            for (int i = 0; i < level->wordLength(); ++i) {
                before[i][0] = tx(level->letterAt(i)->getCharacter());
                before[i][1] = ty(level->letterAt(i)->getCharacter());
            }
            level->update(kDt);
            ++frames;
            for (int i = 0; i < level->wordLength(); ++i) {
                flash::character* ch = level->letterAt(i)->getCharacter();
                largest = std::max({largest, std::fabs(tx(ch) - before[i][0]), std::fabs(ty(ch) - before[i][1])});
            }
        }
        if (step) *step = largest;
        return frames;
    }
};

TEST_F(Letters, POOLBecomesLOOPByOneSwapOnEitherPath) {
    const struct {
        const char* level;
        bool straight;
        int frames;  // 8 up, 22 across, 8 down and 3 settling; straight: 22 and 3
    } cases[] = {{"pool", false, 41}, {"pool_straight", true, 25}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        LettersLevel* level = start<LettersLevel>(c.level);
        ASSERT_NE(level, nullptr);
        sounds.clear();
        EXPECT_EQ(level->getLevelKind(), BaseLevel::kKindLetters);
        ASSERT_EQ(row(level), "POOL");
        EXPECT_EQ(level->endMessage(), "ids_letters_done");
        flash::character* p = clip(level, "P_letter");
        flash::character* l = clip(level, "L_letter");
        ASSERT_TRUE(press(p));
        EXPECT_EQ(level->selected(), p);
        EXPECT_FLOAT_EQ(p->get_matrix().get_x_scale(), 1.1f);
        ASSERT_TRUE(press(l));
        EXPECT_EQ(level->selected(), nullptr);
        EXPECT_EQ(row(level), "LOOP") << "the list is swapped at once";
        EXPECT_EQ(sounds, (std::vector<std::string>{"page_select", "page_slide"}));
        auto* letterL = static_cast<LetterElement*>(level->letterAt(0));
        EXPECT_TRUE(letterL->upper()) << "the pressed letter takes the upper path";
        level->update(kDt);
        if (!c.straight) {
            EXPECT_FLOAT_EQ(ty(l), kRowY - 300) << "up";
            EXPECT_FLOAT_EQ(ty(p), kRowY + 300) << "and down";
        } else {
            EXPECT_FLOAT_EQ(tx(l), kRowX[3] - 300);
            EXPECT_FLOAT_EQ(tx(p), kRowX[0] + 300);
        }
        float step = 0.0f;
        EXPECT_EQ(flyOut(level, &step) + 1, c.frames);
        EXPECT_FLOAT_EQ(step, 300.0f) << "15 pixels a frame";
        EXPECT_FLOAT_EQ(tx(l), kRowX[0]);
        EXPECT_FLOAT_EQ(tx(p), kRowX[3]);
        EXPECT_FLOAT_EQ(ty(l), kRowY);
        EXPECT_FLOAT_EQ(l->get_matrix().get_x_scale(), 1.0f);
        EXPECT_TRUE(level->isComplete()) << "no script hook: complete once placed";
        EXPECT_EQ(p->get_event_callback(), nullptr);
        LevelManager::instance()->clear();
    }
}

TEST_F(Letters, ThePressedSelectionUnselectsSilentlyAndFlyingLettersTakeNoPresses) {
    LettersLevel* level = start<LettersLevel>("pool");
    ASSERT_NE(level, nullptr);
    sounds.clear();
    flash::character* p = clip(level, "P_letter");
    ASSERT_TRUE(press(p));
    ASSERT_TRUE(press(p));
    EXPECT_EQ(level->selected(), nullptr);
    EXPECT_FLOAT_EQ(p->get_matrix().get_x_scale(), 1.0f);
    EXPECT_EQ(sounds, std::vector<std::string>{"page_select"});
    press(p);
    press(clip(level, "O_letter_1"));
    level->update(kDt);
    sounds.clear();
    press(p);
    press(clip(level, "L_letter"));
    EXPECT_EQ(level->selected(), clip(level, "L_letter")) << "the flying P was not taken";
    EXPECT_EQ(sounds, std::vector<std::string>{"page_select"});
}

TEST_F(Letters, AStartWordAlreadySpelledIsPlacedOnTheFirstUpdate) {
    LettersLevel* level = start<LettersLevel>("pool_same");
    ASSERT_NE(level, nullptr);
    EXPECT_FALSE(level->isComplete());
    level->update(kDt);
    EXPECT_TRUE(level->isComplete());
}

TEST_F(Letters, ThePlacedEventIsRaisedOnceAndARestartCanCompleteAgain) {
    runLua("placed_calls = 0 function pool_on_parts_placed() placed_calls = placed_calls + 1 end");
    LettersLevel* level = start<LettersLevel>("pool");
    ASSERT_NE(level, nullptr);
    flash::character* p = clip(level, "P_letter");
    flash::character* l = clip(level, "L_letter");
    const auto swap = [&](flash::character* a, flash::character* b) {
        level->handleEvent(a, 1);
        level->handleEvent(b, 1);
        flyOut(level);
    };
    swap(p, l);
    EXPECT_EQ(luaNumber("placed_calls"), 1);
    EXPECT_FALSE(level->isComplete()) << "with the hook, completion is the script's";
    // Moved out of place and back: no second event.
    swap(p, l);
    swap(p, l);
    EXPECT_EQ(row(level), "LOOP");
    EXPECT_EQ(luaNumber("placed_calls"), 1);
    // forceWin asks the script too.
    level->forceWin();
    EXPECT_EQ(luaNumber("placed_calls"), 2);
    EXPECT_FALSE(level->isComplete());

    runLua("pool_on_parts_placed = nil");
    level->restart();
    EXPECT_FALSE(level->placedLatch());
    ASSERT_NE(p->get_event_callback(), nullptr) << "the restart gives the presses back";
    press(p);
    press(l);  // out of place
    flyOut(level);
    EXPECT_FALSE(level->isComplete());
    press(l);
    press(p);  // solved a second time
    flyOut(level);
    EXPECT_TRUE(level->isComplete());
    EXPECT_EQ(level->slotPositions().size(), 4u) << "the row's places are the first start's";
}

TEST_F(Letters, SkipPutsRepeatedLettersOnTheirLastPlaceAndWinsAfterTwoSeconds) {
    LettersLevel* level = start<LettersLevel>("pool_dup");  // POOL to OPLO
    ASSERT_NE(level, nullptr);
    ASSERT_TRUE(panelFlags() & MainPanel::kSkipShown);
    GameTimerManager* timers = GameTimerManager::instance();
    timers->clear();
    sounds.clear();
    EXPECT_TRUE(level->skip());
    EXPECT_EQ(sounds, std::vector<std::string>{"page_slide"});
    EXPECT_FALSE(panelFlags() & MainPanel::kSkipShown);
    // Final OPLO: P's place is 1, L's 2, and both O's land on the last O, place 3.
    const struct {
        const char* clip;
        int place;
    } expected[] = {{"P_letter", 1}, {"O_letter_1", 3}, {"O_letter_2", 3}, {"L_letter", 2}};
    for (const auto& e : expected) EXPECT_FLOAT_EQ(tx(clip(level, e.clip)), kRowX[e.place]) << e.clip;
    EXPECT_FALSE(level->isComplete());
    timers->update(1.9f);
    EXPECT_FALSE(level->isComplete());
    timers->update(0.2f);
    EXPECT_TRUE(level->isComplete());
}

TEST_F(Letters, AMinigameInsideAnotherLevelShowsNoSkipButtonAndASkipEndsItAtOnce) {
    LettersLevel host(nullptr);
    auto* level = new LettersLevel(&host);
    ASSERT_TRUE(level->initElements(Attr::loadDocument("pool_dup.xml")));
    MainPanel::instance()->setFlag(MainPanel::kSkipShown, false);
    level->restart();
    EXPECT_FALSE(panelFlags() & MainPanel::kSkipShown);
    const size_t timers = GameTimerManager::instance()->size();
    EXPECT_TRUE(level->skip());
    EXPECT_TRUE(level->isComplete());
    EXPECT_EQ(GameTimerManager::instance()->size(), timers);
    delete level;
}

TEST_F(Letters, WordsThatCannotBeSpelledFailTheSetUpAndAMissingClipIsWarnedOf) {
    expectStartsFail({
        {"pool_utf8", "ERROR\tLettersLevel::initInternal FinalWord and StartWord must be ASCII"},
        {"pool_nonperm", "ERROR\tLettersLevel::initInternal StartWord \"POOL\" is no reordering of FinalWord \"POOP\""},
        {"pool_short", "ERROR\tLettersLevel::initInternal FinalWord \"LOOP\" and StartWord \"POO\" must be of one length"},
        {"pool_empty", "ERROR\tLettersLevel::initInternal FinalWord \"\" and StartWord \"\""},
    });
    LettersLevel* level = start<LettersLevel>("pool_missing");  // the demo's row has no P nor L
    ASSERT_NE(level, nullptr);
    EXPECT_NE(logSince().find("WARNING\tLettersLevel::restart not find element P_letter"), std::string::npos);
    EXPECT_EQ(level->letterAt(0)->getCharacter(), nullptr);
    EXPECT_NE(level->letterAt(1)->getCharacter(), nullptr);
}

TEST_F(Letters, TheSkipButtonSkipsOnceReadyOrInDebugModeAndHides) {
    MainPanel* panel = MainPanel::instance();
    flash::sprite_instance* button = panel->skipButton();
    ASSERT_NE(button, nullptr);
    const struct {
        bool debug;
        bool ready;
        bool skips;
    } cases[] = {{false, false, false}, {true, false, true}, {false, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "debug " << c.debug << " ready " << c.ready);
        LettersLevel* level = start<LettersLevel>("pool");
        ASSERT_NE(level, nullptr);
        ASSERT_TRUE(panel->anyFlag(MainPanel::kSkipShown)) << "shown at the start";
        d_DebugMode->value.b = c.debug;
        for (int i = 0; c.ready && i < 200 && !panel->anyFlag(MainPanel::kSkipReady); ++i) panel->update(kDt);
        EXPECT_EQ(panel->anyFlag(MainPanel::kSkipReady), c.ready);
        panel->onEvent(button, 1);
        EXPECT_EQ(!panel->anyFlag(MainPanel::kSkipShown), c.skips) << "the skip hides the button";
        EXPECT_EQ(row(level) == "POOL" && tx(clip(level, "P_letter")) == kRowX[3], c.skips);
        d_DebugMode->value.b = false;
        LevelManager::instance()->clear();
    }
}

}  // namespace
}  // namespace minigametest
